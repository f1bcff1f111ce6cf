// The picture object and the hex blocks that carry its pictures.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "fake_scheme_data.h"
#include "scheme/model/helpers.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_picture.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/metafile.h"
#include "scheme/platform/raster_graphic.h"

using namespace scheme;
using scheme::testing::Lines;

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kWhite = qRgb(255, 255, 255);

const QByteArray kSvg =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\">"
    "<rect width=\"8\" height=\"8\" fill=\"#0000FF\"/></svg>";

// A 4 x 4 image of Color whose bottom-left pixel (the transparent colour) is green.
QImage Keyed(QRgb Color) {
    QImage Image(4, 4, QImage::Format_RGB32);
    Image.fill(Color);
    Image.setPixel(0, 3, qRgb(0, 255, 0));
    return Image;
}

template <class T>
std::unique_ptr<TPicture> RasterPicture(const QImage& Image) {
    auto Graphic = std::make_unique<T>();
    Graphic->SetImage(Image);
    auto Picture = std::make_unique<TPicture>();
    Picture->TakeGraphic(std::move(Graphic));
    return Picture;
}

QStringList HexOf(const QByteArray& Data) {
    QStringList Strings;
    BinaryToStrings(Data, Strings);
    return Strings;
}

QStringList Saved(const TSchemeObject& Obj) {
    QStringList Strings;
    Obj.SaveToStrings(Strings);
    return Strings;
}

struct PictureObject : ::testing::Test {
    PictureObject() {
        Pic = new TSchemePicture(1, 10, 10, 40, 40, 0);
        Layer.Add(Pic);
    }

    QImage Painted() {
        QImage Image(60, 60, QImage::Format_RGB32);
        Image.fill(Qt::white);
        TCanvas Canvas(&Image);
        Pic->Paint(1.0, Canvas, 0);
        return Image;
    }

    scheme::testing::FakeSchemeData Data;  // outlives the layer, which reports to it
    TSchemeLayer Layer{1};
    TSchemePicture* Pic = nullptr;
};

}  // namespace

TEST(PictureFromStrings, StoredNamesSelectGraphicClassesOnly) {
    QByteArray Bmp;
    QBuffer Buffer(&Bmp);
    Buffer.open(QIODevice::WriteOnly);
    Keyed(kRed).save(&Buffer, "BMP");
    TPicture Picture;
    PictureFromStrings(Picture, QStringLiteral("TMETAFILE"), HexOf(kSvg));
    EXPECT_EQ(Picture.Graphic()->ClassName(), QStringLiteral("TMetafile"));
    for (const char* Name : {"TBITMAP", "tbitmap"}) {
        PictureFromStrings(Picture, QString::fromLatin1(Name), HexOf(Bmp));
        EXPECT_EQ(Picture.Graphic()->ClassName(), QStringLiteral("TBitmap"));
    }
    const TGraphic* Before = Picture.Graphic();
    // Found, but a BMP is no PNG: the graphic's own error.
    EXPECT_THROW(PictureFromStrings(Picture, QStringLiteral("TPNGIMAGE"), HexOf(Bmp)),
                 EInvalidGraphic);
    for (const QString& Name : {QStringLiteral("TSCHEMEBOX"), QStringLiteral("TNOSUCHGRAPHIC")}) {
        try {
            PictureFromStrings(Picture, Name, HexOf(Bmp));
            ADD_FAILURE() << Name.toStdString();
        } catch (const EClassNotFound& E) {
            EXPECT_EQ(E.Message(), QStringLiteral("Class %1 not found").arg(Name));
        }
    }
    EXPECT_EQ(Picture.Graphic(), Before);
}

TEST(PictureFromStrings, CorruptOrOversizedBlocksRaiseAndLeaveThePicture) {
    TPicture Picture;
    Picture.TakeGraphic(RasterPicture<TBitmap>(Keyed(kRed))->Graphic()->Clone());
    const TGraphic* Before = Picture.Graphic();
    const QString Name = QStringLiteral("TBITMAP");
    EXPECT_THROW(PictureFromStrings(Picture, Name, {QStringLiteral("424D0102")}), EInvalidGraphic);
    EXPECT_THROW(PictureFromStrings(Picture, Name, {QStringLiteral("ZZ")}), EInvalidGraphic);
    // Past 64 MiB: one shared line of 256 bytes, repeated.
    const QStringList Huge(262145, QString(512, QLatin1Char('A')));
    try {
        PictureFromStrings(Picture, Name, Huge);
        FAIL();
    } catch (const EInvalidGraphic& E) {
        EXPECT_TRUE(E.Message().contains(QStringLiteral("64 MiB"))) << E.what();
    }
    EXPECT_EQ(Picture.Graphic(), Before);
    // An empty block is an empty graphic of the class.
    PictureFromStrings(Picture, Name, {});
    EXPECT_TRUE(Picture.Graphic()->Empty());
}

