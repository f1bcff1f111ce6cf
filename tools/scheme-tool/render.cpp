#include "render.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>
#include <memory>
#include <optional>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/pdf_page.h"
#include "scheme/platform/region.h"
#include "scheme/view/scheme_visual.h"

using namespace scheme;

namespace {

QString ZoomText(Extended Zoom) {
    return QString::number(static_cast<double>(Zoom), 'g', 6);
}

// The pixel conversions saturate at kPixelLimit, so an object reaching that far would be drawn
// squashed against the limit, or not at all.
bool Placeable(const TSchemeObject& Object, Extended Zoom) {
    const auto Inside = [](Extended V) { return std::isfinite(V) && std::fabs(V) < kPixelLimit; };
    for (int I = 0; I < Object.Count(); ++I) {
        const TPointExt P = Object.GetPointsExt(I);
        if (!Inside(P.X * Zoom) || !Inside(P.Y * Zoom)) return false;
    }
    const TRect R = Object.GetBoundsRect(Zoom, 0);
    return R.IsEmpty() || (Inside(R.Left) && Inside(R.Top) && Inside(R.Right) && Inside(R.Bottom));
}

// The pixel size that covers every object from the world origin, plus a small margin, and a
// picture of PictureSize world units stretched from the origin; none when an object cannot be
// placed at this zoom (Unplaced, when given, names the first).
std::optional<QSize> DrawingSize(const TSchemeData& Data, Extended Zoom, const QSize& PictureSize,
                                 const TSchemeObject** Unplaced = nullptr) {
    // The view covers Trunc(Zoom * side) pixels with the picture; far too large a picture
    // stops at the pixel limit, which no image fits.
    const auto Stretched = [Zoom](int Side) {
        return qint64(std::min<Extended>(std::floor(Zoom * Side), kPixelLimit));
    };
    qint64 Right = 1, Bottom = 1;
    for (int L = 0; L < Data.LayerCount(); ++L) {
        const TSchemeLayer* Layer = Data.GetLayerIndex(L);
        for (int I = 0; I < Layer->Count(); ++I) {
            const TSchemeObject* Object = Layer->GetItemIndex(I);
            if (!Placeable(*Object, Zoom)) {
                if (Unplaced) *Unplaced = Object;
                return std::nullopt;
            }
            const TRect R = Object->GetClippingRegionBounds(Zoom, 0);
            Right = std::max<qint64>(Right, R.Right);
            Bottom = std::max<qint64>(Bottom, R.Bottom);
        }
    }
    return QSize(int(std::max(Right + 4, Stretched(PictureSize.width()))),
                 int(std::max(Bottom + 4, Stretched(PictureSize.height()))));
}

bool Fits(const QSize& Size) {
    return Size.width() <= kMaxImageSide && Size.height() <= kMaxImageSide &&
           qint64(Size.width()) * Size.height() <= kMaxImagePixels;
}

// The largest zoom below Zoom, to three significant digits rounded down, at which the drawing
// fits the limits; none when even the smallest zooms do not.
std::optional<Extended> LargestFittingZoom(const TSchemeData& Data, Extended Zoom,
                                           const QSize& PictureSize, const QSize& Size) {
    const long double Pixels = static_cast<long double>(Size.width()) * Size.height();
    Extended Candidate = Zoom * std::min(std::sqrt(kMaxImagePixels / Pixels),
                                         static_cast<long double>(kMaxImageSide) /
                                             std::max(Size.width(), Size.height()));
    for (int Step = 0; Step < 400 && Candidate > 1e-9L; ++Step) {
        const Extended Digit = std::pow(10.0L, std::floor(std::log10(Candidate)) - 2);
        const Extended Rounded = std::floor(Candidate / Digit) * Digit;
        const std::optional<QSize> At = DrawingSize(Data, Rounded, PictureSize);
        if (At && Fits(*At)) return Rounded;
        Candidate = Rounded * 0.97L;
    }
    return std::nullopt;
}

QSize CheckedDrawingSize(const TSchemeData& Data, Extended Zoom, const QSize& PictureSize) {
    const TSchemeObject* Unplaced = nullptr;
    const std::optional<QSize> Size = DrawingSize(Data, Zoom, PictureSize, &Unplaced);
    if (!Size)
        throw Exception(QStringLiteral("Cannot place %1 Id %2 of layer %3 at --zoom %4: it lies "
                                       "beyond the %5 pixels the renderer can reach")
                            .arg(Unplaced->ClassName())
                            .arg(Unplaced->Id())
                            .arg(Unplaced->Layer()->ID())
                            .arg(ZoomText(Zoom))
                            .arg(kPixelLimit));
    if (Fits(*Size)) return *Size;
    QString Message = QStringLiteral(
                          "The drawing would be %1 x %2 pixels at --zoom %3; at most %4 pixels, "
                          "and %5 on a side, are rendered")
                          .arg(Size->width())
                          .arg(Size->height())
                          .arg(ZoomText(Zoom))
                          .arg(kMaxImagePixels)
                          .arg(kMaxImageSide);
    if (const std::optional<Extended> Largest = LargestFittingZoom(Data, Zoom, PictureSize, *Size))
        Message += QStringLiteral("; the largest --zoom that fits is %1").arg(ZoomText(*Largest));
    throw Exception(Message);
}

// The grid's colour: light enough for the objects to stay readable over it.
constexpr TColor kGridColor = 0xDCDCDC;

// A view of Data, never shown, that paints the background under the objects.
std::unique_ptr<TSchemeVisual> BackgroundView(TSchemeData& Data, const TBackground& Background) {
    auto View = std::make_unique<TSchemeVisual>();
    View->SetColor(clWhite);
    try {
        View->Picture().LoadFromFile(Background.PictureFile);
    } catch (const Exception& E) {
        throw Exception(QStringLiteral("Cannot use \"%1\" as the background: %2")
                            .arg(Background.PictureFile, E.Message()));
    }
    if (Background.GridDeltaX > 0 && Background.GridDeltaY > 0) {
        View->Grid().SetDeltaX(Background.GridDeltaX);
        View->Grid().SetDeltaY(Background.GridDeltaY);
        View->Grid().SetEnabled(true);
        View->GridPen().SetColor(kGridColor);
    }
    View->SetSchemeData(&Data);
    return View;
}

void Paint(TSchemeData& Data, TSchemeVisual* View, QPaintDevice& Device, const QSize& Size,
           Extended Zoom) {
    QPainter Painter(&Device);
    Painter.fillRect(QRect(QPoint(0, 0), Size), Qt::white);
    TCanvas Canvas(&Painter);
    if (View)
        View->PaintDirectInCanvas(Canvas, Zoom);
    else
        Data.PaintDirectInCanvas(Canvas, 0, 0, Zoom, 0);
}

[[noreturn]] void WriteFailed(const QString& FileName, const QString& Reason) {
    throw Exception(QStringLiteral("Cannot write file \"%1\": %2").arg(FileName, Reason));
}

// Writes through a temporary file in the target's folder, which replaces the target only once
// every byte is written. A device (say /dev/null) cannot be replaced: it is written directly,
// and the flush still checked.
void WriteFile(const QString& FileName, const QByteArray& Bytes) {
    const QFileInfo Info(FileName);
    if (Info.exists() && !Info.isFile()) {
        QFile File(FileName);
        if (!File.open(QIODevice::WriteOnly) || File.write(Bytes) != Bytes.size() || !File.flush())
            WriteFailed(FileName, File.errorString());
        return;
    }
    QSaveFile File(FileName);
    if (!File.open(QIODevice::WriteOnly) || File.write(Bytes) != Bytes.size() || !File.commit())
        WriteFailed(FileName, File.errorString());
}

}  // namespace

