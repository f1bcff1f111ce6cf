#include "scheme/model/scheme_layer.h"

#include <algorithm>

#include "scheme/model/record.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

namespace scheme {

namespace {

[[noreturn]] void RaiseIndexNotFound() {
    RaiseError(QStringLiteral("TSchemeLayer : Index not found!"));
}

}  // namespace

TSchemeLayer::TSchemeLayer(int Id) : FID(Id) {}

TSchemeLayer::TSchemeLayer(QStringList& Strings) {
    TrimLines(Strings);
    FID = record::Int(Strings, u"ID");
    if (auto V = record::OptFlag(Strings, u"Visible")) FVisible = *V;
    if (auto V = record::OptFlag(Strings, u"Enabled")) FEnabled = *V;
    if (auto V = record::OptFloat(Strings, u"MinZoomForText")) FMinZoomForText = *V;
    if (auto V = record::OptColor(Strings, u"SelectedColor")) FSelectedColor = *V;
    const int StateCount = record::Count(Strings, u"StateCount");
    for (int I = 0; I < StateCount; ++I)
        FStateColors.push_back(StringToColor(ValueOf(Strings, QStringLiteral("Color%1").arg(I))));
}

TSchemeLayer::~TSchemeLayer() {
    Clear();
    FSchemeData = nullptr;
}

void TSchemeLayer::SaveToStrings(QStringList& Strings) const {
    record::WriteInt(Strings, u"ID", FID);
    if (!FVisible) record::WriteInt(Strings, u"Visible", 0);
    if (!FEnabled) record::WriteInt(Strings, u"Enabled", 0);
    if (FMinZoomForText != 1.0) record::WriteFloat(Strings, u"MinZoomForText", FMinZoomForText);
    if (FSelectedColor != clBlue) record::WriteColor(Strings, u"SelectedColor", FSelectedColor);
    record::WriteInt(Strings, u"StateCount", StateColorCount());
    for (int I = 0; I < StateColorCount(); ++I)
        record::Write(Strings, QStringLiteral("Color%1").arg(I),
                      ColorToString(FStateColors[static_cast<size_t>(I)]));
}

// ---- the object list -----------------------------------------------------------------------

TSchemeObject* TSchemeLayer::GetItem(int Id) const {
    return FObjects[static_cast<size_t>(GetListIndex(Id))];
}

void TSchemeLayer::SetItem(int Id, TSchemeObject* Obj) {
    Replace(static_cast<size_t>(GetListIndex(Id)), Obj);
}

TSchemeObject* TSchemeLayer::GetItemIndex(int Index) const {
    CheckIndex(Index);
    return FObjects[static_cast<size_t>(Index)];
}

void TSchemeLayer::SetItemIndex(int Index, TSchemeObject* Obj) {
    CheckIndex(Index);
    Replace(static_cast<size_t>(Index), Obj);
}

void TSchemeLayer::Replace(size_t Slot, TSchemeObject* Obj) {
    TSchemeObject* Old = FObjects[Slot];
    if (Obj == Old) return;
    if (!Obj || Obj->Layer()) RaiseError(QStringLiteral("TSchemeLayer : Can't add object!"));
    FObjects[Slot] = Obj;
    FIdIndexValid = false;
    Old->SetLayer(nullptr);
    Obj->SetLayer(this);
    NotifyChange();
}

void TSchemeLayer::Add(TSchemeObject* Obj) {
    if (!Obj || Obj->Layer()) RaiseError(QStringLiteral("TSchemeLayer : Can't add object!"));
    FObjects.push_back(Obj);
    // An appended object cannot hide an earlier one with the same Id.
    if (FIdIndexValid) FIdIndex.emplace(Obj->Id(), Count() - 1);
    Obj->SetLayer(this);
    FSorted = false;
    NotifyChange();
}

void TSchemeLayer::Delete(int Id) {
    delete FObjects[static_cast<size_t>(GetListIndex(Id))];
    NotifyChange();
}

void TSchemeLayer::Clear() {
    // Each object takes itself out of the list as it is destroyed; the last one is found first.
    while (!FObjects.empty()) delete FObjects.back();
    NotifyChange();
}

void TSchemeLayer::ObjectDestroyed(TSchemeObject* Obj) {
    const auto It = std::find(FObjects.rbegin(), FObjects.rend(), Obj);
    if (It != FObjects.rend()) FObjects.erase(std::next(It).base());
    FIdIndexValid = false;
}

void TSchemeLayer::Sort() {
    FIdIndexValid = false;
    std::stable_sort(
        FObjects.begin(), FObjects.end(),
        [](const TSchemeObject* A, const TSchemeObject* B) { return A->Id() < B->Id(); });
    FSorted = true;
}

int TSchemeLayer::GetListIndex(int Id) const {
    if (!FSorted) return GetListIndexNoSort(Id);
    int Low = 0;
    int High = Count() - 1;
    while (Low <= High) {
        const int Middle = Low + (High - Low) / 2;
        const int MiddleId = FObjects[static_cast<size_t>(Middle)]->Id();
        if (MiddleId < Id)
            Low = Middle + 1;
        else if (MiddleId == Id)
            return Middle;
        else
            High = Middle - 1;
    }
    // An Id changed after sorting, or an object put in a slot, may sit out of order.
    return GetListIndexNoSort(Id);
}

int TSchemeLayer::GetListIndexNoSort(int Id) const {
    // The first position of every Id, built on demand: large documents resolve many links by Id.
    if (!FIdIndexValid) {
        FIdIndex.clear();
        for (size_t I = 0; I < FObjects.size(); ++I)
            FIdIndex.emplace(FObjects[I]->Id(), static_cast<int>(I));
        FIdIndexValid = true;
    }
    const auto It = FIdIndex.find(Id);
    if (It == FIdIndex.end()) RaiseIndexNotFound();
    return It->second;
}

void TSchemeLayer::ObjectIdChanged() {
    FIdIndexValid = false;
}

void TSchemeLayer::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

// ---- painting and hit tests ----------------------------------------------------------------

void TSchemeLayer::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    if (!FVisible) return;
    for (TSchemeObject* Obj : FObjects) Obj->Paint(Zoom, Canvas, AParam);
}

