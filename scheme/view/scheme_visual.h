#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QCursor>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <functional>
#include <memory>
#include <optional>

#include "scheme/document/scheme_data.h"
#include "scheme/document/scheme_grid_type.h"
#include "scheme/document/scheme_visual_link.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/color.h"
#include "scheme/platform/graphics.h"
#include "scheme/platform/input.h"
#include "scheme/platform/picture.h"

class QGestureEvent;

namespace scheme {

class TBitmap;
class TMetafile;
class THintWindow;

// What changed the visible area: a zoom (or a centring, reported as a zoom in), or a scroll.
enum class TClipRectChangeType { vcZoomIn, vcZoomOut, vcHorz, vcVert };

// The requests a scroll bar makes.
enum class TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};

using TSchemeVisualPaintEvent = std::function<void(TObject* Sender, TCanvas& ACanvas)>;
using TSchemeVisualClipRectChangeEvent =
    std::function<void(TObject* Sender, const TRect& ANewVisibleRect, const TRect& AOldClipRect,
                       TClipRectChangeType AType)>;
using TSchemeVisualShowHintEvent =
    std::function<void(TObject* Sender, TSchemeObject* AObject, const TPoint& APoint,
                       QString& HintString, bool& CanVisible)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// A view of one document: shows it at a zoom over a background picture and a grid, scrolls,
// repaints what the document invalidates, paints what the document paints straight into it,
// shows hints over objects and passes presses and releases on to the document.
//
// Three coordinate spaces meet here. World units are the document's; zoomed pixels are world
// units times Zoom, and the scrolling area is measured in them; client pixels are zoomed pixels
// minus the origin (the scroll bars' positions). Painting always happens in zoomed pixels: the
// canvas's window origin is the view's origin.
//
// Invalidated parts of the client area are re-rendered in the next paint, clipped to what was
// invalidated, straight into the window's backing store. Direct painting (blink passes,
// objects being dragged) goes at once into a back buffer of the client area, which first gets
// what the screen shows there, and is copied to the screen for its own area only.
//
// The published settings are Qt properties too, so that forms store them and Designer edits
// them. Colours are their texts ("clWindow", "$0080FFFF"), as documents store colours. Qt's
// property system cannot carry an exception, so a value a setter refuses (a zoom out of range,
// a text that is no colour) is handed to the application's error handler and the property
// keeps its value.
//
// Every view zooms with Ctrl and the wheel and with pinches around the pointer, and pans with
// the middle button, or with the left one while Space is held; presses that pan never reach
// MouseDown, so no descendant grabs anything with them.
class SCHEME_EXPORT TSchemeVisual : public QAbstractScrollArea, public ISchemeVisual {
    Q_OBJECT
    Q_PROPERTY(QString Color READ ColorText WRITE WriteColor RESET ResetColor)
    Q_PROPERTY(double Zoom READ Zoom WRITE WriteZoom RESET ResetZoom)
    Q_PROPERTY(int Param READ Param WRITE SetParam RESET ResetParam)
    Q_PROPERTY(bool GridEnabled READ GridEnabled WRITE SetGridEnabled RESET ResetGridEnabled)
    Q_PROPERTY(double GridDeltaX READ GridDeltaX WRITE SetGridDeltaX RESET ResetGridDeltaX)
    Q_PROPERTY(double GridDeltaY READ GridDeltaY WRITE SetGridDeltaY RESET ResetGridDeltaY)
    Q_PROPERTY(
        QString GridPenColor READ GridPenColorText WRITE WriteGridPenColor RESET ResetGridPenColor)
    Q_PROPERTY(scheme::TPenStyle GridPenStyle READ GridPenStyle WRITE SetGridPenStyle RESET
                   ResetGridPenStyle)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint RESET ResetShowHint)
    Q_PROPERTY(int HintWidth READ HintWidth WRITE SetHintWidth RESET ResetHintWidth)
    Q_PROPERTY(int HintHeight READ HintHeight WRITE SetHintHeight RESET ResetHintHeight)
    Q_PROPERTY(QString HintColor READ HintColorText WRITE WriteHintColor RESET ResetHintColor)
    Q_PROPERTY(int HintPause READ HintPause WRITE SetHintPause RESET ResetHintPause)
    Q_PROPERTY(int HintHidePause READ HintHidePause WRITE SetHintHidePause RESET ResetHintHidePause)
    Q_PROPERTY(double WheelZoomFactor READ WheelZoomFactor WRITE WriteWheelZoomFactor RESET
                   ResetWheelZoomFactor)
    Q_PROPERTY(bool Antialiasing READ Antialiasing WRITE SetAntialiasing RESET ResetAntialiasing)
    Q_PROPERTY(bool ShowLinks READ ShowLinks WRITE SetShowLinks RESET ResetShowLinks)