TEST_F(PictureObject, BothPicturesRoundTripExactly) {
    Pic->SetPicture(*RasterPicture<TBitmap>(Keyed(kRed)));
    TPicture Svg;
    PictureFromStrings(Svg, QStringLiteral("TMETAFILE"), HexOf(kSvg));
    Pic->SetSelectedPicture(Svg);
    Pic->SetTransparent(false);
    Pic->SetVisibleBackIfSelected(false);
    Pic->SetProperties({QStringLiteral("Graphic=not a class"), QStringLiteral("Transparent=1")});
    const QStringList First = Saved(*Pic);
    const qsizetype Normal = First.indexOf(QStringLiteral("  Graphic=TBitmap"));
    const qsizetype Selected = First.indexOf(QStringLiteral("  SelectedGraphic=TMetafile"));
    ASSERT_GT(Normal, First.indexOf(QStringLiteral("  VisibleBackIfSelected=0")));
    ASSERT_GT(Selected, Normal + 1);
    EXPECT_EQ(First.mid(Selected + 1), HexOf(kSvg));

    QStringList Record = First;
    TSchemePicture Back(Record);
    QStringList Free = First;
    Free.removeAll(QStringLiteral("  LayerID=1"));  // Back is in no layer
    EXPECT_EQ(Saved(Back), Free);
    EXPECT_FALSE(Back.Transparent());
    EXPECT_FALSE(Back.VisibleBackIfSelected());
    ASSERT_NE(Back.Picture()->Graphic(), nullptr);
    EXPECT_EQ(dynamic_cast<TBitmap&>(*Back.Picture()->Graphic()).Image().pixel(3, 0), kRed);
    EXPECT_EQ(dynamic_cast<TMetafile&>(*Back.SelectedPicture()->Graphic()).Data(), kSvg);
}

TEST(PictureRecord, BlockEndsAtAnEndLineAndUnknownClassesRaise) {
    QStringList Record = Lines(
        "ID=1|State=0|Count=4|X0=0|Y0=0|X1=9|Y1=0|X2=9|Y2=9|X3=0|Y3=9|"
        "graphic=TMetafile");
    Record += HexOf(kSvg);
    Record += QStringList{QStringLiteral("end"), QStringLiteral("3C3C3C")};
    TSchemePicture Pic(Record);
    EXPECT_EQ(dynamic_cast<TMetafile&>(*Pic.Picture()->Graphic()).Data(), kSvg);
    EXPECT_TRUE(Pic.SelectedPicture()->Graphic() == nullptr);

    QStringList Unknown = Lines(
        "ID=1|State=0|Count=4|X0=0|Y0=0|X1=9|Y1=0|X2=9|Y2=9|X3=0|Y3=9|"
        "Graphic=TSchemeBox|424D");
    EXPECT_THROW(TSchemePicture{Unknown}, EClassNotFound);
    QStringList Three = Lines("ID=1|State=0|Count=3|X0=0|Y0=0|X1=9|Y1=0|X2=9|Y2=9");
    try {
        TSchemePicture Bad(Three);
        FAIL();
    } catch (const ESchemeErrorException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("TSchemePicture : Count must be 4, not 3"));
    }
}

TEST_F(PictureObject, WithoutPicturesItIsAPlainBoxInRecordAndPaint) {
    TSchemePicture FromRect(2, Rect(10, 10, 50, 50), 0);
    for (const TSchemePicture* P : {Pic, &FromRect}) {
        ASSERT_TRUE(P->Picture() && P->SelectedPicture());
        EXPECT_EQ(P->Picture()->Graphic(), P->SelectedPicture()->Graphic());  // both empty
        EXPECT_TRUE(P->Transparent() && P->VisibleBackIfSelected());
    }
    auto* Box = new TSchemeBox(1, 10, 10, 40, 40, 0);
    TSchemeLayer BoxLayer{1};
    BoxLayer.Add(Box);
    EXPECT_EQ(Saved(*Pic), Saved(*Box));
    QImage Expected(60, 60, QImage::Format_RGB32);
    Expected.fill(Qt::white);
    {
        TCanvas Canvas(&Expected);
        Box->Paint(1.0, Canvas, 0);
    }
    EXPECT_EQ(Painted(), Expected);
}

