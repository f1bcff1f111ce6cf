#include "scheme/platform/raster_graphic.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include "scheme/platform/canvas.h"

namespace scheme {

namespace {

// Vector formats are left to TMetafile: rasterising them here would allocate whatever size
// the document declares.
bool IsVectorFormat(const QByteArray& Format) {
    return Format == "svg" || Format == "svgz";
}

QString FormatText(const QByteArray& Format) {
    return Format.isEmpty() ? QStringLiteral("an unknown format") : QString::fromLatin1(Format);
}

}  // namespace

TRasterGraphic::TRasterGraphic(const char* Format, bool AnyFormat)
    : FFormat(Format), FAnyFormat(AnyFormat) {}

void TRasterGraphic::SetImage(const QImage& Value) {
    QByteArray Data = Encode(Value);
    FImage = Value;
    FData = std::move(Data);
    Changed();
}

// The format is told by the content, whatever the class expects; Qt's allocation limit for
// decoded images stays in force.
void TRasterGraphic::ReadData(const QByteArray& Data) {
    QByteArray Source = Data;
    QBuffer Buffer(&Source);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer);
    const QByteArray Format = Reader.format();
    const bool Own = Format == FFormat;
    if (!Own && (!FAnyFormat || Format.isEmpty() || IsVectorFormat(Format)))
        throw EInvalidGraphic(
            QStringLiteral("%1: expected %2 data, found %3")
                .arg(ClassName(), QString::fromLatin1(FFormat.toUpper()), FormatText(Format)));
    QImage Image;
    if (!Reader.read(&Image))
        throw EInvalidGraphic(
            QStringLiteral("%1: cannot read the image: %2").arg(ClassName(), Reader.errorString()));
    FImage = std::move(Image);
    FData = Data;
}

void TRasterGraphic::Clear() {
    FImage = QImage();
    FData.clear();
}

QByteArray TRasterGraphic::Encode(const QImage& Image) const {
    QByteArray Data;
    if (Image.isNull()) return Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, FFormat);
    if (!Writer.write(Image))
        throw EInvalidGraphic(QStringLiteral("%1: cannot store the image: %2")
                                  .arg(ClassName(), Writer.errorString()));
    return Data;
}

void TRasterGraphic::Draw(TCanvas& Canvas, const TRect& R) const {
    Canvas.StretchDraw(R, FImage);
}

void TBitmap::Draw(TCanvas& Canvas, const TRect& R) const {
    Canvas.StretchDraw(R, Image(), Transparent());
}

}  // namespace scheme
