#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <span>

#include "scheme/platform/export.h"
#include "scheme/platform/graphics.h"
#include "scheme/platform/object.h"
#include "scheme/platform/types.h"

class QPainter;
class QPaintDevice;

namespace scheme {

// How text and hatched brushes treat the pixels between strokes.
enum class TBkMode { Transparent = 1, Opaque = 2 };

// A drawing surface with the pixel conventions diagrams are specified in, over a QPainter.
//
// All coordinates are logical pixels; the window origin is the logical point that appears at
// the device's top-left corner. A rectangle from (L, T) to (R, B) covers columns L .. R-1 and
// rows T .. B-1: Rectangle draws its 1-pixel outline on those outer columns and rows and fills
// the inside with the brush; Ellipse and RoundRect stay inside the same bounds. Painting is
// never antialiased.
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

private:
    void ApplyPen(int ShrinkForInsideFrame = 0);
    void ApplyBrush();
    bool PenVisible() const;

    std::unique_ptr<QPainter> FOwnPainter;
    QPainter* FPainter = nullptr;
    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    TPoint FWindowOrg;
    TPoint FPenPos;
    TBkMode FBkMode = TBkMode::Opaque;
    TColor FBkColor = clWhite;
    std::optional<TRect> FClipRect;
};

}  // namespace scheme
