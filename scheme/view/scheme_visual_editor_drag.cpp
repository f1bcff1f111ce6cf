// The grab, the drag step and the release shared by the editing view and the drag-and-drop
// view, and the application cursor of a grab.
#include <QGuiApplication>

#include "scheme/document/history/scheme_history.h"
#include "scheme/model/scheme_box.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/region.h"
#include "scheme/view/scheme_visual_editor.h"

namespace scheme {

// ---- the cursor of a grab ------------------------------------------------------------------

void TSchemeVisualEditing::TGrabCursor::Show(TCursor Cursor) {
    const Qt::CursorShape Shape = CursorShapeOf(Cursor);
    if (!FActive) {
        QGuiApplication::setOverrideCursor(QCursor(Shape));
        FActive = true;
    } else if (QGuiApplication::overrideCursor()->shape() != Shape) {
        QGuiApplication::changeOverrideCursor(QCursor(Shape));
    }
}

void TSchemeVisualEditing::TGrabCursor::Restore() {
    if (!FActive) return;
    FActive = false;
    QGuiApplication::restoreOverrideCursor();
}

// ---- settings and the document -------------------------------------------------------------

void TSchemeVisualEditing::SetDragCursor(TCursor Value) {
    if (Value == FDragCursor) return;
    FDragCursor = Value;
    ApplyCursor();
}

void TSchemeVisualEditing::SetSchemeData(TSchemeData* AValue) {
    if (AValue == SchemeData() || (AValue && !Accepts(AValue))) return;
    if (FMovingObject) CancelObjectMoving(true);
    TSchemeVisual::SetSchemeData(AValue);
}

TSchemeDataEditor* TSchemeVisualEditing::Editor() const {
    return static_cast<TSchemeDataEditor*>(SchemeData());
}

void TSchemeVisualEditing::LetGoOfHeldObject() {
    CancelObjectMoving(false);
}

void TSchemeVisualEditing::HintTick() {
    if (!FDragging) TSchemeVisual::HintTick();
}

// ---- the cursor ----------------------------------------------------------------------------

TCursor TSchemeVisualEditing::HeldCursor() const {
    switch (FMovingDetail) {
        case -1:
            return FDragCursor;
        case -2:
        case -4:
            return crSizeNS;
        case -3:
        case -5:
            return crSizeWE;
        default:
            return crCross;
    }
}

void TSchemeVisualEditing::ApplyCursor() {
    if (FMovingObject) FCursor.Show(HeldCursor());
}

// ---- the grab ------------------------------------------------------------------------------

bool TSchemeVisualEditing::HasContextMenu() const {
    return contextMenuPolicy() == Qt::CustomContextMenu ||
           (contextMenuPolicy() == Qt::ActionsContextMenu && !actions().isEmpty());
}

bool TSchemeVisualEditing::MayGrab(TMouseButton Button) const {
    return SchemeData() && FEditEnabled && !FMovingObject &&
           !(Button == TMouseButton::mbRight && HasContextMenu());
}

bool TSchemeVisualEditing::StartGrab(TShiftState /*Shift*/, Extended /*X*/, Extended /*Y*/) {
    return true;
}

namespace {
// What a grab does, as its undo step is named.
QString GestureName(const TSchemeObject& Obj, int Detail) {
    const char* Verb = Detail == -1                            ? "Move"
                       : dynamic_cast<const TSchemeBox*>(&Obj) ? "Resize"
                                                               : "Move point";
    return QStringLiteral("%1 %2").arg(QLatin1String(Verb), DescribeObject(Obj));
}
}  // namespace

void TSchemeVisualEditing::Grab(TMouseButton Button, TShiftState Shift, Extended WX, Extended WY,
                                TSchemeObject* Obj) {
    if (!Obj) return;
    FMovingObject = Obj;
    try {
        // The object found is held even when the detail test says otherwise; the detail is
        // what the test left.
        Obj->PointInsideDetail(WX, WY, FMovingOffsetX, FMovingOffsetY, FMovingDetail, Param());
        if (Zoom() < FMinZoomForResize) FMovingDetail = -1;
        if (!StartGrab(Shift, WX, WY)) {
            FMovingObject = nullptr;
            return;
        }
        // Everything the grab changes, followers included, is one step of the history, and
        // Escape takes it back.
        FGroupData = SchemeData();
        FGroupData->History().BeginRevertibleGroup(
            FGroup.empty() ? GestureName(*Obj, FMovingDetail)
                           : DescribeObjects(QStringLiteral("Move"), FGroup));
        Obj->SetMoved(true);
        // Shows the hook just made active.
        if (FMovingDetail >= 0) SchemeData()->ObjectRepaintDirect(Obj);
        FGrabButton = Button;
        FDragging = false;
        ApplyCursor();
    } catch (...) {
        CancelObjectMoving(true);
        throw;
    }
}

void TSchemeVisualEditing::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (MayGrab(Button) && !FBand) {
        Extended WX = X, WY = Y;
        TransformZoomAndOriginXYExt(WX, WY);
        TSchemeObject* Obj = SchemeData()->ObjectForPointWithCheckEnabled(WX, WY, true, Param());
        if (Button != TMouseButton::mbLeft || !PressSelects(Shift, X, Y, Obj))
            Grab(Button, Shift, WX, WY, Obj);
    }
    TSchemeVisual::MouseDown(Button, Shift, X, Y);
}

