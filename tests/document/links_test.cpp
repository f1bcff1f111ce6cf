#include <gtest/gtest.h>

#include "fake_visual.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;
using scheme::testing::FakeVisual;

namespace {

struct Linked : ::testing::Test {
    Linked() {
        Data.SetTimerInterval(0);
        Data.LayerAdd(1);
        Data.AddSchemeVisualLink(&View);
    }
    ~Linked() override { Data.RemoveSchemeVisualLink(&View); }

    TSchemeBox* Box(int Id, Extended X, Extended Y) {
        return static_cast<TSchemeBox*>(
            Data.ObjectAddShapeExt(1, Id, X, Y, 10, 10, 0, TShapeType::stRectangle));
    }
    TSchemePolygon* Triangle(int Id) {
        const TPoint Points[] = {{0, 0}, {10, 0}, {0, 10}};
        return Data.ObjectAddPolygon(1, Id, Points, 0, TBrushStyle::bsSolid, QString(),
                                     Point(0, 0));
    }
    bool Behaves(TSchemeObject* Parent, int P, TSchemeObject* Child, int C, int Detail,
                 int& ChildDetail) {
        TSchemeLink Link(Parent, P, Child, C);
        return Data.LinkBehavior(&Link, Parent, Detail, ChildDetail);
    }
    // Drags part Detail of Obj by (DX, DY) as an editing view does.
    void Drag(TSchemeObject* Obj, int Detail, Extended DX, Extended DY) {
        Obj->SetMoved(true);
        const TPointExt P = Obj->GetPointsExt(Detail < 0 ? 0 : Detail);
        Obj->ChangePositionDetail(P.X + DX, P.Y + DY, Detail, 0);
        Data.LinkApply(Obj, DX, DY, Detail, &View);
        Obj->SetMoved(false);
    }

    TSchemeData Data;
    FakeVisual View;
};

struct RuleRow {
    const char* Name;
    bool ParentDragged;
    bool ParentIsBox;
    int P, C, Detail;
    bool Result;
    int ChildDetail;
    friend void PrintTo(const RuleRow& R, std::ostream* Os) { *Os << R.Name; }
};

class LinkRules : public Linked, public ::testing::WithParamInterface<RuleRow> {};

}  // namespace

TEST_P(LinkRules, DecideWhichChildPartFollows) {
    const RuleRow& Row = GetParam();
    TSchemeObject* Parent =
        Row.ParentIsBox ? static_cast<TSchemeObject*>(Box(1, 0, 0)) : Triangle(1);
    TSchemeObject* Child = Box(2, 50, 50);
    Parent->SetMoved(Row.ParentDragged);
    int ChildDetail = 77;
    EXPECT_EQ(Behaves(Parent, Row.P, Child, Row.C, Row.Detail, ChildDetail), Row.Result);
    if (Row.Result) {
        EXPECT_EQ(ChildDetail, Row.ChildDetail);
    }
    Parent->SetMoved(false);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LinkRules,
    ::testing::Values(RuleRow{"DragBodyToBody", true, true, -1, -1, -1, true, -1},
                      RuleRow{"DragHookWithBodyLinkMovesNothing", true, true, -1, -1, 2, false, 0},
                      RuleRow{"DragMatchingHook", true, true, 2, 0, 2, true, 0},
                      RuleRow{"DragOtherHook", true, true, 2, 0, 1, false, 0},
                      RuleRow{"DragSideHook", true, true, -3, -5, -3, true, -5},
                      RuleRow{"DragLastPoint", true, false, 100, 0, 2, true, 0},
                      RuleRow{"DragToChildLastPoint", true, false, 0, 100, 0, true, 3},
                      RuleRow{"CodeBothNegativeSamePart", false, true, -1, -1, 2, true, 2},
                      RuleRow{"CodeBoxBodyPointZero", false, true, -1, 1, 0, true, 1},
                      RuleRow{"CodeBoxBodyOtherPoint", false, true, -1, 1, 2, false, 0},
                      RuleRow{"CodePolygonBodyAnyPoint", false, false, -1, 1, 2, true, 1},
                      RuleRow{"CodePointsAnyPoint", false, true, 0, 3, 2, true, 3},
                      RuleRow{"CodePointToBody", false, true, 0, -1, 0, false, 0},
                      RuleRow{"CodeSideToPoint", false, true, -2, 0, 0, false, 0}),
    [](const ::testing::TestParamInfo<RuleRow>& Info) { return Info.param.Name; });

