#include <gtest/gtest.h>

#include <algorithm>

#include "fake_scheme_data.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;
using scheme::testing::FakeSchemeData;
using scheme::testing::Lines;

namespace {

TSchemeBox* BoxAt(int Id, Extended X, Extended Y = 0) {
    return new TSchemeBox(Id, X, Y, 10, 10, 0);
}

struct LayerWithBoxes : ::testing::Test {
    LayerWithBoxes() {
        Layer.SetSchemeData(&Data);
        Layer.OnChange = [this](TObject* Sender) {
            EXPECT_EQ(Sender, &Layer);
            ++Changes;
        };
        for (int Id : {5, 1, 3}) Layer.Add(BoxAt(Id, Id * 20));
        Data.Reset();
        Changes = 0;
    }
    FakeSchemeData Data;
    TSchemeLayer Layer{7};
    int Changes = 0;
};

}  // namespace

TEST_F(LayerWithBoxes, FindsObjectsByIdSortedOrNot) {
    EXPECT_EQ(Layer.GetListIndex(3), 2);
    Layer.Sort();
    EXPECT_TRUE(Layer.Sorted());
    EXPECT_EQ(Layer.GetListIndex(3), 1);
    EXPECT_EQ(Layer.GetItemIndex(0)->Id(), 1);
    Layer.Add(BoxAt(0, 0));  // appended out of order
    EXPECT_FALSE(Layer.Sorted());
    EXPECT_EQ(Layer.GetItem(0)->Id(), 0);
    EXPECT_THROW(Layer.GetItem(42), ESchemeErrorException);
}

TEST_F(LayerWithBoxes, BinarySearchMissFallsBackToTheLinearSearch) {
    Layer.Sort();
    Layer.GetItem(1)->SetId(9);  // now out of order while Sorted stays true
    EXPECT_EQ(Layer.GetItem(9)->Id(), 9);
    EXPECT_EQ(Layer.GetListIndex(3), 1);
    try {
        Layer.GetListIndex(2);
        FAIL();
    } catch (const ESchemeErrorException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("TSchemeLayer : Index not found!"));
    }
}

TEST_F(LayerWithBoxes, HitTestFindsTheTopmostEnabledObject) {
    Layer.Add(BoxAt(8, 25));  // overlaps box 1 (20..30)
    EXPECT_EQ(Layer.GetItemForPoint(27, 5, 0)->Id(), 8);
    Layer.GetItem(8)->SetEnabled(false);
    EXPECT_EQ(Layer.GetItemForPoint(27, 5, 0)->Id(), 1);
    Layer.GetItem(1)->SetVisible(false);  // visibility is not consulted
    EXPECT_EQ(Layer.GetItemForPoint(27, 5, 0)->Id(), 1);
    EXPECT_EQ(Layer.GetItemForPoint(500, 500, 0), nullptr);
}

TEST_F(LayerWithBoxes, ExchangesMoveObjectsInDrawingOrder) {
    Layer.Sort();
    Layer.ExchangeUp(1);
    EXPECT_EQ(Layer.GetItemIndex(1)->Id(), 1);
    EXPECT_FALSE(Layer.Sorted());
    EXPECT_EQ(Changes, 1);
    Layer.ExchangeUp(5);    // already last
    Layer.ExchangeDown(3);  // now first
    EXPECT_EQ(Changes, 1);
    Layer.ExchangeDown(1);
    EXPECT_EQ(Layer.GetItemIndex(0)->Id(), 1);
    // Lookups by Id follow every exchange.
    for (int I = 0; I < Layer.Count(); ++I)
        EXPECT_EQ(Layer.GetItem(Layer.GetItemIndex(I)->Id()), Layer.GetItemIndex(I));
    EXPECT_EQ(Layer.GetListIndex(1), 0);
    EXPECT_THROW(Layer.ExchangeUp(77), ESchemeErrorException);
}

TEST_F(LayerWithBoxes, DeleteAndClearFreeObjectsAndTellTheDocument) {
    Layer.Delete(1);
    EXPECT_EQ(Layer.Count(), 2);
    EXPECT_EQ(Data.Deleted.size(), 1u);
    EXPECT_EQ(Changes, 1);
    Layer.Clear();
    EXPECT_EQ(Layer.Count(), 0);
    EXPECT_EQ(Data.Deleted.size(), 3u);
    EXPECT_EQ(Changes, 2);
}