void TSchemeLayer::Repaint(Extended Zoom, IWindowHandle* Handle, int OriginX, int OriginY,
                           int AParam) {
    for (TSchemeObject* Obj : FObjects) Obj->Repaint(Zoom, Handle, OriginX, OriginY, AParam);
}

TSchemeObject* TSchemeLayer::GetItemForPoint(Extended X, Extended Y, int AParam) const {
    for (auto It = FObjects.rbegin(); It != FObjects.rend(); ++It) {
        Extended DX = 0, DY = 0;
        int Detail = -1;
        if ((*It)->Enabled() && (*It)->MayContainPoint(X, Y, AParam) &&
            (*It)->PointInsideDetail(X, Y, DX, DY, Detail, AParam))
            return *It;
    }
    return nullptr;
}

int TSchemeLayer::GetObjectMaxId() const {
    if (FObjects.empty()) return 0;
    int Max = -32000;
    for (const TSchemeObject* Obj : FObjects) Max = std::max(Max, Obj->Id());
    return Max;
}

int TSchemeLayer::GetObjectCountForState(int State) const {
    return static_cast<int>(
        std::count_if(FObjects.begin(), FObjects.end(),
                      [State](const TSchemeObject* Obj) { return Obj->State() == State; }));
}

void TSchemeLayer::ExchangeUp(int Id) {
    const size_t I = static_cast<size_t>(GetListIndex(Id));
    if (I + 1 >= FObjects.size()) return;
    std::swap(FObjects[I], FObjects[I + 1]);
    FIdIndexValid = false;
    FSorted = false;
    Changed();
}

void TSchemeLayer::ExchangeDown(int Id) {
    const size_t I = static_cast<size_t>(GetListIndex(Id));
    if (I == 0) return;
    std::swap(FObjects[I], FObjects[I - 1]);
    FIdIndexValid = false;
    FSorted = false;
    Changed();
}

void TSchemeLayer::SelectAllObjects(bool Selected) {
    for (TSchemeObject* Obj : FObjects) Obj->SetSelected(Selected);
}

// ---- notification --------------------------------------------------------------------------

void TSchemeLayer::ObjectRepaintDirect(TSchemeObject* Obj) {
    if (FSchemeData) FSchemeData->ObjectRepaintDirect(Obj);
}

void TSchemeLayer::RepaintDirect() {
    for (TSchemeObject* Obj : FObjects) ObjectRepaintDirect(Obj);
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
    FSelectedColor = Value;
    Changed();
}

void TSchemeLayer::SetAllStateColors(std::span<const TColor> Colors) {
    FStateColors.assign(Colors.begin(), Colors.end());
    Changed();
}

void TSchemeLayer::SetAllStateColorsToColor(TColor Color) {
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
    FStateColors[static_cast<size_t>(State)] = Color;
    Changed();
}

void TSchemeLayer::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    if (FSchemeData) FSchemeData->RepaintAllVisualControls(true);
    NotifyChange();
}

void TSchemeLayer::SetMinZoomForText(Extended Value) {
    if (Value == FMinZoomForText) return;
    FMinZoomForText = Value;
    Changed();
}

void TSchemeLayer::SetEnabledZoomForText(bool Value) {
    if (Value == FEnabledZoomForText) return;
    FEnabledZoomForText = Value;
    Changed();
}

}  // namespace scheme
