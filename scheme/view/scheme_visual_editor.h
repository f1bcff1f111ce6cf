#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "scheme/document/scheme_data_editor.h"
#include "scheme/view/scheme_visual.h"

namespace scheme {

// The Qt cursor that shows a TCursor; crDefault (and any number not named) is the arrow.
SCHEME_EXPORT Qt::CursorShape CursorShapeOf(TCursor Cursor);

// What the editing view and the drag-and-drop view share: grabbing the topmost enabled object
// under the pointer with the part of it there (its body or a hook), holding it until the
// button that grabbed it is released, the application cursor for the length of the grab, and
// one step of a drag (the object changes, its own difference area is repainted, followers move
// along links, the view's screen is brought up to date).
//
// While an object is held the positions the view works with are kept inside the client area,
// the application cursor tells what is dragged (exactly one override cursor per grab, given
// back however the grab ends), the object's Moved flag is set, and the hint clock is silent
// once dragging has begun. Presses of further buttons while an object is held grab nothing.
// A view that is destroyed, or whose document is detached or freed, ends its grab first.
//
// Both select many objects: Ctrl+click or Shift+click toggles an object in the selection; a
// press on empty space followed by a drag draws a rubber band and selects what it encloses (with
// Ctrl or Shift added to the selection), a click there clears the selection; Ctrl+A selects
// every visible object of the visible, enabled layers; Escape cancels a drag in progress
// (everything goes back where it was) or a rubber band, and clears the selection. The
// document's OnSelectionChange is raised once per gesture.
class SCHEME_EXPORT TSchemeVisualEditing : public TSchemeVisual, public ISchemeGrabbingVisual {
    Q_OBJECT
    Q_PROPERTY(scheme::TCursor DragCursor READ DragCursor WRITE SetDragCursor RESET ResetDragCursor)
    Q_PROPERTY(double MinZoomForResize READ MinZoomForResize WRITE SetMinZoomForResize RESET
                   ResetMinZoomForResize)
    Q_PROPERTY(bool EditEnabled READ EditEnabled WRITE SetEditEnabled RESET ResetEditEnabled)

public:
    explicit TSchemeVisualEditing(QWidget* AParent = nullptr);
    ~TSchemeVisualEditing() override;

    // The cursor shown while a body is held. A change shows at once while a body is held and
    // does not touch the application cursor while nothing is.
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value);
    // Below this zoom hooks are not grabbed: a press on one moves the whole object.
    Extended MinZoomForResize() const { return FMinZoomForResize; }
    void SetMinZoomForResize(Extended Value) { FMinZoomForResize = Value; }
    // Off: presses grab nothing (the mouse events are still raised).
    bool EditEnabled() const { return FEditEnabled; }
    void SetEditEnabled(bool Value) { FEditEnabled = Value; }

    // Accepts none or a document of the kind the view works on; any other is ignored and the
    // view keeps the document it had. A grab in progress ends first, published.
    void SetSchemeData(TSchemeData* AValue) override;

    // ---- the grab ----
    TSchemeObject* MovingObject() const { return FMovingObject; }
    // The detail code of the part held; it keeps its value after a release.
    int MovingDetail() const { return FMovingDetail; }
    // From the object's reference corner to the point where it was grabbed, world units.
    Extended MovingOffsetX() const { return FMovingOffsetX; }
    Extended MovingOffsetY() const { return FMovingOffsetY; }
    // True from the first move of a held object until its release.
    bool Dragging() const { return FDragging; }
    // Ends the grab: clears the object's Moved flag; when APublish and the object was moved,
    // announces its change and refreshes every view of the document; gives back the cursor.
    // Does nothing while nothing is held.
    virtual void CancelObjectMoving(bool APublish);

    TSchemeObject* HeldObject() const override { return FMovingObject; }
    std::vector<TSchemeObject*> HeldObjects() const override;
    void LetGoOfHeldObject() override;
    // The objects moved with the held one by a group drag (the held one first); empty while a
    // single object is dragged.
    const std::vector<TSchemeObject*>& MovingGroup() const { return FGroup; }
    // True while a rubber band is drawn.
    bool RubberBanding() const { return FBand != nullptr; }
    // Silent while an object is dragged.
    void HintTick() override;

protected:
    // Whether the view works on this document.
    virtual bool Accepts(const TSchemeData* AValue) const = 0;
    TSchemeDataEditor* Editor() const;
    // Called once the object and its part are known; False abandons the grab before anything
    // of it happens.
    virtual bool StartGrab(TShiftState Shift, Extended X, Extended Y);
    // A move and the release of the grabbing button while an object is held; client pixels.
    virtual void MoveHeld(TShiftState Shift, int X, int Y) = 0;
    virtual void ReleaseHeld(TShiftState Shift, int X, int Y) = 0;
    // The cursor for what is held: the drag cursor for the body, the sizing cursors for the
    // sides of a box, the cross for any other hook.
    virtual TCursor HeldCursor() const;
    // Shows HeldCursor while an object is held.
    void ApplyCursor();
    // Whether a right-button press is left to the view's context menu.
    virtual bool HasContextMenu() const;
    // The pointer's client position kept inside the client area, in world units.
    TPointExt PointerToWorld(int X, int Y) const;
    // Where a move to the world position Pointer takes the held part: the body's reference
    // corner (the pointer minus the grab offsets) or the hook itself, snapped to the
    // document's alignment grid.
    TPointExt TargetOf(const TPointExt& Pointer) const;
    // One drag step of the held part to Target: the object changes, its difference area is
    // invalidated, it is drawn (or repainted, as its FullRepaintIfMoved asks), its followers
    // move, and the view's screen is brought up to date.
    void DragTo(const TPointExt& Target);
    // The drag has changed the object (a drop without a move before it).
    void MarkDragged() { FDragging = true; }
    // Makes the grab a group drag of Group (the held object first); each member is marked
    // Moved until the grab ends.
    void SetMovingGroup(std::vector<TSchemeObject*> Group);
    // A key the view acts on; false leaves it to the base.
    virtual bool KeyDown(int Key, Qt::KeyboardModifiers Modifiers);

    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    // The application override cursor for the length of one grab.
    class TGrabCursor {
    public:
        TGrabCursor() = default;
        TGrabCursor(const TGrabCursor&) = delete;
        TGrabCursor& operator=(const TGrabCursor&) = delete;
        ~TGrabCursor() { Restore(); }
        // Sets the override at the first call, changes it when later calls ask for another.
        void Show(TCursor Cursor);
        void Restore();

