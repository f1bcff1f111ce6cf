#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "fake_scheme_data.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/exceptions.h"
#include "test_kinds.h"

using namespace scheme;
using scheme::testing::FakeSchemeData;
using scheme::testing::PointsObject;

namespace {

// An object in a layer of a fake document, with its OnChange calls counted.
struct InLayer : ::testing::Test {
    InLayer() {
        Layer.SetSchemeData(&Data);
        Obj = new PointsObject(1, 0, {PointExt(0, 0), PointExt(10, 0), PointExt(10, 10)});
        Layer.Add(Obj);
        Obj->OnChange = [this](TObject*) { ++Changes; };
        Data.Reset();
    }
    FakeSchemeData Data;
    TSchemeLayer Layer{1};
    PointsObject* Obj = nullptr;
    int Changes = 0;
};

}  // namespace

TEST_F(InLayer, SettersActOnlyOnRealChanges) {
    Obj->SetId(1);
    Obj->SetState(0);
    Obj->SetText(QString());
    Obj->SetTextPoint(PointExt(0, 0));
    EXPECT_EQ(Changes, 0);
    EXPECT_TRUE(Data.Notices.empty());
    Obj->SetId(2);
    Obj->SetState(3);
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(Data.NoticesOf(TSchemeNoticeKind::Changed, Obj), 2);
}

TEST_F(InLayer, SelectionAndHooksAreAnnouncedWithoutOnChange) {
    Obj->SetSelected(true);
    Obj->SetResized(true);
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(Data.NoticesOf(TSchemeNoticeKind::Changed, Obj), 2);
    Obj->SetEnabled(false);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Data.NoticesOf(TSchemeNoticeKind::Changed), 3);
}

TEST_F(InLayer, PenChangesReachTheObjectsListeners) {
    TObject* Sender = nullptr;
    Obj->OnChange = [&](TObject* S) { Sender = S; };
    Obj->Pen()->SetColor(clRed);
    EXPECT_EQ(Sender, Obj->Pen());
    TBrush Brush;
    Brush.SetColor(clRed);
    Obj->SetBrush(Brush);
    EXPECT_EQ(Sender, Obj->Brush());
    EXPECT_EQ(Obj->Brush()->Color(), clRed);
}

TEST_F(InLayer, MovedIsStoredEvenWhenUnchanged) {
    Obj->SetMoved(false);
    EXPECT_FALSE(Obj->Moved());
    EXPECT_EQ(Changes, 0);
    EXPECT_TRUE(Data.Repaints.empty());
}

TEST_F(InLayer, PointChangesAreReportedUnlessMoved) {
    Obj->SetPointsExtA(1, PointExt(12, 3));
    ASSERT_EQ(Data.Moves.size(), 1u);
    EXPECT_EQ(Data.Moves[0].Object, Obj);
    EXPECT_EQ(Data.Moves[0].DX, 2);
    EXPECT_EQ(Data.Moves[0].DY, 3);
    EXPECT_EQ(Data.Moves[0].Detail, 1);
    EXPECT_EQ(Changes, 1);
    Obj->SetMoved(true);
    Obj->SetPointsExtA(1, PointExt(0, 0));
    EXPECT_EQ(Data.Moves.size(), 1u);
    EXPECT_EQ(Changes, 2);
}

TEST_F(InLayer, PointsOutsideTheArrayAreIgnored) {
    Obj->SetPointsExtA(3, PointExt(1, 1));
    Obj->SetPointsExtA(-1, PointExt(1, 1));
    EXPECT_TRUE(Data.Moves.empty());
    EXPECT_EQ(Obj->GetPointsExt(7), PointExt(0, 0));
}

TEST_F(InLayer, MoveToMovesEveryPointAndReportsEach) {
    Obj->MoveToExt(PointExt(5, -5));
    EXPECT_EQ(Obj->GetPointsExt(0), PointExt(5, -5));
    EXPECT_EQ(Obj->GetPointsExt(2), PointExt(15, 5));
    ASSERT_EQ(Data.Moves.size(), 3u);
    for (int I = 0; I < 3; ++I) EXPECT_EQ(Data.Moves[static_cast<size_t>(I)].Detail, I);
}