TEST_F(LayerWithBoxes, RefusesAnObjectThatAlreadyHasALayer) {
    TSchemeObject* Obj = Layer.GetItem(5);
    EXPECT_THROW(Layer.Add(Obj), ESchemeErrorException);
    TSchemeLayer Other(2);
    EXPECT_THROW(Other.Add(Obj), ESchemeErrorException);
    EXPECT_EQ(Layer.Count(), 3);
    EXPECT_EQ(Obj->Layer(), &Layer);
}

TEST_F(LayerWithBoxes, ReplacingASlotReleasesTheOldObject) {
    TSchemeObject* Replaced = Layer.GetItem(3);
    const int ChangesBefore = Changes;
    std::unique_ptr<TSchemeObject> Old(Layer.SetItem(3, BoxAt(4, 0)));
    EXPECT_EQ(Old.get(), Replaced);
    EXPECT_EQ(Changes, ChangesBefore + 1);
    EXPECT_EQ(Data.NoticesOf(TSchemeNoticeKind::Leaving, Replaced), 1);
    EXPECT_EQ(Layer.GetItem(4), Layer.GetItemIndex(2));
    EXPECT_THROW(Layer.GetItem(3), ESchemeErrorException);
    EXPECT_EQ(Old->Layer(), nullptr);
    EXPECT_EQ(Layer.GetItemIndex(2)->Id(), 4);
    EXPECT_THROW(Layer.SetItemIndex(0, Layer.GetItemIndex(1)), ESchemeErrorException);
    std::unique_ptr<TSchemeObject> Refused(BoxAt(9, 0));
    EXPECT_THROW(Layer.SetItemIndex(3, Refused.get()), EListError);
    EXPECT_EQ(Refused->Layer(), nullptr);
}

TEST_F(LayerWithBoxes, MaxIdAndStateCounts) {
    EXPECT_EQ(Layer.GetObjectMaxId(), 5);
    Layer.GetItem(1)->SetState(2);
    EXPECT_EQ(Layer.GetObjectCountForState(0), 2);
    EXPECT_EQ(Layer.GetObjectCountForState(2), 1);
    TSchemeLayer Empty(1);
    EXPECT_EQ(Empty.GetObjectMaxId(), 0);
    Empty.Add(BoxAt(-40000, 0));
    EXPECT_EQ(Empty.GetObjectMaxId(), -32000);
}

TEST_F(LayerWithBoxes, VisibilityRepaintsTheViewsOnceInsteadOfEachObject) {
    Layer.SetVisible(false);
    EXPECT_EQ(Data.FullRepaints, std::vector<bool>{true});
    EXPECT_TRUE(Data.Repaints.empty());
    EXPECT_EQ(Changes, 1);
    Layer.SetVisible(false);
    EXPECT_EQ(Changes, 1);
}

TEST_F(LayerWithBoxes, SettingsRepaintEveryObject) {
    Layer.SetSelectedColor(clRed);
    EXPECT_EQ(Data.Repaints.size(), 3u);
    Layer.SetSelectedColor(clRed);
    EXPECT_EQ(Data.Repaints.size(), 3u);
    Layer.SelectAllObjects(true);
    EXPECT_TRUE(Layer.GetItem(3)->Selected());
}

TEST(LayerColours, StateColoursPadAndIgnoreBadStates) {
    TSchemeLayer Layer(1);
    TColor Out[5] = {7, 7, 7, 7, 7};
    Layer.GetAllStateColors(Out);
    EXPECT_EQ(Out[0], 7);  // untouched without state colours
    const TColor Colors[] = {clRed, clLime, clBlue};
    Layer.SetAllStateColors(Colors);
    Layer.GetAllStateColors(Out);
    EXPECT_EQ((std::vector<TColor>(Out, Out + 5)),
              (std::vector<TColor>{clRed, clLime, clBlue, 0, 0}));
    EXPECT_EQ(Layer.GetStateColor(5), 0);
    EXPECT_EQ(Layer.GetStateColor(-1), 0);
    int Changes = 0;
    Layer.OnChange = [&](TObject*) { ++Changes; };
    Layer.SetStateColor(3, clYellow);
    EXPECT_EQ(Changes, 0);
    Layer.SetStateColor(1, clYellow);
    Layer.SetAllStateColorsToColor(clGray);
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(Layer.GetStateColor(2), clGray);
}

