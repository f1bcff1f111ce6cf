#include <gtest/gtest.h>

#include "qt_printers.h"

#include <QLocale>
#include <cmath>
#include <limits>

#include "scheme/platform/color.h"
#include "scheme/platform/convert.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/types.h"

using namespace scheme;

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(PointExt2Point(PointExt(2.5, -3.5)), Point(2, -4));
    EXPECT_EQ(PointExt2Point(PointExt(3.5, -2.5)), Point(4, -2));
    EXPECT_EQ(PointExt2Point(PointExt(2.5000001, -0.4999)), Point(3, 0));
    EXPECT_EQ(Round(0.5), 0);
    EXPECT_EQ(Round(1.5), 2);
}

TEST(Rounding, TruncGoesTowardZeroAndSaturates) {
    EXPECT_EQ(Trunc(2.9), 2);
    EXPECT_EQ(Trunc(-2.9), -2);
    EXPECT_EQ(Trunc(1e30), kPixelLimit);
    EXPECT_EQ(Trunc(-1e30), -kPixelLimit);
    EXPECT_EQ(Round(std::numeric_limits<Extended>::quiet_NaN()), 0);
}

TEST(StrToInt, AcceptsDecimalAndHexadecimalForms) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("-17"), -17);
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("  7"), 7);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("0x1f"), 31);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
}

TEST(StrToInt, RejectsEverythingElseWithTheConversionText) {
    for (const char* Bad :
         {"", "abc", "1.5", "12 ", "2147483648", "$", "--1", "$100000000", "1e3"}) {
        try {
            StrToInt(QString::fromLatin1(Bad));
            ADD_FAILURE() << "accepted " << Bad;
        } catch (const EConvertError& E) {
            EXPECT_EQ(E.Message(), QStringLiteral("'%1' is not a valid integer value").arg(Bad));
        }
    }
}

TEST(StrToFloat, ReadsBothDecimalSeparators) {
    EXPECT_DOUBLE_EQ(double(StrToFloat("1.5")), 1.5);
    EXPECT_DOUBLE_EQ(double(StrToFloat("1,5")), 1.5);
    EXPECT_DOUBLE_EQ(double(StrToFloat(" -2.25E2 ")), -225.0);
    EXPECT_DOUBLE_EQ(double(StrToFloat("1E-5")), 1e-5);
    EXPECT_DOUBLE_EQ(double(StrToFloat(".5")), 0.5);
}

// Whole numbers take a shortcut up to 18 digits; at its edges and just past them the value stays
// exact in extended precision, and the sign of zero is kept.
TEST(StrToFloat, WholeNumbersReadExactlyOnBothSidesOfTheShortcut) {
    const struct {
        const char* Text;
        Extended Value;
    } Cases[] = {
        {"999999999999999999", 999999999999999999.0L},
        {"-999999999999999999", -999999999999999999.0L},
        {"+123456789012345678", 123456789012345678.0L},
        {"1234567890123456789", 1234567890123456789.0L},
        {"-9223372036854775807", -9223372036854775807.0L},
        {"18446744073709551615", 18446744073709551615.0L},
    };
    for (const auto& C : Cases) {
        Extended Read = 0;
        ASSERT_TRUE(TryTextToFloat(C.Text, Read)) << C.Text;
        EXPECT_EQ(Read, C.Value) << C.Text;
    }
    Extended Zero = 1;
    ASSERT_TRUE(TryTextToFloat("-0", Zero));
    EXPECT_TRUE(Zero == 0 && std::signbit(Zero));
}

TEST(StrToFloat, RejectsNonNumbersAndNonFiniteValues) {
    for (const char* Bad :
         {"", "nan", "NAN", "inf", "-INF", "1e99999", "1.2.3x", "--1", "1 2", "0x10", "e5"}) {
        try {
            StrToFloat(QString::fromLatin1(Bad));
            ADD_FAILURE() << "accepted " << Bad;
        } catch (const EConvertError& E) {
            EXPECT_EQ(E.Message(),
                      QStringLiteral("'%1' is not a valid floating point value").arg(Bad));
        }
    }
}

struct FormatRow {
    const char* Name;
    friend void PrintTo(const FormatRow& R, std::ostream* Os) { *Os << R.Name; }
    Extended Value;
    const char* Text;
};

class FloatToStrGTest : public testing::TestWithParam<FormatRow> {};

