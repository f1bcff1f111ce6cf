// Numbers at the ends of the int range: rectangle helpers saturate, pens refuse widths past
// their limit. Run under the sanitizers, these cases also show that nothing overflows.
#include <gtest/gtest.h>

#include <climits>

#include "qt_printers.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/graphics.h"
#include "scheme/platform/region.h"
#include "scheme/platform/types.h"

using namespace scheme;

namespace {

constexpr int kMax = INT_MAX;
constexpr int kMin = INT_MIN;

}  // namespace

TEST(Bounds, RectangleHelpersSaturateAtTheIntRange) {
    struct Case {
        TRect R;
        int DX, DY;
        TRect Inflated, Offset;
    };
    const Case Cases[] = {
        {{0, 0, 10, 10}, 2, -3, {-2, 3, 12, 7}, {2, -3, 12, 7}},
        {{kMin + 1, kMin + 1, kMax - 1, kMax - 1},
         5,
         5,
         {kMin, kMin, kMax, kMax},
         {kMin + 6, kMin + 6, kMax, kMax}},
        {{kMin, kMin, kMax, kMax},
         1,
         -1,
         {kMin, kMin + 1, kMax, kMax - 1},
         {kMin + 1, kMin, kMax, kMax - 1}},
        {{-5, -5, 5, 5},
         kMax,
         kMin,
         {kMin, kMax - 4, kMax, kMin + 5},
         {kMax - 5, kMin, kMax, kMin + 5}},
    };
    for (const Case& C : Cases) {
        TRect Inflated = C.R, Offset = C.R;
        InflateRect(Inflated, C.DX, C.DY);
        OffsetRect(Offset, C.DX, C.DY);
        EXPECT_EQ(Inflated, C.Inflated);
        EXPECT_EQ(Offset, C.Offset);
    }
    const TRect Whole{kMin, kMin, kMax, kMax};
    EXPECT_EQ(Whole.Width(), kMax);
    EXPECT_EQ(TRect({kMax, kMax, kMin, kMin}).Height(), kMin);
    EXPECT_EQ(UnionRect(Whole, Rect(0, 0, 1, 1)), Whole);
    // At the Qt boundary: an edge at INT_MIN is an empty rectangle, one at INT_MAX stays there.
    EXPECT_TRUE(ToQRect(Rect(kMin, kMin, kMin, 5)).isEmpty());
    EXPECT_EQ(FromQRect(QRect(QPoint(0, 0), QPoint(kMax, kMax))), Rect(0, 0, kMax, kMax));
    EXPECT_EQ(FromQRect(ToQRect(Rect(-3, 4, 9, 8))), Rect(-3, 4, 9, 8));
}

TEST(Bounds, RegionsOfRectanglesGrownPastTheRangeStayInPixelLimits) {
    TRect R{kMin + 1, -10, kMax - 1, 10};
    InflateRect(R, kMax, 0);
    const TRect Covered = RegionBounds(CreateRectRgnIndirect(R));
    EXPECT_EQ(Covered, Rect(-kPixelLimit, -10, kPixelLimit, 10));
    const TPoint Far[] = {{kMin, kMin}, {kMax, kMin}, {kMax, kMax}, {kMin, kMax}};
    EXPECT_TRUE(PtInRegion(CreatePolygonRgn(Far, TPolyFillMode::Winding), 0, 0));
    EXPECT_TRUE(PtInRegion(CreateRoundRectRgn(kMin, kMin, kMax, kMax, kMax, kMax), 0, 0));
}

TEST(Bounds, PenWidthsPastTheLimitAreRefusedAndLeaveThePen) {
    TPen Pen;
    int Changes = 0;
    Pen.OnChange = [&](TObject*) { ++Changes; };
    Pen.SetWidth(TPen::kMaxWidth);
    EXPECT_EQ(Pen.Width(), TPen::kMaxWidth);
    for (const int Width : {TPen::kMaxWidth + 1, kMax}) {
        try {
            Pen.SetWidth(Width);
            ADD_FAILURE() << Width;
        } catch (const ESchemeErrorException& E) {
            EXPECT_EQ(E.Message(), QStringLiteral("TPen : Width %1 is too large (at most %2)")
                                       .arg(Width)
                                       .arg(TPen::kMaxWidth));
        }
    }
    EXPECT_EQ(Pen.Width(), TPen::kMaxWidth);
    EXPECT_EQ(Changes, 1);
    // A zoomed width, as the pixel conversions give it, always fits.
    Pen.SetWidth(Trunc(Extended(TPen::kMaxWidth) * 1000));
    EXPECT_EQ(Pen.Width(), TPen::kMaxWidth);
}
