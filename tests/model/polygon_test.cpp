#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <functional>
#include <vector>

#include "fake_scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

using namespace scheme;
using Pts = std::vector<TPointExt>;

namespace {

const Pts kSquare{PointExt(0, 0), PointExt(10, 0), PointExt(10, 10), PointExt(0, 10)};

TSchemePolygon Make(const Pts& Points) {
    return TSchemePolygon(1, Points, 0, TBrushStyle::bsSolid, QString(), PointExt(0, 0));
}

// N distinct vertices on a zigzag.
Pts Zigzag(int N) {
    Pts Points;
    for (int I = 0; I < N; ++I) Points.push_back(PointExt(I, I % 2 * 5));
    return Points;
}

Pts Vertices(const TSchemePolygon& Polygon) {
    Pts Result;
    for (int I = 0; I < Polygon.Count(); ++I) Result.push_back(Polygon.GetPointsExt(I));
    return Result;
}

QString RaisedBy(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const ESchemeErrorException& E) {
        return E.Message();
    }
    return QString();
}

using TEdit = std::function<void(TSchemePolygon&)>;
#define EDIT(Call) [](TSchemePolygon& P) { P.Call; }
const TPointExt kP = PointExt(7, 7);
// The square with the middle of its right edge inserted.
const Pts kSplitRight{{0, 0}, {10, 0}, {10, 5}, {10, 10}, {0, 10}};

struct EditRow {
    const char* Name;
    friend void PrintTo(const EditRow& R, std::ostream* Os) { *Os << R.Name; }
    int Active;
    TEdit Edit;
    Pts Expected;
    int ExpectedActive;
};

class PolygonEdit : public ::testing::TestWithParam<EditRow> {};

TEST_P(PolygonEdit, ChangesTheVerticesAndTheActiveHook) {
    TSchemePolygon Polygon = Make(kSquare);
    Polygon.SetResizedPoint(GetParam().Active);
    GetParam().Edit(Polygon);
    EXPECT_EQ(Vertices(Polygon), GetParam().Expected);
    EXPECT_EQ(Polygon.ResizedPoint(), GetParam().ExpectedActive);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Square, PolygonEdit, ::testing::Values(
    EditRow{"AddOnEdge", 0, EDIT(AddPoint(1)), kSplitRight, 0},
    EditRow{"AddOnClosingEdge", 0, EDIT(AddPoint(3)), {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 5}},
            0},
    EditRow{"AddResized", 1, EDIT(AddResizedPoint()), kSplitRight, 2},
    EditRow{"DeleteResizedWraps", 0, EDIT(DeleteResizedPoint()), {{10, 0}, {10, 10}, {0, 10}}, 2},
    EditRow{"DeleteKeepsActiveOnAVertex", 3, EDIT(DeletePoint(1)), {{0, 0}, {10, 10}, {0, 10}}, 2},
    EditRow{"AddExtAtCount", 0, EDIT(AddPointExt(kP, 4)), {{0, 0}, {10, 0}, {10, 10}, {0, 10}, kP},
            0},
    EditRow{"AddPointAtZero", 0, EDIT(AddPoint(TPoint{7, 7}, 0)),
            {kP, {0, 0}, {10, 0}, {10, 10}, {0, 10}}, 0}),
    [](const auto& Info) { return std::string(Info.param.Name); });
// clang-format on

struct RefusalRow {
    const char* Name;
    friend void PrintTo(const RefusalRow& R, std::ostream* Os) { *Os << R.Name; }
    int Vertices;
    TEdit Edit;
    bool Delete;
};

class PolygonRefusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(PolygonRefusal, RaisesAndChangesNothing) {
    TSchemePolygon Polygon = Make(Zigzag(GetParam().Vertices));
    const Pts Before = Vertices(Polygon);
    EXPECT_EQ(RaisedBy([&] { GetParam().Edit(Polygon); }),
              GetParam().Delete ? QStringLiteral("Can't delete point!")
                                : QStringLiteral("Can't add point!"));
    EXPECT_EQ(Vertices(Polygon), Before);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Limits, PolygonRefusal, ::testing::Values(
    RefusalRow{"DeleteFromTriangle", 3, EDIT(DeletePoint(0)), true},
    RefusalRow{"DeleteNegative", 4, EDIT(DeletePoint(-1)), true},
    RefusalRow{"DeleteBeyond", 4, EDIT(DeletePoint(4)), true},
    RefusalRow{"AddAtCapacity", 100, EDIT(AddPoint(0)), false},
    RefusalRow{"AddExtAtCapacity", 100, EDIT(AddPointExt(kP)), false},
    RefusalRow{"AddExtPastCount", 4, EDIT(AddPointExt(kP, 5)), false},
    RefusalRow{"AddExtNegative", 4, EDIT(AddPointExt(kP, -1)), false},
    RefusalRow{"AddOnEdgeBeyond", 4, EDIT(AddPoint(4)), false},
    RefusalRow{"AddOnEdgeNegative", 4, EDIT(AddPoint(-1)), false},
    RefusalRow{"AddWithoutAnEdge", 1, EDIT(AddPoint(0)), false}),
    [](const auto& Info) { return std::string(Info.param.Name); });
// clang-format on

TEST(Polygon, NinetyNineVerticesTakeExactlyOneMore) {
    TSchemePolygon Polygon = Make(Zigzag(99));
    Polygon.AddPoint(98);
    EXPECT_EQ(Polygon.Count(), 100);
    EXPECT_EQ(Polygon.GetPointsExt(99), PointExt(49, 0));  // middle of (98, 0) .. (0, 0)
    EXPECT_THROW(Polygon.AddPointExt(kP), ESchemeErrorException);
}

TEST(Polygon, ConstructorsTakeAtMostWhatTheArrayHoldsAndTheCapacity) {
    const std::vector<TPoint> Many(120, TPoint{3, 4});
    EXPECT_EQ(TSchemePolygon(1, Many, 0, TBrushStyle::bsClear, "", TPoint{}).Count(), 100);
    EXPECT_EQ(Make(Pts(120)).Count(), 100);
    const TPoint Three[] = {{0, 0}, {8, 0}, {8, 8}};
    EXPECT_EQ(TSchemePolygon(1, Three, 50, 0, TBrushStyle::bsSolid, "", TPoint{}).Count(), 3);
    EXPECT_EQ(TSchemePolygon(1, Many.data(), 150, 0, TBrushStyle::bsSolid, "", 0).Count(), 100);
    EXPECT_THROW(TSchemePolygon(1, Three, -1, 0, TBrushStyle::bsSolid, "", TPoint{}),
                 ESchemeErrorException);
    EXPECT_THROW(TSchemePolygon(1, nullptr, 3, 0, TBrushStyle::bsSolid, "", 0),
                 ESchemeErrorException);
}

TEST(Polygon, BufferConstructorPutsTheCaptionOnAVertex) {
    const TPoint Three[] = {{0, 0}, {8, 0}, {8, 8}};
    auto Caption = [&](int Index) {
        return TSchemePolygon(1, Three, 3, 0, TBrushStyle::bsCross, "A", Index).TextPoint();
    };
    EXPECT_EQ(Caption(2), PointExt(8, 8));
    EXPECT_EQ(Caption(-1), PointExt(0, 0));
    EXPECT_EQ(Caption(3), PointExt(0, 0));
}

struct DragRow {
    const char* Name;
    friend void PrintTo(const DragRow& R, std::ostream* Os) { *Os << R.Name; }
    int Detail;
    Pts Expected;
};

class PolygonDrag : public ::testing::TestWithParam<DragRow> {};

