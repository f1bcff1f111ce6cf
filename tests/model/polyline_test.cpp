#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

#include "scheme/model/ext/scheme_polyline.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_line.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/region.h"
#include "stroke_checks.h"

using namespace scheme;
using scheme::testing::RaisedBy;
using Pts = std::vector<TPointExt>;

namespace {

const Pts kCorner{{0, 0}, {10, 0}, {10, 10}};

TSchemePolyline Make(const Pts& Points, int PenWidth = 1) {
    return TSchemePolyline(1, Points, PenWidth, 0, QString(), PointExt(0, 0));
}

// N vertices from (10, 20) to the right, alternating between rows 20 and 35.
Pts Zigzag(int N) {
    Pts Points;
    for (int I = 0; I < N; ++I) Points.push_back(PointExt(10 + 10 * I, 20 + I % 2 * 15));
    return Points;
}

Pts Vertices(const TSchemePolyline& Polyline) {
    Pts Result;
    for (int I = 0; I < Polyline.Count(); ++I) Result.push_back(Polyline.GetPointsExt(I));
    return Result;
}

using TEdit = std::function<void(TSchemePolyline&)>;
#define EDIT(Call) [](TSchemePolyline& P) { P.Call; }

struct EditRow {
    const char* Name;
    friend void PrintTo(const EditRow& R, std::ostream* Os) { *Os << R.Name; }
    int Active;
    TEdit Edit;
    Pts Expected;
    int ExpectedActive;
};

class PolylineEdit : public ::testing::TestWithParam<EditRow> {};

TEST_P(PolylineEdit, ChangesTheVerticesAndTheActiveHook) {
    TSchemePolyline Polyline = Make(kCorner);
    Polyline.SetResizedPoint(GetParam().Active);
    GetParam().Edit(Polyline);
    EXPECT_EQ(Vertices(Polyline), GetParam().Expected);
    EXPECT_EQ(Polyline.ResizedPoint(), GetParam().ExpectedActive);
}

const Pts kExtended{{0, 0}, {10, 0}, {10, 10}, {10, 15}};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Corner, PolylineEdit, ::testing::Values(
    EditRow{"AddInTheMiddle", 0, EDIT(AddPoint(0)), {{0, 0}, {5, 0}, {10, 0}, {10, 10}}, 0},
    EditRow{"AddBeyondTheEnd", 0, EDIT(AddPoint(2)), kExtended, 0},
    EditRow{"AddResizedAtTheEnd", 2, EDIT(AddResizedPoint()), kExtended, 3},
    EditRow{"DeleteResizedFirstStaysFirst", 0, EDIT(DeleteResizedPoint()), {{10, 0}, {10, 10}}, 0},
    EditRow{"DeleteKeepsActiveOnAVertex", 2, EDIT(DeletePoint(1)), {{0, 0}, {10, 10}}, 1},
    EditRow{"AddAtAPosition", 0, EDIT(AddPoint(TPoint{7, 7}, 3)), {{0, 0}, {10, 0}, {10, 10}, {7, 7}},
            0},
    EditRow{"ActiveClampedHigh", 0, EDIT(SetResizedPoint(7)), kCorner, 2},
    EditRow{"ActiveClampedLow", 1, EDIT(SetResizedPoint(-2)), kCorner, 0}),
    [](const auto& Info) { return std::string(Info.param.Name); });
// clang-format on

struct RefusalRow {
    const char* Name;
    friend void PrintTo(const RefusalRow& R, std::ostream* Os) { *Os << R.Name; }
    int Vertices;
    TEdit Edit;
    bool Delete;
};

class PolylineRefusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(PolylineRefusal, RaisesAndChangesNothing) {
    TSchemePolyline Polyline = Make(Zigzag(GetParam().Vertices));
    const Pts Before = Vertices(Polyline);
    EXPECT_EQ(RaisedBy([&] { GetParam().Edit(Polyline); }),
              GetParam().Delete ? QStringLiteral("Can't delete point!")
                                : QStringLiteral("Can't add point!"));
    EXPECT_EQ(Vertices(Polyline), Before);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Limits, PolylineRefusal, ::testing::Values(
    RefusalRow{"DeleteFromTwo", 2, EDIT(DeletePoint(0)), true},
    RefusalRow{"DeleteNegative", 3, EDIT(DeletePoint(-1)), true},
    RefusalRow{"DeleteBeyond", 3, EDIT(DeletePoint(3)), true},
    RefusalRow{"AddAtCapacity", 100, EDIT(AddPoint(99)), false},
    RefusalRow{"AddWithOneVertex", 1, EDIT(AddPoint(0)), false},
    RefusalRow{"AddBeyond", 3, EDIT(AddPoint(3)), false},
    RefusalRow{"AddNegative", 3, EDIT(AddPoint(-1)), false}),
    [](const auto& Info) { return std::string(Info.param.Name); });
// clang-format on

