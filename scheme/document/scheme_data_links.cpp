// How moves travel along links: the rules of LinkBehavior, changes made in code, and drags.
#include <set>
#include <span>
#include <unordered_set>
#include <utility>

#include "scheme/document/scheme_data.h"
#include "scheme/document/scheme_visual_link.h"
#include "scheme/model/scheme_box.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

namespace scheme {

// One propagation: a drag step or one point change made in code, with everything it moves
// along links. Each part of an object follows at most once, and nothing leads back to the
// object the propagation started from, so cycles and diamonds of links end; the count of
// applications is a backstop.
class TSchemeData::TPropagation {
public:
    // Joins the propagation that is running, or starts one from Origin.
    TPropagation(TSchemeData& Data, TObject* Origin)
        : FData(Data), FOwner(Data.FPropagation == nullptr) {
        if (!FOwner) return;
        FOrigin = Origin;
        Data.FPropagation = this;
    }
    ~TPropagation() {
        if (FOwner) FData.FPropagation = nullptr;
    }
    TPropagation(const TPropagation&) = delete;
    TPropagation& operator=(const TPropagation&) = delete;

    TPropagation& Root() { return *FData.FPropagation; }

    // Whether the child's part may still follow; counts the application when it may.
    bool Admit(TObject* Child, int Detail) {
        TPropagation& R = Root();
        if (Child == R.FOrigin || R.FMembers.count(Child) ||
            !R.FMoved.insert({Child, Detail}).second)
            return false;
        if (++R.FApplications > kMaxLinkApplications) RaiseError(QStringLiteral("Link ERROR!"));
        return true;
    }

