#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <memory>
#include <random>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"

namespace scheme::testing {
namespace {

// A document of boxes, ellipses and polygons on three layers, changed at random in every way
// that moves an object's area or its place in the drawing order; the answers read through the
// index must stay those of walking every object.
class SpatialIndexTest : public ::testing::Test {
protected:
    static constexpr int kLayers = 3;
    static constexpr int kPerLayer = 150;
    static constexpr double kWorld = 2000;

    void SetUp() override {
        for (int L = 1; L <= kLayers; ++L) {
            const TColor Colors[] = {TColor(0x102030 * L), clRed, clGreen};
            Data().LayerAdd(L)->SetAllStateColors(Colors);
            for (int I = 1; I <= kPerLayer; ++I) AddObject(L, I);
        }
    }

    double Coord() { return std::uniform_real_distribution<double>(-50, kWorld)(Random); }
    int Pick(int N) { return std::uniform_int_distribution<int>(0, N - 1)(Random); }

    void AddObject(int Layer, int Id) {
        const double X = Coord(), Y = Coord(), W = 10 + Pick(100), H = 10 + Pick(100);
        if (Id % 3 == 2) {
            const TPoint Star[] = {{int(X), int(Y)},
                                   {int(X + W), int(Y + H / 3)},
                                   {int(X + W / 2), int(Y + H)},
                                   {int(X - W / 3), int(Y + H / 2)}};
            Data().ObjectAddPolygon(Layer, Id, Star, Pick(3), TBrushStyle::bsSolid, QString(),
                                    TPoint{});
        } else {
            Data().ObjectAddShapeExt(Layer, Id, X, Y, W, H, Pick(3),
                                     Id % 3 ? TShapeType::stEllipse : TShapeType::stRectangle);
        }
    }

    TSchemeObject* AnyObject() {
        TSchemeLayer* Layer = Data().GetLayerIndex(Pick(Data().LayerCount()));
        return Layer->Count() ? Layer->GetItemIndex(Pick(Layer->Count())) : nullptr;
    }

    static constexpr int kChanges = 12;
    void RandomChange(int Kind = -1) {
        TSchemeObject* Obj = AnyObject();
        if (!Obj) return;
        TPen Pen;
        switch (Kind >= 0 ? Kind : Pick(kChanges)) {
            case 0:
                Obj->SetPointsExtA(0, PointExt(Coord(), Coord()));
                break;
            case 1:
                Obj->SetPointsExtA(Obj->Count() - 1, PointExt(Coord(), Coord()));
                break;
            case 2:
                if (auto* Polygon = dynamic_cast<TSchemePolygon*>(Obj)) {
                    if (Pick(2) && Polygon->Count() > 3)
                        Polygon->DeletePoint(Pick(Polygon->Count()));
                    else
                        Polygon->AddPointExt(PointExt(Coord(), Coord()));
                }
                break;
            case 3:
                Pen.SetWidth(1 + Pick(12));
                Obj->SetPen(Pen);
                break;
            case 4:
                Obj->SetText(Pick(2) ? QStringLiteral("caption %1").arg(Pick(99)) : QString());
                break;
            case 5:
                Obj->SetResized(!Obj->Resized());
                break;
            case 6:
                Obj->SetSelected(!Obj->Selected());
                break;
            case 7:
                Obj->SetVisible(!Obj->Visible());
                break;
            case 8:
                if (Pick(2))
                    Obj->Layer()->ExchangeUp(Obj->Id());
                else
                    Obj->Layer()->ExchangeDown(Obj->Id());
                break;
            case 9:
                Data().LayerExchange(1 + Pick(kLayers), 1 + Pick(kLayers));
                break;
            case 11:
                // A drag's small steps, which an object's place in the index may outlast.
                Obj->MoveToExt(PointExt(Obj->GetPointsExt(0).X + Pick(41) - 20,
                                        Obj->GetPointsExt(0).Y + Pick(41) - 20));
                break;
            case 10: {
                const int Layer = Obj->Layer()->ID();
                const int Id = Obj->Id();
                Data().ObjectDelete(Layer, Id);
                AddObject(Layer, Id);
                break;
            }
        }
    }

