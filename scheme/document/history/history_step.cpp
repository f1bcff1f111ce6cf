#include "scheme/document/history/history_step.h"

#include "scheme/document/history/scheme_history.h"

#include <algorithm>

#include "scheme/document/scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/kind_name.h"
#include "scheme/model/record.h"
#include "scheme/model/scheme_link.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/exceptions.h"

namespace scheme::history {

// ---- handles -------------------------------------------------------------------------------

TObjectHandle TRefs::Of(TSchemeObject* Obj) {
    if (!Obj) return nullptr;
    TObjectHandle& Handle = FObjects[Obj];
    if (!Handle) Handle = std::make_shared<TObjectRef>(TObjectRef{Obj});
    return Handle;
}

TLayerHandle TRefs::Of(TSchemeLayer* Layer) {
    if (!Layer) return nullptr;
    TLayerHandle& Handle = FLayers[Layer];
    if (!Handle) Handle = std::make_shared<TLayerRef>(TLayerRef{Layer});
    return Handle;
}

void TRefs::Forget(TSchemeObject* Obj) {
    if (const auto It = FObjects.find(Obj); It != FObjects.end()) {
        It->second->Ptr = nullptr;
        FObjects.erase(It);
    }
}

void TRefs::Forget(TSchemeLayer* Layer) {
    if (const auto It = FLayers.find(Layer); It != FLayers.end()) {
        It->second->Ptr = nullptr;
        FLayers.erase(It);
    }
}

void TRefs::Bind(const TObjectHandle& Handle, TSchemeObject* Obj) {
    Handle->Ptr = Obj;
    FObjects[Obj] = Handle;
}

void TRefs::Bind(const TLayerHandle& Handle, TSchemeLayer* Layer) {
    Handle->Ptr = Layer;
    FLayers[Layer] = Handle;
}

void TRefs::Clear() {
    for (auto& [Obj, Handle] : FObjects) Handle->Ptr = nullptr;
    for (auto& [Layer, Handle] : FLayers) Handle->Ptr = nullptr;
    FObjects.clear();
    FLayers.clear();
}

// ---- recording -----------------------------------------------------------------------------

namespace {

QStringList RecordLines(const std::string& Record) {
    QStringList Lines = QString::fromUtf8(Record.data(), qsizetype(Record.size()))
                            .split(QStringLiteral("\r\n"), Qt::KeepEmptyParts);
    if (!Lines.isEmpty() && Lines.back().isEmpty()) Lines.removeLast();
    return Lines;
}

}  // namespace

TRecorder::TRecorder(TSchemeData& Data, TRefs& Refs) : FData(Data), FRefs(Refs) {}

TRecorder::~TRecorder() = default;

TObjectState TRecorder::Snapshot(const TSchemeObject& Obj) {
    TObjectState State{Obj.ClassName(), {}, Obj.Resized(), DescribeObject(Obj)};
    record::TRecordWriter Writer(State.Record, TSchemeData::kMaxLineLength);
    Obj.WriteTo(Writer);
    FBytes += State.Record.size() + sizeof(TObjectState);
    return State;
}

std::shared_ptr<TLayerState> TRecorder::SnapshotLayer(TSchemeLayer& Layer) {
    auto State = std::make_shared<TLayerState>();
    State->Settings = Layer.Settings();
    for (int I = 0; I < Layer.Count(); ++I) {
        TSchemeObject* Obj = Layer.GetItemIndex(I);
        State->Objects.emplace_back(FRefs.Of(Obj), Snapshot(*Obj));
    }
    return State;
}

std::optional<TLinkState> TRecorder::SnapshotLink(int Slot) {
    if (Slot < 0 || Slot >= FData.LinkCount()) return std::nullopt;
    const TSchemeLink* Link = FData.GetLink(Slot);
    if (!Link) return std::nullopt;
    FBytes += sizeof(TLinkState);
    return TLinkState{FRefs.Of(Link->Parent()), FRefs.Of(Link->Child()), Link->ParentLinkType(),
                      Link->ChildLinkType(), Link->Enabled()};
}

// An object's class must be one that can be rebuilt from its record where it is.
bool TRecorder::RecordContent(TSchemeObject* Obj) {
    const TObjectHandle Handle = FRefs.Of(Obj);
    if (FContentOf.contains(Handle.get())) return true;
    const TSchemeClass* Class = nullptr;
    try {
        Class = FindSchemeClass(Obj->ClassName());
    } catch (const Exception&) {
        return false;  // not registered
    }
    if (!Class->Rebuild || !Class->Type || *Class->Type != typeid(*Obj)) return false;
    FContentOf.emplace(Handle.get(), FContents.size());
    FContents.push_back(TContent{Handle, Snapshot(*Obj), {}, false});
    return true;
}

void TRecorder::RecordSettings(TSchemeLayer* Layer) {
    const TLayerHandle Handle = FRefs.Of(Layer);
    for (const TSettingsChange& Change : FSettings)
        if (Change.Layer == Handle) return;
    FSettings.push_back(TSettingsChange{Handle, Layer->Settings(), {}, false});
}

void TRecorder::RecordLinkSlot(int Slot) {
    if (FLinkSlotOf.contains(Slot)) return;
    FLinkSlotOf.emplace(Slot, FLinkSlots.size());
    FLinkSlots.push_back(TLinkSlot{Slot, SnapshotLink(Slot), std::nullopt});
}

// A slot past the end is a link about to be appended: the count before covers it.
void TRecorder::RecordLinks(int Slot) {
    if (FLinkCountBefore < 0) FLinkCountBefore = FData.LinkCount();
    if (Slot < 0) {
        for (int I = 0; I < FData.LinkCount(); ++I) RecordLinkSlot(I);
    } else if (Slot < FData.LinkCount()) {
        RecordLinkSlot(Slot);
    }
}

void TRecorder::AddOp(TOp Op) {
    FBytes += sizeof(TOp) + (Op.OrderBefore.size() + Op.OrderAfter.size()) * sizeof(TObjectHandle);
    FOps.push_back(std::move(Op));
}

bool TRecorder::Notice(const TSchemeNotice& N) {
    using K = TSchemeNoticeKind;
    switch (N.Kind) {
        case K::Changing:
            if (!N.Object) {
                RecordSettings(N.Layer);
                return true;
            }
            return RecordContent(N.Object);
        case K::Deleting:
            FDoomed.insert_or_assign(N.Object, Snapshot(*N.Object));
            return true;
        case K::Joined:
            AddOp(TOp{.Kind = TOpKind::ObjectJoined,
                      .Layer = FRefs.Of(N.Layer),
                      .Object = FRefs.Of(N.Object),
                      .From = N.Layer->PositionOf(N.Object),
                      .State = Snapshot(*N.Object)});
            return true;
        case K::Leaving: {
            TObjectState State;
            if (const auto It = FDoomed.find(N.Object); It != FDoomed.end()) {
                State = std::move(It->second);
                FDoomed.erase(It);
            } else if (N.Destroyed) {
                return false;  // freed by delete: its kind is gone
            } else {
                State = Snapshot(*N.Object);
            }
            AddOp(TOp{.Kind = TOpKind::ObjectLeft,
                      .Layer = FRefs.Of(N.Layer),
                      .Object = FRefs.Of(N.Object),
                      .From = N.From,
                      .State = std::move(State)});
            return true;
        }
        case K::Reordering: {
            TOp Op{.Kind = TOpKind::ObjectsOrdered, .Layer = FRefs.Of(N.Layer)};
            for (int I = 0; I < N.Layer->Count(); ++I)
                Op.OrderBefore.push_back(FRefs.Of(N.Layer->GetItemIndex(I)));
            FOrdering = FOps.size();
            AddOp(std::move(Op));
            return true;
        }
        case K::Reordered:
            if (N.Object)
                AddOp(TOp{.Kind = TOpKind::ObjectsExchanged,
                          .Layer = FRefs.Of(N.Layer),
                          .From = N.From,
                          .To = N.To});
            else if (!N.Layer)
                AddOp(TOp{.Kind = TOpKind::LayersExchanged, .From = N.From, .To = N.To});
            else if (FOrdering) {
                TOp& Op = FOps[*std::exchange(FOrdering, std::nullopt)];
                for (int I = 0; I < N.Layer->Count(); ++I)
                    Op.OrderAfter.push_back(FRefs.Of(N.Layer->GetItemIndex(I)));
                FBytes += Op.OrderAfter.size() * sizeof(TObjectHandle);
            }
            return true;
        case K::LayerJoined:
            AddOp(TOp{.Kind = TOpKind::LayerJoined,
                      .Layer = FRefs.Of(N.Layer),
                      .From = N.From,
                      .LayerState = SnapshotLayer(*N.Layer)});
            return true;
        case K::LayerLeaving: {
            AddOp(TOp{.Kind = TOpKind::LayerLeft,
                      .Layer = FRefs.Of(N.Layer),
                      .From = N.From,
                      .LayerState = SnapshotLayer(*N.Layer)});
            return true;
        }
        case K::LinkChanging:
            RecordLinks(N.From);
            return true;
        case K::Changed:
            return true;
    }
    return true;
}

void TRecorder::NoticeDone(const TSchemeNotice& N) {
    if (N.Kind == TSchemeNoticeKind::Leaving) {
        FRefs.Forget(N.Object);
    } else if (N.Kind == TSchemeNoticeKind::LayerLeaving) {
        for (int I = 0; I < N.Layer->Count(); ++I) FRefs.Forget(N.Layer->GetItemIndex(I));
        FRefs.Forget(N.Layer);
    }
}

void TRecorder::Finish() {
    std::erase_if(FContents, [&](TContent& C) {
        if (!C.Object->Ptr) return false;
        C.After = Snapshot(*C.Object->Ptr);
        C.HasAfter = true;
        return C.After == C.Before;
    });
    std::erase_if(FSettings, [](TSettingsChange& S) {
        if (!S.Layer->Ptr) return false;
        S.After = S.Layer->Ptr->Settings();
        S.HasAfter = true;
        return S.After == S.Before;
    });
    if (FLinkCountBefore >= 0) {
        FLinkCountAfter = FData.LinkCount();
        for (int Slot = FLinkCountBefore; Slot < FLinkCountAfter; ++Slot) RecordLinkSlot(Slot);
        for (TLinkSlot& Slot : FLinkSlots) Slot.After = SnapshotLink(Slot.Slot);
    }
    // What only recording needed.
    FContentOf = {};
    FLinkSlotOf = {};
    FDoomed = {};
}

bool TRecorder::Empty() const {
    const bool LinksSame =
        FLinkCountBefore == FLinkCountAfter &&
        std::all_of(FLinkSlots.begin(), FLinkSlots.end(), [](const TLinkSlot& S) {
            auto Same = [](const TLinkState& A, const TLinkState& B) {
                return A.Parent == B.Parent && A.Child == B.Child && A.ParentType == B.ParentType &&
                       A.ChildType == B.ChildType && A.Enabled == B.Enabled;
            };
            return S.Before.has_value() == S.After.has_value() &&
                   (!S.Before || Same(*S.Before, *S.After));
        });
    return FOps.empty() && FContents.empty() && FSettings.empty() && LinksSame;
}

}  // namespace scheme::history

