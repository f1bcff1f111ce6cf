// Text objects: font sizing, colours, what is painted, the record and the measured box.
#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "fake_scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_text.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/screen.h"

using namespace scheme;
using scheme::testing::Lines;

namespace {

struct TextPaint : ::testing::Test {
    TextPaint() {
        Image.fill(Qt::white);
        const TColor States[] = {clRed};
        Layer.SetAllStateColors(States);
        Layer.Add(Text);
        Canvas.Font().OnChange = [this](TObject*) { Sizes.push_back(Canvas.Font().Size()); };
    }

    // The font size the text is painted with at Zoom from a canvas font of size S; the canvas
    // must have its size back afterwards.
    int PaintedSize(Extended Zoom, int S) {
        Canvas.Font().SetSize(S);
        Sizes.clear();
        Text->Paint(Zoom, Canvas, 0);
        EXPECT_EQ(Canvas.Font().Size(), S);
        return Sizes.empty() ? S : Sizes.front();
    }

    // The text's height in the canvas font at size S, laid out as on the screen.
    int MeasuredHeight(int S) {
        Canvas.Font().SetSize(S);
        TRect M{0, 0, ScreenSize().width(), ScreenSize().height()};
        Canvas.DrawText(Text->Text(), M, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return M.Bottom - M.Top;
    }

    int Pixels(QRgb Color, const QRect& Area = QRect(0, 0, 300, 200), bool Equal = true) const {
        int N = 0;
        for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
            for (int X = Area.left(); X <= Area.right(); ++X)
                N += (Image.pixel(X, Y) == Color) == Equal;
        return N;
    }

    QImage Image{300, 200, QImage::Format_RGB32};
    TCanvas Canvas{&Image};
    TSchemeLayer Layer{1};
    TSchemeText* Text = new TSchemeText(1, 0, 0, 100, 20, 0, QStringLiteral("Pump"));
    std::vector<int> Sizes;
};

const QRgb kWhite = qRgb(255, 255, 255), kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255);

}  // namespace

TEST_F(TextPaint, AutoSizeFitsTheBoxHeightHalvesToEvenOtherwiseTheSizeFollowsTheZoom) {
    const int M = MeasuredHeight(10);
    EXPECT_EQ(PaintedSize(1, 10), Round(10.0L * 20 / M));
    EXPECT_EQ(PaintedSize(2, 10), Round(20.0L * 20 / M));
    Text->SetHeight(1.25L * M);  // 12.5
    EXPECT_EQ(PaintedSize(1, 10), 12);
    const int M2 = MeasuredHeight(2);
    Text->SetHeight(6.75L * M2);  // 13.5
    EXPECT_EQ(PaintedSize(1, 2), 14);
    Text->SetFontAutoSize(false);
    EXPECT_EQ(PaintedSize(1.5, 10), 15);
    EXPECT_EQ(PaintedSize(0.5, 10), 5);
}

TEST_F(TextPaint, InkIsTheStateOrSelectedColourInsideTheBoxAndTheCanvasIsRestored) {
    Text->SetText(QStringLiteral("A rather long text that overflows the box\rand a second line"));
    Canvas.Font().SetColor(clGreen);
    Canvas.SetBkMode(TBkMode::Opaque);
    Text->Paint(2, Canvas, 0);
    EXPECT_GT(Pixels(kRed), 0);
    EXPECT_EQ(Pixels(kWhite, QRect(0, 0, 200, 40), false), Pixels(kWhite, Image.rect(), false));
    EXPECT_EQ(Canvas.Font().Color(), clGreen);
    EXPECT_EQ(Canvas.BkMode(), TBkMode::Opaque);
    Text->SetSelected(true);
    Text->Paint(2, Canvas, 0);
    EXPECT_GT(Pixels(kBlue), 0);
    Layer.SetSelectionPhase(false);
    Image.fill(Qt::white);
    Text->Paint(2, Canvas, 0);
    EXPECT_EQ(Pixels(kBlue), 0);
    // Outside a layer there is no state colour: black.
    TSchemeText(1, 0, 100, 100, 20, 3, QStringLiteral("Free")).Paint(1, Canvas, 0);
    EXPECT_GT(Pixels(qRgb(0, 0, 0), QRect(0, 100, 100, 20)), 0);
}

TEST_F(TextPaint, EmptyTextPaintsNothingNotEvenHooksButInvisibleTextPaints) {
    Text->SetResized(true);
    Text->SetText(QString());
    Text->Paint(1, Canvas, 0);
    EXPECT_EQ(Pixels(kWhite), 300 * 200);
    Text->SetText(QStringLiteral("Pump"));
    Text->SetVisible(false);
    Text->Paint(1, Canvas, 0);
    EXPECT_GT(Pixels(kRed), 0);
}

TEST(TextRecord, FontAutoSizeIsWrittenOnlyWhenOffAndReadTrueOnlyForOne) {
    const char* Base = "ID=1|State=0|Text=Hi|Count=4|X0=0|Y0=0|X1=50|Y1=0|X2=50|Y2=20|X3=0|Y3=20";
    auto Read = [&](const char* Key) {
        QStringList Strings = Lines(Base) + (Key ? Lines(Key) : QStringList());
        return std::make_unique<TSchemeText>(Strings);
    };
    EXPECT_TRUE(Read(nullptr)->FontAutoSize());
    EXPECT_FALSE(Read("FontAutoSize=2")->FontAutoSize());
    QStringList Saved;
    Read(nullptr)->SaveToStrings(Saved);
    EXPECT_FALSE(Saved.join(QLatin1Char('|')).contains(QStringLiteral("FontAutoSize")));
    Saved.clear();
    Read("FontAutoSize=0")->SaveToStrings(Saved);
    EXPECT_EQ(Saved.last(), QStringLiteral("  FontAutoSize=0"));
    EXPECT_THROW(Read("FontAutoSize=yes"), EConvertError);
}

TEST(BoxKindRecords, CountOtherThanFourIsRejectedUnderTheKindsOwnName) {
    for (const QString& Kind : {QStringLiteral("TSchemeText"), QStringLiteral("TSchemeShape"),
                                QStringLiteral("TSchemeInternalPicture")}) {
        QStringList Strings = Lines("ID=1|State=0|Count=2|X0=0|Y0=0|X1=5|Y1=5");
        try {
            FindSchemeClass(Kind)->Create(Strings);
            ADD_FAILURE() << Kind.toStdString();
        } catch (const ESchemeErrorException& E) {
            EXPECT_TRUE(E.Message().startsWith(Kind + QStringLiteral(" : Count must be 4")));
        }
    }
}

TEST(TextMeasured, PointConstructorsFitTheTextAndKeepTheMinimumSize) {
    const QString Two = QStringLiteral("Two\rlines");
    const QRect M = MeasureScreenText(Two);
    TSchemeText ByPoint(1, Point(5, 7), 0, Two);
    TSchemeText ByPointExt(2, PointExt(5.5, 7), 0, Two);
    EXPECT_EQ(ByPoint.GetWidth(), M.width());
    EXPECT_EQ(ByPoint.GetHeight(), M.height());
    EXPECT_EQ(ByPointExt.TextPoint(), PointExt(5.5, 7));
    TSchemeText Empty(3, Point(0, 0), 0, QString());  // measures 0 wide
    EXPECT_EQ(Empty.GetWidth(), 4);
}
