// The view's gestures: zooming around the pointer with Ctrl and the wheel or with a pinch,
// zooming to fit the drawing, and panning with the middle button or with Space and the left
// button.
#include <QGestureEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "scheme/model/scheme_layer.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/scheme_visual.h"

namespace scheme {

namespace {

// One notch of an ordinary wheel, in units of angle delta (eighths of a degree).
constexpr int kWheelNotch = 120;

TPoint ToPoint(const QPointF& P) {
    const QPoint R = P.toPoint();
    return TPoint{R.x(), R.y()};
}

}  // namespace

// ---- zoom ----------------------------------------------------------------------------------

Extended TSchemeVisual::MinZoom() {
    // SetZoom refuses every zoom that is one tenth as a double.
    return Extended(std::nextafter(0.1, 1.0));
}

void TSchemeVisual::SetWheelZoomFactor(Extended AValue) {
    if (!(AValue > 1) || !std::isfinite(AValue)) RaiseError(QStringLiteral("WheelZoomFactor ?"));
    FWheelZoomFactor = AValue;
}

// The origin is whole pixels, so the world point at a pixel moves by up to half a pixel at each
// zoom; a run of zooms at one pixel keeps the world point of its first step, so that those
// halves do not add up.
void TSchemeVisual::ZoomAtPoint(Extended AValue, const TPoint& APoint) {
    const TPoint Origin{FOriginX, FOriginY};
    if (!FZoomAnchor || !(FZoomAnchor->Client == APoint) || !(FZoomAnchor->Origin == Origin) ||
        FZoomAnchor->Zoom != FZoom) {
        Extended X = APoint.X, Y = APoint.Y;
        TransformZoomAndOriginXYExt(X, Y);
        FZoomAnchor = TZoomAnchor{APoint, PointExt(X, Y), Origin, FZoom};
    }
    const TPointExt World = FZoomAnchor->World;
    ZoomAndScroll(AValue,
                  TPoint{Round(World.X * AValue) - APoint.X, Round(World.Y * AValue) - APoint.Y});
    FZoomAnchor->Origin = TPoint{FOriginX, FOriginY};
    FZoomAnchor->Zoom = FZoom;
}

void TSchemeVisual::ZoomByAtPoint(Extended AFactor, const TPoint& APoint) {
    // A gesture that names no scale (a pinch to nothing, a broken event) changes nothing.
    if (!(AFactor > 0) || !std::isfinite(AFactor)) return;
    const Extended Zoom = std::clamp(FZoom * AFactor, MinZoom(), kMaxZoom);
    if (Zoom != FZoom) ZoomAtPoint(Zoom, APoint);
}

// The new origin is taken by the zoom's own scroll, so that the change is reported once, as a
// zoom, with the area finally shown.
void TSchemeVisual::ZoomAndScroll(Extended AZoom, const TPoint& AOrigin) {
    if (AZoom != FZoom) {
        const QScopedValueRollback<std::optional<TPoint>> Origin(FZoomOrigin, AOrigin);
        SetZoom(AZoom);
    } else if (std::clamp(AOrigin.X, 0, FHorzMax) != FOriginX ||
               std::clamp(AOrigin.Y, 0, FVertMax) != FOriginY) {
        const TRect R = VisibleRect();
        DoScrollCenterInPoint(TPoint{AOrigin.X + R.Width() / 2, AOrigin.Y + R.Height() / 2});
    }
}

std::optional<TRect> TSchemeVisual::DrawingBounds(Extended AZoom) const {
    if (!FSchemeData) return std::nullopt;
    std::optional<TRect> All;
    for (int L = 0; L < FSchemeData->LayerCount(); ++L) {
        const TSchemeLayer* Layer = FSchemeData->GetLayerIndex(L);
        if (!Layer || !Layer->Visible()) continue;
        for (int I = 0; I < Layer->Count(); ++I) {
            const TSchemeObject* Obj = Layer->GetItemIndex(I);
            if (!Obj || !Obj->Visible()) continue;
            const TRect R = Obj->GetBoundsRect(AZoom, FParam);
            if (!R.IsEmpty()) All = All ? UnionRect(*All, R) : R;
        }
    }
    return All;
}

void TSchemeVisual::ZoomToFit() {
    const int Width = viewport()->width() - 2 * kFitMargin;
    const int Height = viewport()->height() - 2 * kFitMargin;
    std::optional<TRect> Bounds = DrawingBounds(1);
    if (!Bounds || Width <= 0 || Height <= 0) return;
    // Pens, hooks and captions keep their size in pixels at every zoom, so the drawing's size
    // is not proportional to the zoom: scaling by what is left over, pass by pass, comes closer
    // to the zoom that fills the area each time by about the share those parts take.
    Extended Zoom = 1;
    for (int Pass = 0; Pass < 4 && Bounds; ++Pass) {
        const Extended Scale = std::min(Extended(Width) / std::max(Bounds->Width(), 1),
                                        Extended(Height) / std::max(Bounds->Height(), 1));
        const Extended Next = std::clamp(Zoom * Scale, MinZoom(), kMaxZoom);
        if (Next == Zoom) break;
        Zoom = Next;
        Bounds = DrawingBounds(Zoom);
    }
    if (!Bounds) return;
    const TRect R = VisibleRect();
    ZoomAndScroll(Zoom, TPoint{Bounds->Left + Bounds->Width() / 2 - R.Width() / 2,
                               Bounds->Top + Bounds->Height() / 2 - R.Height() / 2});
}

// ---- wheel and pinch -----------------------------------------------------------------------

// Zooms are left out during a pan, whose anchor they would move.
void TSchemeVisual::wheelEvent(QWheelEvent* Event) {
    if (!(Event->modifiers() & Qt::ControlModifier)) return QAbstractScrollArea::wheelEvent(Event);
    Event->accept();
    const QPoint Angle = Event->angleDelta();
    const int Delta = Angle.y() != 0 ? Angle.y() : Angle.x();
    if (Delta == 0 || FPan) return;
    RunGuarded([&] {
        ZoomByAtPoint(std::pow(FWheelZoomFactor, Extended(Delta) / kWheelNotch),
                      ToPoint(Event->position()));
    });
}

bool TSchemeVisual::viewportEvent(QEvent* Event) {
    if (Event->type() == QEvent::Gesture) {
        RunGuarded([&] { PinchGesture(static_cast<QGestureEvent*>(Event)); });
        return true;
    }
    if (Event->type() == QEvent::NativeGesture) {
        const auto* Gesture = static_cast<QNativeGestureEvent*>(Event);
        switch (Gesture->gestureType()) {
            case Qt::ZoomNativeGesture:
                if (!FPan)
                    RunGuarded([&] {
                        ZoomByAtPoint(1 + Extended(Gesture->value()), ToPoint(Gesture->position()));
                    });
                [[fallthrough]];
            case Qt::BeginNativeGesture:
            case Qt::EndNativeGesture:
                Event->accept();
                return true;
            default:
                break;
        }
    }
    return QAbstractScrollArea::viewportEvent(Event);
}

void TSchemeVisual::PinchGesture(QGestureEvent* Event) {
    auto* Pinch = static_cast<QPinchGesture*>(Event->gesture(Qt::PinchGesture));
    if (!Pinch) return;
    Event->accept(Pinch);
    if (FPan || !(Pinch->changeFlags() & QPinchGesture::ScaleFactorChanged)) return;
    // The centre is in screen coordinates.
    ZoomByAtPoint(Pinch->scaleFactor(), ToPoint(viewport()->mapFromGlobal(Pinch->centerPoint())));
}

// ---- panning -------------------------------------------------------------------------------

// Space is the pan key: its repeats change nothing, and it goes to no other handler. Losing
// the focus lets go of it and ends a pan.
bool TSchemeVisual::event(QEvent* Event) {
    switch (Event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* Key = static_cast<QKeyEvent*>(Event);
            if (Key->key() != Qt::Key_Space) break;
            const bool Press = Event->type() == QEvent::KeyPress;
            // Ctrl+Space and the like belong to the application and the input method.
            if (Press &&
                (Key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
                break;
            if (!Press && !FSpaceHeld) break;
            if (!Key->isAutoRepeat()) SetSpaceHeld(Press);
            Key->accept();
            return true;
        }
        case QEvent::FocusOut:
            FSpaceHeld = false;
            RunGuarded([&] { EndPan(); });
            UpdatePanCursor();
            break;
        default:
            break;
    }
    return QAbstractScrollArea::event(Event);
}

void TSchemeVisual::SetSpaceHeld(bool AValue) {
    FSpaceHeld = AValue;
    UpdatePanCursor();
}

bool TSchemeVisual::PanPress(const QMouseEvent* Event) {
    const Qt::MouseButton Button = Event->button();
    // A release that went to another window leaves no button marked.
    FPanButtons &= Event->buttons() & ~Button;
    const bool PanButton = Button == Qt::MiddleButton || (Button == Qt::LeftButton && FSpaceHeld);
    if (!PanButton && !FPan) return false;
    FPanButtons |= Button;
    // Only a pan button pressed alone starts a pan: among other buttons it would cut their
    // grab short. Any press during a pan only waits for its release.
    if (FPan || Event->buttons() != Button) return true;
    RunGuarded([&] {
        HideHintWindow();
        FScrolling = true;
        FPan = TPan{Button, Event->position().toPoint(), TPoint{FOriginX, FOriginY}};
        UpdatePanCursor();
    });
    return true;
}

bool TSchemeVisual::PanMove(const QMouseEvent* Event) {
    if (!FPan) return false;
    RunGuarded([&] {
        // A release that went elsewhere ends the pan at the next move.
        if (Event->buttons() & FPan->Button)
            PanTo(Event->position().toPoint());
        else
            EndPan();
    });
    return true;
}

bool TSchemeVisual::PanRelease(const QMouseEvent* Event) {
    const Qt::MouseButton Button = Event->button();
    if (!(FPanButtons & Button)) return false;
    FPanButtons &= ~Button;
    if (FPan && FPan->Button == Button)
        RunGuarded([&] {
            PanTo(Event->position().toPoint());
            EndPan();
        });
    return true;
}

// The zoomed point under the pointer at the press stays under it, within the scroll range.
void TSchemeVisual::PanTo(const QPoint& AClient) {
    const QPoint Moved = AClient - FPan->From;
    const int X = std::clamp(FPan->Origin.X - Moved.x(), 0, FHorzMax);
    const int Y = std::clamp(FPan->Origin.Y - Moved.y(), 0, FVertMax);
    if (X != FOriginX) SetBarPosition(0, X);
    if (Y != FOriginY) SetBarPosition(1, Y);
}

void TSchemeVisual::EndPan() {
    if (!FPan) return;
    const TPoint From = FPan->Origin;
    FPan.reset();
    UpdatePanCursor();
    ReportPan(From);
}

// The document goes also while a view is being destroyed, when no handler may be called.
void TSchemeVisual::DropPan() {
    if (!FPan) return;
    FPan.reset();
    FScrolling = false;
    UpdatePanCursor();
}

// What came into view is reported as the scroll bars report theirs. A pan along both axes
// uncovers an L: it is reported as the strip of the horizontal move (at the old vertical
// position) and then the strip of the vertical one.
void TSchemeVisual::ReportPan(const TPoint& AFrom) {
    // Whatever a report handler raises, the scroll is over.
    struct TEnd {
        bool& Scrolling;
        ~TEnd() { Scrolling = false; }
    } End{FScrolling};
    if (FOriginX == AFrom.X && FOriginY == AFrom.Y) return;
    if (FOriginX != AFrom.X && FOriginY != AFrom.Y) {
        struct TBackToTheBar {
            TSchemeVisual& View;
            ~TBackToTheBar() { View.FOriginY = View.verticalScrollBar()->value(); }
        } Back{*this};
        FOriginY = AFrom.Y;
        FClipRectChangeType = TClipRectChangeType::vcHorz;
        ClipRectChanged();
    }
    DoScroll(FOriginY != AFrom.Y ? 1 : 0, TScrollCode::scEndScroll);
}

void TSchemeVisual::UpdatePanCursor() {
    QWidget* Client = viewport();
    if (!FPan && !FSpaceHeld) {
        if (!std::exchange(FHandShown, false)) return;
        if (FCursorBeforeHand)
            Client->setCursor(*FCursorBeforeHand);
        else
            Client->unsetCursor();
        FCursorBeforeHand.reset();
        return;
    }
    if (!FHandShown) {
        FHandShown = true;
        if (Client->testAttribute(Qt::WA_SetCursor)) FCursorBeforeHand = Client->cursor();
    }
    Client->setCursor(FPan ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
}

}  // namespace scheme
