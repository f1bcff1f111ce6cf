#include "scheme/model/scheme_layer.h"

#include <algorithm>
#include <string>

#include "scheme/model/record.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

namespace scheme {

namespace {

[[noreturn]] void RaiseIndexNotFound() {
    RaiseError(QStringLiteral("TSchemeLayer : Index not found!"));
}

}  // namespace

TSchemeLayer::TSchemeLayer(int Id) : FID(Id) {}

TSchemeLayer::TSchemeLayer(QStringList& Strings)
    : TSchemeLayer(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemeLayer::TSchemeLayer(const record::TRecord& Record) {
    FID = Record.Int("ID");
    if (auto V = Record.OptFlag("Visible")) FVisible = *V;
    if (auto V = Record.OptFlag("Enabled")) FEnabled = *V;
    if (auto V = Record.OptFloat("MinZoomForText")) FMinZoomForText = *V;
    if (auto V = Record.OptColor("SelectedColor")) FSelectedColor = *V;
    const int StateCount = Record.Count("StateCount");
    for (int I = 0; I < StateCount; ++I)
        FStateColors.push_back(
            StringToColor(Record.Value(record::TKey("Color" + std::to_string(I)))));
    if (auto V = Record.FindText("AlarmStates")) FAlarmStates = ParseAlarmStates(*V);
}

// A layer destroyed while a document holds it leaves that document first, with all its
// objects (the document frees their links); then the objects are freed.
TSchemeLayer::~TSchemeLayer() {
    RunGuarded([&] { Notify(TSchemeNoticeKind::LayerLeaving, nullptr); });
    FSchemeData = nullptr;
    RunGuarded([&] { Clear(); });
}

void TSchemeLayer::SaveToStrings(QStringList& Strings) const {
    record::TRecordWriter Writer(Strings);
    WriteRecord(Writer);
}

void TSchemeLayer::WriteRecord(record::TRecordWriter& Writer) const {
    Writer.WriteInt("ID", FID);
    if (!FVisible) Writer.WriteInt("Visible", 0);
    if (!FEnabled) Writer.WriteInt("Enabled", 0);
    if (FMinZoomForText != 1.0) Writer.WriteFloat("MinZoomForText", FMinZoomForText);
    if (FSelectedColor != clBlue) Writer.WriteColor("SelectedColor", FSelectedColor);
    Writer.WriteInt("StateCount", StateColorCount());
    for (int I = 0; I < StateColorCount(); ++I)
        Writer.WriteColor("Color" + std::to_string(I), FStateColors[static_cast<size_t>(I)]);
    if (!FAlarmStates.empty()) Writer.Write("AlarmStates", AlarmStatesText(FAlarmStates));
}

// ---- the object list -----------------------------------------------------------------------

TSchemeObject* TSchemeLayer::GetItem(int Id) const {
    const int Slot = FindSlot(Id);
    if (Slot < 0) RaiseIndexNotFound();
    return FObjects[static_cast<size_t>(Slot)];
}

TSchemeObject* TSchemeLayer::SetItem(int Id, TSchemeObject* Obj) {
    const int Slot = FindSlot(Id);
    if (Slot < 0) RaiseIndexNotFound();
    return Replace(static_cast<size_t>(Slot), Obj);
}

TSchemeObject* TSchemeLayer::GetItemIndex(int Index) const {
    CheckIndex(Index);
    return FObjects[SlotAt(Index)];
}

TSchemeObject* TSchemeLayer::SetItemIndex(int Index, TSchemeObject* Obj) {
    CheckIndex(Index);
    return Replace(SlotAt(Index), Obj);
}

void TSchemeLayer::CheckFree(const TSchemeObject* Obj) {
    if (!Obj) RaiseError(QStringLiteral("TSchemeLayer : Can't add object! No object is given"));
    if (Obj->Layer())
        RaiseError(QStringLiteral("TSchemeLayer : Can't add object! It belongs to layer %1")
                       .arg(Obj->Layer()->ID()));
}

TSchemeObject* TSchemeLayer::Replace(size_t Slot, TSchemeObject* Obj) {
    TSchemeObject* Old = FObjects[Slot];
    if (Obj == Old) return nullptr;
    CheckFree(Obj);
    // The old object leaves first, so that the document never refers to an object that is not
    // in a layer of its own.
    Send(TSchemeNotice{TSchemeNoticeKind::Leaving, this, Old, Old->Area(), false, PositionOf(Old)});
    // A listener may have squeezed the list meanwhile.
    Slot = static_cast<size_t>(Old->FLayerSlot);
    IndexRemove(Old->Id(), Slot);
    FObjects[Slot] = Obj;
    Obj->FLayerSlot = static_cast<int>(Slot);
    Old->FLayerSlot = -1;
    ForgetLive(Old);
    IndexAdd(Obj->Id(), Slot);
    Old->LeaveLayer();
    Obj->JoinLayer(this);
    Notify(TSchemeNoticeKind::Joined, Obj);
    NotifyChange();
    return Old;
}

void TSchemeLayer::Add(TSchemeObject* Obj) {
    CheckFree(Obj);
    FObjects.push_back(Obj);
    FFilled.PushFilled();
    ++FLive;
    Obj->FLayerSlot = static_cast<int>(FObjects.size() - 1);
    IndexAdd(Obj->Id(), FObjects.size() - 1);
    Obj->JoinLayer(this);
    FSorted = false;
    Notify(TSchemeNoticeKind::Joined, Obj);
    NotifyChange();
}

void TSchemeLayer::Insert(int Index, TSchemeObject* Obj) {
    if (Index < 0 || Index > Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    CheckFree(Obj);
    if (Index == Count()) return Add(Obj);
    Compact();
    FObjects.insert(FObjects.begin() + Index, Obj);
    FFilled.AssignFilled(FObjects.size());
    ++FLive;
    RenumberFrom(static_cast<size_t>(Index));
    FIdIndexValid = false;
    Obj->JoinLayer(this);
    FSorted = false;
    Notify(TSchemeNoticeKind::Joined, Obj);
    NotifyChange();
}

void TSchemeLayer::DeleteObject(TSchemeObject* Obj) {
    Notify(TSchemeNoticeKind::Deleting, Obj);
    delete Obj;
}

void TSchemeLayer::Delete(int Id) {
    DeleteObject(GetItem(Id));
    NotifyChange();
}

void TSchemeLayer::Clear() {
    // Each object takes itself out of the list as it is destroyed; the last one goes first.
    while (!FObjects.empty()) {
        if (FObjects.back()) {
            DeleteObject(FObjects.back());
        } else {
            FObjects.pop_back();
            FFilled.PopEmpty();
        }
    }
    NotifyChange();
}

void TSchemeLayer::ObjectDestroyed(TSchemeObject* Obj) {
    const int Slot = Obj->FLayerSlot;
    if (Slot < 0 || static_cast<size_t>(Slot) >= FObjects.size() ||
        FObjects[static_cast<size_t>(Slot)] != Obj)
        return;
    RunGuarded([&] {
        Send(TSchemeNotice{TSchemeNoticeKind::Leaving, this, Obj, Obj->Area(), false,
                           PositionOf(Obj), -1, true});
    });
    // A listener may have squeezed the list meanwhile: the object's slot follows it.
    DropSlot(static_cast<size_t>(Obj->FLayerSlot));
    Obj->FLayerSlot = -1;
    ForgetLive(Obj);
}

void TSchemeLayer::DropSlot(size_t Slot) {
    IndexRemove(FObjects[Slot]->Id(), Slot);
    FObjects[Slot] = nullptr;
    FFilled.Empty(Slot);
    --FLive;
    while (!FObjects.empty() && !FObjects.back()) {
        FObjects.pop_back();
        FFilled.PopEmpty();
    }
    // Empty slots are squeezed out once they are as many as the objects: each deletion pays
    // a bounded share of it.
    const size_t Empty = FObjects.size() - static_cast<size_t>(FLive);
    if (Empty > 64 && Empty > static_cast<size_t>(FLive)) Compact();
}

// The objects keep their order, so the Id table is kept too: each moved object's entry learns
// its new slot, which costs no more than the move itself.
void TSchemeLayer::Compact() const {
    if (FObjects.size() == static_cast<size_t>(FLive)) return;
    size_t To = 0;
    for (size_t From = 0; From < FObjects.size(); ++From) {
        TSchemeObject* Obj = FObjects[From];
        if (!Obj) continue;
        if (To != From) {
            FObjects[To] = Obj;
            Obj->FLayerSlot = static_cast<int>(To);
            if (FIdIndexValid)
                FIdIndex.Move(Obj->Id(), static_cast<int>(From), static_cast<int>(To));
        }
        ++To;
    }
    FObjects.resize(To);
    FFilled.AssignFilled(To);
}

void TSchemeLayer::RenumberFrom(size_t First) const {
    for (size_t I = First; I < FObjects.size(); ++I)
        if (FObjects[I]) FObjects[I]->FLayerSlot = static_cast<int>(I);
}

size_t TSchemeLayer::SlotAt(int Index) const {
    if (FObjects.size() == static_cast<size_t>(FLive)) return static_cast<size_t>(Index);
    return FFilled.FilledAt(Index);
}

int TSchemeLayer::PositionOfSlot(size_t Slot) const {
    if (FObjects.size() == static_cast<size_t>(FLive)) return static_cast<int>(Slot);
    return FFilled.FilledBefore(Slot);
}

void TSchemeLayer::Sort() {
    Notify(TSchemeNoticeKind::Reordering, nullptr);
    Compact();
    FIdIndexValid = false;
    std::stable_sort(
        FObjects.begin(), FObjects.end(),
        [](const TSchemeObject* A, const TSchemeObject* B) { return A->Id() < B->Id(); });
    RenumberFrom(0);
    FSorted = true;
    Notify(TSchemeNoticeKind::Reordered, nullptr);
}

// The Id index answers for sorted and unsorted lists alike: the first object with that Id in
// list order, found in constant time.
int TSchemeLayer::GetListIndex(int Id) const {
    return GetListIndexNoSort(Id);
}

int TSchemeLayer::GetListIndexNoSort(int Id) const {
    const int Slot = FindSlot(Id);
    if (Slot < 0) RaiseIndexNotFound();
    return PositionOfSlot(static_cast<size_t>(Slot));
}

int TSchemeLayer::OrderOf(const TSchemeObject* Obj) const {
    if (!Obj || Obj->Layer() != this) return -1;
    return Obj->FLayerSlot;
}

int TSchemeLayer::PositionOf(const TSchemeObject* Obj) const {
    const int Slot = OrderOf(Obj);
    return Slot < 0 ? Slot : PositionOfSlot(static_cast<size_t>(Slot));
}

void TSchemeLayer::ExchangeIndex(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    if (Index1 != Index2) Exchange(SlotAt(Index1), SlotAt(Index2), Index1, Index2);
}

void TSchemeLayer::SetOrder(const std::vector<TSchemeObject*>& Order) {
    Compact();
    if (Order.size() != FObjects.size() ||
        !std::is_permutation(Order.begin(), Order.end(), FObjects.begin()))
        RaiseError(QStringLiteral("TSchemeLayer : The order does not name the layer's objects"));
    Notify(TSchemeNoticeKind::Reordering, nullptr);
    FObjects = Order;
    RenumberFrom(0);
    FIdIndexValid = false;
    FSorted = false;
    Notify(TSchemeNoticeKind::Reordered, nullptr);
}

int TSchemeLayer::FindSlot(int Id) const {
    if (!FIdIndexValid) {
        ++FIdIndexRebuilds;
        FIdIndex.Clear();
        FIdIndexValid = true;
        for (size_t I = 0; I < FObjects.size(); ++I)
            if (FObjects[I]) IndexAdd(FObjects[I]->Id(), I);
    }
    return FIdIndex.Find(Id);
}

void TSchemeLayer::IndexAdd(int Id, size_t Slot) const {
    if (FIdIndexValid) FIdIndex.Add(Id, static_cast<int>(Slot));
}

void TSchemeLayer::IndexRemove(int Id, size_t Slot) const {
    if (FIdIndexValid) FIdIndex.Remove(Id, static_cast<int>(Slot));
}

void TSchemeLayer::ObjectIdChanged(TSchemeObject* Obj, int OldId) {
    const size_t Slot = static_cast<size_t>(Obj->FLayerSlot);
    IndexRemove(OldId, Slot);
    IndexAdd(Obj->Id(), Slot);
}

void TSchemeLayer::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

// ---- painting and hit tests ----------------------------------------------------------------

void TSchemeLayer::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    if (!FVisible) return;
    ForEachObject([&](TSchemeObject* Obj) { Obj->Paint(Zoom, Canvas, AParam); });
}

void TSchemeLayer::Repaint(Extended Zoom, IWindowHandle* Handle, int OriginX, int OriginY,
                           int AParam) {
    ForEachObject(
        [&](TSchemeObject* Obj) { Obj->Repaint(Zoom, Handle, OriginX, OriginY, AParam); });
}

TSchemeObject* TSchemeLayer::GetItemForPoint(Extended X, Extended Y, int AParam) const {
    for (auto It = FObjects.rbegin(); It != FObjects.rend(); ++It) {
        TSchemeObject* Obj = *It;
        Extended DX = 0, DY = 0;
        int Detail = -1;
        if (Obj && Obj->Enabled() && Obj->MayContainPoint(X, Y, AParam) &&
            Obj->PointInsideDetail(X, Y, DX, DY, Detail, AParam))
            return Obj;
    }
    return nullptr;
}

int TSchemeLayer::GetObjectMaxId() const {
    if (FLive == 0) return 0;
    int Max = -32000;
    ForEachObject([&](const TSchemeObject* Obj) { Max = std::max(Max, Obj->Id()); });
    return Max;
}

int TSchemeLayer::GetObjectCountForState(int State) const {
    int N = 0;
    ForEachObject([&](const TSchemeObject* Obj) { N += Obj->State() == State; });
    return N;
}

void TSchemeLayer::ExchangeUp(int Id) {
    const int I = GetListIndex(Id);
    if (I + 1 < Count()) Exchange(SlotAt(I), SlotAt(I + 1), I, I + 1);
}

void TSchemeLayer::ExchangeDown(int Id) {
    const int I = GetListIndex(Id);
    if (I > 0) Exchange(SlotAt(I), SlotAt(I - 1), I, I - 1);
}

void TSchemeLayer::Exchange(size_t From, size_t To, int FromPosition, int ToPosition) {
    TSchemeObject* Moved = FObjects[From];
    TSchemeObject* Other = FObjects[To];
    IndexRemove(Moved->Id(), From);
    IndexRemove(Other->Id(), To);
    std::swap(FObjects[From], FObjects[To]);
    Moved->FLayerSlot = static_cast<int>(To);
    Other->FLayerSlot = static_cast<int>(From);
    IndexAdd(Moved->Id(), To);
    IndexAdd(Other->Id(), From);
    FSorted = false;
    NotifyChange();
    Send(TSchemeNotice{TSchemeNoticeKind::Reordered, this, Moved, Moved->Area(), false,
                       FromPosition, ToPosition});
}

void TSchemeLayer::SelectAllObjects(bool Selected) {
    ForEachObject([&](TSchemeObject* Obj) { Obj->SetSelected(Selected); });
}

// ---- notification --------------------------------------------------------------------------

void TSchemeLayer::Notify(TSchemeNoticeKind Kind, TSchemeObject* Obj, const TSchemeArea& Before) {
    Send(TSchemeNotice{Kind, this, Obj, Before, false});
}

void TSchemeLayer::Send(const TSchemeNotice& Notice) const {
    if (FSchemeData) FSchemeData->SchemeChanged(Notice);
}

void TSchemeLayer::ObjectChanging(TSchemeObject* Obj) {
    if (FSchemeData)
        FSchemeData->SchemeChanged(
            TSchemeNotice{TSchemeNoticeKind::Changing, this, Obj, {}, false});
}

void TSchemeLayer::SettingsChanging() {
    Notify(TSchemeNoticeKind::Changing, nullptr);
}

void TSchemeLayer::ObjectChanged(TSchemeObject* Obj, const TSchemeArea& Before, bool Drawn,
                                 bool Selection) {
    if (!FSchemeData) return;
    TSchemeNotice Notice{TSchemeNoticeKind::Changed, this, Obj, Before, Drawn};
    Notice.SelectionChanged = Selection;
    FSchemeData->SchemeChanged(Notice);
}

void TSchemeLayer::ObjectRepaintDirect(TSchemeObject* Obj) {
    if (FSchemeData) FSchemeData->ObjectRepaintDirect(Obj);
}

void TSchemeLayer::RepaintDirect() {
    ForEachObject([&](TSchemeObject* Obj) { ObjectRepaintDirect(Obj); });
}

void TSchemeLayer::NotifyChange() {
    if (OnChange) OnChange(this);
}

void TSchemeLayer::Changed() {
    NotifyChange();
    RepaintDirect();
}

// ---- settings ------------------------------------------------------------------------------

void TSchemeLayer::SetSelectedColor(TColor Value) {
    if (Value == FSelectedColor) return;
    SettingsChanging();
    FSelectedColor = Value;
    Changed();
}

void TSchemeLayer::SetAllStateColors(std::span<const TColor> Colors) {
    SettingsChanging();
    FStateColors.assign(Colors.begin(), Colors.end());
    Changed();
}

void TSchemeLayer::SetAllStateColorsToColor(TColor Color) {
    SettingsChanging();
    std::fill(FStateColors.begin(), FStateColors.end(), Color);
    Changed();
}

void TSchemeLayer::GetAllStateColors(std::span<TColor> Colors) const {
    if (FStateColors.empty()) return;
    std::fill(Colors.begin(), Colors.end(), 0);
    const size_t N = std::min(Colors.size(), FStateColors.size());
    std::copy_n(FStateColors.begin(), N, Colors.begin());
}

TColor TSchemeLayer::GetStateColor(int State) const {
    if (State < 0 || State >= StateColorCount()) return 0;
    return FStateColors[static_cast<size_t>(State)];
}

void TSchemeLayer::SetStateColor(int State, TColor Color) {
    if (State < 0 || State >= StateColorCount()) return;
    SettingsChanging();
    FStateColors[static_cast<size_t>(State)] = Color;
    Changed();
}

void TSchemeLayer::SetVisible(bool Value) {
    if (Value == FVisible) return;
    SettingsChanging();
    FVisible = Value;
    if (FSchemeData) FSchemeData->RepaintAllVisualControls(true);
    NotifyChange();
}

void TSchemeLayer::SetMinZoomForText(Extended Value) {
    if (Value == FMinZoomForText) return;
    SettingsChanging();
    FMinZoomForText = Value;
    Changed();
}

void TSchemeLayer::SetEnabledZoomForText(bool Value) {
    if (Value == FEnabledZoomForText) return;
    SettingsChanging();
    FEnabledZoomForText = Value;
    Changed();
}

void TSchemeLayer::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    SettingsChanging();
    FEnabled = Value;
}

void TSchemeLayer::SetID(int Value) {
    if (Value == FID) return;
    SettingsChanging();
    const int Old = FID;
    FID = Value;
    if (FSchemeData) FSchemeData->LayerIdChanged(this, Old);
}

TSchemeLayer::TSettings TSchemeLayer::Settings() const {
    return TSettings{FID,      FStateColors,    FSelectedColor,      FEnabled,
                     FVisible, FMinZoomForText, FEnabledZoomForText, FAlarmStates};
}

// Repaints as the setters do: every view when the visibility changes, else the objects.
void TSchemeLayer::SetSettings(const TSettings& Value) {
    if (Value == Settings()) return;
    SettingsChanging();
    const bool VisibilityChanges = Value.Visible != FVisible;
    const int OldId = FID;
    FID = Value.ID;
    FStateColors = Value.StateColors;
    FSelectedColor = Value.SelectedColor;
    FEnabled = Value.Enabled;
    FVisible = Value.Visible;
    FMinZoomForText = Value.MinZoomForText;
    FEnabledZoomForText = Value.EnabledZoomForText;
    FAlarmStates = Value.AlarmStates;
    if (FID != OldId && FSchemeData) FSchemeData->LayerIdChanged(this, OldId);
    if (VisibilityChanges && FSchemeData) FSchemeData->RepaintAllVisualControls(true);
    Changed();
}

}  // namespace scheme