namespace scheme {

QString DescribeObject(const TSchemeObject& Obj) {
    const QString Caption = Obj.Text().section(QLatin1Char('\n'), 0, 0).trimmed();
    if (!Caption.isEmpty()) return Caption;
    return QStringLiteral("%1 %2").arg(KindName(Obj)).arg(Obj.Id());
}

QString DescribeObjects(const QString& Verb, std::span<TSchemeObject* const> Objects) {
    return Objects.size() == 1 ? QStringLiteral("%1 %2").arg(Verb, DescribeObject(*Objects[0]))
                               : QStringLiteral("%1 %2 objects").arg(Verb).arg(Objects.size());
}

}  // namespace scheme

namespace scheme::history {

QString TRecorder::DefaultName() const {
    auto Named = [](const char* Verb, const TObjectState& State) {
        return QStringLiteral("%1 %2").arg(QLatin1String(Verb), State.Description);
    };
    if (FOps.size() == 1 && FContents.size() <= 1) {
        if (FOps[0].Kind == TOpKind::ObjectJoined) return Named("Add", FOps[0].State);
        if (FOps[0].Kind == TOpKind::ObjectLeft) return Named("Delete", FOps[0].State);
    }
    if (FOps.empty() && FContents.size() == 1) return Named("Change", FContents[0].Before);
    if (FOps.empty() && FContents.empty() && FSettings.empty())
        return QStringLiteral("Change links");
    return QStringLiteral("Change");
}

// ---- replaying -----------------------------------------------------------------------------

TSchemeObject* TRecorder::Build(const TObjectState& State) {
    QStringList Lines = RecordLines(State.Record);
    std::unique_ptr<TSchemePersistent> Item = FindSchemeClass(State.ClassName)->Create(Lines);
    auto* Obj = dynamic_cast<TSchemeObject*>(Item.get());
    if (!Obj) RaiseError(QStringLiteral("TSchemeHistory : %1 is no object").arg(State.ClassName));
    Item.release();
    Obj->SetResized(State.Resized);
    return Obj;
}

TSchemeLayer* TRecorder::BuildLayer(const TLayerState& State) {
    auto Layer = std::make_unique<TSchemeLayer>(State.Settings.ID);
    Layer->SetSettings(State.Settings);
    for (const auto& [Handle, ObjState] : State.Objects) {
        TSchemeObject* Obj = Build(ObjState);
        Layer->Add(Obj);
        FRefs.Bind(Handle, Obj);
    }
    return Layer.release();
}

void TRecorder::DestroyObject(const TObjectHandle& Handle) {
    TSchemeObject* Obj = Handle->Ptr;
    if (!Obj) return;
    FRefs.Forget(Obj);
    delete Obj;
}

void TRecorder::DestroyLayer(const TLayerHandle& Handle) {
    TSchemeLayer* Layer = Handle->Ptr;
    if (!Layer) return;
    for (int I = 0; I < Layer->Count(); ++I) FRefs.Forget(Layer->GetItemIndex(I));
    FRefs.Forget(Layer);
    FData.FreeLayer(Layer);
}

void TRecorder::Do(const TOp& Op, bool Forward) {
    switch (Op.Kind) {
        case TOpKind::ObjectJoined:
        case TOpKind::ObjectLeft:
            if ((Op.Kind == TOpKind::ObjectJoined) == Forward) {
                TSchemeObject* Obj = Build(Op.State);
                Op.Layer->Ptr->Insert(Op.From, Obj);
                FRefs.Bind(Op.Object, Obj);
            } else {
                DestroyObject(Op.Object);
            }
            break;
        case TOpKind::ObjectsExchanged:
            Op.Layer->Ptr->ExchangeIndex(Op.From, Op.To);
            break;
        case TOpKind::ObjectsOrdered: {
            std::vector<TSchemeObject*> Order;
            for (const TObjectHandle& H : Forward ? Op.OrderAfter : Op.OrderBefore)
                Order.push_back(H->Ptr);
            Op.Layer->Ptr->SetOrder(Order);
            break;
        }
        case TOpKind::LayerJoined:
        case TOpKind::LayerLeft:
            if ((Op.Kind == TOpKind::LayerJoined) == Forward) {
                TSchemeLayer* Layer = BuildLayer(*Op.LayerState);
                FData.InsertLayer(Op.From, Layer);
                FRefs.Bind(Op.Layer, Layer);
            } else {
                DestroyLayer(Op.Layer);
            }
            break;
        case TOpKind::LayersExchanged:
            FData.ExchangeLayerIndex(Op.From, Op.To);
            break;
    }
}

void TRecorder::SetContents(bool Forward) {
    for (const TSettingsChange& S : FSettings)
        if (S.Layer->Ptr && (!Forward || S.HasAfter))
            S.Layer->Ptr->SetSettings(Forward ? S.After : S.Before);
    for (const TContent& C : FContents) {
        if (!C.Object->Ptr || (Forward && !C.HasAfter)) continue;
        const TObjectState& State = Forward ? C.After : C.Before;
        C.Object->Ptr->RestoreRecord(RecordLines(State.Record), State.Resized);
    }
}

void TRecorder::SetLinks(bool Forward) {
    if (FLinkCountBefore < 0) return;
    FData.ResizeLinks(Forward ? FLinkCountAfter : FLinkCountBefore);
    for (const TLinkSlot& Slot : FLinkSlots) {
        const std::optional<TLinkState>& State = Forward ? Slot.After : Slot.Before;
        if (Slot.Slot >= FData.LinkCount()) continue;
        if (!State) {
            FData.RestoreLink(Slot.Slot, nullptr);
            continue;
        }
        auto End = [](const TObjectHandle& H) { return H ? H->Ptr : nullptr; };
        auto Link = std::make_unique<TSchemeLink>(End(State->Parent), State->ParentType,
                                                  End(State->Child), State->ChildType);
        Link->SetEnabled(State->Enabled);
        FData.RestoreLink(Slot.Slot, std::move(Link));
    }
}

void TRecorder::Undo() {
    for (auto Op = FOps.rbegin(); Op != FOps.rend(); ++Op) Do(*Op, false);
    SetContents(false);
    SetLinks(false);
}

void TRecorder::Redo() {
    for (const TOp& Op : FOps) Do(Op, true);
    SetContents(true);
    SetLinks(true);
}

}  // namespace scheme::history
