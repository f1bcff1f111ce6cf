#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPainter>
#include <chrono>

#include "fake_visual.h"
#include "qt_printers.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

using namespace scheme;
using scheme::testing::FakeVisual;

namespace {

// Two layers, each with a 20×20 box at (10, 10): object 1 in layer 1 and object 2 in layer 2.
struct TwoLayers : ::testing::Test {
    TwoLayers() {
        Data.SetTimerInterval(0);
        Data.LayerAdd(1);
        Data.LayerAdd(2);
        Data.ObjectAddShapeExt(1, 1, 10, 10, 20, 20, 0, TShapeType::stRectangle);
        Data.ObjectAddShapeExt(2, 2, 10, 10, 20, 20, 0, TShapeType::stRectangle);
        Data.AddSchemeVisualLink(&View);
    }
    ~TwoLayers() override { Data.RemoveSchemeVisualLink(&View); }

    TSchemeObject* Obj(int Layer, int Id) { return Data.GetLayer(Layer)->GetItem(Id); }

    TSchemeData Data;
    FakeVisual View;
};

}  // namespace

TEST_F(TwoLayers, HitTestRunsFromTheTopLayerDown) {
    EXPECT_EQ(Data.ObjectForPoint(15, 15, 0), Obj(2, 2));
    Obj(2, 2)->SetEnabled(false);
    EXPECT_EQ(Data.ObjectForPoint(15, 15, 0), Obj(1, 1));
    Obj(2, 2)->SetEnabled(true);
    Obj(2, 2)->SetVisible(false);  // the layer answers it; the document then looks lower
    EXPECT_EQ(Data.ObjectForPoint(15, 15, 0), Obj(1, 1));
    Data.GetLayer(2)->SetVisible(false);
    Obj(2, 2)->SetVisible(true);
    EXPECT_EQ(Data.ObjectForPoint(15, 15, 0), Obj(1, 1));
    EXPECT_EQ(Data.ObjectForPointWithCheckEnabled(15, 15, false, 0), Obj(2, 2));
    EXPECT_EQ(Data.ObjectForPoint(150, 150, 0), nullptr);
}