    // The answer of walking every layer from the top and every object of it from the top.
    TSchemeObject* Walked(Extended X, Extended Y) {
        for (int L = Data().LayerCount() - 1; L >= 0; --L) {
            TSchemeLayer* Layer = Data().GetLayerIndex(L);
            if (!Layer->Enabled() || !Layer->Visible()) continue;
            TSchemeObject* Obj = Layer->GetItemForPoint(X, Y, 0);
            if (Obj && Obj->Enabled() && Obj->Visible()) return Obj;
        }
        return nullptr;
    }

    QImage Painted(Extended Zoom, const TRect& Clip, bool Everything) {
        QImage Image(300, 300, QImage::Format_RGB32);
        Image.fill(Qt::white);
        QPainter Painter(&Image);
        TCanvas Canvas(&Painter);
        Canvas.SetWindowOrg(TPoint{Clip.Left, Clip.Top});
        Canvas.SetClipRect(Clip);
        if (Everything) {
            for (int L = 0; L < Data().LayerCount(); ++L)
                for (int I = 0; I < Data().GetLayerIndex(L)->Count(); ++I)
                    Data().GetLayerIndex(L)->GetItemIndex(I)->Paint(Zoom, Canvas, 0);
        } else {
            Data().PaintDirectInCanvas(Canvas, 0, 0, Zoom, 0);
        }
        return Image;
    }

    TSchemeData& Data() { return *FData; }
    // Replaces the document by one read from its text.
    void Reload() {
        QStringList Text;
        Data().SaveToStrings(Text);
        FData = std::make_unique<TSchemeData>();
        Data().LoadFromStrings(Text);
    }

    std::mt19937 Random{20261209};
    std::unique_ptr<TSchemeData> FData = std::make_unique<TSchemeData>();
};

TEST_F(SpatialIndexTest, HitTestsAnswerAsAWalkOverEveryObjectThroughRandomChanges) {
    int Hits = 0;
    for (int Round = 0; Round < 15; ++Round) {
        for (int I = 0; I < 25; ++I) RandomChange();
        for (int I = 0; I < 60; ++I) {
            const Extended X = Coord(), Y = Coord();
            TSchemeObject* Expected = Walked(X, Y);
            ASSERT_EQ(Data().ObjectForPoint(X, Y, 0), Expected)
                << "round " << Round << " at " << double(X) << ", " << double(Y);
            Hits += Expected != nullptr;
        }
    }
    EXPECT_GT(Hits, 300) << "the points should mostly land on objects";
}

// A loaded document builds its index from the areas noted as its objects joined, unless
// something changed after: whatever changed before the first hit test, the answers stay right.
TEST_F(SpatialIndexTest, HitTestsAfterALoadAnswerAsAWalkWhateverChangedBeforeTheFirst) {
    for (int Kind = -1; Kind < kChanges; ++Kind) {
        Reload();
        if (Kind >= 0)
            for (int I = 0; I < 5; ++I) RandomChange(Kind);
        for (int I = 0; I < 60; ++I) {
            const Extended X = Coord(), Y = Coord();
            ASSERT_EQ(Data().ObjectForPoint(X, Y, 0), Walked(X, Y)) << "change " << Kind;
        }
    }
}

TEST_F(SpatialIndexTest, PaintingThroughTheIndexGivesThePixelsOfPaintingEverything) {
    for (int Round = 0; Round < 6; ++Round) {
        for (int I = 0; I < 40; ++I) RandomChange();
        for (Extended Zoom : {0.5L, 1.0L, 2.5L}) {
            const int Left = Pick(int(kWorld * Zoom)), Top = Pick(int(kWorld * Zoom));
            const TRect Clip{Left, Top, Left + 300, Top + 300};
            ASSERT_EQ(Painted(Zoom, Clip, false), Painted(Zoom, Clip, true))
                << "round " << Round << " zoom " << double(Zoom);
        }
    }
}

}  // namespace
}  // namespace scheme::testing
