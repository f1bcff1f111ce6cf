#include <QBuffer>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>

#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/metafile.h"
#include "view_fixture.h"

namespace scheme::testing {
namespace {

class PaintTest : public ViewTest {
protected:
    // Paints a green square straight into the back buffer at client pixels (X, Y).
    void Mark(int X, int Y) {
        TCanvas* Canvas = View->GetCanvas();
        Canvas->Brush().SetColor(clLime);
        Canvas->FillRect(TRect{View->OriginX() + X, View->OriginY() + Y, View->OriginX() + X + 4,
                               View->OriginY() + Y + 4});
    }
    static QRgb Lime() { return Rgb(clLime); }
};

TEST_F(PaintTest, AnInvalidatedRegionIsRenderedAfreshAndNothingOutsideIt) {
    Shown();
    Mark(10, 10);
    Mark(200, 100);
    ASSERT_EQ(Shown().pixel(11, 11), Lime());
    View->InvalidateRgn(QRegion(0, 0, 50, 50));
    const QImage After = Shown();
    EXPECT_EQ(After.pixel(11, 11), Rgb(clWhite));
    EXPECT_EQ(After.pixel(201, 101), Lime());
}

// A blink pass paints straight into the buffer: only the selected objects change, and nothing
// is erased around them.
TEST_F(PaintTest, ABlinkPassPaintsOnlyTheSelectedObjects) {
    TSchemeShape* Selected = AddBox(1, 20, 20, 30, 30);
    AddBox(2, 100, 20, 30, 30);
    Selected->SetSelected(true);
    Shown();
    Mark(30, 30);
    Mark(110, 30);
    Mark(200, 150);
    Data.Timer();
    const QImage After = Shown();
    EXPECT_NE(After.pixel(31, 31), Lime());
    EXPECT_EQ(After.pixel(111, 31), Lime());
    EXPECT_EQ(After.pixel(201, 151), Lime());
}

TEST_F(PaintTest, AfterScrollingThePixelsEqualAFreshRenderOfTheNewPosition) {
    SetPicture(1000, 800, QColor(230, 230, 250));
    View->Grid().SetDeltaX(10);
    View->Grid().SetDeltaY(10);
    View->Grid().SetEnabled(true);
    for (int I = 0; I < 20; ++I) AddBox(I + 1, 40.0 * I, 25.0 * I, 30, 20);
    Shown();
    View->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    View->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    const QImage Scrolled = Shown();

    TSchemeVisual Fresh;
    Fresh.SetColor(clWhite);
    Fresh.Picture().Assign(View->Picture());
    Fresh.SetGrid(View->Grid());
    Fresh.SetSchemeData(&Data);
    Fresh.resize(View->size());
    Fresh.show();
    QApplication::sendPostedEvents();
    Fresh.DoScrollCenterInPoint(TPoint{View->OriginX() + 150, View->OriginY() + 100});
    ASSERT_EQ(Fresh.OriginX(), View->OriginX());
    EXPECT_EQ(Fresh.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32), Scrolled);
}

TEST_F(PaintTest, TheGridIsLeftOutBelowThreePixels) {
    SetPicture(400, 400, Qt::white);
    View->GridPen().SetColor(clBlue);
    View->Grid().SetDeltaX(5);
    View->Grid().SetDeltaY(5);
    View->Grid().SetEnabled(true);
    struct Case {
        Extended Zoom;
        bool Drawn;
    };
    for (const Case& C : {Case{0.6L, true}, Case{0.5L, false}}) {
        View->SetZoom(C.Zoom);
        const QImage Image = Shown();
        EXPECT_EQ(Image.pixel(3, 50) == Rgb(clBlue), C.Drawn) << double(C.Zoom);
        EXPECT_EQ(Image.pixel(4, 50), Rgb(clWhite)) << double(C.Zoom);
    }
}

TEST_F(PaintTest, UpdateModeShowsPictureAndGridWithoutObjectsWhileExportsShowThem) {
    SetPicture(300, 200, QColor(0, 0, 255));
    AddBox(1, 20, 20, 40, 40);
    Data.BeginUpdate();
    View->RepaintClientRect();
    EXPECT_EQ(Shown().pixel(40, 40), qRgb(0, 0, 255));
    TBitmap Bitmap;
    View->ExportToBmp(Bitmap, 1);
    EXPECT_EQ(Bitmap.Image().pixel(40, 40), Rgb(kObjectColor));
    Data.EndUpdate();
    View->RepaintClientRect();
    EXPECT_EQ(Shown().pixel(40, 40), Rgb(kObjectColor));
}

TEST_F(PaintTest, ExportsTakeThePictureSizeAtTheZoom) {
    TBitmap Empty;
    View->ExportToBmp(Empty, 1);
    EXPECT_EQ(Empty.Width(), 0);
    EXPECT_EQ(Empty.Height(), 0);
    // A file of nothing is refused, not written empty.
    QTemporaryDir Dir;
    for (const char* Name : {"empty.png", "empty.svg", "empty.pdf"}) {
        const QString Path = Dir.filePath(QString::fromLatin1(Name));
        EXPECT_THROW(Path.endsWith(QLatin1String(".svg"))   ? View->ExportToMetafile(Path, 1)
                     : Path.endsWith(QLatin1String(".pdf")) ? View->ExportToPdf(Path, 1)
                                                            : View->ExportToBmp(Path, 1),
                     Exception)
            << Name;
        EXPECT_FALSE(QFile::exists(Path)) << Name;
    }
    EXPECT_TRUE(View->ExportPdf(1).isEmpty());

    SetPicture(100, 50);
    AddBox(1, 10, 10, 20, 20);
    TBitmap Bitmap;
    View->ExportToBmp(Bitmap, 2);
    EXPECT_EQ(Bitmap.Image().size(), QSize(200, 100));
    TMetafile Metafile;
    View->ExportToMetafile(Metafile, 2);
    EXPECT_EQ(Metafile.Width(), 200);
    EXPECT_EQ(Metafile.Height(), 100);

    for (const char* Name : {"a.png", "a.bmp", "a.jpg", "a.svg"}) {
        const QString Path = Dir.filePath(QString::fromLatin1(Name));
        if (Path.endsWith(QLatin1String(".svg")))
            View->ExportToMetafile(Path, 1);
        else
            View->ExportToBmp(Path, 1);
        TPicture Read;
        Read.LoadFromFile(Path);
        EXPECT_EQ(Read.Width(), 100) << Name;
    }
    EXPECT_THROW(View->ExportToBmp(Dir.filePath(QStringLiteral("a.unknown")), 1), Exception);
}

// The screen leaves out a drawing with nothing in it; whatever a drawing holds, the screen must
// still show what an export shows.
TEST_F(PaintTest, TheScreenShowsADrawingAsAnExportDoes) {
    const char* const Drawings[] = {
        "",
        " viewBox=\"0 0 300 200\"><!-- nothing --></svg",
        "><rect x=\"10\" y=\"10\" width=\"50\" height=\"40\" fill=\"red\"/></svg",
        " viewport-fill=\"blue\"",
        " style=\"background:blue\"><g/></svg",
    };
    AddBox(1, 100, 50, 30, 30);
    for (const char* Drawing : Drawings) {
        QByteArray Svg = QByteArray(R"(<svg xmlns="http://www.w3.org/2000/svg" width="300" )"
                                    R"(height="200")") +
                         Drawing + (QByteArray(Drawing).endsWith("svg") ? ">" : "/>");
        QBuffer Buffer(&Svg);
        Buffer.open(QIODevice::ReadOnly);
        auto Metafile = std::make_unique<TMetafile>();
        Metafile->LoadFromStream(Buffer);
        View->Picture().TakeGraphic(std::move(Metafile));
        TBitmap Exported;
        View->ExportToBmp(Exported, 1);
        EXPECT_EQ(Shown(), Exported.Image().convertToFormat(QImage::Format_RGB32)) << Svg.data();
    }
}

qsizetype Colours(const QImage& Image) {
    QSet<QRgb> Seen;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X) Seen.insert(Image.pixel(X, Y));
    return Seen.size();
}

