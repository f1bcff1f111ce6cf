#include "scheme/document/scheme_data.h"

#include <QCoreApplication>
#include <QTimerEvent>
#include <algorithm>
#include <unordered_set>

#include "scheme/document/scheme_visual_link.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"

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

TSchemeData::TSchemeData(QObject* AOwner) : QObject(AOwner) {
    SetTimerInterval(kDefaultTimerInterval);
}

TSchemeData::~TSchemeData() {
    StopTimer();
    LayerClear();
    LinkClear();
    FVisualLinks.clear();
}

// ---- views ---------------------------------------------------------------------------------

void TSchemeData::AddSchemeVisualLink(ISchemeVisual* AVisual) {
    FVisualLinks.push_back(AVisual);
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

void TSchemeData::timerEvent(QTimerEvent* Event) {
    if (Event->timerId() != FTimerId) return QObject::timerEvent(Event);
    FBlinkPhase = !FBlinkPhase;
    try {
        Timer();
    } catch (const std::exception& E) {
        // A failing pass must not stop the timer or escape into the event loop.
        qWarning("Blink pass failed: %s", E.what());
    }
}

void TSchemeData::Timer() {
    for (ISchemeVisual* Visual : std::vector<ISchemeVisual*>(FVisualLinks)) {
        if (!Visual || Visual->IsScrolling()) continue;
        for (TSchemeLayer* Layer : FLayers) {
            if (!Layer->Visible()) continue;
            Layer->SetSelectionPhase(FBlinkPhase);
            for (int I = 0; I < Layer->Count(); ++I) {
                TSchemeObject* Obj = Layer->GetItemIndex(I);
                if (Obj->Selected() && !Obj->Moved()) ObjectPaintDirectInWindow(Obj, Visual);
            }
        }
        ProcessMessages();
    }
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
        const int LayerId = AObject->Layer() ? AObject->Layer()->ID() : 0;
        OnObjectStatusChange(this, LayerId, AObject->Id(), AObject->State(), NewState, CanChange);
    }
    if (CanChange) AObject->SetState(NewState);
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
    delete GetLayer(ALayerId)->GetItem(AId);
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

TSchemeObject* TSchemeData::ObjectForPointWithCheckEnabled(Extended X, Extended Y,
                                                           bool ACheckEnabled, int AParam) {
    for (auto It = FLayers.rbegin(); It != FLayers.rend(); ++It) {
        TSchemeLayer* Layer = *It;
        if (ACheckEnabled && !(Layer->Enabled() && Layer->Visible())) continue;
        TSchemeObject* Obj = Layer->GetItemForPoint(X, Y, AParam);
        if (!Obj) continue;
        if (!ACheckEnabled || (Obj->Enabled() && Obj->Visible())) return Obj;
    }
    return nullptr;
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
    if (TCanvas* Canvas = AVisual->GetCanvas())
        PaintObject(AObject, AVisual, AVisual->Zoom(), *Canvas, AVisual->Param());
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

void TSchemeData::PaintDirectInWindow(ISchemeVisual* AVisual) {
    if (!AVisual) return;
    for (TSchemeLayer* Layer : FLayers) LayerPaintDirectInWindow(Layer, AVisual);
}

void TSchemeData::RepaintDirectInWindow(ISchemeVisual* AVisual) {
    if (!AVisual) return;
    for (TSchemeLayer* Layer : FLayers)
        Layer->Repaint(AVisual->Zoom(), AVisual, AVisual->OriginX(), AVisual->OriginY(),
                       AVisual->Param());
}

void TSchemeData::PaintDirectInCanvas(TCanvas& ACanvas, Extended AOffsetX, Extended AOffsetY,
                                      Extended AZoom, int AParam) {
    const bool Shifted = AOffsetX != 0 || AOffsetY != 0;
    const TPoint Previous = ACanvas.WindowOrg();
    if (Shifted) ACanvas.SetWindowOrg(TPoint{-Round(AOffsetX * AZoom), -Round(AOffsetY * AZoom)});
    try {
        for (TSchemeLayer* Layer : FLayers)
            for (int I = 0; I < Layer->Count(); ++I)
                PaintObject(Layer->GetItemIndex(I), nullptr, AZoom, ACanvas, AParam);
    } catch (...) {
        if (Shifted) ACanvas.SetWindowOrg(Previous);
        throw;
    }
    if (Shifted) ACanvas.SetWindowOrg(Previous);
}

// ---- layers --------------------------------------------------------------------------------

int TSchemeData::GetListIndex(int ALayerId) const {
    for (size_t I = 0; I < FLayers.size(); ++I)
        if (FLayers[I]->ID() == ALayerId) return static_cast<int>(I);
    RaiseLayerNotFound();
}

TSchemeLayer* TSchemeData::GetLayer(int ALayerId) const {
    return FLayers[size_t(GetListIndex(ALayerId))];
}

void TSchemeData::SetLayer(int ALayerId, TSchemeLayer* ALayer) {
    SetLayerIndex(GetListIndex(ALayerId), ALayer);
}

TSchemeLayer* TSchemeData::GetLayerIndex(int AIndex) const {
    CheckPosition(FLayers, AIndex);
    return FLayers[size_t(AIndex)];
}

void TSchemeData::SetLayerIndex(int AIndex, TSchemeLayer* ALayer) {
    CheckPosition(FLayers, AIndex);
    if (!ALayer) RaiseError(QStringLiteral("TSchemeData : Can't add layer!"));
    TSchemeLayer*& Slot = FLayers[size_t(AIndex)];
    if (Slot == ALayer) return;
    Slot->SetSchemeData(nullptr);
    Slot = ALayer;
    ALayer->SetSchemeData(this);
    ALayer->RepaintDirect();
}

bool TSchemeData::LayerExists(int ALayerId) const {
    return std::any_of(FLayers.begin(), FLayers.end(),
                       [ALayerId](const TSchemeLayer* L) { return L->ID() == ALayerId; });
}

TSchemeLayer* TSchemeData::LayerAddDirect(TSchemeLayer* ALayer) {
    if (!ALayer || std::find(FLayers.begin(), FLayers.end(), ALayer) != FLayers.end())
        RaiseError(QStringLiteral("TSchemeData : Can't add layer!"));
    FLayers.push_back(ALayer);
    ALayer->SetSchemeData(this);
    ALayer->RepaintDirect();
    return ALayer;
}

TSchemeLayer* TSchemeData::LayerAdd(int ALayerId) {
    auto Layer = std::make_unique<TSchemeLayer>(ALayerId);
    LayerAddDirect(Layer.get());
    return Layer.release();
}

void TSchemeData::LayerDelete(int ALayerId) {
    const int Index = GetListIndex(ALayerId);
    TSchemeLayer* Layer = FLayers[size_t(Index)];
    FLayers.erase(FLayers.begin() + Index);
    FreeLayers({Layer});
}

void TSchemeData::LayerClear() {
    std::vector<TSchemeLayer*> Layers;
    Layers.swap(FLayers);
    FreeLayers(std::move(Layers));
}

// Frees layers with their objects. The links of all those objects go first, in one pass over
// the link list, instead of one pass per object as each object's destruction would ask for.
void TSchemeData::FreeLayers(std::vector<TSchemeLayer*> Layers) {
    std::vector<std::unique_ptr<TSchemeLayer>> Owned;
    for (TSchemeLayer* Layer : Layers) Owned.emplace_back(Layer);
    std::unordered_set<const TObject*> Dying;
    for (const auto& Layer : Owned)
        for (int I = 0; I < Layer->Count(); ++I) Dying.insert(Layer->GetItemIndex(I));
    for (size_t I = FLinks.size(); I-- > 0;) {
        TSchemeLink* Link = FLinks[I];
        if (Link && (Dying.count(Link->Parent()) || Dying.count(Link->Child()))) FreeLinkAt(I);
    }
    FLinksOfDyingObjectsFreed = true;
    try {
        while (!Owned.empty()) Owned.pop_back();  // last layer first
    } catch (...) {
        FLinksOfDyingObjectsFreed = false;
        throw;
    }
    FLinksOfDyingObjectsFreed = false;
}

void TSchemeData::LayerExchange(int ALayerId1, int ALayerId2) {
    const int First = GetListIndex(ALayerId1);
    const int Second = GetListIndex(ALayerId2);
    std::swap(FLayers[size_t(First)], FLayers[size_t(Second)]);
    GetLayer(ALayerId2)->RepaintDirect();
    GetLayer(ALayerId1)->RepaintDirect();
}

// ---- links ---------------------------------------------------------------------------------

int TSchemeData::LinkAddDirect(TSchemeLink* ALink) {
    if (!ALink || ALink->LinkList()) RaiseError(QStringLiteral("TSchemeData : Can't add link!"));
    FLinks.push_back(ALink);
    ALink->SetLinkList(&FLinks);
    return LinkCount() - 1;
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
    delete FLinks[size_t(AIndex)];  // the link empties its own slot
}

void TSchemeData::LinkClear() {
    for (size_t I = 0; I < FLinks.size(); ++I) FreeLinkAt(I);
    FLinks.clear();
}

void TSchemeData::FreeLinkAt(size_t Index) {
    TSchemeLink* Link = FLinks[Index];
    if (!Link) return;
    Link->LeaveListAt(Index);
    delete Link;
}

TSchemeLink* TSchemeData::GetLink(int AIndex) const {
    CheckPosition(FLinks, AIndex);
    return FLinks[size_t(AIndex)];
}

void TSchemeData::SetLink(int AIndex, TSchemeLink* ALink) {
    CheckPosition(FLinks, AIndex);
    if (FLinks[size_t(AIndex)] == ALink) return;
    if (ALink && ALink->LinkList()) RaiseError(QStringLiteral("TSchemeData : Can't add link!"));
    if (TSchemeLink* Old = FLinks[size_t(AIndex)]) Old->SetLinkList(nullptr);
    FLinks[size_t(AIndex)] = ALink;
    if (ALink) ALink->SetLinkList(&FLinks);
}

void TSchemeData::ObjectWasDeleted(TObject* AObject) {
    if (FLinksOfDyingObjectsFreed) return;
    for (size_t I = FLinks.size(); I-- > 0;) {
        TSchemeLink* Link = FLinks[I];
        if (Link && (Link->Parent() == AObject || Link->Child() == AObject)) delete Link;
    }
}

}  // namespace scheme
