#include "scheme/document/scheme_data_editor.h"

#include <cmath>

#include "scheme/document/scheme_visual_link.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"

namespace scheme {

ISchemeGrabbingVisual::~ISchemeGrabbingVisual() = default;
ISchemeDraggingVisual::~ISchemeDraggingVisual() = default;

std::vector<TSchemeObject*> ISchemeGrabbingVisual::HeldObjects() const {
    if (TSchemeObject* Held = HeldObject()) return {Held};
    return {};
}

TSchemeDataEditor::TSchemeDataEditor(QObject* AOwner)
    : TSchemeData(AOwner), FAlignToGrid(std::make_unique<TSchemeGridType>()) {}

// The views let go of what they hold before the objects go with the layers.
TSchemeDataEditor::~TSchemeDataEditor() {
    LetGoWhere([](const TSchemeObject*) { return true; });
}

void TSchemeDataEditor::SetGrid(const TSchemeGridType* AValue) {
    if (AValue) FAlignToGrid->Assign(*AValue);
}

namespace {

// Round gives the nearest whole number, an exact half going to the even neighbour (the
// floating-point unit's default rounding).
void Snap(Extended& V, Extended Delta) {
    if (Delta > 0) V = std::nearbyint(V / Delta) * Delta;
}

}  // namespace

void TSchemeDataEditor::AlignPointToGrid(Extended& X, Extended& Y) const {
    if (!FAlignToGrid->Enabled()) return;
    Snap(X, FAlignToGrid->DeltaX());
    Snap(Y, FAlignToGrid->DeltaY());
}

void TSchemeDataEditor::ObjectAddResizedPointDirect(TSchemeObject* AObject) {
    if (auto* Polygon = dynamic_cast<TSchemePolygon*>(AObject)) Polygon->AddResizedPoint();
}

void TSchemeDataEditor::ObjectDeleteResizedPointDirect(TSchemeObject* AObject) {
    if (auto* Polygon = dynamic_cast<TSchemePolygon*>(AObject)) Polygon->DeleteResizedPoint();
}

bool TSchemeDataEditor::ObjectDragging() const {
    for (ISchemeVisual* Visual : VisualLinks()) {
        const auto* Editing = dynamic_cast<const ISchemeDraggingVisual*>(Visual);
        if (Editing && Editing->Dragging()) return true;
    }
    return false;
}

template <class F>
void TSchemeDataEditor::LetGoWhere(F&& Leaves) {
    for (ISchemeVisual* Visual : std::vector<ISchemeVisual*>(VisualLinks())) {
        auto* Grabbing = dynamic_cast<ISchemeGrabbingVisual*>(Visual);
        if (!Grabbing || !Grabbing->HeldObject()) continue;
        for (const TSchemeObject* Held : Grabbing->HeldObjects()) {
            if (!Leaves(Held)) continue;
            Grabbing->LetGoOfHeldObject();
            break;
        }
    }
}

void TSchemeDataEditor::SchemeChanged(const TSchemeNotice& Notice) {
    if (Notice.Kind == TSchemeNoticeKind::Leaving)
        LetGoWhere([&](const TSchemeObject* Held) { return Held == Notice.Object; });
    else if (Notice.Kind == TSchemeNoticeKind::LayerLeaving)
        LetGoWhere([&](const TSchemeObject* Held) { return Held->Layer() == Notice.Layer; });
    TSchemeData::SchemeChanged(Notice);
}

}  // namespace scheme