TEST_F(PaintTest, AntialiasingBlendsTheEdgesOfWhatTheViewPaints) {
    View->OnPaint = [](TObject*, TCanvas& Canvas) {
        Canvas.MoveTo(10, 10);
        Canvas.LineTo(200, 90);
    };
    EXPECT_EQ(Colours(Shown()), 2);
    View->SetAntialiasing(true);
    EXPECT_GT(Colours(Shown()), 2);
    View->SetAntialiasing(false);
    EXPECT_EQ(Colours(Shown()), 2);
}

// A document's round shape, zoomed: its outline gets in-between shades when smooth, and the
// aliased drawing comes back pixel for pixel.
TEST_F(PaintTest, AntialiasingSmoothsTheEdgeOfACircleAndLeavesNoTrace) {
    Data.ObjectAddShapeExt(1, 1, 20, 10, 40, 40, 0, TShapeType::stCircle);
    View->SetZoom(2);
    const QImage Aliased = Shown();
    ASSERT_EQ(Aliased.pixel(80, 60), Rgb(kObjectColor));  // the centre, at zoom 2
    EXPECT_LE(Colours(Aliased), 3);                       // background, fill, outline
    View->SetAntialiasing(true);
    EXPECT_GT(Colours(Shown()), 10);
    View->SetAntialiasing(false);
    EXPECT_EQ(Shown(), Aliased);
}

