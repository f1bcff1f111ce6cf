// The view's hint clock and hint window, and the road of presses and releases to the document
// (past the panning, which takes its own presses first).
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QScreen>

#include "scheme/platform/error_handler.h"
#include "scheme/view/hint_window.h"
#include "scheme/view/scheme_visual.h"

namespace scheme {

namespace {

// Brings R onto the screen, trying left, top, right and bottom in this order.
QRect OntoScreen(QRect R, const QRect& Screen) {
    if (R.left() < Screen.left()) R.translate(R.width(), 0);
    if (R.top() < Screen.top()) R.translate(0, R.height());
    if (R.left() + R.width() > Screen.left() + Screen.width()) R.translate(-R.width(), 0);
    if (R.top() + R.height() > Screen.top() + Screen.height()) R.translate(0, -R.height());
    return R;
}

QRect ScreenAround(const QPoint& P) {
    const QScreen* Screen = QGuiApplication::screenAt(P);
    if (!Screen) Screen = QGuiApplication::primaryScreen();
    return Screen ? Screen->geometry() : QRect(0, 0, 1024, 768);
}

std::optional<TMouseButton> ButtonOf(Qt::MouseButton Button) {
    switch (Button) {
        case Qt::LeftButton:
            return TMouseButton::mbLeft;
        case Qt::RightButton:
            return TMouseButton::mbRight;
        case Qt::MiddleButton:
            return TMouseButton::mbMiddle;
        default:
            return std::nullopt;
    }
}

}  // namespace

// ---- the hint clock ------------------------------------------------------------------------

void TSchemeVisual::SetShowHint(bool AValue) {
    if (FShowHint == AValue) return;
    FShowHint = AValue;
    if (!AValue) {
        FHintTimer.stop();
        HideHintWindow();
    } else if (underMouse()) {
        FHintTimer.start(kHintTickMs, this);
    }
}

void TSchemeVisual::HintTick() {
    if (FScrolling || !FShowHint || !OwnerInFocus()) return;
    if (++FHintTicks < FHintPause) return;
    if (FHintShownTicks < 0)
        ShowHintWindow();
    else if (FHintShownTicks == FHintHidePause)
        HideHintWindow();
    else
        ++FHintShownTicks;
}

void TSchemeVisual::timerEvent(QTimerEvent* Event) {
    if (Event->timerId() == FHintTimer.timerId())
        RunGuarded([&] { HintTick(); });
    else
        QAbstractScrollArea::timerEvent(Event);
}

void TSchemeVisual::enterEvent(QEnterEvent* Event) {
    QAbstractScrollArea::enterEvent(Event);
    if (FShowHint) FHintTimer.start(kHintTickMs, this);
}

void TSchemeVisual::leaveEvent(QEvent* Event) {
    QAbstractScrollArea::leaveEvent(Event);
    if (!FShowHint) return;
    RunGuarded([&] { HideHintWindow(); });
    FHintTimer.stop();
}

bool TSchemeVisual::OwnerInFocus() const {
    return !parentWidget() || window()->isActiveWindow();
}

// ---- the hint window -----------------------------------------------------------------------

void TSchemeVisual::ShowHintWindow() {
    if (!FShowHint) return;
    const QPoint P = QCursor::pos();
    // Only a pointer over this view's client area shows its hints.
    if (!FSchemeData || QApplication::widgetAt(P) != viewport()) return;
    const QPoint Client = viewport()->mapFromGlobal(P);
    int X = Client.x();
    int Y = Client.y();
    TransformZoomAndOriginXY(X, Y);
    TSchemeObject* Obj = nullptr;
    {
        // A resting pointer must not change which hook a later operation acts on.
        const TKeepResizedPoints Keep;
        Obj = FSchemeData->ObjectForPointWithCheckEnabled(X, Y, true, FParam);
    }
    if (!Obj) return;
    QString HintString = Obj->GetHintString();
    bool CanVisible = true;
    if (OnShowHint) OnShowHint(this, Obj, TPoint{P.x(), P.y()}, HintString, CanVisible);
    // A hint with nothing to read (none written, or only blanks) would be an empty box over
    // the object: it is passed over as a vetoed one is.
    if (CanVisible && !HintString.trimmed().isEmpty()) {
        QSize Size(FHintWidth, FHintHeight);
        if (FHintWidth <= 0 || FHintHeight <= 0)
            Size = FHintWindow->CalcHintRect(ScreenAround(P).width(), HintString).size();
        const QRect R =
            OntoScreen(QRect(P - QPoint(Size.width(), Size.height()), Size), ScreenAround(P));
        FHintWindow->SetColor(FHintColor);
        FHintShowing = true;
        FHintWindow->ActivateHint(R, HintString);
    }
    // Also after a veto, so that a vetoed hint is tried again only after a whole cycle.
    FHintShownTicks = 0;
}

void TSchemeVisual::HideHintWindow() {
    struct TResetCounters {
        TSchemeVisual* View;
        ~TResetCounters() { View->FHintTicks = View->FHintShownTicks = -1; }
    } Reset{this};
    if (!FHintWindow->isVisible()) return;
    FHintWindow->ReleaseHandle();
    if (OnHideHint) OnHideHint(this);
}

// ---- mouse routing -------------------------------------------------------------------------

TShiftState TSchemeVisual::ShiftOf(const QMouseEvent* Event) {
    TShiftState Shift = 0;
    const Qt::KeyboardModifiers Keys = Event->modifiers();
    if (Keys & Qt::ShiftModifier) Shift |= ssShift;
    if (Keys & Qt::AltModifier) Shift |= ssAlt;
    if (Keys & Qt::ControlModifier) Shift |= ssCtrl;
    const Qt::MouseButtons Buttons = Event->buttons();
    if (Buttons & Qt::LeftButton) Shift |= ssLeft;
    if (Buttons & Qt::RightButton) Shift |= ssRight;
    if (Buttons & Qt::MiddleButton) Shift |= ssMiddle;
    if (Event->type() == QEvent::MouseButtonDblClick) Shift |= ssDouble;
    return Shift;
}

void TSchemeVisual::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    HideHintWindow();
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
    if (!FSchemeData) return;
    Extended WorldX = X, WorldY = Y;
    TransformZoomAndOriginXYExt(WorldX, WorldY);
    FSchemeData->MouseDown(this, Button, Shift, WorldX, WorldY);
}

