#include "render.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>
#include <optional>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

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

// The pixel size that covers every object from the world origin, plus a small margin; none
// when an object cannot be placed at this zoom (Unplaced, when given, names the first).
std::optional<QSize> DrawingSize(const TSchemeData& Data, Extended Zoom,
                                 const TSchemeObject** Unplaced = nullptr) {
    qint64 Right = 1, Bottom = 1;
    for (int L = 0; L < Data.LayerCount(); ++L) {
        const TSchemeLayer* Layer = Data.GetLayerIndex(L);
        for (int I = 0; I < Layer->Count(); ++I) {
            const TSchemeObject* Object = Layer->GetItemIndex(I);
            if (!Placeable(*Object, Zoom)) {
                if (Unplaced) *Unplaced = Object;
                return std::nullopt;
            }
            const TRect R = RegionBounds(Object->GetClippingRegion(Zoom, 0));
            Right = std::max<qint64>(Right, R.Right);
            Bottom = std::max<qint64>(Bottom, R.Bottom);
        }
    }
    return QSize(int(Right + 4), int(Bottom + 4));
}

bool Fits(const QSize& Size) {
    return Size.width() <= kMaxImageSide && Size.height() <= kMaxImageSide &&
           qint64(Size.width()) * Size.height() <= kMaxImagePixels;
}

// The largest zoom below Zoom, to three significant digits rounded down, at which the drawing
// fits the limits; none when even the smallest zooms do not.
std::optional<Extended> LargestFittingZoom(const TSchemeData& Data, Extended Zoom,
                                           const QSize& Size) {
    const long double Pixels = static_cast<long double>(Size.width()) * Size.height();
    Extended Candidate = Zoom * std::min(std::sqrt(kMaxImagePixels / Pixels),
                                         static_cast<long double>(kMaxImageSide) /
                                             std::max(Size.width(), Size.height()));
    for (int Step = 0; Step < 400 && Candidate > 1e-9L; ++Step) {
        const Extended Digit = std::pow(10.0L, std::floor(std::log10(Candidate)) - 2);
        const Extended Rounded = std::floor(Candidate / Digit) * Digit;
        const std::optional<QSize> At = DrawingSize(Data, Rounded);
        if (At && Fits(*At)) return Rounded;
        Candidate = Rounded * 0.97L;
    }
    return std::nullopt;
}

QSize CheckedDrawingSize(const TSchemeData& Data, Extended Zoom) {
    const TSchemeObject* Unplaced = nullptr;
    const std::optional<QSize> Size = DrawingSize(Data, Zoom, &Unplaced);
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
    if (const std::optional<Extended> Largest = LargestFittingZoom(Data, Zoom, *Size))
        Message += QStringLiteral("; the largest --zoom that fits is %1").arg(ZoomText(*Largest));
    throw Exception(Message);
}

void Paint(TSchemeData& Data, QPaintDevice& Device, const QSize& Size, Extended Zoom) {
    QPainter Painter(&Device);
    Painter.fillRect(QRect(QPoint(0, 0), Size), Qt::white);
    TCanvas Canvas(&Painter);
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

void RenderDocument(TSchemeData& Data, const QString& FileName, Extended Zoom) {
    const QString Suffix = QFileInfo(FileName).suffix().toLower();
    if (Suffix != QLatin1String("svg") && Suffix != QLatin1String("png"))
        throw Exception(QStringLiteral("Cannot render to \"%1\": the name must end in .png or .svg")
                            .arg(FileName));
    const QSize Size = CheckedDrawingSize(Data, Zoom);
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    if (Suffix == QLatin1String("svg")) {
        QSvgGenerator Svg;
        Svg.setOutputDevice(&Buffer);
        Svg.setSize(Size);
        Svg.setViewBox(QRect(QPoint(0, 0), Size));
        Svg.setTitle(QFileInfo(FileName).completeBaseName());
        Paint(Data, Svg, Size, Zoom);
    } else {
        QImage Image(Size, QImage::Format_RGB32);
        if (Image.isNull())
            throw Exception(QStringLiteral("Out of memory for a %1 x %2 image")
                                .arg(Size.width())
                                .arg(Size.height()));
        Paint(Data, Image, Size, Zoom);
        if (!Image.save(&Buffer, "PNG"))
            throw Exception(QStringLiteral("Cannot encode the %1 x %2 image as PNG")
                                .arg(Size.width())
                                .arg(Size.height()));
    }
    WriteFile(FileName, Bytes);
}
