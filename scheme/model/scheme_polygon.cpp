#include "scheme/model/scheme_polygon.h"

#include <algorithm>

#include "scheme/model/record.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"
#include "scheme/platform/string_list.h"

namespace scheme {

namespace {

const QString kCantAdd = QStringLiteral("Can't add point!");
const QString kCantDelete = QStringLiteral("Can't delete point!");

// The most points an array of Available entries can give: the capacity bounds it.
int AtMostCapacity(size_t Available) {
    return static_cast<int>(std::min<size_t>(Available, TSchemePolygon::kMaxPoints));
}

// How many points a constructor takes when asked for Count of an array of Available entries.
int Taken(int Count, size_t Available) {
    if (Count < 0) RaiseError(QStringLiteral("TSchemePolygon : Count %1 is negative").arg(Count));
    return MinInt(Count, AtMostCapacity(Available));
}

// Checks a record's Count before the base reads the vertices, so that an oversized record
// fails with its own message instead of at some missing key, or after reading them all. The
// message names KindName, the class the record was meant for.
const record::TRecord& CheckedRecord(const record::TRecord& Record, const QString& KindName) {
    const int Count = Record.Count("Count");
    if (Count > TSchemePolygon::kMaxPoints)
        RaiseError(QStringLiteral("%1 : Count %2 exceeds %3 points")
                       .arg(KindName)
                       .arg(Count)
                       .arg(TSchemePolygon::kMaxPoints));
    return Record;
}

// The clip region is the polygon united with copies of itself shifted to each neighbour.
constexpr TPoint kNeighbours[] = {{-2, 0}, {2, 0}, {0, 2},  {0, -2},
                                  {2, -2}, {2, 2}, {-2, 2}, {-2, -2}};

}  // namespace

// ---- construction --------------------------------------------------------------------------

TSchemePolygon::TSchemePolygon(int Id, std::span<const TPoint> Points, int State,
                               TBrushStyle BrushStyle, const QString& Text, const TPoint& TextPoint)
    : TSchemePolygon(Id, Points, AtMostCapacity(Points.size()), State, BrushStyle, Text,
                     TextPoint) {}

TSchemePolygon::TSchemePolygon(int Id, std::span<const TPoint> Points, int Count, int State,
                               TBrushStyle BrushStyle, const QString& Text, const TPoint& TextPoint)
    : TSchemeObject(Id, State) {
    TakePoints(Points.first(static_cast<size_t>(Taken(Count, Points.size()))));
    SetCaption(BrushStyle, Text, Point2PointExt(TextPoint));
}

TSchemePolygon::TSchemePolygon(int Id, const TPoint* Buffer, int Count, int State,
                               TBrushStyle BrushStyle, const QString& Text, int TextPointIndex)
    : TSchemeObject(Id, State) {
    const int N = Taken(Count, kMaxPoints);
    if (N > 0 && !Buffer) RaiseError(QStringLiteral("TSchemePolygon : no points to read"));
    TakePoints(std::span<const TPoint>(Buffer, static_cast<size_t>(N)));
    const bool OnVertex = TextPointIndex >= 0 && TextPointIndex < this->Count();
    SetCaption(BrushStyle, Text, GetPointsExt(OnVertex ? TextPointIndex : 0));
}

TSchemePolygon::TSchemePolygon(int Id, std::span<const TPointExt> Points, int State,
                               TBrushStyle BrushStyle, const QString& Text,
                               const TPointExt& TextPoint)
    : TSchemePolygon(Id, Points, AtMostCapacity(Points.size()), State, BrushStyle, Text,
                     TextPoint) {}

TSchemePolygon::TSchemePolygon(int Id, std::span<const TPointExt> Points, int Count, int State,
                               TBrushStyle BrushStyle, const QString& Text,
                               const TPointExt& TextPoint)
    : TSchemeObject(Id, State) {
    TakePoints(Points.first(static_cast<size_t>(Taken(Count, Points.size()))));
    SetCaption(BrushStyle, Text, TextPoint);
}

TSchemePolygon::TSchemePolygon(QStringList& Strings)
    : TSchemePolygon(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemePolygon::TSchemePolygon(const record::TRecord& Record)
    : TSchemePolygon(Record, StaticClassName()) {}

TSchemePolygon::TSchemePolygon(const record::TRecord& Record, const QString& KindName)
    : TSchemeObject(CheckedRecord(Record, KindName)) {}

void TSchemePolygon::TakePoints(std::span<const TPoint> Points) {
    SetPointCount(static_cast<int>(Points.size()));
    for (size_t I = 0; I < Points.size(); ++I)
        StorePoint(static_cast<int>(I), Point2PointExt(Points[I]));
}

void TSchemePolygon::TakePoints(std::span<const TPointExt> Points) {
    SetPointCount(static_cast<int>(Points.size()));
    for (size_t I = 0; I < Points.size(); ++I) StorePoint(static_cast<int>(I), Points[I]);
}

// Outside a layer and before anyone listens, the setters only store.
void TSchemePolygon::SetCaption(TBrushStyle BrushStyle, const QString& Text,
                                const TPointExt& TextPoint) {
    SetText(Text);
    SetTextPoint(TextPoint);
    InitBrushStyle(BrushStyle);
}

// ---- vertex operations ---------------------------------------------------------------------

void TSchemePolygon::DeletePoint(int Index) {
    if (Count() <= kMinPoints || Index < 0 || Index > Count() - 1) RaiseError(kCantDelete);
    Update([&] {
        RemovePoint(Index);
        if (ResizedPoint() > Count() - 1) SetResizedPoint(Count() - 1);
    });
}

void TSchemePolygon::AddPoint(int Index) {
    if (Count() >= kMaxPoints || Count() < 2 || Index < 0 || Index > Count() - 1)
        RaiseError(kCantAdd);
    const TPointExt A = GetPointsExt(Index);
    const TPointExt B = GetPointsExt(Index + 1 < Count() ? Index + 1 : 0);
    Update([&] { InsertPoint(Index + 1, PointExt((A.X + B.X) / 2, (A.Y + B.Y) / 2)); });
}

void TSchemePolygon::AddPoint(const TPoint& P) {
    AddPointExt(Point2PointExt(P));
}

void TSchemePolygon::AddPoint(const TPoint& P, int Index) {
    AddPointExt(Point2PointExt(P), Index);
}

void TSchemePolygon::AddPointExt(const TPointExt& P) {
    AddPointExt(P, Count());
}

void TSchemePolygon::AddPointExt(const TPointExt& P, int Index) {
    if (Count() >= kMaxPoints || Index < 0 || Index > Count()) RaiseError(kCantAdd);
    Update([&] { InsertPoint(Index, P); });
}

void TSchemePolygon::DeleteResizedPoint() {
    const int I = ResizedPoint();
    Batch([&] {
        DeletePoint(I);
        SetResizedPoint(I - 1);
    });
}

void TSchemePolygon::AddResizedPoint() {
    const int I = ResizedPoint();
    Batch([&] {
        AddPoint(I);
        SetResizedPoint(I + 1);
    });
}

// ---- area and painting ---------------------------------------------------------------------

TSchemePolygon::TDevicePoints TSchemePolygon::DevicePoints(Extended Zoom) const {
    TDevicePoints Result;
    Result.Count = MinInt(Count(), kMaxPoints);
    for (int I = 0; I < Result.Count; ++I) {
        const TPointExt P = GetPointsExt(I);
        Result.Points[I] = TPoint{Trunc(P.X * Zoom), Trunc(P.Y * Zoom)};
    }
    return Result;
}

void TSchemePolygon::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    if (!Visible() || Count() < 2) return;
    if (!Canvas.RectVisible(GetBoundsRect(Zoom, AParam))) return;
    const TDevicePoints Device = DevicePoints(Zoom);
    SetCanvasProperties(Canvas, Zoom);
    Canvas.Polygon(Device.Span());
    PaintText(Zoom, Canvas, AParam);
    PaintHookRect(Zoom, Canvas, AParam);
}

TSchemeArea TSchemePolygon::GetArea() const {
    return OutlineArea(0);
}

TRect TSchemePolygon::GetBoundsRect(Extended Zoom, int /*AParam*/) const {
    return GetArea().AtZoom(Zoom);
}

QRegion TSchemePolygon::GetClippingRegion(Extended Zoom, int AParam) const {
    // Fewer than three vertices enclose nothing: such a polygon cannot be hit.
    if (Count() < 3) return QRegion();
    const QRegion Body = CreatePolygonRgn(DevicePoints(Zoom).Span(), TPolyFillMode::Winding);
    QRegion Region = Body;
    for (const TPoint& D : kNeighbours) Region += OffsetRgn(Body, D.X, D.Y);
    return WithHooksAndText(Region, Zoom, AParam);
}

// The body's region and its eight shifted copies, hooks and caption, asked without being built.
bool TSchemePolygon::PointInside(Extended X, Extended Y, int AParam) const {
    if (Count() < 3) return false;
    const TDevicePoints Device = DevicePoints(1.0);
    const TPolygonRgn Body(Device.Span(), TPolyFillMode::Winding);
    const int PX = Trunc(X), PY = Trunc(Y);
    if (Body.Contains(PX, PY)) return true;
    for (const TPoint& D : kNeighbours)
        if (Body.Contains(PX - D.X, PY - D.Y)) return true;
    return PointInHooksOrText(PX, PY, AParam);
}

// ---- dragging ------------------------------------------------------------------------------

void TSchemePolygon::ChangePositionDetail(Extended X, Extended Y, int Detail, int /*AParam*/) {
    DragPoints(X, Y, Detail);
}

// The bounding box alone misses the 2-pixel widening at zooms below 1, so the old region is
// added as well; hooks and caption are added apart, since a polygon of fewer than three
// vertices has no region that would bring them.
QRegion TSchemePolygon::ChangePositionDetailAndGetDiffRgn(Extended X, Extended Y, int Detail,
                                                          Extended Zoom, int AParam) {
    QRegion Old =
        WithHooksAndText(CreateRectRgnIndirect(GetClippingOutsideRect(Zoom, AParam)), Zoom, AParam);
    Old += GetClippingRegion(Zoom, AParam);
    ChangePositionDetail(X, Y, Detail, AParam);
    return Old;
}

}  // namespace scheme
