// Alarms and live looks: entering an alarm state, acknowledging, stale states, and the alarms
// that blink with the selected objects.
#include <algorithm>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"

namespace scheme {

void TSchemeData::NoteStateSet(TSchemeObject* AObject, int AOldState) {
    TSchemeLayer* Layer = AObject->Layer();
    if (!Layer) return;
    const int State = AObject->State();
    if (!Layer->IsAlarmState(State))
        Layer->SetAlarmUnacknowledged(AObject, false);
    else if (State != AOldState)
        // A new alarm, also one that follows another alarm state: it needs its own
        // acknowledgement. The same alarm state set again keeps what it had.
        Layer->SetAlarmUnacknowledged(AObject, true);
}

bool TSchemeData::AlarmUnacknowledged(const TSchemeObject* AObject) const {
    return AObject && AObject->Layer() && AObject->Layer()->AlarmUnacknowledged(AObject);
}

std::vector<TSchemeObject*> TSchemeData::UnacknowledgedAlarms() const {
    std::vector<TSchemeObject*> Objects;
    for (TSchemeLayer* Layer : FLayers) {
        const std::vector<TSchemeObject*> Alarms = Layer->UnacknowledgedAlarms();
        Objects.insert(Objects.end(), Alarms.begin(), Alarms.end());
    }
    return Objects;
}

bool TSchemeData::AcknowledgeAlarm(TSchemeObject* AObject) {
    if (!AlarmUnacknowledged(AObject) || !Holds(AObject)) return false;
    AObject->Layer()->SetAlarmUnacknowledged(AObject, false);
    emit AlarmAcknowledged(AObject);
    return true;
}

int TSchemeData::AcknowledgeAllAlarms() {
    int Count = 0;
    for (TSchemeObject* Obj : UnacknowledgedAlarms())
        // A listener may have acknowledged or removed later ones meanwhile.
        if (AcknowledgeAlarm(Obj)) ++Count;
    return Count;
}

void TSchemeData::SetObjectStale(TSchemeObject* AObject, bool AStale) {
    if (AObject && AObject->Layer()) AObject->Layer()->SetStale(AObject, AStale);
}

bool TSchemeData::ObjectStale(const TSchemeObject* AObject) const {
    return AObject && AObject->Layer() && AObject->Layer()->Stale(AObject);
}

void TSchemeData::AddBlinkingAlarms(std::vector<TSchemeObject*>& Objects) {
    bool Any = false;
    for (TSchemeLayer* Layer : FLayers) {
        if (!Layer->Visible()) continue;
        for (TSchemeObject* Obj : Layer->UnacknowledgedAlarms()) {
            Objects.push_back(Obj);
            Any = true;
        }
    }
    if (!Any) return;
    SortInDrawingOrder(Objects);
    Objects.erase(std::unique(Objects.begin(), Objects.end()), Objects.end());
}

}  // namespace scheme
