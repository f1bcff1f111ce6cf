// Files and streams are read from their bytes and written into bytes, apart from the string
// lists of LoadFromStrings and SaveToStrings: both roads must give the same documents, the same
// errors and the same text.
#include <gtest/gtest.h>

#include <QBuffer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "qt_printers.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/model/scheme_text.h"
#include "scheme/platform/convert.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

using namespace scheme;

namespace {

struct TOutcome {
    QStringList Saved;
    QString Error;
    QStringList Warnings;
};

TOutcome Outcome(TSchemeData& Data, const std::function<void()>& Load) {
    TOutcome Result;
    try {
        Load();
    } catch (const Exception& E) {
        Result.Error = E.Message();
    }
    Data.SaveToStrings(Result.Saved);
    Result.Warnings = Data.LoadWarnings();
    return Result;
}

// Loads Bytes from a stream (read from the bytes) and, split into lines, from a list.
void ExpectBothRoadsAgree(const QByteArray& Bytes) {
    TSchemeData FromBytes, FromList;
    FromBytes.SetTimerInterval(0);
    FromList.SetTimerInterval(0);
    QByteArray Copy = Bytes;
    QBuffer Stream(&Copy);
    Stream.open(QIODevice::ReadOnly);
    const TOutcome A = Outcome(FromBytes, [&] { FromBytes.LoadFromStream(Stream); });
    int Latin1FromLine = -1;
    QStringList Lines = BytesToLines(Bytes, &Latin1FromLine);
    const TOutcome B = Outcome(FromList, [&] { FromList.LoadFromStrings(Lines); });
    EXPECT_EQ(A.Error, B.Error);
    EXPECT_EQ(A.Saved, B.Saved);
    // The stream's only extra warning is its note about Latin-1.
    QStringList Warnings = A.Warnings;
    if (Latin1FromLine >= 0 && !Warnings.isEmpty()) Warnings.removeFirst();
    EXPECT_EQ(Warnings, B.Warnings);
}

const char kLayer[] = "TSchemeLayer\r\n  ID=1\r\n  StateCount=1\r\n  Color0=clRed\r\nEnd\r\n";

QByteArray Doc(const char* Objects) {
    return QByteArray("TSchemeData\r\n  TimerInterval=7\r\nEnd\r\n") + kLayer + Objects;
}

}  // namespace

TEST(TextReading, BytesAndListsReadTheSameDocumentsAndErrors) {
    const char* const Cases[] = {
        // line ends of every kind, mixed
        "TSchemeBox\rID=1\nState=0\r\nLayerID=1\rCount=4\nX0=0\rY0=0\nX1=9\r\nY1=0\nX2=9\rY2=9\n"
        "X3=0\rY3=9\nEnd\r\n",
        // keys in any letter case, the first of a repeated key wins, both separators, blanks
        "TSchemePolygon\r\n  id=2\r\n  STATE=1\r\n  layerid=1\r\n  count=3\r\n  x0=1,5\r\n"
        "  Y0=2.25\r\n  X1=1E3\r\n  y1=-0\r\n  X2= 7\r\n  Y2=8\r\n  X2=99\r\n"
        "  TextPoint.x=3,5\r\n  Text=a#b\r\n  Pen.Width=3\r\n  Brush.Color=$00FF00FF\r\nEnd\r\n",
        // properties, with lines that look like keys and like End
        "TSchemeText\r\nID=3\r\nState=0\r\nLayerID=1\r\nProperties=>\r\n    End\r\n    ID=9\r\n"
        "PropertiesEnd=>\r\nCount=4\r\nX0=0\r\nY0=0\r\nX1=20\r\nY1=0\r\nX2=20\r\nY2=10\r\nX3=0\r\n"
        "Y3=10\r\nFontAutoSize=0\r\nEnd\r\n",
        // a huge count is refused at once, naming its kind and line
        "TSchemeShape\r\nID=4\r\nState=0\r\nLayerID=1\r\nCount=2000000000\r\nEnd\r\n",
        "TSchemePolygon\r\nID=4\r\nState=0\r\nLayerID=1\r\nCount=100000\r\nEnd\r\n",
        // bad values, missing points and unknown layers, each naming its line
        "TSchemeLine\r\nID=5\r\nState=x\r\nEnd\r\n",
        "TSchemeLine\r\nID=5\r\nState=0\r\nLayerID=1\r\nCount=2\r\nX0=1\r\nY0=1\r\nX1=2\r\nEnd\r\n",
        "TSchemeLine\r\nID=5\r\nState=0\r\nLayerID=8\r\nCount=2\r\nX0=1\r\nY0=1\r\nX1=2\r\nY1=3\r\n"
        "End\r\n",
        "TSchemeLine\r\nID=5\r\nState=0\r\nLayerID=1\r\nCount=2\r\nX0=1\r\nY0=1\r\nX1=2\r\nY1="
        "3e\r\n"
        "End\r\n",
        // a point key beyond the record's size, and one written with a leading zero
        "TSchemeLine\r\nID=6\r\nState=0\r\nLayerID=1\r\nCount=2\r\nX0=1\r\nY0=1\r\nX01=5\r\n"
        "X1=2\r\nY1=3\r\nX40=1\r\nEnd\r\n",
        // unknown blocks, stray lines, a block without end, text after the end
        "TUnknown\r\nA=1\r\nEnd\r\nstray=1\r\nTSchemeLink\r\nEnabled=0\r\nEnd\r\nEND\r\nmore\r\n",
        "TSchemeBox\r\nID=7\r\nState=0\r\n",
        // letters beyond ASCII that fold into ASCII ones (long s, Kelvin sign), and UTF-8 text
        "T\xC5\xBF"
        "chemeBox\r\nID=8\r\n\xC5\xBFtate=0\r\nLayerID=1\r\nCount=4\r\nX0=0\r\nY0=0\r\n"
        "X1=9\r\nY1=0\r\nX2=9\r\nY2=9\r\nX3=0\r\nY3=9\r\nText=\xC3\xA9t\xC3\xA9\r\nEnd\r\n",
        // not UTF-8: read as Latin-1
        "TSchemeBox\r\nID=9\r\nState=0\r\nLayerID=1\r\nText=\xE9t\xE9\r\nCount=4\r\nX0=0\r\nY0="
        "0\r\n"
        "X1=9\r\nY1=0\r\nX2=9\r\nY2=9\r\nX3=0\r\nY3=9\r\nEnd",
    };
    for (const char* Objects : Cases) {
        SCOPED_TRACE(Objects);
        ExpectBothRoadsAgree(Doc(Objects));
    }
    ExpectBothRoadsAgree(QByteArray());
    ExpectBothRoadsAgree(QByteArray("\xEF\xBB\xBF") + Doc(""));
}