void RenderDocument(TSchemeData& Data, const QString& FileName, Extended Zoom,
                    const std::optional<TBackground>& Background) {
    const QString Suffix = QFileInfo(FileName).suffix().toLower();
    if (Suffix != QLatin1String("svg") && Suffix != QLatin1String("png") &&
        Suffix != QLatin1String("pdf"))
        throw Exception(
            QStringLiteral("Cannot render to \"%1\": the name must end in .png, .svg or .pdf")
                .arg(FileName));
    const std::unique_ptr<TSchemeVisual> View =
        Background ? BackgroundView(Data, *Background) : nullptr;
    const QSize PictureSize =
        View ? QSize(View->Picture().Width(), View->Picture().Height()) : QSize(0, 0);
    const QSize Size = CheckedDrawingSize(Data, Zoom, PictureSize);
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    if (Suffix == QLatin1String("svg")) {
        QSvgGenerator Svg;
        Svg.setOutputDevice(&Buffer);
        Svg.setSize(Size);
        Svg.setViewBox(QRect(QPoint(0, 0), Size));
        Svg.setTitle(QFileInfo(FileName).completeBaseName());
        Paint(Data, View.get(), Svg, Size, Zoom);
    } else if (Suffix == QLatin1String("pdf")) {
        QPdfWriter Pdf(&Buffer);
        SetUpPdfWriter(Pdf, Size);
        Pdf.setTitle(QFileInfo(FileName).completeBaseName());
        Paint(Data, View.get(), Pdf, Size, Zoom);
    } else {
        QImage Image(Size, QImage::Format_RGB32);
        if (Image.isNull())
            throw Exception(QStringLiteral("Out of memory for a %1 x %2 image")
                                .arg(Size.width())
                                .arg(Size.height()));
        Paint(Data, View.get(), Image, Size, Zoom);
        if (!Image.save(&Buffer, "PNG"))
            throw Exception(QStringLiteral("Cannot encode the %1 x %2 image as PNG")
                                .arg(Size.width())
                                .arg(Size.height()));
    }
    WriteFile(FileName, Bytes);
}
