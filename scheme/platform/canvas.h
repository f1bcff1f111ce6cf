#pragma once

#include <QBrush>
#include <QPen>
#include <QPolygon>
#include <QRegion>
#include <QString>
#include <QTransform>
#include <array>
#include <memory>
#include <optional>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

#include "scheme/platform/export.h"
#include "scheme/platform/graphics.h"
#include "scheme/platform/object.h"
#include "scheme/platform/types.h"

class QPainter;
class QPaintDevice;
class QImage;

namespace scheme {

class TGraphic;

// Text format flags of DrawText.
enum : unsigned {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_RTLREADING = 0x20000,
};

namespace detail {

// The pixel rows of an ellipse or of a rectangle with elliptic corners, shared by TCanvas and
// the region builders so that a region covers exactly what the canvas paints. Row Y covers
// columns Bounds().Left + Inset(Y) .. Bounds().Right - 1 - Inset(Y); a pixel belongs to the
// shape when its centre lies inside the ideal figure whose edges are the bounds' pixel edges.
class TRoundShape {
public:
    // Bounds must not be empty; the corner ellipse is clamped to [0, size] in each direction.
    TRoundShape(const TRect& Bounds, int CornerWidth, int CornerHeight);

    const TRect& Bounds() const { return FBounds; }
    int CornerWidth() const { return FCornerWidth; }
    int CornerHeight() const { return FCornerHeight; }
    bool IsRectangle() const { return FCornerWidth <= 1 || FCornerHeight <= 1; }
    bool IsEllipse() const;

    // Rows at the top, and as many at the bottom, whose ends the corners cut.
    int CurvedRows() const { return IsRectangle() ? 0 : FCornerHeight / 2; }
    // Pixels left out at each end of the row M rows away from the nearer of top and bottom.
    int InsetFromEdge(int M) const;
    // Pixels left out at each end of row Y (a row of the bounds).
    int Inset(int Y) const;

private:
    TRect FBounds;
    int FCornerWidth;
    int FCornerHeight;
};

}  // namespace detail

// How text and hatched brushes treat the pixels between strokes.
enum class TBkMode { Transparent = 1, Opaque = 2 };

// A drawing surface with the classic device pixel conventions, over a QPainter.
//
// All coordinates are logical pixels; the window origin is the logical point that appears at
// the device's top-left corner. A rectangle from (L, T) to (R, B) covers columns L .. R-1 and
// rows T .. B-1: Rectangle draws its 1-pixel outline on those outer columns and rows and fills
// the inside with the brush; Ellipse and RoundRect stay inside the same bounds. Painting is
// aliased unless the canvas is made smooth.
class SCHEME_EXPORT TCanvas : public TObject {
public:
    // Paints through Painter, which stays the caller's.
    explicit TCanvas(QPainter* Painter);
    // Opens its own painter on Device for the canvas's lifetime.
    explicit TCanvas(QPaintDevice* Device);
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    QPainter* Painter() const { return FPainter; }

    // A smooth canvas draws antialiased edges, lines and text: strokes run through the pixel
    // centres of the aliased ones and round shapes are painted from their ideal outline, so the
    // figures keep their places. Rectangle fills and inversions stay pixel-exact. Off by default.
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool AValue);

    TPen& Pen() { return FPen; }
    TBrush& Brush() { return FBrush; }
    TFont& Font() { return FFont; }

    TPoint WindowOrg() const { return FWindowOrg; }
    void SetWindowOrg(const TPoint& Origin);

    TBkMode BkMode() const { return FBkMode; }
    void SetBkMode(TBkMode Mode) { FBkMode = Mode; }
    // Colour behind text and between hatch lines in opaque mode.
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor Color) { FBkColor = Color; }

    // Restricts painting to a logical rectangle; ClearClipRect lifts the restriction.
    void SetClipRect(const TRect& R);
    void ClearClipRect();
    // The part of the logical plane that painting can reach: the device's area, cut by the
    // clip rectangle.
    TRect ClipRect() const;
    // True when some pixel of R can be painted.
    bool RectVisible(const TRect& R) const;

    void Rectangle(int Left, int Top, int Right, int Bottom);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    // Corner ellipse of CornerWidth x CornerHeight pixels.
    void RoundRect(int Left, int Top, int Right, int Bottom, int CornerWidth, int CornerHeight);
    void Ellipse(int Left, int Top, int Right, int Bottom);
    // Filled with the brush (alternate fill rule) and outlined with the pen.
    void Polygon(std::span<const TPoint> Points);
    void Polyline(std::span<const TPoint> Points);
    void MoveTo(int X, int Y);
    // Draws from the pen position to (X, Y), leaving out the end pixel, and moves there.
    void LineTo(int X, int Y);
    // Fills R with the brush, no outline.
    void FillRect(const TRect& R);
    // Inverts the colour of every pixel of R.
    void InvertRect(const TRect& R);

    // One line of text with its top-left corner at (X, Y) in the font's colour; in opaque mode
    // its cell is first filled with BkColor. Line breaks are not interpreted.
    void TextOut(int X, int Y, const QString& Text);
    int TextWidth(const QString& Text) const;
    int TextHeight(const QString& Text) const;
    // Formatted text in R with DT_ flags; CR, LF and CR LF break lines. With DT_CALCRECT
    // nothing is drawn and R's right and bottom edges are set to fit the text. Answers the
    // height of the text.
    int DrawText(const QString& Text, TRect& R, unsigned Flags);

    // Draws Image stretched over R. A transparent image leaves out the pixels of the colour
    // of its bottom-left pixel.
    void StretchDraw(const TRect& R, const QImage& Image, bool Transparent = false);
    // Draws a picture's graphic stretched over R (defined with the graphics).
    void StretchDraw(const TRect& R, const TGraphic& Graphic);

