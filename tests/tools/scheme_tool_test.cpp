#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include "qt_printers.h"

namespace {

struct Result {
    int Code;
    QString Out, Err;
};

Result RunTool(const QStringList& Args) {
    QProcess Tool;
    Tool.start(QStringLiteral(SCHEME_TOOL_PATH), Args);
    EXPECT_TRUE(Tool.waitForFinished(60000));
    return Result{Tool.exitCode(), QString::fromLocal8Bit(Tool.readAllStandardOutput()),
                  QString::fromLocal8Bit(Tool.readAllStandardError())};
}

const char* const kDocument =
    "TSchemeData\r\nEnd\r\n"
    "TSchemeLayer\r\n  ID=1\r\n  StateCount=2\r\n  Color0=clRed\r\n  Color1=clLime\r\nEnd\r\n"
    "TSchemeShape\r\n  ID=1\r\n  State=0\r\n  LayerID=1\r\n  Count=4\r\n  X0=10\r\n  Y0=10\r\n  "
    "X1=60\r\n"
    "  Y1=10\r\n  X2=60\r\n  Y2=40\r\n  X3=10\r\n  Y3=40\r\n  Shape=0\r\nEnd\r\n"
    "TSchemeBox\r\n  ID=2\r\n  State=1\r\n  LayerID=1\r\n  Count=4\r\n  X0=70\r\n  Y0=10\r\n  "
    "X1=90\r\n"
    "  Y1=10\r\n  X2=90\r\n  Y2=30\r\n  X3=70\r\n  Y3=30\r\nEnd\r\n"
    "TSchemeLink\r\n  ParentLinkType=-1\r\n  ParentId=1\r\n  ParentLayerId=1\r\n  "
    "ChildLinkType=-1\r\n"
    "  ChildId=2\r\n  ChildLayerId=1\r\nEnd\r\n";

struct Tool : ::testing::Test {
    Tool() {
        Input = Dir.filePath(QStringLiteral("in.txt"));
        Write(Input, kDocument);
    }
    static void Write(const QString& Path, const QByteArray& Bytes) {
        QFile File(Path);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Bytes);
    }
    QTemporaryDir Dir;
    QString Input;
};

}  // namespace

TEST_F(Tool, CheckSummarisesTheDocument) {
    const Result R = RunTool({QStringLiteral("check"), Input});
    EXPECT_EQ(R.Code, 0);
    EXPECT_EQ(R.Out, QStringLiteral(
                         "layers: 1\nobjects: 2\n  TSchemeBox: 1\n  TSchemeShape: 1\nlinks: 1\n"));
    EXPECT_EQ(R.Err, QString());
}

TEST_F(Tool, CheckWarnsAboutSkippedClasses) {
    Write(Input, QByteArray(kDocument) + "TSchemeGauge\r\n  ID=3\r\nEnd\r\n");
    const Result R = RunTool({QStringLiteral("check"), Input});
    EXPECT_EQ(R.Code, 0);
    EXPECT_EQ(R.Err, QStringLiteral("warning: skipped a block of unknown class TSchemeGauge\n"));
}

TEST_F(Tool, SaveWritesTheSameDocument) {
    const QString Output = Dir.filePath(QStringLiteral("out.txt"));
    EXPECT_EQ(RunTool({QStringLiteral("save"), Input, Output}).Code, 0);
    QFile File(Output);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    EXPECT_EQ(File.readAll(), QByteArray(kDocument));
}

TEST_F(Tool, RenderPaintsTheObjectsIntoAPng) {
    const QString Output = Dir.filePath(QStringLiteral("out.png"));
    EXPECT_EQ(RunTool({QStringLiteral("render"), Input, Output, QStringLiteral("--zoom"),
                       QStringLiteral("2")})
                  .Code,
              0);
    const QImage Image(Output);
    ASSERT_FALSE(Image.isNull());
    EXPECT_GE(Image.width(), 180);
    EXPECT_EQ(QColor(Image.pixel(60, 40)), QColor(Qt::red));     // the shape at zoom 2
    EXPECT_EQ(QColor(Image.pixel(160, 40)), QColor(Qt::green));  // the box
    EXPECT_EQ(QColor(Image.pixel(5, 5)), QColor(Qt::white));
}

