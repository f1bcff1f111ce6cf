#include "render.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

using namespace scheme;

namespace {

// Images larger than this on either side are refused rather than allocated.
constexpr int kMaxSide = 20000;

// The pixel size that covers every object from the world origin, plus a small margin.
QSize DocumentSize(const TSchemeData& Data, Extended Zoom) {
    int Right = 1, Bottom = 1;
    for (int L = 0; L < Data.LayerCount(); ++L) {
        const TSchemeLayer* Layer = Data.GetLayerIndex(L);
        for (int I = 0; I < Layer->Count(); ++I) {
            const TRect R = RegionBounds(Layer->GetItemIndex(I)->GetClippingRegion(Zoom, 0));
            Right = std::max(Right, R.Right);
            Bottom = std::max(Bottom, R.Bottom);
        }
    }
    const QSize Size(Right + 4, Bottom + 4);
    if (Size.width() > kMaxSide || Size.height() > kMaxSide)
        throw Exception(
            QStringLiteral("The drawing would be %1 x %2 pixels, more than %3 on a side; "
                           "choose a smaller --zoom")
                .arg(Size.width())
                .arg(Size.height())
                .arg(kMaxSide));
    return Size;
}

void Paint(TSchemeData& Data, QPaintDevice& Device, const QSize& Size, Extended Zoom) {
    QPainter Painter(&Device);
    Painter.fillRect(QRect(QPoint(0, 0), Size), Qt::white);
    TCanvas Canvas(&Painter);
    Data.PaintDirectInCanvas(Canvas, 0, 0, Zoom, 0);
}

}  // namespace

void RenderDocument(TSchemeData& Data, const QString& FileName, Extended Zoom) {
    const QSize Size = DocumentSize(Data, Zoom);
    const QString Suffix = QFileInfo(FileName).suffix().toLower();
    if (Suffix == QLatin1String("svg")) {
        QSvgGenerator Svg;
        Svg.setFileName(FileName);
        Svg.setSize(Size);
        Svg.setViewBox(QRect(QPoint(0, 0), Size));
        Svg.setTitle(QFileInfo(FileName).completeBaseName());
        Paint(Data, Svg, Size, Zoom);
        if (!QFileInfo(FileName).isFile())
            throw Exception(QStringLiteral("Cannot write file \"%1\"").arg(FileName));
        return;
    }
    if (Suffix != QLatin1String("png"))
        throw Exception(QStringLiteral("Cannot render to \"%1\": the name must end in .png or .svg")
                            .arg(FileName));
    QImage Image(Size, QImage::Format_RGB32);
    if (Image.isNull())
        throw Exception(QStringLiteral("Out of memory for a %1 x %2 image")
                            .arg(Size.width())
                            .arg(Size.height()));
    Paint(Data, Image, Size, Zoom);
    if (!Image.save(FileName, "PNG"))
        throw Exception(QStringLiteral("Cannot write file \"%1\"").arg(FileName));
}
