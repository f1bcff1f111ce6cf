// PDF export, printing and link connectors of the view. The PDFs are read back with poppler's
// tools (pdftotext, pdftoppm) where they are installed; the checks that need them are skipped
// without them.
#include <QFile>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "editor_fixture.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/raster_graphic.h"
#include "scheme/view/scheme_print.h"

namespace scheme::testing {
namespace {

bool Installed(const char* Program) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(Program)).isEmpty();
}

// Runs a program to its end; answers its standard output, or nothing when it failed.
std::optional<QByteArray> RunProgram(const char* Program, const QStringList& Args) {
    QProcess Process;
    Process.start(QString::fromLatin1(Program), Args);
    if (!Process.waitForFinished(60000) || Process.exitStatus() != QProcess::NormalExit ||
        Process.exitCode() != 0)
        return std::nullopt;
    return Process.readAllStandardOutput();
}

std::optional<QString> PdfText(const QString& Path) {
    const std::optional<QByteArray> Out = RunProgram("pdftotext", {Path, QStringLiteral("-")});
    if (!Out) return std::nullopt;
    return QString::fromUtf8(*Out);
}

// The page size a PDF's first /MediaBox gives, in points.
std::optional<QSizeF> MediaBox(const QByteArray& Pdf) {
    static const QRegularExpression Box(QStringLiteral(
        "/MediaBox\\s*\\[\\s*([-0-9.]+)\\s+([-0-9.]+)\\s+([-0-9.]+)\\s+([-0-9.]+)\\s*\\]"));
    const QRegularExpressionMatch M = Box.match(QString::fromLatin1(Pdf));
    if (!M.hasMatch()) return std::nullopt;
    return QSizeF(M.captured(3).toDouble() - M.captured(1).toDouble(),
                  M.captured(4).toDouble() - M.captured(2).toDouble());
}

// The sample diagram in a view whose picture, plain white, covers every object.
class SampleExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        Data.LoadFromFile(QStringLiteral(SCHEME_SAMPLE_PATH));
        View.SetColor(clWhite);
        View.SetSchemeData(&Data);
        const std::optional<TRect> Bounds = View.DrawingBounds(1);
        ASSERT_TRUE(Bounds);
        QImage Paper(Bounds->Right + 10, Bounds->Bottom + 10, QImage::Format_RGB32);
        Paper.fill(Qt::white);
        auto Bitmap = std::make_unique<TBitmap>();
        Bitmap->SetImage(Paper);
        View.Picture().TakeGraphic(std::move(Bitmap));
    }

    TSchemeData Data;
    TSchemeVisual View;
    QTemporaryDir Dir;
};

TEST_F(SampleExportTest, PdfIsOnePageOfTheDrawingsSizeInPointsWithItsTextsAndItsPixels) {
    const QSize Size = View.ExportSize(1);
    const QByteArray Pdf = View.ExportPdf(1);
    ASSERT_TRUE(Pdf.startsWith("%PDF-"));
    EXPECT_EQ(MediaBox(Pdf), std::optional<QSizeF>(QSizeF(Size)));
    const QString Path = Dir.filePath(QStringLiteral("sample.pdf"));
    View.ExportToPdf(Path, 1);
    QFile Written(Path);
    ASSERT_TRUE(Written.open(QIODevice::ReadOnly));
    EXPECT_EQ(MediaBox(Written.readAll()), std::optional<QSizeF>(QSizeF(Size)));

    if (!Installed("pdftotext") || !Installed("pdftoppm"))
        GTEST_SKIP() << "poppler-utils (pdftotext, pdftoppm) is not installed";
    // The texts are text: searchable, not outlines.
    const std::optional<QString> Text = PdfText(Path);
    ASSERT_TRUE(Text);
    EXPECT_TRUE(Text->contains(QStringLiteral("S-1 Screen"))) << Text->toStdString();

    // At 72 dots per inch a point is a pixel: the page is the image export but for the
    // rasterisation of texts and the antialiasing that pdftoppm gives every edge.
    ASSERT_TRUE(RunProgram(
        "pdftoppm", {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                     QStringLiteral("-singlefile"), Path, Dir.filePath(QStringLiteral("page"))}));
    const QImage Page =
        QImage(Dir.filePath(QStringLiteral("page.png"))).convertToFormat(QImage::Format_RGB32);
    TBitmap Bitmap;
    View.ExportToBmp(Bitmap, 1);
    const QImage Image = Bitmap.Image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(Page.size(), Image.size());
    qint64 Differing = 0;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X) {
            const QRgb A = Page.pixel(X, Y), B = Image.pixel(X, Y);
            if (std::abs(qRed(A) - qRed(B)) > 64 || std::abs(qGreen(A) - qGreen(B)) > 64 ||
                std::abs(qBlue(A) - qBlue(B)) > 64)
                ++Differing;
        }
    EXPECT_LT(Differing, qint64(Image.width()) * Image.height() / 50)
        << Differing << " of " << Image.width() * Image.height() << " pixels differ";
}

