// The view's gestures driven by real events: Ctrl+wheel and pinch zooms around the pointer,
// pans with the middle button and with Space and the left button, and zooming to fit.
#include <QGestureEvent>
#include <QScrollBar>
#include <QTest>
#include <cmath>

#include "editor_fixture.h"
#include "scheme/platform/exceptions.h"
#include "view_fixture.h"

namespace scheme::testing {
namespace {

// ---- zoom around the pointer ---------------------------------------------------------------

// A base view over a picture large enough that the scroll range never stops a zoom that keeps
// the pointer's point (zooms 0.26 to 3.8 at the pointers below); errors are recorded.
class ZoomGestureTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        SetPicture(2000, 1500);
        Previous = SetExceptionHandler(
            [this](const std::exception& E) { Errors << QString::fromUtf8(E.what()); });
    }
    void TearDown() override { SetExceptionHandler(Previous); }

    void Wheel(QPoint P, int Delta, Qt::KeyboardModifiers Keys = Qt::ControlModifier) {
        QWidget* Client = View->viewport();
        QWheelEvent E(QPointF(P), QPointF(Client->mapToGlobal(P)), QPoint(), QPoint(0, Delta),
                      Qt::NoButton, Keys, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Client, &E);
    }
    // Scrolls so that the world point W is under the client pixel P at zoom 1.
    void PutUnder(QPoint W, QPoint P) {
        View->SetZoom(1);
        View->horizontalScrollBar()->setValue(W.x() - P.x());
        View->verticalScrollBar()->setValue(W.y() - P.y());
    }
    // How far, in client pixels, the world point W has moved away from the client pixel P.
    double Drift(QPoint W, QPoint P) const {
        Extended X = P.x(), Y = P.y();
        View->TransformZoomAndOriginXYExt(X, Y);
        return double(std::hypot(X - W.x(), Y - W.y()) * View->Zoom());
    }

    QStringList Errors;
    TExceptionHandler Previous;
};

