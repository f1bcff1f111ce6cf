#include "fuzz/targets/fuzz_lines.h"

#include <QStringDecoder>

namespace scheme::fuzz {

QStringList FuzzLines(const std::uint8_t* Data, std::size_t Size) {
    const QByteArray Bytes(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size));
    QStringDecoder Utf8(QStringDecoder::Utf8);
    QString Text = Utf8(Bytes);
    if (Utf8.hasError()) Text = QString::fromLatin1(Bytes);
    QStringList Lines;
    qsizetype Start = 0;
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const QChar C = Text[I];
        if (C != QLatin1Char('\r') && C != QLatin1Char('\n')) continue;
        Lines.append(Text.mid(Start, I - Start));
        if (C == QLatin1Char('\r') && I + 1 < Text.size() && Text[I + 1] == QLatin1Char('\n')) ++I;
        Start = I + 1;
    }
    if (Start < Text.size()) Lines.append(Text.mid(Start));
    return Lines;
}

}  // namespace scheme::fuzz
