// A layer's alarm states and the live looks of its objects: alarms awaiting acknowledgement
// and states not known at present.
#include <algorithm>

#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"

namespace scheme {

std::vector<int> TSchemeLayer::ParseAlarmStates(const QString& Text) {
    std::vector<int> States;
    for (const QString& Part : Text.split(u',', Qt::SkipEmptyParts)) {
        bool Ok = false;
        const int State = Part.trimmed().toInt(&Ok);
        if (Ok && State >= 0) States.push_back(State);
    }
    std::sort(States.begin(), States.end());
    States.erase(std::unique(States.begin(), States.end()), States.end());
    return States;
}

QString TSchemeLayer::AlarmStatesText(const std::vector<int>& States) {
    QStringList Parts;
    for (int State : States) Parts << QString::number(State);
    return Parts.join(u',');
}

void TSchemeLayer::SetAlarmStates(std::vector<int> Value) {
    std::sort(Value.begin(), Value.end());
    Value.erase(std::unique(Value.begin(), Value.end()), Value.end());
    Value.erase(std::remove_if(Value.begin(), Value.end(), [](int S) { return S < 0; }),
                Value.end());
    if (Value == FAlarmStates) return;
    SettingsChanging();
    FAlarmStates = std::move(Value);
    Changed();
}

bool TSchemeLayer::IsAlarmState(int State) const {
    return std::binary_search(FAlarmStates.begin(), FAlarmStates.end(), State);
}

bool TSchemeLayer::AlarmUnacknowledged(const TSchemeObject* Obj) const {
    return FUnacknowledged.contains(Obj);
}

void TSchemeLayer::SetAlarmUnacknowledged(TSchemeObject* Obj, bool Value) {
    const bool Changed =
        Value ? FUnacknowledged.insert(Obj).second : FUnacknowledged.erase(Obj) > 0;
    if (Changed) ObjectRepaintDirect(Obj);
}

std::vector<TSchemeObject*> TSchemeLayer::UnacknowledgedAlarms() const {
    std::vector<TSchemeObject*> Objects;
    Objects.reserve(FUnacknowledged.size());
    for (const TSchemeObject* Obj : FUnacknowledged)
        Objects.push_back(const_cast<TSchemeObject*>(Obj));
    std::sort(
        Objects.begin(), Objects.end(),
        [this](const TSchemeObject* A, const TSchemeObject* B) { return OrderOf(A) < OrderOf(B); });
    return Objects;
}

bool TSchemeLayer::Stale(const TSchemeObject* Obj) const {
    return FStale.contains(Obj);
}

void TSchemeLayer::SetStale(TSchemeObject* Obj, bool Value) {
    const bool Changed = Value ? FStale.insert(Obj).second : FStale.erase(Obj) > 0;
    if (Changed) ObjectRepaintDirect(Obj);
}

void TSchemeLayer::ForgetLive(const TSchemeObject* Obj) {
    FUnacknowledged.erase(Obj);
    FStale.erase(Obj);
}

namespace {

// The colour over white at an opacity of Alpha (0 … 256).
TColor OverWhite(TColor Color, int Alpha) {
    // System colours are resolved at paint time: they stay as they are.
    if (static_cast<unsigned>(Color) > 0xFFFFFFu) return Color;
    auto Mix = [Alpha](unsigned Channel) { return (Channel * Alpha + 255u * (256 - Alpha)) >> 8; };
    const auto C = static_cast<unsigned>(Color);
    return static_cast<TColor>(Mix(C & 0xFF) | Mix((C >> 8) & 0xFF) << 8 |
                               Mix((C >> 16) & 0xFF) << 16);
}

}  // namespace

TColor TSchemeLayer::StateColorShown(const TSchemeObject& Obj) const {
    const TColor Color = GetStateColor(Obj.State());
    if (FUnacknowledged.empty() && FStale.empty()) return Color;
    if (!FSelectionPhase && FUnacknowledged.contains(&Obj))
        return Color == clWhite ? clBlack : clWhite;
    if (FStale.contains(&Obj)) return OverWhite(Color, 96);
    return Color;
}

}  // namespace scheme