TEST(Polyline, StartsWithoutFullRepaintAndKeepsThatInItsRecord) {
    QStringList Strings;
    Make(kCorner, 3).SaveToStrings(Strings);
    const TSchemePolyline Back(Strings);
    EXPECT_FALSE(Back.FullRepaintIfMoved());
    EXPECT_EQ(Back.Pen()->Width(), 3);
}

TEST(PolylineArrow, SitsOnTheLastSegmentOrBackOnTheFirst) {
    TSchemePolyline Polyline = Make(Pts{{0, 0}, {100, 0}, {100, 100}});
    EXPECT_EQ(Polyline.GetArrowPoints(1, 0),
              (TArrowHead{{100, 0}, {100, 100}, {95, 81}, {105, 81}}));
    Polyline.SetBackArrow(true);
    EXPECT_EQ(Polyline.GetArrowPoints(1, 0), (TArrowHead{{100, 0}, {0, 0}, {19, 5}, {19, -5}}));
}

TEST(PolylineRegion, FollowsTheSegmentsNotTheEnclosedArea) {
    TSchemePolyline Polyline = Make(Pts{{0, 0}, {100, 0}, {100, 100}});
    EXPECT_TRUE(Polyline.PointInside(50, 1, 0));
    EXPECT_TRUE(Polyline.PointInside(99, 50, 0));
    EXPECT_FALSE(Polyline.PointInside(70, 30, 0));  // inside the triangle
    EXPECT_FALSE(Polyline.PointInside(50, 50, 0));  // on the side that is not drawn
}

TEST(PolylineRegion, OneVertexIsNeitherPaintedNorHit) {
    TSchemePolyline Polyline = Make(Pts{{5, 5}});
    Polyline.SetVisibleArrow(true);
    Polyline.Brush()->SetColor(clBlack);
    EXPECT_TRUE(Polyline.GetClippingRegion(1, 0).isEmpty());
    EXPECT_TRUE(Polyline.GetClippingRegionForArrow(1, 0).isEmpty());
    EXPECT_EQ(scheme::testing::Painted(Polyline, 1, 20).pixel(5, 5), qRgb(255, 255, 255));
}

TEST(PolylineRegion, HoldsEveryPaintedPixel) {
    for (const auto& [PenWidth, Z] : {std::pair{1, 1.0L}, {10, 0.7L}, {13, 2.2L}}) {
        Pts Points;
        for (const TPointExt& P : Pts{{20, 20}, {100, 30}, {60, 90}, {130, 130}, {130, 60}})
            Points.push_back(PointExt(P.X / Z, P.Y / Z));
        for (bool Back : {false, true}) {
            TSchemePolyline Polyline = Make(Points, PenWidth);
            Polyline.SetVisibleArrow(true);
            Polyline.SetBackArrow(Back);
            scheme::testing::ExpectPaintedInsideRegion(Polyline, Z);
        }
    }
}

// Only the barbs reach the canvas's clip rectangle, below the box around the vertices.
TEST(PolylinePaint, DrawsABarbOutsideTheVerticesBox) {
    TSchemePolyline Polyline = Make(Pts{{20, 50}, {100, 50}});
    Polyline.Brush()->SetColor(clBlack);
    Polyline.SetVisibleArrow(true);
    Polyline.SetLengthArrow(40);  // barbs end at (61, 40) and (61, 60)
    QImage Image(120, 120, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        Canvas.SetClipRect(Rect(0, 55, 120, 65));
        Polyline.Paint(1, Canvas, 0);
    }
    EXPECT_NE(Image.pixel(63, 59), qRgb(255, 255, 255));
}

// The caption is painted where it stands, even when the vertices lie off the canvas.
TEST(PolylinePaint, CaptionOnTheCanvasIsPaintedWhileTheBodyIsOff) {
    TSchemeLayer Layer(1);
    auto* Polyline = new TSchemePolyline(1, Pts{{500, 500}, {600, 500}}, 1, 0,
                                         QStringLiteral("Valve"), PointExt(5, 5));
    Layer.Add(Polyline);
    QImage Image(80, 40, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        Polyline->Paint(1, Canvas, 0);
    }
    int Inked = 0;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X) Inked += Image.pixel(X, Y) != qRgb(255, 255, 255);
    EXPECT_GT(Inked, 0);
}

struct DiffRow {
    const char* Name;
    friend void PrintTo(const DiffRow& R, std::ostream* Os) { *Os << R.Name; }
    int Detail;
    bool Arrow, Back;
    std::vector<int> Segments;  // first vertices of the segments whose boxes are repainted
    bool ArrowRepainted;
};

class PolylineVertexDrag : public ::testing::TestWithParam<DiffRow> {};

