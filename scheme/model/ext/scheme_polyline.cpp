#include "scheme/model/ext/scheme_polyline.h"

#include <algorithm>

#include "scheme/model/record.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

namespace scheme {

// ---- construction --------------------------------------------------------------------------

TSchemePolyline::TSchemePolyline(int Id, std::span<const TPoint> Points, int PenWidth, int State,
                                 const QString& Text, const TPoint& TextPoint)
    : TSchemePolygon(Id, Points, State, TBrushStyle::bsSolid, Text, TextPoint) {
    InitPolyline(PenWidth);
}

TSchemePolyline::TSchemePolyline(int Id, std::span<const TPoint> Points, int Count, int PenWidth,
                                 int State, const QString& Text, const TPoint& TextPoint)
    : TSchemePolygon(Id, Points, Count, State, TBrushStyle::bsSolid, Text, TextPoint) {
    InitPolyline(PenWidth);
}

TSchemePolyline::TSchemePolyline(int Id, const TPoint* Buffer, int Count, int PenWidth, int State,
                                 const QString& Text, int TextPointIndex)
    : TSchemePolygon(Id, Buffer, Count, State, TBrushStyle::bsSolid, Text, TextPointIndex) {
    InitPolyline(PenWidth);
}

TSchemePolyline::TSchemePolyline(int Id, std::span<const TPointExt> Points, int PenWidth, int State,
                                 const QString& Text, const TPointExt& TextPoint)
    : TSchemePolygon(Id, Points, State, TBrushStyle::bsSolid, Text, TextPoint) {
    InitPolyline(PenWidth);
}

TSchemePolyline::TSchemePolyline(int Id, std::span<const TPointExt> Points, int Count, int PenWidth,
                                 int State, const QString& Text, const TPointExt& TextPoint)
    : TSchemePolygon(Id, Points, Count, State, TBrushStyle::bsSolid, Text, TextPoint) {
    InitPolyline(PenWidth);
}

TSchemePolyline::TSchemePolyline(QStringList& Strings)
    : TSchemePolyline(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemePolyline::TSchemePolyline(const record::TRecord& Record)
    : TSchemePolygon(Record, StaticClassName()) {
    FArrow.Read(Record);
}

void TSchemePolyline::InitPolyline(int PenWidth) {
    InitPenWidth(PenWidth);
    SetFullRepaintIfMoved(false);
}

void TSchemePolyline::WriteRecord(record::TRecordWriter& Writer) const {
    TSchemePolygon::WriteRecord(Writer);
    FArrow.Write(Writer);
}

void TSchemePolyline::SetVisibleArrow(bool Value) {
    UpdateField(FArrow.VisibleArrow, Value);
}

void TSchemePolyline::SetBackArrow(bool Value) {
    UpdateField(FArrow.BackArrow, Value);
}

void TSchemePolyline::SetLengthArrow(int Value) {
    UpdateField(FArrow.LengthArrow, Value);
}

// ---- vertex operations ---------------------------------------------------------------------

void TSchemePolyline::SetResizedPoint(int Index) {
    if (Index > Count() - 1) Index = Count() - 1;
    if (Index < 0) Index = 0;
    TSchemePolygon::SetResizedPoint(Index);
}

void TSchemePolyline::AddPoint(int Index) {
    if (Count() >= kMaxPoints || Count() < 2 || Index < 0 || Index > Count() - 1)
        RaiseError(QStringLiteral("Can't add point!"));
    const TPointExt A = GetPointsExt(Index);
    TPointExt P;
    if (Index + 1 < Count()) {
        const TPointExt B = GetPointsExt(Index + 1);
        P = PointExt((A.X + B.X) / 2, (A.Y + B.Y) / 2);
    } else {
        const TPointExt Before = GetPointsExt(Index - 1);
        P = PointExt(A.X + (A.X - Before.X) / 2, A.Y + (A.Y - Before.Y) / 2);
    }
    Update([&] { InsertPoint(Index + 1, P); });
}

void TSchemePolyline::DeletePoint(int Index) {
    if (Count() <= kMinVertices || Index < 0 || Index > Count() - 1)
        RaiseError(QStringLiteral("Can't delete point!"));
    Update([&] {
        RemovePoint(Index);
        if (ResizedPoint() > Count() - 1) SetResizedPoint(Count() - 1);
    });
}

// ---- arrow ---------------------------------------------------------------------------------

TArrowHead TSchemePolyline::GetArrowPoints(Extended Zoom, int /*AParam*/) const {
    const TDevicePoints D = DevicePoints(Zoom);
    if (D.Count < 2) return TArrowHead::Compute(TPoint{}, TPoint{}, 0);
    return FArrow.Head(D.Points[0], D.Points[1], D.Points[D.Count - 2], D.Points[D.Count - 1],
                       Zoom);
}

QRegion TSchemePolyline::GetClippingRegionForArrow(Extended Zoom, int AParam) const {
    if (Count() < 2) return QRegion();
    const int W = Trunc((Extended(StrokePenWidth()) + 1) * Zoom / 2) + 1;
    const int R = Round((Extended(StrokePenWidth()) + 4) * Zoom / 2);
    return ArrowHeadRegion(GetArrowPoints(Zoom, AParam), W, R);
}

bool TSchemePolyline::CarriesArrow(int Detail) const {
    return BackArrow() ? Detail < 2 : Detail > Count() - 3;
}

// ---- painting and area ---------------------------------------------------------------------

void TSchemePolyline::SetCanvasProperties(TCanvas& Canvas, Extended Zoom) const {
    TSchemePolygon::SetCanvasProperties(Canvas, Zoom);
    Canvas.Pen().SetColor(Canvas.Brush().Color());
}

void TSchemePolyline::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    if (!Visible() || Count() < 2 || !Canvas.RectVisible(GetBoundsRect(Zoom, AParam))) return;
    const TDevicePoints Device = DevicePoints(Zoom);
    SetCanvasProperties(Canvas, Zoom);
    Canvas.Polyline(Device.Span());
    if (VisibleArrow()) GetArrowPoints(Zoom, AParam).DrawBarbs(Canvas);
    PaintText(Zoom, Canvas, AParam);
    PaintHookRect(Zoom, Canvas, AParam);
}

TSchemeArea TSchemePolyline::GetArea() const {
    return OutlineArea(FArrow.Reach());
}

TRect TSchemePolyline::GetBoundsRect(Extended Zoom, int /*AParam*/) const {
    return GetArea().AtZoom(Zoom);
}

QRegion TSchemePolyline::GetClippingRegion(Extended Zoom, int AParam) const {
    if (Count() < 2) return QRegion();
    const int W = SegmentHalfWidth(StrokePenWidth(), Zoom);
    const TDevicePoints D = DevicePoints(Zoom);
    QRegion Region;
    for (int I = 0; I + 1 < D.Count; ++I) Region += SegmentRegion(D.Points[I], D.Points[I + 1], W);
    if (VisibleArrow()) Region += GetClippingRegionForArrow(Zoom, AParam);
    return WithHooksAndText(Region, Zoom, AParam);
}

// The box around a union is the union of the boxes around its parts, so the segments' regions
// are measured one by one and never merged, which is what makes the whole region costly. A
// segment whose region surely lies inside the box found so far cannot widen it and is not built
// at all: the segments at the outermost points come first, so that most others are skipped.
TRect TSchemePolyline::GetClippingRegionBounds(Extended Zoom, int AParam) const {
    if (Count() < 2) return TRect{};
    const int W = SegmentHalfWidth(StrokePenWidth(), Zoom);
    const TDevicePoints D = DevicePoints(Zoom);
    QRect Bounds;
    auto Unite = [&Bounds](const QRegion& Part) {
        if (!Part.isEmpty())
            Bounds = Bounds.isNull() ? Part.boundingRect() : Bounds | Part.boundingRect();
    };
    auto Segment = [&](int I) {
        const TPoint& A = D.Points[I];
        const TPoint& B = D.Points[I + 1];
        if (!Bounds.isNull()) {
            const TRect Outer = SegmentRegionOuterBounds(A, B, W);
            if (Outer.IsEmpty() || Bounds.contains(ToQRect(Outer))) return;
        }
        Unite(SegmentRegion(A, B, W));
    };
    int Outermost[4] = {0, 0, 0, 0};
    for (int I = 1; I < D.Count; ++I) {
        const TPoint& P = D.Points[I];
        if (P.X < D.Points[Outermost[0]].X) Outermost[0] = I;
        if (P.Y < D.Points[Outermost[1]].Y) Outermost[1] = I;
        if (P.X > D.Points[Outermost[2]].X) Outermost[2] = I;
        if (P.Y > D.Points[Outermost[3]].Y) Outermost[3] = I;
    }
    for (const int I : Outermost) {
        if (I > 0) Segment(I - 1);
        if (I + 1 < D.Count) Segment(I);
    }
    for (int I = 0; I + 1 < D.Count; ++I) Segment(I);
    if (VisibleArrow()) Unite(GetClippingRegionForArrow(Zoom, AParam));
    Unite(GetHookClippingRegion(Zoom, AParam));
    Unite(GetTextClippingRegion(Zoom, AParam));
    return Bounds.isNull() ? TRect{} : FromQRect(Bounds);
}

// ---- dragging ------------------------------------------------------------------------------

QRegion TSchemePolyline::ChangePositionDetailAndGetDiffRgn(Extended X, Extended Y, int Detail,
                                                           Extended Zoom, int AParam) {
    QRegion Area;
    if (Detail < 0) {
        Area = GetClippingRegion(Zoom, AParam);
    } else {
        const int W = SegmentHalfWidth(StrokePenWidth(), Zoom);
        const TDevicePoints D = DevicePoints(Zoom);
        for (int K = 0; K < 2; ++K) {
            const int J = Detail - 1 + K;
            if (J < 0) continue;
            if (J + 1 > D.Count - 1) break;
            const TPoint& A = D.Points[J];
            const TPoint& B = D.Points[J + 1];
            Area += CreateRectRgn(std::min(A.X, B.X) - W, std::min(A.Y, B.Y) - W,
                                  std::max(A.X, B.X) + W, std::max(A.Y, B.Y) + W);
        }
        if (VisibleArrow() && CarriesArrow(Detail)) Area += GetClippingRegionForArrow(Zoom, AParam);
        Area = WithHooksAndText(Area, Zoom, AParam);
    }
    ChangePositionDetail(X, Y, Detail, AParam);
    return Area;
}

}  // namespace scheme