TEST_F(InLayer, DestructionErasesTellsTheDocumentAndLeavesTheLayer) {
    bool Destroyed = false;
    Obj->OnDestroy = [&](TObject*) { Destroyed = true; };
    const TSchemeArea Area = Obj->GetArea();
    delete Obj;
    EXPECT_TRUE(Destroyed);
    EXPECT_EQ(Layer.Count(), 0);
    ASSERT_EQ(Data.Notices.size(), 1u);
    EXPECT_EQ(Data.Notices[0].Kind, TSchemeNoticeKind::Leaving);
    EXPECT_EQ(Data.Notices[0].Before, Area);
}

TEST_F(InLayer, CloneTakesTheNextIdAndLandsTwoUnitsAway) {
    Layer.Add(new PointsObject(5, 0, {}));
    Layer.Add(new PointsObject(3, 0, {}));
    // A record round trip needs a registered class: the test kind is not, so the box stands in.
    auto* Box = new TSchemeBox(4, 10, 10, 20, 20, 2);
    Layer.Add(Box);
    Box->SetSelected(true);
    TSchemeObject* Copy = Box->Clone();
    ASSERT_NE(Copy, nullptr);
    EXPECT_EQ(Copy->Id(), 6);
    EXPECT_EQ(Copy->Layer(), &Layer);
    EXPECT_EQ(Copy->GetPointsExt(0), PointExt(12, 12));
    EXPECT_EQ(Copy->State(), 2);
    EXPECT_FALSE(Copy->Selected());
    EXPECT_EQ(Obj->Clone(), nullptr);  // unregistered class
}

TEST(ObjectBase, CaptionFollowsPointZeroOnlyWhileOnIt) {
    PointsObject Obj(1, 0, {PointExt(1, 1), PointExt(5, 5)});
    Obj.SetTextPoint(PointExt(1, 1));
    Obj.SetPointsExtA(0, PointExt(2, 3));
    EXPECT_EQ(Obj.TextPoint(), PointExt(2, 3));
    Obj.SetPointsExtA(1, PointExt(9, 9));
    EXPECT_EQ(Obj.TextPoint(), PointExt(2, 3));
    Obj.SetTextPoint(PointExt(0, 0));
    Obj.SetPointsExtA(0, PointExt(4, 4));
    EXPECT_EQ(Obj.TextPoint(), PointExt(0, 0));
}

TEST(ObjectBase, ActiveHookWrapsBothWays) {
    PointsObject Obj(1, 0, {PointExt(0, 0), PointExt(1, 0), PointExt(2, 0)});
    Obj.SetResizedPoint(3);
    EXPECT_EQ(Obj.ResizedPoint(), 0);
    Obj.SetResizedPoint(-1);
    EXPECT_EQ(Obj.ResizedPoint(), 2);
}

TEST(ObjectBase, HookSquaresScaleWithZoom) {
    PointsObject Obj(1, 0, {PointExt(10, 20)});
    EXPECT_EQ(Obj.GetHookRect(1.0, 0)[0], Rect(8, 18, 12, 22));
    EXPECT_EQ(Obj.GetHookRect(0.4, 0)[0], Rect(4, 8, 4, 8));
    EXPECT_EQ(Obj.GetHookRect(10.0, 0)[0], Rect(80, 180, 120, 220));
}

TEST(ObjectBase, HooksExistForTheFirstHundredPointsOnly) {
    PointsObject Obj(1, 0, {});
    QStringList Strings = scheme::testing::Lines("ID=1|State=0|Count=150");
    for (int I = 0; I < 150; ++I)
        Strings << QStringLiteral("X%1=%1").arg(I) << QStringLiteral("Y%1=0").arg(I);
    PointsObject Many(Strings);
    EXPECT_EQ(Many.GetHookRect(1.0, 0).size(), 100u);
}