    private:
        bool FActive = false;
    };

    struct TBand;
    bool MayGrab(TMouseButton Button) const;
    // Holds Obj, found under the world point (WX, WY).
    void Grab(TMouseButton Button, TShiftState Shift, Extended WX, Extended WY, TSchemeObject* Obj);
    // A left press that selects rather than grabs: with Ctrl or Shift, or on empty space.
    bool PressSelects(TShiftState Shift, int X, int Y, TSchemeObject* Obj);
    void MoveBand(int X, int Y);
    void EndBand(bool Select);
    // Escape: a drag goes back where it began, a band goes, the selection is cleared.
    void Cancel();
    // Ends the grab, publishing through Data when asked.
    void EndGrab(bool APublish, TSchemeData* Data);

    void ResetDragCursor() { SetDragCursor(crDrag); }
    void ResetMinZoomForResize() { SetMinZoomForResize(1.0); }
    void ResetEditEnabled() { SetEditEnabled(true); }

    TCursor FDragCursor = crDrag;
    Extended FMinZoomForResize = 1.0;
    bool FEditEnabled = true;
    TSchemeObject* FMovingObject = nullptr;
    int FMovingDetail = -1;
    Extended FMovingOffsetX = 0;
    Extended FMovingOffsetY = 0;
    bool FDragging = false;
    std::optional<TMouseButton> FGrabButton;
    std::vector<TSchemeObject*> FGroup;
    std::unique_ptr<TBand> FBand;
    // The document whose history groups the grab's changes into one step, while one is open.
    QPointer<TSchemeData> FGroupData;
    TGrabCursor FCursor;
};

// The editing view: the user grabs an object with the mouse and drags its body, a corner or
// side of a box, or a vertex; positions snap to the document's alignment grid and linked
// objects follow. Only the view under the pointer is updated during a drag; every view of the
// document is refreshed once, at the release. Works on an editing document only.
//
// Dragging the body of a selected object moves every selected object with it, each with its
// followers, as one step; the held object snaps and the others keep their offsets. The arrow
// keys move the selection by the alignment grid's step when the grid is on, else by one world
// unit (Shift: ten times that), one step a press; Delete frees the selection and its links as
// one step.
class SCHEME_EXPORT TSchemeVisualEditor : public TSchemeVisualEditing,
                                          public ISchemeDraggingVisual {
    Q_OBJECT

public:
    using TSchemeVisualEditing::TSchemeVisualEditing;

    bool Dragging() const override { return TSchemeVisualEditing::Dragging(); }
    // Moves the selection by (DX, DY) world units with its followers, as one step.
    void MoveSelection(Extended DX, Extended DY);
    // Frees the selected objects and their links, as one step.
    void DeleteSelection();

    // ---- the clipboard (Ctrl+C, Ctrl+X, Ctrl+V, Ctrl+D) ----
    // The selected objects and the links among them go to the system clipboard as document
    // text; Cut frees them as well, as one step.
    void CopySelection();
    void CutSelection();
    // Adds the clipboard's objects, selected, as one step: moved by one step of the alignment
    // grid (kPasteOffset world units without a grid), or with the top-left corner of their box
    // at the world point At. What reading them left out goes to OnPasteWarnings; content that
    // does not read raises and changes nothing.
    void PasteFromClipboard(std::optional<TPointExt> At = std::nullopt);
    // A copy of the selection beside it, leaving the clipboard alone.
    void DuplicateSelection();
    static constexpr Extended kPasteOffset = 10;
    std::function<void(TObject* Sender, const QStringList& Warnings)> OnPasteWarnings;

protected:
    bool Accepts(const TSchemeData* AValue) const override;
    bool StartGrab(TShiftState Shift, Extended X, Extended Y) override;
    void MoveHeld(TShiftState Shift, int X, int Y) override;
    void ReleaseHeld(TShiftState Shift, int X, int Y) override;
    bool KeyDown(int Key, Qt::KeyboardModifiers Modifiers) override;

private:
    // The alignment grid's step while it is on, else Without on both axes.
    TPointExt GridStep(Extended Without) const;
    void Pasted(const QStringList& Warnings);
    bool ClipboardKey(int Key);
};

}  // namespace scheme
