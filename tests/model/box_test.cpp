#include <gtest/gtest.h>

#include "fake_scheme_data.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

using namespace scheme;
using scheme::testing::Lines;

namespace {

struct Box4 {
    Extended X, Y, W, H;
};

Box4 RectOf(const TSchemeBox& Box) {
    Box4 R{};
    Box.GetRect(R.X, R.Y, R.W, R.H, 0);
    return R;
}

void ExpectRect(const TSchemeBox& Box, Extended X, Extended Y, Extended W, Extended H) {
    const Box4 R = RectOf(Box);
    EXPECT_EQ(R.X, X);
    EXPECT_EQ(R.Y, Y);
    EXPECT_EQ(R.W, W);
    EXPECT_EQ(R.H, H);
    // Corners 1 and 3 always follow 0 and 2.
    EXPECT_EQ(Box.GetPointsExt(1), PointExt(X + W, Y));
    EXPECT_EQ(Box.GetPointsExt(3), PointExt(X, Y + H));
}

}  // namespace

TEST(Box, ConstructorsKeepTheMinimumSizeAndAnchorTheCaption) {
    TSchemeBox Box(1, 10, 20, 1, 100, 0);
    ExpectRect(Box, 10, 20, 4, 100);
    EXPECT_EQ(Box.Count(), 4);
    EXPECT_EQ(Box.TextPoint(), PointExt(10, 20));
    TSchemeBox FromRect(2, Rect(5, 6, 25, 46), 0);
    ExpectRect(FromRect, 5, 6, 20, 40);
}

TEST(Box, SetPositionReplacesSmallOrNegativeSizes) {
    TSchemeBox Box(1, 0, 0, 10, 10, 0);
    Box.SetPosition(0, 0, -10, 50, 0);
    ExpectRect(Box, 0, 0, 4, 50);
}

TEST(Box, CornerSetterKeepsTheOppositeCorner) {
    TSchemeBox Box(1, 0, 0, 100, 50, 0);
    Box.SetPointsExtA(0, PointExt(10, 5));
    ExpectRect(Box, 10, 5, 90, 45);
    Box.SetPointsExtA(1, PointExt(60, 0));
    ExpectRect(Box, 10, 0, 50, 50);
    Box.SetPointsExtA(3, PointExt(0, 30));
    ExpectRect(Box, 0, 0, 60, 30);
    // Past the opposite corner: the far edge moves to keep the minimum.
    Box.SetPointsExtA(0, PointExt(100, 100));
    ExpectRect(Box, 100, 100, 4, 4);
    Box.SetPointsExtA(9, PointExt(0, 0));
    ExpectRect(Box, 100, 100, 4, 4);
}

TEST(Box, MoveKeepsTheSizeAndReportsCornersZeroAndTwo) {
    scheme::testing::FakeSchemeData Data;
    TSchemeLayer Layer(1);
    Layer.SetSchemeData(&Data);
    auto* Box = new TSchemeBox(1, 0, 0, 10, 10, 0);
    Layer.Add(Box);
    Data.Reset();
    Box->MoveToExt(PointExt(20, 0));
    ExpectRect(*Box, 20, 0, 10, 10);
    ASSERT_EQ(Data.Moves.size(), 2u);
    EXPECT_EQ(Data.Moves[0].Detail, 0);
    EXPECT_EQ(Data.Moves[0].DX, 20);
    EXPECT_EQ(Data.Moves[1].Detail, 2);
    EXPECT_EQ(Data.Moves[1].DX, 20);
}

TEST(Box, WidthAndHeightAreSetExactly) {
    TSchemeBox Box(1, 0.25L, 0.75L, 10, 10, 0);
    Box.SetWidth(20);
    EXPECT_EQ(Box.GetWidth(), 20);
    EXPECT_EQ(Box.GetPointsExt(2).Y, 10.75L);
    Box.SetHeight(5.5L);
    EXPECT_EQ(Box.GetHeight(), 5.5L);
    ExpectRect(Box, 0.25L, 0.75L, 20, 5.5L);
}

TEST(Box, ZoomRectTruncatesLeftTopAndRoundsRightBottom) {
    TSchemeBox Box(1, 1.7L, 2.9L, 10, 10, 0);  // right 11.7, bottom 12.9
    EXPECT_EQ(Box.GetZoomRect(1.0, 0), Rect(1, 2, 12, 13));
    TSchemeBox Half(1, 0, 0, 5, 4.5L, 0);  // at zoom 0.5: right 2.5, bottom 2.25
    EXPECT_EQ(Half.GetZoomRect(0.5, 0), Rect(0, 0, 2, 2));
}

