// Image-list pictures: list references, which image is shown, and the record.
#include <gtest/gtest.h>

#include <QImage>

#include "fake_scheme_data.h"
#include "scheme/model/ext/scheme_internal_picture.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/component_roots.h"

using namespace scheme;
using scheme::testing::Lines;

namespace {

const char* const kBase = "ID=1|State=0|Count=4|X0=10|Y0=10|X1=50|Y1=10|X2=50|Y2=50|X3=10|Y3=50";
const QRgb kWhite = qRgb(255, 255, 255), kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0),
           kBlue = qRgb(0, 0, 255), kYellow = qRgb(255, 255, 0), kBlack = qRgb(0, 0, 0);

// A list on Form with one image per colour; each image's bottom-left pixel is magenta, the
// colour that transparency leaves out.
TImageList* MakeList(QObject* Form, const char* Name, std::initializer_list<QRgb> Colors) {
    auto* List = new TImageList(4, 4, Form);
    List->setObjectName(QString::fromLatin1(Name));
    for (QRgb Color : Colors) {
        QImage Image(4, 4, QImage::Format_RGB32);
        Image.fill(Color);
        Image.setPixel(0, 3, qRgb(255, 0, 255));
        List->Add(Image);
    }
    return List;
}

QString Saved(const TSchemeObject& Obj) {
    QStringList Strings;
    Obj.SaveToStrings(Strings);
    return Strings.join(QLatin1Char('|'));
}

struct InternalPicture : ::testing::Test {
    InternalPicture() {
        Form.setObjectName(QStringLiteral("Form1"));
        (new QObject(&Form))->setObjectName(QStringLiteral("Other"));
        SetFormsProvider([this] { return QList<QObject*>{&Form}; });
        const TColor States[] = {clYellow};
        Layer.SetAllStateColors(States);
    }
    ~InternalPicture() override { SetFormsProvider({}); }

    TSchemeInternalPicture* Load(const char* Keys) {
        QStringList Strings = Lines(kBase) + Lines(Keys);
        auto* Picture = new TSchemeInternalPicture(Strings);
        Layer.Add(Picture);
        return Picture;
    }

    QRgb PaintedAt(int X, int Y) {
        Image.fill(Qt::white);
        TCanvas Canvas(&Image);
        Layer.Paint(1, Canvas, 0);
        return Image.pixel(X, Y);
    }

    QObject Form;
    TImageList* List = MakeList(&Form, "Images", {kRed, kGreen});
    TImageList* SelList = MakeList(&Form, "Selected", {kBlack, kBlue});
    TSchemeLayer Layer{1};
    QImage Image{80, 80, QImage::Format_RGB32};
};

}  // namespace

TEST_F(InternalPicture, ResolvesInAnyLetterCaseAndStretchesTheImageInsideTheBorder) {
    TSchemeInternalPicture* Picture = Load("ImageIndex=1|ImageList=fORM1.images");
    EXPECT_EQ(Picture->ImageList(), List);
    EXPECT_TRUE(Saved(*Picture).endsWith(QStringLiteral("|  ImageList=Form1.Images")));
    EXPECT_EQ(PaintedAt(11, 11), kGreen);
    EXPECT_EQ(PaintedAt(10, 10), kWhite);
    EXPECT_EQ(PaintedAt(12, 48), kWhite);  // the transparent colour
    Picture->SetTransparent(false);
    EXPECT_EQ(PaintedAt(12, 48), qRgb(255, 0, 255));
    Picture->SetImageIndex(7);
    EXPECT_EQ(PaintedAt(30, 30), kWhite);
}

TEST_F(InternalPicture, SelectedImageOnlyFromASelectedListDuringTheSelectionPhase) {
    TSchemeInternalPicture* Picture =
        Load("VisibleBackIfSelected=0|ImageList=Form1.Images|SelectedImageIndex=1");
    Picture->SetSelected(true);
    EXPECT_EQ(PaintedAt(30, 30), kRed);
    Picture->SetSelectedImageList(SelList);
    EXPECT_EQ(PaintedAt(30, 30), kBlue);
    Layer.SetSelectionPhase(false);
    EXPECT_EQ(PaintedAt(30, 30), kRed);
    Picture->SetVisibleBackIfSelected(true);
    EXPECT_EQ(PaintedAt(10, 10), kBlack);  // the box's outline under the image
    Picture->SetVisible(false);
    EXPECT_EQ(PaintedAt(10, 10), kWhite);
}

TEST_F(InternalPicture, ReferencesWithoutALiveListAreKeptAndTheObjectLooksLikeABox) {
    TSchemeInternalPicture* Picture =
        Load("ImageList=Nowhere.Images|SelectedImageList=Form1.Other");
    EXPECT_EQ(Picture->ImageList(), nullptr);
    EXPECT_EQ(Picture->SelectedImageList(), nullptr);
    EXPECT_TRUE(Saved(*Picture).endsWith(
        QStringLiteral("|  ImageList=Nowhere.Images|  SelectedImageList=Form1.Other")));
    EXPECT_EQ(PaintedAt(30, 30), kYellow);
    EXPECT_EQ(PaintedAt(10, 10), kBlack);
    Picture->SetImageList(nullptr);
    EXPECT_FALSE(Saved(*Picture).contains(QStringLiteral("  ImageList=")));
    Picture->SetImageList(List);
    delete List;
    EXPECT_EQ(PaintedAt(30, 30), kYellow);
    EXPECT_TRUE(Saved(*Picture).contains(QStringLiteral("  ImageList=Form1.Images")));
}

TEST_F(InternalPicture, OwnerlessListsGoByTheirOwnNameAndCopiesKeepTheirLists) {
    TImageList Loose;
    Loose.setObjectName(QStringLiteral("Loose"));
    auto* Picture = new TSchemeInternalPicture(1, Rect(10, 10, 50, 50), 0, 0, &Loose, 0, nullptr);
    Layer.Add(Picture);
    EXPECT_TRUE(Saved(*Picture).endsWith(QStringLiteral("|  ImageList=Loose")));
    EXPECT_EQ(dynamic_cast<TSchemeInternalPicture&>(*Picture->Clone()).ImageList(), &Loose);
}

TEST(InternalPictureRecord, DefaultsWriteOnlyTheBaseRecordAndOthersFollowInOrder) {
    TSchemeInternalPicture Plain(1, Rect(10, 10, 50, 50), 0, 0, nullptr, 0, nullptr);
    EXPECT_EQ(Saved(Plain), Saved(TSchemeBox(1, Rect(10, 10, 50, 50), 0)));
    QStringList Strings = Lines(kBase) + Lines(
                                             "SelectedImageIndex=3|ImageIndex=2|Transparent=0|"
                                             "VisibleBackIfSelected=2");
    EXPECT_TRUE(Saved(TSchemeInternalPicture(Strings))
                    .endsWith(QStringLiteral("|  Transparent=0|  VisibleBackIfSelected=0|"
                                             "  ImageIndex=2|  SelectedImageIndex=3")));
}