TEST_F(Linked, DisabledLinksAndOtherParentsCarryNothing) {
    TSchemeBox* A = Box(1, 0, 0);
    TSchemeBox* B = Box(2, 50, 50);
    int ChildDetail = 0;
    TSchemeLink Disabled(A, -1, B, -1);
    Disabled.SetEnabled(false);
    int Asked = 0;
    EXPECT_FALSE(Data.LinkBehavior(&Disabled, A, -1, ChildDetail));
    TSchemeLink Other(B, -1, A, -1);
    EXPECT_FALSE(Data.LinkBehavior(&Other, A, -1, ChildDetail));
    // A handler decides alone, for every enabled link whatever its parent.
    Data.OnLinkBehavior = [&](TObject*, TSchemeLink*, TSchemeObject*, int, int& AChildDetail,
                              bool& AEnabled) {
        ++Asked;
        AChildDetail = -1;
        AEnabled = true;
    };
    EXPECT_TRUE(Data.LinkBehavior(&Other, A, -1, ChildDetail));
    EXPECT_FALSE(Data.LinkBehavior(&Disabled, A, -1, ChildDetail));
    EXPECT_EQ(Asked, 1);
}

TEST_F(Linked, CodeMovesRunDownChainsOnce) {
    TSchemeBox* A = Box(1, 0, 0);
    TSchemeBox* B = Box(2, 20, 0);
    TSchemeBox* C = Box(3, 40, 0);
    Data.LinkAdd(A, -1, B, -1);
    Data.LinkAdd(B, -1, C, -1);
    A->MoveToExt(PointExt(5, 7));
    EXPECT_EQ(B->GetPointsExt(0), PointExt(25, 7));
    EXPECT_EQ(C->GetPointsExt(0), PointExt(45, 7));
    EXPECT_EQ(C->GetWidth(), 10);
}

// A follower linked by its body keeps its shape, whatever kind moves it and down a chain.
TEST_F(Linked, CodeMovesCarryBodyFollowersWhole) {
    TSchemePolygon* A = Triangle(1);
    TSchemeBox* B = Box(2, 20, 0);
    TSchemePolygon* C = Triangle(3);
    Data.LinkAdd(A, -1, B, -1);
    Data.LinkAdd(B, -1, C, -1);
    for (int Step = 1; Step <= 10; ++Step) A->MoveToExt(PointExt(Step, 2 * Step));
    EXPECT_EQ(B->GetPointsExt(0), PointExt(30, 20));
    EXPECT_EQ(B->GetWidth(), 10);
    EXPECT_EQ(B->GetHeight(), 10);
    for (int I = 0; I < 3; ++I) EXPECT_EQ(C->GetPointsExt(I), A->GetPointsExt(I)) << I;
}

// A link type naming a point the child lacks, or a side hook of a kind without sides, carries
// nothing in a drag, as in a move made in code.
TEST_F(Linked, LinksToPartsTheChildLacksCarryNothing) {
    TSchemeBox* A = Box(1, 0, 0);
    TSchemePolygon* B = Triangle(2);
    Data.LinkAdd(A, -1, B, 7);
    Data.LinkAdd(A, -3, B, -3);
    Drag(A, -1, 40, 40);
    Drag(A, -3, 5, 0);
    A->MoveToExt(PointExt(0, 0));
    EXPECT_EQ(B->GetPointsExt(0), PointExt(0, 0));
    EXPECT_EQ(B->GetPointsExt(2), PointExt(0, 10));
}

TEST_F(Linked, CodeMovesEndInCyclesAndDiamonds) {
    TSchemeBox* A = Box(1, 0, 0);
    TSchemeBox* B = Box(2, 20, 0);
    TSchemeBox* C = Box(3, 40, 0);
    TSchemeBox* D = Box(4, 60, 0);
    Data.LinkAdd(A, -1, B, -1);
    Data.LinkAdd(B, -1, A, -1);  // a cycle back to the start
    Data.LinkAdd(A, -1, C, -1);
    Data.LinkAdd(B, -1, D, -1);
    Data.LinkAdd(C, -1, D, -1);  // a diamond onto D
    A->MoveToExt(PointExt(0, 3));
    EXPECT_EQ(A->GetPointsExt(0), PointExt(0, 3));
    EXPECT_EQ(B->GetPointsExt(0), PointExt(20, 3));
    EXPECT_EQ(C->GetPointsExt(0), PointExt(40, 3));
    EXPECT_EQ(D->GetPointsExt(0), PointExt(60, 3));
}