TEST(Box, ClipRegionGrowsByWidePensOnly) {
    TSchemeBox Box(1, 10, 10, 20, 20, 0);
    EXPECT_EQ(RegionBounds(Box.GetClippingRegion(1.0, 0)), Rect(10, 10, 30, 30));
    Box.Pen()->SetWidth(3);
    EXPECT_EQ(RegionBounds(Box.GetClippingRegion(1.0, 0)), Rect(7, 7, 33, 33));
    // the selected pen measures a selected box
    Box.SetSelected(true);
    EXPECT_EQ(RegionBounds(Box.GetClippingRegion(1.0, 0)), Rect(10, 10, 30, 30));
}

TEST(Box, ClipRegionAddsHooks) {
    TSchemeBox Box(1, 10, 10, 20, 20, 0);
    Box.SetResized(true);
    EXPECT_EQ(RegionBounds(Box.GetClippingRegion(1.0, 0)), Rect(8, 8, 32, 32));
}

struct DragRow {
    const char* Name;
    friend void PrintTo(const DragRow& R, std::ostream* Os) { *Os << R.Name; }
    int Detail;
    Extended X, Y;
    Box4 Expected;
};

class BoxDrag : public ::testing::TestWithParam<DragRow> {};

TEST_P(BoxDrag, MovesTheGrabbedPart) {
    const DragRow& Row = GetParam();
    TSchemeBox Box(1, 0, 0, 100, 50, 0);
    Box.ChangePositionDetail(Row.X, Row.Y, Row.Detail, 0);
    ExpectRect(Box, Row.Expected.X, Row.Expected.Y, Row.Expected.W, Row.Expected.H);
}

INSTANTIATE_TEST_SUITE_P(
    Details, BoxDrag,
    ::testing::Values(DragRow{"Body", -1, 5, 7, {5, 7, 100, 50}},
                      DragRow{"UnknownDetailMovesTheBody", 7, 5, 5, {5, 5, 100, 50}},
                      DragRow{"TopLeft", 0, 10, 20, {10, 20, 90, 30}},
                      DragRow{"TopLeftPastTheMinimumStays", 0, 98, 48, {0, 0, 100, 50}},
                      DragRow{"TopRight", 1, 150, -10, {0, -10, 150, 60}},
                      DragRow{"BottomRight", 2, 150, 80, {0, 0, 150, 80}},
                      DragRow{"BottomRightPastTheLeftEdge", 2, -30, -30, {0, 0, 4, 4}},
                      DragRow{"BottomLeft", 3, 20, 70, {20, 0, 80, 70}},
                      DragRow{"TopSide", -2, 30, 10, {0, 10, 100, 40}},
                      DragRow{"TopSideAtTheMinimum", -2, 30, 46, {0, 46, 100, 4}},
                      DragRow{"TopSideCloserThanTheMinimumStays", -2, 30, 47, {0, 0, 100, 50}},
                      DragRow{"RightSide", -3, 120, 99, {0, 0, 120, 50}},
                      DragRow{"RightSidePastTheLeft", -3, -30, 0, {0, 0, 4, 50}},
                      DragRow{"BottomSide", -4, 0, 10, {0, 0, 100, 10}},
                      DragRow{"LeftSide", -5, -20, 99, {-20, 0, 120, 50}},
                      DragRow{"LeftSideAtTheMinimum", -5, 96, 0, {96, 0, 4, 50}},
                      DragRow{"LeftSideCloserThanTheMinimumStays", -5, 98, 0, {0, 0, 100, 50}}),
    [](const ::testing::TestParamInfo<DragRow>& Info) { return Info.param.Name; });

TEST(Box, DragDoesNotNotifyViewsButDoesReportThePoints) {
    scheme::testing::FakeSchemeData Data;
    TSchemeLayer Layer(1);
    Layer.SetSchemeData(&Data);
    auto* Box = new TSchemeBox(1, 0, 0, 100, 50, 0);
    Layer.Add(Box);
    Data.Reset();
    Box->ChangePositionDetail(150, 80, 2, 0);
    EXPECT_TRUE(Data.Repaints.empty());
    EXPECT_EQ(Data.Moves.size(), 2u);
}

struct HookRow {
    const char* Name;
    friend void PrintTo(const HookRow& R, std::ostream* Os) { *Os << R.Name; }
    Extended X, Y;
    bool Resized;
    bool Hit;
    int Detail;
};

