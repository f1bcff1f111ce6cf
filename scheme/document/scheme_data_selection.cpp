// The selection of many objects, and what the editing gestures do to many objects at once.
#include <QMetaObject>
#include <algorithm>

#include "scheme/document/scheme_data.h"
#include "scheme/document/spatial_index.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/exceptions.h"

namespace scheme {

// ---- the selection -------------------------------------------------------------------------

std::vector<TSchemeObject*> TSchemeData::SelectedObjects() {
    Index();
    std::vector<TSchemeObject*> Objects(FSelected.begin(), FSelected.end());
    SortInDrawingOrder(Objects);
    return Objects;
}

int TSchemeData::SelectedCount() {
    Index();
    return int(FSelected.size());
}

// Beyond this many objects a selection repaints the box around them all at once: the exact
// area of each would cost more than painting what lies between them.
constexpr size_t kSelectionRepaintsOneByOne = 16;

void TSchemeData::SelectObjects(std::span<TSchemeObject* const> Objects, TSelectMode Mode) {
    BeginSelectionChange();
    const bool Collect =
        !FSelectionArea &&
        (Objects.size() > kSelectionRepaintsOneByOne ||
         (Mode == TSelectMode::Replace && SelectedCount() > int(kSelectionRepaintsOneByOne)));
    if (Collect) FSelectionArea.emplace();
    struct TRepaint {
        TSchemeData& Data;
        bool Collect;
        ~TRepaint() {
            if (Collect) Data.EraseArea(*std::exchange(Data.FSelectionArea, std::nullopt));
        }
    } Repaint{*this, Collect};
    try {
        if (Mode == TSelectMode::Replace) {
            const std::unordered_set<TSchemeObject*> Wanted(Objects.begin(), Objects.end());
            for (TSchemeObject* Obj : SelectedObjects())
                if (!Wanted.count(Obj)) Obj->SetSelected(false);
        }
        for (TSchemeObject* Obj : Objects) {
            if (!Obj) continue;
            Obj->SetSelected(Mode == TSelectMode::Toggle ? !Obj->Selected()
                                                         : Mode != TSelectMode::Remove);
        }
    } catch (...) {
        EndSelectionChange();
        throw;
    }
    EndSelectionChange();
}

void TSchemeData::ClearSelection() {
    SelectObjects({}, TSelectMode::Replace);
}

void TSchemeData::SelectAll() {
    std::vector<TSchemeObject*> All;
    for (TSchemeLayer* Layer : FLayers) {
        if (!Layer->Visible() || !Layer->Enabled()) continue;
        for (int I = 0; I < Layer->Count(); ++I)
            if (TSchemeObject* Obj = Layer->GetItemIndex(I); Obj->Visible() && Obj->Enabled())
                All.push_back(Obj);
    }
    SelectObjects(All, TSelectMode::Replace);
}

std::vector<TSchemeObject*> TSchemeData::ObjectsInside(Extended Left, Extended Top, Extended Right,
                                                       Extended Bottom) {
    std::vector<TSchemeObject*> Found;
    Index().QueryWorld(double(Left), double(Top), double(Right), double(Bottom), Found);
    std::erase_if(Found, [&](const TSchemeObject* Obj) {
        const TSchemeArea& A = Obj->Area();
        const TSchemeLayer* Layer = Obj->Layer();
        return !Obj->Visible() || !Obj->Enabled() || !Layer->Visible() || !Layer->Enabled() ||
               A.IsEmpty() || A.Left < Left || A.Top < Top || A.Right > Right || A.Bottom > Bottom;
    });
    SortInDrawingOrder(Found);
    return Found;
}

void TSchemeData::BeginSelectionChange() {
    ++FSelectionDepth;
}

void TSchemeData::EndSelectionChange() {
    if (FSelectionDepth > 0 && --FSelectionDepth == 0) ReportSelectionChange();
}

// Outside a group the report waits for the event loop, so that objects selected one by one
// in code make one report.
void TSchemeData::NoteSelectionChange() {
    FSelectionChanged = true;
    if (FSelectionDepth > 0 || FSelectionReportPosted) return;
    FSelectionReportPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FSelectionReportPosted = false;
            if (FSelectionDepth == 0) ReportSelectionChange();
        },
        Qt::QueuedConnection);
}

void TSchemeData::ReportSelectionChange() {
    if (!std::exchange(FSelectionChanged, false)) return;
    emit SelectionChanged();
    if (OnSelectionChange) OnSelectionChange(this);
}

// ---- many objects at once ------------------------------------------------------------------

void TSchemeData::DeleteObjects(std::span<TSchemeObject* const> Objects) {
    for (TSchemeObject* Obj : Objects)
        if (!Obj || !Holds(Obj)) RaiseError(QStringLiteral("TSchemeData : Object not found!"));
    std::vector<TSchemeObject*> Doomed(Objects.begin(), Objects.end());
    SortInDrawingOrder(Doomed);
    Doomed.erase(std::unique(Doomed.begin(), Doomed.end()), Doomed.end());
    BeginSelectionChange();
    try {
        // The topmost first, so that every other keeps its place until its turn.
        for (auto It = Doomed.rbegin(); It != Doomed.rend(); ++It) {
            TSchemeObject* Obj = *It;
            SchemeChanged(TSchemeNotice{TSchemeNoticeKind::Deleting, Obj->Layer(), Obj, {}, false});
            delete Obj;
        }
    } catch (...) {
        EndSelectionChange();
        throw;
    }
    EndSelectionChange();
}

}  // namespace scheme
