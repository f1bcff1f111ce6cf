// Every road by which an object or layer leaves a document takes its links with it, and every
// operation that would give an item a second owner refuses it, leaving it with its caller.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "fake_visual.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;
using scheme::testing::FakeVisual;

namespace {

// Layers 1 and 2 with A, B (layer 1) and C, D (layer 2); links A-C, C-A, B-D and D-B.
struct Owned : ::testing::Test {
    Owned() {
        Data.SetTimerInterval(0);
        Data.LayerAdd(1);
        Data.LayerAdd(2);
        A = Add(1, 1, 0);
        B = Add(1, 2, 20);
        C = Add(2, 3, 40);
        D = Add(2, 4, 60);
        Data.LinkAdd(A, -1, C, -1);
        Data.LinkAdd(C, -1, A, -1);
        Data.LinkAdd(B, -1, D, -1);
        Data.LinkAdd(D, -1, B, -1);
    }

    TSchemeObject* Add(int Layer, int Id, Extended X) {
        return Data.ObjectAddShapeExt(Layer, Id, X, 0, 10, 10, 0, TShapeType::stRectangle);
    }
    // The objects that some link of the document names.
    std::set<TSchemeObject*> Linked() const {
        std::set<TSchemeObject*> Objects;
        for (int I = 0; I < Data.LinkCount(); ++I)
            if (TSchemeLink* Link = Data.GetLink(I))
                Objects.insert({Link->Parent(), Link->Child()});
        return Objects;
    }

    TSchemeData Data;
    TSchemeObject *A, *B, *C, *D;
};

struct Road {
    const char* Name;
    // Takes A out of the document (and maybe more); answers what the caller now owns.
    std::function<std::unique_ptr<TSchemePersistent>(Owned&)> Take;
    bool LayerGoes;  // A's whole layer (with B) leaves
};

const Road kRoads[] = {
    {"Destroyed",
     [](Owned& T) {
         delete T.A;
         return nullptr;
     },
     false},
    {"ObjectDelete",
     [](Owned& T) {
         T.Data.ObjectDelete(1, 1);
         return nullptr;
     },
     false},
    {"LayerDeleteById",
     [](Owned& T) {
         T.Data.GetLayer(1)->Delete(1);
         return nullptr;
     },
     false},
    {"SetItem",
     [](Owned& T) {
         return std::unique_ptr<TSchemePersistent>(
             T.Data.GetLayer(1)->SetItem(1, new TSchemeBox(9, 0, 0, 5, 5, 0)));
     },
     false},
    {"SetItemIndex",
     [](Owned& T) {
         return std::unique_ptr<TSchemePersistent>(
             T.Data.GetLayer(1)->SetItemIndex(0, new TSchemeBox(9, 0, 0, 5, 5, 0)));
     },
     false},
    {"LayerClearObjects",
     [](Owned& T) {
         T.Data.GetLayer(1)->Clear();
         return nullptr;
     },
     true},
    {"LayerDelete",
     [](Owned& T) {
         T.Data.LayerDelete(1);
         return nullptr;
     },
     true},
    {"LayerDestroyed",
     [](Owned& T) {
         delete T.Data.GetLayer(1);
         return nullptr;
     },
     true},
    {"SetLayer",
     [](Owned& T) {
         return std::unique_ptr<TSchemePersistent>(T.Data.SetLayer(1, new TSchemeLayer(5)));
     },
     true},
    {"SetLayerIndex",
     [](Owned& T) {
         return std::unique_ptr<TSchemePersistent>(T.Data.SetLayerIndex(0, new TSchemeLayer(5)));
     },
     true},
};

class Roads : public Owned, public ::testing::WithParamInterface<Road> {};

}  // namespace

TEST_P(Roads, LeaveNoLinkToTheDepartedAndTheRestWorks) {
    TSchemeObject* Stays = D;
    const std::unique_ptr<TSchemePersistent> Released = GetParam().Take(*this);
    const std::set<TSchemeObject*> Named = Linked();
    EXPECT_EQ(Named.count(A), 0u);
    EXPECT_EQ(Named.count(B), GetParam().LayerGoes ? 0u : 1u);
    EXPECT_EQ(Data.LinkCount(), 4);  // slots stay, emptied
    // Moving what stays, and saving, touch nothing that has gone (the sanitizer build checks).
    Stays->MoveToExt(PointExt(100, 100));
    C->MoveToExt(PointExt(200, 100));
    QStringList Text;
    Data.SaveToStrings(Text);
    TSchemeData Again;
    Again.SetTimerInterval(0);
    EXPECT_NO_THROW(Again.LoadFromStrings(Text));
}

INSTANTIATE_TEST_SUITE_P(EveryRoad, Roads, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<Road>& Info) {
                             return std::string(Info.param.Name);
                         });

