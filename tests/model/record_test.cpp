#include <gtest/gtest.h>

#include "fake_scheme_data.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/exceptions.h"
#include "test_kinds.h"

using namespace scheme;
using scheme::testing::Lines;
using scheme::testing::PointsObject;

namespace {

QStringList Saved(const TSchemeObject& Obj) {
    QStringList Strings;
    Obj.SaveToStrings(Strings);
    return Strings;
}

}  // namespace

TEST(ObjectRecord, FreshObjectWritesOnlyIdStateAndPoints) {
    PointsObject Obj(3, 1, {PointExt(1.5, 2), PointExt(-4, 1e20L)});
    EXPECT_EQ(Saved(Obj), Lines("  ID=3|  State=1|  Count=2|  X0=1.5|  Y0=2|  X1=-4|  Y1=1E20"));
}

TEST(ObjectRecord, WritesChangedSettingsInTheirFixedOrder) {
    PointsObject Obj(1, 0, {PointExt(0, 0)});
    Obj.SetVisible(false);
    Obj.SetEnabled(false);
    Obj.SetFullRepaintIfMoved(false);
    Obj.SetStateColorSupport(false);
    Obj.SetText(QStringLiteral("a\r\nb\nc\rd"));
    Obj.SetTextPoint(PointExt(5, 6));
    Obj.Brush()->SetColor(clRed);
    Obj.Brush()->SetStyle(TBrushStyle::bsCross);
    Obj.SelectedBrush()->SetColor(clBtnFace);
    Obj.Pen()->SetWidth(3);
    Obj.SelectedPen()->SetStyle(TPenStyle::psDot);
    Obj.SetProperties(QStringList{QStringLiteral("k=v"), QStringLiteral("End")});
    EXPECT_EQ(Saved(Obj),
              Lines("  ID=1|  State=0|  Visible=0|  Enabled=0|  FullRepaintIfMoved=0|"
                    "  StateColorSupport=0|  Text=a#b#c#d|  TextPoint.X=5|  TextPoint.Y=6|"
                    "  Brush.Color=clRed|  Brush.Style=6|  SelectedBrush.Color=clBtnFace|"
                    "  Pen.Width=3|  SelectedPen.Style=2|  Count=1|  X0=0|  Y0=0|"
                    "  Properties=>|    k=v|    End|  PropertiesEnd=>"));
}

TEST(ObjectRecord, RoundTripKeepsEverythingTheRecordCarries) {
    PointsObject Obj(9, 4, {PointExt(10.25, -3), PointExt(7, 8)});
    Obj.SetText(QStringLiteral("  two\rlines  "));
    Obj.SetTextPoint(PointExt(1, 2));
    Obj.Pen()->SetColor(0x00123456);
    Obj.SetEnabled(false);
    Obj.SetProperties(QStringList{QStringLiteral("Owner=pump"), QStringLiteral("x")});
    QStringList Strings = Saved(Obj);
    PointsObject Back(Strings);
    Obj.SetText(Back.Text());
    EXPECT_EQ(Saved(Back), Saved(Obj));
    EXPECT_EQ(Back.Text(), QStringLiteral("  two\rlines"));  // lines are trimmed on reading
    EXPECT_EQ(Back.Pen()->Color(), 0x00123456);
    EXPECT_FALSE(Back.Enabled());
}

TEST(ObjectRecord, BlankTextIsNotWritten) {
    PointsObject Obj(1, 0, {});
    Obj.SetText(QStringLiteral(" \t "));
    EXPECT_EQ(Saved(Obj), Lines("  ID=1|  State=0"));
}

TEST(ObjectRecord, FlagsReadTrueOnlyForOne) {
    QStringList Strings = Lines("ID=1|State=2|Visible=2|Enabled=1|StateColorSupport=0");
    PointsObject Obj(Strings);
    EXPECT_FALSE(Obj.Visible());
    EXPECT_TRUE(Obj.Enabled());
    EXPECT_FALSE(Obj.StateColorSupport());
    EXPECT_TRUE(Obj.FullRepaintIfMoved());
}

