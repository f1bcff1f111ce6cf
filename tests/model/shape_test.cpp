#include <gtest/gtest.h>

#include <QImage>

#include "fake_scheme_data.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/region.h"

using namespace scheme;
using scheme::testing::Lines;

namespace {

QImage Blank(int W, int H) {
    QImage Image(W, H, QImage::Format_RGB32);
    Image.fill(Qt::white);
    return Image;
}

bool ColumnPainted(const QImage& Image, int X) {
    for (int Y = 0; Y < Image.height(); ++Y)
        if (Image.pixel(X, Y) != qRgb(255, 255, 255)) return true;
    return false;
}

// The shape whose zoom rectangle at zoom 1 is exactly R.
TSchemeShape ShapeOn(const TRect& R, TShapeType Kind) {
    return TSchemeShape(1, R, 0, Kind);
}

}  // namespace

TEST(ShapeGeometry, SquareKindsCentreASquareOfTheShorterSide) {
    const TRect R = Rect(0, 0, 100, 40);
    for (TShapeType Kind :
         {TShapeType::stSquare, TShapeType::stRoundSquare, TShapeType::stCircle}) {
        const auto G = TSchemeShape::Geometry(Kind, R);
        EXPECT_EQ(G.X, 30);
        EXPECT_EQ(G.Y, 0);
        EXPECT_EQ(G.W, 40);
        EXPECT_EQ(G.H, 40);
        EXPECT_EQ(G.Corner, 10);
    }
    const auto Tall = TSchemeShape::Geometry(TShapeType::stCircle, Rect(10, 10, 21, 40));
    EXPECT_EQ(Tall.X, 10);
    EXPECT_EQ(Tall.Y, 19);  // (30 - 11) div 2
    EXPECT_EQ(Tall.W, 11);
}

TEST(ShapeGeometry, RoundedKindsUseAQuarterOfTheShorterSide) {
    const auto G = TSchemeShape::Geometry(TShapeType::stRoundRect, Rect(0, 0, 100, 40));
    EXPECT_EQ(G.X, 0);
    EXPECT_EQ(G.W, 100);
    EXPECT_EQ(G.Corner, 10);
}

TEST(ShapeRegion, CurvedKindsGetAMarginAndSquareKindsStayInside) {
    EXPECT_EQ(
        RegionBounds(ShapeOn(Rect(0, 0, 100, 40), TShapeType::stRectangle).GetClippingRegion(1, 0)),
        Rect(0, 0, 100, 40));
    EXPECT_EQ(
        RegionBounds(ShapeOn(Rect(0, 0, 100, 40), TShapeType::stSquare).GetClippingRegion(1, 0)),
        Rect(30, 0, 70, 40));
    const TRect Circle =
        RegionBounds(ShapeOn(Rect(0, 0, 100, 40), TShapeType::stCircle).GetClippingRegion(1, 0));
    EXPECT_GE(Circle.Left, 28);
    EXPECT_LE(Circle.Left, 29);
    EXPECT_GE(Circle.Right, 71);
    EXPECT_LE(Circle.Right, 72);
    // The corners of an ellipse's box are not part of it.
    EXPECT_FALSE(PtInRegion(
        ShapeOn(Rect(0, 0, 100, 40), TShapeType::stEllipse).GetClippingRegion(1, 0), 1, 1));
}

TEST(ShapeRegion, UnknownKindsActAsRectangles) {
    TSchemeShape Shape = ShapeOn(Rect(0, 0, 100, 40), static_cast<TShapeType>(77));
    EXPECT_EQ(RegionBounds(Shape.GetClippingRegion(1, 0)), Rect(0, 0, 100, 40));
    QImage Image = Blank(100, 40);
    TCanvas Canvas(&Image);
    Shape.Paint(1, Canvas, 0);
    EXPECT_NE(Image.pixel(0, 0), qRgb(255, 255, 255));
}

TEST(ShapePaint, CircleCoversExactlyTheCentredSquareColumns) {
    QImage Image = Blank(100, 40);
    {
        TCanvas Canvas(&Image);
        TSchemeShape Shape = ShapeOn(Rect(0, 0, 100, 40), TShapeType::stCircle);
        Shape.Paint(1, Canvas, 0);
    }
    for (int X = 0; X < 100; ++X) EXPECT_EQ(ColumnPainted(Image, X), X >= 30 && X <= 69) << X;
}

