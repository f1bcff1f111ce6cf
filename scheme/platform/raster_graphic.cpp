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

// What the budget's refusal of an image at Size, needing Bytes, reads like.
QString RefusalText(const QString& ClassName, const QSize& Claimed, const QSize& Size, qint64 Bytes,
                    const TPictureBudget& Budget) {
    const QString At =
        Size == Claimed
            ? QString()
            : QStringLiteral(" (drawn at %1 x %2)").arg(Size.width()).arg(Size.height());
    return QStringLiteral(
               "%1 of %2 x %3 pixels not decoded%4: it needs %5 decoded, which would "
               "pass the limit of %6 for the pictures of the document (%7 in use)")
        .arg(ClassName)
        .arg(Claimed.width())
        .arg(Claimed.height())
        .arg(At, BytesText(Bytes), BytesText(Budget.Limit()), BytesText(Budget.Used()));
}

const QImage& NoImage() {
    static const QImage Null;
    return Null;
}

}  // namespace

TRasterGraphic::TRasterGraphic(const char* Format, bool AnyFormat)
    : FFormat(Format), FAnyFormat(AnyFormat) {}

TRasterGraphic::TRasterGraphic(const TRasterGraphic& Source)
    : TGraphic(Source),
      FFormat(Source.FFormat),
      FAnyFormat(Source.FAnyFormat),
      FData(Source.FData),
      FSize(Source.FSize),
      FPixelFormat(Source.FPixelFormat),
      FScalable(Source.FScalable),
      FImage(Source.FImage) {}

void TRasterGraphic::SetImage(const QImage& Value) {
    QByteArray Data = Encode(Value);
    Forget();
    FImage = Value;
    FData = std::move(Data);
    FSize = Value.size();
    FPixelFormat = Value.format();
    FScalable = false;
    Changed();
}

// The format is told by the content, whatever the class expects. Only the header is read here:
// the size it claims is what the budget is asked for when the image is drawn.
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
    const auto Unreadable = [&] {
        return EInvalidGraphic(
            QStringLiteral("%1: cannot read the image: %2").arg(ClassName(), Reader.errorString()));
    };
    if (!Reader.canRead()) throw Unreadable();
    QSize Size = Reader.size();
    QImage::Format PixelFormat = Reader.imageFormat();
    const bool Scalable = Reader.supportsOption(QImageIOHandler::ScaledSize);
    if (!Size.isValid()) {
        // A format whose header does not tell its size: the image is decoded once to learn it
        // (Qt's allocation limit bounds that) and not kept.
        QImage Probe;
        if (!Reader.read(&Probe)) throw Unreadable();
        Size = Probe.size();
        PixelFormat = Probe.format();
    }
    if (Size.isEmpty())
        throw EInvalidGraphic(QStringLiteral("%1: cannot read the image: it claims %2 x %3 pixels")
                                  .arg(ClassName())
                                  .arg(Size.width())
                                  .arg(Size.height()));
    Forget();
    FImage = QImage();
    FData = Data;
    FSize = Size;
    FPixelFormat = PixelFormat;
    FScalable = Scalable;
}

void TRasterGraphic::Clear() {
    Forget();
    FImage = QImage();
    FData.clear();
    FSize = QSize();
    FPixelFormat = QImage::Format_Invalid;
    FScalable = false;
}

void TRasterGraphic::BudgetChanged() {
    Forget();
}

void TRasterGraphic::Forget() const {
    FDecoded = QImage();
    FCharge.Reset();
    FRefused = QSize();
    FBroken = false;
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

// An image decoded larger than needed is kept while it is at most twice the size drawn, so that
// zooming out does not decode again.
bool TRasterGraphic::Prepare(const QSize& DrawnSize) const {
    if (!FImage.isNull()) return true;
    if (FData.isEmpty()) return false;
    const QSize Target = DrawnSize.isValid() ? FSize.boundedTo(DrawnSize) : FSize;
    if (!FDecoded.isNull()) {
        const QSize Held = FDecoded.size();
        if (Held == Target ||
            (Held.width() >= Target.width() && Held.height() >= Target.height() &&
             Held.width() <= 2 * Target.width() && Held.height() <= 2 * Target.height()))
            return true;
    }
    return Decode(Target);
}

// A reader that cannot scale decodes the whole image first: both images count until the whole
// one is dropped.
bool TRasterGraphic::Decode(const QSize& Target) const {
    if (FBroken) return false;
    if (QString Why; !DataCanHold(FSize, FData.size(), &Why)) {
        FBroken = true;
        Note(QStringLiteral("%1 of %2 x %3 pixels not decoded: %4")
                 .arg(ClassName())
                 .arg(FSize.width())
                 .arg(FSize.height())
                 .arg(Why));
        return false;
    }
    const bool Whole = Target == FSize;
    const qint64 Bytes = DecodedBytes(Target, FPixelFormat) +
                         (Whole || FScalable ? 0 : DecodedBytes(FSize, FPixelFormat));
    const std::shared_ptr<TPictureBudget>& Budget = PictureBudget();
    // A refused size is asked for again only once it would fit.
    if (Target == FRefused && Bytes > Budget->Limit() - Budget->Used()) return false;
    FDecoded = QImage();
    FCharge.Reset();
    if (!FCharge.Add(Budget, Bytes)) {
        if (Target != FRefused) Note(RefusalText(ClassName(), FSize, Target, Bytes, *Budget));
        FRefused = Target;
        return false;
    }
    FRefused = QSize();
    QByteArray Source = FData;
    QBuffer Buffer(&Source);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer);
    if (FScalable && !Whole) Reader.setScaledSize(Target);
    QImage Image;
    if (!Reader.read(&Image)) {
        FCharge.Reset();
        FBroken = true;
        Note(
            QStringLiteral("%1: cannot read the image: %2").arg(ClassName(), Reader.errorString()));
        return false;
    }
    // Drawing samples the nearest pixel; so does the scaling, which keeps a bitmap's
    // transparent colour exact.
    if (Image.size() != Target && Image.width() >= Target.width() &&
        Image.height() >= Target.height())
        Image = Image.scaled(Target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    FDecoded = std::move(Image);
    FCharge.Settle(FDecoded.sizeInBytes());
    return true;
}

const QImage& TRasterGraphic::Shown(const QSize& DrawnSize) const {
    if (!Prepare(DrawnSize)) return NoImage();
    return FImage.isNull() ? FDecoded : FImage;
}

const QImage& TRasterGraphic::Image() const {
    if (!FImage.isNull()) return FImage;
    if (FDecoded.size() != FSize && !Decode(FSize)) return NoImage();
    return FDecoded;
}

void TRasterGraphic::Draw(TCanvas& Canvas, const TRect& R) const {
    Canvas.StretchDraw(R, Shown(DrawnSize(Canvas, R)));
}

void TBitmap::Draw(TCanvas& Canvas, const TRect& R) const {
    Canvas.StretchDraw(R, Shown(DrawnSize(Canvas, R)), Transparent());
}

}  // namespace scheme
