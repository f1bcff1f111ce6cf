#include "scheme/view/scheme_visual_editor.h"

namespace scheme {

Qt::CursorShape CursorShapeOf(TCursor Cursor) {
    switch (Cursor) {
        case crCross:
            return Qt::CrossCursor;
        case crIBeam:
            return Qt::IBeamCursor;
        case crSizeNS:
            return Qt::SizeVerCursor;
        case crSizeWE:
            return Qt::SizeHorCursor;
        case crHourGlass:
            return Qt::WaitCursor;
        case crDrag:
            return Qt::DragMoveCursor;
        case crNoDrop:
            return Qt::ForbiddenCursor;
        case crHandPoint:
            return Qt::PointingHandCursor;
        case crSizeAll:
            return Qt::SizeAllCursor;
        default:
            return Qt::ArrowCursor;
    }
}

bool TSchemeVisualEditor::Accepts(const TSchemeData* AValue) const {
    return dynamic_cast<const TSchemeDataEditor*>(AValue) != nullptr;
}

// Errors of the object, the grid or the links propagate; the grab stays until the release.
void TSchemeVisualEditor::MoveHeld(TShiftState /*Shift*/, int X, int Y) {
    MarkDragged();
    DragTo(TargetOf(PointerToWorld(X, Y)));
}

void TSchemeVisualEditor::ReleaseHeld(TShiftState /*Shift*/, int /*X*/, int /*Y*/) {
    CancelObjectMoving(true);
}

}  // namespace scheme
