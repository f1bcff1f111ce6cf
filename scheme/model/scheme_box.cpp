#include "scheme/model/scheme_box.h"

#include <array>
#include <optional>

#include "scheme/model/record.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

namespace scheme {

namespace {

struct TBoxRect {
    Extended X, Y, Width, Height;
};

// The rectangle that setting corner Index of a box whose corners 0 and 2 are P0 and P2 to P
// makes: that corner moves, the opposite one stays. Nothing for other indexes.
std::optional<TBoxRect> RectForCorner(int Index, const TPointExt& P, const TPointExt& P0,
                                      const TPointExt& P2) {
    switch (Index) {
        case 0:
            return TBoxRect{P.X, P.Y, P2.X - P.X, P2.Y - P.Y};
        case 1:
            return TBoxRect{P0.X, P.Y, P.X - P0.X, P2.Y - P.Y};
        case 2:
            return TBoxRect{P0.X, P0.Y, P.X - P0.X, P.Y - P0.Y};
        case 3:
            return TBoxRect{P.X, P0.Y, P2.X - P.X, P.Y - P0.Y};
        default:
            return std::nullopt;
    }
}

// The corners 0 .. 3 of a rectangle, which keeps the box's minimum size.
std::array<TPointExt, 4> CornersOf(TBoxRect R) {
    if (!(R.Width >= TSchemeBox::kMinSize)) R.Width = TSchemeBox::kMinSize;
    if (!(R.Height >= TSchemeBox::kMinSize)) R.Height = TSchemeBox::kMinSize;
    return {TPointExt{R.X, R.Y}, TPointExt{R.X + R.Width, R.Y},
            TPointExt{R.X + R.Width, R.Y + R.Height}, TPointExt{R.X, R.Y + R.Height}};
}

}  // namespace

TSchemeBox::TSchemeBox(int Id, const TRect& Rect, int State)
    : TSchemeBox(Id, Rect.Left, Rect.Top, Extended(Rect.Right) - Rect.Left,
                 Extended(Rect.Bottom) - Rect.Top, State) {}

TSchemeBox::TSchemeBox(int Id, Extended X, Extended Y, Extended Width, Extended Height, int State)
    : TSchemeObject(Id, State) {
    SetPointCount(4);
    SetRect(X, Y, Width, Height, 0, true);
    SetTextPoint(GetPointsExt(0));
}

TSchemeBox::TSchemeBox(QStringList& Strings)
    : TSchemeBox(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemeBox::TSchemeBox(const record::TRecord& Record) : TSchemeBox(Record, StaticClassName()) {}

TSchemeBox::TSchemeBox(const record::TRecord& Record, const QString& KindName)
    : TSchemeObject(Record.ExpectCount(KindName, 4)) {
    // The corners are taken as if set one by one through the box's own setter on an empty box
    // (the object is in no layer yet, so that setter would only store them): the rectangle
    // follows corners 0 and 2 and keeps its minimum size.
    std::array<TPointExt, 4> Corners{};
    for (int I = 0; I < 4; ++I)
        if (auto R = RectForCorner(I, GetPointsExt(I), Corners[0], Corners[2]))
            Corners = CornersOf(*R);
    for (int I = 0; I < 4; ++I) StorePoint(I, Corners[size_t(I)]);
    ReadTextPoint(Record);
}

// ---- the rectangle -------------------------------------------------------------------------

void TSchemeBox::SetRect(Extended X, Extended Y, Extended Width, Extended Height, int /*AParam*/,
                         bool Repaint) {
    const std::array<TPointExt, 4> Corners = CornersOf(TBoxRect{X, Y, Width, Height});
    StorePoint(1, Corners[1]);
    StorePoint(3, Corners[3]);
    Batch([&] {
        SetPointsExtBase(0, Corners[0], Repaint);
        SetPointsExtBase(2, Corners[2], Repaint);
    });
}

void TSchemeBox::GetRect(Extended& X, Extended& Y, Extended& Width, Extended& Height,
                         int /*AParam*/) const {
    const TPointExt P0 = GetPointsExt(0);
    const TPointExt P2 = GetPointsExt(2);
    X = P0.X;
    Y = P0.Y;
    Width = P2.X - P0.X;
    Height = P2.Y - P0.Y;
}

void TSchemeBox::GetPosition(Extended& X, Extended& Y, Extended& Width, Extended& Height,
                             int AParam) const {
    GetRect(X, Y, Width, Height, AParam);
}

void TSchemeBox::SetPosition(Extended X, Extended Y, Extended Width, Extended Height, int AParam) {
    SetRect(X, Y, Width, Height, AParam, true);
}

Extended TSchemeBox::GetWidth() const {
    return GetPointsExt(2).X - GetPointsExt(0).X;
}

Extended TSchemeBox::GetHeight() const {
    return GetPointsExt(2).Y - GetPointsExt(0).Y;
}

void TSchemeBox::SetWidth(Extended Value) {
    SetPointsExtA(2, PointExt(GetPointsExt(0).X + Value, GetPointsExt(2).Y));
}

void TSchemeBox::SetHeight(Extended Value) {
    SetPointsExtA(2, PointExt(GetPointsExt(2).X, GetPointsExt(0).Y + Value));
}

TRect TSchemeBox::GetZoomRect(Extended Zoom, int /*AParam*/) const {
    const TPointExt P0 = GetPointsExt(0);
    const TPointExt P2 = GetPointsExt(2);
    return TRect{Trunc(P0.X * Zoom), Trunc(P0.Y * Zoom), Round(P2.X * Zoom), Round(P2.Y * Zoom)};
}

void TSchemeBox::SetPointsExt(int Index, const TPointExt& P, bool Repaint) {
    if (auto R = RectForCorner(Index, P, GetPointsExt(0), GetPointsExt(2)))
        SetRect(R->X, R->Y, R->Width, R->Height, 0, Repaint);
}

void TSchemeBox::MoveToExt(const TPointExt& P) {
    MoveWhole([&] { SetRect(P.X, P.Y, GetWidth(), GetHeight(), 0, true); });
}

bool TSchemeBox::HasDetail(int Detail) const {
    return (Detail <= -2 && Detail >= -5) || TSchemeObject::HasDetail(Detail);
}

// ---- area and painting ---------------------------------------------------------------------

TRect TSchemeBox::GetPenZoomRect(Extended Zoom, int AParam) const {
    TRect R = GetZoomRect(Zoom, AParam);
    const int W = Round(ActivePen().Width * Zoom);
    if (W > 1) InflateRect(R, W, W);
    return R;
}

QRegion TSchemeBox::GetClippingRegion(Extended Zoom, int AParam) const {
    return WithHooksAndText(CreateRectRgnIndirect(GetPenZoomRect(Zoom, AParam)), Zoom, AParam);
}

bool TSchemeBox::PointInside(Extended X, Extended Y, int AParam) const {
    const TRect R = GetPenZoomRect(1.0, AParam);
    const int PX = Trunc(X), PY = Trunc(Y);
    return PtInRectRgn(R.Left, R.Top, R.Right, R.Bottom, PX, PY) ||
           PointInHooksOrText(PX, PY, AParam);
}

TSchemeArea TSchemeBox::GetArea() const {
    return OutlineArea(0);
}

TRect TSchemeBox::GetBoundsRect(Extended Zoom, int /*AParam*/) const {
    return GetArea().AtZoom(Zoom);
}

bool TSchemeBox::SkipPaint(Extended Zoom, const TCanvas& Canvas, int AParam) const {
    return !Visible() || !Canvas.RectVisible(GetBoundsRect(Zoom, AParam));
}

void TSchemeBox::PaintOverlay(Extended Zoom, TCanvas& Canvas, int AParam) const {
    PaintText(Zoom, Canvas, AParam);
    PaintHookRect(Zoom, Canvas, AParam);
}

void TSchemeBox::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    const TRect R = GetZoomRect(Zoom, AParam);
    if (SkipPaint(Zoom, Canvas, AParam)) return;
    SetCanvasProperties(Canvas, Zoom);
    Canvas.Rectangle(R);
    PaintOverlay(Zoom, Canvas, AParam);
}

// ---- hit test and drag ---------------------------------------------------------------------

bool TSchemeBox::PointInsideDetail(Extended X, Extended Y, Extended& DX, Extended& DY, int& Detail,
                                   int AParam) {
    const TPointExt P0 = GetPointsExt(0);
    Detail = -1;
    DX = X - P0.X;
    DY = Y - P0.Y;
    if (Resized()) {
        // Hooks are tested at a tenth of a world unit on integer squares, without regions.
        const TPoint Press{Trunc(X * 10), Trunc(Y * 10)};
        const std::vector<TRect> Q = GetHookRect(10.0, AParam);
        for (int I = 0; I < 4; ++I) {
            if (PtInRect(Q[static_cast<size_t>(I)], Press)) {
                Detail = I;
                SetResizedPoint(I);
                return true;
            }
        }
        if (const int Side = HitSideHook(Press); Side != 0) {
            Detail = Side;
            return true;
        }
    }
    return PointInside(X, Y, AParam);
}

// The side strip under a press (in tenths of a unit): -2 top, -3 right, -4 bottom, -5 left;
// 0 when none.
int TSchemeBox::HitSideHook(const TPoint& Press) const {
    const std::vector<TRect> Q = GetHookRect(10.0, 0);
    const TRect Strips[4] = {
        {Q[0].Left, Q[0].Top, Q[1].Right, Q[1].Bottom},
        {Q[1].Left, Q[1].Top, Q[2].Right, Q[2].Bottom},
        {Q[3].Left, Q[3].Top, Q[2].Right, Q[2].Bottom},
        {Q[0].Left, Q[0].Top, Q[3].Right, Q[3].Bottom},
    };
    for (int I = 0; I < 4; ++I)
        if (PtInRect(Strips[I], Press)) return -2 - I;
    return 0;
}

void TSchemeBox::ChangePositionDetail(Extended X, Extended Y, int Detail, int AParam) {
    Extended L, T, W, H;
    GetRect(L, T, W, H, AParam);
    // A left or top edge dragged closer than the minimum to the opposite edge stays put.
    auto MoveTop = [&] {
        if ((T - Y) + H >= kMinSize) {
            H = (T - Y) + H;
            T = Y;
        }
    };
    auto MoveLeft = [&] {
        if ((L - X) + W >= kMinSize) {
            W = (L - X) + W;
            L = X;
        }
    };
    switch (Detail) {
        case 0:
            MoveTop();
            MoveLeft();
            break;
        case 1:
            MoveTop();
            W = X - L;
            break;
        case 2:
            W = X - L;
            H = Y - T;
            break;
        case 3:
            MoveLeft();
            H = Y - T;
            break;
        case -2:
            MoveTop();
            break;
        case -3:
            W = X - L;
            break;
        case -4:
            H = Y - T;
            break;
        case -5:
            MoveLeft();
            break;
        default:
            L = X;
            T = Y;
            break;
    }
    SetRect(L, T, W, H, AParam, false);
}

}  // namespace scheme