public:
    static constexpr int kDefaultHintWidth = 100;
    static constexpr int kDefaultHintHeight = 50;
    static constexpr TColor kDefaultHintColor = 0x0080FFFF;
    static constexpr int kDefaultHintPause = 5;
    static constexpr int kDefaultHintHidePause = 10;
    static constexpr TColor kDefaultColor = clWindow;
    static constexpr Extended kDefaultZoom = 1.0;
    // The largest zoom SetZoom takes; MinZoom() is the smallest, the double just above 0.1.
    static constexpr Extended kMaxZoom = 10;
    static Extended MinZoom();
    // Whether SetZoom takes AValue: a zoom above 0.1 (also when rounded to a double) and at
    // most kMaxZoom.
    static bool ZoomInRange(Extended AValue);
    static constexpr Extended kDefaultWheelZoomFactor = 1.25;
    // The space ZoomToFit leaves around the drawing, client pixels on every side.
    static constexpr int kFitMargin = 8;
    // One tick of the hint clock.
    static constexpr int kHintTickMs = 1000;
    // The colour of the connectors ShowLinks draws: a blue grey (RGB 96, 125, 139).
    static constexpr TColor kLinkColor = 0x008B7D60;
    // Why an export or a print of a drawing without pixels is refused.
    static constexpr const char* kEmptyDrawing =
        "the drawing is empty (0 x 0 pixels): the view has no picture";

    explicit TSchemeVisual(QWidget* AParent = nullptr);
    ~TSchemeVisual() override;

    // ---- the document ----
    TSchemeData* SchemeData() const { return FSchemeData; }
    // Moves the view from the old document's views to the new one's; repaints nothing.
    virtual void SetSchemeData(TSchemeData* AValue);

    // ---- looks ----
    TColor Color() const { return FColor; }
    void SetColor(TColor AValue);
    Extended Zoom() const override { return FZoom; }
    // Refuses a zoom of 0.1 or less (also one that is 0.1 when rounded to a double) or above 10
    // with "Zoom ?", changing nothing.
    void SetZoom(Extended AValue);
    TPicture& Picture() { return FPicture; }
    const TPicture& Picture() const { return FPicture; }
    void SetPicture(const TPicture& AValue);
    TSchemeGridType& Grid() { return FGrid; }
    // Copies the settings into the view's own; AValue stays the caller's.
    virtual void SetGrid(const TSchemeGridType& AValue);
    TPen& GridPen() { return FGridPen; }
    virtual void SetGridPen(const TPen& AValue);
    // Kept for forms that set it. Qt's backing store double-buffers every widget, so the
    // setting changes nothing on screen.
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool AValue) { FDoubleBuffered = AValue; }
    int Param() const override { return FParam; }
    virtual void SetParam(int AValue);
    // The view paints with antialiased edges, lines and text (its exports stay aliased). Off by
    // default; a change repaints the whole view.
    bool Antialiasing() const { return FAntialiasing; }
    void SetAntialiasing(bool AValue);
    // The view draws every link of its document as a connector: a dashed line one pixel wide
    // in kLinkColor from the parent's linked point to the child's (TSchemeLink::LinkedPoint),
    // over the objects, after the document and before OnPaint: the enabled links (a disabled one
    // carries nothing) whose two objects are shown (visible, in visible layers). On screen only:
    // exports and prints show the document as it is, without them. Off by default; a change
    // repaints the whole view.
    //
    // While they are shown, each paint compares every connector with the one on screen and
    // repaints the old and the new place of those that moved, whatever moved their ends (a
    // drag, a change in code, an undo); areas painted directly are rendered again so that the
    // connectors stay over them. Off, none of this costs anything.
    bool ShowLinks() const { return FShowLinks; }
    void SetShowLinks(bool AValue);

    // ---- scrolling ----
    int OriginX() const override { return FOriginX; }
    int OriginY() const override { return FOriginY; }
    int HorzMax() const { return FHorzMax; }
    int VertMax() const { return FVertMax; }
    int LineStep() const { return FLineStep; }
    int PageStep() const { return FPageStep; }
    int ZoomedPictureWidth() const { return FZoomedPictureWidth; }
    int ZoomedPictureHeight() const { return FZoomedPictureHeight; }
    bool IsScrolling() const override { return FScrolling; }
    // The visible area in zoomed pixels.
    TRect VisibleRect() const override;
    // Applies one request to one bar (0 horizontal, 1 vertical); ThumbPos is the thumb's position
    // for scPosition and scTrack. Repaints nothing; scEndScroll reports and repaints.
    void DoScroll(int ABar, TScrollCode ACode, int ThumbPos = 0);
    // Scrolls so that P (zoomed pixels) is in the middle of the client area.
    void DoScrollCenterInPoint(const TPoint& P);
    // P in world units.
    void SetCenterToPoint(const TPoint& P);
    // The world point (whole units) in the middle of the visible area.
    TPoint GetCenterPoint() const;

    // ---- gestures ----
    // The zoom factor of one wheel notch (120 units of angle delta) with Ctrl held; a
    // high-resolution wheel's partial delta zooms by the matching power of it. Refuses a factor
    // that is not a finite number above 1 with "WheelZoomFactor ?".
    Extended WheelZoomFactor() const { return FWheelZoomFactor; }
    void SetWheelZoomFactor(Extended AValue);
    // Sets the zoom keeping the world point at the client pixel APoint under that pixel, as far
    // as the scroll range allows; refuses a zoom as SetZoom does.
    void ZoomAtPoint(Extended AValue, const TPoint& APoint);
    // Multiplies the zoom by AFactor around the client pixel APoint, clamped to the zoom limits;
    // at a limit nothing changes. What the wheel and pinches do.
    void ZoomByAtPoint(Extended AFactor, const TPoint& APoint);
    // Sets the largest zoom within the limits at which every visible object of the visible
    // layers fits the client area with kFitMargin pixels around it, and centres the drawing as
    // far as the scroll range allows. Without anything to show it changes nothing.
    void ZoomToFit();
    // The bounds of every visible object of the visible layers at AZoom, zoomed pixels; none
    // when there is no such object.
    std::optional<TRect> DrawingBounds(Extended AZoom) const;
    // A pan of the middle button, or of the left one pressed while Space was held, is going on.
    bool Panning() const { return FPan.has_value(); }
    // Ends a pan in progress: reports the change of the visible area and gives back the cursor.
    // The rest of the pan's press is passed over, up to its release. Losing the focus ends a
    // pan so; detaching or freeing the document ends it without a report.
    void EndPan();

    // ---- coordinate transforms, device to world ----
    void TransformZoomXY(int& X, int& Y) const;
    void TransformZoomAndOriginXY(int& X, int& Y) const;
    void TransformZoomXYExt(Extended& X, Extended& Y) const;
    void TransformZoomAndOriginXYExt(Extended& X, Extended& Y) const;

    // ---- painting ----
    void RepaintClientRect();
    // Invalidates only the areas the document's objects cover.
    void RepaintOnlySchemeData() override;
    // Re-renders the whole client area now.
    void Refresh() override;
    // A canvas over the back buffer, its window origin at the view's origin, on which what is
    // painted is shown at once; during a paint, the paint's own canvas.
    TCanvas* GetCanvas() override;
    TCanvas* GetCanvasFor(const TRect& ZoomedArea) override;
    void InvalidateRgn(const QRegion& Region) override;
    virtual void PaintPicture(TCanvas& ACanvas, Extended AZoom);
    virtual void PaintGrid(TCanvas& ACanvas, Extended AZoom);
    void PaintSchemeData();
    // Paints the whole drawing, independent of scrolling, at AZoom.
    void PaintDirectInCanvas(TCanvas& ACanvas, Extended AZoom);
    // SVG.
    void ExportToMetafile(TMetafile& AMetafile, Extended AZoom);
    void ExportToMetafile(const QString& AFileName, Extended AZoom);
    // The file's format follows its extension (BMP, PNG, JPEG, any format Qt writes).
    void ExportToBmp(TBitmap& ABitmap, Extended AZoom);
    void ExportToBmp(const QString& AFileName, Extended AZoom);
    // PDF: one page of exactly ExportSize(AZoom) points (a pixel at the zoom is a point; see
    // SetUpPdfWriter), vector drawing, texts kept as text. Empty for a drawing without pixels.
    QByteArray ExportPdf(Extended AZoom);
    // Refuses a drawing without pixels and a file that cannot be written, as the other
    // exports do; the file is replaced only once every byte is written.
    void ExportToPdf(const QString& AFileName, Extended AZoom);
    // The size of every export at AZoom: the picture's size at the zoom, in pixels.
    QSize ExportSize(Extended AZoom) const;

    // ---- search ----
    // Scrolls the object's centre into the middle when it is not visible.
    void FindObjectDirect(TSchemeObject* AObject) override;
    TSchemeObject* FindObject(int ALayerId, int AId);

    // ---- hints ----
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool AValue);
    int HintWidth() const { return FHintWidth; }
    void SetHintWidth(int AValue) { FHintWidth = AValue; }
    int HintHeight() const { return FHintHeight; }
    void SetHintHeight(int AValue) { FHintHeight = AValue; }
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor AValue) { FHintColor = AValue; }
    int HintPause() const { return FHintPause; }
    void SetHintPause(int AValue) { FHintPause = AValue; }
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int AValue) { FHintHidePause = AValue; }
    const THintWindow* HintWindow() const { return FHintWindow.get(); }
    bool HintClockRunning() const { return FHintTimer.isActive(); }
    // One tick of the hint clock.
    virtual void HintTick();
    virtual void ShowHintWindow();
    void HideHintWindow();
    // Whether the view's window is the active one (a view without a parent always is).
    virtual bool OwnerInFocus() const;

    // ---- events ----
    // After the document was painted, on the paint's canvas.
    TSchemeVisualPaintEvent OnPaint;
    TSchemeVisualClipRectChangeEvent OnClipRectChange;
    TSchemeVisualShowHintEvent OnShowHint;
    TNotifyEvent OnHideHint;
    // The view's own mouse events, in client pixels.
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnDblClick;

