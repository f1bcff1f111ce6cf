#pragma once

#include "scheme/document/scheme_data_editor_cursor.h"
#include "scheme/view/scheme_visual_editor.h"

namespace scheme {

// The drag-and-drop view: dragging an object's body moves nothing until the release, while the
// document's events decide whether it may start, where it may be dropped (the pointer shows
// crNoDrop where it may not) and whether the drop is made; a dropped body lands at the pointer
// minus the grab offsets, unsnapped, and its followers move with it. Dragging a hook reshapes
// the object live, snapped to the alignment grid, while the drop is allowed. Works on a
// TSchemeDataEditorCursor only. Its drags are not reported by the document's ObjectDragging.
class SCHEME_EXPORT TSchemeVisualEditorCursor : public TSchemeVisualEditing {
    Q_OBJECT

public:
    using TSchemeVisualEditing::TSchemeVisualEditing;

    // The last verdict of OnObjectCanDrop; True again at every grab.
    bool DropAllowed() const { return FDropAllowed; }

protected:
    bool Accepts(const TSchemeData* AValue) const override;
    bool StartGrab(TShiftState Shift, Extended X, Extended Y) override;
    void MoveHeld(TShiftState Shift, int X, int Y) override;
    void ReleaseHeld(TShiftState Shift, int X, int Y) override;
    TCursor HeldCursor() const override;

private:
    TSchemeDataEditorCursor* Document() const;
    // A release of a body drag whose drop is allowed: asks, drops, reports.
    void Drop(TShiftState Shift, int X, int Y);
    // Runs Step; an error ends the grab and goes on.
    template <class F>
    void EndingOnError(F&& Step);

    bool FDropAllowed = true;
};

}  // namespace scheme
