#pragma once

#include "scheme/platform/export.h"
#include "scheme/platform/types.h"

namespace scheme {

// Where an object can paint or be hit, at every zoom: a box in world units grown by a margin of
// pixels that do not scale with the zoom (pens, hook squares, rounding). The box is kept in
// double precision, rounded outwards, so that it always holds the exact area.
struct SCHEME_EXPORT TSchemeArea {
    double Left = 0;
    double Top = 0;
    double Right = -1;
    double Bottom = -1;
    int Margin = 0;

    // A box from (Left, Top) to (Right, Bottom) in world units; empty when Right < Left.
    static TSchemeArea World(Extended Left, Extended Top, Extended Right, Extended Bottom,
                             int Margin);
    bool IsEmpty() const { return !(Left <= Right && Top <= Bottom); }
    // The smallest area that holds both.
    TSchemeArea United(const TSchemeArea& Other) const;
    // The area in zoomed pixels (relative to the world origin), right and bottom exclusive;
    // an empty rectangle for an empty area.
    TRect AtZoom(Extended Zoom) const;
    bool operator==(const TSchemeArea&) const = default;
};

}  // namespace scheme