TEST_F(ZoomGestureTest, CtrlWheelKeepsThePointUnderThePointerAtEveryStep) {
    const struct {
        QPoint Pointer, World;
    } Rows[] = {{{20, 20}, {500, 440}}, {{150, 100}, {1000, 750}}, {{280, 180}, {1500, 1050}}};
    // Six notches in, twelve out, six in again.
    const int Steps[] = {6, -12, 6};
    for (const auto& Row : Rows) {
        PutUnder(Row.World, Row.Pointer);
        int Notch = 0;
        for (int Run : Steps)
            for (int I = 0; I < std::abs(Run); ++I) {
                Wheel(Row.Pointer, Run > 0 ? 120 : -120);
                Notch += Run > 0 ? 1 : -1;
                SCOPED_TRACE(::testing::Message() << "pointer " << Row.Pointer.x() << ","
                                                  << Row.Pointer.y() << " notch " << Notch);
                EXPECT_NEAR(double(View->Zoom()), std::pow(1.25, Notch), 1e-9);
                EXPECT_LE(Drift(Row.World, Row.Pointer), 1.0);
            }
    }
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(ZoomGestureTest, WheelStepsFollowTheFactorAndStopAtTheLimitsWithoutAnError) {
    const struct {
        const char* Name;
        Extended Factor;
        int Delta;
        int Events;
        Qt::KeyboardModifiers Keys;
        Extended Zoom;
    } Rows[] = {
        {"UpToTheLargest", 1.25, 120, 30, Qt::ControlModifier, TSchemeVisual::kMaxZoom},
        {"DownToTheSmallest", 1.25, -120, 30, Qt::ControlModifier, TSchemeVisual::MinZoom()},
        {"PartialDeltasMakeOneNotch", 1.25, 10, 12, Qt::ControlModifier, 1.25},
        {"TheApplicationsFactor", 2, 120, 2, Qt::ControlModifier, 4},
        {"WithoutCtrlItScrolls", 1.25, -120, 1, Qt::NoModifier, 1},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        PutUnder({150, 100}, {150, 100});
        View->SetWheelZoomFactor(Row.Factor);
        for (int I = 0; I < Row.Events; ++I) Wheel({150, 100}, Row.Delta, Row.Keys);
        EXPECT_NEAR(double(View->Zoom()), double(Row.Zoom), 1e-12);
        if (Row.Keys == Qt::NoModifier) {
            EXPECT_GT(View->OriginY(), 0);
        }
    }
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
    for (Extended Refused : {1.0L, 0.5L, Extended(NAN)})
        EXPECT_THROW(View->SetWheelZoomFactor(Refused), ESchemeErrorException);
    EXPECT_EQ(View->WheelZoomFactor(), 1.25L);
}

TEST_F(ZoomGestureTest, PinchesZoomAroundTheirCentre) {
    const QPoint Centre(200, 60), World(1000, 700);
    QWidget* Client = View->viewport();
    const std::function<void()> Pinches[] = {
        [&] {
            QNativeGestureEvent E(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(),
                                  2, QPointF(Centre), QPointF(Centre),
                                  QPointF(Client->mapToGlobal(Centre)), 0.5, QPointF());
            QApplication::sendEvent(Client, &E);
        },
        [&] {
            QPinchGesture Pinch;
            Pinch.setChangeFlags(QPinchGesture::ScaleFactorChanged);
            Pinch.setScaleFactor(1.5);
            Pinch.setCenterPoint(QPointF(Client->mapToGlobal(Centre)));
            QGestureEvent E({&Pinch});
            QApplication::sendEvent(Client, &E);
        },
    };
    for (const auto& Pinch : Pinches) {
        PutUnder(World, Centre);
        Pinch();
        EXPECT_DOUBLE_EQ(double(View->Zoom()), 1.5);
        EXPECT_LE(Drift(World, Centre), 1.0);
    }
}

// ---- panning -------------------------------------------------------------------------------

// An editing view over a picture of 1000 x 800, scrolled to (200, 200), with a box under the
// press point; the view's own mouse events and its reports are counted.
class PanTest : public EditingTest<TSchemeVisualEditor, TSchemeDataEditor> {
protected:
    void SetUp() override {
        EditingTest::SetUp();
        QImage Image(1000, 800, QImage::Format_RGB32);
        Image.fill(Qt::white);
        auto Bitmap = std::make_unique<TBitmap>();
        Bitmap->SetImage(Image);
        View->Picture().TakeGraphic(std::move(Bitmap));
        View->horizontalScrollBar()->setValue(200);
        View->verticalScrollBar()->setValue(200);
        AddBox(1, 280, 260, 60, 40);
        Data->SaveToStrings(Before);
        View->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++Calls; };
        View->OnMouseUp = View->OnMouseDown;
        View->OnMouseMove = [this](TObject*, TShiftState, int, int) { ++Calls; };
        View->OnClipRectChange = [this](TObject*, const TRect&, const TRect&, TClipRectChangeType) {
            ++Reports;
        };
    }
    std::optional<Qt::CursorShape> ClientCursor() const {
        QWidget* Client = View->viewport();
        if (!Client->testAttribute(Qt::WA_SetCursor)) return std::nullopt;
        return Client->cursor().shape();
    }
    TPoint Origin() const { return TPoint{View->OriginX(), View->OriginY()}; }

    QStringList Before;
    int Calls = 0;
    int Reports = 0;
};

TEST_F(PanTest, DraggingMovesTheViewWithThePointerAndGrabsNothing) {
    const struct {
        const char* Name;
        Qt::MouseButton Button;
        bool Space;
    } Rows[] = {{"Middle", Qt::MiddleButton, false}, {"SpaceAndLeft", Qt::LeftButton, true}};
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        View->horizontalScrollBar()->setValue(200);
        View->verticalScrollBar()->setValue(200);
        Calls = Reports = 0;
        if (Row.Space) {
            QTest::keyPress(View.get(), Qt::Key_Space);
            EXPECT_EQ(ClientCursor(), Qt::OpenHandCursor);
        }
        Press({100, 80}, Row.Button);
        EXPECT_TRUE(View->Panning());
        EXPECT_EQ(ClientCursor(), Qt::ClosedHandCursor);
        // The pointer's point stays under it: the origin moves against the pointer.
        for (QPoint P : {QPoint(40, 30), QPoint(130, 150), QPoint(10, 5)}) {
            MoveTo(P);
            EXPECT_EQ(Origin(), (TPoint{200 + 100 - P.x(), 200 + 80 - P.y()}));
            EXPECT_EQ(View->MovingObject(), nullptr);
        }
        EXPECT_EQ(Reports, 0);
        Release({10, 5}, Row.Button);
        EXPECT_FALSE(View->Panning());
        EXPECT_FALSE(View->IsScrolling());
        // Both axes moved: the strip of each is reported.
        EXPECT_EQ(Reports, 2);
        if (Row.Space) {
            EXPECT_EQ(ClientCursor(), Qt::OpenHandCursor);
            QTest::keyRelease(View.get(), Qt::Key_Space);
        }
        EXPECT_EQ(ClientCursor(), std::nullopt);
        EXPECT_EQ(Calls, 0) << "a pan reached the view's mouse handlers";
        QStringList After;
        Data->SaveToStrings(After);
        EXPECT_EQ(After, Before);
    }
}