TEST(LayerRecord, DefaultsWriteOnlyIdAndStateCount) {
    TSchemeLayer Layer(3);
    QStringList Strings;
    Layer.SaveToStrings(Strings);
    EXPECT_EQ(Strings, Lines("  ID=3|  StateCount=0"));
}

TEST(LayerRecord, RoundTripsEverySetting) {
    TSchemeLayer Layer(4);
    Layer.SetVisible(false);
    Layer.SetEnabled(false);
    Layer.SetMinZoomForText(0.5);
    Layer.SetSelectedColor(clFuchsia);
    const TColor Colors[] = {clRed, 0x00102030};
    Layer.SetAllStateColors(Colors);
    QStringList Strings;
    Layer.SaveToStrings(Strings);
    EXPECT_EQ(Strings,
              Lines("  ID=4|  Visible=0|  Enabled=0|  MinZoomForText=0.5|  SelectedColor=clFuchsia|"
                    "  StateCount=2|  Color0=clRed|  Color1=$00102030"));
    QStringList Read = Strings;
    TSchemeLayer Back(Read);
    QStringList Again;
    Back.SaveToStrings(Again);
    EXPECT_EQ(Again, Strings);
}

TEST(LayerRecord, BadRecordsRaise) {
    for (const char* Bad : {"StateCount=0", "ID=1|StateCount=x", "ID=1|StateCount=2|Color0=clRed",
                            "ID=1|StateCount=1|Color0=clPink"}) {
        QStringList Strings = Lines(Bad);
        EXPECT_THROW(TSchemeLayer Layer(Strings), EConvertError) << Bad;
    }
    QStringList Negative = Lines("ID=1|StateCount=-1");
    EXPECT_THROW(TSchemeLayer Layer(Negative), ESchemeErrorException);
}

TEST_F(LayerWithBoxes, LookupsFollowIdChangesAppendsAndRemovals) {
    EXPECT_EQ(Layer.GetListIndex(3), 2);
    Layer.GetItem(3)->SetId(30);
    EXPECT_THROW(Layer.GetItem(3), ESchemeErrorException);
    EXPECT_EQ(Layer.GetListIndex(30), 2);
    Layer.Add(BoxAt(5, 0));  // a second 5: the first keeps answering
    EXPECT_EQ(Layer.GetListIndex(5), 0);
    Layer.Delete(5);
    EXPECT_EQ(Layer.GetListIndex(5), 2);
    EXPECT_EQ(Layer.GetListIndex(30), 1);
}

namespace {

// A layer of objects sharing few Ids, with the list it should hold kept beside it.
struct SharedIds : ::testing::Test {
    SharedIds() {
        Layer.SetSchemeData(&Data);
        for (int I = 0; I < 40; ++I) AddBox(I % 4);
        Layer.GetItem(0);  // the table is built once here
        Rebuilds = Layer.IdIndexRebuilds();
    }
    void AddBox(int Id) {
        Expected.push_back(BoxAt(Id, Extended(Expected.size())));
        Layer.Add(Expected.back());
    }
    // Every lookup answers as a walk over the expected list would.
    void ExpectLookupsAsTheList() {
        ASSERT_EQ(Layer.Count(), int(Expected.size()));
        for (int I = 0; I < Layer.Count(); ++I) {
            EXPECT_EQ(Layer.GetItemIndex(I), Expected[size_t(I)]) << I;
            EXPECT_EQ(Layer.PositionOf(Expected[size_t(I)]), I);
        }
        for (int Id = 0; Id < 6; ++Id) {
            const auto First = std::find_if(Expected.begin(), Expected.end(),
                                            [Id](const TSchemeObject* O) { return O->Id() == Id; });
            if (First == Expected.end()) {
                EXPECT_THROW(Layer.GetItem(Id), ESchemeErrorException) << Id;
            } else {
                EXPECT_EQ(Layer.GetItem(Id), *First) << Id;
                EXPECT_EQ(Layer.GetListIndex(Id), First - Expected.begin()) << Id;
            }
        }
    }
    FakeSchemeData Data;
    TSchemeLayer Layer{1};
    std::vector<TSchemeObject*> Expected;
    int Rebuilds = 0;
};

}  // namespace

