#include "scheme/model/scheme_line.h"

#include "scheme/model/record.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

namespace scheme {

TSchemeLine::TSchemeLine(int Id, Extended X1, Extended Y1, Extended X2, Extended Y2, int PenWidth,
                         int State)
    : TSchemeObject(Id, State) {
    SetPointCount(2);
    StorePoint(0, PointExt(X1, Y1));
    StorePoint(1, PointExt(X2, Y2));
    InitPenWidth(PenWidth);
}

TSchemeLine::TSchemeLine(int Id, const TPoint& P1, const TPoint& P2, int PenWidth, int State)
    : TSchemeLine(Id, P1.X, P1.Y, P2.X, P2.Y, PenWidth, State) {}

TSchemeLine::TSchemeLine(QStringList& Strings)
    : TSchemeLine(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemeLine::TSchemeLine(const record::TRecord& Record)
    : TSchemeObject(Record.ExpectCount(StaticClassName(), 2)) {
    FArrow.Read(Record);
}

void TSchemeLine::WriteRecord(record::TRecordWriter& Writer) const {
    TSchemeObject::WriteRecord(Writer);
    FArrow.Write(Writer);
}

void TSchemeLine::SetVisibleArrow(bool Value) {
    UpdateField(FArrow.VisibleArrow, Value);
}

void TSchemeLine::SetBackArrow(bool Value) {
    UpdateField(FArrow.BackArrow, Value);
}

void TSchemeLine::SetLengthArrow(int Value) {
    UpdateField(FArrow.LengthArrow, Value);
}

// ---- geometry ------------------------------------------------------------------------------

void TSchemeLine::GetZoomPoints(Extended Zoom, int /*AParam*/, TPoint& P1, TPoint& P2) const {
    const TPointExt A = GetPointsExt(0);
    const TPointExt B = GetPointsExt(1);
    P1 = TPoint{Trunc(A.X * Zoom), Trunc(A.Y * Zoom)};
    P2 = TPoint{Trunc(B.X * Zoom), Trunc(B.Y * Zoom)};
}

TArrowHead TSchemeLine::GetArrowPoints(Extended Zoom, int AParam) const {
    TPoint A, B;
    GetZoomPoints(Zoom, AParam, A, B);
    return FArrow.Head(A, B, A, B, Zoom);
}

// ---- painting and area ---------------------------------------------------------------------

void TSchemeLine::SetCanvasProperties(TCanvas& Canvas, Extended Zoom) const {
    TSchemeObject::SetCanvasProperties(Canvas, Zoom);
    Canvas.Pen().SetColor(Canvas.Brush().Color());
}

void TSchemeLine::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    if (!Visible()) return;
    TPoint A, B;
    GetZoomPoints(Zoom, AParam, A, B);
    SetCanvasProperties(Canvas, Zoom);
    Canvas.MoveTo(A.X, A.Y);
    Canvas.LineTo(B.X, B.Y);
    if (VisibleArrow()) GetArrowPoints(Zoom, AParam).DrawBarbs(Canvas);
    PaintHookRect(Zoom, Canvas, AParam);
    PaintText(Zoom, Canvas, AParam);
}

TSchemeArea TSchemeLine::GetArea() const {
    return OutlineArea(FArrow.Reach());
}

TRect TSchemeLine::GetBoundsRect(Extended Zoom, int /*AParam*/) const {
    return GetArea().AtZoom(Zoom);
}

QRegion TSchemeLine::GetClippingRegion(Extended Zoom, int AParam) const {
    TPoint A, B;
    GetZoomPoints(Zoom, AParam, A, B);
    const int W = SegmentHalfWidth(StrokePenWidth(), Zoom);
    QRegion Region = SegmentRegion(A, B, W);
    if (VisibleArrow()) {
        // The barb ends get the hook's half-size, or more for a pen whose round ends reach
        // further.
        const int HookHalf = Trunc(Zoom * 4 / 2);
        const int EndHalf = Round((Extended(StrokePenWidth()) + 4) * Zoom / 2);
        Region += ArrowHeadRegion(GetArrowPoints(Zoom, AParam), W + 1, MaxInt(HookHalf, EndHalf));
    }
    return WithHooksAndText(Region, Zoom, AParam);
}

// ---- dragging ------------------------------------------------------------------------------

void TSchemeLine::ChangePositionDetail(Extended X, Extended Y, int Detail, int /*AParam*/) {
    DragPoints(X, Y, Detail);
}

}  // namespace scheme
