#include "scheme/view/scheme_visual.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <optional>

#include "scheme/model/scheme_layer.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/hint_window.h"

namespace scheme {

TSchemeVisual::TSchemeVisual(QWidget* AParent)
    : QAbstractScrollArea(AParent), FHintWindow(std::make_unique<THintWindow>(this)) {
    resize(100, 100);
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Every pixel comes from the back buffer: Qt need not clear anything first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    // Pinches on touch screens; touchpads send native zoom gestures instead.
    viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    viewport()->grabGesture(Qt::PinchGesture);

    FPicture.OnChange = [this](TObject*) { PictureChanged(); };
    FGrid.OnChange = [this](TObject*) { RepaintClientRect(); };
    FGridPen.OnChange = [this](TObject*) { RepaintClientRect(); };

    QScrollBar* Bars[2] = {horizontalScrollBar(), verticalScrollBar()};
    for (int Bar = 0; Bar < 2; ++Bar) {
        connect(Bars[Bar], &QAbstractSlider::actionTriggered, this,
                [this, Bar](int Action) { RunGuarded([&] { BarAction(Bar, Action); }); });
        Bars[Bar]->installEventFilter(this);
    }
    ApplyScrollRanges();
    FOldClipRect = TRect{0, 0, viewport()->width(), viewport()->height()};
}

TSchemeVisual::~TSchemeVisual() {
    FHintTimer.stop();
    FDirectCanvas.reset();
    SetSchemeData(nullptr);
}

// ---- the document --------------------------------------------------------------------------

void TSchemeVisual::SetSchemeData(TSchemeData* AValue) {
    if (FSchemeData == AValue) return;
    DropPan();
    disconnect(FDataGone);
    if (FSchemeData) FSchemeData->RemoveSchemeVisualLink(this);
    // The pointer clears itself when the document is freed, which also forgets the view.
    FSchemeData = AValue;
    if (!AValue) return;
    AValue->AddSchemeVisualLink(this);
    FDataGone = connect(AValue, &QObject::destroyed, this, [this] { DropPan(); });
}

// ---- looks ---------------------------------------------------------------------------------

void TSchemeVisual::SetColor(TColor AValue) {
    if (FColor == AValue) return;
    FColor = AValue;
    RepaintClientRect();
}

bool TSchemeVisual::ZoomInRange(Extended AValue) {
    return AValue > 0.1L && static_cast<double>(AValue) > 0.1 && AValue <= kMaxZoom;
}

void TSchemeVisual::SetZoom(Extended AValue) {
    if (AValue == FZoom) return;
    // 0.1L is the value nearest to one tenth: a zoom of exactly that is refused, 10 is not. A
    // caller that holds a zoom as a double (the Zoom property, a spin box) has 0.1 as the
    // double nearest to one tenth, a little above 0.1L: every zoom that is that double when
    // rounded is refused as well.
    if (!ZoomInRange(AValue)) RaiseError(QStringLiteral("Zoom ?"));
    FClipRectChangeType =
        AValue > FZoom ? TClipRectChangeType::vcZoomIn : TClipRectChangeType::vcZoomOut;
    FOldClipRect = ToWorld(VisibleRect());
    FZoom = AValue;
    if (Extended(FPicture.Width()) * FZoom < viewport()->width() ||
        Extended(FPicture.Height()) * FZoom < viewport()->height()) {
        // No part of the old, larger picture may stay on screen. The fill covers every pixel:
        // the buffer need not get the screen's pixels first.
        TCanvas* Canvas = FPaintCanvas ? GetCanvas() : DirectCanvas(viewport()->rect(), true);
        Canvas->Brush().SetStyle(TBrushStyle::bsSolid);
        Canvas->Brush().SetColor(FColor);
        Canvas->FillRect(TRect{0, 0, viewport()->width(), viewport()->height()});
    }
    NewZoom();
}

void TSchemeVisual::SetPicture(const TPicture& AValue) {
    FPicture.Assign(AValue);
}

void TSchemeVisual::PictureChanged() {
    NewZoom();
}

void TSchemeVisual::SetGrid(const TSchemeGridType& AValue) {
    FGrid.Assign(AValue);
}

void TSchemeVisual::SetGridPen(const TPen& AValue) {
    FGridPen.Assign(AValue);
}

void TSchemeVisual::SetParam(int AValue) {
    if (FParam == AValue) return;
    FParam = AValue;
    RepaintClientRect();
}

// ---- coordinate transforms -----------------------------------------------------------------

void TSchemeVisual::TransformZoomXY(int& X, int& Y) const {
    X = Trunc(X / FZoom);
    Y = Trunc(Y / FZoom);
}

void TSchemeVisual::TransformZoomAndOriginXY(int& X, int& Y) const {
    X += FOriginX;
    Y += FOriginY;
    TransformZoomXY(X, Y);
}

void TSchemeVisual::TransformZoomXYExt(Extended& X, Extended& Y) const {
    X /= FZoom;
    Y /= FZoom;
}

void TSchemeVisual::TransformZoomAndOriginXYExt(Extended& X, Extended& Y) const {
    X = FOriginX + X;
    Y = FOriginY + Y;
    TransformZoomXYExt(X, Y);
}

TRect TSchemeVisual::ToWorld(const TRect& Zoomed) const {
    TRect R = Zoomed;
    TransformZoomXY(R.Left, R.Top);
    TransformZoomXY(R.Right, R.Bottom);
    return R;
}

// ---- zoom and scrolling --------------------------------------------------------------------

TRect TSchemeVisual::VisibleRect() const {
    return TRect{FOriginX, FOriginY, FOriginX + viewport()->width(),
                 FOriginY + viewport()->height()};
}

void TSchemeVisual::NewZoom() {
    if (FPicture.Graphic()) {
        FZoomedPictureWidth = Trunc(FPicture.Width() * FZoom);
        FZoomedPictureHeight = Trunc(FPicture.Height() * FZoom);
    }
    NewMaxScrollBarParams();
}

void TSchemeVisual::NewMaxScrollBarParams() {
    FHorzMax = 100;
    FVertMax = 100;
    if (FPicture.Graphic()) {
        FHorzMax = std::max(FZoomedPictureWidth - viewport()->width(), 0);
        FVertMax = std::max(FZoomedPictureHeight - viewport()->height(), 0);
    }
    // Both bars step by the horizontal range.
    FLineStep = std::max(FHorzMax / 100, 1);
    FPageStep = std::max(FHorzMax / 10, 1);
    ApplyScrollRanges();
    const TPoint Origin =
        FZoomOrigin.value_or(TPoint{horizontalScrollBar()->value(), verticalScrollBar()->value()});
    DoScroll(0, TScrollCode::scPosition, Origin.X);
    DoScroll(1, TScrollCode::scPosition, Origin.Y);
    ScrollBarChanged();
}

void TSchemeVisual::ApplyScrollRanges() {
    QScrollBar* Bars[2] = {verticalScrollBar(), horizontalScrollBar()};
    const int Max[2] = {FVertMax, FHorzMax};
    for (int I = 0; I < 2; ++I) {
        Bars[I]->setRange(0, Max[I]);
        Bars[I]->setSingleStep(FLineStep);
        Bars[I]->setPageStep(FPageStep);
    }
}

void TSchemeVisual::SetBarPosition(int ABar, int Position) {
    (ABar == 0 ? FOriginX : FOriginY) = Position;
    (ABar == 0 ? horizontalScrollBar() : verticalScrollBar())->setValue(Position);
}

void TSchemeVisual::DoScroll(int ABar, TScrollCode ACode, int ThumbPos) {
    FScrolling = true;
    int Position = ABar == 0 ? FOriginX : FOriginY;
    const int Max = ABar == 0 ? FHorzMax : FVertMax;
    switch (ACode) {
        case TScrollCode::scLineUp:
            Position -= FLineStep;
            break;
        case TScrollCode::scLineDown:
            Position += FLineStep;
            break;
        case TScrollCode::scPageUp:
            Position -= FPageStep;
            break;
        case TScrollCode::scPageDown:
            Position += FPageStep;
            break;
        case TScrollCode::scTop:
            Position = 0;
            break;
        case TScrollCode::scBottom:
            Position = Max;
            break;
        case TScrollCode::scPosition:
        case TScrollCode::scTrack:
            Position = ThumbPos;
            break;
        case TScrollCode::scEndScroll:
            break;
    }
    SetBarPosition(ABar, std::clamp(Position, 0, Max));
    if (ACode == TScrollCode::scEndScroll) {
        FClipRectChangeType = ABar == 0 ? TClipRectChangeType::vcHorz : TClipRectChangeType::vcVert;
        ScrollBarChanged();
    }
}

namespace {

std::optional<TScrollCode> ScrollCodeOf(int Action) {
    using S = QAbstractSlider;
    static constexpr std::pair<int, TScrollCode> Codes[] = {
        {S::SliderSingleStepSub, TScrollCode::scLineUp},
        {S::SliderSingleStepAdd, TScrollCode::scLineDown},
        {S::SliderPageStepSub, TScrollCode::scPageUp},
        {S::SliderPageStepAdd, TScrollCode::scPageDown},
        {S::SliderToMinimum, TScrollCode::scTop},
        {S::SliderToMaximum, TScrollCode::scBottom},
        {S::SliderMove, TScrollCode::scTrack},
    };
    for (const auto& [From, To] : Codes)
        if (From == Action) return To;
    return std::nullopt;
}

}  // namespace

// The scroll bars' own requests. While a mouse button is held on a bar its requests form one
// gesture, reported when the button is released; a request from the keyboard or the wheel is a
// gesture of its own.
void TSchemeVisual::BarAction(int ABar, int Action) {
    QScrollBar* Bar = ABar == 0 ? horizontalScrollBar() : verticalScrollBar();
    const std::optional<TScrollCode> Code = ScrollCodeOf(Action);
    if (!Code) return;
    // The bar has already moved its slider by its own steps, which are the view's.
    DoScroll(ABar, *Code, Bar->sliderPosition());
    Bar->setSliderPosition(ABar == 0 ? FOriginX : FOriginY);
    if (!FBarHeld[ABar] && !Bar->isSliderDown()) DoScroll(ABar, TScrollCode::scEndScroll);
}

void TSchemeVisual::BarReleased(int ABar) {
    if (FScrolling) DoScroll(ABar, TScrollCode::scEndScroll);
}

bool TSchemeVisual::eventFilter(QObject* Watched, QEvent* Event) {
    for (int Bar = 0; Bar < 2; ++Bar) {
        if (Watched != (Bar == 0 ? horizontalScrollBar() : verticalScrollBar())) continue;
        if (Event->type() == QEvent::MouseButtonPress) FBarHeld[Bar] = true;
        if (Event->type() == QEvent::MouseButtonRelease && FBarHeld[Bar]) {
            FBarHeld[Bar] = false;
            RunGuarded([&] { BarReleased(Bar); });
        }
    }
    return QAbstractScrollArea::eventFilter(Watched, Event);
}

// The content follows the bars at once, whoever moved them.
void TSchemeVisual::scrollContentsBy(int /*DX*/, int /*DY*/) {
    FOriginX = horizontalScrollBar()->value();
    FOriginY = verticalScrollBar()->value();
    RepaintClientRect();
}

void TSchemeVisual::DoScrollCenterInPoint(const TPoint& P) {
    FScrolling = true;
    FClipRectChangeType = TClipRectChangeType::vcZoomIn;
    FOldClipRect = ToWorld(VisibleRect());
    const TRect R = VisibleRect();
    const int X = MinInt(MaxInt(P.X - R.Width() / 2, 0), FHorzMax);
    const int Y = MinInt(MaxInt(P.Y - R.Height() / 2, 0), FVertMax);
    SetBarPosition(0, X);
    SetBarPosition(1, Y);
    ScrollBarChanged();
}

void TSchemeVisual::SetCenterToPoint(const TPoint& P) {
    DoScrollCenterInPoint(TPoint{Trunc(P.X * FZoom), Trunc(P.Y * FZoom)});
}

TPoint TSchemeVisual::GetCenterPoint() const {
    const TRect R = ToWorld(VisibleRect());
    return TPoint{R.Left + (R.Right - R.Left) / 2, R.Top + (R.Bottom - R.Top) / 2};
}

void TSchemeVisual::ScrollBarChanged() {
    ClipRectChanged();
    Refresh();
    FScrolling = false;
}

void TSchemeVisual::ClipRectChanged() {
    if (!OnClipRectChange) return;
    TRect New = VisibleRect();
    const TRect Saved = New;
    const TRect& Old = FOldClipRect;
    // A scroll reports only the strip that came into view.
    if (FClipRectChangeType == TClipRectChangeType::vcHorz) {
        if (New.Left > Old.Left && New.Left < Old.Right)
            New.Left = Old.Right;
        else if (New.Left < Old.Left && New.Right > Old.Left)
            New.Right = Old.Left;
    } else if (FClipRectChangeType == TClipRectChangeType::vcVert) {
        if (New.Top > Old.Top && New.Top < Old.Bottom)
            New.Top = Old.Bottom;
        else if (New.Top < Old.Top && New.Bottom > Old.Top)
            New.Bottom = Old.Top;
    }
    New = ToWorld(New);
    const bool Scroll = FClipRectChangeType == TClipRectChangeType::vcHorz ||
                        FClipRectChangeType == TClipRectChangeType::vcVert;
    const TRect OldReported = Scroll ? ToWorld(FOldClipRect) : FOldClipRect;
    FOldClipRect = Saved;
    OnClipRectChange(this, New, OldReported, FClipRectChangeType);
}

void TSchemeVisual::resizeEvent(QResizeEvent* Event) {
    QAbstractScrollArea::resizeEvent(Event);
    // What lies outside the client area now will never be painted.
    FStale &= viewport()->rect();
    FUnshown &= viewport()->rect();
    RunGuarded([&] { NewMaxScrollBarParams(); });
}

// ---- search --------------------------------------------------------------------------------

void TSchemeVisual::FindObjectDirect(TSchemeObject* AObject) {
    if (!AObject || !AObject->Visible()) return;
    if (AObject->Layer() && !AObject->Layer()->Visible()) return;
    TPoint P;
    AObject->GetOriginPoint(P, FParam);
    P = TPoint{Trunc(P.X * FZoom), Trunc(P.Y * FZoom)};
    if (!PtInRect(VisibleRect(), P)) DoScrollCenterInPoint(P);
}

TSchemeObject* TSchemeVisual::FindObject(int ALayerId, int AId) {
    if (!FSchemeData) return nullptr;
    TSchemeObject* Obj = FSchemeData->GetLayer(ALayerId)->GetItem(AId);
    FindObjectDirect(Obj);
    return Obj;
}

}  // namespace scheme
