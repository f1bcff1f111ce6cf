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

// Decoding: UTF-16 by its byte-order mark, else UTF-8, else Latin-1 with the line of the first
// byte that is not UTF-8 (overlong, surrogate and cut-short sequences are not).
TEST(BytesToLines, DecodesSplitsAndNamesTheLineWhereUtf8Fails) {
    const struct {
        QByteArray Bytes;
        QStringList Lines;
        int Latin1FromLine;
    } Cases[] = {
        {"a\r\nb\n\rc\r\n", {"a", "b", "", "c"}, -1},
        {"\xEF\xBB\xBF"
         "a\xC3\xBC\r\n",
         {QStringLiteral("aü")},
         -1},
        {QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0\xFC\0",
                    10),
         {"a", QStringLiteral("ü")},
         -1},
        {QByteArray("\xFE\xFF\0a\0\n\0b", 8), {"a", "b"}, -1},
        {"a\r\r\nb\xFF", {"a", "", QStringLiteral("bÿ")}, 2},
        {"a\n\xC0\x80", {"a", QStringLiteral("À\x80")}, 1},
        {"\xED\xA0\x80", {QStringLiteral("í\xA0\x80")}, 0},
        {"a\nb\n\xE2\x82", {"a", "b", QStringLiteral("â\x82")}, 2},
        {"\xEF\xBB\xBF"
         "a\n\xFC",
         {"a", QStringLiteral("ü")},
         1},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Bytes.toHex().toStdString());
        int Latin1FromLine = 99;
        EXPECT_EQ(BytesToLines(C.Bytes, &Latin1FromLine), C.Lines);
        EXPECT_EQ(Latin1FromLine, C.Latin1FromLine);
        EXPECT_EQ(BytesToLines(C.Bytes), C.Lines);
    }
}