TEST_F(TwoLayers, PaintsLayersInOrderAndObjectsInTheirOrder) {
    std::vector<int> Order;
    Data.ObjectAddShapeExt(1, 3, 50, 50, 10, 10, 0, TShapeType::stRectangle);
    Data.SetDefaultDrawing(false);
    Data.OnObjectPaint = [&](TObject*, TObject* VisualSender, TSchemeObject* AObject, Extended,
                             TCanvas&, int) {
        EXPECT_EQ(VisualSender, nullptr);
        Order.push_back(AObject->Id());
    };
    QImage Image(10, 10, QImage::Format_RGB32);
    TCanvas Canvas(&Image);
    Data.GetLayer(1)->SetVisible(false);  // painting into a canvas does not test layers
    Data.PaintDirectInCanvas(Canvas, 0, 0, 1, 0);
    EXPECT_EQ(Order, (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(View.Refreshes, 1);  // from DefaultDrawing
}

TEST_F(TwoLayers, PaintIntoACanvasShiftsTheOriginAndRestoresIt) {
    QImage Image(100, 100, QImage::Format_RGB32);
    Image.fill(Qt::white);
    TCanvas Canvas(&Image);
    Canvas.SetWindowOrg(Point(3, 4));
    Data.PaintDirectInCanvas(Canvas, -10, -10, 1, 0);
    EXPECT_EQ(Canvas.WindowOrg(), Point(3, 4));
    Canvas.SetWindowOrg(Point(0, 0));
    Canvas.Painter()->end();
    EXPECT_NE(Image.pixel(0, 0), qRgb(255, 255, 255));  // the box at (10, 10) lands on (0, 0)
}

TEST_F(TwoLayers, UpdateModeSuppressesPaintingWithoutNesting) {
    EXPECT_FALSE(Data.BeginUpdate());
    EXPECT_TRUE(Data.BeginUpdate());
    Data.ObjectPaintDirect(Obj(1, 1));
    Data.ObjectRepaintDirect(Obj(1, 1));
    EXPECT_EQ(View.CanvasRequests, 0);
    EXPECT_TRUE(View.Invalid.isEmpty());
    Data.EndUpdate();
    EXPECT_FALSE(Data.Updating());
    Data.ObjectRepaintDirect(Obj(1, 1));
    EXPECT_FALSE(View.Invalid.isEmpty());
}

TEST_F(TwoLayers, RepaintsInvalidateTheAreaShiftedByTheOrigin) {
    View.Origin = Point(5, 5);
    Data.ObjectRepaintDirect(Obj(1, 1));
    EXPECT_EQ(RegionBounds(View.Invalid), Rect(5, 5, 25, 25));
    // A change erases the area announced before it, which holds the region.
    View.Invalid = QRegion();
    const TRect Before = Obj(1, 1)->Area().AtZoom(1);
    Obj(1, 1)->SetState(1);
    EXPECT_EQ(RegionBounds(View.Invalid),
              Rect(Before.Left - 5, Before.Top - 5, Before.Right - 5, Before.Bottom - 5));
}

TEST_F(TwoLayers, StateChangesCanBeVetoedOrReplaced) {
    int Calls = 0;
    Data.OnObjectStatusChange = [&](TObject*, int AIdLayer, int AIdObject, int AOldState,
                                    int& ANewState, bool& CanChange) {
        ++Calls;
        EXPECT_EQ(AIdLayer, 1);
        EXPECT_EQ(AIdObject, 1);
        EXPECT_EQ(AOldState, 0);  // the object's state before the change
        if (ANewState == 5) CanChange = false;
        if (ANewState == 6) ANewState = 7;
    };
    Data.SetObjectState(1, 1, 5);
    EXPECT_EQ(Data.GetObjectState(1, 1), 0);
    EXPECT_TRUE(View.Invalid.isEmpty());
    Data.SetObjectState(1, 1, 6);
    EXPECT_EQ(Data.GetObjectState(1, 1), 7);
    EXPECT_EQ(Calls, 2);
    Data.SetObjectStateDirect(nullptr, 3);
}

TEST_F(TwoLayers, LayerLookupsAndErrors) {
    EXPECT_THROW(Data.LayerDelete(9), ESchemeErrorException);
    EXPECT_EQ(Data.LayerCount(), 2);
    try {
        Data.GetLayer(9);
        FAIL();
    } catch (const ESchemeErrorException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("TSchemeControl : Index for layer not found!"));
    }
    TSchemeLayer* First = Data.GetLayer(1);
    Data.LayerAdd(1);  // a second layer with the same Id is accepted
    EXPECT_EQ(Data.GetLayer(1), First);
    EXPECT_EQ(Data.LayerCount(), 3);
    Data.LayerExchange(1, 2);
    EXPECT_EQ(Data.GetLayerIndex(0)->ID(), 2);
    EXPECT_THROW(Data.GetLayerIndex(7), EListError);
}

TEST_F(TwoLayers, AddingToAMissingLayerFailsAndLeavesTheObjectToTheCaller) {
    auto Box = std::make_unique<TSchemeBox>(9, 0, 0, 5, 5, 0);
    try {
        Data.ObjectAddDirect(42, Box.get());
        FAIL();
    } catch (const ESchemeErrorException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("TSchemeData : Can't add Scheme!"));
    }
    EXPECT_EQ(Box->Layer(), nullptr);
    EXPECT_THROW(Data.ObjectAddDirect(1, Obj(2, 2)), ESchemeErrorException);  // already in a layer
    EXPECT_THROW(Data.ObjectAddShapeExt(42, 1, 0, 0, 5, 5, 0, TShapeType::stCircle),
                 ESchemeErrorException);
}

TEST_F(TwoLayers, DeletingALinkedObjectEmptiesItsLinkSlots) {
    Data.LinkAdd(Obj(1, 1), -1, Obj(2, 2), -1);
    Data.LinkAdd(Obj(2, 2), 0, Obj(1, 1), 0);
    TSchemeObject* Other = Data.ObjectAddShapeExt(1, 3, 0, 0, 5, 5, 0, TShapeType::stRectangle);
    Data.LinkAdd(Other, -1, Obj(1, 1), -1);
    Data.ObjectDelete(2, 2);
    EXPECT_EQ(Data.LinkCount(), 3);
    EXPECT_EQ(Data.GetLink(0), nullptr);
    EXPECT_EQ(Data.GetLink(1), nullptr);
    EXPECT_EQ(Data.GetLink(2)->Parent(), Other);
    Data.LinkDelete(2);
    EXPECT_EQ(Data.GetLink(2), nullptr);
    Data.LinkClear();
    EXPECT_EQ(Data.LinkCount(), 0);
}

