// Pictures arrive inside documents exchanged as files: an SVG picture never reads outside its
// own data, one that would keep Qt SVG busy for minutes is refused when it is read, and what a
// picture decodes stays within its picture budget.
#include <gtest/gtest.h>

#include "qt_printers.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "oversized_pictures.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/metafile.h"
#include "scheme/platform/raster_graphic.h"

using namespace scheme;

namespace {

const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

// 40 x 20 units whose own content is a green left half; Body may draw into the right half.
QByteArray Svg(const QByteArray& Body, const QByteArray& Prolog = {}) {
    return Prolog +
           "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\""
           " width=\"40\" height=\"20\" viewBox=\"0 0 40 20\">"
           "<rect x=\"0\" y=\"0\" width=\"20\" height=\"20\" fill=\"#00FF00\"/>" +
           Body + "</svg>";
}

// An image over the right half.
QByteArray ImageAt(const QByteArray& Reference) {
    return "<image x=\"20\" y=\"0\" width=\"20\" height=\"20\" xlink:href=\"" + Reference + "\"/>";
}

QByteArray DataUri(const char* Type, const QByteArray& Bytes) {
    return QByteArray("data:") + Type + ";base64," + Bytes.toBase64();
}

// An SVG image, 20 units square, filled by an image that Reference names.
QByteArray InnerSvgUri(const QByteArray& Reference) {
    return DataUri("image/svg+xml",
                   "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                   "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"20\" height=\"20\">"
                   "<image width=\"20\" height=\"20\" xlink:href=\"" +
                       Reference + "\"/></svg>");
}

QByteArray RedPng() {
    QImage Image(4, 4, QImage::Format_RGB32);
    Image.fill(kRed);
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, "PNG");
    return Data;
}

void Load(TGraphic& Graphic, QByteArray Data) {
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::ReadOnly);
    Graphic.LoadFromStream(Buffer);
}

QByteArray Saved(const TGraphic& Graphic) {
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    Graphic.SaveToStream(Buffer);
    return Data;
}

// The picture loaded from Data, drawn over 40 x 20 white pixels.
QImage Rendered(const QByteArray& Data) {
    TMetafile Picture;
    Load(Picture, Data);
    QImage Image(40, 20, QImage::Format_RGB32);
    Image.fill(kWhite);
    TCanvas Canvas(&Image);
    Canvas.StretchDraw(TRect{0, 0, 40, 20}, Picture);
    return Image;
}

void WriteFile(const QString& Name, const QByteArray& Data) {
    QFile File(Name);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write(Data);
}

// Relative file names are read from the working directory: Dir is that while this lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const QString& Dir) : FPrevious(QDir::currentPath()) {
        QDir::setCurrent(Dir);
    }
    ~WorkingDirectory() { QDir::setCurrent(FPrevious); }

private:
    QString FPrevious;
};