TEST_F(SharedIds, RemovalsExchangesAndIdChangesKeepTheTableWithoutRebuilding) {
    // Deleting by Id takes the first of its Id; the next one answers from then on.
    Layer.Delete(1);
    EXPECT_EQ(Data.Notices.back().Kind, TSchemeNoticeKind::Leaving);
    EXPECT_EQ(Data.Notices.back().From, 1);
    Expected.erase(Expected.begin() + 1);
    ExpectLookupsAsTheList();
    // Objects freed in the middle leave empty slots behind them.
    for (int Index : {20, 7, 30}) {
        TSchemeObject* Obj = Expected[size_t(Index)];
        delete Obj;
        EXPECT_EQ(Data.Notices.back().From, Index);
        Expected.erase(Expected.begin() + Index);
        ExpectLookupsAsTheList();
    }
    Layer.ExchangeIndex(0, 9);
    std::swap(Expected[0], Expected[9]);
    ExpectLookupsAsTheList();
    Layer.ExchangeUp(2);
    const auto Two = size_t(std::find_if(Expected.begin(), Expected.end(),
                                         [](const TSchemeObject* O) { return O->Id() == 2; }) -
                            Expected.begin());
    std::swap(Expected[Two], Expected[Two + 1]);
    ExpectLookupsAsTheList();
    Expected[3]->SetId(5);
    Expected[12]->SetId(0);
    ExpectLookupsAsTheList();
    TSchemeObject* Old = Layer.SetItemIndex(4, BoxAt(4, 0));
    delete Old;
    Expected[4] = Layer.GetItemIndex(4);
    ExpectLookupsAsTheList();
    EXPECT_EQ(Layer.IdIndexRebuilds(), Rebuilds);
    // Inserting in the middle moves every later object: the table is built anew, once.
    Expected.insert(Expected.begin() + 3, BoxAt(3, 0));
    Layer.Insert(3, Expected[3]);
    ExpectLookupsAsTheList();
    EXPECT_EQ(Layer.IdIndexRebuilds(), Rebuilds + 1);
}

// 100,000 objects may share one Id; freeing them, from the last or from the first, must not
// look at the whole list for each.
TEST(SharedIdsAtScale, ClearingAndDeletingFromTheFrontRebuildNoTable) {
    constexpr int kObjects = 20000;
    FakeSchemeData Data;
    TSchemeLayer Layer{1};
    Layer.SetSchemeData(&Data);
    for (int I = 0; I < kObjects; ++I) Layer.Add(BoxAt(7, I));
    Layer.Delete(7);
    // Squeezing out the empty slots moves the shared slots in the table: it is never rebuilt.
    for (int I = 1; I < kObjects / 2; ++I) {
        TSchemeObject* First = Layer.GetItemIndex(0);
        Layer.Delete(7);
        ASSERT_EQ(Data.Deleted.back(), First);
        ASSERT_EQ(Data.Notices.back().From, 0);
    }
    EXPECT_EQ(Layer.IdIndexRebuilds(), 0);
    Layer.Clear();
    EXPECT_EQ(Layer.Count(), 0);
    EXPECT_EQ(Layer.IdIndexRebuilds(), 0);
    EXPECT_EQ(int(Data.Deleted.size()), kObjects);
}

// Deleting by Id and adding back keeps the layer's size while its empty slots pile up and are
// squeezed out, again and again: the Id table follows every squeeze without being rebuilt, and
// answers as the list does.
TEST(IdTableAtScale, SqueezingKeepsTheTable) {
    constexpr int kObjects = 2000;
    FakeSchemeData Data;
    TSchemeLayer Layer{1};
    Layer.SetSchemeData(&Data);
    std::vector<int> Ids;
    for (int Id = 0; Id < kObjects; ++Id) {
        Layer.Add(BoxAt(Id, Id));
        Ids.push_back(Id);
    }
    for (int I = 0; I < 5 * kObjects; ++I) {
        const int Id = (I * 7919) % kObjects;
        Layer.Delete(Id);
        Layer.Add(BoxAt(Id, Id));
        Ids.erase(std::find(Ids.begin(), Ids.end(), Id));
        Ids.push_back(Id);
    }
    EXPECT_EQ(Layer.IdIndexRebuilds(), 0);
    for (int Position = 0; Position < kObjects; ++Position) {
        const int Id = Ids[size_t(Position)];
        ASSERT_EQ(Layer.GetListIndex(Id), Position) << Id;
        ASSERT_EQ(Layer.GetItemIndex(Position)->Id(), Id);
    }
}
