#pragma once

#include <QPolygon>
#include <QRegion>
#include <span>

#include "scheme/platform/export.h"
#include "scheme/platform/types.h"

namespace scheme {

// Regions are QRegion values; an empty region stands for "no region". The builders cover
// what TCanvas draws for the same arguments, pixel for pixel or slightly more.

enum class TPolyFillMode { Alternate = 1, Winding = 2 };

// Columns Left .. Right-1, rows Top .. Bottom-1; empty when Right <= Left or Bottom <= Top.
SCHEME_EXPORT QRegion CreateRectRgn(int Left, int Top, int Right, int Bottom);
SCHEME_EXPORT QRegion CreateRectRgnIndirect(const TRect& R);
// The ellipse inscribed in the rectangle.
SCHEME_EXPORT QRegion CreateEllipticRgn(int Left, int Top, int Right, int Bottom);
SCHEME_EXPORT QRegion CreateEllipticRgnIndirect(const TRect& R);
// A rectangle with rounded corners whose corner ellipse is CornerWidth x CornerHeight.
SCHEME_EXPORT QRegion CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int CornerWidth,
                                         int CornerHeight);
// The inside of the polygon under the given fill rule; fewer than three points give no region.
SCHEME_EXPORT QRegion CreatePolygonRgn(std::span<const TPoint> Points, TPolyFillMode Mode);

// A polygon's region laid out on its grid once, then built or asked about single points:
// Contains(X, Y) answers PtInRegion(Region(), X, Y) without building the region.
class SCHEME_EXPORT TPolygonRgn {
public:
    TPolygonRgn(std::span<const TPoint> Points, TPolyFillMode Mode);
    QRegion Region() const;
    bool Contains(int X, int Y) const;
    // A rectangle that surely holds Region(), found without building it; empty when the
    // region is.
    TRect OuterBounds() const;

private:
    bool Exact() const { return FStepX == 1 && FStepY == 1; }

    QPolygon FGrid;
    Qt::FillRule FRule;
    int FMinX = 0, FMinY = 0, FStepX = 1, FStepY = 1, FHeight = 0, FReach = 1;
};

// Point tests answering exactly PtInRegion(CreateRectRgn(...), X, Y) and so on, without the
// region.
SCHEME_EXPORT bool PtInRectRgn(int Left, int Top, int Right, int Bottom, int X, int Y);
SCHEME_EXPORT bool PtInEllipticRgn(int Left, int Top, int Right, int Bottom, int X, int Y);
SCHEME_EXPORT bool PtInRoundRectRgn(int Left, int Top, int Right, int Bottom, int CornerWidth,
                                    int CornerHeight, int X, int Y);

SCHEME_EXPORT bool PtInRegion(const QRegion& Region, int X, int Y);
// The region moved by (DX, DY).
SCHEME_EXPORT QRegion OffsetRgn(const QRegion& Region, int DX, int DY);
// The smallest rectangle around the region; empty for an empty region.
SCHEME_EXPORT TRect RegionBounds(const QRegion& Region);

}  // namespace scheme