TEST_P(PolygonDrag, MovesWhatTheDetailNames) {
    TSchemePolygon Polygon = Make(kSquare);
    Polygon.ChangePositionDetail(5, -3, GetParam().Detail, 0);
    EXPECT_EQ(Vertices(Polygon), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Details, PolygonDrag,
    ::testing::Values(DragRow{"Body", -1, Pts{{5, -3}, {15, -3}, {15, 7}, {5, 7}}},
                      DragRow{"Vertex", 2, Pts{{0, 0}, {10, 0}, {5, -3}, {0, 10}}},
                      DragRow{"BelowBody", -2, kSquare}, DragRow{"PastTheLastVertex", 4, kSquare}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(PolygonRegion, WidensThePolygonByTwoPixelsEachWay) {
    const Pts Square{PointExt(10, 10), PointExt(30, 10), PointExt(30, 30), PointExt(10, 30)};
    TSchemePolygon Polygon = Make(Square);
    const TPoint Device[] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};
    TRect Grown = RegionBounds(CreatePolygonRgn(Device, TPolyFillMode::Winding));
    InflateRect(Grown, 2, 2);
    EXPECT_EQ(RegionBounds(Polygon.GetClippingRegion(1, 0)), Grown);
    // Two units outside an edge hits; the polygon region itself also covers the outline.
    EXPECT_TRUE(Polygon.PointInside(8, 20, 0));
    EXPECT_FALSE(Polygon.PointInside(6, 20, 0));
    EXPECT_TRUE(Polygon.PointInside(20, 8, 0));
    EXPECT_FALSE(Polygon.PointInside(20, 6, 0));
    EXPECT_TRUE(Polygon.PointInside(32, 20, 0));
    EXPECT_FALSE(Polygon.PointInside(34, 20, 0));
    EXPECT_TRUE(Polygon.PointInside(8, 8, 0));  // the diagonal neighbour
}

TEST(PolygonRegion, TwoVerticesAreNeverHit) {
    TSchemePolygon Line = Make(Pts{PointExt(0, 0), PointExt(20, 0)});
    for (int X : {0, 10, 20}) EXPECT_FALSE(Line.PointInside(X, 0, 0)) << X;
    EXPECT_TRUE(Line.GetClippingRegion(1, 0).isEmpty());
}

TEST(PolygonRegion, DragInvalidatesEverythingTheOldPolygonCovered) {
    for (Extended Zoom : {1.0L, 0.5L}) {
        TSchemePolygon Polygon = Make(Pts{PointExt(10, 10), PointExt(30, 10), PointExt(20, 30)});
        Polygon.SetResized(true);
        const QRegion Old = Polygon.GetClippingRegion(Zoom, 0) +
                            CreateRectRgnIndirect(Polygon.GetClippingOutsideRect(Zoom, 0));
        const QRegion Diff = Polygon.ChangePositionDetailAndGetDiffRgn(90, 90, -1, Zoom, 0);
        EXPECT_TRUE((Old - Diff).isEmpty()) << double(Zoom);
        EXPECT_EQ(Polygon.GetPointsExt(0), PointExt(90, 90));
    }
}

TEST(PolygonRecord, RoundTripsAndRefusesMoreThanTheCapacity) {
    TSchemePolygon Polygon = Make(Pts{PointExt(1.5L, 2), PointExt(40, 2), PointExt(9, 30)});
    QStringList Strings;
    Polygon.SaveToStrings(Strings);
    QStringList Loaded = Strings;  // the loader trims its lines in place
    TSchemePolygon Back(Loaded);
    QStringList Again;
    Back.SaveToStrings(Again);
    EXPECT_EQ(Again, Strings);
    Back.AddPoint(0);  // room to grow after loading
    EXPECT_EQ(Back.Count(), 4);

    QStringList Huge = scheme::testing::Lines("ID=1|State=0|Count=150|X0=0|Y0=0");
    EXPECT_EQ(RaisedBy([&] { TSchemePolygon Bad(Huge); }),
              QStringLiteral("TSchemePolygon : Count 150 exceeds 100 points"));
}

// Counts how often painting gets as far as preparing the canvas.
struct CountingPolygon : TSchemePolygon {
    using TSchemePolygon::TSchemePolygon;
    void SetCanvasProperties(TCanvas& Canvas, Extended Zoom) const override {
        ++Prepared;
        TSchemePolygon::SetCanvasProperties(Canvas, Zoom);
    }
    mutable int Prepared = 0;
};

TEST(PolygonInLayer, EditsAnnounceTheOldAreaOnceAndRefusalsTouchNothing) {
    scheme::testing::FakeSchemeData Data;
    TSchemeLayer Layer(1);
    Layer.SetSchemeData(&Data);
    auto* Polygon = new TSchemePolygon(1, kSquare, 0, TBrushStyle::bsSolid, "", PointExt(0, 0));
    Layer.Add(Polygon);
    int Changes = 0;
    Polygon->OnChange = [&](TObject*) { ++Changes; };
    Data.Reset();
    const TSchemeArea Before = Polygon->GetArea();
    Polygon->AddPointExt(kP);
    Data.DropAnnouncements();
    ASSERT_EQ(Data.Notices.size(), 1u);
    EXPECT_EQ(Data.Notices[0].Before, Before);
    EXPECT_EQ(Polygon->Area(), Polygon->GetArea());
    EXPECT_EQ(Changes, 1);
    Data.Reset();
    EXPECT_THROW(Polygon->AddPointExt(kP, 9), ESchemeErrorException);
    EXPECT_TRUE(Data.Notices.empty());
}

TEST(PolygonPaint, SkipsInvisibleTooSmallAndOffCanvasPolygons) {
    QImage Image(100, 100, QImage::Format_RGB32);
    TCanvas Canvas(&Image);
    auto PreparedFor = [&](const Pts& Points, bool Visible) {
        CountingPolygon Polygon(1, Points, 0, TBrushStyle::bsSolid, "", PointExt(0, 0));
        Polygon.SetVisible(Visible);
        Polygon.Paint(1, Canvas, 0);
        return Polygon.Prepared;
    };
    EXPECT_EQ(PreparedFor(kSquare, true), 1);
    EXPECT_EQ(PreparedFor(Pts{PointExt(0, 0), PointExt(9, 9)}, true), 1);
    EXPECT_EQ(PreparedFor(kSquare, false), 0);
    EXPECT_EQ(PreparedFor(Pts{PointExt(5, 5)}, true), 0);
    EXPECT_EQ(PreparedFor(Pts{PointExt(500, 500), PointExt(510, 500), PointExt(505, 510)}, true),
              0);
}

}  // namespace

TEST(PolygonPaint, FillsWithTheStateColourAndTheSelectedColourWhileBlinking) {
    TSchemeLayer Layer(1);
    const TColor Colors[] = {clRed, clLime};
    Layer.SetAllStateColors(Colors);
    const TPoint Points[] = {{2, 2}, {38, 2}, {38, 38}, {2, 38}};
    auto* Polygon = new TSchemePolygon(1, Points, 1, TBrushStyle::bsSolid, QString(), Point(0, 0));
    Layer.Add(Polygon);
    auto Centre = [&] {
        QImage Image(40, 40, QImage::Format_RGB32);
        Image.fill(Qt::white);
        TCanvas Canvas(&Image);
        Layer.Paint(1, Canvas, 0);
        Canvas.Painter()->end();
        return QColor(Image.pixel(20, 20));
    };
    EXPECT_EQ(Centre(), QColor(Qt::green));
    Polygon->SetSelected(true);
    EXPECT_EQ(Centre(), QColor(Qt::blue));
    Layer.SetSelectionPhase(false);
    EXPECT_EQ(Centre(), QColor(Qt::green));
}
