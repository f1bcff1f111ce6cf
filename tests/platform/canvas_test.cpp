#include "scheme/platform/canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <climits>
#include <cstdlib>
#include <functional>

namespace scheme {
namespace {

constexpr QRgb kBlack = 0x000000, kRed = 0xFF0000, kWhite = 0xFFFFFF;

// Paints on a white image with the default black 1-pixel pen and a solid red brush.
QImage Paint(int Width, int Height, const std::function<void(TCanvas&)>& Draw,
             bool Smooth = false) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    Image.fill(Qt::white);
    TCanvas Canvas(&Image);
    Canvas.SetSmooth(Smooth);
    Canvas.Brush().SetColor(clRed);
    Draw(Canvas);
    return Image;
}

QRgb At(const QImage& Image, int X, int Y) {
    return Image.pixel(X, Y) & 0xFFFFFF;
}

// The smallest rectangle around the painted pixels.
TRect PaintedBounds(const QImage& Image) {
    TRect R{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (At(Image, X, Y) != kWhite)
                R = {std::min(R.Left, X), std::min(R.Top, Y), std::max(R.Right, X + 1),
                     std::max(R.Bottom, Y + 1)};
    return R.Left == INT_MAX ? TRect{} : R;
}

TEST(CanvasRectangle, OutlineOnOuterPixelsAndClearPenOnePixelLess) {
    const QImage Image = Paint(12, 10, [](TCanvas& C) { C.Rectangle(2, 3, 10, 8); });
    for (int Y = 0; Y < 10; ++Y)
        for (int X = 0; X < 12; ++X) {
            const bool Inside = X >= 2 && X < 10 && Y >= 3 && Y < 8;
            const bool Edge = Inside && (X == 2 || X == 9 || Y == 3 || Y == 7);
            EXPECT_EQ(At(Image, X, Y), Edge ? kBlack : Inside ? kRed : kWhite) << X << "," << Y;
        }
    EXPECT_EQ(PaintedBounds(Paint(12, 10,
                                  [](TCanvas& C) {
                                      C.Pen().SetStyle(TPenStyle::psClear);
                                      C.Rectangle(2, 3, 10, 8);
                                  })),
              Rect(2, 3, 9, 7));
}

TEST(CanvasRectangle, WidePensCentreOnOutlineOrStayInsideTheFrame) {
    EXPECT_EQ(PaintedBounds(Paint(24, 20,
                                  [](TCanvas& C) {
                                      C.Pen().SetWidth(5);
                                      C.Rectangle(5, 5, 16, 12);
                                  })),
              Rect(3, 3, 18, 14));
    const QImage Inside = Paint(30, 24, [](TCanvas& C) {
        C.Pen().SetWidth(5);
        C.Pen().SetStyle(TPenStyle::psInsideFrame);
        C.Rectangle(5, 5, 25, 20);
    });
    EXPECT_EQ(PaintedBounds(Inside), Rect(5, 5, 25, 20));
    EXPECT_EQ(At(Inside, 9, 12), kBlack);
    EXPECT_EQ(At(Inside, 12, 12), kRed);
}

TEST(CanvasEllipse, InscribedSymmetricAndTouchingAllSides) {
    const QImage Example = Paint(100, 40, [](TCanvas& C) { C.Ellipse(30, 0, 70, 40); });
    EXPECT_EQ(PaintedBounds(Example), Rect(30, 0, 70, 40));
    for (int W = 1; W < 40; W += 3)
        for (int H = 1; H < 30; H += 2) {
            const QImage Image =
                Paint(W + 6, H + 4, [&](TCanvas& C) { C.Ellipse(3, 2, 3 + W, 2 + H); });
            ASSERT_EQ(PaintedBounds(Image), Rect(3, 2, 3 + W, 2 + H)) << W << "x" << H;
            const QImage Box = Image.copy(QRect(3, 2, W, H));
            EXPECT_EQ(Box, Box.mirrored(true, false)) << W << "x" << H;
            EXPECT_EQ(Box, Box.mirrored(false, true)) << W << "x" << H;
        }
}

TEST(CanvasRoundRect, CornersRoundedWithinBoundsAndExtremesDegenerate) {
    const QImage Image = Paint(100, 40, [](TCanvas& C) { C.RoundRect(0, 0, 100, 40, 10, 10); });
    EXPECT_EQ(PaintedBounds(Image), Rect(0, 0, 100, 40));
    EXPECT_EQ(At(Image, 0, 0), kWhite);
    EXPECT_EQ(Image, Image.mirrored(true, true));
    auto Same = [](auto A, auto B) { return Paint(40, 30, A) == Paint(40, 30, B); };
    EXPECT_TRUE(Same([](TCanvas& C) { C.RoundRect(2, 2, 37, 27, 1000, 1000); },
                     [](TCanvas& C) { C.Ellipse(2, 2, 37, 27); }));
    EXPECT_TRUE(Same([](TCanvas& C) { C.RoundRect(2, 2, 37, 27, -5, 0); },
                     [](TCanvas& C) { C.Rectangle(2, 2, 37, 27); }));
}

// A smooth canvas blends edges but puts every figure where the aliased one is.
TEST(CanvasSmooth, FiguresKeepTheirPlacesWithBlendedEdges) {
    auto Blended = [](const QImage& Image) {
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width(); ++X)
                if (const QRgb C = At(Image, X, Y); C != kBlack && C != kRed && C != kWhite)
                    return true;
        return false;
    };
    for (int Width : {1, 3, 4}) {
        SCOPED_TRACE(Width);
        const auto Round = [Width](TCanvas& C) {
            C.Pen().SetWidth(Width);
            C.Ellipse(6, 5, 46, 35);
            C.RoundRect(50, 5, 90, 35, 16, 12);
        };
        const QImage Smooth = Paint(96, 40, Round, true);
        EXPECT_EQ(PaintedBounds(Smooth), PaintedBounds(Paint(96, 40, Round)));
        EXPECT_TRUE(Blended(Smooth));
        EXPECT_EQ(At(Smooth, 26, 20), kRed);
        const auto Straight = [Width](TCanvas& C) {
            C.Pen().SetWidth(Width);
            C.Rectangle(4, 4, 30, 20);
            C.MoveTo(2, 30);
            C.LineTo(40, 30);
        };
        // A line's thickness covers the same rows; its ends may blend into the next pixel.
        const TRect Line = PaintedBounds(Paint(48, 36, Straight, true));
        const TRect Aliased = PaintedBounds(Paint(48, 36, Straight));
        EXPECT_EQ(Line.Top, Aliased.Top);
        EXPECT_EQ(Line.Bottom, Aliased.Bottom);
        EXPECT_LE(std::abs(Line.Right - Aliased.Right), 1);
    }
    const auto Thin = [](TCanvas& C) {
        C.Rectangle(2, 2, 20, 12);
        C.InvertRect(Rect(4, 4, 10, 10));
    };
    EXPECT_EQ(Paint(24, 16, Thin, true), Paint(24, 16, Thin));
}

TEST(CanvasStyles, DashGapsAndHatchesShowBkColorOnlyWhenOpaque) {
    for (const TBkMode Mode : {TBkMode::Opaque, TBkMode::Transparent}) {
        const QImage Image = Paint(60, 20, [Mode](TCanvas& C) {
            C.FillRect(Rect(0, 0, 60, 20));
            C.SetBkMode(Mode);
            C.SetBkColor(clBlue);
            C.Pen().SetStyle(TPenStyle::psDash);
            C.MoveTo(0, 2);
            C.LineTo(60, 2);
            C.Brush().Assign(TBrush());
            C.Brush().SetStyle(TBrushStyle::bsHorizontal);
            C.Brush().SetColor(clBlack);
            C.FillRect(Rect(0, 5, 60, 20));
        });
        const QRgb Gap = Mode == TBkMode::Opaque ? 0x0000FF : kRed;
        EXPECT_EQ(At(Image, 10, 2), kBlack);  // 18 pixels of dash, then 6 of gap
        EXPECT_EQ(At(Image, 20, 2), Gap);
        int Lines = 0;
        for (int Y = 5; Y < 20; ++Y) {
            EXPECT_TRUE(At(Image, 30, Y) == kBlack || At(Image, 30, Y) == Gap) << Y;
            Lines += At(Image, 30, Y) == kBlack;
        }
        EXPECT_GT(Lines, 0);
        EXPECT_LT(Lines, 8);
    }
}

TEST(CanvasOrigin, WindowOriginAndClipAreLogical) {
    QImage Image(50, 40, QImage::Format_RGB32);
    Image.fill(Qt::white);
    TCanvas Canvas(&Image);
    Canvas.SetWindowOrg(Point(100, 200));
    EXPECT_EQ(Canvas.ClipRect(), Rect(100, 200, 150, 240));
    Canvas.SetClipRect(Rect(105, 205, 110, 210));
    EXPECT_TRUE(Canvas.RectVisible(Rect(109, 209, 200, 300)));
    EXPECT_FALSE(Canvas.RectVisible(Rect(110, 200, 200, 300)));
    Canvas.Brush().SetColor(clBlack);
    Canvas.FillRect(Rect(0, 0, 1000, 1000));
    EXPECT_EQ(PaintedBounds(Image), Rect(5, 5, 10, 10));
    // The clip rectangle stays put in the logical plane when the origin moves.
    Canvas.SetWindowOrg(Point(103, 203));
    EXPECT_EQ(Canvas.ClipRect(), Rect(105, 205, 110, 210));
    Canvas.ClearClipRect();
    EXPECT_EQ(Canvas.ClipRect(), Rect(103, 203, 153, 243));
}

TEST(CanvasOrigin, WrappedPainterKeepsCallerStateAndClip) {
    QImage Image(50, 40, QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    Painter.translate(10, 10);
    Painter.setClipRect(QRect(0, 0, 20, 20));
    Painter.setPen(Qt::green);
    {
        TCanvas Canvas(&Painter);
        Canvas.SetWindowOrg(Point(5, 0));
        // Device pixels 10..29 are logical 5..24 after the caller's translation and the origin.
        EXPECT_EQ(Canvas.ClipRect(), Rect(5, 0, 25, 20));
        Canvas.Brush().SetColor(clRed);
        Canvas.Rectangle(0, 0, 100, 100);
    }
    EXPECT_EQ(Painter.worldTransform(), QTransform::fromTranslate(10, 10));
    EXPECT_EQ(Painter.pen().color(), QColor(Qt::green));
    Painter.end();
    EXPECT_EQ(PaintedBounds(Image), Rect(10, 10, 30, 30));
    EXPECT_EQ(At(Image, 10, 10), kBlack);
    EXPECT_EQ(At(Image, 10, 11), kRed);
}

TEST(CanvasLines, LineToAndPolylineLeaveOutTheEndPixel) {
    const QImage Image = Paint(12, 12, [](TCanvas& C) {
        C.MoveTo(1, 1);
        C.LineTo(8, 1);
        C.LineTo(8, 6);
        C.LineTo(8, 6);  // no length: nothing
        const TPoint Line[] = {{1, 10}, {5, 10}, {5, 10}, {10, 10}};
        C.Polyline(Line);
    });
    EXPECT_EQ(PaintedBounds(Image), Rect(1, 1, 10, 11));
    EXPECT_EQ(At(Image, 8, 5), kBlack);
    EXPECT_EQ(At(Image, 8, 6), kWhite);
    EXPECT_EQ(At(Image, 10, 10), kWhite);
}

TEST(CanvasFill, FillRectExclusiveAndInvertRectUndoesItself) {
    QImage Image = Paint(20, 10, [](TCanvas& C) {
        C.FillRect(Rect(2, 2, 8, 6));
        C.Brush().SetStyle(TBrushStyle::bsClear);
        C.FillRect(Rect(10, 2, 18, 6));
    });
    EXPECT_EQ(PaintedBounds(Image), Rect(2, 2, 8, 6));
    const QImage Before = Image;
    TCanvas Canvas(&Image);
    Canvas.InvertRect(Rect(0, 0, 5, 10));
    EXPECT_EQ(At(Image, 3, 3), 0x00FFFFu);
    EXPECT_EQ(At(Image, 4, 9), kBlack);
    EXPECT_EQ(At(Image, 5, 9), kWhite);
    Canvas.InvertRect(Rect(0, 0, 5, 10));
    EXPECT_EQ(Image, Before);
}

TEST(CanvasText, OneLineFromTheTopLeftOfItsCell) {
    for (const TBkMode Mode : {TBkMode::Transparent, TBkMode::Opaque}) {
        TRect Cell;
        const QImage Image = Paint(200, 60, [&](TCanvas& C) {
            C.Font().SetColor(clBlack);
            C.Font().SetSize(-16);
            C.SetBkMode(Mode);
            C.SetBkColor(clYellow);
            C.TextOut(20, 10, "Hq\nW");
            Cell = Rect(20, 10, 20 + C.TextWidth("Hq\nW"), 10 + C.TextHeight("Hq\nW"));
        });
        const TRect Ink = PaintedBounds(Image);
        EXPECT_GE(Ink.Left, 19);
        EXPECT_GE(Ink.Top, 10);
        EXPECT_LE(Ink.Top, 16);  // capitals start near the top of the cell
        EXPECT_LE(Ink.Bottom, Cell.Bottom);
        EXPECT_TRUE(Mode == TBkMode::Transparent || Ink == Cell);
    }
}

// A device of 100 × 100 pixels that paints nothing and counts what the painter is handed: the
// elements of paths, the points of polygons and lines, rectangles, and other calls one each.
// Its engine does all painting itself, so the painter hands every figure over whole.
class TCountingDevice : public QPaintDevice {
public:
    qint64 Elements() const { return FEngine.Elements; }
    QPaintEngine* paintEngine() const override { return &FEngine; }

protected:
    int metric(PaintDeviceMetric Metric) const override {
        switch (Metric) {
            case PdmWidth:
            case PdmHeight:
                return 100;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatioScaled:
                return int(devicePixelRatioFScale());
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmWidthMM:
            case PdmHeightMM:
                return 26;
            default:
                return 1;
        }
    }

private:
    struct TEngine : QPaintEngine {
        TEngine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        Type type() const override { return User; }
        void drawPath(const QPainterPath& Path) override { Elements += Path.elementCount(); }
        void drawPolygon(const QPointF*, int Count, PolygonDrawMode) override { Elements += Count; }
        void drawPolygon(const QPoint*, int Count, PolygonDrawMode) override { Elements += Count; }
        void drawLines(const QLineF*, int Count) override { Elements += 2 * Count; }
        void drawLines(const QLine*, int Count) override { Elements += 2 * Count; }
        void drawRects(const QRectF*, int Count) override { Elements += Count; }
        void drawRects(const QRect*, int Count) override { Elements += Count; }
        void drawEllipse(const QRectF&) override { ++Elements; }
        void drawEllipse(const QRect&) override { ++Elements; }
        void drawPoints(const QPointF*, int Count) override { Elements += Count; }
        void drawPoints(const QPoint*, int Count) override { Elements += Count; }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { ++Elements; }
        void drawTextItem(const QPointF&, const QTextItem&) override { ++Elements; }
        void drawImage(const QRectF&, const QImage&, const QRectF&,
                       Qt::ImageConversionFlags) override {
            ++Elements;
        }
        qint64 Elements = 0;
    };
    mutable TEngine FEngine;
};

// Figures of any size hand the painter about what the device shows: the canvas never walks
// their whole extent, and the painter never strokes or fills more than a small device's worth.
TEST(CanvasRobustness, HugeOrDegenerateFiguresAreCheapAndSound) {
    constexpr int Big = kPixelLimit;
    const auto Huge = [](TCanvas& C) {
        C.Rectangle(10, -Big, Big, Big);
        C.Ellipse(INT_MIN, 50, INT_MAX, INT_MAX);
        C.RoundRect(INT_MIN, INT_MIN, INT_MAX, 95, INT_MAX, Big);
        C.Pen().SetWidth(TPen::kMaxWidth);
        C.Pen().SetStyle(TPenStyle::psDot);
        C.Ellipse(-Big, 60, Big, Big);
        const TPoint Star[] = {{-Big, -Big}, {Big, 0}, {0, Big}, {0, -Big}, {-Big, Big}};
        C.Polygon(Star);
        C.Polyline(Star);
        C.InvertRect(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
        C.TextOut(Big, -Big, "far away");
    };
    TCountingDevice Counted;
    {
        TCanvas Canvas(&Counted);
        Huge(Canvas);
    }
    EXPECT_GT(Counted.Elements(), 0);
    EXPECT_LE(Counted.Elements(), 2000);  // a few rectangles a row of the 100 rows at most
    const QImage Image = Paint(100, 100, [](TCanvas& C) {
        C.Rectangle(10, -Big, Big, Big);
        C.Ellipse(INT_MIN, 50, INT_MAX, INT_MAX);
    });
    EXPECT_EQ(At(Image, 9, 20), kWhite);
    EXPECT_EQ(At(Image, 10, 20), kBlack);
    EXPECT_EQ(At(Image, 11, 20), kRed);
    EXPECT_EQ(At(Image, 0, 50), kBlack);
    EXPECT_EQ(At(Image, 0, 51), kRed);
    Paint(100, 100, Huge);
    Paint(100, 100, Huge, true);
    EXPECT_EQ(PaintedBounds(Paint(10, 10,
                                  [](TCanvas& C) {
                                      C.Pen().SetWidth(TPen::kMaxWidth);
                                      C.Rectangle(8, 2, 2, 8);
                                      C.Ellipse(2, 8, 8, 2);
                                      C.RoundRect(2, 2, 8, 2, 4, 4);
                                  })),
              TRect{});
    // Far edges are pulled in by whole dash periods: the visible dashes do not move.
    auto Dashed = [](int Left) {
        return Paint(100, 50, [Left](TCanvas& C) {
            C.Pen().SetStyle(TPenStyle::psDashDot);
            C.Rectangle(Left, 10, 60, 40);
        });
    };
    EXPECT_EQ(Dashed(-24), Dashed(-24 - 24 * 1000000));
}

TEST(CanvasRobustness, CanvasWithoutDeviceDoesNothing) {
    QImage Null;
    TCanvas OnNull(&Null);
    TCanvas OnNothing(static_cast<QPainter*>(nullptr));
    for (TCanvas* C : {&OnNull, &OnNothing}) {
        C->Rectangle(0, 0, 10, 10);
        C->TextOut(0, 0, "x");
        C->SetClipRect(Rect(0, 0, 5, 5));
        EXPECT_EQ(C->ClipRect(), TRect{});
        EXPECT_FALSE(C->RectVisible(Rect(0, 0, 5, 5)));
    }
}

}  // namespace
}  // namespace scheme
