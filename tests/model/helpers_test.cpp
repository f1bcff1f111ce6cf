#include <gtest/gtest.h>

#include "qt_printers.h"

#include <QBuffer>

#include "scheme/model/class_registry.h"
#include "scheme/model/helpers.h"
#include "scheme/model/kind_name.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;

TEST(HexBlocks, SeventyBytesMakeThreeLinesAndReadBack) {
    QByteArray Data;
    for (int I = 0; I < 70; ++I) Data.append(static_cast<char>(I * 37));
    QBuffer Stream(&Data);
    Stream.open(QIODevice::ReadOnly);
    QStringList Lines;
    BinaryToStrings(Stream, Lines);
    ASSERT_EQ(Lines.size(), 3);
    EXPECT_EQ(Lines[0].size(), 64);
    EXPECT_EQ(Lines[1].size(), 64);
    EXPECT_EQ(Lines[2].size(), 12);
    EXPECT_EQ(Lines[0], Lines[0].toUpper());

    QByteArray Back;
    QBuffer Out(&Back);
    Out.open(QIODevice::WriteOnly);
    BinaryFromStrings(Out, Lines);
    EXPECT_EQ(Back, Data);
}

TEST(HexBlocks, ReadingAcceptsEitherCaseAndStopsAtTheFirstNonDigit) {
    EXPECT_EQ(BinaryFromStrings(QStringList{QStringLiteral("0a0B")}), QByteArray("\x0a\x0b", 2));
    EXPECT_EQ(BinaryFromStrings(QStringList{QStringLiteral("414")}),
              QByteArray("A"));  // odd digit lost
    EXPECT_EQ(
        BinaryFromStrings(QStringList{QStringLiteral("41 42"), QString(), QStringLiteral("43")}),
        QByteArray("AC"));
    EXPECT_EQ(BinaryFromStrings(QStringList{QStringLiteral("4G41")}), QByteArray());
}

TEST(HexBlocks, ReadsAtMostTwoHundredFiftySixBytesALine) {
    const QString Long(600, QLatin1Char('F'));
    EXPECT_EQ(BinaryFromStrings(QStringList{Long}).size(), 256);
}

TEST(HexBlocks, EmptyStreamWritesNoLine) {
    QStringList Lines;
    BinaryToStrings(QByteArray(), Lines);
    EXPECT_TRUE(Lines.isEmpty());
}

TEST(ChangeInStr, ReplacesEveryOccurrenceWithoutTouchingTheInput) {
    const QString Input = QStringLiteral("a#b#");
    EXPECT_EQ(_change_in_str_A2B(Input, QLatin1Char('#'), QLatin1Char('\r')),
              QStringLiteral("a\rb\r"));
    EXPECT_EQ(Input, QStringLiteral("a#b#"));
    // Equal characters give the text back instead of looping.
    EXPECT_EQ(_change_in_str_A2B(Input, QLatin1Char('#'), QLatin1Char('#')), Input);
}

TEST(ClassRegistry, LooksNamesUpWithoutRegardToCase) {
    EXPECT_TRUE(RegistredSchemeClass(QStringLiteral("TSchemeBox")));
    EXPECT_TRUE(RegistredSchemeClass(QStringLiteral("tschemebox")));
    EXPECT_EQ(FindSchemeClass(QStringLiteral("TSCHEMESHAPE"))->Name,
              QStringLiteral("TSchemeShape"));
    EXPECT_FALSE(RegistredSchemeClass(QStringLiteral("TSchemeNothing")));
}

TEST(ClassRegistry, KeepsOneEntryPerNameWhateverItsCase) {
    const int Before = RegisteredSchemeClassNames().size();
    RegisterScheme(QStringLiteral("TSCHEMEBOX"), nullptr);
    RegisterScheme(QStringLiteral("TSchemeBox"), nullptr);
    EXPECT_EQ(RegisteredSchemeClassNames().size(), Before);
    EXPECT_NE(FindSchemeClass(QStringLiteral("TSchemeBox"))->Factory, nullptr);
}

TEST(ClassRegistry, UnknownNameRaisesTheLibraryError) {
    try {
        FindSchemeClass(QStringLiteral("TFoo"));
        FAIL();
    } catch (const ESchemeErrorException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("Sorry... No class found!\rTFoo"));
    }
}

TEST(KindName, NamesKindsInWordsAndUnknownClassesFromTheirName) {
    const std::pair<const char*, const char*> Names[] = {
        {"TSchemeShape", "Shape"},
        {"TSchemePolygon", "Polygon"},
        {"TSchemeInternalPicture", "Embedded picture"},
        {"TSchemeTextBox", "Text box"},
        {"TMyGauge", "My gauge"},
        {"TSchemeSVGFrame", "SVGFrame"},
        {"Plain", "Plain"},
        {"TScheme", "Scheme"},
    };
    for (const auto& [Class, Words] : Names)
        EXPECT_EQ(KindNameOfClass(QString::fromLatin1(Class)), QString::fromLatin1(Words)) << Class;
}
