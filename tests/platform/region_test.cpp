#include "scheme/platform/region.h"

#include <gtest/gtest.h>

#include <QImage>
#include <climits>
#include <functional>
#include <random>
#include <vector>

#include "scheme/platform/canvas.h"

namespace scheme {
namespace {

constexpr int kAnySlack = INT_MAX;

// Paints Draw (black 1-pixel pen, solid brush) on an image showing the logical area View and
// checks that Region holds every painted pixel and, unless Slack is kAnySlack, reaches no more
// than Slack pixels (in x and in y) beyond them, nor beyond View.
void ExpectCoversPainting(const QRegion& Region, const TRect& View,
                          const std::function<void(TCanvas&)>& Draw, int Slack) {
    QImage Image(View.Width(), View.Height(), QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        Canvas.SetWindowOrg(Point(View.Left, View.Top));
        Canvas.Brush().SetColor(clBlue);
        Draw(Canvas);
    }
    auto Painted = [&](int X, int Y) {
        return X >= 0 && Y >= 0 && X < Image.width() && Y < Image.height() &&
               (Image.pixel(X, Y) & 0xFFFFFF) != 0xFFFFFF;
    };
    auto NearPainted = [&](int X, int Y) {
        for (int DY = -Slack; DY <= Slack; ++DY)
            for (int DX = -Slack; DX <= Slack; ++DX)
                if (Painted(X + DX, Y + DY)) return true;
        return false;
    };
    int Missing = 0, Excess = 0;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X) {
            const bool Inside = PtInRegion(Region, X + View.Left, Y + View.Top);
            if (Painted(X, Y) && !Inside) ++Missing;
            if (Inside && Slack != kAnySlack && !Painted(X, Y) && !NearPainted(X, Y)) ++Excess;
        }
    EXPECT_EQ(Missing, 0) << "painted pixels outside the region";
    EXPECT_EQ(Excess, 0) << "region pixels far from the painting";
    if (Slack != kAnySlack) {
        EXPECT_TRUE((Region - QRegion(ToQRect(View))).isEmpty());
    }
}

TEST(RectRegion, CoversExclusiveRectangle) {
    const QRegion R = CreateRectRgn(2, 3, 10, 8);
    EXPECT_TRUE(PtInRegion(R, 2, 3));
    EXPECT_TRUE(PtInRegion(R, 9, 7));
    EXPECT_FALSE(PtInRegion(R, 10, 7));
    EXPECT_FALSE(PtInRegion(R, 9, 8));
    EXPECT_EQ(RegionBounds(R), Rect(2, 3, 10, 8));
    EXPECT_EQ(CreateRectRgnIndirect(Rect(2, 3, 10, 8)), R);
    EXPECT_TRUE(CreateRectRgn(5, 5, 5, 9).isEmpty());
    EXPECT_TRUE(CreateRectRgn(8, 2, 2, 8).isEmpty());
    EXPECT_EQ(RegionBounds(QRegion()), TRect{});
}

TEST(RoundRegion, EllipsesAndRoundRectsMatchPaintingExactly) {
    for (int W = 1; W < 60; W += 7)
        for (int H = 1; H < 45; H += 5) {
            SCOPED_TRACE(testing::Message() << W << "x" << H);
            const TRect View = Rect(-13, -7, W - 3, H + 1);
            ExpectCoversPainting(
                CreateEllipticRgn(-10, -5, W - 10, H - 5), View,
                [&](TCanvas& C) { C.Ellipse(-10, -5, W - 10, H - 5); }, 0);
            for (const int Corner : {2, 9, 30}) {
                ExpectCoversPainting(
                    CreateRoundRectRgn(-10, -5, W - 10, H - 5, Corner, Corner * 2 / 3), View,
                    [&](TCanvas& C) {
                        C.RoundRect(-10, -5, W - 10, H - 5, Corner, Corner * 2 / 3);
                    },
                    0);
            }
        }
    EXPECT_EQ(CreateEllipticRgnIndirect(Rect(1, 2, 30, 20)), CreateEllipticRgn(1, 2, 30, 20));
    EXPECT_TRUE(CreateEllipticRgn(5, 5, 5, 20).isEmpty());
}

TEST(PolygonRegion, CoversPaintedPolygonsWithLittleToSpare) {
    const std::vector<std::vector<TPoint>> Polygons = {
        {{1, 1}, {20, 3}, {5, 12}},
        {{0, 10}, {20, 10}, {20, 0}, {40, 20}, {20, 40}, {20, 30}, {0, 30}},  // arrow
        {{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}},                      // star
        {{0, 0}, {60, 3}, {0, 1}},                                            // sliver
        {{0, 0}, {10, 10}, {30, 30}},                                         // collinear
        {{-30, -20}, {-5, -25}, {-1, -2}, {-20, -8}},
    };
    for (const auto& Points : Polygons) {
        const QRegion Alternate = CreatePolygonRgn(Points, TPolyFillMode::Alternate);
        const QRegion Winding = CreatePolygonRgn(Points, TPolyFillMode::Winding);
        const TRect View = Rect(-35, -30, 65, 45);
        ExpectCoversPainting(
            Alternate, View, [&](TCanvas& C) { C.Polygon(Points); }, 2);
        EXPECT_TRUE((Alternate - Winding).isEmpty());
    }
    // The star's middle is inside only under the winding rule.
    EXPECT_FALSE(PtInRegion(CreatePolygonRgn(Polygons[2], TPolyFillMode::Alternate), 20, 20));
    EXPECT_TRUE(PtInRegion(CreatePolygonRgn(Polygons[2], TPolyFillMode::Winding), 20, 20));
    const TPoint Two[] = {{0, 0}, {10, 10}};
    EXPECT_TRUE(CreatePolygonRgn(Two, TPolyFillMode::Winding).isEmpty());
}

// Huge figures are built coarsely: however far they reach, their regions hold a bounded
// number of rectangles, which is what building and using them costs, and still cover what the
// canvas paints.
TEST(RegionRobustness, HugeFiguresAreCheapAndStillCoverTheirPainting) {
    constexpr int Big = kPixelLimit;
    const QRegion Ellipse = CreateEllipticRgn(-Big, -Big, Big, Big);
    EXPECT_LE(Ellipse.rectCount(), 4200);
    EXPECT_EQ(RegionBounds(Ellipse), Rect(-Big, -Big, Big, Big));
    EXPECT_TRUE(PtInRegion(Ellipse, 0, 0));
    EXPECT_FALSE(PtInRegion(Ellipse, Big - 1000, Big - 1000));
    // Near the ellipse's right end, and at a rounded corner far from the origin.
    ExpectCoversPainting(
        Ellipse, Rect(Big - 60, -50, Big, 50), [&](TCanvas& C) { C.Ellipse(-Big, -Big, Big, Big); },
        kAnySlack);
    const QRegion Rounded = CreateRoundRectRgn(INT_MIN, INT_MIN, 50, 40, 16, 10);
    EXPECT_LE(Rounded.rectCount(), 64);
    ExpectCoversPainting(
        Rounded & QRegion(0, 0, 60, 50), Rect(0, 0, 60, 50),
        [](TCanvas& C) { C.RoundRect(INT_MIN, INT_MIN, 50, 40, 16, 10); }, 0);
    const TPoint Triangle[] = {{-Big, -Big}, {Big, 7}, {-Big, Big}};
    const QRegion Polygon = CreatePolygonRgn(Triangle, TPolyFillMode::Alternate);
    EXPECT_LE(Polygon.rectCount(), 4200);  // a band a row of the coarse grid
    ExpectCoversPainting(
        Polygon, Rect(-40, -40, 40, 40), [&](TCanvas& C) { C.Polygon(Triangle); }, kAnySlack);
    std::vector<TPoint> Zigzag;
    for (int I = 0; I < 4000; ++I) Zigzag.push_back({I * 250000, I % 2 ? Big : -Big});
    const QRegion Zigzags = CreatePolygonRgn(Zigzag, TPolyFillMode::Winding);
    EXPECT_FALSE(Zigzags.isEmpty());
    EXPECT_LE(Zigzags.rectCount(), 4200);
    std::fprintf(stderr, "COUNTS %d %d %d\n", int(Rounded.rectCount()), int(Polygon.rectCount()),
                 int(Zigzags.rectCount()));
}

// The point tests answer exactly what the built regions hold: random small figures probed
// everywhere near them, and huge ones (banded curves, coarse polygon grids) probed at random.
TEST(RegionPointTests, AgreeWithTheBuiltRegions) {
    std::mt19937 Random(7);
    auto Coord = [&](int Range) {
        return std::uniform_int_distribution<int>(-Range, Range)(Random);
    };
    auto Probe = [&](const QRegion& Region, const std::function<bool(int, int)>& Test, int Range,
                     int Count) {
        const QRect B = Region.boundingRect().adjusted(-3, -3, 3, 3);
        for (int I = 0; I < Count; ++I) {
            const int X = Range ? Coord(Range)
                                : std::uniform_int_distribution<int>(B.left(), B.right())(Random);
            const int Y = Range ? Coord(Range)
                                : std::uniform_int_distribution<int>(B.top(), B.bottom())(Random);
            ASSERT_EQ(Test(X, Y), PtInRegion(Region, X, Y)) << X << "," << Y;
        }
    };
    for (int Range : {40, kPixelLimit}) {
        const int Probes = Range == 40 ? 400 : 4000;
        for (int Round = 0; Round < 60; ++Round) {
            const int L = Coord(Range), T = Coord(Range), R = Coord(Range), B = Coord(Range);
            const int CW = Coord(Range), CH = Coord(Range);
            Probe(
                CreateRectRgn(L, T, R, B),
                [&](int X, int Y) { return PtInRectRgn(L, T, R, B, X, Y); }, 0, Probes);
            Probe(
                CreateEllipticRgn(L, T, R, B),
                [&](int X, int Y) { return PtInEllipticRgn(L, T, R, B, X, Y); }, 0, Probes);
            Probe(
                CreateRoundRectRgn(L, T, R, B, CW, CH),
                [&](int X, int Y) { return PtInRoundRectRgn(L, T, R, B, CW, CH, X, Y); }, 0,
                Probes);
            std::vector<TPoint> Points(size_t(3 + Round % 6));
            for (TPoint& P : Points) P = {Coord(Range), Coord(Range)};
            for (TPolyFillMode Mode : {TPolyFillMode::Alternate, TPolyFillMode::Winding}) {
                const TPolygonRgn Polygon(Points, Mode);
                Probe(
                    Polygon.Region(), [&](int X, int Y) { return Polygon.Contains(X, Y); }, 0,
                    Probes);
            }
        }
    }
}

TEST(RegionOffset, MovesAndNeverOverflows) {
    const QRegion R = CreateEllipticRgn(0, 0, 20, 10);
    EXPECT_EQ(RegionBounds(OffsetRgn(R, 5, -3)), Rect(5, -3, 25, 7));
    EXPECT_EQ(OffsetRgn(R, 5, -3), R.translated(5, -3));
    const TRect Far = RegionBounds(OffsetRgn(OffsetRgn(R, INT_MAX, INT_MIN), INT_MAX, INT_MIN));
    EXPECT_EQ(Far.Width(), 20);
    EXPECT_GT(Far.Left, 0);
    EXPECT_LT(Far.Top, 0);
    EXPECT_TRUE(OffsetRgn(QRegion(), 1, 1).isEmpty());
}

}  // namespace
}  // namespace scheme
