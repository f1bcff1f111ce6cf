#include "designer/design_preview.h"

#include "scheme/view/scheme_visual.h"

namespace scheme::designer {

namespace {

// The sample's place in world units and the light grid's spacing.
constexpr TRect kSampleBox{20, 20, 150, 90};
constexpr TRect kSampleEllipse{200, 35, 240, 75};
constexpr int kPreviewGridStep = 20;
constexpr int kMinGridPixels = 4;

int Zoomed(const TSchemeVisual& View, Extended World) {
    return Round(View.Zoom() * World);
}

TRect Zoomed(const TSchemeVisual& View, const TRect& World) {
    return TRect{Zoomed(View, World.Left), Zoomed(View, World.Top), Zoomed(View, World.Right),
                 Zoomed(View, World.Bottom)};
}

void PaintPreviewGrid(TSchemeVisual& View, TCanvas& Canvas) {
    const bool Own = View.Grid().Enabled() && View.Grid().DeltaX() > 0 && View.Grid().DeltaY() > 0;
    const int SX = Own ? Zoomed(View, View.Grid().DeltaX()) : Zoomed(View, kPreviewGridStep);
    const int SY = Own ? Zoomed(View, View.Grid().DeltaY()) : Zoomed(View, kPreviewGridStep);
    if (SX < kMinGridPixels || SY < kMinGridPixels) return;
    if (Own) {
        Canvas.Pen().Assign(View.GridPen());
    } else {
        Canvas.Pen().SetColor(clSilver);
        Canvas.Pen().SetStyle(TPenStyle::psDot);
    }
    const TRect Area = View.VisibleRect();
    for (int X = Area.Left / SX * SX; X <= Area.Right; X += SX) {
        Canvas.MoveTo(X, Area.Top);
        Canvas.LineTo(X, Area.Bottom);
    }
    for (int Y = Area.Top / SY * SY; Y <= Area.Bottom; Y += SY) {
        Canvas.MoveTo(Area.Left, Y);
        Canvas.LineTo(Area.Right, Y);
    }
}

void PaintSample(TSchemeVisual& View, TCanvas& Canvas) {
    const TRect Box = Zoomed(View, kSampleBox);
    const TRect Oval = Zoomed(View, kSampleEllipse);
    Canvas.Pen().SetStyle(TPenStyle::psSolid);
    Canvas.Pen().SetColor(clNavy);
    Canvas.MoveTo(Box.Right, (Box.Top + Box.Bottom) / 2);
    Canvas.LineTo(Oval.Left, (Oval.Top + Oval.Bottom) / 2);
    Canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    Canvas.Brush().SetColor(clSkyBlue);
    Canvas.RoundRect(Box.Left, Box.Top, Box.Right, Box.Bottom, Zoomed(View, 16), Zoomed(View, 16));
    Canvas.Brush().SetColor(clMoneyGreen);
    Canvas.Ellipse(Oval.Left, Oval.Top, Oval.Right, Oval.Bottom);
    const QString Caption = QString::fromUtf8(View.metaObject()->className()).section("::", -1);
    Canvas.SetBkMode(TBkMode::Transparent);
    Canvas.Font().SetColor(clNavy);
    Canvas.TextOut((Box.Left + Box.Right - Canvas.TextWidth(Caption)) / 2,
                   (Box.Top + Box.Bottom - Canvas.TextHeight(Caption)) / 2, Caption);
}

}  // namespace

void InstallDesignPreview(TSchemeVisual* View) {
    View->OnPaint = [View](TObject*, TCanvas& Canvas) {
        if (View->SchemeData()) return;
        PaintPreviewGrid(*View, Canvas);
        PaintSample(*View, Canvas);
    };
}

}  // namespace scheme::designer
