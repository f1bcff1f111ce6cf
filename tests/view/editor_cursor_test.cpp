#include "editor_fixture.h"
#include "scheme/platform/exceptions.h"

namespace scheme::testing {
namespace {

class DragDropTest : public EditingTest<TSchemeVisualEditorCursor, TSchemeDataEditorCursor> {
protected:
    void SetUp() override {
        EditingTest::SetUp();
        Box = AddBox(1, 20, 20, 40, 40);
    }
    // Records every event; CanDrop refuses the drop right of x = 150 (world units).
    void Record() {
        Data->OnObjectStartDrag = [this](TObject* Sender, TObject* Visual, TShiftState,
                                         TSchemeObject* Obj, Extended X, Extended Y, Extended OX,
                                         Extended OY, bool& Enabled) {
            EXPECT_EQ(Sender, static_cast<TObject*>(Data.get()));
            EXPECT_EQ(Visual, static_cast<TObject*>(View.get()));
            EXPECT_EQ(Obj, Box);
            Calls << QStringLiteral("start %1,%2 %3,%4")
                         .arg(double(X))
                         .arg(double(Y))
                         .arg(double(OX))
                         .arg(double(OY));
            Enabled = StartAllowed;
        };
        Data->OnObjectCanDrop = [this](TObject*, TObject*, TShiftState, TSchemeObject*, Extended X,
                                       Extended Y, Extended, Extended, bool& Enabled) {
            Calls << QStringLiteral("can %1,%2").arg(double(X)).arg(double(Y));
            Enabled = X <= 150;
        };
        Data->OnObjectBeforeDragDrop = [this](TObject*, TObject*, TShiftState, TSchemeObject*,
                                              Extended X, Extended Y, Extended, Extended,
                                              bool& Enabled) {
            Calls << QStringLiteral("before %1,%2").arg(double(X)).arg(double(Y));
            Enabled = DropAllowed;
        };
        Data->OnObjectAfterDragDrop = [this](TObject*, TObject*, TShiftState, TSchemeObject*,
                                             Extended X, Extended Y, Extended, Extended) {
            Calls << QStringLiteral("after %1,%2").arg(double(X)).arg(double(Y));
        };
    }

