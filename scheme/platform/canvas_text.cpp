// Formatted text and stretched images on the canvas.
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <array>

#include "scheme/platform/canvas.h"

namespace scheme {

namespace {

// Qt's alignment and layout flags for a DrawText format.
int QtTextFlags(unsigned Flags) {
    int Result = 0;
    Result |= (Flags & DT_CENTER)  ? Qt::AlignHCenter
              : (Flags & DT_RIGHT) ? Qt::AlignRight
                                   : Qt::AlignLeft;
    if (Flags & DT_SINGLELINE)
        Result |= Qt::TextSingleLine | ((Flags & DT_VCENTER)  ? Qt::AlignVCenter
                                        : (Flags & DT_BOTTOM) ? Qt::AlignBottom
                                                              : Qt::AlignTop);
    else
        Result |= Qt::AlignTop;
    if (Flags & DT_WORDBREAK) Result |= Qt::TextWordWrap;
    if (Flags & DT_EXPANDTABS) Result |= Qt::TextExpandTabs;
    if (!(Flags & DT_NOPREFIX)) Result |= Qt::TextShowMnemonic;
    if (Flags & DT_NOCLIP) Result |= Qt::TextDontClip;
    return Result;
}

// Every line break as Qt lays text out: a line feed.
QString WithLineFeeds(const QString& Text) {
    QString Result = Text;
    return Result.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// The box Qt lays a text out in, relative to the layout box's corner, kept for the texts
// measured last: a repaint measures the same captions again, at the same font and width, and
// the box moves with the layout box by whole pixels. One table a thread, as painters may run in
// several.
QRect MeasuredText(const QFont& Font, const QRect& Layout, int QtFlags, const QString& Lines) {
    struct TEntry {
        QFont Font;
        int Width = -1;
        int Flags = 0;
        QString Lines;
        QRect Box;
    };
    thread_local std::array<TEntry, 256> Kept;
    const size_t Slot =
        (qHash(Lines) ^ (size_t(Layout.width()) * 31u) ^ size_t(QtFlags)) % Kept.size();
    TEntry& Entry = Kept[Slot];
    if (Entry.Width != Layout.width() || Entry.Flags != QtFlags || Entry.Lines != Lines ||
        !(Entry.Font == Font)) {
        Entry.Font = Font;
        Entry.Width = Layout.width();
        Entry.Flags = QtFlags;
        Entry.Lines = Lines;
        Entry.Box =
            QFontMetrics(Font).boundingRect(QRect(QPoint(0, 0), Layout.size()), QtFlags, Lines);
    }
    return Entry.Box.translated(Layout.topLeft());
}

}  // namespace

int TCanvas::DrawText(const QString& Text, TRect& R, unsigned Flags) {
    const QString Lines = WithLineFeeds(Text);
    const QFont& Font = QtFont();
    const int QtFlags = QtTextFlags(Flags);
    // Without word breaks the layout box only limits where the text starts.
    const int LayoutWidth = (Flags & DT_WORDBREAK) ? std::max(R.Width(), 1) : kPixelLimit;
    const QRect Layout(R.Left, R.Top, LayoutWidth, kPixelLimit);
    const QRect Bounds = MeasuredText(Font, Layout, QtFlags, Lines);
    if (Flags & DT_CALCRECT) {
        R.Right = R.Left + Bounds.width();
        R.Bottom = R.Top + Bounds.height();
        return Bounds.height();
    }
    if (!Active() || Lines.isEmpty() || R.IsEmpty() || !RectVisible(R)) return Bounds.height();
    FPainter->save();
    if (!(Flags & DT_NOCLIP)) FPainter->setClipRect(ToQRect(R), Qt::IntersectClip);
    if (FBkMode == TBkMode::Opaque)
        FPainter->fillRect(Bounds & ToQRect(R), ColorToQColor(FBkColor));
    FPainter->setBackgroundMode(Qt::TransparentMode);
    FPainter->setFont(Font);
    FPainter->setPen(ColorToQColor(FFont.Color()));
    FPainter->drawText(ToQRect(R), QtFlags, Lines);
    FPainter->restore();
    return Bounds.height();
}

void TCanvas::StretchDraw(const TRect& R, const QImage& Image, bool Transparent) {
    if (!Active() || Image.isNull() || R.IsEmpty() || !RectVisible(R)) return;
    QImage Source = Image;
    if (Transparent) {
        const QRgb Key = qRgb(qRed(Image.pixel(0, Image.height() - 1)),
                              qGreen(Image.pixel(0, Image.height() - 1)),
                              qBlue(Image.pixel(0, Image.height() - 1)));
        Source = Image.convertToFormat(QImage::Format_ARGB32);
        for (int Y = 0; Y < Source.height(); ++Y) {
            auto* Line = reinterpret_cast<QRgb*>(Source.scanLine(Y));
            for (int X = 0; X < Source.width(); ++X)
                if ((Line[X] | 0xFF000000u) == Key) Line[X] = 0;
        }
    }
    FPainter->drawImage(ToQRect(R), Source);
}

}  // namespace scheme
