// Captions: painted and measured through the object's layer.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>

#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/region.h"

using namespace scheme;

namespace {

struct Captioned : ::testing::Test {
    Captioned() {
        Box = new TSchemeBox(1, 10, 10, 100, 60, 0);
        Box->SetText(QStringLiteral("Pump"));
        Box->SetStateColorSupport(false);
        Box->Pen()->SetStyle(TPenStyle::psClear);
        Layer.Add(Box);
    }

    QImage Painted(Extended Zoom) {
        QImage Image(300, 200, QImage::Format_RGB32);
        Image.fill(Qt::white);
        TCanvas Canvas(&Image);
        Layer.Paint(Zoom, Canvas, 0);
        return Image;
    }

    static int DarkPixels(const QImage& Image, const QRect& Area) {
        int N = 0;
        for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
            for (int X = Area.left(); X <= Area.right(); ++X)
                if (qGray(Image.pixel(X, Y)) < 128) ++N;
        return N;
    }

    TSchemeLayer Layer{1};
    TSchemeBox* Box = nullptr;
};

}  // namespace

TEST_F(Captioned, IsPaintedAtItsAnchorFromTheMinimumZoomOn) {
    const QImage Image = Painted(1.0);
    EXPECT_GT(DarkPixels(Image, QRect(10, 10, 60, 16)), 0);
    EXPECT_EQ(DarkPixels(Image, QRect(0, 0, 300, 9)), 0);
    Layer.SetMinZoomForText(1.5);
    EXPECT_EQ(DarkPixels(Painted(1.0), QRect(0, 0, 300, 200)), 0);
    EXPECT_TRUE(Box->GetTextClippingRegion(1.0, 0).isEmpty());
}

TEST_F(Captioned, BreaksLinesAtEveryKindOfLineBreak) {
    for (const char* Text : {"A\rB", "A\nB", "A\r\nB"}) {
        Box->SetText(QString::fromLatin1(Text));
        const QImage Image = Painted(1.0);
        const int LineHeight = QFontMetrics(TFont().ToQFont()).height();
        EXPECT_GT(DarkPixels(Image, QRect(10, 10 + LineHeight, 20, LineHeight)), 0) << Text;
    }
}

TEST_F(Captioned, TurnsWhileSelectedAndBlinkingAndRestoresTheCanvas) {
    Box->SetStateColorSupport(true);
    const TColor States[] = {clWhite};
    Layer.SetAllStateColors(States);
    Box->SetSelected(true);
    QImage Image(300, 200, QImage::Format_RGB32);
    Image.fill(Qt::white);
    TCanvas Canvas(&Image);
    Canvas.Font().SetColor(clRed);
    Canvas.SetBkMode(TBkMode::Opaque);
    Layer.Paint(1.0, Canvas, 0);
    // selected fill is the layer's blue; the caption on it is white
    int White = 0;
    for (int X = 10; X < 70; ++X)
        for (int Y = 10; Y < 26; ++Y) White += Image.pixel(X, Y) == qRgb(255, 255, 255);
    EXPECT_GT(White, 0);
    EXPECT_EQ(Canvas.Font().Color(), clRed);
    EXPECT_EQ(Canvas.BkMode(), TBkMode::Opaque);
}

TEST_F(Captioned, FontFollowsTheZoomAboveTwoWhenEnabledAndIsRestored) {
    QImage Image(600, 400, QImage::Format_RGB32);
    auto InkAt = [&](Extended Zoom) {
        Image.fill(Qt::white);
        TCanvas Canvas(&Image);
        Layer.Paint(Zoom, Canvas, 0);
        EXPECT_EQ(Canvas.Font().Size(), 8);
        return DarkPixels(Image, QRect(30, 30, 300, 150));
    };
    const int Plain = InkAt(3.0);
    Layer.SetEnabledZoomForText(true);
    const int Scaled = InkAt(3.0);
    EXPECT_GT(Scaled, Plain * 3);
}

TEST_F(Captioned, RegionStartsAtTheAnchorAndScalesWithTheZoom) {
    const TRect One = RegionBounds(Box->GetTextClippingRegion(1.0, 0));
    const TRect Two = RegionBounds(Box->GetTextClippingRegion(2.0, 0));
    EXPECT_EQ(One.Left, 10);
    EXPECT_EQ(One.Top, 10);
    EXPECT_GT(One.Width(), 10);
    EXPECT_EQ(Two.Left, 20);
    EXPECT_NEAR(Two.Width(), 2 * One.Width(), 2);
    Box->SetText(QString());
    EXPECT_TRUE(Box->GetTextClippingRegion(1.0, 0).isEmpty());
}

// A caption placed away from its object is painted while the object's body is off the canvas,
// for every kind that paints captions the same way: a box, a shape and a polygon.
TEST_F(Captioned, IsPaintedWhileTheBodyIsOffTheCanvas) {
    auto* Shape = new TSchemeShape(2, 900, 10, 40, 40, 0, TShapeType::stEllipse);
    const TPointExt Vertices[] = {{900, 100}, {950, 100}, {925, 140}};
    auto* Polygon =
        new TSchemePolygon(3, Vertices, 0, TBrushStyle::bsSolid, QString(), PointExt(0, 0));
    Layer.Add(Shape);
    Layer.Add(Polygon);
    Box->MoveToExt(PointExt(900, 180));
    Box->SetTextPoint(PointExt(10, 10));
    Shape->SetText(QStringLiteral("Tank"));
    Shape->SetTextPoint(PointExt(10, 60));
    Polygon->SetText(QStringLiteral("Zone"));
    Polygon->SetTextPoint(PointExt(10, 110));
    const QImage Image = Painted(1.0);
    EXPECT_GT(DarkPixels(Image, QRect(10, 10, 60, 16)), 0);
    EXPECT_GT(DarkPixels(Image, QRect(10, 60, 60, 16)), 0);
    EXPECT_GT(DarkPixels(Image, QRect(10, 110, 60, 16)), 0);
}

TEST(Caption, NothingOutsideALayer) {
    TSchemeBox Box(1, 10, 10, 100, 60, 0);
    Box.SetText(QStringLiteral("Free"));
    EXPECT_TRUE(Box.GetTextClippingRegion(1.0, 0).isEmpty());
    QImage Image(200, 100, QImage::Format_RGB32);
    Image.fill(Qt::white);
    TCanvas Canvas(&Image);
    Box.PaintText(1.0, Canvas, 0);
    for (int Y = 0; Y < 100; ++Y)
        for (int X = 0; X < 200; ++X) ASSERT_EQ(Image.pixel(X, Y), qRgb(255, 255, 255));
}
