// Selecting many objects in the editing views: toggling clicks, the rubber band, the keys that
// select everything or cancel.
#include <QKeyEvent>
#include <QRubberBand>

#include "scheme/document/history/scheme_history.h"
#include "scheme/platform/error_handler.h"
#include "scheme/view/scheme_visual_editor.h"

namespace scheme {

// A drag shorter than this (pixels, either way) is a click.
constexpr int kBandClick = 3;

struct TSchemeVisualEditing::TBand {
    QPoint Origin;
    QPoint Now;
    bool Adding = false;
    std::unique_ptr<QRubberBand> Shown;

    QRect Rect() const { return QRect(Origin, Now).normalized(); }
    bool Click() const {
        return std::abs(Now.x() - Origin.x()) < kBandClick &&
               std::abs(Now.y() - Origin.y()) < kBandClick;
    }
};

TSchemeVisualEditing::TSchemeVisualEditing(QWidget* AParent) : TSchemeVisual(AParent) {}

// The other views show the object where the grab left it; this one is going.
TSchemeVisualEditing::~TSchemeVisualEditing() {
    TSchemeData* Data = SchemeData();
    RunGuarded([&] { TSchemeVisual::SetSchemeData(nullptr); });
    if (FMovingObject) RunGuarded([&] { EndGrab(true, Data); });
}

bool TSchemeVisualEditing::PressSelects(TShiftState Shift, int X, int Y, TSchemeObject* Obj) {
    const bool Adding = (Shift & (ssCtrl | ssShift)) != 0;
    if (Obj && !Adding) return false;
    if (Obj) {
        SchemeData()->SelectObjects(std::span(&Obj, 1), TSchemeData::TSelectMode::Toggle);
        return true;
    }
    FBand = std::make_unique<TBand>();
    FBand->Origin = FBand->Now = QPoint(X, Y);
    FBand->Adding = Adding;
    return true;
}

void TSchemeVisualEditing::MoveBand(int X, int Y) {
    FBand->Now = QPoint(std::clamp(X, 0, std::max(viewport()->width() - 1, 0)),
                        std::clamp(Y, 0, std::max(viewport()->height() - 1, 0)));
    if (FBand->Click() && !FBand->Shown) return;
    if (!FBand->Shown) {
        FBand->Shown = std::make_unique<QRubberBand>(QRubberBand::Rectangle, viewport());
        FBand->Shown->show();
    }
    FBand->Shown->setGeometry(FBand->Rect());
}

// The band's rectangle in world units selects what lies wholly inside it; a click on empty
// space clears the selection unless it adds to it.
void TSchemeVisualEditing::EndBand(bool Select) {
    const std::unique_ptr<TBand> Band = std::move(FBand);
    if (!Select || !SchemeData()) return;
    if (Band->Click()) {
        if (!Band->Adding) SchemeData()->ClearSelection();
        return;
    }
    const QRect R = Band->Rect();
    Extended Left = R.left(), Top = R.top(), Right = R.right() + 1, Bottom = R.bottom() + 1;
    TransformZoomAndOriginXYExt(Left, Top);
    TransformZoomAndOriginXYExt(Right, Bottom);
    const std::vector<TSchemeObject*> Inside =
        SchemeData()->ObjectsInside(Left, Top, Right, Bottom);
    SchemeData()->SelectObjects(
        Inside, Band->Adding ? TSchemeData::TSelectMode::Add : TSchemeData::TSelectMode::Replace);
}

void TSchemeVisualEditing::Cancel() {
    if (FBand) EndBand(false);
    if (FMovingObject) {
        if (FGroupData) FGroupData->History().RevertGroup();
        CancelObjectMoving(false);
        if (SchemeData()) SchemeData()->RepaintAllVisualControls(false);
    }
    if (SchemeData()) SchemeData()->ClearSelection();
}

bool TSchemeVisualEditing::KeyDown(int Key, Qt::KeyboardModifiers Modifiers) {
    if (!SchemeData()) return false;
    if (Key == Qt::Key_Escape) {
        Cancel();
        return true;
    }
    if (Key == Qt::Key_A && Modifiers == Qt::ControlModifier && FEditEnabled) {
        SchemeData()->SelectAll();
        return true;
    }
    return false;
}

void TSchemeVisualEditing::keyPressEvent(QKeyEvent* Event) {
    bool Done = false;
    RunGuarded([&] { Done = KeyDown(Event->key(), Event->modifiers()); });
    if (Done)
        Event->accept();
    else
        TSchemeVisual::keyPressEvent(Event);
}

}  // namespace scheme
