#include <gtest/gtest.h>

#include "qt_printers.h"

#include "scheme/platform/exceptions.h"
#include "scheme/platform/graphics.h"
#include "scheme/platform/string_list.h"

using namespace scheme;

TEST(Trim, RemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(TrimBlanks(QStringLiteral(" \t\x01 a b \r\n")), QStringLiteral("a b"));
    EXPECT_EQ(TrimBlanks(QStringLiteral("   ")), QString());
    QStringList Lines{QStringLiteral("  ID=1 "), QStringLiteral("\tText= x ")};
    TrimLines(Lines);
    EXPECT_EQ(Lines, (QStringList{QStringLiteral("ID=1"), QStringLiteral("Text= x")}));
}

TEST(KeyLookup, FirstLineWhoseNameMatchesWinsLetterCaseIgnored) {
    const QStringList Lines{QStringLiteral("Text"), QStringLiteral("id=7"), QStringLiteral("ID=8"),
                            QStringLiteral("Name=a=b"), QStringLiteral("Empty=")};
    EXPECT_EQ(ValueOf(Lines, u"ID"), QStringLiteral("7"));
    EXPECT_EQ(ValueOf(Lines, u"name"), QStringLiteral("a=b"));
    EXPECT_EQ(ValueOf(Lines, u"Text"), QString());  // a line without "=" has no name
    EXPECT_EQ(ValueOf(Lines, u"Empty"), QString());
    EXPECT_EQ(IndexOfName(Lines, u"id"), 1);
    EXPECT_EQ(IndexOfName(Lines, u"Missing"), -1);
    EXPECT_EQ(IndexOfName(Lines, u"I"), -1);  // names are compared whole
}

TEST(StringList, NotifiesEveryChangeAndGuardsItsIndexes) {
    TStringList List;
    int Changes = 0;
    List.OnChange = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &List);
        ++Changes;
    };
    List.Add(QStringLiteral("a"));
    List.Insert(0, QStringLiteral("b"));
    List.SetStrings(1, QStringLiteral("c"));
    List.Assign(QStringList{QStringLiteral("x"), QStringLiteral("y")});
    List.Delete(0);
    EXPECT_EQ(Changes, 5);
    EXPECT_EQ(List.Lines(), QStringList{QStringLiteral("y")});
    EXPECT_THROW(List.Strings(1), EListError);
    EXPECT_THROW(List.Delete(-1), EListError);
    EXPECT_EQ(Changes, 5);
}

TEST(DrawingTools, NotifyOnlyRealChangesButAssignAlways) {
    TPen Pen;
    int Changes = 0;
    Pen.OnChange = [&](TObject*) { ++Changes; };
    Pen.SetColor(clBlack);
    Pen.SetWidth(1);
    EXPECT_EQ(Changes, 0);
    Pen.SetColor(clRed);
    Pen.SetWidth(-3);  // negative widths count as 0
    EXPECT_EQ(Pen.Width(), 0);
    EXPECT_EQ(Changes, 2);
    TPen Other;
    Other.SetStyle(TPenStyle::psDot);
    Pen.Assign(Other);
    EXPECT_EQ(Changes, 3);
    EXPECT_EQ(Pen.Style(), TPenStyle::psDot);
    EXPECT_EQ(Pen.Color(), clBlack);
}

TEST(DrawingTools, StylesOutsideTheEnumerationPaintAsDefault) {
    EXPECT_EQ(ToQtPenStyle(static_cast<TPenStyle>(99)), Qt::SolidLine);
    EXPECT_EQ(ToQtBrushStyle(static_cast<TBrushStyle>(-4)), Qt::SolidPattern);
    EXPECT_EQ(ToQtBrushStyle(TBrushStyle::bsClear), Qt::NoBrush);
    EXPECT_EQ(ToQtPenStyle(TPenStyle::psClear), Qt::NoPen);
}

TEST(DrawingTools, FontSizesBecomePixels) {
    TFont Font;
    EXPECT_EQ(Font.PixelHeight(), 11);  // 8 points at 96 pixels per inch
    Font.SetSize(-20);
    EXPECT_EQ(Font.PixelHeight(), 20);
    Font.SetSize(2000000000);
    EXPECT_EQ(Font.ToQFont().pixelSize(), 100000);
}
