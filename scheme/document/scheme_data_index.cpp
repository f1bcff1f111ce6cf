// The document's books on where its objects are and which are selected, kept from the change
// channel, and the hit test, painting, repainting and blinking that read them.
#include <algorithm>
#include <boost/container/small_vector.hpp>
#include <unordered_map>
#include <utility>

#include "scheme/document/scheme_data.h"
#include "scheme/document/scheme_visual_link.h"
#include "scheme/document/spatial_index.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"

namespace scheme {

// ---- keeping the books ---------------------------------------------------------------------

// Built on first use, so that loading and building a document in code pay nothing for it.
TSpatialIndex& TSchemeData::Index() {
    if (FIndex) return *FIndex;
    FIndex = std::make_unique<TSpatialIndex>();
    FSelected.clear();
    const std::unique_ptr<TSpatialJournal> Journal = std::move(FJournal);
    size_t Objects = 0;
    for (const TSchemeLayer* Layer : FLayers) Objects += size_t(Layer->Count());
    // A journal that saw every object join, and nothing else move, has their areas already.
    if (Journal && Journal->Objects() == Objects) {
        FSelected.insert(Journal->Selected().begin(), Journal->Selected().end());
        FIndex->Build(*Journal);
        return *FIndex;
    }
    std::vector<TSchemeObject*> All;
    All.reserve(Objects);
    for (TSchemeLayer* Layer : FLayers) {
        for (int I = 0; I < Layer->Count(); ++I) {
            TSchemeObject* Obj = Layer->GetItemIndex(I);
            All.push_back(Obj);
            if (Obj->Selected()) FSelected.insert(Obj);
        }
    }
    FIndex->Build(All);
    return *FIndex;
}

void TSchemeData::DropIndex() {
    FIndex.reset();
    FJournal.reset();
    FSelected.clear();
    FLooseAreas.clear();
}

void TSchemeData::Track(TSchemeObject* Obj) {
    FIndex->Insert(Obj, Obj->Area());
    if (Obj->Selected()) FSelected.insert(Obj);
}

bool TSchemeData::Untrack(TSchemeObject* Obj, const TSchemeArea& Area) {
    FSelected.erase(Obj);
    if (!FLooseAreas.empty()) {
        if (const auto It = FLooseAreas.find(Obj); It != FLooseAreas.end()) {
            const TSchemeArea Indexed = It->second;
            FLooseAreas.erase(It);
            return FIndex->Remove(Obj, Indexed);
        }
    }
    return FIndex->Remove(Obj, Area);
}

namespace {

bool Contains(const TSchemeArea& Outer, const TSchemeArea& Inner) {
    return Inner.Left >= Outer.Left && Inner.Top >= Outer.Top && Inner.Right <= Outer.Right &&
           Inner.Bottom <= Outer.Bottom && Inner.Margin <= Outer.Margin;
}

// The area a moved object is indexed under: its own grown by its size on every side.
TSchemeArea Loose(const TSchemeArea& Area) {
    const double Slack = std::max(Area.Right - Area.Left, Area.Bottom - Area.Top);
    return TSchemeArea{Area.Left - Slack, Area.Top - Slack, Area.Right + Slack, Area.Bottom + Slack,
                       Area.Margin};
}

}  // namespace

// A drag moves an object a little at each step, and taking it out of the tree and putting it
// back costs more than painting it. A moved object is therefore indexed under a looser area,
// and keeps that place as long as its own area stays inside it. The index may then answer it
// where it no longer is, which it is allowed to: every caller tests the candidates exactly.
bool TSchemeData::TrackMove(TSchemeObject* Obj, const TSchemeArea& Before) {
    const TSchemeArea& Now = Obj->Area();
    const auto It = FLooseAreas.find(Obj);
    const bool Loosened = It != FLooseAreas.end();
    if (Loosened && !Now.IsEmpty() && Contains(It->second, Now)) return true;
    const bool Kept = FIndex->Remove(Obj, Loosened ? It->second : Before);
    if (Now.IsEmpty()) {
        if (Loosened) FLooseAreas.erase(It);
        return Kept;
    }
    const TSchemeArea Indexed = Loose(Now);
    FIndex->Insert(Obj, Indexed);
    if (Loosened)
        It->second = Indexed;
    else
        FLooseAreas.emplace(Obj, Indexed);
    return Kept;
}

void TSchemeData::StartJournal() {
    if (FIndex || FJournal) return;
    for (const TSchemeLayer* Layer : FLayers)
        if (Layer->Count() > 0) return;
    FJournal = std::make_unique<TSpatialJournal>();
}

void TSchemeData::JournalNotice(const TSchemeNotice& Notice) {
    switch (Notice.Kind) {
        case TSchemeNoticeKind::Joined:
            FJournal->Add(Notice.Object, Notice.Object->Area(), Notice.Object->Selected());
            return;
        case TSchemeNoticeKind::Reordered:
            return;  // the index knows no order
        case TSchemeNoticeKind::LayerJoined:
            if (Notice.Layer && Notice.Layer->Count() == 0) return;
            break;
        default:
            break;
    }
    FJournal.reset();
}

void TSchemeData::IndexNotice(const TSchemeNotice& Notice) {
    if (!FIndex) {
        if (FJournal) JournalNotice(Notice);
        return;
    }
    bool Kept = true;
    switch (Notice.Kind) {
        case TSchemeNoticeKind::Joined:
            if (Notice.Object->Selected()) NoteSelectionChange();
            Track(Notice.Object);
            break;
        case TSchemeNoticeKind::Leaving:
            if (FSelected.count(Notice.Object)) NoteSelectionChange();
            Kept = Untrack(Notice.Object, Notice.Before);
            break;
        case TSchemeNoticeKind::Changed:
            // A change that keeps the area (a selection, mostly) keeps the object's place.
            if (!(Notice.Before == Notice.Object->Area()))
                Kept = TrackMove(Notice.Object, Notice.Before);
            if (Notice.Object->Selected())
                FSelected.insert(Notice.Object);
            else
                FSelected.erase(Notice.Object);
            break;
        case TSchemeNoticeKind::LayerJoined:
        case TSchemeNoticeKind::LayerLeaving:
            for (int I = 0; Notice.Layer && I < Notice.Layer->Count(); ++I) {
                TSchemeObject* Obj = Notice.Layer->GetItemIndex(I);
                if (Obj->Selected()) NoteSelectionChange();
                if (Notice.Kind == TSchemeNoticeKind::LayerJoined)
                    Track(Obj);
                else
                    Kept = Untrack(Obj, Obj->Area()) && Kept;
            }
            break;
        default:
            break;
    }
    // An object the index did not hold where it was told to look: start the books afresh.
    if (!Kept) DropIndex();
}

// ---- reading them --------------------------------------------------------------------------

// Objects in drawing order: by layer position, then by list position.
void TSchemeData::SortInDrawingOrder(std::vector<TSchemeObject*>& Objects) const {
    if (Objects.size() < 2) return;
    // Few layers are found faster by a walk than through a map.
    std::unordered_map<const TSchemeLayer*, int> LayerPosition;
    const bool Walk = FLayers.size() <= 16;
    if (!Walk)
        for (size_t I = 0; I < FLayers.size(); ++I) LayerPosition.emplace(FLayers[I], int(I));
    auto PositionOf = [&](const TSchemeLayer* Layer) {
        if (!Walk) return LayerPosition[Layer];
        return int(std::find(FLayers.begin(), FLayers.end(), Layer) - FLayers.begin());
    };
    boost::container::small_vector<std::pair<std::pair<int, int>, TSchemeObject*>, 16> Keyed;
    Keyed.reserve(Objects.size());
    for (TSchemeObject* Obj : Objects)
        Keyed.push_back({{PositionOf(Obj->Layer()), Obj->Layer()->OrderOf(Obj)}, Obj});
    std::sort(Keyed.begin(), Keyed.end(),
              [](const auto& A, const auto& B) { return A.first < B.first; });
    for (size_t I = 0; I < Keyed.size(); ++I) Objects[I] = Keyed[I].second;
}

// Calls Action for every object whose area at Zoom may meet Zoomed, in drawing order; objects of
// invisible layers only when AllLayers. When most objects qualify, walking the layers is cheaper
// than sorting the index's answer.
template <class F>
void TSchemeData::ForEachObjectMeeting(const TRect& Zoomed, Extended Zoom, bool AllLayers,
                                       F&& Action) {
    std::vector<TSchemeObject*> Candidates;
    TSpatialIndex& Found = Index();
    Found.Query(Zoomed, Zoom, Candidates);
    // Objects far apart in memory are asked for ahead of their turn: painting many small
    // objects waits on memory more than it draws.
    auto Ahead = [](auto&& At, size_t I, size_t Count) {
        constexpr size_t kObjectsAhead = 8, kPointsAhead = 4;
        if (I + kObjectsAhead < Count)
            if (const TSchemeObject* Obj = At(I + kObjectsAhead)) Obj->Prefetch();
        if (I + kPointsAhead < Count)
            if (const TSchemeObject* Obj = At(I + kPointsAhead)) Obj->PrefetchPoints();
    };
    if (Candidates.size() * 4 > Found.Size()) {
        for (TSchemeLayer* Layer : std::vector<TSchemeLayer*>(FLayers)) {
            if (!AllLayers && !Layer->Visible()) continue;
            auto At = [Layer](size_t I) { return Layer->GetItemIndex(int(I)); };
            for (int I = 0; I < Layer->Count(); ++I) {
                Ahead(At, size_t(I), size_t(Layer->Count()));
                Action(At(size_t(I)));
            }
        }
        return;
    }
    SortInDrawingOrder(Candidates);
    auto At = [&Candidates](size_t I) { return Candidates[I]; };
    for (size_t I = 0; I < Candidates.size(); ++I) {
        Ahead(At, I, Candidates.size());
        if (AllLayers || Candidates[I]->Layer()->Visible()) Action(Candidates[I]);
    }
}

TSchemeObject* TSchemeData::ObjectForPointWithCheckEnabled(Extended X, Extended Y,
                                                           bool ACheckEnabled, int AParam) {
    // The list is kept between calls, so that a hit test allocates nothing; a nested call (from
    // a change notice, say) finds it taken and makes its own.
    std::vector<TSchemeObject*> Candidates = std::exchange(FHitCandidates, {});
    Candidates.clear();
    // Objects are tested at whole units; hooks reach a unit past the pixel grid.
    Index().QueryPoint(Trunc(X), Trunc(Y), 3, Candidates);
    SortInDrawingOrder(Candidates);
    TSchemeObject* Found = TopmostHit(Candidates, X, Y, ACheckEnabled, AParam);
    FHitCandidates = std::move(Candidates);
    return Found;
}

// The candidates hold every object whose area holds the point, and an object's area holds all
// its detail test can say yes to: the bounding-box prefilter of a layer walk is not needed.
TSchemeObject* TSchemeData::TopmostHit(const std::vector<TSchemeObject*>& Candidates, Extended X,
                                       Extended Y, bool ACheckEnabled, int AParam) {
    // Per layer from the top, the layer's topmost enabled object under the point answers for
    // it; an invisible one hands the question to the layer below.
    const TSchemeLayer* Answered = nullptr;
    for (auto It = Candidates.rbegin(); It != Candidates.rend(); ++It) {
        TSchemeObject* Obj = *It;
        TSchemeLayer* Layer = Obj->Layer();
        if (Layer == Answered) continue;
        if (ACheckEnabled && !(Layer->Enabled() && Layer->Visible())) continue;
        Extended DX = 0, DY = 0;
        int Detail = -1;
        if (!Obj->Enabled() || !Obj->PointInsideDetail(X, Y, DX, DY, Detail, AParam)) continue;
        if (!ACheckEnabled || Obj->Visible()) return Obj;
        Answered = Layer;
    }
    return nullptr;
}

void TSchemeData::PaintDirectInWindow(ISchemeVisual* AVisual) {
    if (!AVisual || FUpdating) return;
    TCanvas* Canvas = AVisual->GetCanvas();
    if (!Canvas) return;
    // Within a paint every object gets the view's canvas, whatever area it covers: asking for
    // it by the object's area would only cost working that area out.
    const Extended Zoom = AVisual->Zoom();
    ForEachObjectMeeting(Canvas->ClipRect(), Zoom, false, [&](TSchemeObject* Obj) {
        if (FUpdating) return;
        if (TCanvas* Current = AVisual->GetCanvas())
            PaintObject(Obj, AVisual, Zoom, *Current, AVisual->Param());
    });
}

void TSchemeData::RepaintDirectInWindow(ISchemeVisual* AVisual) {
    if (!AVisual) return;
    ForEachObjectMeeting(AVisual->VisibleRect(), AVisual->Zoom(), true, [&](TSchemeObject* Obj) {
        Obj->Repaint(AVisual->Zoom(), AVisual, AVisual->OriginX(), AVisual->OriginY(),
                     AVisual->Param());
    });
}

void TSchemeData::PaintDirectInCanvas(TCanvas& ACanvas, Extended AOffsetX, Extended AOffsetY,
                                      Extended AZoom, int AParam) {
    const bool Shifted = AOffsetX != 0 || AOffsetY != 0;
    const TPoint Previous = ACanvas.WindowOrg();
    if (Shifted) ACanvas.SetWindowOrg(TPoint{-Round(AOffsetX * AZoom), -Round(AOffsetY * AZoom)});
    try {
        ForEachObjectMeeting(ACanvas.ClipRect(), AZoom, true, [&](TSchemeObject* Obj) {
            PaintObject(Obj, nullptr, AZoom, ACanvas, AParam);
        });
    } catch (...) {
        if (Shifted) ACanvas.SetWindowOrg(Previous);
        throw;
    }
    if (Shifted) ACanvas.SetWindowOrg(Previous);
}

// Events processed between views may remove views, layers and objects: views are checked
// before each is painted, and the selected objects are looked up afresh for each view.
void TSchemeData::BlinkPass() {
    const std::vector<ISchemeVisual*> Visuals = FVisualLinks;
    for (ISchemeVisual* Visual : Visuals) {
        if (!Visual || !IsRegistered(Visual) || Visual->IsScrolling()) continue;
        for (TSchemeLayer* Layer : FLayers)
            if (Layer->Visible()) Layer->SetSelectionPhase(FBlinkPhase);
        Index();
        std::vector<TSchemeObject*> Selected(FSelected.begin(), FSelected.end());
        SortInDrawingOrder(Selected);
        AddBlinkingAlarms(Selected);
        for (TSchemeObject* Obj : Selected)
            if (Obj->Layer()->Visible() && !Obj->Moved()) ObjectPaintDirectInWindow(Obj, Visual);
        ProcessMessages();
    }
}

}  // namespace scheme
