#include "scheme/view/scheme_visual_editor_cursor.h"

namespace scheme {

bool TSchemeVisualEditorCursor::Accepts(const TSchemeData* AValue) const {
    return dynamic_cast<const TSchemeDataEditorCursor*>(AValue) != nullptr;
}

TSchemeDataEditorCursor* TSchemeVisualEditorCursor::Document() const {
    return static_cast<TSchemeDataEditorCursor*>(SchemeData());
}

TCursor TSchemeVisualEditorCursor::HeldCursor() const {
    return FDropAllowed ? TSchemeVisualEditing::HeldCursor() : crNoDrop;
}

template <class F>
void TSchemeVisualEditorCursor::EndingOnError(F&& Step) {
    try {
        Step();
    } catch (...) {
        CancelObjectMoving(true);
        throw;
    }
}

// A body drag needs the application's consent; the verdict of an earlier drop is forgotten
// before the grab's cursor is shown.
bool TSchemeVisualEditorCursor::StartGrab(TShiftState Shift, Extended X, Extended Y) {
    if (MovingDetail() == -1) {
        bool Enabled = true;
        Document()->ObjectStartDrag(this, Shift, MovingObject(), X, Y, MovingOffsetX(),
                                    MovingOffsetY(), Enabled);
        if (!Enabled) return false;
    }
    FDropAllowed = true;
    return true;
}

// The handler is asked with the pointer's own position, as at the release, so that
// (X - OffsetX, Y - OffsetY) is where the body would land.
void TSchemeVisualEditorCursor::MoveHeld(TShiftState Shift, int X, int Y) {
    EndingOnError([&] {
        MarkDragged();
        const TPointExt Pointer = PointerToWorld(X, Y);
        const TPointExt Target = TargetOf(Pointer);
        Document()->CanDrop(this, Shift, MovingObject(), Pointer.X, Pointer.Y, MovingOffsetX(),
                            MovingOffsetY(), FDropAllowed);
        if (FDropAllowed && MovingDetail() != -1) DragTo(Target);
        ApplyCursor();
    });
}

// The grab ends whatever a handler raises.
void TSchemeVisualEditorCursor::ReleaseHeld(TShiftState Shift, int X, int Y) {
    if (FDropAllowed && MovingDetail() == -1) EndingOnError([&] { Drop(Shift, X, Y); });
    CancelObjectMoving(true);
}

void TSchemeVisualEditorCursor::Drop(TShiftState Shift, int X, int Y) {
    TSchemeObject* Obj = MovingObject();
    TSchemeDataEditorCursor* Data = Document();
    const TPointExt Pointer = PointerToWorld(X, Y);
    const Extended OX = MovingOffsetX(), OY = MovingOffsetY();
    bool Enabled = true;
    Data->ObjectBeforeDragDrop(this, Shift, Obj, Pointer.X, Pointer.Y, OX, OY, Enabled);
    if (Enabled) {
        const TPointExt From = Obj->GetPointsExt(0);
        Obj->ChangePositionDetail(Pointer.X - OX, Pointer.Y - OY, -1, Param());
        // A drop is published at the end of the grab even without a move before it.
        MarkDragged();
        Data->LinkApply(Obj, Pointer.X - OX - From.X, Pointer.Y - OY - From.Y, -1, this);
    }
    Data->ObjectAfterDragDrop(this, Shift, Obj, Pointer.X, Pointer.Y, OX, OY);
}

}  // namespace scheme
