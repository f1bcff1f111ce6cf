#include "scheme/model/helpers.h"

#include <QBuffer>
#include <algorithm>

#include "scheme/platform/exceptions.h"
#include "scheme/platform/metafile.h"
#include "scheme/platform/picture.h"
#include "scheme/platform/raster_graphic.h"

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

// Writes the bytes of one line to Out, which has room for kMaxBytesPerLineRead; answers how
// many. Pictures of many megabytes go through here, so it works on the raw characters.
qsizetype DecodeLineInto(const QString& Line, char* Out) {
    const char16_t* Digits = reinterpret_cast<const char16_t*>(Line.utf16());
    const qsizetype Pairs = std::min<qsizetype>(Line.size() / 2, kMaxBytesPerLineRead);
    qsizetype N = 0;
    for (; N < Pairs; ++N) {
        const int High = HexValue(Digits[2 * N]);
        const int Low = HexValue(Digits[2 * N + 1]);
        if (High < 0 || Low < 0) break;
        Out[N] = static_cast<char>(High * 16 + Low);
    }
    return N;
}

// Appends the bytes of one line to Data.
void AppendLine(QByteArray& Data, const QString& Line) {
    const qsizetype Size = Data.size();
    Data.resize(Size + kMaxBytesPerLineRead);
    Data.truncate(Size + DecodeLineInto(Line, Data.data() + Size));
}

QByteArray DecodeLine(const QString& Line) {
    QByteArray Bytes;
    AppendLine(Bytes, Line);
    return Bytes;
}

// A new graphic of the class a picture block names.
std::unique_ptr<TGraphic> GraphicForStoredName(const QString& ClassName) {
    if (ClassName == QLatin1String("TBITMAP")) return std::make_unique<TBitmap>();
    if (ClassName == QLatin1String("TMETAFILE")) return std::make_unique<TMetafile>();
    if (ClassName == QLatin1String("TICON")) return std::make_unique<TIcon>();
    return CreateGraphic(ClassName);
}

// The bytes of a picture block, refused as soon as they exceed the graphic data limit. A
// block with text but not one byte in it is not hex data at all.
QByteArray DecodePictureBlock(const QStringList& Strings) {
    QByteArray Data;
    bool HasText = false;
    for (const QString& Line : Strings) {
        HasText = HasText || !Line.trimmed().isEmpty();
        AppendLine(Data, Line);
        if (Data.size() > kMaxGraphicDataSize)
            throw EInvalidGraphic(QStringLiteral("Picture data exceeds the limit of %1 MiB")
                                      .arg(kMaxGraphicDataSize >> 20));
    }
    if (Data.isEmpty() && HasText)
        throw EInvalidGraphic(QStringLiteral("Picture data is not hexadecimal"));
    return Data;
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
    for (const QString& Line : Strings) AppendLine(Data, Line);
    return Data;
}

void PictureFromStrings(TPicture& Picture, const QString& ClassName, const QStringList& Strings) {
    std::unique_ptr<TGraphic> Graphic = GraphicForStoredName(ClassName);
    QByteArray Data = DecodePictureBlock(Strings);
    QBuffer Stream(&Data);
    Stream.open(QIODevice::ReadOnly);
    Graphic->LoadFromStream(Stream);
    Picture.TakeGraphic(std::move(Graphic));
}

}  // namespace scheme
