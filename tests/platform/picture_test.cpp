#include <gtest/gtest.h>

#include "qt_printers.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "scheme/platform/canvas.h"
#include "scheme/platform/metafile.h"
#include "scheme/platform/picture.h"
#include "scheme/platform/raster_graphic.h"

using namespace scheme;

namespace {

// Two columns, red and blue, over a bottom row of green and white.
QImage Sample() {
    QImage Image(2, 2, QImage::Format_RGB32);
    Image.setPixel(0, 0, qRgb(255, 0, 0));
    Image.setPixel(1, 0, qRgb(0, 0, 255));
    Image.setPixel(0, 1, qRgb(0, 255, 0));
    Image.setPixel(1, 1, qRgb(255, 255, 255));
    return Image;
}

QByteArray Encoded(const QImage& Image, const char* Format) {
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, Format);
    return Data;
}

// A red square with a blue band in its right half; the band runs past the view box.
const QByteArray kSvg =
    "<?xml version=\"1.0\"?>\n<!-- kept as written -->\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\" viewBox=\"0 0 40 20\">"
    "<rect x=\"0\" y=\"0\" width=\"20\" height=\"20\" fill=\"#FF0000\"/>"
    "<rect x=\"20\" y=\"0\" width=\"400\" height=\"20\" fill=\"#0000FF\"/></svg>\n";

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

QImage Drawn(const TGraphic& Graphic, const TRect& R) {
    QImage Image(60, 60, QImage::Format_RGB32);
    Image.fill(Qt::white);
    TCanvas Canvas(&Image);
    Canvas.StretchDraw(R, Graphic);
    return Image;
}

// A graphic whose data is Size bytes, as large as a test needs without building an image.
class SizedGraphic : public TGraphic {
public:
    explicit SizedGraphic(qsizetype Size) : FSize(Size) {}
    QString ClassName() const override { return QStringLiteral("TSized"); }
    std::unique_ptr<TGraphic> Clone() const override { return nullptr; }
    int Width() const override { return 1; }
    int Height() const override { return 1; }
    bool Empty() const override { return false; }
    using TGraphic::Draw;
    void Draw(TCanvas&, const TRect&) const override {}

protected:
    void ReadData(const QByteArray&) override {}
    void Clear() override {}
    QByteArray WriteData() const override { return QByteArray(FSize, 'x'); }

private:
    qsizetype FSize;
};

