#include "scheme/view/scheme_visual_editor.h"

#include <utility>

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

// Errors of the object, the grid or the links propagate; the grab stays until the release.
void TSchemeVisualEditor::MoveHeld(TShiftState /*Shift*/, int X, int Y) {
    MarkDragged();
    DragTo(TargetOf(PointerToWorld(X, Y)));
}

void TSchemeVisualEditor::ReleaseHeld(TShiftState /*Shift*/, int /*X*/, int /*Y*/) {
    CancelObjectMoving(true);
}

}  // namespace scheme
