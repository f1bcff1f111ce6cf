#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include "oversized_documents.h"
#include "qt_printers.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/helpers.h"

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

// A one-layer document holding one hatched box from (Left, Top) to (Right, Bottom).
QByteArray BoxDocument(const QByteArray& Left, const QByteArray& Top, const QByteArray& Right,
                       const QByteArray& Bottom) {
    return "TSchemeLayer\r\n  ID=1\r\nEnd\r\nTSchemeBox\r\n  ID=7\r\n  State=0\r\n  "
           "LayerID=1\r\n  Count=4\r\n  X0=" +
           Left + "\r\n  Y0=" + Top + "\r\n  X1=" + Right + "\r\n  Y1=" + Top +
           "\r\n  X2=" + Right + "\r\n  Y2=" + Bottom + "\r\n  X3=" + Left + "\r\n  Y3=" + Bottom +
           "\r\n  BrushStyle=bsDiagCross\r\nEnd\r\n";
}

QByteArray ReadAll(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<missing>");
}

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

TEST_F(Tool, CheckPrintsTheLoadWarningsAndFailsOnThemWhenStrict) {
    const QStringList Strict{QStringLiteral("check"), Input, QStringLiteral("--strict")};
    EXPECT_EQ(RunTool(Strict).Code, 0);  // nothing left out
    Write(Input, QByteArray(kDocument).insert(32, "  Name=top\r\n"));
    const Result Unread = RunTool(Strict);
    EXPECT_EQ(Unread.Code, 1);
    EXPECT_TRUE(
        Unread.Err.startsWith(QStringLiteral("warning: skipped the line at line 4 (key "
                                             "Name), which class TSchemeLayer does not "
                                             "read\n")))
        << Unread.Err.toStdString();
    Write(Input, QByteArray(kDocument) + "TSchemeGauge\r\n  ID=3\r\nEnd\r\n");
    for (const bool IsStrict : {false, true}) {
        const Result R = RunTool(IsStrict ? Strict : Strict.mid(0, 2));
        EXPECT_EQ(R.Code, IsStrict ? 1 : 0);
        EXPECT_TRUE(R.Err.startsWith(QStringLiteral("warning: "))) << R.Err.toStdString();
        EXPECT_TRUE(R.Err.contains(QStringLiteral("TSchemeGauge")));
        EXPECT_EQ(R.Err.contains(QStringLiteral("--strict")), IsStrict);
        EXPECT_TRUE(R.Out.startsWith(QStringLiteral("layers: 1\n")));
    }
}

