#include "scheme/model/record.h"
#include "scheme/model/scheme_box.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/region.h"

namespace scheme {

namespace {

// The kind a shape paints as: a value outside the six paints as a rectangle.
TShapeType PaintedKind(TShapeType Shape) {
    const int Ordinal = static_cast<int>(Shape);
    return (Ordinal >= 0 && Ordinal <= 5) ? Shape : TShapeType::stRectangle;
}

bool IsSquareKind(TShapeType Shape) {
    return Shape == TShapeType::stSquare || Shape == TShapeType::stRoundSquare ||
           Shape == TShapeType::stCircle;
}

bool IsRounded(TShapeType Shape) {
    return Shape == TShapeType::stRoundRect || Shape == TShapeType::stRoundSquare;
}

bool IsEllipse(TShapeType Shape) {
    return Shape == TShapeType::stEllipse || Shape == TShapeType::stCircle;
}

}  // namespace

TSchemeShape::TSchemeShape(int Id, const TRect& Rect, int State, TShapeType Shape)
    : TSchemeBox(Id, Rect, State), FShape(Shape) {}

TSchemeShape::TSchemeShape(int Id, Extended X, Extended Y, Extended Width, Extended Height,
                           int State, TShapeType Shape)
    : TSchemeBox(Id, X, Y, Width, Height, State), FShape(Shape) {}

TSchemeShape::TSchemeShape(QStringList& Strings)
    : TSchemeShape(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemeShape::TSchemeShape(const record::TRecord& Record) : TSchemeBox(Record, StaticClassName()) {
    if (auto V = Record.OptInt("Shape")) FShape = static_cast<TShapeType>(*V);
}

void TSchemeShape::WriteRecord(record::TRecordWriter& Writer) const {
    TSchemeBox::WriteRecord(Writer);
    Writer.WriteInt("Shape", static_cast<int>(FShape));
}

void TSchemeShape::SetShape(TShapeType Value) {
    UpdateField(FShape, Value);
}

TSchemeShape::TGeometry TSchemeShape::Geometry(TShapeType Shape, const TRect& R) {
    TGeometry G{R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top, 0};
    const int M = G.W < G.H ? G.W : G.H;
    if (IsSquareKind(PaintedKind(Shape))) {
        G.X += (G.W - M) / 2;
        G.Y += (G.H - M) / 2;
        G.W = M;
        G.H = M;
    }
    G.Corner = M / 4;
    return G;
}

void TSchemeShape::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    const TRect R = GetZoomRect(Zoom, AParam);
    if (SkipPaint(Zoom, Canvas, AParam)) return;
    SetCanvasProperties(Canvas, Zoom);
    const TShapeType Kind = PaintedKind(FShape);
    const TGeometry G = Geometry(Kind, R);
    if (IsRounded(Kind))
        Canvas.RoundRect(G.X, G.Y, G.X + G.W, G.Y + G.H, G.Corner, G.Corner);
    else if (IsEllipse(Kind))
        Canvas.Ellipse(G.X, G.Y, G.X + G.W, G.Y + G.H);
    else
        Canvas.Rectangle(G.X, G.Y, G.X + G.W, G.Y + G.H);
    PaintOverlay(Zoom, Canvas, AParam);
}

// The shape's own region is cut from this geometry; curved kinds get a margin, so that the
// curved region surely covers the curved outline.
TSchemeShape::TGeometry TSchemeShape::RegionGeometry(Extended Zoom, int AParam) const {
    const TShapeType Kind = PaintedKind(FShape);
    TGeometry G = Geometry(Kind, GetPenZoomRect(Zoom, AParam));
    if (IsRounded(Kind) || IsEllipse(Kind)) {
        G.X -= 1;
        G.Y -= 1;
        G.W += 3;
        G.H += 3;
    }
    return G;
}

QRegion TSchemeShape::GetClippingRegion(Extended Zoom, int AParam) const {
    const TShapeType Kind = PaintedKind(FShape);
    const TGeometry G = RegionGeometry(Zoom, AParam);
    QRegion Region;
    if (IsRounded(Kind))
        Region = CreateRoundRectRgn(G.X, G.Y, G.X + G.W, G.Y + G.H, G.Corner, G.Corner);
    else if (IsEllipse(Kind))
        Region = CreateEllipticRgn(G.X, G.Y, G.X + G.W, G.Y + G.H);
    else
        Region = CreateRectRgn(G.X, G.Y, G.X + G.W, G.Y + G.H);
    return WithHooksAndText(Region, Zoom, AParam);
}

bool TSchemeShape::PointInside(Extended X, Extended Y, int AParam) const {
    const TShapeType Kind = PaintedKind(FShape);
    const TGeometry G = RegionGeometry(1.0, AParam);
    const int PX = Trunc(X), PY = Trunc(Y);
    bool Inside = false;
    if (IsRounded(Kind))
        Inside = PtInRoundRectRgn(G.X, G.Y, G.X + G.W, G.Y + G.H, G.Corner, G.Corner, PX, PY);
    else if (IsEllipse(Kind))
        Inside = PtInEllipticRgn(G.X, G.Y, G.X + G.W, G.Y + G.H, PX, PY);
    else
        Inside = PtInRectRgn(G.X, G.Y, G.X + G.W, G.Y + G.H, PX, PY);
    return Inside || PointInHooksOrText(PX, PY, AParam);
}

}  // namespace scheme