namespace {

// A kind of an application that adds a line of its own by extending SaveToStrings only, and
// reads records only from lines.
class TTaggedShape : public TSchemeShape {
    SCHEME_CLASS_NAME(TTaggedShape)

public:
    using TSchemeShape::TSchemeShape;
    explicit TTaggedShape(QStringList& Strings) : TSchemeShape(Strings) {
        Tag = record::OptInt(Strings, u"Tag").value_or(0);
    }
    void SaveToStrings(QStringList& Strings) const override {
        TSchemeShape::SaveToStrings(Strings);
        record::WriteInt(Strings, u"Tag", Tag);
    }
    int Tag = 0;
};

}  // namespace

// The bytes written for a file are the lines SaveToStrings gives, for every kind and for a
// kind of the application's that extends only SaveToStrings; they read back alike.
TEST(TextWriting, BytesAreTheLinesOfSaveToStrings) {
    RegisterScheme<TTaggedShape>();
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.LayerAdd(1);
    TSchemeObject* Box =
        Data.ObjectAddShapeExt(1, 1, 0.5L, -2.25L, 1e20L, 1.0L / 3, 2, TShapeType::stEllipse);
    Box->SetText(QStringLiteral("caf\u00E9\r\nline"));
    Box->Pen()->SetColor(clNavy);
    Box->SetProperties({QStringLiteral("a=1"), QStringLiteral("End")});
    const TPoint Points[] = {{0, 0}, {10, 0}, {5, 7}};
    Data.ObjectAddPolygon(1, 2, Points, 1, TBrushStyle::bsCross, QStringLiteral("p"), {3, 3});
    auto Tagged = std::make_unique<TTaggedShape>(3, 0, 0, 9, 9, 0, TShapeType::stCircle);
    Tagged->Tag = 42;
    Data.ObjectAddDirect(1, Tagged.release());
    Data.LinkAdd(Data.GetLayer(1)->GetItem(1), -1, Data.GetLayer(1)->GetItem(3), -1);
    QStringList Lines;
    Data.SaveToStrings(Lines);
    ASSERT_TRUE(Lines.contains(QStringLiteral("  Tag=42")));
    QByteArray Expected;
    for (const QString& Line : Lines) Expected += Line.toUtf8() + "\r\n";
    QBuffer Stream;
    Stream.open(QIODevice::ReadWrite);
    Data.SaveToStream(Stream);
    EXPECT_EQ(Stream.data(), Expected);
    Stream.seek(0);
    TSchemeData Back;
    Back.SetTimerInterval(0);
    Back.LoadFromStream(Stream);
    QStringList Again;
    Back.SaveToStrings(Again);
    EXPECT_EQ(Again, Lines);
    EXPECT_EQ(Back.LoadWarnings(), QStringList());
    // The kind reads through lines: what it leaves is named as for the library's kinds.
    QStringList Extra = Lines;
    const qsizetype Header = Extra.indexOf(QStringLiteral("TTaggedShape"));
    ASSERT_GE(Header, 0);
    Extra.insert(Header + 1, QStringLiteral("  Colour=red"));
    Back.LoadFromStrings(Extra);
    EXPECT_EQ(Back.LoadWarnings(),
              QStringList{QStringLiteral("skipped the line at line %1 (key Colour), which class "
                                         "TTaggedShape does not read")
                              .arg(Header + 2)});
}

// The short forms read without the C library give the C library's value, to the last bit.
TEST(TextReading, ShortNumbersReadAsTheCLibraryReadsThem) {
    std::mt19937_64 Random(5);
    const locale_t C = newlocale(LC_ALL_MASK, "C", nullptr);
    for (int I = 0; I < 20000; ++I) {
        // The number is formatted into a buffer of known size: digits, a point among them, and
        // now and then an exponent.
        const std::string Digits = std::to_string(Random() % 10000000000000000000ull);
        const int Point = int(Random() % (Digits.size() + 1));
        char Text[64];
        int Length = std::snprintf(Text, sizeof Text, "%.*s.%s", Point, Digits.c_str(),
                                   Digits.c_str() + Point);
        if (I % 3 == 0)
            Length += std::snprintf(Text + Length, sizeof Text - size_t(Length), "E%d",
                                    int(Random() % 60) - 30);
        Extended Value = 0;
        ASSERT_TRUE(TryTextToFloat(std::string_view(Text, size_t(Length)), Value)) << Text;
        EXPECT_EQ(Value, strtold_l(Text, nullptr, C)) << Text;
    }
    freelocale(C);
}