private:
    // How the pen is drawn: not at all, as a 1-pixel solid line, as a 1-pixel styled line, or
    // as a wide solid stroke (wide pens ignore dash styles).
    enum class TPenKind { None, Thin, Styled, Wide };

    bool Active() const;
    void SetUpPainter();
    void ApplyOrigin();
    void ApplyClip();
    void ApplyBackground();
    TPenKind PenKind() const;
    int PenWidth() const;
    // The Qt pen and brushes for the current settings, made when the settings change and kept
    // from then on: objects of one look share them, and painting allocates nothing for them.
    const QPen& MakePen(TPenKind Kind) const;
    const QBrush& MakeBrush() const;
    const QBrush& PenBrush() const;
    QPen NewPen(TPenKind Kind) const;
    // True when some pixel within Reach of Bounds can be painted.
    bool ReachVisible(const TRect& Bounds, int Reach) const;
    void DrawRoundShape(const TRect& Bounds, int CornerWidth, int CornerHeight);
    void PaintShapeRows(const detail::TRoundShape& Shape, const QBrush& Inside, const QBrush& Edge);
    void StrokeShape(const detail::TRoundShape& Shape, TPenKind Kind);
    void DrawSmoothRoundShape(const TRect& Bounds, int CornerWidth, int CornerHeight);
    // Strokes painted by Draw, shifted half a pixel on a smooth canvas when the pen is an odd
    // number of pixels wide, so that they cover whole pixels as the aliased ones do.
    template <class TDraw>
    void Stroked(TDraw&& Draw);

    std::unique_ptr<QPainter> FOwnPainter;
    QPainter* FPainter = nullptr;
    // The caller's painter state is saved on entry and restored on exit.
    bool FRestorePainter = false;
    // The painter's world transform and clip (in device pixels) when the canvas took it over.
    QTransform FBaseTransform;
    std::optional<QRegion> FBaseClip;
    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    TPoint FWindowOrg;
    TPoint FPenPos;
    TBkMode FBkMode = TBkMode::Opaque;
    TColor FBkColor = clWhite;
    std::optional<TRect> FClipRect;
    bool FSmooth = false;

    // Values made from keys, a few kept: objects take turns among a handful of state colours,
    // and each look is made once rather than once an object. Slots stay empty until used, so
    // that a canvas made for one paint builds only the Qt tools it draws with.
    template <class TKey, class TValue>
    struct TMadeFrom {
        static constexpr size_t kKept = 8;
        std::array<std::optional<std::pair<TKey, TValue>>, kKept> Kept;
        size_t Next = 0;
        template <class F>
        const TValue& Get(const TKey& From, F&& Make) {
            for (const auto& Slot : Kept)
                if (Slot && Slot->first == From) return Slot->second;
            const size_t Slot = Next;
            Next = (Next + 1) % kKept;
            Kept[Slot].emplace(From, Make());
            return Kept[Slot]->second;
        }
    };
    mutable TMadeFrom<std::tuple<TColor, TPenStyle, int, TPenKind>, QPen> FQtPen;
    mutable TMadeFrom<std::pair<TColor, TBrushStyle>, QBrush> FQtBrush;
    mutable TMadeFrom<TColor, QBrush> FQtPenBrush;
    mutable TMadeFrom<TColor, QBrush> FQtBackground;
    mutable TMadeFrom<std::tuple<QString, int, TFontStyles>, QFont> FQtFont;
    // ClipRect as last worked out, and the painter state it was worked out for; the canvas's
    // own clip changes drop it.
    struct TClipMemo {
        const QPaintDevice* Device = nullptr;
        QTransform World;
        bool ViewTransform = false;
        TRect Rect;
    };
    mutable std::optional<TClipMemo> FClipMemo;
    const QFont& QtFont() const;
    TRect WorkOutClipRect() const;
    // Scratch lists of the shape and polygon painters, kept to save their allocations.
    std::vector<QRect> FInsideRects, FEdgeRects;
    std::vector<int> FInsets;
    QPolygon FPolygon;
};

// Lines drawn over what a canvas holds: while it lives the canvas draws with Pen and a clear
// brush; its pen and brush style come back however drawing ends.
class TLineDrawing {
public:
    TLineDrawing(TCanvas& ACanvas, const TPen& Pen)
        : FCanvas(ACanvas), FBrush(ACanvas.Brush().Style()) {
        FPen.Assign(ACanvas.Pen());
        ACanvas.Brush().SetStyle(TBrushStyle::bsClear);
        ACanvas.Pen().Assign(Pen);
    }
    ~TLineDrawing() {
        FCanvas.Pen().Assign(FPen);
        FCanvas.Brush().SetStyle(FBrush);
    }
    TLineDrawing(const TLineDrawing&) = delete;
    TLineDrawing& operator=(const TLineDrawing&) = delete;

private:
    TCanvas& FCanvas;
    TPen FPen;
    TBrushStyle FBrush;
};

}  // namespace scheme
