// The view's link connectors: a dashed line for every link of the document, kept up to date
// as the linked objects move.
#include <algorithm>
#include <cmath>

#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_link.h"
#include "scheme/view/scheme_visual.h"

namespace scheme {

namespace {

// Past this many moved connectors the whole client area is repainted instead of each.
constexpr int kMaxConnectorAreas = 64;

bool Shown(const TSchemeObject* Obj) {
    return Obj && Obj->Visible() && Obj->Layer() && Obj->Layer()->Visible();
}

bool Finite(const TPointExt& P) {
    return std::isfinite(P.X) && std::isfinite(P.Y);
}

}  // namespace

void TSchemeVisual::SetShowLinks(bool AValue) {
    if (FShowLinks == AValue) return;
    FShowLinks = AValue;
    // Every connector is new to the screen, or has to go from it.
    FConnectors.clear();
    RepaintClientRect();
}

bool TSchemeVisual::ConnectorsShown() const {
    return FShowLinks && ((FSchemeData && FSchemeData->LinkCount() > 0) || !FConnectors.empty());
}

void TSchemeVisual::CheckConnectors() {
    const int Count = FSchemeData ? FSchemeData->LinkCount() : 0;
    std::vector<std::optional<TConnector>> Now(size_t(std::max(Count, 0)));
    for (int I = 0; I < Count; ++I) {
        const TSchemeLink* Link = FSchemeData->GetLink(I);
        if (!Link || !Link->Enabled() || !Shown(Link->Parent()) || !Shown(Link->Child())) continue;
        const TConnector C{TSchemeLink::LinkedPoint(Link->ParentLinkType(), *Link->Parent()),
                           TSchemeLink::LinkedPoint(Link->ChildLinkType(), *Link->Child())};
        // A point that is no number has no pixel, and would never compare equal to itself.
        if (Finite(C.From) && Finite(C.To)) Now[size_t(I)] = C;
    }
    // The client pixels a connector can paint: its box, a pixel more on every side for the
    // antialiased edge.
    auto Box = [this](const TConnector& C) {
        const int X1 = Trunc(C.From.X * FZoom), Y1 = Trunc(C.From.Y * FZoom);
        const int X2 = Trunc(C.To.X * FZoom), Y2 = Trunc(C.To.Y * FZoom);
        TRect R{std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2) + 1, std::max(Y1, Y2) + 1};
        InflateRect(R, 1, 1);
        OffsetRect(R, -FOriginX, -FOriginY);
        return ToQRect(R);
    };
    QRegion Moved;
    int Areas = 0;
    bool Everything = false;
    for (size_t I = 0; I < std::max(Now.size(), FConnectors.size()) && !Everything; ++I) {
        const std::optional<TConnector> Was =
            I < FConnectors.size() ? FConnectors[I] : std::optional<TConnector>();
        const std::optional<TConnector> Is = I < Now.size() ? Now[I] : std::optional<TConnector>();
        if (Was == Is) continue;
        for (const std::optional<TConnector>& C : {Was, Is}) {
            if (!C) continue;
            if (++Areas > kMaxConnectorAreas) {
                Everything = true;
                break;
            }
            Moved += Box(*C) & viewport()->rect();
        }
    }
    FConnectors = std::move(Now);
    if (Everything)
        RepaintClientRect();
    else if (!Moved.isEmpty())
        InvalidateRgn(Moved);
}

// Draws the connectors as last checked, in zoomed pixels (the canvas's window origin is the
// view's origin); the canvas's pen and brush come back as they were.
void TSchemeVisual::PaintConnectors(TCanvas& ACanvas) {
    TPen Dashed;
    Dashed.SetColor(kLinkColor);
    Dashed.SetStyle(TPenStyle::psDash);
    Dashed.SetWidth(1);
    const TLineDrawing Lines(ACanvas, Dashed);
    const TRect Clip = ACanvas.ClipRect();
    for (const std::optional<TConnector>& C : FConnectors) {
        if (!C) continue;
        const int X1 = Trunc(C->From.X * FZoom), Y1 = Trunc(C->From.Y * FZoom);
        const int X2 = Trunc(C->To.X * FZoom), Y2 = Trunc(C->To.Y * FZoom);
        const TRect R{std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2) + 1,
                      std::max(Y1, Y2) + 1};
        if (IntersectRect(R, Clip).IsEmpty()) continue;
        ACanvas.MoveTo(X1, Y1);
        ACanvas.LineTo(X2, Y2);
    }
}

}  // namespace scheme
