#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>

#include "scheme/model/class_registry.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"

namespace scheme {

// The object is destroyed and built again from the record on the same storage, by the record
// constructor of its own class, so that every field the record holds is exactly as a load would
// make it. What the record does not hold (the layer, the handlers, view state, the document's
// link slots) is carried across, and so are the tool objects and the property list handed out
// before, which take the settings and lines the record gave. The record is read once beforehand, so
// that a record that does not read leaves the object untouched.
bool TSchemeObject::RestoreRecord(const QStringList& Record, bool Resized) {
    const TSchemeClass* Class = FindSchemeClass(ClassName());
    if (!Class->Rebuild || !Class->Type || *Class->Type != typeid(*this)) return false;
    {
        QStringList Probe = Record;
        Class->Create(Probe);
    }
    TSchemeLayer* const Layer = FLayer;
    const int LayerSlot = FLayerSlot;
    TNotifyHandler Change = std::move(OnChange);
    TNotifyHandler Destroy = std::move(OnDestroy);
    std::unique_ptr<TRareParts> Rare = std::move(FRare);
    const bool Selected = FSelected;
    const bool Moved = FMoved;
    const int ResizedPoint = FResizedPoint;
    const TSchemeArea Area = FArea;
    const int OldId = FId;
    // Without a layer and handlers the destructor tells nobody.
    FLayer = nullptr;
    OnChange = nullptr;
    OnDestroy = nullptr;
    void* const Storage = dynamic_cast<void*>(this);
    this->~TSchemeObject();
    try {
        QStringList Lines = Record;
        Class->Rebuild(Storage, Lines);
    } catch (...) {
        // The same record read a moment ago: nothing sound is left to fall back on.
        std::fputs("scheme: an object could not be rebuilt from its own record\n", stderr);
        std::terminate();
    }
    TSchemeObject* const Self = std::launder(this);
    Self->FLayer = Layer;
    Self->FLayerSlot = LayerSlot;
    Self->OnChange = std::move(Change);
    Self->OnDestroy = std::move(Destroy);
    if (Rare) {
        // The hint is no part of the record: it starts empty, as in the rebuilt object.
        Rare->HintString.clear();
        if (TTools* Tools = Rare->Tools.get()) {
            Tools->Brush.SetData(Self->BrushData());
            Tools->Pen.SetData(Self->PenData());
            Tools->SelectedBrush.SetData(Self->SelectedBrushData());
            Tools->SelectedPen.SetData(Self->SelectedPenData());
        }
        // The list takes the lines without a notice of its own: the object announces itself.
        TNotifyHandler ListChange = std::move(Rare->Properties.OnChange);
        Rare->Properties.SetChangingOwner(nullptr);
        Rare->Properties.Assign(Self->PropertyLines());
        Rare->Properties.OnChange = std::move(ListChange);
        if (Rare->PropertiesAttached) Rare->Properties.SetChangingOwner(Self);
        Self->FRare = std::move(Rare);
    }
    Self->FSelected = Selected;
    Self->FMoved = Moved;
    Self->FResized = Resized;
    Self->FResizedPoint = ResizedPoint < Self->Count() ? ResizedPoint : 0;
    Self->FArea = Area;
    if (Layer && Self->FId != OldId) Layer->ObjectIdChanged(Self, OldId);
    Self->AnnounceChange();
    return true;
}

}  // namespace scheme
