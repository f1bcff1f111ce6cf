#include "editor_fixture.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/hint_window.h"

namespace scheme::testing {
namespace {

using EditorTest = EditingTest<TSchemeVisualEditor, TSchemeDataEditor>;

// ---- the body ------------------------------------------------------------------------------

struct TBodyRow {
    bool Grid;
    TPointExt FirstCorner;
};

class BodyDragTest : public EditorTest, public ::testing::WithParamInterface<TBodyRow> {};

TEST_P(BodyDragTest, TheCornerFollowsThePointerAndFollowersGetTheCornersOffset) {
    TSchemeShape* Box = AddBox(1, 10.25, 20.5, 40, 30);
    TSchemeShape* Follower = AddBox(2, 200, 100, 20, 20);
    Data->LinkAdd(Box, -1, Follower, -1);
    if (GetParam().Grid) {
        Data->AlignToGrid().SetDeltaX(10);
        Data->AlignToGrid().SetDeltaY(10);
        Data->AlignToGrid().SetEnabled(true);
    }
    int Changes = 0;
    Box->OnChange = [&](TObject*) { ++Changes; };
    Press(QPoint(30, 40));
    EXPECT_EQ(View->MovingObject(), Box);
    EXPECT_EQ(View->MovingDetail(), -1);
    EXPECT_EQ(View->MovingOffsetX(), 30 - 10.25L);
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);
    MoveTo(QPoint(35, 41));
    EXPECT_TRUE(View->Dragging());
    EXPECT_TRUE(Data->ObjectDragging());
    EXPECT_EQ(Box->GetPointsExt(0), GetParam().FirstCorner);
    const TPointExt Moved0 = {GetParam().FirstCorner.X - 10.25L, GetParam().FirstCorner.Y - 20.5L};
    EXPECT_EQ(Follower->GetPointsExt(0), PointExt(200 + Moved0.X, 100 + Moved0.Y));
    MoveTo(QPoint(62, 40));
    const TPointExt Corner = Box->GetPointsExt(0);
    EXPECT_EQ(Follower->GetPointsExt(0), PointExt(200 + Corner.X - 10.25L, 100 + Corner.Y - 20.5L));
    const int DuringDrag = Changes;
    Release(QPoint(62, 40));
    EXPECT_EQ(View->MovingObject(), nullptr);
    EXPECT_FALSE(Box->Moved());
    EXPECT_FALSE(Data->ObjectDragging());
    EXPECT_EQ(Changes, DuringDrag + 1);
}

INSTANTIATE_TEST_SUITE_P(Grid, BodyDragTest,
                         ::testing::Values(TBodyRow{false, {15.25, 21.5}},
                                           // Off the grid at first: the first offset is 9.75.
                                           TBodyRow{true, {20, 20}}));

// ---- box hooks -----------------------------------------------------------------------------

// The box (100, 80) - (180, 140) with its hooks shown; a follower hangs at the dragged part:
// the first point of a line for a corner, the facing side of a neighbour box for a side.
struct THookRow {
    int Detail;
    QPoint Press;
    QPoint To;
    Qt::CursorShape Cursor;
    TRect Box;
};

class BoxHookTest : public EditorTest, public ::testing::WithParamInterface<THookRow> {};

TEST_P(BoxHookTest, TheHookDragsItsPartAndTheFollowerStaysAttached) {
    const THookRow& Row = GetParam();
    TSchemeObject* Follower = nullptr;
    int ChildDetail = 0;
    if (Row.Detail >= 0) {
        const TPoint Corners[] = {{100, 80}, {180, 80}, {180, 140}, {100, 140}};
        const TPoint Line[] = {Corners[Row.Detail], {250, 190}};
        Follower = Add(std::make_unique<TSchemePolyline>(1, Line, 1, 0, QString(), Line[0]));
    } else {
        // Above, right of, below, left of the box, sharing the dragged side.
        const TRect Neighbours[] = {
            {120, 20, 160, 80}, {180, 90, 240, 130}, {120, 140, 160, 190}, {40, 90, 100, 130}};
        const TRect& N = Neighbours[-2 - Row.Detail];
        Follower = AddBox(1, N.Left, N.Top, N.Width(), N.Height());
        const int Facing[] = {-4, -5, -2, -3};
        ChildDetail = Facing[-2 - Row.Detail];
    }
    TSchemeShape* Box = AddBox(2, 100, 80, 80, 60);
    Box->SetResized(true);
    Data->LinkAdd(Box, Row.Detail, Follower, ChildDetail);
    Press(Row.Press);
    EXPECT_EQ(View->MovingDetail(), Row.Detail);
    EXPECT_EQ(Cursor(), Row.Cursor);
    MoveTo(Row.To);
    Release(Row.To);
    EXPECT_EQ(Rect(Box), Row.Box);
    if (Row.Detail >= 0) {
        EXPECT_EQ(Follower->GetPoints(0), Box->GetPoints(Row.Detail));
    } else {
        const TRect B = Rect(Box), F = Rect(Follower);
        const int Gaps[] = {B.Top - F.Bottom, F.Left - B.Right, F.Top - B.Bottom, B.Left - F.Right};
        EXPECT_EQ(Gaps[-2 - Row.Detail], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Hooks, BoxHookTest,
    ::testing::Values(THookRow{0, {100, 80}, {93, 75}, Qt::CrossCursor, {93, 75, 180, 140}},
                      THookRow{1, {180, 80}, {173, 75}, Qt::CrossCursor, {100, 75, 173, 140}},
                      THookRow{2, {180, 140}, {173, 135}, Qt::CrossCursor, {100, 80, 173, 135}},
                      THookRow{3, {100, 140}, {93, 135}, Qt::CrossCursor, {93, 80, 180, 135}},
                      THookRow{-2, {140, 80}, {145, 70}, Qt::SizeVerCursor, {100, 70, 180, 140}},
                      THookRow{-3, {180, 110}, {190, 115}, Qt::SizeHorCursor, {100, 80, 190, 140}},
                      THookRow{-4, {140, 140}, {145, 150}, Qt::SizeVerCursor, {100, 80, 180, 150}},
                      THookRow{-5, {100, 110}, {90, 115}, Qt::SizeHorCursor, {90, 80, 180, 140}}));

// ---- vertices ------------------------------------------------------------------------------

class VertexTest : public EditorTest, public ::testing::WithParamInterface<bool> {};

// The triangle (50, 20), (150, 20), (100, 150): its apex is dragged up to (100, 80).
TEST_P(VertexTest, ADraggedVertexRepaintsWhatTheObjectLeft) {
    const TPoint Points[] = {{50, 20}, {150, 20}, {100, 150}};
    TSchemePolygon* Obj = nullptr;
    if (GetParam())
        Obj = Add(std::make_unique<TSchemePolyline>(1, Points, 3, 0, QString(), Points[0]));
    else
        Obj = Data->ObjectAddPolygon(1, 1, Points, 0, TBrushStyle::bsSolid, QString(), Points[0]);
    Obj->SetResized(true);
    View->Refresh();
    // Inside the old triangle near its apex (polygon) or on its last segment (polyline).
    const QPoint Old = GetParam() ? QPoint(125, 85) : QPoint(100, 130);
    ASSERT_TRUE(RedAt(*View, Old.x(), Old.y()));
    Press(QPoint(100, 150));
    EXPECT_EQ(View->MovingDetail(), 2);
    MoveTo(QPoint(100, 80));
    EXPECT_EQ(Obj->GetPoints(2), (TPoint{100, 80}));
    EXPECT_FALSE(RedAt(*View, Old.x(), Old.y()));
    const QPoint New = GetParam() ? QPoint(125, 50) : QPoint(100, 60);
    EXPECT_TRUE(RedAt(*View, New.x(), New.y()));
    Release(QPoint(100, 80));
}

INSTANTIATE_TEST_SUITE_P(PolygonAndPolyline, VertexTest, ::testing::Bool());

// ---- when a press grabs --------------------------------------------------------------------

TEST_F(EditorTest, BelowMinZoomForResizeAHookPressMovesTheWholeObject) {
    const TPoint Points[] = {{40, 40}, {120, 40}, {80, 120}};
    TSchemePolygon* Obj =
        Data->ObjectAddPolygon(1, 1, Points, 0, TBrushStyle::bsSolid, QString(), Points[0]);
    Obj->SetResized(true);
    for (const Extended Zoom : {0.5L, 1.0L}) {
        View->SetZoom(Zoom);
        const QPoint Hook(Trunc(120 * Zoom), Trunc(40 * Zoom));
        Press(Hook);
        EXPECT_EQ(View->MovingDetail(), Zoom < 1 ? -1 : 1);
        EXPECT_EQ(Cursor(), Zoom < 1 ? Qt::DragMoveCursor : Qt::CrossCursor);
        Release(Hook);
    }
}

TEST_F(EditorTest, EditEnabledOffGrabsNothingWhileTheMouseEventsStillFire) {
    TSchemeShape* Box = AddBox(1, 20, 20, 40, 40);
    View->SetEditEnabled(false);
    QStringList Calls;
    View->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { Calls << "view"; };
    View->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { Calls << "view up"; };
    Data->OnMouseDown = [&](TObject*, TObject*, TMouseButton, TShiftState, TSchemeObject*) {
        Calls << "document";
    };
    Data->OnMouseUp = [&](TObject*, TObject*, TMouseButton, TShiftState, TSchemeObject*) {
        Calls << "document up";
    };
    Press(QPoint(30, 30));
    EXPECT_EQ(View->MovingObject(), nullptr);
    EXPECT_EQ(Cursor(), std::nullopt);
    MoveTo(QPoint(80, 80));
    Release(QPoint(30, 30));
    EXPECT_EQ(Box->GetPoints(0), (TPoint{20, 20}));
    EXPECT_EQ(Calls, (QStringList{"view", "document", "view up", "document up"}));
}

TEST_F(EditorTest, APressAndReleaseWithoutAMovePublishesNothingAndRefreshesNoView) {
    TSchemeShape* Box = AddBox(1, 20, 20, 40, 40);
    const std::unique_ptr<TSchemeVisualEditor> Other = NewView();
    QApplication::processEvents();
    int Changes = 0, Paints = 0;
    Box->OnChange = [&](TObject*) { ++Changes; };
    View->OnPaint = Other->OnPaint = [&](TObject*, TCanvas&) { ++Paints; };
    Press(QPoint(30, 30));
    EXPECT_EQ(View->MovingObject(), Box);
    Release(QPoint(30, 30));
    QApplication::processEvents();
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(Paints, 0);
}

TEST_F(EditorTest, TheRightButtonIsLeftToAContextMenu) {
    AddBox(1, 20, 20, 40, 40);
    for (const bool Menu : {true, false}) {
        View->setContextMenuPolicy(Menu ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
        Press(QPoint(30, 30), Qt::RightButton);
        EXPECT_EQ(View->MovingObject() != nullptr, !Menu);
        Release(QPoint(30, 30), Qt::RightButton);
    }
}

TEST_F(EditorTest, APressOfAFurtherButtonWhileHoldingIsIgnored) {
    TSchemeShape* First = AddBox(1, 20, 20, 40, 40);
    TSchemeShape* Second = AddBox(2, 150, 20, 40, 40);
    Press(QPoint(30, 30));
    MoveTo(QPoint(40, 30));
    Press(QPoint(160, 30), Qt::RightButton);
    EXPECT_EQ(View->MovingObject(), First);
    EXPECT_FALSE(Second->Moved());
    Release(QPoint(160, 30), Qt::RightButton);
    EXPECT_EQ(View->MovingObject(), First);
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);
    Release(QPoint(160, 30));
    EXPECT_EQ(View->MovingObject(), nullptr);
    EXPECT_FALSE(First->Moved());
}

TEST_F(EditorTest, ANewDragCursorShowsAtOnceOnlyWhileABodyIsHeld) {
    TSchemeShape* Box = AddBox(1, 20, 20, 40, 40);
    View->SetDragCursor(crHandPoint);
    EXPECT_EQ(Cursor(), std::nullopt);
    Press(QPoint(30, 30));
    EXPECT_EQ(Cursor(), Qt::PointingHandCursor);
    View->SetDragCursor(crSizeAll);
    EXPECT_EQ(Cursor(), Qt::SizeAllCursor);
    Release(QPoint(30, 30));
    Box->SetResized(true);
    Press(QPoint(20, 20));
    View->SetDragCursor(crDrag);
    EXPECT_EQ(Cursor(), Qt::CrossCursor);
    Release(QPoint(20, 20));
}

TEST_F(EditorTest, APlainDocumentIsRefused) {
    TSchemeData Plain;
    View->SetSchemeData(&Plain);
    EXPECT_EQ(View->SchemeData(), Data.get());
    TSchemeDataEditorCursor Cursor;
    View->SetSchemeData(&Cursor);
    EXPECT_EQ(View->SchemeData(), &Cursor);
}

// ---- followers -----------------------------------------------------------------------------

TEST_F(EditorTest, ChainFollowersMoveInThisViewDuringTheDragAndEverywhereAtTheRelease) {
    TSchemeShape* A = AddBox(1, 10, 10, 20, 20);
    TSchemeShape* B = AddBox(2, 10, 60, 20, 20);
    TSchemeShape* C = AddBox(3, 10, 110, 20, 20);
    Data->LinkAdd(A, -1, B, -1);
    Data->LinkAdd(B, -1, C, -1);
    const std::unique_ptr<TSchemeVisualEditor> Other = NewView();
    View->Refresh();
    Other->Refresh();
    Press(QPoint(20, 20));
    MoveTo(QPoint(120, 20));
    EXPECT_EQ(C->GetPoints(0), (TPoint{110, 110}));
    EXPECT_TRUE(RedAt(*View, 120, 120));
    EXPECT_FALSE(RedAt(*View, 20, 120));
    QApplication::processEvents();
    EXPECT_TRUE(RedAt(*Other, 20, 120));
    Release(QPoint(120, 20));
    EXPECT_TRUE(RedAt(*Other, 120, 120));
    EXPECT_FALSE(RedAt(*Other, 20, 120));
}

TEST_F(EditorTest, ALinkCycleEndsTheMoveAndTheBackstopEndsItWithLinkError) {
    TSchemeShape* A = AddBox(1, 10, 10, 20, 20);
    TSchemeShape* B = AddBox(2, 60, 10, 20, 20);
    Data->LinkAdd(A, -1, B, -1);
    Data->LinkAdd(B, -1, A, -1);
    Drag(QPoint(20, 20), QPoint(30, 20));
    EXPECT_EQ(B->GetPoints(0), (TPoint{70, 10}));
    EXPECT_TRUE(Errors.isEmpty());
    // A chain of more followers than one drag step may move.
    TSchemeObject* Parent = B;
    std::vector<TSchemeObject*> Chain;
    for (int I = 0; I < TSchemeData::kMaxLinkApplications + 1; ++I) {
        Chain.push_back(AddBox(10 + I, 200, 150, 4, 4));
        Data->LinkAdd(Parent, -1, Chain.back(), -1);
        Parent = Chain.back();
    }
    Press(QPoint(30, 20));
    MoveTo(QPoint(40, 20));
    EXPECT_EQ(Errors, QStringList{"Link ERROR!"});
    EXPECT_EQ(View->MovingObject(), A);
    EXPECT_TRUE(std::none_of(Chain.begin(), Chain.end(), [](auto* O) { return O->Moved(); }));
    Release(QPoint(40, 20));
    EXPECT_FALSE(A->Moved());
}

// ---- the end of a grab ---------------------------------------------------------------------

TEST_F(EditorTest, ErrorsOfAMoveKeepTheGrabAndErrorsOfTheReleaseEndIt) {
    TSchemeShape* Box = AddBox(1, 20, 20, 40, 40);
    Press(QPoint(30, 30));
    Box->OnChange = [](TObject*) { RaiseError(QStringLiteral("refused")); };
    MoveTo(QPoint(40, 30));
    EXPECT_EQ(View->MovingObject(), Box);
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);
    Release(QPoint(40, 30));
    EXPECT_EQ(Errors, (QStringList{"refused", "refused"}));
    EXPECT_EQ(View->MovingObject(), nullptr);
    EXPECT_FALSE(Box->Moved());
}

enum class TEnding { DestroyView, DetachDocument, FreeDocument, DeleteObject, DeleteLayer };

class GrabEndTest : public EditorTest, public ::testing::WithParamInterface<TEnding> {};

TEST_P(GrabEndTest, AGrabEndsWhenItsViewDocumentOrObjectGoes) {
    TSchemeShape* Box = AddBox(1, 20, 20, 40, 40);
    Press(QPoint(30, 30));
    MoveTo(QPoint(40, 30));
    ASSERT_EQ(Cursor(), Qt::DragMoveCursor);
    switch (GetParam()) {
        case TEnding::DestroyView:
            View.reset();
            break;
        case TEnding::DetachDocument:
            View->SetSchemeData(nullptr);
            break;
        case TEnding::FreeDocument:
            Data.reset();
            break;
        case TEnding::DeleteObject:
            delete Box;
            break;
        case TEnding::DeleteLayer:
            Data->LayerDelete(1);
            break;
    }
    EXPECT_EQ(Cursor(), std::nullopt);
    if (GetParam() == TEnding::DestroyView || GetParam() == TEnding::DetachDocument) {
        EXPECT_FALSE(Box->Moved());
    }
    if (Data) {
        EXPECT_FALSE(Data->ObjectDragging());
    }
    if (!View) return;
    EXPECT_EQ(View->MovingObject(), nullptr);
    Release(QPoint(40, 30));
}

INSTANTIATE_TEST_SUITE_P(Endings, GrabEndTest,
                         ::testing::Values(TEnding::DestroyView, TEnding::DetachDocument,
                                           TEnding::FreeDocument, TEnding::DeleteObject,
                                           TEnding::DeleteLayer));

TEST_F(EditorTest, NoHintsWhileDragging) {
    TSchemeShape* Box = AddBox(1, 20, 20, 40, 40);
    Box->SetHintString(QStringLiteral("a box"));
    View->SetShowHint(true);
    View->SetHintPause(0);
    QCursor::setPos(View->viewport()->mapToGlobal(QPoint(30, 30)));
    QApplication::processEvents();
    Press(QPoint(30, 30));
    MoveTo(QPoint(30, 31));
    View->HintTick();
    EXPECT_FALSE(View->HintWindow()->isVisible());
    Release(QPoint(30, 31));
    View->HintTick();
    EXPECT_TRUE(View->HintWindow()->isVisible());
    View->HideHintWindow();
}

}  // namespace
}  // namespace scheme::testing
