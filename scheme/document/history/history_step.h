#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "scheme/model/persistent.h"
#include "scheme/model/scheme_layer.h"

namespace scheme {

class TSchemeData;
class TSchemeLink;

namespace history {

// Steps name objects and layers through handles, not pointers: an object that a step brings
// back is a new object, and every step that names it must find the new one.
struct TObjectRef {
    TSchemeObject* Ptr = nullptr;
};
struct TLayerRef {
    TSchemeLayer* Ptr = nullptr;
};
using TObjectHandle = std::shared_ptr<TObjectRef>;
using TLayerHandle = std::shared_ptr<TLayerRef>;

// The handles of the objects and layers the document holds and some step names.
class TRefs {
public:
    TObjectHandle Of(TSchemeObject* Obj);
    TLayerHandle Of(TSchemeLayer* Layer);
    // The item left the document: its handle names nothing until it is bound again.
    void Forget(TSchemeObject* Obj);
    void Forget(TSchemeLayer* Layer);
    void Bind(const TObjectHandle& Handle, TSchemeObject* Obj);
    void Bind(const TLayerHandle& Handle, TSchemeLayer* Layer);
    void Clear();

private:
    std::unordered_map<const TSchemeObject*, TObjectHandle> FObjects;
    std::unordered_map<const TSchemeLayer*, TLayerHandle> FLayers;
};

// An object as its record holds it, with the one thing views show that the record does not:
// whether its hooks are shown.
struct TObjectState {
    QString ClassName;
    std::string Record;
    bool Resized = false;
    // The object in words, for the names of steps (taken with the record, from the object).
    QString Description;
    bool operator==(const TObjectState&) const = default;
};

struct TLayerState {
    TSchemeLayer::TSettings Settings;
    std::vector<std::pair<TObjectHandle, TObjectState>> Objects;
};

struct TLinkState {
    TObjectHandle Parent, Child;
    int ParentType = 0, ChildType = 0;
    bool Enabled = true;
};

// One step: recorded from the notices of the change channel, then undone and redone.
//
// Changes of list membership and order are kept in the order they happened and undone in the
// reverse order, each with the position it had at its time. What the objects, layers and link
// slots hold is kept as before and after and set once all of those are done, when every object
// a link names exists again.
class TRecorder {
public:
    TRecorder(TSchemeData& Data, TRefs& Refs);
    ~TRecorder();

    // False when the notice announces a change the step cannot record.
    bool Notice(const TSchemeNotice& Notice);
    // The document has acted on the notice: objects and layers that left are forgotten.
    void NoticeDone(const TSchemeNotice& Notice);
    // Takes what the step changed as it is now; drops what is as it was.
    void Finish();
    bool Empty() const;
    // Whether anything was recorded yet (before Finish: a change may still turn out to be none).
    bool Touched() const {
        return !FOps.empty() || !FContents.empty() || !FSettings.empty() || FLinkCountBefore >= 0;
    }
    // The bytes the step holds, about.
    size_t Bytes() const { return FBytes; }
    // A name from what the step did, for a step outside a named group.
    QString DefaultName() const;
    // The name of the group that made the step, if any.
    QString Name;

    void Undo();
    void Redo();

private:
    enum class TOpKind {
        ObjectJoined,
        ObjectLeft,
        ObjectsExchanged,
        ObjectsOrdered,
        LayerJoined,
        LayerLeft,
        LayersExchanged,
    };
    struct TOp {
        TOpKind Kind = TOpKind::ObjectJoined;
        TLayerHandle Layer = {};
        TObjectHandle Object = {};
        int From = -1, To = -1;
        TObjectState State = {};
        std::shared_ptr<TLayerState> LayerState = {};
        std::vector<TObjectHandle> OrderBefore = {}, OrderAfter = {};
    };
    struct TContent {
        TObjectHandle Object;
        TObjectState Before, After;
        bool HasAfter = false;
    };
    struct TSettingsChange {
        TLayerHandle Layer;
        TSchemeLayer::TSettings Before, After;
        bool HasAfter = false;
    };
    struct TLinkSlot {
        int Slot;
        std::optional<TLinkState> Before, After;
    };

    TObjectState Snapshot(const TSchemeObject& Obj);
    std::shared_ptr<TLayerState> SnapshotLayer(TSchemeLayer& Layer);
    std::optional<TLinkState> SnapshotLink(int Slot);
    bool RecordContent(TSchemeObject* Obj);
    void RecordSettings(TSchemeLayer* Layer);
    void RecordLinks(int Slot);
    void RecordLinkSlot(int Slot);
    void AddOp(TOp Op);

    TSchemeObject* Build(const TObjectState& State);
    TSchemeLayer* BuildLayer(const TLayerState& State);
    void DestroyObject(const TObjectHandle& Handle);
    void DestroyLayer(const TLayerHandle& Handle);
    void Do(const TOp& Op, bool Forward);
    void SetContents(bool Forward);
    void SetLinks(bool Forward);

    TSchemeData& FData;
    TRefs& FRefs;
    std::vector<TOp> FOps;
    std::vector<TContent> FContents;
    std::unordered_map<const TObjectRef*, size_t> FContentOf;
    std::vector<TSettingsChange> FSettings;
    std::vector<TLinkSlot> FLinkSlots;
    std::unordered_map<int, size_t> FLinkSlotOf;
    int FLinkCountBefore = -1, FLinkCountAfter = -1;
    // Objects announced as about to be destroyed, with their state then.
    std::unordered_map<const TSchemeObject*, TObjectState> FDoomed;
    // The sort under way: the index of its operation.
    std::optional<size_t> FOrdering;
    size_t FBytes = 0;
};

}  // namespace history
}  // namespace scheme