TEST_F(Owned, ItemsOfAnotherOwnerAreRefusedAndStayWithIt) {
    TSchemeData Other;
    Other.SetTimerInterval(0);
    TSchemeLayer* Foreign = Other.LayerAdd(7);
    TSchemeObject* Stranger = Other.ObjectAddShapeExt(7, 1, 0, 0, 10, 10, 0, TShapeType::stCircle);
    TSchemeLayer* Layer1 = Data.GetLayer(1);
    const auto Refusable = std::make_unique<TSchemeLink>(Stranger, -1, A, -1);
    const std::function<void()> Refused[] = {
        [&] { Layer1->Add(C); },
        [&] { Layer1->SetItem(2, C); },
        [&] { Layer1->SetItemIndex(1, Stranger); },
        [&] { Data.ObjectAddDirect(1, Stranger); },
        [&] { Data.LayerAddDirect(Foreign); },
        [&] { Data.LayerAddDirect(Layer1); },
        [&] { Data.SetLayer(2, Layer1); },
        [&] { Data.SetLayerIndex(1, Foreign); },
        [&] { Data.LinkAdd(A, -1, Stranger, -1); },
        [&] { Data.LinkAdd(Stranger, -1, nullptr, -1); },
        [&] { Data.SetLink(0, Refusable.get()); },
        [&] { Data.LinkAddDirect(Data.GetLink(1)); },
    };
    QStringList Before;
    Data.SaveToStrings(Before);
    for (size_t I = 0; I < std::size(Refused); ++I) {
        EXPECT_THROW(Refused[I](), ESchemeErrorException) << I;
        QStringList After;
        Data.SaveToStrings(After);
        EXPECT_EQ(After, Before) << I;
    }
    EXPECT_EQ(Stranger->Layer(), Foreign);
    EXPECT_EQ(C->Layer(), Data.GetLayer(2));
    EXPECT_EQ(Data.GetLayerIndex(0), Layer1);
    EXPECT_EQ(Foreign->SchemeData(), &Other);
    EXPECT_EQ(Refusable->LinkList(), nullptr);
    EXPECT_EQ(Data.LinkCount(), 4);
}

TEST_F(Owned, LinksInADocumentKeepTheirObjects) {
    EXPECT_THROW(Data.GetLink(0)->SetChild(B), ESchemeErrorException);
    TSchemeLink Free(nullptr, -1, nullptr, -1);
    Free.SetParent(A);  // a link in no list may be set up freely
    EXPECT_EQ(Free.Parent(), A);
}

TEST(ErrorHandler, AnErrorRaisedByOnDestroyReachesItAndTheProgramGoesOn) {
    std::vector<QString> Seen;
    const TExceptionHandler Previous = SetExceptionHandler(
        [&](const std::exception& E) { Seen.push_back(QString::fromUtf8(E.what())); });
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.LayerAdd(1);
    TSchemeObject* Obj = Data.ObjectAddShapeExt(1, 1, 0, 0, 10, 10, 0, TShapeType::stCircle);
    TSchemeObject* Other = Data.ObjectAddShapeExt(1, 2, 0, 0, 10, 10, 0, TShapeType::stCircle);
    Data.LinkAdd(Obj, -1, Other, -1);
    Obj->OnDestroy = [](TObject*) { RaiseError(QStringLiteral("refused to go")); };
    Data.ObjectDelete(1, 1);
    SetExceptionHandler(Previous);
    EXPECT_EQ(Seen, std::vector<QString>{QStringLiteral("refused to go")});
    EXPECT_EQ(Data.GetLayer(1)->Count(), 1);
    EXPECT_EQ(Data.GetLink(0), nullptr);
}

// A pass asked for from inside a pass (an interval of 0 set by a paint handler) runs after it;
// a view unregistered during a pass is not painted afterwards.
TEST(BlinkPass, NeverRunsInsideAnotherAndSkipsViewsThatLeft) {
    FakeVisual First, Second;  // outlive the document, as views unregister when they go
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.AddSchemeVisualLink(&First);
    Data.AddSchemeVisualLink(&Second);
    Data.LayerAdd(1);
    Data.ObjectAddShapeExt(1, 1, 0, 0, 10, 10, 0, TShapeType::stCircle)->SetSelected(true);
    int Depth = 0, Deepest = 0, Passes = 0;
    Data.SetDefaultDrawing(false);
    Data.OnObjectPaint = [&](TObject*, TObject* View, TSchemeObject*, Extended, TCanvas&, int) {
        Deepest = std::max(Deepest, ++Depth);
        if (View == &First && ++Passes == 1) {
            Data.SetTimerInterval(0);
            Data.RemoveSchemeVisualLink(&Second);
        }
        --Depth;
    };
    Data.Timer();
    EXPECT_EQ(Deepest, 1);
    EXPECT_EQ(Passes, 2);
    EXPECT_EQ(Second.CanvasRequests, 0);
}

// In update mode the repaint waits, but links still carry moves and leave with their objects.
TEST_F(Owned, UpdateModeKeepsTheBooks) {
    FakeVisual View;
    Data.AddSchemeVisualLink(&View);
    Data.BeginUpdate();
    A->MoveToExt(PointExt(300, 300));
    delete B;
    Data.EndUpdate();
    Data.RemoveSchemeVisualLink(&View);
    EXPECT_TRUE(View.Invalid.isEmpty());
    EXPECT_EQ(C->GetPointsExt(0), PointExt(340, 300));
    EXPECT_EQ(Linked().count(B), 0u);
}

// Events handled during a load may delete what the load placed; the load then fails cleanly
// on the link that names it.
TEST_F(Owned, ObjectsDeletedDuringALoadAreNotTouchedAgain) {
    QStringList Text;
    Data.SaveToStrings(Text);
    const int FirstLink = int(Text.indexOf(QStringLiteral("TSchemeLink")));
    TSchemeData Again;
    Again.SetTimerInterval(0);
    Again.OnLoadingProgress = [&](TObject*, QStringList&, int I) {
        if (I == FirstLink) Again.ObjectDelete(1, 1);
    };
    EXPECT_THROW(Again.LoadFromStrings(Text), ESchemeErrorException);
    EXPECT_EQ(Again.GetLayer(1)->Count(), 1);
}
