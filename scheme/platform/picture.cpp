#include "scheme/platform/picture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "scheme/platform/metafile.h"
#include "scheme/platform/raster_graphic.h"

namespace scheme {

namespace {

// The class for a format name as Qt's image readers call it; nullptr when there is none.
std::unique_ptr<TGraphic> GraphicForFormat(const QByteArray& Format) {
    if (Format == "bmp") return std::make_unique<TBitmap>();
    if (Format == "png") return std::make_unique<TPngImage>();
    if (Format == "jpeg" || Format == "jpg") return std::make_unique<TJPEGImage>();
    if (Format == "ico") return std::make_unique<TIcon>();
    if (Format == "svg" || Format == "svgz") return std::make_unique<TMetafile>();
    return nullptr;
}

QByteArray FormatOfContent(const QByteArray& Data) {
    QByteArray Source = Data;
    QBuffer Buffer(&Source);
    Buffer.open(QIODevice::ReadOnly);
    return QImageReader::imageFormat(&Buffer);
}

QByteArray FormatOfSuffix(const QString& Suffix) {
    const QString S = Suffix.toLower();
    if (S == QLatin1String("dib")) return "bmp";
    if (S == QLatin1String("jpe") || S == QLatin1String("jfif")) return "jpeg";
    return S.toLatin1();
}

}  // namespace

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::SetGraphic(const TGraphic* Value) {
    TakeGraphic(Value ? Value->Clone() : nullptr);
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> Value) {
    FGraphic = std::move(Value);
    if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::Assign(const TPicture& Source) {
    if (&Source != this) SetGraphic(Source.Graphic());
}

void TPicture::LoadFromFile(const QString& FileName) {
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        throw EInvalidGraphic(
            QStringLiteral("Cannot open file \"%1\": %2").arg(FileName, File.errorString()));
    QByteArray Data = ReadGraphicData(File, FileName);
    if (Data.isEmpty())
        throw EInvalidGraphic(QStringLiteral("File \"%1\" holds no picture").arg(FileName));
    std::unique_ptr<TGraphic> Graphic = GraphicClassFor(Data, QFileInfo(FileName).suffix());
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::ReadOnly);
    Graphic->LoadFromStream(Buffer);
    TakeGraphic(std::move(Graphic));
}

std::unique_ptr<TGraphic> TPicture::GraphicClassFor(const QByteArray& Data, const QString& Suffix) {
    if (TMetafile::LooksLikeSvg(Data)) return std::make_unique<TMetafile>();
    const QByteArray Format = FormatOfContent(Data);
    if (!Format.isEmpty()) {
        if (auto Graphic = GraphicForFormat(Format)) return Graphic;
        return std::make_unique<TBitmap>();
    }
    if (auto Graphic = GraphicForFormat(FormatOfSuffix(Suffix))) return Graphic;
    return std::make_unique<TBitmap>();
}

void TPicture::Changed() {
    if (OnChange) OnChange(this);
}

}  // namespace scheme