protected:
    // The views the document sees react to its change channel through these; descendants
    // override the mouse handlers and keep the hint behaviour by calling them.
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);

    // Paints at once what was invalidated or painted directly since the last paint, so that
    // the screen is up to date before the next mouse event (no event processing needed).
    void UpdateNow();

    void NewZoom();
    void NewMaxScrollBarParams();
    void ScrollBarChanged();
    void ClipRectChanged();
    void SetClipRectChangeType(TClipRectChangeType AType) { FClipRectChangeType = AType; }

    bool event(QEvent* Event) override;
    bool viewportEvent(QEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void scrollContentsBy(int DX, int DY) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void timerEvent(QTimerEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // ---- the property system's accessors ----
    QString ColorText() const;
    void WriteColor(const QString& AValue);
    void ResetColor() { SetColor(kDefaultColor); }
    void WriteZoom(double AValue);
    void ResetZoom() { SetZoom(kDefaultZoom); }
    void ResetParam() { SetParam(0); }
    bool GridEnabled() const { return FGrid.Enabled(); }
    void SetGridEnabled(bool AValue) { FGrid.SetEnabled(AValue); }
    void ResetGridEnabled() { SetGridEnabled(false); }
    double GridDeltaX() const { return FGrid.DeltaX(); }
    void SetGridDeltaX(double AValue) { FGrid.SetDeltaX(AValue); }
    void ResetGridDeltaX() { SetGridDeltaX(0); }
    double GridDeltaY() const { return FGrid.DeltaY(); }
    void SetGridDeltaY(double AValue) { FGrid.SetDeltaY(AValue); }
    void ResetGridDeltaY() { SetGridDeltaY(0); }
    QString GridPenColorText() const;
    void WriteGridPenColor(const QString& AValue);
    void ResetGridPenColor();
    TPenStyle GridPenStyle() const;
    void SetGridPenStyle(TPenStyle AValue);
    void ResetGridPenStyle();
    void ResetShowHint() { SetShowHint(true); }
    void ResetHintWidth() { SetHintWidth(kDefaultHintWidth); }
    void ResetHintHeight() { SetHintHeight(kDefaultHintHeight); }
    QString HintColorText() const;
    void WriteHintColor(const QString& AValue);
    void ResetHintColor() { SetHintColor(kDefaultHintColor); }
    void ResetHintPause() { SetHintPause(kDefaultHintPause); }
    void ResetHintHidePause() { SetHintHidePause(kDefaultHintHidePause); }
    void WriteWheelZoomFactor(double AValue);
    void ResetWheelZoomFactor() { SetWheelZoomFactor(kDefaultWheelZoomFactor); }
    void ResetAntialiasing() { SetAntialiasing(false); }
    void ResetShowLinks() { SetShowLinks(false); }

    // ---- link connectors ----
    // Connectors are shown: ShowLinks is on and the document has links.
    bool ConnectorsShown() const;
    // Invalidates the old and the new place of every connector that differs from the one on
    // screen, and takes the new ones as on screen.
    void CheckConnectors();
    void PaintConnectors(TCanvas& ACanvas);

    void PictureChanged();
    void ApplyScrollRanges();
    void SetBarPosition(int ABar, int Position);
    void BarAction(int ABar, int Action);
    void BarReleased(int ABar);
    TRect ToWorld(const TRect& Zoomed) const;
    void PaintRegion(QPainter& Screen, const QRegion& Region);
    void Render(QPainter& Painter, const QRegion& Region);
    void FillBuffer(const QRegion& Region);
    void EnsureBuffer();
    void EndDirectPainting();
    void ShowDirect(const QRect& ClientRect);
    TCanvas* DirectCanvas(const QRect& Shown, bool Covers = false);
    void PaintPictureAndGrid(TCanvas& ACanvas, Extended AZoom);
    // True when the picture is a drawing without anything to draw.
    bool PictureBlank();
    // The whole drawing at AZoom; a null image when it has no pixels.
    QImage ExportImage(Extended AZoom);
    // The whole drawing at AZoom as SVG text.
    QByteArray ExportSvg(Extended AZoom);
    static TShiftState ShiftOf(const QMouseEvent* Event);

    // ---- gestures ----
    // Zooms to AZoom with AOrigin (zoomed pixels at AZoom, clamped to the scroll range) as the
    // new origin, reported once as a zoom; at the same zoom it scrolls there.
    void ZoomAndScroll(Extended AZoom, const TPoint& AOrigin);
    void PinchGesture(QGestureEvent* Event);
    void SetSpaceHeld(bool AValue);
    // What the mouse handlers ask first: whether the event belongs to panning (it starts,
    // moves or ends a pan, or comes from a button whose press did not reach MouseDown). Such an
    // event reaches none of MouseDown, MouseMove and MouseUp.
    bool PanPress(const QMouseEvent* Event);
    bool PanMove(const QMouseEvent* Event);
    bool PanRelease(const QMouseEvent* Event);
    void PanTo(const QPoint& AClient);
    // Reports the scroll from the origin at the press, as the scroll bars report theirs.
    void ReportPan(const TPoint& AFrom);
    // Ends a pan without a report (the view stays where the pan took it).
    void DropPan();
    // The open hand while Space is held, the closed one during a pan, else the viewport's own.
    void UpdatePanCursor();

    QPointer<TSchemeData> FSchemeData;
    TColor FColor = kDefaultColor;
    Extended FZoom = kDefaultZoom;
    TPicture FPicture;
    TSchemeGridType FGrid;
    bool FDoubleBuffered = true;
    TPen FGridPen;
    int FParam = 0;
    bool FAntialiasing = false;
    bool FShowLinks = false;
    // The connectors as last invalidated, by link slot: their ends in world units (none for a
    // slot without a connector).
    struct TConnector {
        TPointExt From, To;
        friend bool operator==(const TConnector&, const TConnector&) = default;
    };
    std::vector<std::optional<TConnector>> FConnectors;

    int FOriginX = 0;
    int FOriginY = 0;
    int FHorzMax = 100;
    int FVertMax = 100;
    int FLineStep = 1;
    int FPageStep = 1;
    int FZoomedPictureWidth = 0;
    int FZoomedPictureHeight = 0;
    bool FScrolling = false;
    // The origin a zoom in progress takes instead of the bars' positions (zoomed pixels).
    std::optional<TPoint> FZoomOrigin;
    // A mouse button is held on a scroll bar: its requests are one gesture until the release.
    bool FBarHeld[2] = {false, false};
    TRect FOldClipRect;
    TClipRectChangeType FClipRectChangeType = TClipRectChangeType::vcZoomIn;
    bool FDrawing = false;

    // What is stale on screen (client pixels); the back buffer of direct painting and the part
    // of it that holds what the screen shows (client pixels, where not stale); the canvas of a
    // paint in progress and the canvas of direct painting.
    QRegion FStale;
    QImage FBuffer;
    QRegion FBufferValid;
    // What was invalidated or painted directly and is not yet on the screen (client pixels).
    QRegion FUnshown;
    TCanvas* FPaintCanvas = nullptr;
    std::unique_ptr<TCanvas> FDirectCanvas;
    // The drawing PictureBlank last looked at, and what it found.
    QByteArray FCheckedDrawing;
    bool FDrawingBlank = false;

    bool FShowHint = true;
    int FHintWidth = kDefaultHintWidth;
    int FHintHeight = kDefaultHintHeight;
    TColor FHintColor = kDefaultHintColor;
    int FHintPause = kDefaultHintPause;
    int FHintHidePause = kDefaultHintHidePause;
    int FHintTicks = -1;
    int FHintShownTicks = -1;
    bool FHintShowing = false;
    QBasicTimer FHintTimer;
    std::unique_ptr<THintWindow> FHintWindow;

    Extended FWheelZoomFactor = kDefaultWheelZoomFactor;
    struct TPan {
        Qt::MouseButton Button;
        QPoint From;    // the press, client pixels
        TPoint Origin;  // the origin at the press
    };
    std::optional<TPan> FPan;
    // The world point a run of zooms at one client pixel keeps there, with the origin and zoom
    // the last of them left; any other scroll or zoom ends the run.
    struct TZoomAnchor {
        TPoint Client;
        TPointExt World;
        TPoint Origin;
        Extended Zoom;
    };
    std::optional<TZoomAnchor> FZoomAnchor;
    bool FSpaceHeld = false;
    // Buttons whose press went to panning: their releases do too.
    Qt::MouseButtons FPanButtons;
    // The viewport's cursor from before the hand was shown (none: it had none of its own).
    bool FHandShown = false;
    std::optional<QCursor> FCursorBeforeHand;
    QMetaObject::Connection FDataGone;
};

}  // namespace scheme
