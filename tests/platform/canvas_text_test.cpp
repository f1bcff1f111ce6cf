#include <gtest/gtest.h>

#include <QImage>

#include "scheme/platform/canvas.h"

using namespace scheme;

namespace {

QImage White(int W, int H) {
    QImage Image(W, H, QImage::Format_RGB32);
    Image.fill(Qt::white);
    return Image;
}

QRect Ink(const QImage& Image) {
    QRect Box;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (Image.pixel(X, Y) != qRgb(255, 255, 255)) Box |= QRect(X, Y, 1, 1);
    return Box;
}

}  // namespace

TEST(DrawText, MeasuresWithoutDrawingAndBreaksLinesAlike) {
    QImage Image = White(200, 100);
    TCanvas Canvas(&Image);
    TRect One{10, 10, 10, 10};
    const int H1 = Canvas.DrawText(QStringLiteral("Pump"), One, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(One.Left, 10);
    EXPECT_GT(One.Width(), 10);
    EXPECT_EQ(One.Height(), H1);
    for (const char* Two : {"Pump\rTank", "Pump\nTank", "Pump\r\nTank"}) {
        TRect R{0, 0, 0, 0};
        EXPECT_EQ(Canvas.DrawText(QString::fromLatin1(Two), R, DT_CALCRECT), 2 * H1) << Two;
    }
    EXPECT_TRUE(Ink(Image).isEmpty());
}

TEST(DrawText, WordBreaksToTheRectangleWidth) {
    QImage Image = White(10, 10);
    TCanvas Canvas(&Image);
    TRect Narrow{0, 0, 40, 0};
    TRect Wide{0, 0, 1000, 0};
    const QString Text = QStringLiteral("one two three four five six");
    EXPECT_GT(Canvas.DrawText(Text, Narrow, DT_CALCRECT | DT_WORDBREAK),
              Canvas.DrawText(Text, Wide, DT_CALCRECT | DT_WORDBREAK));
}

TEST(DrawText, DrawsTopLeftInTheFontColourClippedToTheRectangle) {
    QImage Image = White(200, 100);
    {
        TCanvas Canvas(&Image);
        Canvas.SetBkMode(TBkMode::Transparent);
        Canvas.Font().SetColor(clRed);
        Canvas.Font().SetSize(20);
        TRect R{20, 30, 60, 45};
        Canvas.DrawText(QStringLiteral("WWWWWWWW"), R, 0);
    }
    const QRect Box = Ink(Image);
    ASSERT_FALSE(Box.isEmpty());
    EXPECT_GE(Box.left(), 20);
    EXPECT_GE(Box.top(), 30);
    EXPECT_LE(Box.right(), 59);
    EXPECT_LE(Box.bottom(), 44);
    bool Red = false;
    for (int Y = Box.top(); Y <= Box.bottom(); ++Y)
        for (int X = Box.left(); X <= Box.right(); ++X)
            Red = Red || Image.pixel(X, Y) == qRgb(255, 0, 0);
    EXPECT_TRUE(Red);
}

TEST(StretchDraw, FillsTheRectangleAndLeavesOutTheTransparentColour) {
    QImage Source(2, 2, QImage::Format_RGB32);
    Source.fill(Qt::blue);
    Source.setPixel(0, 1, qRgb(0, 255, 0));  // bottom-left: the transparent colour
    Source.setPixel(1, 0, qRgb(0, 255, 0));
    QImage Image = White(40, 40);
    {
        TCanvas Canvas(&Image);
        Canvas.StretchDraw(TRect{10, 10, 30, 30}, Source, true);
    }
    EXPECT_EQ(Ink(Image), QRect(10, 10, 20, 20));
    EXPECT_EQ(Image.pixel(12, 12), qRgb(0, 0, 255));
    EXPECT_EQ(Image.pixel(27, 12), qRgb(255, 255, 255));  // green, left out
    QImage Opaque = White(40, 40);
    {
        TCanvas Canvas(&Opaque);
        Canvas.StretchDraw(TRect{10, 10, 30, 30}, Source);
    }
    EXPECT_EQ(Opaque.pixel(27, 12), qRgb(0, 255, 0));
}
