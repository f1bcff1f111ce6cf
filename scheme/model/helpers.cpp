#include "scheme/model/helpers.h"

#include <QBuffer>
#include <algorithm>

#include "scheme/platform/exceptions.h"

namespace scheme {

namespace {

constexpr int kBytesPerLine = 32;
constexpr int kMaxBytesPerLineRead = 256;

int HexValue(char16_t C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

QByteArray DecodeLine(const QString& Line) {
    QByteArray Bytes;
    for (qsizetype I = 0; I + 1 < Line.size() && Bytes.size() < kMaxBytesPerLineRead; I += 2) {
        const int High = HexValue(Line[I].unicode());
        const int Low = HexValue(Line[I + 1].unicode());
        if (High < 0 || Low < 0) break;
        Bytes.append(static_cast<char>(High * 16 + Low));
    }
    return Bytes;
}

}  // namespace

QString _change_in_str_A2B(const QString& S, QChar A, QChar B) {
    QString Result = S;
    if (A != B) Result.replace(A, B);
    return Result;
}

void BinaryToStrings(QIODevice& Stream, QStringList& Strings) {
    const QByteArray Data = Stream.read(std::max<qint64>(Stream.size() - Stream.pos(), 0));
    BinaryToStrings(Data, Strings);
}

void BinaryToStrings(const QByteArray& Data, QStringList& Strings) {
    for (qsizetype Start = 0; Start < Data.size(); Start += kBytesPerLine)
        Strings.append(QString::fromLatin1(Data.mid(Start, kBytesPerLine).toHex().toUpper()));
}

void BinaryFromStrings(QIODevice& Stream, const QStringList& Strings) {
    for (const QString& Line : Strings) {
        const QByteArray Bytes = DecodeLine(Line);
        if (!Bytes.isEmpty() && Stream.write(Bytes) != Bytes.size())
            throw Exception(QStringLiteral("Stream write error"));
    }
}

QByteArray BinaryFromStrings(const QStringList& Strings) {
    QByteArray Data;
    for (const QString& Line : Strings) Data.append(DecodeLine(Line));
    return Data;
}

}  // namespace scheme
