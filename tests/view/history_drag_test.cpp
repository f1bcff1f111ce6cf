// A drag in an editing view is one step of the document's history, whatever the links moved
// with it; undo puts everything back in every view.
#include "editor_fixture.h"

using namespace scheme;
using namespace scheme::testing;

namespace {

using HistoryDragTest = EditingTest<TSchemeVisualEditor, TSchemeDataEditor>;

TEST_F(HistoryDragTest, ADragWithTwoFollowersIsOneStepThatUndoPutsBackEverywhere) {
    TSchemeShape* A = AddBox(1, 10, 10, 20, 20);
    A->SetText(QStringLiteral("S-1 Screen"));
    TSchemeShape* B = AddBox(2, 10, 60, 20, 20);
    TSchemeShape* C = AddBox(3, 10, 110, 20, 20);
    Data->LinkAdd(A, -1, B, -1);
    Data->LinkAdd(B, -1, C, -1);
    TSchemeHistory& History = Data->History();
    History.SetEnabled(true);
    const std::unique_ptr<TSchemeVisualEditor> Other = NewView();
    View->Refresh();
    Other->Refresh();
    const QImage Before = Shown(*View), OtherBefore = Shown(*Other);
    Press(QPoint(20, 20));
    for (int X = 30; X <= 120; X += 10) MoveTo(QPoint(X, 20));
    Release(QPoint(120, 20));
    EXPECT_EQ(C->GetPoints(0), (TPoint{110, 110}));
    EXPECT_EQ(History.Count(), 1);
    EXPECT_EQ(History.UndoText(), QStringLiteral("Move S-1 Screen"));
    History.Undo();
    for (const TSchemeShape* Box : {A, B, C}) EXPECT_EQ(Box->GetPoints(0).X, 10);
    QApplication::processEvents();
    EXPECT_EQ(Shown(*View), Before);
    EXPECT_EQ(Shown(*Other), OtherBefore);
    History.Redo();
    EXPECT_EQ(C->GetPoints(0), (TPoint{110, 110}));
}

TEST_F(HistoryDragTest, AHookDragIsNamedAfterWhatItDidAndAPressAloneLeavesNoStep) {
    TSchemeShape* A = AddBox(1, 10, 10, 40, 40);
    A->SetResized(true);
    Data->History().SetEnabled(true);
    Press(QPoint(30, 30));
    Release(QPoint(30, 30));
    EXPECT_FALSE(Data->History().CanUndo());
    Press(QPoint(50, 50));
    MoveTo(QPoint(70, 80));
    Release(QPoint(70, 80));
    EXPECT_EQ(Data->History().UndoText(), QStringLiteral("Resize Shape 1"));
}

}  // namespace