    // The objects of a group that moves whole: links move no part of them.
    void SetMembers(std::span<TSchemeObject* const> Objects) {
        Root().FMembers.insert(Objects.begin(), Objects.end());
    }

private:
    TSchemeData& FData;
    bool FOwner;
    TObject* FOrigin = nullptr;
    std::set<std::pair<TObject*, int>> FMoved;
    std::unordered_set<const TObject*> FMembers;
    int FApplications = 0;
};

bool TSchemeData::LinkBehavior(TSchemeLink* ALink, TObject* AObject, int AObjectDetail,
                               int& AChildDetail) {
    if (!ALink || !ALink->Enabled()) return false;
    if (OnLinkBehavior) {
        bool Enabled = true;
        OnLinkBehavior(this, ALink, dynamic_cast<TSchemeObject*>(AObject), AObjectDetail,
                       AChildDetail, Enabled);
        return Enabled;
    }
    return LinkBehaviorRules(ALink, AObject, AObjectDetail, AChildDetail);
}

bool TSchemeData::LinkBehaviorRules(TSchemeLink* ALink, TObject* AObject, int AObjectDetail,
                                    int& AChildDetail) const {
    TSchemeObject* Parent = ALink->Parent();
    TSchemeObject* Child = ALink->Child();
    if (!Parent || Parent != AObject || !Child) return false;
    AChildDetail = AObjectDetail;
    const int P = TSchemeLink::ResolvedType(ALink->ParentLinkType(), *Parent);
    const int C = TSchemeLink::ResolvedType(ALink->ChildLinkType(), *Child);
    if (Parent->Moved()) {
        if (P < 0 && C < 0 && AObjectDetail == -1) return true;
        if (P != AObjectDetail) return false;
        AChildDetail = C;
        return true;
    }
    if (P < 0 && C < 0) {
        // A parent moved whole in code carries the child whole, once: on its first point.
        if (Parent->MovingWhole()) {
            AChildDetail = -1;
            return AObjectDetail == 0;
        }
        return true;
    }
    if (P == -1 && C >= 0) {
        AChildDetail = C;
        // A box reports corners 0 and 2 for every change; only corner 0 drives its body links.
        return !(dynamic_cast<const TSchemeBox*>(Parent) && AObjectDetail != 0);
    }
    if (P >= 0 && C >= 0) {
        AChildDetail = C;
        return true;
    }
    return false;
}

TSchemeLink* TSchemeData::LinkAtSlot(int Slot) const {
    return size_t(Slot) < FLinks.size() ? FLinks[size_t(Slot)] : nullptr;
}

void TSchemeData::ObjectWasChangedPosition(TObject* AObject, Extended DX, Extended DY,
                                           int ADetail) {
    TPropagation Propagation(*this, AObject);
    for (const int Slot : LinkSlotsFor(AObject)) {
        TSchemeLink* Link = LinkAtSlot(Slot);
        int ChildDetail = ADetail;
        if (!Link || !LinkBehavior(Link, AObject, ADetail, ChildDetail)) continue;
        TSchemeObject* Child = Link->Child();
        if (!Child || !Child->HasDetail(ChildDetail) || !Propagation.Admit(Child, ChildDetail))
            continue;
        // The child reports its own change in turn, so the move runs down chains depth-first.
        if (ChildDetail == -1) {
            const TPointExt Q = Child->GetPointsExt(0);
            Child->MoveToExt(PointExt(Q.X + DX, Q.Y + DY));
        } else {
            const TPointExt Q = Child->GetPointsExt(ChildDetail);
            Child->SetPointsExtA(ChildDetail, PointExt(Q.X + DX, Q.Y + DY));
        }
    }
}

void TSchemeData::LinkApply(TSchemeObject* AObject, Extended OffsetX, Extended OffsetY, int ADetail,
                            ISchemeVisual* AVisual) {
    TPropagation Propagation(*this, AObject);
    ApplyLinks(AObject, ADetail, OffsetX, OffsetY, AVisual);
    if (AObject) AObject->SetMoved(true);
}

void TSchemeData::MoveObjects(std::span<TSchemeObject* const> Objects, Extended DX, Extended DY,
                              ISchemeVisual* AVisual) {
    TPropagation Propagation(*this, nullptr);
    Propagation.SetMembers(Objects);
    // The members' old and new areas are repainted together, once: the exact difference of
    // each would cost more than painting what lies between them.
    TSchemeArea Covered;
    struct TRepaint {
        TSchemeData& Data;
        ISchemeVisual* Visual;
        const TSchemeArea& Covered;
        ~TRepaint() {
            if (!Visual) {
                Data.EraseArea(Covered);
                return;
            }
            if (Covered.IsEmpty()) return;
            Visual->InvalidateRgn(OffsetRgn(CreateRectRgnIndirect(Covered.AtZoom(Visual->Zoom())),
                                            -Visual->OriginX(), -Visual->OriginY()));
        }
    } Repaint{*this, AVisual, Covered};
    const int Param = AVisual ? AVisual->Param() : 0;
    for (TSchemeObject* Obj : Objects) {
        // The members keep the Moved flag they had (a grab holds every member).
        const bool Held = Obj->Moved();
        Obj->SetMoved(true);
        try {
            const TSchemeArea Before = Obj->Area();
            const TPointExt P = Obj->GetPointsExt(0);
            Obj->ChangePositionDetail(P.X + DX, P.Y + DY, -1, Param);
            Obj->AnnounceChange(true);
            Covered = Covered.United(Before).United(Obj->Area());
            ApplyLinks(Obj, -1, DX, DY, AVisual);
        } catch (...) {
            Obj->SetMoved(Held);
            throw;
        }
        Obj->SetMoved(Held);
    }
}

void TSchemeData::ApplyLinks(TSchemeObject* AObject, int ADetail, Extended OffsetX,
                             Extended OffsetY, ISchemeVisual* AVisual) {
    if (!AObject) return;
    for (const int Slot : LinkSlotsFor(AObject)) {
        TSchemeLink* Link = LinkAtSlot(Slot);
        if (!Link) continue;
        int ChildDetail = ADetail;
        TSchemeObject* Child = nullptr;
        AObject->SetMoved(true);
        try {
            // A type that names no part of the child carries nothing.
            if (LinkBehavior(Link, AObject, ADetail, ChildDetail) && Link->Child() &&
                Link->Child()->HasDetail(ChildDetail) &&
                FPropagation->Admit(Link->Child(), ChildDetail)) {
                Child = Link->Child();
                MoveFollower(Child, ChildDetail, OffsetX, OffsetY, AVisual);
            }
        } catch (...) {
            AObject->SetMoved(false);
            throw;
        }
        AObject->SetMoved(false);
        if (Child) ApplyLinks(Child, ChildDetail, OffsetX, OffsetY, AVisual);
    }
}

namespace {

// The point a dragged part is measured from: the top-left corner for the body and the top and
// left sides, the bottom-right corner for the right and bottom sides, else the point itself.
TPointExt ReferencePoint(const TSchemeObject& Obj, int Detail) {
    switch (Detail) {
        case -1:
        case -2:
        case -5:
            return Obj.GetPointsExt(0);
        case -3:
        case -4:
            return Obj.GetPointsExt(2);
        default:
            return Obj.GetPointsExt(Detail);
    }
}

}  // namespace

void TSchemeData::MoveFollower(TSchemeObject* AChild, int ADetail, Extended OffsetX,
                               Extended OffsetY, ISchemeVisual* AVisual) {
    AChild->SetMoved(true);
    try {
        const TPointExt R = ReferencePoint(*AChild, ADetail);
        const Extended Zoom = AVisual ? AVisual->Zoom() : 1.0;
        const int Param = AVisual ? AVisual->Param() : 0;
        const QRegion Left = AChild->ChangePositionDetailAndGetDiffRgn(R.X + OffsetX, R.Y + OffsetY,
                                                                       ADetail, Zoom, Param);
        // The follower is drawn in AVisual below; other views catch up when the drag ends.
        AChild->AnnounceChange(AVisual != nullptr);
        if (AVisual) {
            AVisual->InvalidateRgn(OffsetRgn(Left, -AVisual->OriginX(), -AVisual->OriginY()));
            if (AChild->FullRepaintIfMoved())
                ObjectRepaintDirectInWindow(AChild, AVisual);
            else
                ObjectPaintDirectInWindow(AChild, AVisual);
        }
    } catch (...) {
        AChild->SetMoved(false);
        throw;
    }
    AChild->SetMoved(false);
}

}  // namespace scheme