TEST_F(TwoLayers, MouseEventsFireOnlyOverObjects) {
    std::vector<TSchemeObject*> Downs;
    Data.OnMouseDown = [&](TObject* Sender, TObject* VisualSender, TMouseButton, TShiftState,
                           TSchemeObject* AObject) {
        EXPECT_EQ(Sender, &Data);
        EXPECT_EQ(VisualSender, &View);
        Downs.push_back(AObject);
    };
    Data.MouseDown(&View, TMouseButton::mbLeft, 0, 15, 15);
    Data.MouseDown(&View, TMouseButton::mbLeft, 0, 150, 150);
    EXPECT_EQ(Downs, std::vector<TSchemeObject*>{Obj(2, 2)});
}

TEST_F(TwoLayers, FindAsksEveryView) {
    FakeVisual Second;
    Data.AddSchemeVisualLink(&Second);
    Data.ObjectFind(1, 1);
    Data.RemoveSchemeVisualLink(&Second);
    EXPECT_EQ(View.Found, std::vector<TSchemeObject*>{Obj(1, 1)});
    EXPECT_EQ(Second.Found, std::vector<TSchemeObject*>{Obj(1, 1)});
}

// The old and the new box are invalidated, shifted by the origin: they hold the exact regions,
// and cost nothing to build.
TEST_F(TwoLayers, AMoveInvalidatesTheBoxesItLeftAndReached) {
    TSchemeObject* Moving = Data.ObjectAddShapeExt(1, 3, 40, 40, 30, 20, 0, TShapeType::stEllipse);
    const QRegion Left = Moving->GetClippingRegion(1, 0);
    const TSchemeArea Before = Moving->Area();
    View.Origin = Point(5, 5);
    View.Invalid = QRegion();
    Moving->MoveToExt(PointExt(150, 150));
    const QRegion Boxes =
        CreateRectRgnIndirect(Before.AtZoom(1)) + CreateRectRgnIndirect(Moving->Area().AtZoom(1));
    EXPECT_EQ(View.Invalid, OffsetRgn(Boxes, -5, -5));
    EXPECT_TRUE((Left - Boxes).isEmpty());
    EXPECT_TRUE((Moving->GetClippingRegion(1, 0) - Boxes).isEmpty());
}

TEST_F(TwoLayers, StateChangesOutsideALayerReportNoLayer) {
    TSchemeBox Loose(5, 0, 0, 10, 10, 0);
    int Layer = 0;
    Data.OnObjectStatusChange = [&](TObject*, int AIdLayer, int, int, int&, bool&) {
        Layer = AIdLayer;
    };
    Data.SetObjectStateDirect(&Loose, 2);
    EXPECT_EQ(Layer, -1);
    EXPECT_EQ(Loose.State(), 2);
}

TEST_F(TwoLayers, BlinkPassPaintsSelectedObjectsInThePhase) {
    Obj(2, 2)->SetSelected(true);
    const TColor States[] = {clLime};
    Data.GetLayer(2)->SetAllStateColors(States);
    Data.SetTimerInterval(0);  // a steady pass: selected colour
    EXPECT_EQ(QColor(View.Painted().pixel(15, 15)), QColor(Qt::blue));
    EXPECT_FALSE(Data.TimerRunning());
    View.Scrolling = true;
    const int Requests = View.CanvasRequests;
    Data.SetTimerInterval(0);  // again: the pass runs once more, but skips a scrolling view
    EXPECT_EQ(View.CanvasRequests, Requests);
}

