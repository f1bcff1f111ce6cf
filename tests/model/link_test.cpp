#include <gtest/gtest.h>

#include "fake_scheme_data.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_link.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;
using scheme::testing::Lines;

TEST(LinkRecord, BothSidesInLayersWriteSixLines) {
    TSchemeLayer Layer(2);
    auto* Parent = new TSchemeBox(1, 0, 0, 10, 10, 0);
    auto* Child = new TSchemeBox(2, 0, 0, 10, 10, 0);
    Layer.Add(Parent);
    Layer.Add(Child);
    TSchemeLink Link(Parent, -2, Child, 100);
    QStringList Strings;
    Link.SaveToStrings(Strings);
    EXPECT_EQ(Strings,
              Lines("  ParentLinkType=-2|  ParentId=1|  ParentLayerId=2|  ChildLinkType=100|"
                    "  ChildId=2|  ChildLayerId=2"));
}

TEST(LinkRecord, MissingSidesAndDisabledLinks) {
    TSchemeBox Free(5, 0, 0, 10, 10, 0);
    TSchemeLink Link(nullptr, 0, &Free, 1);
    Link.SetEnabled(false);
    QStringList Strings;
    Link.SaveToStrings(Strings);
    EXPECT_EQ(Strings, Lines("  Enabled=0|  ChildLinkType=1|  ChildId=5"));
}

TEST(LinkRecord, ReadsTypesAndFlagWithNoTypeByDefault) {
    QStringList Empty = Lines("ParentId=3");
    TSchemeLink Defaults(Empty);
    EXPECT_EQ(Defaults.ParentLinkType(), TSchemeLink::kNoType);
    EXPECT_EQ(Defaults.ChildLinkType(), -100);
    EXPECT_TRUE(Defaults.Enabled());
    EXPECT_EQ(Defaults.Parent(), nullptr);
    QStringList Full = Lines(" Enabled=0 |childlinktype=4|ParentLinkType=-1");
    TSchemeLink Link(Full);
    EXPECT_FALSE(Link.Enabled());
    EXPECT_EQ(Link.ParentLinkType(), -1);
    EXPECT_EQ(Link.ChildLinkType(), 4);
    QStringList Bad = Lines("ParentLinkType=top");
    EXPECT_THROW(TSchemeLink L(Bad), EConvertError);
}

TEST(LinkList, MovingLeavesAnEmptyEntryBehind) {
    TSchemeLinkList First, Second;
    auto* Link = new TSchemeLink(nullptr, 0, nullptr, 0);
    First.push_back(Link);
    Link->SetLinkList(&First);
    Link->SetLinkList(&First);
    EXPECT_EQ(First[0], Link);
    Second.push_back(Link);
    Link->SetLinkList(&Second);
    EXPECT_EQ(First, TSchemeLinkList{nullptr});
    EXPECT_EQ(Second[0], Link);
    delete Link;
    EXPECT_EQ(Second, TSchemeLinkList{nullptr});

    // Leaving at a known slot empties that slot; a wrong slot falls back to the search.
    auto* A = new TSchemeLink(nullptr, 0, nullptr, 0);
    auto* B = new TSchemeLink(nullptr, 0, nullptr, 0);
    TSchemeLinkList Third{A, B};
    A->SetLinkList(&Third);
    B->SetLinkList(&Third);
    B->LeaveListAt(0);
    EXPECT_EQ(Third, (TSchemeLinkList{A, nullptr}));
    EXPECT_EQ(B->LinkList(), nullptr);
    A->LeaveListAt(0);
    EXPECT_EQ(Third, (TSchemeLinkList{nullptr, nullptr}));
    delete A;
    delete B;
}
