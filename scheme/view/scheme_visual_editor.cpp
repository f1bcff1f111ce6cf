#include "scheme/view/scheme_visual_editor.h"

#include <utility>

#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_clipboard.h"

namespace scheme {

Qt::CursorShape CursorShapeOf(TCursor Cursor) {
    static constexpr std::pair<TCursor, Qt::CursorShape> Shapes[] = {
        {crCross, Qt::CrossCursor},      {crIBeam, Qt::IBeamCursor},
        {crSizeNS, Qt::SizeVerCursor},   {crSizeWE, Qt::SizeHorCursor},
        {crHourGlass, Qt::WaitCursor},   {crDrag, Qt::DragMoveCursor},
        {crNoDrop, Qt::ForbiddenCursor}, {crHandPoint, Qt::PointingHandCursor},
        {crSizeAll, Qt::SizeAllCursor},
    };
    for (const auto& [From, To] : Shapes)
        if (From == Cursor) return To;
    return Qt::ArrowCursor;
}

bool TSchemeVisualEditor::Accepts(const TSchemeData* AValue) const {
    return dynamic_cast<const TSchemeDataEditor*>(AValue) != nullptr;
}

// The body of a selected object among others takes the whole selection along.
bool TSchemeVisualEditor::StartGrab(TShiftState /*Shift*/, Extended /*X*/, Extended /*Y*/) {
    TSchemeObject* Held = MovingObject();
    if (MovingDetail() != -1 || !Held->Selected() || SchemeData()->SelectedCount() < 2) return true;
    std::vector<TSchemeObject*> Group{Held};
    for (TSchemeObject* Obj : SchemeData()->SelectedObjects())
        if (Obj != Held) Group.push_back(Obj);
    SetMovingGroup(std::move(Group));
    return true;
}

// Errors of the object, the grid or the links propagate; the grab stays until the release.
void TSchemeVisualEditor::MoveHeld(TShiftState /*Shift*/, int X, int Y) {
    MarkDragged();
    const TPointExt Target = TargetOf(PointerToWorld(X, Y));
    if (MovingGroup().empty()) return DragTo(Target);
    const TPointExt From = MovingObject()->GetPointsExt(0);
    try {
        SchemeData()->MoveObjects(MovingGroup(), Target.X - From.X, Target.Y - From.Y, this);
    } catch (...) {
        UpdateNow();
        throw;
    }
    UpdateNow();
}

void TSchemeVisualEditor::MoveSelection(Extended DX, Extended DY) {
    if (!SchemeData() || MovingObject()) return;
    const std::vector<TSchemeObject*> Selected = SchemeData()->SelectedObjects();
    if (Selected.empty()) return;
    TSchemeHistoryGroup Step(*SchemeData(), DescribeObjects(QStringLiteral("Move"), Selected));
    SchemeData()->MoveObjects(Selected, DX, DY);
}

void TSchemeVisualEditor::DeleteSelection() {
    if (!SchemeData() || MovingObject()) return;
    const std::vector<TSchemeObject*> Selected = SchemeData()->SelectedObjects();
    if (Selected.empty()) return;
    TSchemeHistoryGroup Step(*SchemeData(), DescribeObjects(QStringLiteral("Delete"), Selected));
    SchemeData()->DeleteObjects(Selected);
}

TPointExt TSchemeVisualEditor::GridStep(Extended Without) const {
    const TSchemeGridType& Grid = Editor()->AlignToGrid();
    if (Grid.Enabled() && Grid.DeltaX() > 0 && Grid.DeltaY() > 0)
        return PointExt(Grid.DeltaX(), Grid.DeltaY());
    return PointExt(Without, Without);
}

void TSchemeVisualEditor::Pasted(const QStringList& Warnings) {
    if (!Warnings.isEmpty() && OnPasteWarnings) OnPasteWarnings(this, Warnings);
}

void TSchemeVisualEditor::CopySelection() {
    if (!SchemeData() || SchemeData()->SelectedCount() == 0) return;
    TSchemeClipboard::Copy(*SchemeData(), SchemeData()->SelectedObjects());
}

void TSchemeVisualEditor::CutSelection() {
    if (!SchemeData() || MovingObject() || SchemeData()->SelectedCount() == 0) return;
    CopySelection();
    const std::vector<TSchemeObject*> Selected = SchemeData()->SelectedObjects();
    TSchemeHistoryGroup Step(*SchemeData(), DescribeObjects(QStringLiteral("Cut"), Selected));
    SchemeData()->DeleteObjects(Selected);
}

void TSchemeVisualEditor::PasteFromClipboard(std::optional<TPointExt> At) {
    if (!SchemeData() || MovingObject()) return;
    const TPointExt Step = GridStep(kPasteOffset);
    Pasted((At ? TSchemeClipboard::PasteFromClipboardAt(*SchemeData(), *At)
               : TSchemeClipboard::PasteFromClipboard(*SchemeData(), Step.X, Step.Y))
               .Warnings);
}

void TSchemeVisualEditor::DuplicateSelection() {
    if (!SchemeData() || MovingObject() || SchemeData()->SelectedCount() == 0) return;
    const TPointExt Step = GridStep(kPasteOffset);
    Pasted(
        TSchemeClipboard::Duplicate(*SchemeData(), SchemeData()->SelectedObjects(), Step.X, Step.Y)
            .Warnings);
}

bool TSchemeVisualEditor::ClipboardKey(int Key) {
    switch (Key) {
        case Qt::Key_C:
            CopySelection();
            return true;
        case Qt::Key_X:
            CutSelection();
            return true;
        case Qt::Key_V:
            PasteFromClipboard();
            return true;
        case Qt::Key_D:
            DuplicateSelection();
            return true;
        default:
            return false;
    }
}

// The arrows move by the alignment grid's step, or by a unit without a grid; Shift ten
// times as far.
bool TSchemeVisualEditor::KeyDown(int Key, Qt::KeyboardModifiers Modifiers) {
    if (TSchemeVisualEditing::KeyDown(Key, Modifiers)) return true;
    if (!SchemeData() || !EditEnabled() || MovingObject()) return false;
    if (Modifiers == Qt::ControlModifier && ClipboardKey(Key)) return true;
    if (SchemeData()->SelectedCount() == 0) return false;
    if (Key == Qt::Key_Delete) {
        DeleteSelection();
        return true;
    }
    const Extended Scale = (Modifiers & Qt::ShiftModifier) ? 10 : 1;
    const TPointExt Step = GridStep(1);
    const Extended SX = Step.X * Scale, SY = Step.Y * Scale;
    switch (Key) {
        case Qt::Key_Left:
            MoveSelection(-SX, 0);
            return true;
        case Qt::Key_Right:
            MoveSelection(SX, 0);
            return true;
        case Qt::Key_Up:
            MoveSelection(0, -SY);
            return true;
        case Qt::Key_Down:
            MoveSelection(0, SY);
            return true;
        default:
            return false;
    }
}

void TSchemeVisualEditor::ReleaseHeld(TShiftState /*Shift*/, int /*X*/, int /*Y*/) {
    CancelObjectMoving(true);
}

}  // namespace scheme