TEST(ObjectRecord, ReadingTrimsTheCallersLines) {
    QStringList Strings = Lines("  ID=4 |\tState=1\r");
    PointsObject Obj(Strings);
    EXPECT_EQ(Strings, Lines("ID=4|State=1"));
    EXPECT_EQ(Obj.Id(), 4);
}

TEST(ObjectRecord, HashesInTextComeBackAsLineBreaks) {
    QStringList Strings = Lines("ID=1|State=0|Text=a#b");
    EXPECT_EQ(PointsObject(Strings).Text(), QStringLiteral("a\rb"));
}

TEST(ObjectRecord, WithoutPointsTheCaptionAnchorIsTheOrigin) {
    QStringList Strings = Lines("ID=1|State=0|Count=0|TextPoint.X=5|TextPoint.Y=6");
    PointsObject Obj(Strings);
    EXPECT_EQ(Obj.Count(), 0);
    EXPECT_EQ(Obj.TextPoint(), PointExt(0, 0));
}

TEST(ObjectRecord, CaptionAnchorDefaultsToPointZero) {
    QStringList Strings = Lines("ID=1|State=0|Count=1|X0=3|Y0=4|TextPoint.Y=9");
    EXPECT_EQ(PointsObject(Strings).TextPoint(), PointExt(3, 9));
}

TEST(ObjectRecord, BaseLinesComeBeforeProperties) {
    // A property line named like a base key only fills in when the base line is missing.
    QStringList Strings = Lines("ID=1|State=0|Properties=>|ID=7|Text=x|PropertiesEnd=>");
    PointsObject Obj(Strings);
    EXPECT_EQ(Obj.Id(), 1);
    EXPECT_EQ(Obj.Text(), QStringLiteral("x"));
    EXPECT_EQ(Obj.Properties()->Lines(), Lines("ID=7|Text=x"));
}

TEST(ObjectRecord, PropertiesNeedAnEndAfterTheirStart) {
    QStringList Missing = Lines("ID=1|State=0|Properties=>|a=1");
    EXPECT_EQ(PointsObject(Missing).Properties()->Count(), 0);
    QStringList Reversed = Lines("ID=1|State=0|PropertiesEnd=>|a=1|Properties=>");
    EXPECT_EQ(PointsObject(Reversed).Properties()->Count(), 0);
}

TEST(ObjectRecord, BadValuesRaiseConversionErrors) {
    for (const char* Bad :
         {"State=0", "ID=x|State=0", "ID=1|State=0|Visible=yes", "ID=1|State=0|Pen.Color=clPink",
          "ID=1|State=0|Count=1|X0=1", "ID=1|State=0|Count=1|X0=1|Y0=nan",
          "ID=1|State=0|Count=2|X0=1|Y0=1", "ID=1|State=0|Count=x"}) {
        QStringList Strings = Lines(Bad);
        EXPECT_THROW(PointsObject Obj(Strings), EConvertError) << Bad;
    }
}

TEST(ObjectRecord, NegativeOrHugeCountsAreRejectedCleanly) {
    QStringList Negative = Lines("ID=1|State=0|Count=-5");
    EXPECT_THROW(PointsObject Obj(Negative), ESchemeErrorException);
    QStringList Huge = Lines("ID=1|State=0|Count=2000000000|X0=1|Y0=2");
    EXPECT_THROW(PointsObject Obj(Huge), EConvertError);  // fails at X1, allocates nothing big
}

TEST(ObjectRecord, CommaDecimalsReadAndDotsAreWritten) {
    QStringList Strings = Lines("ID=1|State=0|Count=1|X0=1,5|Y0=-2,25");
    PointsObject Obj(Strings);
    EXPECT_EQ(Obj.GetPointsExt(0), PointExt(1.5, -2.25));
    EXPECT_EQ(Saved(Obj), Lines("  ID=1|  State=0|  Count=1|  X0=1.5|  Y0=-2.25"));
}

TEST(ObjectRecord, LayerIdIsWrittenInsideALayer) {
    TSchemeLayer Layer(12);
    auto* Obj = new PointsObject(1, 0, {});
    Layer.Add(Obj);
    EXPECT_EQ(Saved(*Obj), Lines("  ID=1|  State=0|  LayerID=12"));
}