TEST_F(Tool, RenderWritesSvg) {
    const QString Output = Dir.filePath(QStringLiteral("out.svg"));
    EXPECT_EQ(RunTool({QStringLiteral("render"), Input, Output}).Code, 0);
    // Drawn back, the file shows the objects, not just an empty drawing.
    QSvgRenderer Renderer(Output);
    ASSERT_TRUE(Renderer.isValid());
    QImage Image(Renderer.viewBox().size(), QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    Renderer.render(&Painter);
    Painter.end();
    EXPECT_EQ(QColor(Image.pixel(30, 25)), QColor(Qt::red));
    EXPECT_EQ(QColor(Image.pixel(80, 20)), QColor(Qt::green));
}

TEST_F(Tool, LoadErrorsGoToStandardErrorWithTheirLine) {
    Write(Input,
          "TSchemeLayer\r\nID=1\r\nEnd\r\nTSchemeBox\r\nID=1\r\nState=0\r\nLayerID=5\r\nCount=4\r\n"
          "X0=0\r\nY0=0\r\nX1=9\r\nY1=0\r\nX2=9\r\nY2=9\r\nX3=0\r\nY3=9\r\nEnd\r\n");
    const Result R = RunTool({QStringLiteral("check"), Input});
    EXPECT_EQ(R.Code, 1);
    EXPECT_EQ(R.Err, QStringLiteral("TSchemeData : Can't add Scheme!\nIn block has line 16\n"));
    EXPECT_EQ(RunTool({QStringLiteral("check"), Dir.filePath(QStringLiteral("missing.txt"))}).Code,
              1);
}

TEST_F(Tool, BadArgumentsPrintTheUsage) {
    for (const QStringList& Args :
         {QStringList{}, QStringList{QStringLiteral("check")},
          QStringList{QStringLiteral("frobnicate"), Input},
          QStringList{QStringLiteral("render"), Input, QStringLiteral("x.png"),
                      QStringLiteral("--zoom")},
          QStringList{QStringLiteral("render"), Input, QStringLiteral("x.png"),
                      QStringLiteral("--zoom"), QStringLiteral("-1")}}) {
        const Result R = RunTool(Args);
        EXPECT_EQ(R.Code, 2) << Args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(R.Err.startsWith(QStringLiteral("usage:")));
    }
}

TEST_F(Tool, RefusesDrawingsTooLargeToAllocate) {
    const Result R =
        RunTool({QStringLiteral("render"), Input, Dir.filePath(QStringLiteral("big.png")),
                 QStringLiteral("--zoom"), QStringLiteral("900")});
    EXPECT_EQ(R.Code, 1);
    EXPECT_TRUE(R.Err.contains(QStringLiteral("choose a smaller --zoom")));
}

TEST(SampleDiagram, ChecksWithoutWarningsAndRenders) {
    const Result Check = RunTool({QStringLiteral("check"), QStringLiteral(SCHEME_SAMPLE_PATH)});
    EXPECT_EQ(Check.Code, 0);
    EXPECT_EQ(Check.Err, QString());
    EXPECT_TRUE(Check.Out.contains(QStringLiteral("TSchemeInternalPicture: 1")));
    QTemporaryDir Dir;
    const QString Output = Dir.filePath(QStringLiteral("sample.png"));
    EXPECT_EQ(RunTool({QStringLiteral("render"), QStringLiteral(SCHEME_SAMPLE_PATH), Output}).Code,
              0);
    const QImage Image(Output);
    ASSERT_FALSE(Image.isNull());
    EXPECT_GT(Image.width(), 800);
    EXPECT_EQ(QColor(Image.pixel(80, 230)), QColor(Qt::green));  // pump P-1, running
    EXPECT_EQ(QColor(Image.pixel(200, 230)), QColor(Qt::red));   // pump P-2, in fault
}