TEST_F(Linked, DraggingABodyDragsFollowersAndRepaintsThemInTheView) {
    TSchemeBox* A = Box(1, 0, 0);
    TSchemeBox* B = Box(2, 20, 0);
    TSchemeBox* C = Box(3, 40, 0);
    C->SetFullRepaintIfMoved(false);
    Data.LinkAdd(A, -1, B, -1);
    Data.LinkAdd(A, -1, C, -1);
    const QRegion OldB = B->GetClippingRegion(1, 0), OldC = C->GetClippingRegion(1, 0);
    Drag(A, -1, 0, 30);
    EXPECT_EQ(B->GetPointsExt(0), PointExt(20, 30));
    EXPECT_EQ(C->GetPointsExt(0), PointExt(40, 30));
    EXPECT_TRUE((OldB - View.Invalid).isEmpty());  // the old places are erased
    EXPECT_TRUE((OldC - View.Invalid).isEmpty());
    EXPECT_TRUE((B->GetClippingRegion(1, 0) - View.Invalid).isEmpty());  // repainted later
    EXPECT_GT(View.CanvasRequests, 0);                                   // C painted at once
    EXPECT_FALSE(B->Moved());
    EXPECT_FALSE(C->Moved());
}

TEST_F(Linked, DraggingAHookMovesOnlyMatchingLinks) {
    TSchemeBox* A = Box(1, 0, 0);
    TSchemeBox* B = Box(2, 20, 0);
    Data.LinkAdd(A, -1, B, -1);
    Drag(A, 2, 5, 5);
    EXPECT_EQ(B->GetPointsExt(0), PointExt(20, 0));
}

TEST_F(Linked, SideHooksFollowFromTheirOwnEdge) {
    TSchemeBox* Parent = Box(1, 0, 0);
    TSchemeBox* Top = Box(2, 0, 30);
    TSchemeBox* Bottom = Box(3, 0, 60);
    Top->SetRect(0, 30, 10, 20, 0, false);
    Bottom->SetRect(0, 60, 10, 20, 0, false);
    Data.LinkAdd(Parent, -4, Top, -2);     // parent's bottom drags the top edge
    Data.LinkAdd(Parent, -4, Bottom, -4);  // and the other's bottom edge
    Parent->SetMoved(true);
    Parent->ChangePositionDetail(0, 15, -4, 0);
    Data.LinkApply(Parent, 0, 5, -4, &View);
    Extended X, Y, W, H;
    Top->GetRect(X, Y, W, H, 0);
    EXPECT_EQ(Y, 35);
    EXPECT_EQ(H, 15);
    Bottom->GetRect(X, Y, W, H, 0);
    EXPECT_EQ(Y, 60);
    EXPECT_EQ(H, 25);
}

TEST_F(Linked, DragCyclesEndAndDiamondsMoveEachFollowerOnce) {
    TSchemeBox* A = Box(1, 0, 0);
    TSchemeBox* B = Box(2, 20, 0);
    TSchemeBox* C = Box(3, 40, 0);
    TSchemeBox* D = Box(4, 60, 0);
    Data.LinkAdd(A, -1, B, -1);
    Data.LinkAdd(B, -1, A, -1);
    Data.LinkAdd(A, -1, C, -1);
    Data.LinkAdd(B, -1, D, -1);
    Data.LinkAdd(C, -1, D, -1);
    Drag(A, -1, 0, 10);
    EXPECT_EQ(A->GetPointsExt(0), PointExt(0, 10));
    EXPECT_EQ(B->GetPointsExt(0), PointExt(20, 10));
    EXPECT_EQ(D->GetPointsExt(0), PointExt(60, 10));
}

TEST_F(Linked, TwoPartsOfOneChildBothFollow) {
    TSchemeBox* A = Box(1, 0, 0);
    TSchemePolygon* T = Triangle(2);
    Data.LinkAdd(A, -1, T, 0);
    Data.LinkAdd(A, -1, T, 1);
    Drag(A, -1, 3, 0);
    EXPECT_EQ(T->GetPointsExt(0), PointExt(3, 0));
    EXPECT_EQ(T->GetPointsExt(1), PointExt(13, 0));
    EXPECT_EQ(T->GetPointsExt(2), PointExt(0, 10));
}

TEST_F(Linked, MoreThanAThousandApplicationsRaiseLinkError) {
    TSchemeBox* First = Box(1, 0, 0);
    TSchemeBox* Previous = First;
    for (int Id = 2; Id <= 1003; ++Id) {
        TSchemeBox* Next = Box(Id, 0, 0);
        Data.LinkAdd(Previous, -1, Next, -1);
        Previous = Next;
    }
    try {
        Drag(First, -1, 1, 1);
        FAIL();
    } catch (const ESchemeErrorException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("Link ERROR!"));
    }
    // Every follower's drag flag was reset on the way out.
    for (int I = 1; I < Data.GetLayer(1)->Count(); ++I)
        EXPECT_FALSE(Data.GetLayer(1)->GetItemIndex(I)->Moved()) << I;
}