// Claims a size past the graphic data limit; reading it fails the test.
class HugeDevice : public QIODevice {
public:
    HugeDevice() { open(QIODevice::ReadOnly); }
    qint64 size() const override { return kMaxGraphicDataSize + 1; }

protected:
    qint64 readData(char*, qint64) override {
        ADD_FAILURE() << "read";
        return -1;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

}  // namespace

TEST(Graphic, RasterClassesSaveTheirFormatAndKeepTheBytesTheyRead) {
    TBitmap Bitmap;
    Bitmap.SetImage(Sample());
    const QByteArray Bmp = Saved(Bitmap);
    ASSERT_TRUE(Bmp.startsWith("BM"));
    TBitmap Back;
    Load(Back, Bmp);
    EXPECT_EQ(Back.Image().convertToFormat(QImage::Format_RGB32), Sample());
    EXPECT_EQ(Saved(Back), Bmp);
    // A bitmap reads any raster format and saves the bytes it read, not a BMP many times their
    // size; an image set in code is a BMP again.
    QImage Plain(300, 300, QImage::Format_RGB32);
    Plain.fill(Qt::blue);
    const QByteArray Png = Encoded(Plain, "PNG");
    Load(Back, Png);
    EXPECT_EQ(Saved(Back), Png);
    Back.SetImage(Sample());
    EXPECT_TRUE(Saved(Back).startsWith("BM"));
    const QByteArray Jpeg = Encoded(Sample().scaled(16, 16), "JPEG");
    TJPEGImage Photo;
    Load(Photo, Jpeg);
    EXPECT_EQ(Saved(Photo), Jpeg);  // not compressed a second time
    const QByteArray Ico = Encoded(Sample(), "ICO");
    TIcon Icon;
    Load(Icon, Ico);
    EXPECT_EQ(Saved(Icon), Ico);
}

TEST(Graphic, ForeignDamagedOrOversizedDataRaisesAndChangesNothing) {
    TPngImage Png;
    Png.SetImage(Sample());
    const QByteArray Before = Saved(Png);
    const QByteArray Bad[] = {Encoded(Sample(), "BMP"), Before.left(30), kSvg, "not an image"};
    for (const QByteArray& Data : Bad) EXPECT_THROW(Load(Png, Data), EInvalidGraphic);
    HugeDevice Huge;
    EXPECT_THROW(Png.LoadFromStream(Huge), EInvalidGraphic);
    EXPECT_EQ(Saved(Png), Before);

    TMetafile Svg;
    Load(Svg, kSvg);
    const QByteArray BadSvg[] = {"<svg", QByteArray("\x1f\x8b\x08\x00", 4), Before};
    for (const QByteArray& Data : BadSvg) EXPECT_THROW(Load(Svg, Data), EInvalidGraphic);
    EXPECT_EQ(Saved(Svg), kSvg);
    Load(Svg, QByteArray());  // an empty stream empties the graphic
    EXPECT_TRUE(Svg.Empty());
}

TEST(Graphic, SavingNeverWritesMoreThanLoadingAccepts) {
    EXPECT_EQ(Saved(SizedGraphic(kMaxGraphicDataSize)).size(), kMaxGraphicDataSize);
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    try {
        SizedGraphic(kMaxGraphicDataSize + 1).SaveToStream(Buffer);
        ADD_FAILURE() << "saved";
    } catch (const EInvalidGraphic& E) {
        EXPECT_TRUE(E.Message().contains(QStringLiteral("limit of 64 MiB")))
            << E.Message().toStdString();
    }
    EXPECT_TRUE(Data.isEmpty());
}

TEST(Graphic, MetafileKeepsItsTextAndDrawsStretchedInsideItsRectangle) {
    TMetafile Svg;
    Load(Svg, kSvg);
    EXPECT_EQ(Svg.Width(), 40);
    EXPECT_EQ(Saved(Svg), kSvg);
    const QImage Image = Drawn(Svg, TRect{10, 10, 50, 30});
    EXPECT_EQ(Image.pixel(12, 20), qRgb(255, 0, 0));
    EXPECT_EQ(Image.pixel(47, 20), qRgb(0, 0, 255));
    EXPECT_EQ(Image.pixel(52, 20), qRgb(255, 255, 255));  // the band is clipped
    EXPECT_EQ(Image.pixel(30, 32), qRgb(255, 255, 255));
    EXPECT_EQ(Drawn(*Svg.Clone(), TRect{10, 10, 50, 30}), Image);
}

TEST(Graphic, TransparentBitmapLeavesOutItsBottomLeftColour) {
    TBitmap Bitmap;
    Bitmap.SetImage(Sample());
    EXPECT_EQ(Drawn(Bitmap, TRect{0, 0, 40, 40}).pixel(5, 35), qRgb(0, 255, 0));
    Bitmap.SetTransparent(true);
    const QImage Image = Drawn(Bitmap, TRect{0, 0, 40, 40});
    EXPECT_EQ(Image.pixel(5, 35), qRgb(255, 255, 255));
    EXPECT_EQ(Image.pixel(5, 5), qRgb(255, 0, 0));
}

TEST(Picture, AssignCopiesDeeplyAndEveryChangeIsAnnounced) {
    TPicture Source;
    int Changes = 0;
    Source.OnChange = [&](TObject*) { ++Changes; };
    auto Bitmap = std::make_unique<TBitmap>();
    Bitmap->SetImage(Sample());
    Source.TakeGraphic(std::move(Bitmap));
    Source.Graphic()->SetTransparent(true);
    EXPECT_EQ(Changes, 2);
    TPicture Copy;
    Copy.Assign(Source);
    ASSERT_NE(Copy.Graphic(), Source.Graphic());
    Copy.Graphic()->SetTransparent(false);
    EXPECT_TRUE(Source.Graphic()->Transparent());
    EXPECT_EQ(Changes, 2);
    Source.Assign(Source);
    EXPECT_EQ(Source.Width(), 2);
}

TEST(Picture, LoadFromFileChoosesTheClassByContentThenByExtension) {
    QTemporaryDir Dir;
    const auto Write = [&](const char* Name, const QByteArray& Data) {
        QFile File(Dir.filePath(QString::fromLatin1(Name)));
        File.open(QIODevice::WriteOnly);
        File.write(Data);
        return File.fileName();
    };
    TPicture Picture;
    Picture.LoadFromFile(Write("a.dat", kSvg));
    EXPECT_EQ(Picture.Graphic()->ClassName(), QStringLiteral("TMetafile"));
    Picture.LoadFromFile(Write("b.bmp", Encoded(Sample(), "PNG")));
    EXPECT_EQ(Picture.Graphic()->ClassName(), QStringLiteral("TPngImage"));
    EXPECT_THROW(Picture.LoadFromFile(Write("empty.png", {})), EInvalidGraphic);
    EXPECT_THROW(Picture.LoadFromFile(Dir.filePath(QStringLiteral("none.png"))), EInvalidGraphic);
    EXPECT_THROW(Picture.LoadFromFile(Write("bad.png", "junk")), EInvalidGraphic);
    EXPECT_EQ(Picture.Graphic()->ClassName(), QStringLiteral("TPngImage"));
}