TEST_P(FloatToStrGTest, WritesTheGeneralForm) {
    EXPECT_EQ(FloatToStrG(GetParam().Value), QString::fromLatin1(GetParam().Text));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FloatToStrGTest,
    testing::Values(FormatRow{"Integer", 100, "100"}, FormatRow{"Fraction", 12.5L, "12.5"},
                    FormatRow{"Negative", -0.25L, "-0.25"}, FormatRow{"NegativeZero", -0.0L, "0"},
                    FormatRow{"FifteenDigits", 0.1L, "0.1"},
                    FormatRow{"LargestFixed", 123456789012345.0L, "123456789012345"},
                    FormatRow{"LargestNegativeWhole", -999999999999999.0L, "-999999999999999"},
                    FormatRow{"WholeNextToFraction", 999999999999999.5L, "1E15"},
                    FormatRow{"FirstExponent", 1e15L, "1E15"},
                    FormatRow{"SmallestFixed", 0.0001L, "0.0001"},
                    FormatRow{"SmallExponent", 0.00001L, "1E-5"},
                    FormatRow{"MantissaAndExponent", -1.5e20L, "-1.5E20"},
                    FormatRow{"RoundedToFifteen", 2.0L / 3.0L, "0.666666666666667"}),
    [](const testing::TestParamInfo<FormatRow>& Info) { return Info.param.Name; });

TEST(FloatToStrG, IgnoresTheUserLocale) {
    const QLocale Saved;
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(FloatToStrG(1.5L), QStringLiteral("1.5"));
    QLocale::setDefault(Saved);
}

TEST(StrToFloat, ValuesBelowTheSmallestNormalReadAndTheirTextRoundTrips) {
    // The smallest normal long double, written to 15 digits, lies just below it.
    const Extended Smallest = std::numeric_limits<Extended>::min();
    const QString Written = FloatToStrG(Smallest);
    EXPECT_EQ(Written, QStringLiteral("3.36210314311209E-4932"));
    EXPECT_EQ(FloatToStrG(StrToFloat(Written)), Written);
    const Extended Subnormal = std::numeric_limits<Extended>::denorm_min() * 1000;
    EXPECT_EQ(StrToFloat(FloatToStrG(Subnormal)), Subnormal);
    EXPECT_EQ(double(StrToFloat("1E-5000")), 0.0);  // beyond the smallest: zero
    EXPECT_EQ(double(StrToFloat("-1,5E-4940")), double(-StrToFloat("1.5E-4940")));
    EXPECT_THROW(StrToFloat("1E5000"), EConvertError);  // too large stays refused
    EXPECT_THROW(StrToFloat("-1E5000"), EConvertError);
}

TEST(FloatToStrG, RoundTripsThroughStrToFloat) {
    for (Extended V : {0.1L, 1234.5678L, -9.87654321e-7L, 3e300L, 1.0L / 7.0L}) {
        const Extended Back = StrToFloat(FloatToStrG(V));
        EXPECT_NEAR(double(Back), double(V), std::abs(double(V)) * 1e-14);
    }
}

TEST(Colors, WriteIdentifiersOrDollarHex) {
    EXPECT_EQ(ColorToString(clRed), QStringLiteral("clRed"));
    EXPECT_EQ(ColorToString(clNavy), QStringLiteral("clNavy"));
    EXPECT_EQ(ColorToString(clBtnFace), QStringLiteral("clBtnFace"));
    EXPECT_EQ(ColorToString(clNone), QStringLiteral("clNone"));
    EXPECT_EQ(ColorToString(0x00102030), QStringLiteral("$00102030"));
    EXPECT_EQ(ColorToString(0x00ABCDEF), QStringLiteral("$00ABCDEF"));
}

TEST(Colors, ReadIdentifiersInAnyCaseHexAndPlainNumbers) {
    EXPECT_EQ(StringToColor("clRed"), clRed);
    EXPECT_EQ(StringToColor("CLWINDOWTEXT"), clWindowText);
    EXPECT_EQ(StringToColor("clLtGray"), clSilver);
    EXPECT_EQ(StringToColor("$00FF8000"), 0x00FF8000);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_EQ(StringToColor("-2147483643"), clWindow);
    EXPECT_THROW(StringToColor("clPink"), EConvertError);
    EXPECT_THROW(StringToColor(""), EConvertError);
}

TEST(Colors, EveryIdentifierRoundTrips) {
    for (TColor C :
         {clBlack,   clMaroon, clGreen,   clOlive,   clNavy,      clPurple, clTeal,    clGray,
          clSilver,  clLime,   clYellow,  clBlue,    clFuchsia,   clAqua,   clWhite,   clMoneyGreen,
          clSkyBlue, clCream,  clMedGray, clDefault, clScrollBar, clInfoBk, clMenuBar, cl3DLight})
        EXPECT_EQ(StringToColor(ColorToString(C)), C) << ColorToString(C).toStdString();
}

TEST(Colors, PaintAsRedGreenBlue) {
    EXPECT_EQ(ColorToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(ColorToQColor(clNone).alpha(), 0);
    EXPECT_TRUE(ColorToQColor(clWindowText).isValid());
    EXPECT_EQ(QColorToColor(QColor(0x99, 0x66, 0x33)), 0x00336699);
}