TEST(ShapePaint, RoundRectLeavesItsCornersOpen) {
    QImage Image = Blank(100, 40);
    {
        TCanvas Canvas(&Image);
        TSchemeShape Shape = ShapeOn(Rect(0, 0, 100, 40), TShapeType::stRoundRect);
        Shape.Paint(1, Canvas, 0);
    }
    EXPECT_EQ(Image.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(Image.pixel(99, 39), qRgb(255, 255, 255));
    EXPECT_NE(Image.pixel(50, 0), qRgb(255, 255, 255));
    EXPECT_NE(Image.pixel(0, 20), qRgb(255, 255, 255));
    EXPECT_NE(Image.pixel(99, 20), qRgb(255, 255, 255));
}

TEST(ShapePaint, InvisibleShapesAndShapesOffTheCanvasPaintNothing) {
    QImage Image = Blank(50, 50);
    {
        TCanvas Canvas(&Image);
        TSchemeShape Hidden = ShapeOn(Rect(0, 0, 40, 40), TShapeType::stRectangle);
        Hidden.SetVisible(false);
        Hidden.Paint(1, Canvas, 0);
        TSchemeShape Away = ShapeOn(Rect(60, 60, 90, 90), TShapeType::stRectangle);
        Away.Paint(1, Canvas, 0);
    }
    EXPECT_EQ(Image, Blank(50, 50));
}

TEST(ShapePaint, FillsWithTheStateColourInALayerAndSelectedColourWhileBlinking) {
    TSchemeLayer Layer(1);
    const TColor Colors[] = {clRed, clLime};
    Layer.SetAllStateColors(Colors);
    auto* Shape = new TSchemeShape(1, Rect(0, 0, 20, 20), 1, TShapeType::stRectangle);
    Layer.Add(Shape);
    auto PaintedCentre = [&] {
        QImage Image = Blank(20, 20);
        TCanvas Canvas(&Image);
        Layer.Paint(1, Canvas, 0);
        return QColor(Image.pixel(10, 10));
    };
    EXPECT_EQ(PaintedCentre(), QColor(Qt::green));
    Shape->SetSelected(true);
    EXPECT_EQ(PaintedCentre(), QColor(Qt::blue));
    Layer.SetSelectionPhase(false);
    EXPECT_EQ(PaintedCentre(), QColor(Qt::green));
    Shape->SetStateColorSupport(false);
    Shape->Brush()->SetColor(clYellow);
    EXPECT_EQ(PaintedCentre(), QColor(Qt::yellow));
}

TEST(ShapeRecord, AppendsTheKindAfterTheBaseRecord) {
    TSchemeShape Shape(2, 0, 0, 10, 10, 0, TShapeType::stEllipse);
    Shape.SetProperties(QStringList{QStringLiteral("a=b")});
    QStringList Strings;
    Shape.SaveToStrings(Strings);
    EXPECT_EQ(Strings.last(), QStringLiteral("  Shape=4"));
    EXPECT_EQ(Strings[Strings.size() - 2], QStringLiteral("  PropertiesEnd=>"));
    TSchemeShape Back(Strings);
    EXPECT_EQ(Back.Shape(), TShapeType::stEllipse);
}

TEST(ShapeRecord, MissingKindIsARectangleAndPropertiesComeFirst) {
    const char* Corners = "Count=4|X0=0|Y0=0|X1=10|Y1=0|X2=10|Y2=10|X3=0|Y3=10";
    QStringList Plain = Lines((QByteArray("ID=1|State=0|") + Corners).constData());
    EXPECT_EQ(TSchemeShape(Plain).Shape(), TShapeType::stRectangle);
    QStringList Shadowed = Lines(
        (QByteArray("ID=1|State=0|") + Corners + "|Properties=>|Shape=5|PropertiesEnd=>|Shape=2")
            .constData());
    EXPECT_EQ(TSchemeShape(Shadowed).Shape(), TShapeType::stCircle);
    QStringList Bad = Lines((QByteArray("ID=1|State=0|") + Corners + "|Shape=round").constData());
    EXPECT_THROW(TSchemeShape Shape(Bad), EConvertError);
}

TEST(ShapeRecord, SetShapeRepaintsAndNotifies) {
    scheme::testing::FakeSchemeData Data;
    TSchemeLayer Layer(1);
    Layer.SetSchemeData(&Data);
    auto* Shape = new TSchemeShape(1, 0, 0, 10, 10, 0, TShapeType::stRectangle);
    Layer.Add(Shape);
    int Changes = 0;
    Shape->OnChange = [&](TObject*) { ++Changes; };
    Data.Reset();
    Shape->SetShape(TShapeType::stRectangle);
    EXPECT_EQ(Changes, 0);
    Shape->SetShape(TShapeType::stCircle);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Data.NoticesOf(TSchemeNoticeKind::Changed, Shape), 1);
}
