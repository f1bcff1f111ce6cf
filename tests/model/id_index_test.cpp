// The Id table against a plain map: dense Ids (held in a direct array), scattered and negative
// ones (which move the table into its hash form), removals and changes in place.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "scheme/model/id_index.h"

using namespace scheme;

namespace {

struct TIdCase {
    const char* Name;
    int Lowest, Highest;  // the Ids drawn
};

class IdIndex : public ::testing::TestWithParam<TIdCase> {};

}  // namespace

TEST_P(IdIndex, AnswersAsAPlainMapDoes) {
    std::mt19937 Random(11);
    std::uniform_int_distribution<int> Ids(GetParam().Lowest, GetParam().Highest);
    TIdIndex Index;
    std::map<int, int> Expected;
    if (GetParam().Lowest < 0) Index.Reserve(100);
    for (int Step = 0; Step < 4000; ++Step) {
        const int Id = Ids(Random);
        switch (Random() % 4) {
            case 0:
            case 1: {
                int* Existing = nullptr;
                const bool Added = Index.Insert(Id, Step, &Existing);
                ASSERT_EQ(Added, !Expected.count(Id)) << Id;
                if (Added)
                    Expected[Id] = Step;
                else
                    EXPECT_EQ(*Existing, Expected[Id]);
                break;
            }
            case 2:
                Index.Erase(Id);
                Expected.erase(Id);
                break;
            default:
                if (int* Entry = Index.Entry(Id)) {
                    ASSERT_TRUE(Expected.count(Id)) << Id;
                    *Entry = Expected[Id] = Step + 1;
                } else {
                    EXPECT_FALSE(Expected.count(Id)) << Id;
                }
        }
        ASSERT_EQ(Index.Size(), int(Expected.size()));
    }
    for (int Id = GetParam().Lowest; Id <= GetParam().Highest; ++Id) {
        const auto It = Expected.find(Id);
        EXPECT_EQ(Index.Find(Id), It == Expected.end() ? -1 : It->second) << Id;
        if (Id - GetParam().Lowest > 5000) break;
    }
    Index.Clear();
    EXPECT_EQ(Index.Find(GetParam().Lowest), -1);
    EXPECT_EQ(Index.Size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Ids, IdIndex,
                         ::testing::Values(TIdCase{"Dense", 0, 300},
                                           TIdCase{"Scattered", 0, 2000000000},
                                           TIdCase{"Negative", -200, 200}),
                         [](const auto& Info) { return std::string(Info.param.Name); });
