#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <vector>

#include "scheme/platform/exceptions.h"
#include "view_fixture.h"

namespace scheme::testing {
namespace {

struct Report {
    TRect NewRect;
    TRect OldRect;
    TClipRectChangeType Type;
};

class ZoomScrollTest : public ViewTest {
protected:
    void Record() {
        View->OnClipRectChange = [this](TObject*, const TRect& New, const TRect& Old,
                                        TClipRectChangeType Type) {
            Reports.push_back({New, Old, Type});
        };
    }
    std::vector<Report> Reports;
};

TEST_F(ZoomScrollTest, ZoomLimitsAreExclusiveOfOneTenthAndInclusiveOfTen) {
    for (Extended Z : {10.0L, 0.1001L}) {
        View->SetZoom(Z);
        EXPECT_EQ(View->Zoom(), Z);
    }
    View->SetZoom(2);
    SetPicture(100, 100);
    const int MaxBefore = View->HorzMax();
    for (Extended Z : {10.0001L, 0.1L, 0.0L, -1.0L}) {
        try {
            View->SetZoom(Z);
            ADD_FAILURE() << "zoom " << double(Z) << " accepted";
        } catch (const ESchemeErrorException& E) {
            EXPECT_EQ(E.Message(), QStringLiteral("Zoom ?"));
        }
        EXPECT_EQ(View->Zoom(), 2);
        EXPECT_EQ(View->HorzMax(), MaxBefore);
    }
}

// One tenth as a double lies a little above 0.1L: it and every zoom that rounds to it are
// refused as 0.1L is; the next doubles above are taken.
TEST_F(ZoomScrollTest, ZoomOfOneTenthIsRefusedAsWhicheverTypeGivesIt) {
    const Extended Tenth = Extended(0.1);
    const Extended Above = Extended(std::nextafter(0.1, 1.0));
    const struct {
        Extended Zoom;
        bool Taken;
    } Cases[] = {
        {0.1L, false},
        {Tenth, false},
        {(0.1L + Tenth) / 2, false},                  // between the two, rounds to the double
        {std::nextafter(Tenth, Extended(1)), false},  // above the double, still rounds to it
        {Above, true},
        {std::nextafter(10.0L, Extended(0)), true},
    };
    for (const auto& C : Cases) {
        View->SetZoom(2);
        bool Taken = true;
        try {
            View->SetZoom(C.Zoom);
        } catch (const ESchemeErrorException& E) {
            Taken = false;
            EXPECT_EQ(E.Message(), QStringLiteral("Zoom ?"));
        }
        EXPECT_EQ(Taken, C.Taken) << double(C.Zoom);
        EXPECT_EQ(View->Zoom(), C.Taken ? C.Zoom : 2.0L) << double(C.Zoom);
    }
}

TEST_F(ZoomScrollTest, ZoomReportsTheOldAreaAtTheOldZoomAndTheNewAtTheNew) {
    Record();
    View->SetZoom(1);
    EXPECT_TRUE(Reports.empty());
    View->SetZoom(2);
    ASSERT_FALSE(Reports.empty());
    const Report& R = Reports.back();
    EXPECT_EQ(R.Type, TClipRectChangeType::vcZoomIn);
    EXPECT_EQ(R.OldRect, (TRect{0, 0, 300, 200}));
    EXPECT_EQ(R.NewRect, (TRect{0, 0, 150, 100}));
    View->SetZoom(1.5);
    EXPECT_EQ(Reports.back().Type, TClipRectChangeType::vcZoomOut);
}

TEST_F(ZoomScrollTest, RangesAndStepsFollowThePictureAndTheClient) {
    EXPECT_EQ(View->HorzMax(), 100);
    EXPECT_EQ(View->VertMax(), 100);
    EXPECT_EQ(View->LineStep(), 1);
    EXPECT_EQ(View->PageStep(), 10);
    SetPicture(1000, 800);
    View->SetZoom(2);
    EXPECT_EQ(View->HorzMax(), 1700);
    EXPECT_EQ(View->VertMax(), 1400);
    EXPECT_EQ(View->LineStep(), 17);
    EXPECT_EQ(View->PageStep(), 170);
    EXPECT_EQ(View->horizontalScrollBar()->maximum(), 1700);
    EXPECT_EQ(View->verticalScrollBar()->maximum(), 1400);
    EXPECT_EQ(View->verticalScrollBar()->pageStep(), 170);
}

TEST_F(ZoomScrollTest, ScrollBarRequestsMoveTheOriginAndReportTheStripThatCameIntoView) {
    SetPicture(1000, 800);
    View->SetZoom(2);
    Record();
    QScrollBar* Bar = View->horizontalScrollBar();
    Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(View->OriginX(), 170);
    EXPECT_FALSE(View->IsScrolling());
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Type, TClipRectChangeType::vcHorz);
    // Client 300 pixels wide: zoomed pixels 300 .. 470 came into view, world 150 .. 235.
    EXPECT_EQ(Reports[0].NewRect, (TRect{150, 0, 235, 100}));
    EXPECT_EQ(Reports[0].OldRect, (TRect{0, 0, 150, 100}));
    Bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(View->OriginX(), 153);
    // Moved left: zoomed 153 .. 170.
    EXPECT_EQ(Reports.back().NewRect, (TRect{76, 0, 85, 100}));
    Bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(View->OriginX(), 1700);
    View->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(View->OriginY(), 170);
    EXPECT_EQ(Reports.back().Type, TClipRectChangeType::vcVert);
}

// While a button is held on a bar the content follows at once, and the gesture is reported
// once, at the release.
TEST_F(ZoomScrollTest, AHeldBarScrollsTheContentAtOnceAndReportsAtTheRelease) {
    SetPicture(1000, 800);
    View->SetZoom(2);
    AddBox(1, 160, 10, 20, 20);
    Record();
    QScrollBar* Bar = View->horizontalScrollBar();
    const QPoint PageArea(Bar->width() - Bar->height() - 4, Bar->height() / 2);
    QTest::mousePress(Bar, Qt::LeftButton, {}, PageArea);
    EXPECT_EQ(View->OriginX(), 170);
    EXPECT_TRUE(View->IsScrolling());
    EXPECT_TRUE(Reports.empty());
    const QImage During = View->viewport()->grab().toImage();
    EXPECT_EQ(During.pixel(2 * 170 - 170 + 5, 25), Rgb(kObjectColor));
    QTest::mouseRelease(Bar, Qt::LeftButton, {}, PageArea);
    EXPECT_FALSE(View->IsScrolling());
    EXPECT_EQ(Reports.size(), 1u);
}

TEST_F(ZoomScrollTest, CentringClampsAtTheRangeAndTheCentreIsReadInWorldUnits) {
    View->SetZoom(2);
    EXPECT_EQ(View->GetCenterPoint(), (TPoint{75, 50}));
    SetPicture(1000, 800);
    View->SetCenterToPoint(TPoint{500, 400});
    EXPECT_EQ(View->OriginX(), 1000 - 150);
    EXPECT_EQ(View->OriginY(), 800 - 100);
    EXPECT_EQ(View->GetCenterPoint(), (TPoint{500, 400}));
    View->SetCenterToPoint(TPoint{990, 790});
    EXPECT_EQ(View->OriginX(), 1700);
    EXPECT_EQ(View->OriginY(), 1400);
    View->SetCenterToPoint(TPoint{3, 3});
    EXPECT_EQ(View->OriginX(), 0);
    EXPECT_EQ(View->OriginY(), 0);
}

TEST_F(ZoomScrollTest, FindObjectScrollsOnlyWhenTheCentreIsOutOfView) {
    SetPicture(1000, 800);
    TSchemeShape* Near = AddBox(1, 10, 10, 20, 20);
    TSchemeShape* Far = AddBox(2, 700, 600, 20, 20);
    View->FindObjectDirect(Near);
    EXPECT_EQ(View->OriginX(), 0);
    EXPECT_EQ(View->FindObject(1, 2), Far);
    TPoint Centre;
    Far->GetOriginPoint(Centre, 0);
    EXPECT_EQ(View->OriginX(), Centre.X - 150);
    EXPECT_EQ(View->OriginY(), Centre.Y - 100);
    Near->SetVisible(false);
    View->FindObjectDirect(Near);
    EXPECT_EQ(View->OriginX(), Centre.X - 150);
}

TEST_F(ZoomScrollTest, TransformsTurnClientPixelsIntoWorldUnits) {
    SetPicture(1000, 800);
    View->SetZoom(4);
    View->SetCenterToPoint(TPoint{100, 100});
    int X = 10, Y = 7;
    View->TransformZoomAndOriginXY(X, Y);
    EXPECT_EQ(X, (View->OriginX() + 10) / 4);
    EXPECT_EQ(Y, (View->OriginY() + 7) / 4);
    Extended EX = 10, EY = 7;
    View->TransformZoomAndOriginXYExt(EX, EY);
    EXPECT_DOUBLE_EQ(double(EX), (View->OriginX() + 10) / 4.0);
    EXPECT_DOUBLE_EQ(double(EY), (View->OriginY() + 7) / 4.0);
}

TEST_F(ZoomScrollTest, AttachingMovesTheViewBetweenDocumentsAndFreeingEitherSideDetaches) {
    auto Other = std::make_unique<TSchemeData>();
    View->SetSchemeData(&Data);
    EXPECT_EQ(Data.VisualLinks().size(), 1u);
    View->SetSchemeData(Other.get());
    EXPECT_TRUE(Data.VisualLinks().empty());
    ASSERT_EQ(Other->VisualLinks().size(), 1u);
    Other.reset();
    EXPECT_EQ(View->SchemeData(), nullptr);
    View->SetSchemeData(&Data);
    View.reset();
    EXPECT_TRUE(Data.VisualLinks().empty());
}

}  // namespace
}  // namespace scheme::testing