TEST_F(Tool, SaveRefusesToDropWhatTheLoadLeftOutUnlessLossy) {
    const QByteArray Damaged[] = {
        QByteArray(kDocument) + "TSchemeGauge\r\n  ID=3\r\nEnd\r\n",
        QByteArray(kDocument).insert(18, "End\r\n"),  // the rest is after the end
        QByteArray(kDocument).insert(32, "  Comment=kept nowhere\r\n"),  // a key no kind reads
        QByteArray(kDocument).insert(32, "  a line of words\r\n"),
    };
    for (const QByteArray& Bytes : Damaged) {
        Write(Input, Bytes);
        const Result Refused = RunTool({QStringLiteral("save"), Input, Input});
        EXPECT_EQ(Refused.Code, 1);
        EXPECT_TRUE(Refused.Err.contains(QStringLiteral("--lossy"))) << Refused.Err.toStdString();
        EXPECT_EQ(ReadAll(Input), Bytes);
        EXPECT_EQ(RunTool({QStringLiteral("save"), Input, Input, QStringLiteral("--lossy")}).Code,
                  0);
        EXPECT_NE(ReadAll(Input), Bytes);
    }
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

TEST_F(Tool, RenderWritesPdf) {
    const QString Output = Dir.filePath(QStringLiteral("out.pdf"));
    EXPECT_EQ(RunTool({QStringLiteral("render"), Input, Output, QStringLiteral("--zoom"),
                       QStringLiteral("2")})
                  .Code,
              0);
    const QByteArray Pdf = ReadAll(Output);
    EXPECT_TRUE(Pdf.startsWith("%PDF-")) << Pdf.left(16).toStdString();
    // One page of the PNG's size, a pixel to a point.
    const QString Png = Dir.filePath(QStringLiteral("out.png"));
    ASSERT_EQ(RunTool({QStringLiteral("render"), Input, Png, QStringLiteral("--zoom"),
                       QStringLiteral("2")})
                  .Code,
              0);
    const QImage Image(Png);
    const QRegularExpressionMatch Box =
        QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"))
            .match(QString::fromLatin1(Pdf));
    ASSERT_TRUE(Box.hasMatch());
    EXPECT_EQ(Box.captured(1).toDouble(), Image.width());
    EXPECT_EQ(Box.captured(2).toDouble(), Image.height());
    // A name of another kind is refused, and the message lists the three that are known.
    const Result Other =
        RunTool({QStringLiteral("render"), Input, Dir.filePath(QStringLiteral("out.gif"))});
    EXPECT_EQ(Other.Code, 1);
    EXPECT_TRUE(Other.Err.contains(QStringLiteral("must end in .png, .svg or .pdf")))
        << Other.Err.toStdString();
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

// A picture naming the tool's own input (a pipe kept open here) must not make it wait.
TEST_F(Tool, PicturesNamingStandardInputDoNotWaitForIt) {
    QStringList Text = QStringLiteral(
                           "TSchemeLayer|ID=1|StateCount=0|End|TSchemePicture|ID=1|State=0|"
                           "LayerID=1|Count=4|X0=0|Y0=0|X1=40|Y1=0|X2=40|Y2=40|X3=0|Y3=40|"
                           "Graphic=TMetafile")
                           .split(QLatin1Char('|'));
    scheme::BinaryToStrings(QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                       "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"9\" "
                                       "height=\"9\"><image width=\"9\" height=\"9\" "
                                       "xlink:href=\"/dev/stdin\"/></svg>"),
                            Text);
    Text << QStringLiteral("End");
    Write(Input, Text.join(QStringLiteral("\r\n")).toUtf8());
    const QString Output = Dir.filePath(QStringLiteral("out.png"));
    for (const QStringList& Args : {QStringList{QStringLiteral("check"), Input},
                                    QStringList{QStringLiteral("render"), Input, Output}})
        EXPECT_EQ(RunTool(Args).Code, 0) << Args.first().toStdString();
}

TEST_F(Tool, BadArgumentsPrintTheUsage) {
    const QString Png = QStringLiteral("x.png");
    const auto Render = [&](const QString& Zoom) {
        return QStringList{QStringLiteral("render"), Input, Png, QStringLiteral("--zoom"), Zoom};
    };
    const QString ZoomRange = QStringLiteral("--zoom takes a number above 0 and at most 1000");
    const struct {
        QStringList Args;
        QString Says;
    } Cases[] = {
        {{}, {}},
        {{QStringLiteral("check")}, {}},
        {{QStringLiteral("frobnicate"), Input}, {}},
        {{QStringLiteral("check"), Input, QStringLiteral("--lossy")}, QStringLiteral("--lossy")},
        {{QStringLiteral("render"), Input, Png, QStringLiteral("--zoom")},
         QStringLiteral("--zoom needs a value")},
        {Render(QStringLiteral("-1")), ZoomRange},
        {Render(QStringLiteral("0")), ZoomRange},
        {Render(QStringLiteral("1001")), ZoomRange},
        {Render(QStringLiteral("abc")), ZoomRange},
        {{QStringLiteral("render"), Input, Png, QStringLiteral("--grid"), QStringLiteral("10,10")},
         QStringLiteral("--grid needs --background")},
    };
    for (const auto& C : Cases) {
        const Result R = RunTool(C.Args);
        EXPECT_EQ(R.Code, 2) << C.Args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(R.Err.contains(QStringLiteral("usage:")));
        EXPECT_TRUE(R.Err.contains(C.Says)) << R.Err.toStdString();
    }
}

TEST_F(Tool, BadGridsAreBadArguments) {
    for (const char* Grid : {"10", "0,10", "10,-1", "a,b", "10,10,10", "10,"}) {
        const Result R = RunTool({QStringLiteral("render"), Input, QStringLiteral("x.png"),
                                  QStringLiteral("--background"), Input, QStringLiteral("--grid"),
                                  QString::fromLatin1(Grid)});
        EXPECT_EQ(R.Code, 2) << Grid;
        EXPECT_TRUE(R.Err.contains(QStringLiteral("--grid takes two numbers"))) << Grid;
    }
}

// The picture is stretched from the world origin at the zoom, the grid lies over its area
// only, the objects over both, and the image covers the picture and the drawing.
TEST_F(Tool, RenderPaintsTheBackgroundPictureAndGridUnderTheObjects) {
    const QColor Paper(51, 102, 204), Grid(220, 220, 220), White(Qt::white);
    QImage Picture(200, 30,
                   QImage::Format_RGB32);  // 400 x 60 at zoom 2; the drawing about 184 x 86
    Picture.fill(Paper);
    const QString PictureFile = Dir.filePath(QStringLiteral("paper.png"));
    ASSERT_TRUE(Picture.save(PictureFile));
    const QString Output = Dir.filePath(QStringLiteral("out.png"));
    const Result R = RunTool({QStringLiteral("render"), Input, Output, QStringLiteral("--zoom"),
                              QStringLiteral("2"), QStringLiteral("--background"), PictureFile,
                              QStringLiteral("--grid"), QStringLiteral("25,25")});
    ASSERT_EQ(R.Code, 0) << R.Err.toStdString();
    const QImage Image(Output);
    EXPECT_EQ(Image.width(), 400);
    EXPECT_GT(Image.height(), 80);
    const struct {
        int X, Y;
        QColor Is;
    } Pixels[] = {
        {390, 45, Paper}, {350, 45, Grid},  {390, 50, Grid},     // lines every 50 pixels
        {350, 75, White}, {390, 75, White}, {100, 40, Qt::red},  // the shape over a line
    };
    for (const auto& P : Pixels)
        EXPECT_EQ(QColor(Image.pixel(P.X, P.Y)), P.Is) << P.X << "," << P.Y;
}

TEST_F(Tool, RenderFailsOnAnUnreadablePicture) {
    const QString Output = Dir.filePath(QStringLiteral("out.png"));
    const struct {
        QString Picture, Says;
    } Cases[] = {
        {Dir.filePath(QStringLiteral("missing.svg")), QStringLiteral("No such file")},
        {Input, QStringLiteral("unknown format")},  // text, not a picture
    };
    for (const auto& C : Cases) {
        const Result R = RunTool(
            {QStringLiteral("render"), Input, Output, QStringLiteral("--background"), C.Picture});
        EXPECT_EQ(R.Code, 1);
        EXPECT_TRUE(R.Err.contains(C.Picture + QStringLiteral("\" as the background: ")))
            << R.Err.toStdString();
        EXPECT_TRUE(R.Err.contains(C.Says)) << R.Err.toStdString();
        EXPECT_FALSE(QFile::exists(Output));
    }
}

TEST_F(Tool, RenderRefusesWhatItCannotDrawWhole) {
    const struct {
        QByteArray Document;
        QString Zoom, Says;
    } Cases[] = {
        {kDocument, QStringLiteral("900"),
         QStringLiteral("81904 x 36904 pixels at --zoom 900; at most 100000000 pixels, and "
                        "1000000 on a side, are rendered; the largest --zoom that fits is 163")},
        {BoxDocument("0", "0", "15000", "15000"), QStringLiteral("1"),
         QStringLiteral("15004 x 15004 pixels at --zoom 1; at most 100000000 pixels, and "
                        "1000000 on a side, are rendered; the largest --zoom that fits is 0.666")},
        {BoxDocument("540000000", "0", "540000010", "10"), QStringLiteral("1"),
         QStringLiteral("Cannot place TSchemeBox Id 7 of layer 1 at --zoom 1: it lies beyond the "
                        "536870912 pixels the renderer can reach")},
        {BoxDocument("0", "0", "10", "10"), QStringLiteral("100"), QString()},  // fits
    };
    const QString Output = Dir.filePath(QStringLiteral("out.png"));
    for (const auto& C : Cases) {
        Write(Input, C.Document);
        const Result R =
            RunTool({QStringLiteral("render"), Input, Output, QStringLiteral("--zoom"), C.Zoom});
        EXPECT_EQ(R.Code, C.Says.isEmpty() ? 0 : 1) << R.Err.toStdString();
        EXPECT_TRUE(R.Err.contains(C.Says)) << R.Err.toStdString();
        EXPECT_EQ(QFile::exists(Output), C.Says.isEmpty());
    }
}

TEST_F(Tool, RenderFailuresNameTheCauseAndKeepThePreviousImage) {
    const QString Output = Dir.filePath(QStringLiteral("out.png"));
    ASSERT_EQ(RunTool({QStringLiteral("render"), Input, Output}).Code, 0);
    const QByteArray Before = ReadAll(Output);
    Write(Input, BoxDocument("-540000000", "0", "0", "10"));
    EXPECT_EQ(RunTool({QStringLiteral("render"), Input, Output}).Code, 1);
    EXPECT_EQ(ReadAll(Output), Before);

    Write(Input, kDocument);
    const QString Full = QStringLiteral("No space left on device");
    const struct {
        QString Target, Says;
    } Cases[] = {
        {Dir.filePath(QStringLiteral("missing/out.png")), QStringLiteral("missing/out.png\": ")},
        {Dir.filePath(QStringLiteral("full.png")), Full},  // links to /dev/full
        {Dir.filePath(QStringLiteral("full.svg")), Full},
        {Dir.filePath(QStringLiteral("full.pdf")), Full},
    };
    for (const auto& C : Cases) {
        QFile::link(QStringLiteral("/dev/full"), C.Target);
        const Result R = RunTool({QStringLiteral("render"), Input, C.Target});
        EXPECT_EQ(R.Code, 1);
        EXPECT_TRUE(R.Err.contains(C.Says)) << R.Err.toStdString();
    }
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

// Documents of pictures that claim far more pixels than their bytes hold: checking decodes none
// of the GIFs, and names each embedded image an SVG picture drops.
TEST_F(Tool, CheckOfOversizedPicturesNamesEachDroppedImage) {
    const struct {
        const char* Name;
        QStringList Text;
        int Warnings;
    } Cases[] = {
        {"forty GIFs", scheme::testing::FortyGifDocument(), 0},
        {"forty GIFs in one SVG", scheme::testing::SvgOfFortyGifsDocument(), 40},
    };
    for (const auto& Case : Cases) {
        const QString Path = Dir.filePath(QStringLiteral("pictures.txt"));
        Write(Path, Case.Text.join(QStringLiteral("\r\n")).toUtf8());
        const Result R = RunTool({QStringLiteral("check"), Path});
        EXPECT_EQ(R.Code, 0) << Case.Name;
        EXPECT_TRUE(
            R.Out.contains(QStringLiteral("TSchemePicture: %1").arg(Case.Warnings == 0 ? 40 : 1)))
            << R.Out.toStdString();
        EXPECT_EQ(R.Err.count(QStringLiteral("warning: TSchemePicture 1 on layer 1, Graphic: "
                                             "TMetafile: embedded image")),
                  Case.Warnings)
            << R.Err.toStdString();
        EXPECT_EQ(R.Err.count(QStringLiteral("warning:")), Case.Warnings) << Case.Name;
    }
}

TEST_F(Tool, BindingsListsTheBoundObjectsAndTheirProblems) {
    Write(Input,
          "TSchemeLayer\r\n  ID=1\r\n  StateCount=2\r\n  Color0=clRed\r\n  Color1=clLime\r\nEnd\r\n"
          "TSchemeBox\r\n  ID=7\r\n  State=0\r\n  LayerID=1\r\n  Count=4\r\n  X0=0\r\n  Y0=0\r\n"
          "  X1=9\r\n  Y1=0\r\n  X2=9\r\n  Y2=9\r\n  X3=0\r\n  Y3=9\r\n  Properties=>\r\n"
          "    state.topic=plant/pump\r\n    state.field=v\r\n    state.map=OFF:0,ON:1\r\n"
          "  PropertiesEnd=>\r\nEnd\r\n"
          "TSchemeBox\r\n  ID=8\r\n  State=0\r\n  LayerID=1\r\n  Count=4\r\n  X0=0\r\n  Y0=0\r\n"
          "  X1=9\r\n  Y1=0\r\n  X2=9\r\n  Y2=9\r\n  X3=0\r\n  Y3=9\r\n  Properties=>\r\n"
          "    state.topic=plant/#\r\n  PropertiesEnd=>\r\nEnd\r\n");
    const Result R = RunTool({QStringLiteral("bindings"), Input});
    EXPECT_EQ(R.Code, 1);
    EXPECT_EQ(R.Out,
              "layer\tobject\ttopic\tfield\tmap\tack\n"
              "1\t7\tplant/pump\tv\tOFF:0,ON:1\tplant/pump/ack\n");
    EXPECT_EQ(R.Err, "scheme-tool: layer 1, object 8: the topic \"plant/#\" has wildcards\n");
}
