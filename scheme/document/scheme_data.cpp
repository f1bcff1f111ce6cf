#include "scheme/document/scheme_data.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimerEvent>
#include <algorithm>
#include <utility>

#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_visual_link.h"
#include "scheme/document/spatial_index.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

namespace scheme {

namespace {

[[noreturn]] void RaiseLayerNotFound() {
    RaiseError(QStringLiteral("TSchemeControl : Index for layer not found!"));
}

template <class T>
void CheckPosition(const std::vector<T>& List, int Index) {
    if (Index < 0 || Index >= static_cast<int>(List.size()))
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

}  // namespace

TSchemeData::TSchemeData(QObject* AOwner)
    : QObject(AOwner), FHistory(std::make_unique<TSchemeHistory>(*this)) {
    connect(FHistory.get(), &TSchemeHistory::CleanChanged, this, [this] { ReportModified(); });
    SetTimerInterval(kDefaultTimerInterval);
}

TSchemeData::~TSchemeData() {
    // Nothing is told about the history's end: listeners may be going themselves.
    OnModifiedChange = nullptr;
    FHistory->blockSignals(true);
    FHistory->SetEnabled(false);
    ++FLoading;
    StopTimer();
    DropIndex();
    RunGuarded([&] { LayerClear(); });
    LinkClear();
    FVisualLinks.clear();
}

// ---- views ---------------------------------------------------------------------------------

void TSchemeData::AddSchemeVisualLink(ISchemeVisual* AVisual) {
    if (AVisual && !IsRegistered(AVisual)) FVisualLinks.push_back(AVisual);
}

bool TSchemeData::IsRegistered(const ISchemeVisual* AVisual) const {
    return std::find(FVisualLinks.begin(), FVisualLinks.end(), AVisual) != FVisualLinks.end();
}

void TSchemeData::RemoveSchemeVisualLink(ISchemeVisual* AVisual) {
    const auto It = std::find(FVisualLinks.begin(), FVisualLinks.end(), AVisual);
    if (It != FVisualLinks.end()) FVisualLinks.erase(It);
}

void TSchemeData::RepaintAllVisualControls(bool AOnlySchemeData) {
    for (ISchemeVisual* Visual : std::vector<ISchemeVisual*>(FVisualLinks)) {
        if (!Visual) continue;
        if (AOnlySchemeData)
            Visual->RepaintOnlySchemeData();
        else
            Visual->Refresh();
    }
}

bool TSchemeData::BeginUpdate() {
    const bool Previous = FUpdating;
    FUpdating = true;
    return Previous;
}

void TSchemeData::EndUpdate() {
    FUpdating = false;
}

void TSchemeData::SetDefaultDrawing(bool Value) {
    if (Value == FDefaultDrawing) return;
    FDefaultDrawing = Value;
    RepaintAllVisualControls(false);
}

// ---- blinking ------------------------------------------------------------------------------

void TSchemeData::SetTimerInterval(int AValue) {
    if (AValue == FTimerInterval && FTimerId != 0) return;
    FTimerInterval = AValue;
    StopTimer();
    if (AValue <= 0) {
        FBlinkPhase = true;
        Timer();
    } else {
        FTimerId = startTimer(AValue);
    }
}

void TSchemeData::StopTimer() {
    if (FTimerId != 0) killTimer(FTimerId);
    FTimerId = 0;
}

// A failing pass must not stop the timer or escape into the event loop: the error goes to the
// application's error handler.
void TSchemeData::timerEvent(QTimerEvent* Event) {
    if (Event->timerId() != FTimerId) return QObject::timerEvent(Event);
    FBlinkPhase = !FBlinkPhase;
    RunGuarded([&] { Timer(); });
}

void TSchemeData::Timer() {
    if (FInBlinkPass) {
        FBlinkPassPending = true;
        return;
    }
    FInBlinkPass = true;
    try {
        do {
            FBlinkPassPending = false;
            BlinkPass();
        } while (FBlinkPassPending);
    } catch (...) {
        FInBlinkPass = false;
        throw;
    }
    FInBlinkPass = false;
}

// Lets the application handle pending events now and then, so that long loads and blink
// passes keep the interface responsive without paying for event processing at every step.
void TSchemeData::ProcessMessages() {
    if (!QCoreApplication::instance()) return;
    if (FEventProcessing.isValid() && FEventProcessing.elapsed() < 50) return;
    FEventProcessing.start();
    QCoreApplication::processEvents();
}

// ---- object state --------------------------------------------------------------------------

int TSchemeData::GetObjectState(int ALayerId, int AId) const {
    return GetObjectStateDirect(GetLayer(ALayerId)->GetItem(AId));
}

void TSchemeData::SetObjectState(int ALayerId, int AId, int AState) {
    SetObjectStateDirect(GetLayer(ALayerId)->GetItem(AId), AState);
}

void TSchemeData::SetObjectStateDirect(TSchemeObject* AObject, int AState) {
    if (!AObject) return;
    bool CanChange = true;
    int NewState = AState;
    if (OnObjectStatusChange) {
        // No layer Id is -1: an object outside a layer must not pass for one in layer 0.
        const int LayerId = AObject->Layer() ? AObject->Layer()->ID() : -1;
        OnObjectStatusChange(this, LayerId, AObject->Id(), AObject->State(), NewState, CanChange);
    }
    if (!CanChange) return;
    const int OldState = AObject->State();
    AObject->SetState(NewState);
    NoteStateSet(AObject, OldState);
}

// ---- objects -------------------------------------------------------------------------------

TSchemeObject* TSchemeData::ObjectAddDirect(int ALayerId, TSchemeObject* AObject) {
    try {
        GetLayer(ALayerId)->Add(AObject);
    } catch (const Exception&) {
        RaiseError(QStringLiteral("TSchemeData : Can't add Scheme!"));
    }
    return AObject;
}

namespace {

// Adds a new object to the document, freeing it when the document refuses it.
template <class T>
T* AddNew(TSchemeData& Data, int ALayerId, std::unique_ptr<T> Obj) {
    Data.ObjectAddDirect(ALayerId, Obj.get());
    return Obj.release();
}

}  // namespace

TSchemeShape* TSchemeData::ObjectAddShape(int ALayerId, int Id, const TRect& Rect, int State,
                                          TShapeType Shape) {
    return AddNew(*this, ALayerId, std::make_unique<TSchemeShape>(Id, Rect, State, Shape));
}

TSchemeShape* TSchemeData::ObjectAddShapeExt(int ALayerId, int Id, Extended X, Extended Y,
                                             Extended Width, Extended Height, int State,
                                             TShapeType Shape) {
    return AddNew(*this, ALayerId,
                  std::make_unique<TSchemeShape>(Id, X, Y, Width, Height, State, Shape));
}

TSchemePolygon* TSchemeData::ObjectAddPolygon(int ALayerId, int Id, std::span<const TPoint> Points,
                                              int State, TBrushStyle BrushStyle,
                                              const QString& Text, const TPoint& TextPoint) {
    return AddNew(*this, ALayerId,
                  std::make_unique<TSchemePolygon>(Id, Points, State, BrushStyle, Text, TextPoint));
}

TSchemePolygon* TSchemeData::ObjectAddPolygon(int ALayerId, int Id, std::span<const TPoint> Points,
                                              int Count, int State, TBrushStyle BrushStyle,
                                              const QString& Text, const TPoint& TextPoint) {
    return AddNew(
        *this, ALayerId,
        std::make_unique<TSchemePolygon>(Id, Points, Count, State, BrushStyle, Text, TextPoint));
}

TSchemePolygon* TSchemeData::ObjectAddPolygonFromBuffer(int ALayerId, int Id, const TPoint* Buffer,
                                                        int Count, int State,
                                                        TBrushStyle BrushStyle, const QString& Text,
                                                        int TextPointIndex) {
    return AddNew(*this, ALayerId,
                  std::make_unique<TSchemePolygon>(Id, Buffer, Count, State, BrushStyle, Text,
                                                   TextPointIndex));
}

void TSchemeData::ObjectDelete(int ALayerId, int AId) {
    TSchemeLayer* Layer = GetLayer(ALayerId);
    TSchemeObject* Obj = Layer->GetItem(AId);
    SchemeChanged(TSchemeNotice{TSchemeNoticeKind::Deleting, Layer, Obj, {}, false});
    delete Obj;
}

TSchemeObject* TSchemeData::ObjectFind(int ALayerId, int AId) {
    TSchemeObject* Obj = GetLayer(ALayerId)->GetItem(AId);
    ObjectFindDirect(Obj);
    return Obj;
}

void TSchemeData::ObjectFindDirect(TSchemeObject* AObject) {
    if (!AObject) return;
    for (ISchemeVisual* Visual : std::vector<ISchemeVisual*>(FVisualLinks))
        if (Visual) Visual->FindObjectDirect(AObject);
}

TSchemeObject* TSchemeData::ObjectForPoint(Extended X, Extended Y, int AParam) {
    return ObjectForPointWithCheckEnabled(X, Y, true, AParam);
}

// ---- changes -------------------------------------------------------------------------------

void TSchemeData::SchemeChanged(const TSchemeNotice& Notice) {
    // The history hears of the notice before the document acts on it and again afterwards,
    // so that what the document does in between (freeing links) belongs to the same change.
    struct TDone {
        TSchemeHistory* History;
        const TSchemeNotice& Notice;
        ~TDone() {
            if (History) History->NoticeDone(Notice);
        }
    } Done{FLoading == 0 ? FHistory.get() : nullptr, Notice};
    // One flag test per notice once the turn has a change: the report is posted once.
    if (!FContentChanged && !(Notice.Kind == TSchemeNoticeKind::Changed && Notice.SelectionChanged))
        NoteContentChange();
    if (FLoading == 0) {
        FHistory->Notice(Notice);
        NoteModified(Notice);
    }
    switch (Notice.Kind) {
        case TSchemeNoticeKind::Changing:
        case TSchemeNoticeKind::Deleting:
        case TSchemeNoticeKind::Reordering:
        case TSchemeNoticeKind::LinkChanging:
            return;
        default:
            break;
    }
    if (Notice.SelectionChanged) NoteSelectionChange();
    IndexNotice(Notice);
    switch (Notice.Kind) {
        case TSchemeNoticeKind::Leaving:
            ObjectWasDeleted(Notice.Object);
            EraseArea(Notice.Before);
            break;
        case TSchemeNoticeKind::LayerLeaving:
            ReleaseLayer(Notice.Layer);
            break;
        default:
            RepaintChange(Notice);
            break;
    }
}

void TSchemeData::NoteContentChange() {
    FContentChanged = true;
    if (FLoading == 0) PostContentChange();
}

void TSchemeData::PostContentChange() {
    if (FContentReportPosted) return;
    FContentReportPosted = true;
    QMetaObject::invokeMethod(
        this, [this] { ReportContentChange(); }, Qt::QueuedConnection);
}

// A report that comes due while a load lets the event loop turn waits for the load's end.
void TSchemeData::ReportContentChange() {
    FContentReportPosted = false;
    if (FLoading > 0 || !std::exchange(FContentChanged, false)) return;
    emit ContentChanged();
}

void TSchemeData::EndLoadingLevel() {
    if (--FLoading == 0 && FContentChanged) PostContentChange();
}

// A change of the document (not of what only views show: selection and the active hook come
// as Changed alone) makes it modified; with a history its clean state decides.
void TSchemeData::NoteModified(const TSchemeNotice& Notice) {
    if (Notice.Kind == TSchemeNoticeKind::Changed || FHistory->Enabled()) return;
    FModified = true;
    ReportModified();
}

bool TSchemeData::Modified() const {
    return FHistory->Enabled() ? !FHistory->IsClean() : FModified;
}

void TSchemeData::SetModified(bool AValue) {
    FModified = AValue;
    if (AValue)
        FHistory->ResetClean();
    else
        FHistory->SetClean();
    ReportModified();
}

void TSchemeData::ReportModified() {
    const bool Now = Modified();
    if (Now == FReportedModified) return;
    FReportedModified = Now;
    if (OnModifiedChange) OnModifiedChange(this);
}

void TSchemeData::RepaintChange(const TSchemeNotice& Notice) {
    if (FUpdating || Notice.Drawn) return;
    switch (Notice.Kind) {
        case TSchemeNoticeKind::Changed:
            if (Notice.SelectionChanged && FSelectionArea) {
                *FSelectionArea =
                    FSelectionArea->United(Notice.Before).United(Notice.Object->Area());
                break;
            }
            // The old and the new box, not the object's exact region: building that region
            // costs more than repainting a box's corners, whose objects the paint culls anyway.
            EraseAreas(Notice.Before, Notice.Object->Area());
            break;
        case TSchemeNoticeKind::Joined:
            EraseArea(Notice.Object->Area());
            break;
        case TSchemeNoticeKind::LayerJoined:
            if (Notice.Layer) Notice.Layer->RepaintDirect();
            break;
        case TSchemeNoticeKind::Reordered:
            if (Notice.Object)
                ObjectRepaintDirect(Notice.Object);
            else if (Notice.Layer)
                Notice.Layer->RepaintDirect();
            else
                RepaintAllVisualControls(true);
            break;
        default:
            break;
    }
}

// Invalidates an area in every view: its box at each view's zoom.
void TSchemeData::EraseArea(const TSchemeArea& Area) {
    EraseAreas(Area, TSchemeArea());
}

// Both areas in one region, so that each view is invalidated once.
void TSchemeData::EraseAreas(const TSchemeArea& First, const TSchemeArea& Second) {
    if (FUpdating || (First.IsEmpty() && Second.IsEmpty())) return;
    for (ISchemeVisual* Visual : std::vector<ISchemeVisual*>(FVisualLinks)) {
        if (!Visual) continue;
        QRegion Region;
        for (const TSchemeArea* Area : {&First, &Second})
            if (!Area->IsEmpty()) Region += CreateRectRgnIndirect(Area->AtZoom(Visual->Zoom()));
        Visual->InvalidateRgn(OffsetRgn(Region, -Visual->OriginX(), -Visual->OriginY()));
    }
}

void TSchemeData::ObjectChangedDirect(TSchemeObject* AObject, bool ADrawn) {
    if (AObject) AObject->AnnounceChange(ADrawn);
}

// The layer leaves with all its objects: their links go and their areas are erased. It is
// taken out of the layer list when it is still there (a layer destroyed by its user).
void TSchemeData::ReleaseLayer(TSchemeLayer* ALayer) {
    if (!ALayer) return;
    if (const int Position = LayerPosition(ALayer); Position >= 0) {
        LayerIdsRemove(Position);
        FLayers.erase(FLayers.begin() + Position);
    }
    for (int I = 0; I < ALayer->Count(); ++I) {
        TSchemeObject* Obj = ALayer->GetItemIndex(I);
        ObjectWasDeleted(Obj);
        EraseArea(Obj->Area());
    }
}

// ---- mouse ---------------------------------------------------------------------------------

void TSchemeData::MouseDown(ISchemeVisual* VisualSender, TMouseButton Button, TShiftState Shift,
                            Extended X, Extended Y) {
    TSchemeObject* Obj =
        ObjectForPointWithCheckEnabled(X, Y, true, VisualSender ? VisualSender->Param() : 0);
    if (Obj && OnMouseDown) OnMouseDown(this, VisualSender, Button, Shift, Obj);
}

void TSchemeData::MouseUp(ISchemeVisual* VisualSender, TMouseButton Button, TShiftState Shift,
                          Extended X, Extended Y) {
    TSchemeObject* Obj =
        ObjectForPointWithCheckEnabled(X, Y, true, VisualSender ? VisualSender->Param() : 0);
    if (Obj && OnMouseUp) OnMouseUp(this, VisualSender, Button, Shift, Obj);
}

// ---- painting ------------------------------------------------------------------------------

void TSchemeData::PaintObject(TSchemeObject* AObject, ISchemeVisual* AVisual, Extended Zoom,
                              TCanvas& Canvas, int Param) {
    if (FDefaultDrawing || !OnObjectPaint)
        AObject->Paint(Zoom, Canvas, Param);
    else
        OnObjectPaint(this, AVisual, AObject, Zoom, Canvas, Param);
}

void TSchemeData::ObjectPaintDirectInWindow(TSchemeObject* AObject, ISchemeVisual* AVisual) {
    if (FUpdating || !AObject || !AVisual) return;
    const Extended Zoom = AVisual->Zoom();
    if (TCanvas* Canvas = AVisual->GetCanvasFor(AObject->GetArea().AtZoom(Zoom)))
        PaintObject(AObject, AVisual, Zoom, *Canvas, AVisual->Param());
}

void TSchemeData::ObjectPaintDirect(TSchemeObject* AObject) {
    if (!AObject || FUpdating) return;
    for (ISchemeVisual* Visual : std::vector<ISchemeVisual*>(FVisualLinks))
        ObjectPaintDirectInWindow(AObject, Visual);
}

void TSchemeData::ObjectPaint(int ALayerId, int AId) {
    ObjectPaintDirect(GetLayer(ALayerId)->GetItem(AId));
}

void TSchemeData::ObjectRepaintDirectInWindow(TSchemeObject* AObject, ISchemeVisual* AVisual) {
    if (!AObject || !AVisual) return;
    AObject->Repaint(AVisual->Zoom(), AVisual, AVisual->OriginX(), AVisual->OriginY(),
                     AVisual->Param());
}

void TSchemeData::ObjectRepaintDirect(TObject* AObject) {
    auto* Obj = dynamic_cast<TSchemeObject*>(AObject);
    if (!Obj || FUpdating) return;
    for (ISchemeVisual* Visual : std::vector<ISchemeVisual*>(FVisualLinks))
        ObjectRepaintDirectInWindow(Obj, Visual);
}

void TSchemeData::ObjectRepaint(int ALayerId, int AId) {
    ObjectRepaintDirect(GetLayer(ALayerId)->GetItem(AId));
}

void TSchemeData::LayerPaintDirectInWindow(TSchemeLayer* ALayer, ISchemeVisual* AVisual) {
    if (!ALayer || !AVisual || !ALayer->Visible()) return;
    for (int I = 0; I < ALayer->Count(); ++I)
        ObjectPaintDirectInWindow(ALayer->GetItemIndex(I), AVisual);
}

void TSchemeData::LayerPaintDirect(TSchemeLayer* ALayer) {
    if (FUpdating) return;
    for (ISchemeVisual* Visual : std::vector<ISchemeVisual*>(FVisualLinks))
        LayerPaintDirectInWindow(ALayer, Visual);
}

void TSchemeData::LayerPaint(int ALayerId) {
    LayerPaintDirect(GetLayer(ALayerId));
}

// ---- layers --------------------------------------------------------------------------------

int TSchemeData::GetListIndex(int ALayerId) const {
    const int Position = FindLayerPosition(ALayerId);
    if (Position < 0) RaiseLayerNotFound();
    return Position;
}

int TSchemeData::FindLayerPosition(int ALayerId) const {
    if (!FLayerIdsValid) {
        ++FLayerIdRebuilds;
        FLayerIds.Clear();
        FLayerIdsValid = true;
        for (size_t I = 0; I < FLayers.size(); ++I) LayerIdsAdd(static_cast<int>(I));
    }
    return FLayerIds.Find(ALayerId);
}

void TSchemeData::LayerIdsAdd(int Position) const {
    if (FLayerIdsValid) FLayerIds.Add(FLayers[size_t(Position)]->ID(), Position);
}

void TSchemeData::LayerIdsRemove(int Position) const {
    if (!FLayerIdsValid) return;
    // The layers after it move up: the table is rebuilt when next asked.
    if (size_t(Position) + 1 != FLayers.size()) {
        FLayerIdsValid = false;
        return;
    }
    FLayerIds.Remove(FLayers[size_t(Position)]->ID(), Position);
}

int TSchemeData::LayerPosition(const TSchemeLayer* ALayer) const {
    const auto It = std::find(FLayers.rbegin(), FLayers.rend(), ALayer);
    return It == FLayers.rend() ? -1 : static_cast<int>(FLayers.rend() - It) - 1;
}

// The layer's entry moves from its old Id to its new one; the layer is found through its old
// Id unless it shares that Id with a layer before it.
void TSchemeData::LayerIdChanged(TSchemeLayer* ALayer, int AOldId) {
    if (!FLayerIdsValid) return;
    int Position = FLayerIds.Find(AOldId);
    if (Position < 0 || FLayers[size_t(Position)] != ALayer) Position = LayerPosition(ALayer);
    if (Position < 0) return;
    FLayerIds.Remove(AOldId, Position);
    LayerIdsAdd(Position);
}

TSchemeLayer* TSchemeData::GetLayer(int ALayerId) const {
    return FLayers[size_t(GetListIndex(ALayerId))];
}

TSchemeLayer* TSchemeData::SetLayer(int ALayerId, TSchemeLayer* ALayer) {
    return SetLayerIndex(GetListIndex(ALayerId), ALayer);
}

TSchemeLayer* TSchemeData::GetLayerIndex(int AIndex) const {
    CheckPosition(FLayers, AIndex);
    return FLayers[size_t(AIndex)];
}

namespace {

void CheckFreeLayer(const TSchemeLayer* ALayer) {
    if (!ALayer) RaiseError(QStringLiteral("TSchemeData : Can't add layer! No layer is given"));
    if (ALayer->SchemeData())
        RaiseError(QStringLiteral("TSchemeData : Can't add layer! Layer %1 belongs to a document")
                       .arg(ALayer->ID()));
}

}  // namespace

TSchemeLayer* TSchemeData::SetLayerIndex(int AIndex, TSchemeLayer* ALayer) {
    CheckPosition(FLayers, AIndex);
    TSchemeLayer*& Slot = FLayers[size_t(AIndex)];
    if (Slot == ALayer) return nullptr;
    CheckFreeLayer(ALayer);
    TSchemeLayer* Old = Slot;
    if (FLayerIdsValid) FLayerIds.Remove(Old->ID(), AIndex);
    Slot = ALayer;
    LayerIdsAdd(AIndex);
    SchemeChanged(TSchemeNotice{TSchemeNoticeKind::LayerLeaving, Old, nullptr, {}, false, AIndex});
    Old->SetSchemeData(nullptr);
    ALayer->SetSchemeData(this);
    SchemeChanged(
        TSchemeNotice{TSchemeNoticeKind::LayerJoined, ALayer, nullptr, {}, false, AIndex});
    return Old;
}

bool TSchemeData::LayerExists(int ALayerId) const {
    return FindLayerPosition(ALayerId) >= 0;
}

TSchemeLayer* TSchemeData::LayerAddDirect(TSchemeLayer* ALayer) {
    CheckFreeLayer(ALayer);
    InsertLayer(LayerCount(), ALayer);
    return ALayer;
}

void TSchemeData::InsertLayer(int Index, TSchemeLayer* ALayer) {
    FLayers.insert(FLayers.begin() + Index, ALayer);
    if (size_t(Index) + 1 == FLayers.size())
        LayerIdsAdd(Index);
    else
        FLayerIdsValid = false;
    ALayer->SetSchemeData(this);
    SchemeChanged(TSchemeNotice{TSchemeNoticeKind::LayerJoined, ALayer, nullptr, {}, false, Index});
}

TSchemeLayer* TSchemeData::LayerAdd(int ALayerId) {
    auto Layer = std::make_unique<TSchemeLayer>(ALayerId);
    LayerAddDirect(Layer.get());
    return Layer.release();
}

void TSchemeData::LayerDelete(int ALayerId) {
    FreeLayer(GetLayer(ALayerId));
}

// Clearing the whole document starts a new history, in which the document counts as changed.
void TSchemeData::LayerClear() {
    const bool Any = !FLayers.empty();
    ++FLoading;
    try {
        while (!FLayers.empty()) FreeLayer(FLayers.back());
    } catch (...) {
        EndLoadingLevel();
        throw;
    }
    EndLoadingLevel();
    if (!Any) return;
    FHistory->Clear(false);
    FModified = true;
    ReportModified();
}

// The layer leaves first (its objects' links go in one pass over its objects), then it is
// freed without telling anyone again.
void TSchemeData::FreeLayer(TSchemeLayer* ALayer) {
    const int Position = LayerPosition(ALayer);
    const int Index = Position < 0 ? LayerCount() : Position;
    SchemeChanged(
        TSchemeNotice{TSchemeNoticeKind::LayerLeaving, ALayer, nullptr, {}, false, Index});
    ALayer->SetSchemeData(nullptr);
    delete ALayer;
}

void TSchemeData::LayerExchange(int ALayerId1, int ALayerId2) {
    ExchangeLayerIndex(GetListIndex(ALayerId1), GetListIndex(ALayerId2));
}

void TSchemeData::LayerExchangeIndex(int AIndex1, int AIndex2) {
    CheckPosition(FLayers, AIndex1);
    CheckPosition(FLayers, AIndex2);
    if (AIndex1 != AIndex2) ExchangeLayerIndex(AIndex1, AIndex2);
}

void TSchemeData::ExchangeLayerIndex(int Index1, int Index2) {
    if (FLayerIdsValid) {
        FLayerIds.Remove(FLayers[size_t(Index1)]->ID(), Index1);
        FLayerIds.Remove(FLayers[size_t(Index2)]->ID(), Index2);
    }
    std::swap(FLayers[size_t(Index1)], FLayers[size_t(Index2)]);
    LayerIdsAdd(Index1);
    LayerIdsAdd(Index2);
    SchemeChanged(
        TSchemeNotice{TSchemeNoticeKind::Reordered, nullptr, nullptr, {}, false, Index1, Index2});
}

// ---- links ---------------------------------------------------------------------------------

bool TSchemeData::Holds(const TSchemeObject* AObject) const {
    return AObject->Layer() &&
           AObject->Layer()->SchemeData() == static_cast<const ISchemeData*>(this);
}

void TSchemeData::CheckLinkEnds(const TSchemeLink* ALink) const {
    if (ALink->Parent() && !Holds(ALink->Parent()))
        RaiseError(
            QStringLiteral("TSchemeData : Can't add link! Its parent is not in the document"));
    if (ALink->Child() && !Holds(ALink->Child()))
        RaiseError(
            QStringLiteral("TSchemeData : Can't add link! Its child is not in the document"));
}

int TSchemeData::LinkAddDirect(TSchemeLink* ALink) {
    if (!ALink || ALink->LinkList())
        RaiseError(QStringLiteral("TSchemeData : Can't add link! It belongs to a link list"));
    CheckLinkEnds(ALink);
    SchemeChanged(
        TSchemeNotice{TSchemeNoticeKind::LinkChanging, nullptr, nullptr, {}, false, LinkCount()});
    FLinks.push_back(ALink);
    ALink->SetLinkList(&FLinks);
    IndexLink(LinkCount() - 1);
    return LinkCount() - 1;
}

void TSchemeData::IndexLink(int Index) {
    const TSchemeLink* Link = FLinks[size_t(Index)];
    for (TSchemeObject* Obj : {Link->Parent(), Link->Child()}) {
        if (!Obj) continue;
        std::vector<int>& Slots = Obj->Rare().LinkSlots;
        const auto At = std::lower_bound(Slots.begin(), Slots.end(), Index);
        if (At == Slots.end() || *At != Index) Slots.insert(At, Index);
    }
}

std::vector<int> TSchemeData::LinkSlotsFor(TObject* AObject) const {
    // A handler decides about every link, whatever its parent.
    if (OnLinkBehavior) {
        std::vector<int> All(FLinks.size());
        for (size_t I = 0; I < All.size(); ++I) All[I] = static_cast<int>(I);
        return All;
    }
    const auto* Obj = dynamic_cast<const TSchemeObject*>(AObject);
    return Obj && Obj->FRare ? Obj->FRare->LinkSlots : std::vector<int>{};
}

int TSchemeData::LinkAdd(TSchemeObject* AParent, int AParentLinkType, TSchemeObject* AChild,
                         int AChildLinkType) {
    auto Link = std::make_unique<TSchemeLink>(AParent, AParentLinkType, AChild, AChildLinkType);
    const int Index = LinkAddDirect(Link.get());
    Link.release();
    return Index;
}

void TSchemeData::LinkDelete(int AIndex) {
    CheckPosition(FLinks, AIndex);
    if (!FLinks[size_t(AIndex)]) return;
    SchemeChanged(
        TSchemeNotice{TSchemeNoticeKind::LinkChanging, nullptr, nullptr, {}, false, AIndex});
    delete FLinks[size_t(AIndex)];  // the link empties its own slot
}

void TSchemeData::LinkClear() {
    if (FLinks.empty()) return;
    SchemeChanged(TSchemeNotice{TSchemeNoticeKind::LinkChanging, nullptr, nullptr, {}, false, -1});
    for (size_t I = 0; I < FLinks.size(); ++I) {
        if (TSchemeLink* Link = FLinks[I]) {
            for (TSchemeObject* Obj : {Link->Parent(), Link->Child()})
                if (Obj && Obj->FRare) Obj->FRare->LinkSlots.clear();
        }
        FreeLinkAt(I);
    }
    FLinks.clear();
}

void TSchemeData::FreeLinkAt(size_t Index) {
    TSchemeLink* Link = FLinks[Index];
    if (!Link) return;
    SchemeChanged(TSchemeNotice{
        TSchemeNoticeKind::LinkChanging, nullptr, nullptr, {}, false, static_cast<int>(Index)});
    Link->LeaveListAt(Index);
    delete Link;
}

void TSchemeData::ResizeLinks(int Count) {
    for (size_t I = size_t(Count); I < FLinks.size(); ++I) FreeLinkAt(I);
    FLinks.resize(size_t(Count), nullptr);
}

void TSchemeData::RestoreLink(int Slot, std::unique_ptr<TSchemeLink> ALink) {
    FreeLinkAt(size_t(Slot));
    if (!ALink) return;
    FLinks[size_t(Slot)] = ALink.release();
    FLinks[size_t(Slot)]->SetLinkList(&FLinks);
    IndexLink(Slot);
}

TSchemeLink* TSchemeData::GetLink(int AIndex) const {
    CheckPosition(FLinks, AIndex);
    return FLinks[size_t(AIndex)];
}

TSchemeLink* TSchemeData::SetLink(int AIndex, TSchemeLink* ALink) {
    CheckPosition(FLinks, AIndex);
    TSchemeLink* Old = FLinks[size_t(AIndex)];
    if (Old == ALink) return nullptr;
    if (ALink) {
        if (ALink->LinkList())
            RaiseError(QStringLiteral("TSchemeData : Can't add link! It belongs to a link list"));
        CheckLinkEnds(ALink);
    }
    SchemeChanged(
        TSchemeNotice{TSchemeNoticeKind::LinkChanging, nullptr, nullptr, {}, false, AIndex});
    if (Old) Old->SetLinkList(nullptr);
    FLinks[size_t(AIndex)] = ALink;
    if (ALink) {
        ALink->SetLinkList(&FLinks);
        IndexLink(AIndex);
    }
    return Old;
}

// Walks the object's own link slots from the last to the first.
void TSchemeData::ObjectWasDeleted(TObject* AObject) {
    auto* Obj = dynamic_cast<TSchemeObject*>(AObject);
    if (!Obj || !Obj->FRare || Obj->FRare->LinkSlots.empty()) return;
    const std::vector<int> Slots = std::move(Obj->FRare->LinkSlots);
    Obj->FRare->LinkSlots.clear();
    for (auto Slot = Slots.rbegin(); Slot != Slots.rend(); ++Slot) {
        TSchemeLink* Link = size_t(*Slot) < FLinks.size() ? FLinks[size_t(*Slot)] : nullptr;
        if (Link && (Link->Parent() == AObject || Link->Child() == AObject))
            FreeLinkAt(size_t(*Slot));
    }
}

}  // namespace scheme
