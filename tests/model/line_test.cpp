#include <gtest/gtest.h>

#include <cmath>

#include "fake_scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_line.h"
#include "stroke_checks.h"

using namespace scheme;
using scheme::testing::Lines;
using scheme::testing::RaisedBy;

namespace {

struct ArrowRow {
    const char* Name;
    friend void PrintTo(const ArrowRow& R, std::ostream* Os) { *Os << R.Name; }
    TPointExt From, To;
    Extended Zoom;
    int Length;
    bool Back;
    TArrowHead Expected;
};

class LineArrow : public ::testing::TestWithParam<ArrowRow> {};

TEST_P(LineArrow, BarbsPointBackFromTheTip) {
    const ArrowRow& R = GetParam();
    TSchemeLine Line(1, R.From.X, R.From.Y, R.To.X, R.To.Y, 1, 0);
    Line.SetLengthArrow(R.Length);
    Line.SetBackArrow(R.Back);
    EXPECT_EQ(Line.GetArrowPoints(R.Zoom, 0), R.Expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Geometry, LineArrow, ::testing::Values(
    ArrowRow{"Horizontal", {0, 0}, {100, 0}, 1, 20, false, {{0, 0}, {100, 0}, {81, 5}, {81, -5}}},
    ArrowRow{"Back", {0, 0}, {100, 0}, 1, 20, true, {{100, 0}, {0, 0}, {19, 5}, {19, -5}}},
    ArrowRow{"VerticalUp", {10, 50}, {10, 0}, 1, 20, false, {{10, 50}, {10, 0}, {5, 19}, {15, 19}}},
    ArrowRow{"UpLeft", {100, 100}, {0, 0}, 1, 20, false, {{100, 100}, {0, 0}, {17, 10}, {10, 17}}},
    ArrowRow{"ZoomTwo", {0, 0}, {100, 0}, 2, 20, false, {{0, 0}, {200, 0}, {161, 10}, {161, -10}}},
    ArrowRow{"LengthZero", {0, 0}, {100, 0}, 1, 0, false, {{0, 0}, {100, 0}, {100, 0}, {100, 0}}},
    ArrowRow{"NegativeLength", {0, 0}, {100, 0}, 1, -20, false,
             {{0, 0}, {100, 0}, {100, 0}, {100, 0}}},
    ArrowRow{"SamePoints", {5, 5}, {5, 5}, 1, 20, false, {{5, 5}, {5, 5}, {0, -14}, {10, -14}}}),
    [](const auto& Info) { return std::string(Info.param.Name); });
// clang-format on

struct BandRow {
    const char* Name;
    friend void PrintTo(const BandRow& R, std::ostream* Os) { *Os << R.Name; }
    int PenWidth;
    Extended Zoom;
    int W;
};

class LineBand : public ::testing::TestWithParam<BandRow> {};

// A horizontal line from device (10, 50) to (90, 50). The region builder adds a pixel around
// the band, whose corners also stick out one pixel beyond the end squares.
TEST_P(LineBand, ReachesTheHalfWidthBesideAndBeyondTheEnds) {
    const BandRow& R = GetParam();
    const Extended Z = R.Zoom;
    const QRegion Area =
        TSchemeLine(1, 10 / Z, 50 / Z, 90 / Z, 50 / Z, R.PenWidth, 0).GetClippingRegion(Z, 0);
    for (const auto& [X, Y, Inside] : {std::tuple{50, 50 - R.W, true},
                                       {50, 50 + R.W, true},
                                       {50, 48 - R.W, false},
                                       {50, 52 + R.W, false},
                                       {10 - R.W, 50, true},
                                       {7 - R.W, 50, false},
                                       {89 + R.W, 50, true},
                                       {93 + R.W, 50, false}})
        EXPECT_EQ(Area.contains(QPoint(X, Y)), Inside) << X << "," << Y;
}

INSTANTIATE_TEST_SUITE_P(Widths, LineBand,
                         ::testing::Values(BandRow{"ThinPen", 1, 1, 1}, BandRow{"NoPen", 0, 1, 1},
                                           BandRow{"WidthFive", 5, 1, 3},
                                           BandRow{"ZoomedIn", 3, 2, 4},
                                           // 7 pixels painted: half of them, round end included
                                           BandRow{"ZoomedOutWidePen", 14, 0.5L, 4}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// Lines with an arrow either way in eight directions from device (110, 110), thin and wide,
// zoomed in and out.
TEST(LineRegion, HoldsEveryPaintedPixel) {
    for (const auto& [PenWidth, Z] : {std::pair{1, 1.0L}, {7, 1.0L}, {10, 0.7L}, {13, 2.2L}}) {
        for (int K = 0; K < 16; ++K) {
            const Extended Angle = (K / 2 * 45 + 10) * 3.14159265358979L / 180;
            TSchemeLine Line(1, 110 / Z, 110 / Z, (110 + 70 * std::cos(Angle)) / Z,
                             (110 + 70 * std::sin(Angle)) / Z, PenWidth, 0);
            Line.SetVisibleArrow(true);
            Line.SetBackArrow(K % 2 == 1);
            scheme::testing::ExpectPaintedInsideRegion(Line, Z);
        }
    }
}

// Painted with the selected pen while the selection blinks on, with the normal one otherwise.
TEST(LineRegion, CoversTheWiderSelectedPenWhileSelected) {
    TSchemeLayer Layer(1);
    auto* Line = new TSchemeLine(1, 20, 20, 100, 60, 1, 0);
    Layer.Add(Line);
    Line->SetStateColorSupport(false);
    Line->SelectedBrush()->SetColor(clBlack);
    Line->SelectedPen()->SetWidth(8);
    Line->SetSelected(true);
    scheme::testing::ExpectPaintedInsideRegion(*Line, 1);
}

QStringList Saved(const TSchemeLine& Line) {
    QStringList Strings;
    Line.SaveToStrings(Strings);
    return Strings;
}

TEST(LineRecord, ArrowKeysAreWrittenOnlyWhenNotDefaultAndReadBack) {
    TSchemeLine Line(1, TPoint{0, 0}, TPoint{10, 10}, 2, 0);
    const QStringList Plain = Saved(Line);
    EXPECT_FALSE(Plain.join(' ').contains(QLatin1String("Arrow")));
    Line.SetVisibleArrow(true);
    Line.SetBackArrow(true);
    Line.SetLengthArrow(35);
    QStringList Strings = Saved(Line);
    EXPECT_EQ(Strings.mid(Plain.size()),
              (QStringList{"  VisibleArrow=1", "  BackArrow=1", "  LengthArrow=35"}));
    EXPECT_EQ(Saved(TSchemeLine(Strings)), Saved(Line));

    QStringList Two = Lines("ID=1|State=0|Count=2|X0=0|Y0=0|X1=5|Y1=5|VisibleArrow=2");
    const TSchemeLine Odd(Two);
    EXPECT_FALSE(Odd.VisibleArrow());
    EXPECT_EQ(Odd.LengthArrow(), 20);
}

TEST(LineRecord, RefusesAnyCountButTwoAndTextForNumbers) {
    QStringList Three = Lines("ID=1|State=0|Count=3|X0=0|Y0=0|X1=5|Y1=5|X2=9|Y2=9");
    EXPECT_EQ(RaisedBy([&] { TSchemeLine Bad(Three); }),
              QStringLiteral("TSchemeLine : Count must be 2, not 3"));
    QStringList Text = Lines("ID=1|State=0|Count=2|X0=0|Y0=0|X1=5|Y1=5|LengthArrow=long");
    EXPECT_THROW(TSchemeLine Bad(Text), EConvertError);
}

TEST(LineDrag, MovesWhatTheDetailNames) {
    auto After = [](int Detail) {
        TSchemeLine Line(1, 10, 20, 50, 60, 1, 0);
        Line.ChangePositionDetail(30, 40, Detail, 0);
        return std::pair{Line.GetPointsExt(0), Line.GetPointsExt(1)};
    };
    EXPECT_EQ(After(1), std::pair(PointExt(10, 20), PointExt(30, 40)));
    EXPECT_EQ(After(0), std::pair(PointExt(30, 40), PointExt(50, 60)));
    EXPECT_EQ(After(-1), std::pair(PointExt(30, 40), PointExt(70, 80)));
    EXPECT_EQ(After(-2), std::pair(PointExt(10, 20), PointExt(50, 60)));
    EXPECT_EQ(After(2), std::pair(PointExt(10, 20), PointExt(50, 60)));
}

TEST(LinePaint, DrawsInTheStateColourOrElseTheBrushColour) {
    TSchemeLayer Layer(1);
    const TColor Colors[] = {clRed, clLime};
    Layer.SetAllStateColors(Colors);
    auto* Line = new TSchemeLine(1, 10, 10, 90, 50, 3, 1);
    Layer.Add(Line);
    Line->Brush()->SetColor(clBlue);
    Line->SetVisibleArrow(true);
    for (const auto& [StateColors, Expected] : {std::pair{true, clLime}, {false, clBlue}}) {
        Line->SetStateColorSupport(StateColors);
        const QImage Image = scheme::testing::Painted(*Line, 1, 100);
        int Painted = 0;
        for (int Y = 0; Y < 100; ++Y)
            for (int X = 0; X < 100; ++X)
                if (const QRgb Pixel = Image.pixel(X, Y); Pixel != qRgb(255, 255, 255)) {
                    ++Painted;
                    EXPECT_EQ(Pixel, ColorToQColor(Expected).rgb()) << X << "," << Y;
                }
        EXPECT_GT(Painted, 80);
    }
}

}  // namespace
