#include "scheme/model/scheme_object.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "scheme/model/class_registry.h"
#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

namespace scheme {

IWindowHandle::~IWindowHandle() = default;

TSchemeObject::TSchemeObject(int Id, int State) {
    InitDefaults(Id, State);
}

TSchemeObject::TSchemeObject(QStringList& Strings)
    : TSchemeObject(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemeObject::TSchemeObject(const record::TRecord& Record) {
    InitDefaults(Record.Int("ID"), Record.Int("State"));
    ReadRecord(Record);
}

// No error may leave a destructor: what OnDestroy raises goes to the application's error
// handler, and the layer reports the departure to the document (which erases the object's last
// area and frees its links) the same way.
TSchemeObject::~TSchemeObject() {
    RunGuarded([&] {
        if (OnDestroy) OnDestroy(this);
    });
    FVisible = false;
    FSelected = false;
    if (FLayer) FLayer->ObjectDestroyed(this);
}

void TSchemeObject::InitDefaults(int Id, int State) {
    FId = Id;
    FState = State;
}

// ---- tools and rare parts ------------------------------------------------------------------

void TSchemeObject::Attach(TGraphicsObject& Part) {
    Part.OnChange = [this](TObject* Sender) { Changed(Sender); };
    Part.SetChangingOwner(this);
}

void TSchemeObject::Attach(TStringList& Part) {
    Part.OnChange = [this](TObject* Sender) { Changed(Sender); };
    Part.SetChangingOwner(this);
}

TSchemeObject::TTools& TSchemeObject::Tools() const {
    TRareParts& R = Rare();
    if (!R.Tools) {
        auto Made = std::make_unique<TTools>();
        Made->Brush.SetData(FBrushData);
        Made->Pen.SetData(FPenData);
        Made->SelectedBrush.SetData(FSelectedBrushData);
        Made->SelectedPen.SetData(FSelectedPenData);
        auto* Self = const_cast<TSchemeObject*>(this);
        Self->Attach(Made->Brush);
        Self->Attach(Made->Pen);
        Self->Attach(Made->SelectedBrush);
        Self->Attach(Made->SelectedPen);
        R.Tools = std::move(Made);
    }
    return *R.Tools;
}

TStringList* TSchemeObject::Properties() const {
    TRareParts& R = Rare();
    if (!R.PropertiesAttached) {
        const_cast<TSchemeObject*>(this)->Attach(R.Properties);
        R.PropertiesAttached = true;
    }
    return &R.Properties;
}

const QStringList& TSchemeObject::PropertyLines() const {
    static const QStringList kNone;
    return FRare ? FRare->Properties.Lines() : kNone;
}

void TSchemeObject::InitBrushStyle(TBrushStyle Style) {
    if (TTools* T = MadeTools())
        T->Brush.SetStyle(Style);
    else
        FBrushData.Style = Style;
}

void TSchemeObject::InitPenWidth(int Width) {
    if (TTools* T = MadeTools())
        T->Pen.SetWidth(Width);
    else
        FPenData.Width = TPen::CheckedWidth(Width);
}

// ---- properties ----------------------------------------------------------------------------

void TSchemeObject::SetId(int Value) {
    if (Value == FId) return;
    Changing();
    const int Old = FId;
    FId = Value;
    if (FLayer) FLayer->ObjectIdChanged(this, Old);
    Changed();
}

void TSchemeObject::SetState(int Value) {
    if (Value == FState) return;
    Changing();
    FState = Value;
    Changed();
}

void TSchemeObject::SetSelected(bool Value) {
    if (Value == FSelected) return;
    UpdateViewState([&] {
        FSelected = Value;
        FSelectionPending = true;
    });
}

void TSchemeObject::SetResized(bool Value) {
    if (Value == FResized) return;
    Update(
        [&] {
            FResized = Value;
            FResizedPoint = 0;
        },
        true);
}

void TSchemeObject::SetMoved(bool Value) {
    FMoved = Value;
}

void TSchemeObject::SetVisible(bool Value) {
    if (Value == FVisible) return;
    Changing();
    FVisible = Value;
    Changed();
}

void TSchemeObject::SetEnabled(bool Value) {
    UpdateField(FEnabled, Value);
}

void TSchemeObject::SetStateColorSupport(bool Value) {
    if (Value == FStateColorSupport) return;
    Changing();
    FStateColorSupport = Value;
    Changed();
}

void TSchemeObject::SetHintString(const QString& Value) {
    if (Value == (FRare ? FRare->HintString : QString())) return;
    Changing();
    Rare().HintString = Value;
    Changed();
}

void TSchemeObject::JoinLayer(TSchemeLayer* Layer) {
    FLayer = Layer;
    FArea = GetArea();
    if (OnChange) OnChange(this);
}

void TSchemeObject::LeaveLayer() {
    FLayer = nullptr;
    if (OnChange) OnChange(this);
}

const QString& TSchemeObject::Text() const {
    static const QString kNone;
    return FCaption ? FCaption->Text : kNone;
}

void TSchemeObject::SetText(const QString& Value) {
    if (Value == Text()) return;
    Update([&] {
        if (Value.isEmpty() && Value.isNull()) {
            FCaption.reset();
            return;
        }
        if (!FCaption) FCaption = std::make_unique<TCaption>();
        FCaption->Text = Value;
        FCaption->Measured = false;
    });
}

void TSchemeObject::SetTextPoint(const TPointExt& Value) {
    const TPointExt Old = FPoints.Anchor();
    if (Value.X == Old.X && Value.Y == Old.Y) return;
    Update([&] { FPoints.SetAnchor(Value); });
}

// The list announces its own change; both go to the document as one notice.
void TSchemeObject::SetProperties(const QStringList& Value) {
    Batch([&] {
        Properties()->Assign(Value);
        Changed();
    });
}

namespace {
int GKeptResizedPoints = 0;
}  // namespace

TKeepResizedPoints::TKeepResizedPoints() {
    ++GKeptResizedPoints;
}

TKeepResizedPoints::~TKeepResizedPoints() {
    --GKeptResizedPoints;
}

bool TKeepResizedPoints::Active() {
    return GKeptResizedPoints > 0;
}

void TSchemeObject::SetResizedPoint(int Index) {
    if (TKeepResizedPoints::Active()) return;
    if (Index > Count() - 1) Index = 0;
    if (Index < 0) Index = Count() - 1;
    UpdateViewState([&] { FResizedPoint = Index; });
}

// ---- points --------------------------------------------------------------------------------

void TSchemeObject::SetPointCount(int Count) {
    Changing();
    FPoints.Reset(Count);
}

void TSchemeObject::InsertPoint(int Index, const TPointExt& P) {
    if (Index < 0 || Index > Count()) return;
    Changing();
    FPoints.Insert(Index, P);
}

void TSchemeObject::RemovePoint(int Index) {
    if (Index < 0 || Index >= Count()) return;
    Changing();
    FPoints.Erase(Index);
}

TPointExt TSchemeObject::GetPointsExt(int Index) const {
    if (Index < 0 || Index >= Count()) return TPointExt{};
    return FPoints.Point(Index);
}

void TSchemeObject::SetPointsExt(int Index, const TPointExt& P, bool Repaint) {
    SetPointsExtBase(Index, P, Repaint);
}

void TSchemeObject::SetPointsExtBase(int Index, const TPointExt& P, bool Repaint) {
    if (Index < 0 || Index >= Count()) return;
    Changing();
    const TPointExt Point = FPoints.Point(Index);
    const TPointExt Anchor = FPoints.Anchor();
    const bool CaptionFollows = Index == 0 && Anchor.X == Point.X && Anchor.Y == Point.Y;
    const Extended DX = P.X - Point.X;
    const Extended DY = P.Y - Point.Y;
    FPoints.SetPoint(Index, P);
    if (CaptionFollows) FPoints.SetAnchor(P);
    if (OnChange) OnChange(this);
    if (Repaint) AnnounceChange();
    if (!FMoved && FLayer) {
        if (ISchemeData* Data = FLayer->SchemeData())
            Data->ObjectWasChangedPosition(this, DX, DY, Index);
    }
}

// Every point is set in order with its own OnChange and position report (followers of single
// points rely on those); the document hears one change notice for the whole move.
void TSchemeObject::MoveToExt(const TPointExt& P) {
    if (Count() == 0) return;
    const TPointExt First = FPoints.Point(0);
    const Extended DX = P.X - First.X;
    const Extended DY = P.Y - First.Y;
    MoveWhole([&] {
        Batch([&] {
            for (int I = 0; I < Count(); ++I) {
                const TPointExt Old = FPoints.Point(I);
                SetPointsExtA(I, PointExt(Old.X + DX, Old.Y + DY));
            }
        });
    });
}

// ---- notification --------------------------------------------------------------------------

void TSchemeObject::Changed(TObject* Sender) {
    if (OnChange) OnChange(Sender);
    AnnounceChange();
}

void TSchemeObject::RepaintDirect() {
    if (FLayer) FLayer->ObjectRepaintDirect(this);
}

void TSchemeObject::Changing() {
    if (FLayer) FLayer->ObjectChanging(this);
}

void TSchemeObject::PartChanging(TObject* /*Part*/) {
    Changing();
}

void TSchemeObject::AnnounceChange(bool ADrawn) {
    if (FDeferred > 0) {
        FAnnouncePending = true;
        return;
    }
    const bool Selection = std::exchange(FSelectionPending, false);
    if (!FLayer) return;
    const TSchemeArea Before = FArea;
    FArea = GetArea();
    FLayer->ObjectChanged(this, Before, ADrawn, Selection);
}

void TSchemeObject::EndBatch() {
    if (--FDeferred == 0 && std::exchange(FAnnouncePending, false)) AnnounceChange();
}

bool TSchemeObject::HasDetail(int Detail) const {
    return Detail == -1 || (Detail >= 0 && Detail < Count());
}

// ---- hooks, outline and hit tests ----------------------------------------------------------

std::vector<TRect> TSchemeObject::GetHookRect(Extended Zoom, int /*AParam*/) const {
    const int H = Trunc(Zoom * 4 / 2);
    std::vector<TRect> Rects;
    const int N = MinInt(Count(), kMaxHooks);
    Rects.reserve(static_cast<size_t>(N));
    for (int I = 0; I < N; ++I) {
        const TPointExt P = FPoints.Point(I);
        const int L = Trunc(P.X * Zoom) - H;
        const int T = Trunc(P.Y * Zoom) - H;
        Rects.push_back(TRect{L, T, L + 2 * H, T + 2 * H});
    }
    return Rects;
}

void TSchemeObject::PaintHookRect(Extended Zoom, TCanvas& Canvas, int AParam) const {
    if (!FResized) return;
    const std::vector<TRect> Rects = GetHookRect(Zoom, AParam);
    Canvas.Pen().SetColor(clBlack);
    Canvas.Pen().SetWidth(1);
    for (size_t I = 0; I < Rects.size(); ++I) {
        if (static_cast<int>(I) == FResizedPoint)
            Canvas.InvertRect(Rects[I]);
        else
            Canvas.Rectangle(Rects[I]);
    }
}

std::vector<TRect> TSchemeObject::HookClipRects(Extended Zoom, int AParam) const {
    if (!FResized) return {};
    const int Width = PenData().Width;
    const int Grow = Width > 4 ? Width : 0;
    std::vector<TRect> Rects = GetHookRect(Zoom, AParam);
    for (TRect& R : Rects) InflateRect(R, Grow, Grow);
    return Rects;
}

QRegion TSchemeObject::GetHookClippingRegion(Extended Zoom, int AParam) const {
    QRegion Region;
    for (const TRect& R : HookClipRects(Zoom, AParam)) Region += CreateRectRgnIndirect(R);
    return Region;
}

bool TSchemeObject::PointInHooksOrText(int X, int Y, int AParam) const {
    for (const TRect& R : HookClipRects(1.0, AParam))
        if (PtInRectRgn(R.Left, R.Top, R.Right, R.Bottom, X, Y)) return true;
    const std::optional<TRect> Text = TextClipRect(1.0);
    return Text && PtInRectRgn(Text->Left, Text->Top, Text->Right, Text->Bottom, X, Y);
}

TRect TSchemeObject::GetClippingOutsideRect(Extended Zoom, int /*AParam*/) const {
    if (Count() == 0)
        return TRect{Trunc(998 * Zoom), Trunc(998 * Zoom), Trunc(2 * Zoom), Trunc(2 * Zoom)};
    // Seeded with the first point, so that objects far from the origin get their own box.
    const TPoint First = PointExt2Point(FPoints.Point(0));
    TRect R{First.X, First.Y, First.X, First.Y};
    for (int I = 1; I < Count(); ++I) {
        const TPointExt P = FPoints.Point(I);
        const TPoint Q = PointExt2Point(P);
        if (P.X > R.Right) R.Right = Q.X;
        if (P.X < R.Left) R.Left = Q.X;
        if (P.Y > R.Bottom) R.Bottom = Q.Y;
        if (P.Y < R.Top) R.Top = Q.Y;
    }
    return TRect{Trunc((Extended(R.Left) - 2) * Zoom), Trunc((Extended(R.Top) - 2) * Zoom),
                 Trunc((Extended(R.Right) + 2) * Zoom), Trunc((Extended(R.Bottom) + 2) * Zoom)};
}

void TSchemeObject::GetOriginPoint(TPoint& P, int AParam) const {
    const TRect R = GetClippingOutsideRect(1.0, AParam);
    P = TPoint{R.Left + (R.Right - R.Left) / 2, R.Top + (R.Bottom - R.Top) / 2};
}

bool TSchemeObject::PointInside(Extended X, Extended Y, int AParam) const {
    return PtInRegion(GetClippingRegion(1.0, AParam), Trunc(X), Trunc(Y));
}

bool TSchemeObject::PointInsideDetail(Extended X, Extended Y, Extended& DX, Extended& DY,
                                      int& Detail, int AParam) {
    Detail = -1;
    const TPointExt P0 = GetPointsExt(0);
    DX = X - P0.X;
    DY = Y - P0.Y;
    if (FResized) {
        const TPoint Press{Trunc(X * 10), Trunc(Y * 10)};
        const std::vector<TRect> Rects = GetHookRect(10.0, AParam);
        for (size_t I = 0; I < Rects.size(); ++I) {
            if (PtInRect(Rects[I], Press)) {
                Detail = static_cast<int>(I);
                SetResizedPoint(Detail);
                return true;
            }
        }
    }
    return PointInside(X, Y, AParam);
}

namespace {

// Coordinates as the pixel conversions see them: a NaN lands on 0.
Extended Placed(Extended V) {
    return std::isnan(V) ? 0 : V;
}

}  // namespace

TSchemeArea TSchemeObject::OutlineArea(Extended Reach) const {
    TSchemeArea Area;
    if (Count() > 0) {
        const TPointExt First = FPoints.Point(0);
        Extended MinX = Placed(First.X), MaxX = MinX;
        Extended MinY = Placed(First.Y), MaxY = MinY;
        for (int I = 1; I < Count(); ++I) {
            const TPointExt P = FPoints.Point(I);
            MinX = std::min(MinX, Placed(P.X));
            MaxX = std::max(MaxX, Placed(P.X));
            MinY = std::min(MinY, Placed(P.Y));
            MaxY = std::max(MaxY, Placed(P.Y));
        }
        // Pens widen boxes by their whole width (and hook squares by it, in pixels); hook
        // squares reach 2 units past their point; rounding and margins add a few pixels.
        const int PenWidth =
            std::clamp(MaxInt(PenData().Width, SelectedPenData().Width), 0, kPixelLimit);
        const Extended World = std::max<Extended>(Reach, 0) + PenWidth + 3;
        Area = TSchemeArea::World(MinX - World, MinY - World, MaxX + World, MaxY + World,
                                  4 + PenWidth);
    }
    return Area.United(CaptionArea());
}

TSchemeArea TSchemeObject::CaptionArea() const {
    if (Text().isEmpty()) return TSchemeArea{};
    const QRect M = CaptionExtent();
    const TPointExt Anchor = FPoints.Anchor();
    const Extended X = Placed(Anchor.X), Y = Placed(Anchor.Y);
    return TSchemeArea::World(X + M.left(), Y + M.top(), X + M.right() + 1, Y + M.bottom() + 1, 0);
}

TRect TSchemeObject::OutlineBounds(Extended Zoom, int /*AParam*/, Extended Reach) const {
    return OutlineArea(Reach).AtZoom(Zoom);
}

int TSchemeObject::StrokePenWidth() const {
    const int Width = PenData().Width;
    return FSelected ? MaxInt(Width, SelectedPenData().Width) : Width;
}

TSchemeArea TSchemeObject::GetArea() const {
    // Regions at zoom 1 are in world units; truncation may cut up to a unit off each side.
    const QRect R = GetClippingRegion(1.0, 0).boundingRect();
    TSchemeArea Own;
    if (!R.isEmpty())
        Own = TSchemeArea::World(Extended(R.left()) - 1, Extended(R.top()) - 1,
                                 Extended(R.right()) + 2, Extended(R.bottom()) + 2, 0);
    return Own.United(OutlineArea(0));
}

TRect TSchemeObject::GetBoundsRect(Extended Zoom, int AParam) const {
    return UnionRect(FromQRect(GetClippingRegion(Zoom, AParam).boundingRect()),
                     OutlineBounds(Zoom, AParam, 0));
}

TRect TSchemeObject::GetClippingRegionBounds(Extended Zoom, int AParam) const {
    return RegionBounds(GetClippingRegion(Zoom, AParam));
}

bool TSchemeObject::MayContainPoint(Extended X, Extended Y, int AParam) const {
    TRect R = GetBoundsRect(1.0, AParam);
    // Hooks are tested in tenths of a unit, which can reach past the pixel grid.
    InflateRect(R, 1, 1);
    return PtInRect(R, TPoint{Trunc(X), Trunc(Y)});
}

// ---- repaint, drag, clone ------------------------------------------------------------------

QRegion TSchemeObject::WithHooksAndText(QRegion Region, Extended Zoom, int AParam) const {
    Region += GetHookClippingRegion(Zoom, AParam);
    Region += GetTextClippingRegion(Zoom, AParam);
    return Region;
}

void TSchemeObject::DragPoints(Extended X, Extended Y, int Detail) {
    if (Detail < -1) return;
    if (Detail >= 0) {
        SetPointsExt(Detail, PointExt(X, Y), false);
        return;
    }
    const TPointExt P0 = GetPointsExt(0);
    const Extended DX = X - P0.X;
    const Extended DY = Y - P0.Y;
    for (int I = 0; I < Count(); ++I) {
        const TPointExt P = GetPointsExt(I);
        SetPointsExt(I, PointExt(P.X + DX, P.Y + DY), false);
    }
}

void TSchemeObject::Repaint(Extended Zoom, IWindowHandle* Handle, int OriginX, int OriginY,
                            int AParam) const {
    if (!Handle) return;
    Handle->InvalidateRgn(OffsetRgn(GetClippingRegion(Zoom, AParam), -OriginX, -OriginY));
}

QRegion TSchemeObject::ChangePositionDetailAndGetDiffRgn(Extended X, Extended Y, int Detail,
                                                         Extended Zoom, int AParam) {
    const QRegion Old = GetClippingRegion(Zoom, AParam);
    Changing();
    ChangePositionDetail(X, Y, Detail, AParam);
    return Old - GetClippingRegion(Zoom, AParam);
}

// The copy is moved before it joins the layer, so that the document hears of it once.
TSchemeObject* TSchemeObject::Clone() {
    if (!RegistredSchemeClass(ClassName())) return nullptr;
    int NewId = FId;
    if (FLayer) {
        const int MaxId = FLayer->GetObjectMaxId();
        if (MaxId == std::numeric_limits<int>::max())
            RaiseError(
                QStringLiteral("TSchemeObject : Can't clone, no Id above %1 is free").arg(MaxId));
        NewId = MaxId + 1;
    }
    QStringList Strings;
    SaveToStrings(Strings);
    std::unique_ptr<TSchemePersistent> Item = FindSchemeClass(ClassName())->Create(Strings);
    if (!dynamic_cast<TSchemeObject*>(Item.get())) return nullptr;
    std::unique_ptr<TSchemeObject> Copy(static_cast<TSchemeObject*>(Item.release()));
    Copy->SetId(NewId);
    const TPointExt P0 = GetPointsExt(0);
    Copy->MoveToExt(PointExt(P0.X + 2, P0.Y + 2));
    if (FLayer) FLayer->Add(Copy.get());
    return Copy.release();
}

}  // namespace scheme