TEST(Blinking, UnchangedIntervalKeepsARunningTimerButRestartsAStoppedOne) {
    TSchemeData Data;
    EXPECT_TRUE(Data.TimerRunning());
    EXPECT_EQ(Data.TimerInterval(), 100);
    Data.SetTimerInterval(100);
    EXPECT_TRUE(Data.TimerRunning());
    Data.SetTimerInterval(0);
    EXPECT_FALSE(Data.TimerRunning());
    Data.SetTimerInterval(0);
    EXPECT_FALSE(Data.TimerRunning());
    Data.SetTimerInterval(20);
    EXPECT_TRUE(Data.TimerRunning());
}

TEST(Blinking, TimerFlipsThePhaseOfVisibleLayers) {
    TSchemeData Data;
    Data.LayerAdd(1);
    FakeVisual View;
    Data.AddSchemeVisualLink(&View);
    // The first tick of the timer flips the phase. The wait is for that tick, however long a
    // busy machine takes to deliver it; the deadline only ends a test whose timer never fires.
    struct TTicks : QObject {
        int Count = 0;
        bool eventFilter(QObject*, QEvent* Event) override {
            Count += Event->type() == QEvent::Timer;
            return false;
        }
    } Ticks;
    Data.installEventFilter(&Ticks);
    ASSERT_TRUE(Data.GetLayer(1)->SelectionPhase());
    Data.SetTimerInterval(5);
    QDeadlineTimer HangGuard(std::chrono::minutes(5));
    while (Ticks.Count == 0 && !HangGuard.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    ASSERT_GE(Ticks.Count, 1) << "the timer never fired";
    EXPECT_EQ(Data.GetLayer(1)->SelectionPhase(), Ticks.Count % 2 == 0);
    Data.removeEventFilter(&Ticks);
    Data.RemoveSchemeVisualLink(&View);
}

TEST(Views, RegisterOnceInOrder) {
    TSchemeData Data;
    FakeVisual A, B;
    Data.AddSchemeVisualLink(&A);
    Data.AddSchemeVisualLink(nullptr);
    Data.AddSchemeVisualLink(&B);
    Data.AddSchemeVisualLink(&A);
    EXPECT_EQ(Data.VisualLinks(), (std::vector<ISchemeVisual*>{&A, &B}));
    Data.RepaintAllVisualControls(true);
    Data.RepaintAllVisualControls(false);
    EXPECT_EQ(A.PartialRepaints, 1);
    EXPECT_EQ(B.Refreshes, 1);
    Data.RemoveSchemeVisualLink(&A);
    EXPECT_EQ(Data.VisualLinks(), std::vector<ISchemeVisual*>{&B});
}

TEST(Polygons, AddedThroughTheDocument) {
    TSchemeData Data;
    Data.LayerAdd(1);
    const TPoint Points[] = {{0, 0}, {10, 0}, {10, 10}};
    TSchemePolygon* P = Data.ObjectAddPolygon(1, 4, Points, 2, TBrushStyle::bsCross,
                                              QStringLiteral("z"), Point(1, 1));
    EXPECT_EQ(P->Layer(), Data.GetLayer(1));
    EXPECT_EQ(P->Brush()->Style(), TBrushStyle::bsCross);
    EXPECT_EQ(
        Data.ObjectAddPolygonFromBuffer(1, 5, Points, 3, 0, TBrushStyle::bsSolid, QString(), 9)
            ->Count(),
        3);
}

TEST_F(TwoLayers, DeletingALayerFreesTheLinksOfItsObjectsOnly) {
    TSchemeObject* Other = Data.ObjectAddShapeExt(1, 3, 0, 0, 5, 5, 0, TShapeType::stRectangle);
    Data.LinkAdd(Obj(1, 1), -1, Obj(2, 2), -1);
    Data.LinkAdd(Obj(1, 1), -1, Other, -1);
    Data.LinkAdd(Obj(2, 2), 0, Other, 0);
    Data.LayerDelete(2);
    EXPECT_EQ(Data.GetLink(0), nullptr);
    ASSERT_NE(Data.GetLink(1), nullptr);
    EXPECT_EQ(Data.GetLink(1)->Child(), Other);
    EXPECT_EQ(Data.GetLink(2), nullptr);
    Data.ObjectDelete(1, 3);  // single deletions still free their links
    EXPECT_EQ(Data.GetLink(1), nullptr);
    Data.LayerClear();
    EXPECT_EQ(Data.LayerCount(), 0);
}

namespace {

// Whether every layer Id is found where a walk over the layer list finds it first.
void ExpectLayerLookupsAsTheList(const TSchemeData& Data, const char* After) {
    for (int Id = 0; Id < 8; ++Id) {
        int First = -1;
        for (int I = Data.LayerCount() - 1; I >= 0; --I)
            if (Data.GetLayerIndex(I)->ID() == Id) First = I;
        EXPECT_EQ(Data.LayerExists(Id), First >= 0) << After << ", Id " << Id;
        if (First >= 0)
            EXPECT_EQ(Data.GetListIndex(Id), First) << After << ", Id " << Id;
        else
            EXPECT_THROW(Data.GetListIndex(Id), ESchemeErrorException) << After << ", Id " << Id;
    }
}

}  // namespace

TEST(LayerIds, FoundByIdThroughEveryLayerOperation) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.History().SetEnabled(true);
    for (int Id : {1, 2, 1, 3, 2, 4}) Data.LayerAdd(Id);
    ExpectLayerLookupsAsTheList(Data, "adding");
    const int Rebuilds = Data.LayerIdIndexRebuilds();
    Data.LayerExchange(1, 3);
    ExpectLayerLookupsAsTheList(Data, "exchanging");
    Data.GetLayerIndex(4)->SetID(1);
    ExpectLayerLookupsAsTheList(Data, "a shared Id set");
    Data.GetLayerIndex(0)->SetID(5);
    ExpectLayerLookupsAsTheList(Data, "an Id set");
    TSchemeLayer::TSettings Settings = Data.GetLayerIndex(2)->Settings();
    Settings.ID = 6;
    Data.GetLayerIndex(2)->SetSettings(Settings);
    ExpectLayerLookupsAsTheList(Data, "settings");
    delete Data.SetLayerIndex(1, new TSchemeLayer(2));
    ExpectLayerLookupsAsTheList(Data, "a layer set");
    Data.LayerDelete(Data.GetLayerIndex(Data.LayerCount() - 1)->ID());
    ExpectLayerLookupsAsTheList(Data, "deleting the last");
    EXPECT_EQ(Data.LayerIdIndexRebuilds(), Rebuilds);
    // Layers taken out of the middle or put back there move the later ones.
    Data.History().Flush();
    Data.LayerDelete(2);
    ExpectLayerLookupsAsTheList(Data, "deleting in the middle");
    Data.History().Undo();
    ExpectLayerLookupsAsTheList(Data, "undoing the deletion");
    delete Data.GetLayerIndex(0);
    ExpectLayerLookupsAsTheList(Data, "freeing a layer");
    Data.LayerClear();
    ExpectLayerLookupsAsTheList(Data, "clearing");
    Data.LayerAdd(7);
    ExpectLayerLookupsAsTheList(Data, "adding after clearing");
}

// Every object placed by a load finds its layer by Id; a load of many layers must not walk
// the layer list for each.
TEST(LayerIds, LoadingAndFreeingManyLayersBuildNoTable) {
    QStringList Text{"TSchemeData", "End"};
    constexpr int kLayers = 3000;
    for (int I = 0; I < kLayers; ++I)
        Text << "TSchemeLayer" << QStringLiteral("ID=%1").arg(I) << "End";
    for (int I = kLayers; I-- > 0;)
        Text << QStringLiteral(
                    "TSchemeShape|ID=1|State=0|LayerID=%1|Count=4|X0=0|Y0=0|X1=5|Y1=0|"
                    "X2=5|Y2=5|X3=0|Y3=5|Shape=0|End")
                    .arg(I)
                    .split(QLatin1Char('|'));
    TSchemeData Data;
    Data.LoadFromStrings(Text);
    ASSERT_EQ(Data.LayerCount(), kLayers);
    EXPECT_EQ(Data.GetLayerIndex(1234)->Count(), 1);
    EXPECT_EQ(Data.GetLayer(2999)->GetItem(1)->Layer(), Data.GetLayerIndex(2999));
    Data.LayerClear();
    EXPECT_EQ(Data.LayerIdIndexRebuilds(), 0);
}
