#pragma once

#include <array>

#include "scheme/model/scheme_box.h"
#include "scheme/platform/color.h"
#include "scheme/platform/graphics.h"
#include "scheme/platform/types.h"

namespace tarsel {

// What the popup menu's adding and zooming actions use. The property panels change these from
// their controls; the values here are what the editor starts with.
struct TEditorSettings {
    scheme::Extended ShapeWidth = 28.0;
    scheme::Extended ShapeHeight = 6.0;
    scheme::TShapeType ShapeType = scheme::TShapeType::stRectangle;
    int ShapeState = 0;

    int ZoneWidth = 20;
    int ZoneHeight = 20;
    scheme::TBrushStyle ZoneFillStyle = scheme::TBrushStyle::bsSolid;
    int ZoneState = 0;

    // Indexed by view: A, B, C.
    std::array<scheme::Extended, 3> ZoomStep = {0.5, 0.5, 0.5};
};

// The state colours (states 0 to 9) of a layer that adding creates.
inline constexpr std::array<scheme::TColor, 10> kNewLayerColors = {
    scheme::clLime, scheme::clYellow, scheme::clRed,     scheme::clAqua,   scheme::clSilver,
    scheme::clGray, scheme::clWhite,  scheme::clFuchsia, scheme::clPurple, scheme::clGreen};

}  // namespace tarsel