class BoxHooks : public ::testing::TestWithParam<HookRow> {};

TEST_P(BoxHooks, FindCornersBeforeSidesBeforeTheBody) {
    const HookRow& Row = GetParam();
    TSchemeBox Box(1, 0, 0, 100, 50, 0);
    Box.SetResized(Row.Resized);
    Box.SetResizedPoint(3);
    Extended DX = 0, DY = 0;
    int Detail = 99;
    EXPECT_EQ(Box.PointInsideDetail(Row.X, Row.Y, DX, DY, Detail, 0), Row.Hit);
    EXPECT_EQ(Detail, Row.Detail);
    EXPECT_EQ(DX, Row.X);
    EXPECT_EQ(DY, Row.Y);
    // A corner hook becomes the active one; sides and the body leave it as it was.
    EXPECT_EQ(Box.ResizedPoint(), Row.Detail >= 0 ? Row.Detail : 3);
}

INSTANTIATE_TEST_SUITE_P(
    Presses, BoxHooks,
    ::testing::Values(HookRow{"NearTopLeftCorner", -1.9L, -1.9L, true, true, 0},
                      HookRow{"BeyondTheTopLeftHook", -3.1L, -1.9L, true, false, -1},
                      HookRow{"TopRightCorner", 101, 1, true, true, 1},
                      HookRow{"BottomRightCorner", 98.5L, 48.5L, true, true, 2},
                      HookRow{"BottomLeftCorner", 0, 50, true, true, 3},
                      HookRow{"AboveTheTopSide", 50, -1.5L, true, true, -2},
                      HookRow{"RightOfTheRightSide", 101.9L, 25, true, true, -3},
                      HookRow{"BelowTheBottomSide", 50, 51.9L, true, true, -4},
                      HookRow{"LeftOfTheLeftSide", -2, 25, true, true, -5},
                      HookRow{"InsideTheBody", 50, 25, true, true, -1},
                      HookRow{"OutsideWithoutHooks", -1, -1, false, false, -1},
                      HookRow{"SideWithoutHooksIsBody", 50, 0.5L, false, true, -1}),
    [](const ::testing::TestParamInfo<HookRow>& Info) { return Info.param.Name; });

TEST(BoxRecord, IsTheBaseRecordWithFourCorners) {
    TSchemeBox Box(7, 1, 2, 30, 40, 3);
    QStringList Strings;
    Box.SaveToStrings(Strings);
    EXPECT_EQ(Strings,
              Lines("  ID=7|  State=3|  Count=4|  X0=1|  Y0=2|  X1=31|  Y1=2|  X2=31|  Y2=42|"
                    "  X3=1|  Y3=42"));
    TSchemeBox Back(Strings);
    ExpectRect(Back, 1, 2, 30, 40);
    EXPECT_EQ(Back.TextPoint(), PointExt(1, 2));
}

TEST(BoxRecord, CountOtherThanFourIsRejected) {
    for (const char* Bad :
         {"ID=1|State=0", "ID=1|State=0|Count=2|X0=0|Y0=0|X1=5|Y1=5",
          "ID=1|State=0|Count=5|X0=0|Y0=0|X1=5|Y1=5|X2=0|Y2=0|X3=0|Y3=0|X4=0|Y4=0"}) {
        QStringList Strings = Lines(Bad);
        try {
            TSchemeBox Box(Strings);
            ADD_FAILURE() << Bad;
        } catch (const ESchemeErrorException& E) {
            EXPECT_TRUE(E.Message().startsWith(QStringLiteral("TSchemeBox : Count must be 4")))
                << Bad;
        }
    }
}

TEST(BoxRecord, InconsistentCornersSettleIntoAValidBox) {
    QStringList Strings =
        Lines("ID=1|State=0|Count=4|X0=10|Y0=10|X1=11|Y1=10|X2=11|Y2=11|X3=10|Y3=11");
    TSchemeBox Box(Strings);
    ExpectRect(Box, 10, 10, 4, 4);
}

TEST(BoxRecord, CaptionKeysStillApplyAfterTheCornersSettle) {
    QStringList Strings =
        Lines("ID=1|State=0|TextPoint.X=3|Count=4|X0=10|Y0=10|X1=30|Y1=10|X2=30|Y2=20|X3=10|Y3=20");
    TSchemeBox Box(Strings);
    EXPECT_EQ(Box.TextPoint(), PointExt(3, 10));
}