void TSchemeVisual::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
    if (!FSchemeData) return;
    Extended WorldX = X, WorldY = Y;
    TransformZoomAndOriginXYExt(WorldX, WorldY);
    FSchemeData->MouseUp(this, Button, Shift, WorldX, WorldY);
}

void TSchemeVisual::MouseMove(TShiftState Shift, int X, int Y) {
    // The move that follows the showing of a hint leaves it up.
    if (FHintShowing)
        FHintShowing = false;
    else
        HideHintWindow();
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TSchemeVisual::mousePressEvent(QMouseEvent* Event) {
    const std::optional<TMouseButton> Button = ButtonOf(Event->button());
    if (!Button) return QAbstractScrollArea::mousePressEvent(Event);
    if (PanPress(Event)) return;
    const QPoint P = Event->position().toPoint();
    RunGuarded([&] { MouseDown(*Button, ShiftOf(Event), P.x(), P.y()); });
}

void TSchemeVisual::mouseDoubleClickEvent(QMouseEvent* Event) {
    const std::optional<TMouseButton> Button = ButtonOf(Event->button());
    if (!Button) return QAbstractScrollArea::mouseDoubleClickEvent(Event);
    if (PanPress(Event)) return;
    const QPoint P = Event->position().toPoint();
    RunGuarded([&] {
        MouseDown(*Button, ShiftOf(Event), P.x(), P.y());
        if (OnDblClick) OnDblClick(this);
    });
}

void TSchemeVisual::mouseMoveEvent(QMouseEvent* Event) {
    if (PanMove(Event)) return;
    const QPoint P = Event->position().toPoint();
    RunGuarded([&] { MouseMove(ShiftOf(Event), P.x(), P.y()); });
}

void TSchemeVisual::mouseReleaseEvent(QMouseEvent* Event) {
    const std::optional<TMouseButton> Button = ButtonOf(Event->button());
    if (!Button) return QAbstractScrollArea::mouseReleaseEvent(Event);
    if (PanRelease(Event)) return;
    const QPoint P = Event->position().toPoint();
    RunGuarded([&] { MouseUp(*Button, ShiftOf(Event), P.x(), P.y()); });
}

}  // namespace scheme