void TSchemeVisualEditing::MouseMove(TShiftState Shift, int X, int Y) {
    if (FMovingObject) MoveHeld(Shift, X, Y);
    if (FBand) MoveBand(X, Y);
    TSchemeVisual::MouseMove(Shift, X, Y);
}

void TSchemeVisualEditing::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FMovingObject && FGrabButton == Button) ReleaseHeld(Shift, X, Y);
    if (FBand && Button == TMouseButton::mbLeft) {
        MoveBand(X, Y);
        EndBand(true);
    }
    TSchemeVisual::MouseUp(Button, Shift, X, Y);
}

// ---- a drag step ---------------------------------------------------------------------------

TPointExt TSchemeVisualEditing::PointerToWorld(int X, int Y) const {
    Extended WX = std::clamp(X, 0, std::max(viewport()->width() - 1, 0));
    Extended WY = std::clamp(Y, 0, std::max(viewport()->height() - 1, 0));
    TransformZoomAndOriginXYExt(WX, WY);
    return PointExt(WX, WY);
}

TPointExt TSchemeVisualEditing::TargetOf(const TPointExt& Pointer) const {
    TPointExt Target = Pointer;
    if (FMovingDetail == -1) {
        Target.X -= FMovingOffsetX;
        Target.Y -= FMovingOffsetY;
    }
    Editor()->AlignPointToGrid(Target.X, Target.Y);
    return Target;
}

void TSchemeVisualEditing::DragTo(const TPointExt& Target) {
    TSchemeObject* Obj = FMovingObject;
    TSchemeData* Data = SchemeData();
    // The offset handed to the followers is measured from the top-left corner for the body
    // and the top and left sides, from the bottom-right corner for the right and bottom sides,
    // and from the point itself for a hook.
    const int Reference = (FMovingDetail == -3 || FMovingDetail == -4) ? 2
                          : FMovingDetail < 0                          ? 0
                                                                       : FMovingDetail;
    const TPointExt From = Obj->GetPointsExt(Reference);
    const QRegion Left =
        Obj->ChangePositionDetailAndGetDiffRgn(Target.X, Target.Y, FMovingDetail, Zoom(), Param());
    // The document's books follow the step; the other views catch up at the release.
    Data->ObjectChangedDirect(Obj, true);
    InvalidateRgn(OffsetRgn(Left, -OriginX(), -OriginY()));
    if (Obj->FullRepaintIfMoved())
        Data->ObjectRepaintDirectInWindow(Obj, this);
    else
        Data->ObjectPaintDirectInWindow(Obj, this);
    try {
        Data->LinkApply(Obj, Target.X - From.X, Target.Y - From.Y, FMovingDetail, this);
    } catch (...) {
        UpdateNow();
        throw;
    }
    UpdateNow();
}

// ---- the end of a grab ---------------------------------------------------------------------

void TSchemeVisualEditing::CancelObjectMoving(bool APublish) {
    EndGrab(APublish, SchemeData());
}

void TSchemeVisualEditing::EndGrab(bool APublish, TSchemeData* Data) {
    TSchemeObject* Obj = FMovingObject;
    if (!Obj) return;
    // However publishing ends, nothing stays held and the cursor is given back.
    const std::vector<TSchemeObject*> Group = std::exchange(FGroup, {});
    struct TRelease {
        TSchemeVisualEditing& View;
        ~TRelease() {
            View.FMovingObject = nullptr;
            View.FDragging = false;
            View.FGrabButton.reset();
            View.FCursor.Restore();
            if (QPointer<TSchemeData> Group = std::exchange(View.FGroupData, nullptr))
                Group->History().EndGroup();
        }
    } Release{*this};
    Obj->SetMoved(false);
    for (TSchemeObject* Member : Group) Member->SetMoved(false);
    if (Data && FDragging && APublish) {
        Obj->Changed();
        for (TSchemeObject* Member : Group)
            if (Member != Obj) Member->Changed();
        Data->RepaintAllVisualControls(false);
    }
}

std::vector<TSchemeObject*> TSchemeVisualEditing::HeldObjects() const {
    if (!FGroup.empty()) return FGroup;
    return ISchemeGrabbingVisual::HeldObjects();
}

void TSchemeVisualEditing::SetMovingGroup(std::vector<TSchemeObject*> Group) {
    FGroup = std::move(Group);
    for (TSchemeObject* Member : FGroup) Member->SetMoved(true);
}

}  // namespace scheme
