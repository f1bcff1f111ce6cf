#include "scheme/view/hint_window.h"

#include <QPainter>

namespace scheme {

namespace {

// Lines end at CR, LF or CR LF, as everywhere in the library's texts.
QString WithLineFeeds(QString Text) {
    return Text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

}  // namespace

THintWindow::THintWindow(QWidget* AOwner)
    : QWidget(AOwner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void THintWindow::SetColor(TColor AValue) {
    if (FColor == AValue) return;
    FColor = AValue;
    update();
}

QRect THintWindow::CalcHintRect(int MaxWidth, const QString& Text) const {
    const int Inner = qMax(1, MaxWidth - 2 * (kPadding + 1));
    const QRect TextRect =
        fontMetrics().boundingRect(QRect(0, 0, Inner, 1 << 20), kTextFlags, WithLineFeeds(Text));
    return QRect(0, 0, TextRect.width() + 2 * (kPadding + 1),
                 TextRect.height() + 2 * (kPadding + 1));
}

void THintWindow::ActivateHint(const QRect& Rect, const QString& Text) {
    FText = Text;
    setGeometry(Rect);
    show();
    update();
}

void THintWindow::ReleaseHandle() {
    hide();
}

void THintWindow::paintEvent(QPaintEvent* /*Event*/) {
    QPainter Painter(this);
    Painter.fillRect(rect(), ColorToQColor(FColor));
    Painter.setPen(ColorToQColor(clWindowFrame));
    Painter.drawRect(rect().adjusted(0, 0, -1, -1));
    Painter.setPen(ColorToQColor(clInfoText));
    const int Inset = kPadding + 1;
    Painter.drawText(rect().adjusted(Inset, Inset, -Inset, -Inset), kTextFlags,
                     WithLineFeeds(FText));
}

}  // namespace scheme