TEST_F(PictureObject, SelectedWithoutBackShowsThePictureUnderHooksAndCaption) {
    Pic->SetPicture(*RasterPicture<TBitmap>(Keyed(kRed)));
    Pic->SetSelected(true);
    Pic->SetVisibleBackIfSelected(false);
    QImage Image = Painted();
    EXPECT_EQ(Image.pixel(30, 20), kRed);
    EXPECT_EQ(Image.pixel(13, 47), kWhite);  // the bottom-left colour is left out
    EXPECT_EQ(Image.pixel(10, 30), kWhite);  // no frame: the picture sits one pixel inside
    EXPECT_EQ(Image.pixel(48, 48), kRed);

    Pic->SetResized(true);
    Pic->SetText(QStringLiteral("Pump"));
    Image = Painted();
    EXPECT_NE(Image.pixel(48, 48), kRed);  // hook of the bottom-right corner
    int Caption = 0;
    for (int Y = 12; Y < 28; ++Y)
        for (int X = 13; X < 45; ++X) Caption += Image.pixel(X, Y) == kWhite;
    EXPECT_GT(Caption, 0);  // the selected caption is white over the picture

    Pic->SetVisibleBackIfSelected(true);
    EXPECT_EQ(Painted().pixel(10, 30), qRgb(0, 0, 0));
}

TEST_F(PictureObject, SelectedPictureAlternatesWithTheSelectionPhase) {
    Pic->SetTransparent(false);
    Pic->SetPicture(*RasterPicture<TPngImage>(Keyed(kRed)));
    Pic->SetSelectedPicture(*RasterPicture<TPngImage>(Keyed(kBlue)));
    EXPECT_EQ(Painted().pixel(30, 20), kRed);
    Pic->SetSelected(true);
    EXPECT_EQ(Painted().pixel(30, 20), kBlue);
    Layer.SetSelectionPhase(false);
    EXPECT_EQ(Painted().pixel(30, 20), kRed);
    EXPECT_EQ(Painted().pixel(10, 30), qRgb(0, 0, 0));  // the box under it does not blink
}

TEST_F(PictureObject, SettersCopyRepaintAndReachTheGraphics) {
    Layer.SetSchemeData(&Data);
    int Changes = 0;
    Pic->OnChange = [&](TObject*) { ++Changes; };
    std::unique_ptr<TPicture> Source = RasterPicture<TBitmap>(Keyed(kRed));
    Pic->SetPicture(*Source);
    EXPECT_NE(Pic->Picture()->Graphic(), Source->Graphic());
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Data.NoticesOf(TSchemeNoticeKind::Changed, Pic), 1);
    Pic->SetTransparent(true);
    EXPECT_EQ(Changes, 1);
    Pic->SetTransparent(false);
    EXPECT_FALSE(Pic->Picture()->Graphic()->Transparent());
    EXPECT_TRUE(Saved(*Pic).contains(QStringLiteral("  Transparent=0")));
    Source.reset();
    EXPECT_EQ(Pic->Picture()->Width(), 4);
}

// A picture the document's budget refuses paints as the plain box and is reported once, naming
// the object; once the budget has room it is decoded and shown.
TEST_F(PictureObject, APictureTheBudgetRefusesPaintsAsTheBoxAndIsReportedOnce) {
    Layer.SetSchemeData(&Data);
    Data.Budget = std::make_shared<TPictureBudget>(1024);
    const QImage Red = Keyed(kRed).scaled(64, 64);
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    Red.save(&Buffer, "PNG");
    TPicture Picture;
    PictureFromStrings(Picture, QStringLiteral("TBITMAP"), HexOf(Png));
    Pic->SetPicture(Picture);
    auto* Box = new TSchemeBox(1, 10, 10, 40, 40, 0);
    TSchemeLayer BoxLayer{1};
    BoxLayer.Add(Box);
    QImage AsBox(60, 60, QImage::Format_RGB32);
    AsBox.fill(Qt::white);
    {
        TCanvas Canvas(&AsBox);
        Box->Paint(1.0, Canvas, 0);
    }
    EXPECT_EQ(Painted(), AsBox);
    EXPECT_EQ(Painted(), AsBox);
    const QStringList Reports = Data.Budget->TakeReports();
    ASSERT_EQ(Reports.size(), 1);
    EXPECT_TRUE(Reports[0].startsWith(
        QStringLiteral("TSchemePicture 1 on layer 1, Graphic: TBitmap of 64 x 64 pixels")))
        << Reports[0].toStdString();
    EXPECT_TRUE(Reports[0].contains(QStringLiteral("limit of 1 KiB")));
    EXPECT_EQ(Data.Budget->Used(), 0);
    Data.Budget->SetLimit(kPictureBudgetLimit);
    EXPECT_EQ(Painted().pixel(30, 30), kRed);
    EXPECT_EQ(Data.Budget->Used(), Pic->Picture()->Graphic()->DecodedSize());
    EXPECT_TRUE(Data.Budget->TakeReports().isEmpty());
    const QStringList Record = Saved(*Pic);
    EXPECT_EQ(Record.mid(Record.indexOf(QStringLiteral("  Graphic=TBitmap")) + 1), HexOf(Png));
}
