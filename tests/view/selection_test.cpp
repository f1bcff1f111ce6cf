// Many objects at once in the editing view: toggling clicks, the rubber band, group drags, the
// arrow keys, Delete and Escape, each driven by real mouse and key events.
#include <set>

#include <QClipboard>
#include <QMimeData>

#include "editor_fixture.h"
#include "scheme/document/history/scheme_history.h"

using namespace scheme;
using namespace scheme::testing;

namespace {

class SelectionTest : public EditingTest<TSchemeVisualEditor, TSchemeDataEditor> {
protected:
    void SetUp() override {
        EditingTest::SetUp();
        Data->OnSelectionChange = [this](TObject*) { ++Reports; };
    }
    std::set<TSchemeObject*> Selected() {
        const std::vector<TSchemeObject*> S = Data->SelectedObjects();
        return {S.begin(), S.end()};
    }
    QStringList Text() {
        QStringList T;
        Data->SaveToStrings(T);
        return T;
    }
    void Click(QPoint P, Qt::KeyboardModifiers With = Qt::NoModifier) {
        Keys = With;
        Press(P);
        Release(P);
        Keys = Qt::NoModifier;
    }
    // Boxes of 20 x 20 every 40 units, 7 x 4 of them.
    std::vector<TSchemeShape*> AddGrid() {
        std::vector<TSchemeShape*> Boxes;
        for (int Row = 0; Row < 4; ++Row)
            for (int Col = 0; Col < 7; ++Col)
                Boxes.push_back(
                    AddBox(int(Boxes.size()) + 1, 10 + 40 * Col, 10 + 40 * Row, 20, 20));
        return Boxes;
    }
    int Reports = 0;
};

TEST_F(SelectionTest, CtrlAndShiftClicksToggleAndAClickOnEmptySpaceClears) {
    TSchemeShape* A = AddBox(1, 10, 10, 30, 30);
    TSchemeShape* B = AddBox(2, 60, 10, 30, 30);
    const struct {
        QPoint At;
        Qt::KeyboardModifiers With;
        std::set<TSchemeObject*> Then;
    } Steps[] = {
        {{20, 20}, Qt::ControlModifier, {A}},
        {{70, 20}, Qt::ShiftModifier, {A, B}},
        {{20, 20}, Qt::ControlModifier, {B}},
        {{200, 150}, Qt::ShiftModifier, {B}},  // adding nothing keeps the selection
        {{200, 150}, Qt::NoModifier, {}},
    };
    int Gestures = 0;
    for (const auto& Step : Steps) {
        Click(Step.At, Step.With);
        EXPECT_EQ(Selected(), Step.Then) << ++Gestures;
    }
    EXPECT_EQ(Reports, 4);  // one a gesture that changed the selection
    EXPECT_EQ(View->MovingObject(), nullptr);
    // Objects selected one by one in code are reported once, by the event loop.
    A->SetSelected(true);
    B->SetSelected(true);
    QApplication::processEvents();
    EXPECT_EQ(Reports, 5);
}

// Each direction of the drag, at two zooms, replacing or (with Shift) adding; what is selected
// is what a walk over every object finds wholly inside the band.
TEST_F(SelectionTest, ARubberBandSelectsExactlyWhatItEncloses) {
    const std::vector<TSchemeShape*> Boxes = AddGrid();
    AddBox(100, 100, 45, 80, 10);  // across several cells
    const struct {
        QPoint From, To;
        Extended Zoom;
        bool Adding;
    } Cases[] = {
        {{5, 5}, {135, 75}, 1, false},    {{135, 75}, {5, 5}, 1, false},
        {{175, 5}, {85, 115}, 1, false},  {{85, 115}, {175, 5}, 1, true},
        {{80, 80}, {290, 190}, 2, false}, {{290, 160}, {80, 10}, 2, true},
    };
    for (const auto& Case : Cases) {
        View->SetZoom(Case.Zoom);
        if (!Case.Adding) Data->ClearSelection();
        std::set<TSchemeObject*> Expected = Case.Adding ? Selected() : std::set<TSchemeObject*>{};
        Extended L = std::min(Case.From.x(), Case.To.x()), T = std::min(Case.From.y(), Case.To.y());
        Extended R = std::max(Case.From.x(), Case.To.x()) + 1;
        Extended B = std::max(Case.From.y(), Case.To.y()) + 1;
        View->TransformZoomAndOriginXYExt(L, T);
        View->TransformZoomAndOriginXYExt(R, B);
        for (int I = 0; I < Data->GetLayer(1)->Count(); ++I) {
            TSchemeObject* Obj = Data->GetLayer(1)->GetItemIndex(I);
            const TSchemeArea& A = Obj->Area();
            if (A.Left >= L && A.Top >= T && A.Right <= R && A.Bottom <= B) Expected.insert(Obj);
        }
        const int Before = Reports;
        Keys = Case.Adding ? Qt::ShiftModifier : Qt::NoModifier;
        Press(Case.From);
        MoveTo((Case.From + Case.To) / 2);
        EXPECT_TRUE(View->RubberBanding());
        MoveTo(Case.To);
        Release(Case.To);
        Keys = Qt::NoModifier;
        EXPECT_FALSE(Expected.empty());
        EXPECT_EQ(Selected(), Expected) << Case.From.x() << "," << Case.From.y();
        EXPECT_LE(Reports - Before, 1);
    }
    // Ctrl+A takes every visible object of the visible, enabled layers.
    Data->LayerAdd(2)->SetEnabled(false);
    AddBox(200, 0, 0, 5, 5)->SetVisible(false);
    Data->ObjectAddShapeExt(2, 1, 0, 0, 5, 5, 0, TShapeType::stRectangle);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(int(Selected().size()), int(Boxes.size()) + 1);
}

// Three selected boxes dragged by one of them: each moves by the held box's snapped offset,
// with its followers; a selected box that also follows another moves once. One step.
TEST_F(SelectionTest, AGroupDragMovesTheSelectionAndItsFollowersAsOneStep) {
    TSchemeShape* A = AddBox(1, 10, 10, 20, 20);
    TSchemeShape* B = AddBox(2, 60, 10, 20, 20);
    TSchemeShape* C = AddBox(3, 110, 10, 20, 20);
    TSchemeShape* D = AddBox(4, 10, 60, 20, 20);  // follows A
    TSchemeShape* Free = AddBox(5, 160, 60, 20, 20);
    Data->LinkAdd(A, -1, D, -1);
    Data->LinkAdd(A, -1, C, -1);  // C is selected and a follower
    Data->AlignToGrid().SetDeltaX(10);
    Data->AlignToGrid().SetDeltaY(10);
    Data->AlignToGrid().SetEnabled(true);
    Data->History().SetEnabled(true);
    Data->SelectObjects(std::vector<TSchemeObject*>{A, B, C}, TSchemeData::TSelectMode::Replace);
    const QStringList Before = Text();
    Press(QPoint(64, 14));
    for (int X = 70; X <= 100; X += 10) MoveTo(QPoint(X, 37));
    EXPECT_EQ(View->MovingGroup().size(), 3u);
    Release(QPoint(100, 37));
    // B's corner (60, 10) + pointer (36, 23) = (96, 33), snapped to (100, 30).
    for (const auto& [Box, X, Y] :
         {std::tuple{A, 50, 30}, {B, 100, 30}, {C, 150, 30}, {D, 50, 80}, {Free, 160, 60}})
        EXPECT_EQ(Box->GetPoints(0), (TPoint{X, Y})) << Box->Id();
    EXPECT_EQ(Data->History().Count(), 1);
    EXPECT_EQ(Data->History().UndoText(), QStringLiteral("Move 3 objects"));
    for (const TSchemeShape* Box : {A, B, C, D}) EXPECT_FALSE(Box->Moved());
    Data->History().Undo();
    EXPECT_EQ(Text(), Before);
}

TEST_F(SelectionTest, ArrowKeysMoveTheSelectionByTheGridStepOrAUnit) {
    TSchemeShape* A = AddBox(1, 100, 100, 20, 20);
    TSchemeShape* F = AddBox(2, 100, 150, 20, 20);
    TSchemeShape* Other = AddBox(3, 200, 100, 20, 20);
    Data->LinkAdd(A, -1, F, -1);
    Data->History().SetEnabled(true);
    A->SetSelected(true);
    const struct {
        bool Grid;
        int Code;
        Qt::KeyboardModifiers With;
        int DX, DY;
    } Cases[] = {
        {false, Qt::Key_Right, Qt::NoModifier, 1, 0},
        {false, Qt::Key_Up, Qt::ShiftModifier, 0, -10},
        {true, Qt::Key_Down, Qt::NoModifier, 0, 8},
        {true, Qt::Key_Left, Qt::ShiftModifier, -50, 0},
    };
    Data->AlignToGrid().SetDeltaX(5);
    Data->AlignToGrid().SetDeltaY(8);
    int Steps = 0;
    for (const auto& Case : Cases) {
        Data->AlignToGrid().SetEnabled(Case.Grid);
        const TPoint Was = A->GetPoints(0), FollowerWas = F->GetPoints(0);
        Key(Case.Code, Case.With);
        EXPECT_EQ(A->GetPoints(0), (TPoint{Was.X + Case.DX, Was.Y + Case.DY}));
        EXPECT_EQ(F->GetPoints(0), (TPoint{FollowerWas.X + Case.DX, FollowerWas.Y + Case.DY}));
        EXPECT_EQ(Data->History().Count(), ++Steps);
    }
    EXPECT_EQ(Other->GetPoints(0), (TPoint{200, 100}));
}

TEST_F(SelectionTest, DeleteFreesTheSelectionAndItsLinksAsOneStep) {
    TSchemeShape* A = AddBox(1, 10, 10, 20, 20);
    TSchemeShape* B = AddBox(2, 60, 10, 20, 20);
    TSchemeShape* C = AddBox(3, 110, 10, 20, 20);
    TSchemeShape* Kept = AddBox(4, 160, 10, 20, 20);
    Data->LinkAdd(A, -1, B, -1);
    Data->LinkAdd(B, -1, Kept, -1);
    Data->LinkAdd(Kept, -1, C, 0);
    Data->History().SetEnabled(true);
    const QStringList Before = Text();
    Data->SelectObjects(std::vector<TSchemeObject*>{A, B, C}, TSchemeData::TSelectMode::Replace);
    Reports = 0;
    Key(Qt::Key_Delete);
    ASSERT_EQ(Data->GetLayer(1)->Count(), 1);
    EXPECT_EQ(Data->GetLayer(1)->GetItemIndex(0), Kept);
    for (int I = 0; I < Data->LinkCount(); ++I) EXPECT_EQ(Data->GetLink(I), nullptr);
    EXPECT_EQ(Reports, 1);
    EXPECT_EQ(Data->History().UndoText(), QStringLiteral("Delete 3 objects"));
    Data->History().Undo();
    EXPECT_EQ(Text(), Before);
}

// Escape in the middle of a group drag or a single drag puts everything back, with or without a
// history, and leaves no step; the selection is cleared.
TEST_F(SelectionTest, EscapeDuringADragRestoresEverything) {
    TSchemeShape* A = AddBox(1, 10, 10, 20, 20);
    TSchemeShape* B = AddBox(2, 60, 10, 20, 20);
    TSchemeShape* F = AddBox(3, 10, 60, 20, 20);
    Data->LinkAdd(A, -1, F, -1);
    for (const bool History : {false, true}) {
        for (const bool Group : {false, true}) {
            Data->History().SetEnabled(History);
            Data->SelectObjects(
                Group ? std::vector<TSchemeObject*>{A, B} : std::vector<TSchemeObject*>{},
                TSchemeData::TSelectMode::Replace);
            const QStringList Before = Text();
            Press(QPoint(15, 15));
            MoveTo(QPoint(80, 90));
            Key(Qt::Key_Escape);
            EXPECT_EQ(View->MovingObject(), nullptr);
            EXPECT_EQ(Cursor(), std::nullopt);
            MoveTo(QPoint(120, 120));
            Release(QPoint(120, 120));
            EXPECT_EQ(Text(), Before) << History << Group;
            EXPECT_TRUE(Selected().empty());
            EXPECT_FALSE(Data->History().CanUndo());
            for (const TSchemeShape* Box : {A, B, F}) EXPECT_FALSE(Box->Moved());
        }
    }
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
}

// The clipboard keys: copy and paste one grid step away, duplicate, cut, paste at a point;
// garbage on the clipboard reaches the error handler and changes nothing.
TEST_F(SelectionTest, ClipboardKeysCopyCutPasteAndDuplicateTheSelection) {
    TSchemeShape* A = AddBox(1, 10, 10, 20, 20);
    TSchemeShape* B = AddBox(2, 60, 10, 20, 20);
    Data->LinkAdd(A, -1, B, -1);
    Data->AlignToGrid().SetDeltaX(5);
    Data->AlignToGrid().SetDeltaY(8);
    Data->AlignToGrid().SetEnabled(true);
    Data->SelectObjects(std::vector<TSchemeObject*>{A, B}, TSchemeData::TSelectMode::Replace);
    Key(Qt::Key_C, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    TSchemeLayer* Layer = Data->GetLayer(1);
    ASSERT_EQ(Layer->Count(), 4);
    EXPECT_EQ(Layer->GetItemIndex(2)->GetPoints(0), (TPoint{15, 18}));
    EXPECT_EQ(Data->SelectedCount(), 2);
    EXPECT_EQ(Data->LinkCount(), 2);
    Key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Layer->Count(), 6);
    EXPECT_EQ(Layer->GetItemIndex(4)->GetPoints(0), (TPoint{20, 26}));
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Layer->Count(), 4);
    View->PasteFromClipboard(PointExt(200, 100));
    ASSERT_EQ(Layer->Count(), 6);
    EXPECT_EQ(Layer->GetItemIndex(4)->Area().Left, 200);
    const QStringList Before = Text();
    QApplication::clipboard()->setText(QStringLiteral("not a document"));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(), Before);
    EXPECT_EQ(Errors.size(), 1);
}

}  // namespace
