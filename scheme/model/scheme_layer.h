#pragma once

#include <QStringList>
#include <span>
#include <unordered_set>
#include <vector>

#include "scheme/model/id_index.h"
#include "scheme/model/persistent.h"
#include "scheme/platform/color.h"
#include "scheme/platform/export.h"
#include "scheme/platform/types.h"

namespace scheme {

class TCanvas;
class IWindowHandle;
class TSchemeObject;

// One layer of a document: the objects it owns in drawing order (first drawn first, last on
// top), the fill colour of each object state, the colour and phase of selected objects, and
// the zoom settings of captions. The document gives each layer its ISchemeData.
//
// Objects are addressed by Id or by list position. Unknown Ids raise ESchemeErrorException
// "TSchemeLayer : Index not found!"; positions outside the list raise EListError.
class SCHEME_EXPORT TSchemeLayer : public TSchemePersistent {
    SCHEME_RECORD_CLASS(TSchemeLayer)

public:
    explicit TSchemeLayer(int Id);
    // Builds the layer from its record; trims the caller's lines in place.
    explicit TSchemeLayer(QStringList& Strings);
    explicit TSchemeLayer(const record::TRecord& Record);
    // Frees every object.
    ~TSchemeLayer() override;

    void SaveToStrings(QStringList& Strings) const override;
    void WriteRecord(record::TRecordWriter& Writer) const override;

    TNotifyEvent OnChange;

    int ID() const { return FID; }
    void SetID(int Value);
    // The document that holds the layer; the document sets it when it takes the layer in and
    // clears it when it lets the layer go.
    ISchemeData* SchemeData() const { return FSchemeData; }
    void SetSchemeData(ISchemeData* Value) { FSchemeData = Value; }

    int Count() const { return FLive; }
    // The object with that Id: the first in list order when several share it.
    TSchemeObject* GetItem(int Id) const;
    // Puts Obj in the slot of the object with that Id and answers the replaced object, which
    // leaves the layer (the document frees its links) and belongs to the caller from then on.
    // An object that belongs to a layer is refused and stays where it is.
    TSchemeObject* SetItem(int Id, TSchemeObject* Obj);
    TSchemeObject* GetItemIndex(int Index) const;
    TSchemeObject* SetItemIndex(int Index, TSchemeObject* Obj);
    // Takes ownership of Obj and appends it on top. An object that already belongs to a layer
    // is refused with ESchemeErrorException and stays where it is.
    void Add(TSchemeObject* Obj);
    // The same at list position Index (0 .. Count; Count appends).
    void Insert(int Index, TSchemeObject* Obj);
    // The list position of one of the layer's objects (-1 for a stranger), found without
    // changing the list.
    int PositionOf(const TSchemeObject* Obj) const;
    // Puts the objects at list positions Index1 and Index2 in each other's place.
    void ExchangeIndex(int Index1, int Index2);
    // Orders the list as Order, which must hold exactly the layer's objects.
    void SetOrder(const std::vector<TSchemeObject*>& Order);
    // Frees the object with that Id.
    void Delete(int Id);
    // Frees every object, last to first.
    void Clear();
    void Sort();
    bool Sorted() const { return FSorted; }
    int GetListIndex(int Id) const;
    int GetListIndexNoSort(int Id) const;
    // A number that grows with the object's position in the list (first drawn, smallest), for
    // ordering objects of this layer; valid until the list changes. -1 for a stranger.
    int OrderOf(const TSchemeObject* Obj) const;

    // Paints every object in list order when the layer is visible.
    virtual void Paint(Extended Zoom, TCanvas& Canvas, int AParam);
    virtual void Repaint(Extended Zoom, IWindowHandle* Handle, int OriginX, int OriginY,
                         int AParam);
    // The topmost enabled object at a world point, or nullptr.
    TSchemeObject* GetItemForPoint(Extended X, Extended Y, int AParam) const;
    int GetObjectMaxId() const;
    int GetObjectCountForState(int State) const;
    void ExchangeUp(int Id);
    void ExchangeDown(int Id);
    void SelectAllObjects(bool Selected);

    void ObjectRepaintDirect(TSchemeObject* Obj);
    void RepaintDirect();
    virtual void Changed();

    TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(TColor Value);
    int StateColorCount() const { return static_cast<int>(FStateColors.size()); }
    void SetAllStateColors(std::span<const TColor> Colors);
    void SetAllStateColorsToColor(TColor Color);
    // Zeroes Colors and copies the state colours into its first entries; leaves it untouched
    // when the layer has no state colours.
    void GetAllStateColors(std::span<TColor> Colors) const;
    // The colour of State; 0 (black) for a state outside the table.
    TColor GetStateColor(int State) const;
    void SetStateColor(int State, TColor Color);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    Extended MinZoomForText() const { return FMinZoomForText; }
    void SetMinZoomForText(Extended Value);
    bool EnabledZoomForText() const { return FEnabledZoomForText; }
    void SetEnabledZoomForText(bool Value);
    bool SelectionPhase() const { return FSelectionPhase; }
    void SetSelectionPhase(bool Value) { FSelectionPhase = Value; }