TEST_P(PolylineVertexDrag, RepaintsTheBoxesOfTheSegmentsAtTheVertex) {
    const DiffRow& R = GetParam();
    const Pts Points = Zigzag(10);
    TSchemePolyline Polyline = Make(Points);
    Polyline.SetVisibleArrow(R.Arrow);
    Polyline.SetBackArrow(R.Back);
    QRegion Expected = R.ArrowRepainted ? Polyline.GetClippingRegionForArrow(1, 0) : QRegion();
    for (int J : R.Segments) {
        const TPointExt A = Points[size_t(J)], B = Points[size_t(J) + 1];
        Expected += CreateRectRgn(int(std::min(A.X, B.X)) - 1, int(std::min(A.Y, B.Y)) - 1,
                                  int(std::max(A.X, B.X)) + 1, int(std::max(A.Y, B.Y)) + 1);
    }
    if (R.Detail < 0) Expected = Polyline.GetClippingRegion(1, 0);
    EXPECT_EQ(Polyline.ChangePositionDetailAndGetDiffRgn(70, 90, R.Detail, 1, 0), Expected);
    EXPECT_EQ(Polyline.GetPointsExt(std::max(R.Detail, 0)), PointExt(70, 90));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(TenVertices, PolylineVertexDrag, ::testing::Values(
    DiffRow{"Middle", 5, true, false, {4, 5}, false},
    DiffRow{"LastCarriesTheArrow", 9, true, false, {8}, true},
    DiffRow{"LastWithoutArrow", 9, false, false, {8}, false},
    DiffRow{"FirstCarriesTheBackArrow", 0, true, true, {0}, true},
    DiffRow{"SecondCarriesTheBackArrow", 1, true, true, {0, 1}, true},
    DiffRow{"FirstWithTheArrowAtTheEnd", 0, true, false, {0}, false},
    DiffRow{"BodyRepaintsTheWholeRegion", -1, true, false, {}, false}),
    [](const auto& Info) { return std::string(Info.param.Name); });
// clang-format on

// Values no writer produces: a trillion units long, the widest pen, extreme arrow lengths.
TEST(StrokedOddValues, PaintAndHitTestStaySound) {
    TSchemeLine Line(1, -1e12L, 5, 1e12L, 7, TPen::kMaxWidth, 0);
    TSchemePolyline Polyline = Make(Pts{{-1e12L, 5}, {0, 6}, {1e12L, 7}}, TPen::kMaxWidth);
    Line.SetVisibleArrow(true);
    Line.SetLengthArrow(INT_MAX);
    Polyline.SetVisibleArrow(true);
    Polyline.SetLengthArrow(INT_MIN);
    for (TSchemeObject* Obj : std::initializer_list<TSchemeObject*>{&Line, &Polyline}) {
        scheme::testing::Painted(*Obj, 3, 50);
        EXPECT_TRUE(Obj->PointInside(0, 6, 0));
        EXPECT_FALSE(Obj->ChangePositionDetailAndGetDiffRgn(0, 0, 1, 0.5, 0).isEmpty());
    }
}

}  // namespace

namespace {

// Counts the whole regions asked of it.
struct CountingPolyline : TSchemePolyline {
    using TSchemePolyline::TSchemePolyline;
    QRegion GetClippingRegion(Extended Zoom, int AParam) const override {
        ++Regions;
        return TSchemePolyline::GetClippingRegion(Zoom, AParam);
    }
    mutable int Regions = 0;
};

// Crossing segments over a square of Side units, the same every run.
Pts Crossing(int N, int Side) {
    Pts Points;
    unsigned Seed = 7;
    auto Next = [&Seed, Side] {
        Seed = Seed * 1103515245u + 12345u;
        return Extended((Seed >> 8) % unsigned(Side));
    };
    for (int I = 0; I < N; ++I) Points.push_back(PointExt(Next(), Next()));
    return Points;
}

}  // namespace

// The region's box is measured from its parts; it must be exactly the box of the whole region,
// also on the coarse grids of very large zooms, and found without building the whole region.
TEST(PolylineRegionBounds, AreTheBoxOfTheRegionWithoutBuildingIt) {
    for (const Pts& Points : {kCorner, Zigzag(12), Crossing(40, 300)}) {
        for (int PenWidth : {1, 4}) {
            for (int Variant = 0; Variant < 4; ++Variant) {
                CountingPolyline P(1, Points, PenWidth, 0, QString(), PointExt(0, 0));
                P.SetVisibleArrow(Variant % 2 == 1);
                P.SetBackArrow(Variant == 3);
                if (Variant >= 2) {
                    P.SetResized(true);
                    P.SetText(QStringLiteral("caption"));
                    P.SetTextPoint(PointExt(-20, 400));
                }
                for (Extended Zoom : {0.3L, 1.0L, 2.5L, 4000.0L}) {
                    // At the largest zoom the long crossing line's region itself is costly.
                    if (Zoom > 1000 && Points.size() >= 40) continue;
                    const TRect Found = P.GetClippingRegionBounds(Zoom, 0);
                    EXPECT_EQ(P.Regions, 0);
                    EXPECT_EQ(Found, RegionBounds(P.GetClippingRegion(Zoom, 0)))
                        << Points.size() << " points, pen " << PenWidth << ", variant " << Variant
                        << ", zoom " << double(Zoom);
                    P.Regions = 0;
                }
            }
        }
    }
}