    TSchemeShape* Box = nullptr;
    QStringList Calls;
    bool StartAllowed = true;
    bool DropAllowed = true;
};

TEST_F(DragDropTest, WithoutHandlersTheBodyLandsAtTheReleaseAndEveryViewIsRefreshed) {
    const std::unique_ptr<TSchemeVisualEditorCursor> Other = NewView();
    TSchemeShape* Follower = AddBox(2, 200, 20, 20, 20);
    Data->LinkAdd(Box, -1, Follower, -1);
    int Paints = 0;
    Other->OnPaint = [&](TObject*, TCanvas&) { ++Paints; };
    Press(QPoint(30, 35));
    MoveTo(QPoint(80, 60));
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);
    EXPECT_EQ(Box->GetPoints(0), (TPoint{20, 20}));
    EXPECT_FALSE(Data->ObjectDragging());
    Release(QPoint(90, 70));
    EXPECT_EQ(Box->GetPoints(0), (TPoint{80, 55}));
    EXPECT_EQ(Follower->GetPoints(0), (TPoint{260, 55}));
    EXPECT_GT(Paints, 0);
    EXPECT_TRUE(RedAt(*Other, 100, 80));
    EXPECT_FALSE(Box->Moved());
    // A hook reshapes live.
    Box->SetResized(true);
    Press(QPoint(120, 95));
    MoveTo(QPoint(130, 105));
    EXPECT_EQ(View->MovingDetail(), 2);
    EXPECT_EQ(Box->GetPoints(2), (TPoint{130, 105}));
    Release(QPoint(130, 105));
}

TEST_F(DragDropTest, AVetoedStartCapturesNothing) {
    Record();
    StartAllowed = false;
    Press(QPoint(30, 35));
    EXPECT_EQ(View->MovingObject(), nullptr);
    EXPECT_EQ(Cursor(), std::nullopt);
    EXPECT_FALSE(Box->Moved());
    MoveTo(QPoint(80, 60));
    Release(QPoint(80, 60));
    EXPECT_EQ(Calls, QStringList{"start 30,35 10,15"});
    EXPECT_EQ(Box->GetPoints(0), (TPoint{20, 20}));
}

TEST_F(DragDropTest, WhereTheDropIsRefusedThePointerSaysSoAndTheReleaseDropsNothing) {
    Record();
    Press(QPoint(30, 35));
    MoveTo(QPoint(160, 60));
    EXPECT_FALSE(View->DropAllowed());
    EXPECT_EQ(Cursor(), Qt::ForbiddenCursor);
    Release(QPoint(160, 60));
    EXPECT_EQ(Calls, (QStringList{"start 30,35 10,15", "can 160,60"}));
    EXPECT_EQ(Box->GetPoints(0), (TPoint{20, 20}));
    EXPECT_FALSE(View->DropAllowed());
    // The next grab shows its own cursor, not the refusal of the last drop.
    Press(QPoint(30, 35));
    EXPECT_TRUE(View->DropAllowed());
    EXPECT_EQ(Cursor(), Qt::DragMoveCursor);
    Release(QPoint(30, 35));
}

TEST_F(DragDropTest, AVetoedDropLeavesTheObjectButStillReportsTheEnd) {
    Record();
    DropAllowed = false;
    Drag(QPoint(30, 35), QPoint(80, 60));
    EXPECT_EQ(Calls,
              (QStringList{"start 30,35 10,15", "can 80,60", "before 80,60", "after 80,60"}));
    EXPECT_EQ(Box->GetPoints(0), (TPoint{20, 20}));
    EXPECT_EQ(View->MovingObject(), nullptr);
}

TEST_F(DragDropTest, AHookSnapsToTheGridWhileADroppedBodyLandsUnsnapped) {
    Data->AlignToGrid().SetDeltaX(10);
    Data->AlignToGrid().SetDeltaY(10);
    Data->AlignToGrid().SetEnabled(true);
    Drag(QPoint(30, 35), QPoint(77, 63));
    EXPECT_EQ(Box->GetPoints(0), (TPoint{67, 48}));
    Box->SetResized(true);
    Press(QPoint(107, 88));
    MoveTo(QPoint(124, 96));
    EXPECT_EQ(Box->GetPoints(2), (TPoint{120, 100}));
    Release(QPoint(124, 96));
}

TEST_F(DragDropTest, OnlyADragAndDropDocumentIsAccepted) {
    TSchemeDataEditor Editor;
    View->SetSchemeData(&Editor);
    EXPECT_EQ(View->SchemeData(), Data.get());
    const auto Fresh = std::make_unique<TSchemeVisualEditorCursor>();
    Fresh->SetSchemeData(&Editor);
    EXPECT_EQ(Fresh->SchemeData(), nullptr);
}

TEST_F(DragDropTest, AnErrorOfAHandlerEndsTheGrab) {
    Data->OnObjectCanDrop = [](TObject*, TObject*, TShiftState, TSchemeObject*, Extended, Extended,
                               Extended, Extended,
                               bool&) { RaiseError(QStringLiteral("no move")); };
    Data->OnObjectAfterDragDrop = [](TObject*, TObject*, TShiftState, TSchemeObject*, Extended,
                                     Extended, Extended,
                                     Extended) { RaiseError(QStringLiteral("no end")); };
    Press(QPoint(30, 35));
    MoveTo(QPoint(80, 60));
    EXPECT_EQ(View->MovingObject(), nullptr);
    EXPECT_EQ(Cursor(), std::nullopt);
    Release(QPoint(80, 60));
    Data->OnObjectCanDrop = nullptr;
    Drag(QPoint(30, 35), QPoint(80, 60));
    EXPECT_EQ(Errors, (QStringList{"no move", "no end"}));
    EXPECT_EQ(View->MovingObject(), nullptr);
    EXPECT_FALSE(Box->Moved());
    EXPECT_EQ(Box->GetPoints(0), (TPoint{70, 45}));
}

TEST_F(DragDropTest, ObjectDraggingAsksOnlyEditingViews) {
    TSchemeVisual Plain;
    Plain.SetSchemeData(Data.get());
    EXPECT_FALSE(Data->ObjectDragging());
    Press(QPoint(30, 35));
    MoveTo(QPoint(80, 60));
    EXPECT_TRUE(View->Dragging());
    EXPECT_FALSE(Data->ObjectDragging());
    Release(QPoint(80, 60));
}

}  // namespace
}  // namespace scheme::testing