// Notices a reader blocked opening the FIFO and lets it go on by opening the writing end (the
// reader then reads an empty file), so that a reference followed fails the test, not hangs it.
class FifoWatch {
public:
    explicit FifoWatch(const QByteArray& Path)
        : FThread([this, Path](std::stop_token Stop) {
              while (!Stop.stop_requested()) {
                  const int Fd = ::open(Path.constData(), O_WRONLY | O_NONBLOCK);
                  if (Fd >= 0) {
                      FOpened = true;
                      ::close(Fd);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          }) {}
    bool Opened() const { return FOpened; }

private:
    std::atomic<bool> FOpened{false};
    std::jthread FThread;  // stopped and joined before the flag goes
};

}  // namespace

TEST(HostilePicture, LocalFilesNeverShowWhileEmbeddedImagesDo) {
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    const QByteArray Png = RedPng();
    WriteFile(Dir.filePath(QStringLiteral("red.png")), Png);
    WriteFile(Dir.filePath(QStringLiteral("#red")), Png);  // an image's "#red" names this file
    WriteFile(Dir.filePath(QStringLiteral("red.css")), "rect { fill: #FF0000 }");
    const WorkingDirectory Here(Dir.path());
    const QByteArray Path = Dir.filePath(QStringLiteral("red.png")).toUtf8();
    const QByteArray Css = Dir.filePath(QStringLiteral("red.css")).toUtf8();
    const struct {
        const char* Name;
        QByteArray Data;
        QRgb Right;
    } Cases[] = {
        {"absolute path", Svg(ImageAt(Path)), kWhite},
        {"path after a blank", Svg(ImageAt(" " + Path)), kWhite},
        {"relative path", Svg(ImageAt("red.png")), kWhite},
        {"element reference", Svg(ImageAt("#red")), kWhite},
        {"SVG image naming the file", Svg(ImageAt(InnerSvgUri(Path))), kWhite},
        {"style sheet of a processing instruction",
         Svg("<g fill=\"none\"><rect x=\"20\" y=\"0\" width=\"20\" height=\"20\"/></g>",
             "<?xml-stylesheet type=\"text/css\" href=\"" + Css + "\"?>"),
         kWhite},
        {"PNG data", Svg(ImageAt(DataUri("image/png", Png))), kRed},
        {"SVG image of PNG data", Svg(ImageAt(InnerSvgUri(DataUri("image/png", Png)))), kRed},
    };
    for (const auto& Case : Cases) {
        const QImage Image = Rendered(Case.Data);
        EXPECT_EQ(Image.pixel(5, 10), kGreen) << Case.Name;
        EXPECT_EQ(Image.pixel(30, 10), Case.Right) << Case.Name;
    }
}

TEST(HostilePicture, ReferencesToAFifoNeitherBlockNorHideTheDrawing) {
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    const QByteArray Fifo = Dir.filePath(QStringLiteral("fifo")).toUtf8();
    ASSERT_EQ(::mkfifo(Fifo.constData(), 0600), 0);
    const WorkingDirectory Here(Dir.path());
    const FifoWatch Watch(Fifo);
    const struct {
        const char* Name;
        QByteArray Data;
    } Cases[] = {
        {"absolute path", Svg(ImageAt(Fifo))},
        {"relative path", Svg(ImageAt("fifo"))},
        {"SVG image naming it", Svg(ImageAt(InnerSvgUri(Fifo)))},
        {"style sheet of a processing instruction",
         Svg({}, "<?xml-stylesheet type=\"text/css\" href=\"" + Fifo + "\"?>")},
        {"style sheet import and url()", Svg("<style>@import url(" + Fifo +
                                             ");</style><rect x=\"20\" width=\"20\" height=\"20\" "
                                             "fill=\"url(" +
                                             Fifo + ")\" style=\"stroke:url('" + Fifo + "')\"/>")},
    };
    for (const auto& Case : Cases) EXPECT_EQ(Rendered(Case.Data).pixel(5, 10), kGreen) << Case.Name;
    EXPECT_FALSE(Watch.Opened());
}

// A gradient and a shape used twice, a style sheet in CDATA and an entity of the document
// type: what refers to the document itself is kept.
TEST(HostilePicture, ReferencesWithinTheDocumentStillDraw) {
    const QImage Image = Rendered(
        "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY blue \"#0000FF\">]>"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "width=\"40\" height=\"20\" viewBox=\"0 0 40 20\">"
        "<style><![CDATA[ .green { fill: #00FF00 } ]]></style>"
        "<defs><linearGradient id=\"g\"><stop offset=\"0\" stop-color=\"&blue;\"/>"
        "<stop offset=\"1\" stop-color=\"&blue;\"/></linearGradient>"
        "<rect id=\"r\" width=\"10\" height=\"20\" style=\"fill:url(#g)\"/></defs>"
        "<use xlink:href=\"#r\"/><use xlink:href=\"#r\" x=\"30\"/>"
        "<rect class=\"green\" x=\"10\" width=\"10\" height=\"20\"/></svg>");
    EXPECT_EQ(Image.pixel(5, 10), qRgb(0, 0, 255));
    EXPECT_EQ(Image.pixel(15, 10), kGreen);
    EXPECT_EQ(Image.pixel(25, 10), kWhite);
    EXPECT_EQ(Image.pixel(35, 10), qRgb(0, 0, 255));
}

// Each limit is met exactly, then passed by one; the document's root counts as an element.
TEST(HostilePicture, CostlyDocumentsAreRefusedWhenRead) {
    const QByteArray Root =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">";
    const auto Gradient = [&](qsizetype Stops) {
        return Root + "<linearGradient>" + QByteArray("<stop/>").repeated(Stops) +
               "</linearGradient></svg>";
    };
    const auto Elements = [&](qsizetype Count) {
        return Root + QByteArray("<g/>").repeated(Count - 1) + "</svg>";
    };
    // 1,000 selectors: 999 commas and a block.
    const qsizetype Selectors = 1000;
    const auto Styled = [&](qsizetype Count) {
        return Root + "<style>" + QByteArray(".a,").repeated(Selectors - 1) +
               ".a{fill:red}</style>" + QByteArray("<g/>").repeated(Count - 2) + "</svg>";
    };
    const qsizetype StyledLimit = kMaxSvgStyleMatches / Selectors;
    // The image's document counts with its host: two roots, the image and half the limit each.
    const auto Nested = [&](qsizetype Count) {
        const QByteArray Inner = Root + QByteArray("<g/>").repeated(Count) + "</svg>";
        return Root + QByteArray("<g/>").repeated(Count) + "<image xlink:href=\"" +
               DataUri("image/svg+xml", Inner) + "\"/></svg>";
    };
    const struct {
        const char* Name;
        QByteArray Data;
        bool Accepted;
        QString Limit;
    } Cases[] = {
        {"stops", Gradient(kMaxSvgGradientStops), true, QString::number(kMaxSvgGradientStops)},
        {"stops", Gradient(kMaxSvgGradientStops + 1), false, QString::number(kMaxSvgGradientStops)},
        {"300,000 stops", Gradient(300000), false, QString::number(kMaxSvgGradientStops)},
        {"elements", Elements(kMaxSvgElements), true, QString::number(kMaxSvgElements)},
        {"elements", Elements(kMaxSvgElements + 1), false, QString::number(kMaxSvgElements)},
        {"styled", Styled(StyledLimit), true, QString::number(kMaxSvgStyleMatches)},
        {"styled", Styled(StyledLimit + 1), false, QString::number(kMaxSvgStyleMatches)},
        {"nested", Nested(kMaxSvgElements / 2 - 2), true, QString::number(kMaxSvgElements)},
        {"nested", Nested(kMaxSvgElements / 2 - 1), false, QString::number(kMaxSvgElements)},
    };
    for (const auto& Case : Cases) {
        if (Case.Accepted) {
            // Only the checks: Qt SVG would read a document this size for a second or more.
            EXPECT_NO_THROW(TMetafile::SelfContained(Case.Data)) << Case.Name;
            continue;
        }
        TMetafile Picture;
        Load(Picture, Svg({}));
        try {
            Load(Picture, Case.Data);
            ADD_FAILURE() << Case.Name;
        } catch (const EInvalidGraphic& E) {
            EXPECT_TRUE(E.Message().contains(Case.Limit)) << E.Message().toStdString();
        }
        EXPECT_EQ(Picture.Data(), Svg({})) << Case.Name;
    }
}

// Reading looks at the header only; drawing decodes at most the drawn size, within the budget.
// A GIF reader cannot scale: a smaller size costs the whole image and the small one while it
// is made. A GIF whose few bytes claim the same size is not decoded at all.
TEST(HostilePicture, RasterImagesDecodeWhenDrawnAndOnlyWithinTheirBudget) {
    const QByteArray Large = scheme::testing::LargeGif();
    const QByteArray Hollow = scheme::testing::OversizedGif();
    const qint64 Whole = DecodedBytes(QSize(5792, 5792));
    const struct {
        const char* Name;
        const QByteArray& Gif;
        qint64 Limit;
        TRect R;
        QString Refusal;
    } Cases[] = {
        {"drawn small", Large, kPictureBudgetLimit, TRect{0, 0, 40, 40}, {}},
        {"drawn whole", Large, kPictureBudgetLimit, TRect{0, 0, 6000, 6000}, {}},
        {"whole past the limit", Large, Whole - 1, TRect{0, 0, 6000, 6000}, BytesText(Whole - 1)},
        {"small, but the whole image passes the limit", Large, Whole, TRect{0, 0, 40, 40},
         BytesText(Whole)},
        {"too few bytes for its pixels", Hollow, kPictureBudgetLimit, TRect{0, 0, 40, 40},
         QStringLiteral("its 35 bytes of data cannot hold that many pixels")},
    };
    for (const auto& Case : Cases) {
        const bool Drawn = Case.Refusal.isEmpty();
        auto Budget = std::make_shared<TPictureBudget>(Case.Limit);
        TBitmap Bitmap;
        Bitmap.SetPictureBudget(Budget);
        Load(Bitmap, Case.Gif);
        EXPECT_EQ(Budget->Granted(), 0) << Case.Name;
        EXPECT_EQ(Bitmap.Width(), 5792) << Case.Name;
        QImage Image(40, 40, QImage::Format_RGB32);
        TCanvas Canvas(&Image);
        for (int Pass = 0; Pass < 2; ++Pass) Canvas.StretchDraw(Case.R, Bitmap);
        EXPECT_LE(Budget->Peak(), Case.Limit) << Case.Name;
        EXPECT_EQ(Budget->Granted() > 0, Drawn) << Case.Name;
        EXPECT_EQ(Bitmap.DecodedSize() > 0, Drawn) << Case.Name;
        EXPECT_LE(Bitmap.DecodedSize(), DecodedBytes(QSize(Case.R.Right, Case.R.Bottom)));
        EXPECT_EQ(Budget->Used(), Bitmap.DecodedSize()) << Case.Name;
        const QStringList Notes = Bitmap.TakeNotes();  // refused once, however often drawn
        ASSERT_EQ(Notes.size(), Drawn ? 0 : 1) << Case.Name;
        if (!Drawn) {
            for (const QString& Part :
                 {QStringLiteral("TBitmap of 5792 x 5792 pixels"), Case.Refusal})
                EXPECT_TRUE(Notes[0].contains(Part)) << Notes[0].toStdString();
        }
        EXPECT_EQ(Saved(Bitmap), Case.Gif) << Case.Name;
    }
}

// Qt SVG decodes embedded images while it reads: they are reserved then, and each image left
// out is noted. The bytes read stay what is saved.
TEST(HostilePicture, EmbeddedImagesCountAgainstTheBudgetAndEachDroppedOneIsNoted) {
    const QByteArray Gif = scheme::testing::LargeGif(1000, 1000);
    const qint64 Each = DecodedBytes(QSize(1000, 1000));
    const QByteArray Text =
        Svg(ImageAt(DataUri("image/gif", Gif)).repeated(4) +
            ImageAt(DataUri("image/png", "not an image")) +
            ImageAt(DataUri("image/gif", scheme::testing::OversizedGif(1000, 1000))));
    auto Budget = std::make_shared<TPictureBudget>(2 * Each + Each / 2);
    {
        TMetafile Picture;
        Picture.SetPictureBudget(Budget);
        Load(Picture, Text);
        EXPECT_EQ(Budget->Used(), 2 * Each);
        EXPECT_EQ(Picture.DecodedSize(), 2 * Each);
        const QStringList Notes = Picture.TakeNotes();
        ASSERT_EQ(Notes.size(), 4) << Notes.join(u'\n').toStdString();
        for (int I = 0; I < 2; ++I) {
            EXPECT_TRUE(Notes[I].contains(QStringLiteral("embedded image %1 dropped").arg(I + 3)));
            EXPECT_TRUE(Notes[I].contains(QStringLiteral("1000 x 1000 pixels")));
        }
        EXPECT_TRUE(Notes[2].contains(QStringLiteral("embedded image 5 dropped: its format")));
        EXPECT_TRUE(Notes[3].contains(QStringLiteral(
            "embedded image 6 dropped: it claims 1000 x 1000 pixels, but its 35 bytes")));
        EXPECT_EQ(Saved(Picture), Text);
        // Bound to another budget, the picture is read anew there.
        auto Other = std::make_shared<TPictureBudget>(Each);
        Picture.SetPictureBudget(Other);
        EXPECT_EQ(Budget->Used(), 0);
        EXPECT_EQ(Other->Used(), Each);
    }
    EXPECT_EQ(Budget->Used(), 0);
}
