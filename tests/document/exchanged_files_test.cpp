// Documents arrive as files from elsewhere: their pictures never open a file, whatever graphic
// class they are stored under and whatever their data names, and a picture naming the
// document itself or an SVG that names itself loads and paints at once.
#include <gtest/gtest.h>

#include "qt_printers.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <sys/inotify.h>
#include <unistd.h>

#include "scheme/document/scheme_data.h"
#include "scheme/model/helpers.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/graphic.h"

using namespace scheme;

namespace {

// An SVG 40 units square, green on its left half, with an image over its right half that names
// Reference.
QByteArray SvgNaming(const QString& Reference) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\""
           " width=\"40\" height=\"40\" viewBox=\"0 0 40 40\">"
           "<rect x=\"0\" y=\"0\" width=\"20\" height=\"40\" fill=\"#00FF00\"/>"
           "<image x=\"20\" y=\"0\" width=\"20\" height=\"40\" xlink:href=\"" +
           Reference.toUtf8() + "\"/></svg>";
}

// A document of one 40-unit picture of a graphic class holding Data.
QStringList DocumentOf(const QString& Class, const QByteArray& Data) {
    QStringList Text = QStringLiteral(
                           "TSchemeLayer|ID=1|StateCount=0|End|TSchemePicture|ID=1|State=0|"
                           "LayerID=1|Count=4|X0=0|Y0=0|X1=40|Y1=0|X2=40|Y2=40|X3=0|Y3=40")
                           .split(QLatin1Char('|'));
    Text << QStringLiteral("Graphic=") + Class;
    BinaryToStrings(Data, Text);
    Text << QStringLiteral("End");
    return Text;
}

// Loads the text, which a graphic class may refuse, and paints what loaded.
QImage LoadAndPaint(QStringList Text) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    try {
        Data.LoadFromStrings(Text);
    } catch (const Exception&) {
        // A class that cannot read the data refuses it: nothing to paint.
    }
    QImage Image(40, 40, QImage::Format_RGB32);
    Image.fill(Qt::white);
    TCanvas Canvas(&Image);
    Data.PaintDirectInCanvas(Canvas, 0, 0, 1, 0);
    return Image;
}

// Watches a folder for files being opened.
class TOpenWatch {
public:
    explicit TOpenWatch(const QString& Folder) : FFd(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(FFd, QFile::encodeName(Folder).constData(), IN_OPEN | IN_ACCESS);
    }
    ~TOpenWatch() { close(FFd); }
    // The names opened since the watch began.
    QStringList Opened() const {
        QStringList Names;
        alignas(inotify_event) char Buffer[4096];
        for (ssize_t N; (N = read(FFd, Buffer, sizeof Buffer)) > 0;)
            for (char* P = Buffer; P < Buffer + N;) {
                const auto* E = reinterpret_cast<const inotify_event*>(P);
                Names << QString::fromUtf8(E->len ? E->name : "");
                P += sizeof(inotify_event) + E->len;
            }
        return Names;
    }

private:
    int FFd;
};

struct Exchanged : ::testing::Test {
    Exchanged() { QDir::setCurrent(Dir.path()); }
    ~Exchanged() override { QDir::setCurrent(Previous); }
    QString Path(const char* Name) const { return Dir.filePath(QString::fromLatin1(Name)); }
    void Write(const char* Name, const QByteArray& Bytes) const {
        QFile File(Path(Name));
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Bytes);
    }

    QString Previous = QDir::currentPath();
    QTemporaryDir Dir;
};

}  // namespace

TEST_F(Exchanged, NoGraphicClassOpensAFileWhileADocumentLoadsAndPaints) {
    QImage Red(8, 8, QImage::Format_RGB32);
    Red.fill(Qt::red);
    ASSERT_TRUE(Red.save(Path("target.png")));
    Write("loop.svg", SvgNaming(Path("loop.svg")));
    const QString References[] = {Path("target.png"), QStringLiteral("target.png"),
                                  QStringLiteral("file://") + Path("target.png"), Path("loop.svg")};
    const TOpenWatch Watch(Dir.path());
    for (const QString& Class : RegisteredGraphicClassNames())
        for (const QString& Reference : References) {
            const QImage Image = LoadAndPaint(DocumentOf(Class, SvgNaming(Reference)));
            EXPECT_NE(QColor(Image.pixel(30, 20)), QColor(Qt::red)) << Class.toStdString();
            // The metafile draws its own content, and nothing of the files it names.
            if (Class == QStringLiteral("TMetafile")) {
                EXPECT_EQ(QColor(Image.pixel(10, 20)), QColor(Qt::green));
            }
        }
    EXPECT_EQ(Watch.Opened(), QStringList());
}

// A file that is a document and an SVG at once, whose picture names the file itself.
TEST_F(Exchanged, APictureNamingItsOwnDocumentLoadsAtOnce) {
    const QStringList Text = DocumentOf(QStringLiteral("TMetafile"), SvgNaming(Path("both.svg")));
    const QByteArray Both = SvgNaming(Path("both.svg")).replace("</svg>", "<!--\r\n") +
                            Text.join(QStringLiteral("\r\n")).toUtf8() + "\r\n-->\r\n</svg>\r\n";
    Write("both.svg", Both);
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.LoadFromFile(Path("both.svg"));
    ASSERT_EQ(Data.LayerCount(), 1);
    QImage Image(40, 40, QImage::Format_RGB32);
    Image.fill(Qt::white);
    TCanvas Canvas(&Image);
    Data.PaintDirectInCanvas(Canvas, 0, 0, 1, 0);
    EXPECT_EQ(QColor(Image.pixel(10, 20)), QColor(Qt::green));
}