    // ---- alarms and live looks (scheme_layer_alarms.cpp) ----
    // The states that are alarms, ascending without repeats: an object that enters one blinks
    // until its alarm is acknowledged. Saved only when there are some.
    const std::vector<int>& AlarmStates() const { return FAlarmStates; }
    void SetAlarmStates(std::vector<int> Value);
    bool IsAlarmState(int State) const;
    // Whether State has a colour in this layer: the states a feed may set.
    bool IsValidState(int State) const { return State >= 0 && State < StateColorCount(); }
    // Objects of the layer whose alarm awaits acknowledgement, and objects whose state is
    // unknown (shown faded). Neither is saved; an object that leaves the layer loses both.
    bool AlarmUnacknowledged(const TSchemeObject* Obj) const;
    void SetAlarmUnacknowledged(TSchemeObject* Obj, bool Value);
    std::vector<TSchemeObject*> UnacknowledgedAlarms() const;
    bool Stale(const TSchemeObject* Obj) const;
    void SetStale(TSchemeObject* Obj, bool Value);
    // The fill colour an object with state colours shows: its state's colour, faded while the
    // state is stale, and white (black for a white state) in the blink's off phase while its
    // alarm awaits acknowledgement.
    TColor StateColorShown(const TSchemeObject& Obj) const;
    // The record's text of alarm states ("2,5") and back; parsing skips what is not a
    // non-negative integer and sorts the rest.
    static std::vector<int> ParseAlarmStates(const QString& Text);
    static QString AlarmStatesText(const std::vector<int>& States);

    // Everything the layer holds besides its objects, taken and given back whole.
    struct TSettings {
        int ID = 0;
        std::vector<TColor> StateColors;
        TColor SelectedColor = clBlue;
        bool Enabled = true;
        bool Visible = true;
        Extended MinZoomForText = 1.0;
        bool EnabledZoomForText = false;
        std::vector<int> AlarmStates;
        bool operator==(const TSettings&) const = default;
    };
    TSettings Settings() const;
    void SetSettings(const TSettings& Value);

private:
    friend class TSchemeObject;
    // Called by an object being destroyed: drops it from the list without freeing it.
    void ObjectDestroyed(TSchemeObject* Obj);
    // Called by an object whose Id changed.
    void ObjectIdChanged(TSchemeObject* Obj, int OldId);
    // Called by an object whose look or area changed, and by one about to change.
    void ObjectChanged(TSchemeObject* Obj, const TSchemeArea& Before, bool Drawn,
                       bool Selection = false);
    void ObjectChanging(TSchemeObject* Obj);
    void Notify(TSchemeNoticeKind Kind, TSchemeObject* Obj, const TSchemeArea& Before = {});
    void Send(const TSchemeNotice& Notice) const;
    // The settings are about to change.
    void SettingsChanging();
    // Destroys the object, telling the document first.
    void DeleteObject(TSchemeObject* Obj);
    void CheckIndex(int Index) const;
    void NotifyChange();
    TSchemeObject* Replace(size_t Slot, TSchemeObject* Obj);
    static void CheckFree(const TSchemeObject* Obj);
    // Drops the live looks of an object that leaves the layer.
    void ForgetLive(const TSchemeObject* Obj);

    // The list keeps the slots of deleted objects empty until there are many of them, so that
    // deleting by Id costs the same in a large layer as in a small one; positions are those of
    // the list without its empty slots, counted by FFilled.
    void Compact() const;
    void DropSlot(size_t Slot);
    // Puts the objects of two slots in each other's place; the notice names their positions.
    void Exchange(size_t From, size_t To, int FromPosition, int ToPosition);
    // The slot of the object at a list position, and the position of a slot.
    size_t SlotAt(int Index) const;
    int PositionOfSlot(size_t Slot) const;
    // Every object's slot, from slot First on, after the list moved its objects.
    void RenumberFrom(size_t First) const;
    // The slot of the first object with that Id, or -1.
    int FindSlot(int Id) const;
    void IndexAdd(int Id, size_t Slot) const;
    void IndexRemove(int Id, size_t Slot) const;
    template <class F>
    void ForEachObject(F&& Action) const {
        // By slot, re-reading the size: an action may add objects.
        for (size_t I = 0; I < FObjects.size(); ++I)
            if (TSchemeObject* Obj = FObjects[I]) Action(Obj);
    }

public:
    // How often the Id table was rebuilt from the whole list (after insertions in the middle or
    // reordering the list); for checking that other changes keep it as it is.
    int IdIndexRebuilds() const { return FIdIndexRebuilds; }

private:
    int FID = 0;
    mutable std::vector<TSchemeObject*> FObjects;
    int FLive = 0;
    std::vector<TColor> FStateColors;
    TColor FSelectedColor = clBlue;
    bool FEnabled = true;
    bool FVisible = true;
    Extended FMinZoomForText = 1.0;
    bool FEnabledZoomForText = false;
    bool FSorted = false;
    bool FSelectionPhase = true;
    std::vector<int> FAlarmStates;
    std::unordered_set<const TSchemeObject*> FUnacknowledged;
    std::unordered_set<const TSchemeObject*> FStale;
    ISchemeData* FSchemeData = nullptr;
    mutable TSlotCounter FFilled;
    // Id -> slot of the first object with that Id; rebuilt on demand after changes that move
    // many objects, kept entry by entry through the others.
    mutable TFirstSlotIndex FIdIndex;
    mutable bool FIdIndexValid = true;
    mutable int FIdIndexRebuilds = 0;
};

}  // namespace scheme