TEST(ObjectBase, HookHitsCatchTwoUnitsAroundAPointLowestIndexFirst) {
    PointsObject Obj(1, 0, {PointExt(10, 10), PointExt(11, 10)});
    Obj.SetResized(true);
    Extended DX = 0, DY = 0;
    int Detail = 0;
    EXPECT_TRUE(Obj.PointInsideDetail(10.5, 10, DX, DY, Detail, 0));
    EXPECT_EQ(Detail, 0);
    EXPECT_EQ(DX, 0.5);
    EXPECT_TRUE(Obj.PointInsideDetail(12.9, 11.9, DX, DY, Detail, 0));
    EXPECT_EQ(Detail, 1);
    EXPECT_EQ(Obj.ResizedPoint(), 1);
    Obj.SetResized(false);
    EXPECT_TRUE(Obj.PointInsideDetail(10.5, 10, DX, DY, Detail, 0));
    EXPECT_EQ(Detail, -1);
}

TEST(ObjectBase, HookRegionGrowsOnlyForWidePens) {
    PointsObject Obj(1, 0, {PointExt(10, 10)});
    EXPECT_TRUE(Obj.GetHookClippingRegion(1.0, 0).isEmpty());
    Obj.SetResized(true);
    EXPECT_EQ(RegionBounds(Obj.GetHookClippingRegion(1.0, 0)), Rect(8, 8, 12, 12));
    Obj.Pen()->SetWidth(4);
    EXPECT_EQ(RegionBounds(Obj.GetHookClippingRegion(1.0, 0)), Rect(8, 8, 12, 12));
    Obj.Pen()->SetWidth(5);
    EXPECT_EQ(RegionBounds(Obj.GetHookClippingRegion(1.0, 0)), Rect(3, 3, 17, 17));
}

TEST(ObjectBase, OutsideRectIsSeededWithTheFirstPoint) {
    PointsObject Far(1, 0, {PointExt(2000, 3000), PointExt(2100.4, 2900)});
    EXPECT_EQ(Far.GetClippingOutsideRect(1.0, 0), Rect(1998, 2898, 2102, 3002));
    TPoint Origin;
    Far.GetOriginPoint(Origin, 0);
    EXPECT_EQ(Origin, Point(2050, 2950));
    PointsObject Negative(1, 0, {PointExt(-50, -60), PointExt(-40, -45)});
    EXPECT_EQ(Negative.GetClippingOutsideRect(2.0, 0), Rect(-104, -124, -76, -86));
    PointsObject Empty(1, 0, {});
    EXPECT_EQ(Empty.GetClippingOutsideRect(1.0, 0), Rect(998, 998, 2, 2));
}

TEST(ObjectBase, DiffRegionIsTheAreaLeftBehind) {
    PointsObject Obj(1, 0, {PointExt(0, 0), PointExt(10, 10)});
    const QRegion Diff = Obj.ChangePositionDetailAndGetDiffRgn(20, 10, 0, 1.0, 0);
    EXPECT_TRUE(Diff.contains(QPoint(0, 5)));
    EXPECT_FALSE(Diff.contains(QPoint(12, 5)));
}

TEST(ObjectBase, RepaintInvalidatesTheAreaShiftedByTheOrigin) {
    struct Window : IWindowHandle {
        void InvalidateRgn(const QRegion& R) override { Invalid += R; }
        QRegion Invalid;
    } W;
    PointsObject Obj(1, 0, {PointExt(10, 10), PointExt(20, 20)});
    Obj.Repaint(1.0, &W, 5, 8, 0);
    EXPECT_EQ(RegionBounds(W.Invalid), Rect(3, 0, 17, 14));
}

TEST_F(InLayer, CloneRefusesWhenNoIdIsLeftAboveTheHighest) {
    auto* Box = new TSchemeBox(std::numeric_limits<int>::max(), 0, 0, 10, 10, 0);
    Layer.Add(Box);
    EXPECT_THROW(Box->Clone(), ESchemeErrorException);
    EXPECT_EQ(Layer.Count(), 2);
}