// A paint renders what is stale straight onto the screen and takes the rest from the back
// buffer, which is filled from the document where it lacks the screen's pixels: both roads
// give the same pixels, hatches, dashes and a selected object's hooks among them.
TEST_F(PaintTest, TheScreenAndTheBackBufferShowTheSamePixels) {
    View->GridPen().SetColor(clBlue);
    SetPicture(300, 200, QColor(230, 230, 250));
    View->Grid().SetDeltaX(10);
    View->Grid().SetDeltaY(10);
    View->Grid().SetEnabled(true);
    Data.ObjectAddShapeExt(1, 1, 20, 10, 70, 50, 0, TShapeType::stEllipse);
    TSchemeShape* Hatched = AddBox(2, 110, 20, 80, 60);
    Hatched->Brush()->SetStyle(TBrushStyle::bsDiagCross);
    Hatched->Pen()->SetStyle(TPenStyle::psDash);
    const TPoint Star[] = {{220, 20}, {280, 60}, {230, 110}, {250, 60}};
    Data.ObjectAddPolygon(1, 3, Star, 0, TBrushStyle::bsSolid, QString(), Star[0]);
    AddBox(4, 30, 120, 60, 40)->SetSelected(true);
    View->RepaintClientRect();
    const QImage Straight = Shown();
    // An empty direct paint over the whole client area fills the buffer; the repaint that Qt
    // asks for next is copied from it.
    View->GetCanvas();
    View->viewport()->repaint();
    EXPECT_EQ(Shown(), Straight);
}

TEST_F(PaintTest, AnErrorInAPaintHandlerReachesTheApplicationHandler) {
    QStringList Errors;
    const TExceptionHandler Previous = SetExceptionHandler(
        [&](const std::exception& E) { Errors << QString::fromUtf8(E.what()); });
    View->OnPaint = [](TObject*, TCanvas&) { RaiseError(QStringLiteral("paint failed")); };
    View->RepaintClientRect();
    Shown();
    SetExceptionHandler(Previous);
    EXPECT_EQ(Errors, QStringList{QStringLiteral("paint failed")});
}

}  // namespace
}  // namespace scheme::testing