TEST_F(SampleExportTest, PrintingOnAPdfPrinterWritesTheDrawingWithItsTexts) {
    const QString Path = Dir.filePath(QStringLiteral("printed.pdf"));
    QPrinter Printer;
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(Path);
    PrintScheme(View, Printer);
    QFile Printed(Path);
    ASSERT_TRUE(Printed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(Printed.readAll().startsWith("%PDF-"));

    // A drawing without pixels prints nothing.
    TSchemeVisual Empty;
    const QString Nothing = Dir.filePath(QStringLiteral("nothing.pdf"));
    Printer.setOutputFileName(Nothing);
    EXPECT_THROW(PrintScheme(Empty, Printer), Exception);
    EXPECT_FALSE(QFile::exists(Nothing));

    // The preview paints its page through the same function.
    const std::unique_ptr<QPrintPreviewDialog> Preview(CreatePrintPreview(View));
    auto* Pages = Preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(Pages, nullptr);
    Pages->updatePreview();
    EXPECT_EQ(Pages->pageCount(), 1);
    // The sample is wider than it is high: its page is turned so.
    EXPECT_EQ(Preview->printer()->pageLayout().orientation(), QPageLayout::Landscape);

    if (!Installed("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const std::optional<QString> Text = PdfText(Path);
    ASSERT_TRUE(Text);
    EXPECT_TRUE(Text->contains(QStringLiteral("S-1 Screen"))) << Text->toStdString();
}

// ---- link connectors -----------------------------------------------------------------------

using ConnectorTest = EditingTest<TSchemeVisualEditor, TSchemeDataEditor>;

// Pixels of the connectors' colour in the client pixels of R.
int ConnectorPixels(const QImage& Image, const QRect& R) {
    const QRgb Colour = ColorToQColor(TSchemeVisual::kLinkColor).rgb();
    int Count = 0;
    for (int Y = R.top(); Y <= R.bottom(); ++Y)
        for (int X = R.left(); X <= R.right(); ++X) Count += Image.pixel(X, Y) == Colour;
    return Count;
}

TEST_F(ConnectorTest, ShownLinksAreDashedLinesThatFollowTheirObjects) {
    TSchemeShape* Parent = AddBox(1, 20, 20, 40, 40);
    TSchemeShape* Child = AddBox(2, 160, 20, 40, 40);
    Data->LinkAdd(Parent, -1, Child, -1);
    // Between the two boxes, around the line from centre (40, 40) to centre (180, 40).
    const QRect Between(65, 35, 90, 11);
    const QImage Off = Shown(*View);
    EXPECT_EQ(ConnectorPixels(Off, Between), 0);
    View->SetShowLinks(true);
    EXPECT_GT(ConnectorPixels(Shown(*View), Between), 40);
    // Dashed: the line has gaps.
    EXPECT_LT(ConnectorPixels(Shown(*View), Between), 90);

    // Moved in code, the parent carries the child and the connector goes with them.
    Parent->MoveToExt(PointExt(20, 120));
    ASSERT_EQ(Child->GetPointsExt(0), PointExt(160, 120));
    const QRect Below = Between.translated(0, 100);
    QImage Now = Shown(*View);
    EXPECT_EQ(ConnectorPixels(Now, Between), 0);
    EXPECT_GT(ConnectorPixels(Now, Below), 40);

    // Dragged back, the same: the drag paints the boxes straight into the view.
    Drag(QPoint(40, 140), QPoint(40, 40));
    ASSERT_EQ(Child->GetPointsExt(0), PointExt(160, 20));
    Now = Shown(*View);
    EXPECT_EQ(ConnectorPixels(Now, Below), 0);
    EXPECT_GT(ConnectorPixels(Now, Between), 40);
    // Over the boxes too, from their centres.
    EXPECT_GT(ConnectorPixels(Now, QRect(41, 38, 18, 5)), 10);
    EXPECT_GT(ConnectorPixels(Now, QRect(161, 38, 18, 5)), 10);

    // An object under a connector, painted straight into the view by a blink pass, stays under
    // it.
    const QRect OverUnder(100, 38, 20, 5);
    AddBox(3, 100, 30, 20, 20)->SetSelected(true);
    const int Over = ConnectorPixels(Shown(*View), OverUnder);
    EXPECT_GT(Over, 5);
    Data->Timer();
    EXPECT_EQ(ConnectorPixels(Shown(*View), OverUnder), Over);
    Data->ObjectDelete(1, 3);

    // Off again, the view is as it was without connectors.
    View->SetShowLinks(false);
    EXPECT_EQ(Shown(*View), Off);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace scheme::testing
