#include "scheme/platform/screen.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

namespace scheme {

QSize ScreenSize() {
    const QScreen* Screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return Screen ? Screen->size() : QSize(1024, 768);
}

QRect MeasureScreenText(const QString& Text) {
    QString Flat = Text;
    Flat.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QFontMetrics Metrics(QGuiApplication::font());
    return Metrics.boundingRect(QRect(0, 0, ScreenSize().width(), 1 << 20), Qt::TextWordWrap, Flat);
}

}  // namespace scheme