TEST_F(PanTest, APanEndsCleanlyWhenTheFocusOrTheDocumentGoes) {
    const struct {
        const char* Name;
        std::function<void()> End;
        int Reports;  // a document that goes may be taking the application with it
    } Rows[] = {
        {"FocusOut",
         [this] {
             QFocusEvent E(QEvent::FocusOut);
             QApplication::sendEvent(View.get(), &E);
         },
         2},
        {"DocumentDetached", [this] { View->SetSchemeData(nullptr); }, 0},
        {"DocumentFreed", [this] { Data.reset(); }, 0},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        View->SetSchemeData(Data.get());
        Calls = Reports = 0;
        const TPoint Start = Origin();
        Press({100, 80}, Qt::MiddleButton);
        MoveTo({90, 60});
        Row.End();
        EXPECT_FALSE(View->Panning());
        EXPECT_FALSE(View->IsScrolling());
        EXPECT_EQ(ClientCursor(), std::nullopt);
        EXPECT_EQ(Reports, Row.Reports);
        // The rest of the press goes nowhere.
        Release({50, 50}, Qt::MiddleButton);
        EXPECT_EQ(Origin(), (TPoint{Start.X + 10, Start.Y + 20}));
        EXPECT_EQ(Calls, 0);
    }
}

// ---- zoom to fit ---------------------------------------------------------------------------

TEST_F(ZoomGestureTest, ZoomToFitShowsEveryObjectAtTheLargestZoomThatHoldsThem) {
    struct TBox {
        Extended X, Y, Width, Height;
    };
    const struct {
        const char* Name;
        std::vector<TBox> Boxes;
        bool HiddenFarBox;
    } Rows[] = {
        {"Empty", {}, false},
        {"TinyTakesTheLargestZoom", {{500, 400, 20, 10}}, false},
        {"Cluster", {{300, 300, 100, 50}, {450, 380, 40, 40}}, false},
        {"SpreadZoomsOut", {{300, 300, 50, 50}, {1400, 1000, 100, 100}}, false},
        {"HiddenLayersDoNotCount", {{600, 500, 80, 60}}, true},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        Data.LayerClear();
        Data.LayerAdd(1);
        std::vector<TSchemeShape*> Shown;
        for (const TBox& B : Row.Boxes)
            Shown.push_back(AddBox(int(Shown.size()) + 1, B.X, B.Y, B.Width, B.Height));
        if (Row.HiddenFarBox) {
            Data.LayerAdd(2)->SetVisible(false);
            Data.ObjectAddShapeExt(2, 1, 1800, 1300, 50, 50, 0, TShapeType::stRectangle);
        }
        PutUnder({400, 300}, {0, 0});
        View->SetZoom(2);
        const TPoint Origin{View->OriginX(), View->OriginY()};
        View->ZoomToFit();
        if (Shown.empty()) {
            EXPECT_EQ(View->Zoom(), 2);
            EXPECT_EQ((TPoint{View->OriginX(), View->OriginY()}), Origin);
            continue;
        }
        TRect All = Shown[0]->GetBoundsRect(View->Zoom(), 0);
        for (TSchemeShape* Obj : Shown) {
            TRect R = Obj->GetBoundsRect(View->Zoom(), 0);
            All = UnionRect(All, R);
            OffsetRect(R, -View->OriginX(), -View->OriginY());
            EXPECT_EQ(IntersectRect(R, TRect{0, 0, 300, 200}), R) << "not inside the client area";
        }
        const int Margin = 2 * TSchemeVisual::kFitMargin + 2;
        EXPECT_TRUE(View->Zoom() == TSchemeVisual::kMaxZoom || All.Width() >= 300 - Margin ||
                    All.Height() >= 200 - Margin)
            << "zoom " << double(View->Zoom()) << " leaves room";
    }
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

}  // namespace
}  // namespace scheme::testing
