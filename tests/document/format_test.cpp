#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <numeric>

#include "qt_printers.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;

namespace {

QStringList Lines(const char* Text) {
    return QString::fromUtf8(Text).split(QLatin1Char('|'));
}

QStringList Saved(TSchemeData& Data) {
    QStringList Strings;
    Data.SaveToStrings(Strings);
    return Strings;
}

// The message of the error a load raises.
QString LoadError(TSchemeData& Data, QStringList Strings) {
    try {
        Data.LoadFromStrings(Strings);
    } catch (const Exception& E) {
        return E.Message();
    }
    return QStringLiteral("no error");
}

const char* const kLayer = "TSchemeLayer|  ID=1|  StateCount=0|End";
const char* const kBox =
    "TSchemeBox|ID=1|State=0|LayerID=1|Count=4|X0=0|Y0=0|X1=10|Y1=0|X2=10|Y2=10|X3=0|Y3=10|End";

QStringList Doc(std::initializer_list<const char*> Parts) {
    QStringList Result;
    for (const char* Part : Parts) Result += Lines(Part);
    return Result;
}

struct Loading : ::testing::Test {
    Loading() { Data.SetTimerInterval(0); }
    TSchemeData Data;
};

}  // namespace

TEST_F(Loading, DocumentBlockWritesTheIntervalOnlyWhenNotDefault) {
    Data.SetTimerInterval(100);
    EXPECT_EQ(Saved(Data), Lines("TSchemeData|End"));
    Data.SetTimerInterval(0);
    EXPECT_EQ(Saved(Data), Lines("TSchemeData|  TimerInterval=0|End"));
}

TEST_F(Loading, LowerCaseMarkersAndAbsentIntervalKeys) {
    QStringList Plain = Lines("TSchemeData|End");
    Data.LoadFromStrings(Plain);
    EXPECT_EQ(Data.TimerInterval(), 0);
    QStringList Lower = Lines("tschemedata|TimerInterval=250|end");
    Data.LoadFromStrings(Lower);
    EXPECT_EQ(Data.TimerInterval(), 250);
}

TEST_F(Loading, EmptyTextIsAnErrorAtLineZeroButABlankLineIsNothing) {
    std::vector<int> Progress;
    int Before = 0, After = 0;
    Data.OnBeforeLoading = [&](TObject*, QStringList&) { ++Before; };
    Data.OnAfterLoading = [&](TObject*, QStringList&) { ++After; };
    Data.OnLoadingProgress = [&](TObject*, QStringList&, int I) { Progress.push_back(I); };
    EXPECT_EQ(LoadError(Data, QStringList()),
              QStringLiteral("List index out of bounds (0)\rIn block has line 0"));
    EXPECT_EQ(Progress, std::vector<int>{0});
    EXPECT_EQ(Before, 1);
    EXPECT_EQ(After, 1);
    EXPECT_EQ(LoadError(Data, QStringList{QStringLiteral("  ")}), QStringLiteral("no error"));
}

TEST_F(Loading, ReadsLayersObjectsAndLinksAndReportsEveryLine) {
    std::vector<int> Progress;
    Data.OnLoadingProgress = [&](TObject*, QStringList&, int I) { Progress.push_back(I); };
    QStringList Text =
        Doc({kLayer, kBox,
             "TSchemeLink|ParentLinkType=-1|ParentId=1|ParentLayerId=1|ChildLinkType=-1|"
             "ChildId=1|ChildLayerId=1|End"});
    Data.LoadFromStrings(Text);
    ASSERT_EQ(Data.LayerCount(), 1);
    EXPECT_EQ(Data.GetLayer(1)->Count(), 1);
    ASSERT_EQ(Data.LinkCount(), 1);
    EXPECT_EQ(Data.GetLink(0)->Parent(), Data.GetLayer(1)->GetItem(1));
    std::vector<int> Every(static_cast<size_t>(Text.size()));
    std::iota(Every.begin(), Every.end(), 0);
    EXPECT_EQ(Progress, Every);
}

TEST_F(Loading, AStrayEndStopsTheLoad) {
    QStringList Text = Doc({kLayer, "END", kBox});
    Data.LoadFromStrings(Text);
    EXPECT_EQ(Data.GetLayer(1)->Count(), 0);
}

TEST_F(Loading, TextEndingInsideABlockIsAnErrorNamingItsStartAndTheLineCount) {
    const struct {
        QStringList Text;
        int Start;
    } Cases[] = {
        {Doc({kLayer, "TSchemeBox|ID=1|State=0"}), 4},
        {Lines("TSchemeLayer"), 0},
        {Lines("TSchemeData|TimerInterval=5"), 0},
        {Doc({kLayer, "TSchemeBox|Properties=>|End"}), 4},  // the End is a property line
    };
    for (const auto& C : Cases) {
        TSchemeData Fresh;
        QStringList Text = C.Text;
        try {
            Fresh.LoadFromStrings(Text);
            ADD_FAILURE() << "no error";
        } catch (const ESchemeErrorException& E) {
            EXPECT_EQ(E.Message(), QStringLiteral("TSchemeData : The block that starts at line %1 "
                                                  "has no closing line\rIn block has line %2")
                                       .arg(C.Start)
                                       .arg(C.Text.size()));
        }
        EXPECT_EQ(Fresh.LayerCount(), C.Start > 0 ? 1 : 0);  // what was placed stays
    }
}

// Lines the loader cannot read are skipped without taking the blocks after them: an unknown
// class's block up to its End, or up to the next block this program reads.
TEST_F(Loading, UnknownBlocksAndStrayLinesAreSkippedWithoutTheBlocksAfterThem) {
    const struct {
        QStringList Text;
        int Boxes, Interval;
        const char* Skipped;
    } Cases[] = {
        {Doc({kLayer, "TSchemeGauge|ID=5|Needle=3|End", "tschemevalve|End", kBox}), 1, 0,
         "TSchemeGauge|tschemevalve"},
        {Doc({kLayer, "Garbage", kBox}), 1, 0, "Garbage"},
        {Doc({kLayer, "TSchemeBo|ID=2|Sta", kBox}), 1, 0, "TSchemeBo"},  // a damaged block
        {Doc({kLayer, "X0=5", kBox, "Garbage"}), 1, 0, "Garbage"},
        {Doc({kLayer, "TFooBar|Properties=>|TSchemeBox|End|PropertiesEnd=>|End", kBox}), 1, 0,
         "TFooBar"},
        {Doc({"Garbage|TSchemeData|TimerInterval=7|End", kLayer}), 0, 7, "Garbage"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Text.join(u'|').toStdString());
        TSchemeData Fresh;
        Fresh.SetTimerInterval(0);
        QStringList Text = C.Text;
        ASSERT_NO_THROW(Fresh.LoadFromStrings(Text));
        ASSERT_EQ(Fresh.LayerCount(), 1);
        EXPECT_EQ(Fresh.GetLayer(1)->Count(), C.Boxes);
        EXPECT_EQ(Fresh.TimerInterval(), C.Interval);
        EXPECT_EQ(Fresh.SkippedClassNames().join(u'|'), QString::fromUtf8(C.Skipped));
    }
}

TEST_F(Loading, PropertyLinesReadingEndStayInsideTheirBlock) {
    Data.LayerAdd(1);
    auto* Box = new TSchemeBox(1, 0, 0, 10, 10, 0);
    Box->SetProperties(Lines("End|end|x=1"));
    Data.ObjectAddDirect(1, Box);
    QStringList Text = Saved(Data);
    TSchemeData Back;
    Back.LoadFromStrings(Text);
    EXPECT_EQ(Back.GetLayer(1)->GetItem(1)->Properties()->Lines(), Lines("End|end|x=1"));
    EXPECT_EQ(Saved(Back), Saved(Data));
}

TEST_F(Loading, ObjectsNeedTheirLayerAndErrorsCarryTheClosingLine) {
    QStringList Text = Doc({kLayer, kBox});
    ASSERT_EQ(Text[7], QStringLiteral("LayerID=1"));
    Text[7] = QStringLiteral("LayerID=7");
    EXPECT_EQ(LoadError(Data, Text),
              QStringLiteral("TSchemeData : Can't add Scheme!\rIn block has line 17"));
    EXPECT_EQ(Data.GetLayer(1)->Count(), 0);
    Text[7] = QStringLiteral("LayerID=x");
    EXPECT_EQ(LoadError(Data, Text),
              QStringLiteral("'x' is not a valid integer value\rIn block has line 17"));
    Text[7] = QStringLiteral("State=0");  // no LayerID at all
    EXPECT_EQ(LoadError(Data, Text),
              QStringLiteral("'' is not a valid integer value\rIn block has line 17"));
}

TEST_F(Loading, LinksToUnknownLayersOrObjectsFail) {
    QStringList Text = Doc({kLayer, kBox, "TSchemeLink|ParentId=1|ParentLayerId=4|End"});
    EXPECT_EQ(LoadError(Data, Text),
              QStringLiteral("TSchemeControl : Index for layer not found!\rIn block has line 21"));
    TSchemeData Other;
    QStringList Missing = Doc({kLayer, kBox, "TSchemeLink|ChildId=9|ChildLayerId=1|End"});
    EXPECT_EQ(LoadError(Other, Missing),
              QStringLiteral("TSchemeLayer : Index not found!\rIn block has line 21"));
}

// Half a side (an object without its layer or the reverse) is damage, not an empty side.
TEST_F(Loading, LinkSidesNamingOnlyTheObjectOrOnlyTheLayerFail) {
    const struct {
        const char* Link;
        const char* Error;
    } Cases[] = {
        {"TSchemeLink|ChildId=1|End", "The link's child names no layer"},
        {"TSchemeLink|ParentLayerId=1|ChildId=1|ChildLayerId=1|End",
         "The link's parent names no object"},
        {"TSchemeLink|ParentId=1|End", "The link's parent names no layer"},
    };
    for (const auto& C : Cases) {
        TSchemeData Fresh;
        Fresh.SetTimerInterval(0);
        const QStringList Text = Doc({kLayer, kBox, C.Link});
        EXPECT_EQ(LoadError(Fresh, Text), QStringLiteral("TSchemeData : %1\rIn block has line %2")
                                              .arg(QString::fromUtf8(C.Error))
                                              .arg(Text.size() - 1));
        EXPECT_EQ(Fresh.LinkCount(), 0);
    }
}

// Every line a load leaves out is named, counted from 1; the next load starts afresh.
TEST_F(Loading, WarningsNameWhatTheLoadLeftOut) {
    const struct {
        QStringList Text;
        const char* Warnings;
    } Cases[] = {
        {Doc({kLayer, kBox}), ""},
        {Doc({kLayer, "TSchemeGauge|ID=5|End", "X0=5", kBox}),
         "skipped a block of unknown class TSchemeGauge at line 5|"
         "skipped the line outside any block at line 8"},
        {Doc({kLayer, "End", kBox}),
         "14 lines after the end of the document at line 5 were not read"},
        {Doc({kLayer, "end| |x"}), "2 lines after the end of the document at line 5 were not read"},
        {Doc({kLayer, "End|x"}), "1 line after the end of the document at line 5 was not read"},
        {Doc({kLayer, "End| |"}), ""},  // blank lines only
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Text.join(u'|').toStdString());
        QStringList Text = C.Text;
        ASSERT_NO_THROW(Data.LoadFromStrings(Text));
        EXPECT_EQ(Data.LoadWarnings().join(u'|'), QString::fromUtf8(C.Warnings));
    }
    QStringList Damaged = Doc({"Stray|TSchemeBox|ID=1"});
    EXPECT_NE(LoadError(Data, Damaged), QStringLiteral("no error"));
    EXPECT_EQ(Data.LoadWarnings(),  // what was found before the error is kept
              QStringList{QStringLiteral("skipped a block of unknown class Stray at line 1")});
}

// A line of a block that its kind's reader does not use would be lost by the next save: it is
// named with its line and the block's class. Lines the readers take (points up to Count,
// properties, a document block's interval, blank lines) are not.
TEST_F(Loading, LinesNoReaderUsesAreNamed) {
    const char* const Points = "Count=4|X0=0|Y0=0|X1=10|Y1=0|X2=10|Y2=10|X3=0|Y3=10";
    auto Box = [&](const char* Extra) {
        return QStringLiteral("TSchemeBox|ID=1|State=0|LayerID=1|%1|%2|End")
            .arg(QLatin1String(Extra), QLatin1String(Points));
    };
    const QString Unread =
        QStringLiteral("skipped the line at line %1%2, which class %3 does not read");
    auto Key = [&](int Line, const char* Name, const char* Class) {
        return Unread.arg(Line).arg(QStringLiteral(" (key %1)").arg(QLatin1String(Name)),
                                    QLatin1String(Class));
    };
    const struct {
        QString Text;
        QStringList Warnings;
    } Cases[] = {
        {Box("Comment=spare"), {Key(9, "Comment", "TSchemeBox")}},
        {Box("Text=a|Text=b"), {Key(10, "Text", "TSchemeBox")}},
        {Box("Text=|Text=b"), {Key(10, "Text", "TSchemeBox")}},  // the empty first line wins
        {Box("just some words"), {Unread.arg(9).arg(QString(), QStringLiteral("TSchemeBox"))}},
        {Box("X4=1|Y4=2"), {Key(9, "X4", "TSchemeBox"), Key(10, "Y4", "TSchemeBox")}},
        {Box(" |Properties=>|note|End|PropertiesEnd=>"), {}},
        {QStringLiteral("TSchemeLayer|ID=2|Name=top|StateCount=1|Color0=clRed|Color1=clRed|End"),
         {Key(7, "Name", "TSchemeLayer"), Key(10, "Color1", "TSchemeLayer")}},
        {QStringLiteral("TSchemeData|TimerInterval=0|Timer=5|End"),
         {Key(7, "Timer", "TSchemeData")}},
        {QStringLiteral("TSchemeLink|Enabled=0|Weight=3|End"), {Key(7, "Weight", "TSchemeLink")}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Text.toStdString());
        QStringList Text = Lines(kLayer) + C.Text.split(u'|');
        ASSERT_NO_THROW(Data.LoadFromStrings(Text));
        EXPECT_EQ(Data.LoadWarnings(), C.Warnings);
        QStringList Replaced = Lines(kLayer) + C.Text.split(u'|');
        TSchemeData Other;
        Other.SetTimerInterval(0);
        ASSERT_TRUE(Other.ReplaceFromStrings(Replaced));
        EXPECT_EQ(Other.LoadWarnings(), C.Warnings) << "a replacing load names them alike";
    }
}

// A load keeps its first warnings and counts the rest in one line, wherever they come from.
TEST_F(Loading, WarningsAreCappedWithACountOfTheRest) {
    const qsizetype Kept = TSchemeData::kMaxLoadWarnings;
    const struct {
        const char* Name;
        QStringList Text;
        const char* First;
    } Cases[] = {
        {"stray lines", Lines(kLayer) + QStringList(1000, QStringLiteral("stray=1")),
         "skipped the line outside any block at line 5"},
        {"unread keys",
         Lines(kLayer) + Lines("TSchemeLayer|ID=2") + QStringList(1000, QStringLiteral("a=1")) +
             Lines("End"),
         "skipped the line at line 7 (key a), which class TSchemeLayer does not read"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        QStringList Text = C.Text;
        ASSERT_NO_THROW(Data.LoadFromStrings(Text));
        const QStringList& Warnings = Data.LoadWarnings();
        ASSERT_EQ(Warnings.size(), Kept + 1);
        EXPECT_EQ(Warnings.first(), QString::fromUtf8(C.First));
        EXPECT_EQ(Warnings.last(), QStringLiteral("\u2026 and %1 more").arg(1000 - Kept));
    }
}

TEST_F(Loading, LinkSidesNeverCarryOverFromEarlierBlocks) {
    QStringList Text =
        Doc({kLayer, kBox, "TSchemeLink|ParentId=1|ParentLayerId=1|ChildId=1|ChildLayerId=1|End",
             "TSchemeLink|End"});
    Data.LoadFromStrings(Text);
    ASSERT_EQ(Data.LinkCount(), 2);
    EXPECT_EQ(Data.GetLink(1)->Parent(), nullptr);
    EXPECT_EQ(Data.GetLink(1)->Child(), nullptr);
}

TEST_F(Loading, LoadingTwiceDoublesTheLayers) {
    QStringList Text = Doc({kLayer, kBox});
    QStringList Again = Text;
    Data.LoadFromStrings(Text);
    Data.LoadFromStrings(Again);
    EXPECT_EQ(Data.LayerCount(), 2);
    EXPECT_EQ(Data.GetLayerIndex(0)->Count(), 2);  // objects go to the first layer with their Id
    EXPECT_EQ(Data.GetLayerIndex(1)->Count(), 0);
}

TEST_F(Loading, SavingSkipsEmptiedLinkSlotsAndEventsFireOnErrorsToo) {
    Data.LayerAdd(1);
    TSchemeObject* A = Data.ObjectAddShapeExt(1, 1, 0, 0, 10, 10, 0, TShapeType::stCircle);
    TSchemeObject* B = Data.ObjectAddShapeExt(1, 2, 0, 0, 10, 10, 0, TShapeType::stCircle);
    Data.LinkAdd(A, -1, B, -1);
    Data.ObjectDelete(1, 2);
    EXPECT_FALSE(Saved(Data).contains(QStringLiteral("TSchemeLink")));
    int After = 0;
    Data.OnBeforeSave = [](TObject*, QStringList&) {};
    Data.OnAfterSave = [&](TObject*, QStringList&) { ++After; };
    Saved(Data);
    EXPECT_EQ(After, 1);
}

namespace {

// Kinds no registry knows: documents hold them but never write them.
class TUnregisteredBox : public TSchemeBox {
    SCHEME_CLASS_NAME(TUnregisteredBox)

public:
    using TSchemeBox::TSchemeBox;
};

class TUnregisteredLayer : public TSchemeLayer {
    SCHEME_CLASS_NAME(TUnregisteredLayer)

public:
    using TSchemeLayer::TSchemeLayer;
};

}  // namespace

// A link is written only with the objects it names, so that the text loads again; an empty
// side names nothing.
TEST(Saving, LinksToObjectsThatAreNotWrittenAreLeftOut) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.LayerAdd(1);
    TSchemeObject* Box = Data.ObjectAddDirect(1, new TSchemeBox(1, 0, 0, 10, 10, 0));
    TSchemeObject* Unwritten = Data.ObjectAddDirect(1, new TUnregisteredBox(2, 0, 0, 10, 10, 0));
    Data.LinkAdd(Box, -1, Unwritten, -1);
    Data.LinkAdd(Unwritten, -1, Box, -1);
    Data.LayerAddDirect(new TUnregisteredLayer(2));
    Data.LinkAdd(Data.ObjectAddDirect(2, new TSchemeBox(1, 0, 0, 10, 10, 0)), -1, Box, -1);
    Data.LinkAdd(Box, 2, nullptr, -1);
    QStringList Text = Saved(Data);
    EXPECT_EQ(Text.count(QStringLiteral("TSchemeLink")), 1);
    TSchemeData Back;
    ASSERT_NO_THROW(Back.LoadFromStrings(Text));
    ASSERT_EQ(Back.LinkCount(), 1);
    EXPECT_EQ(Back.GetLink(0)->Parent(), Back.GetLayer(1)->GetItem(1));
    EXPECT_EQ(Back.GetLink(0)->Child(), nullptr);
}

TEST(Files, RoundTripThroughFilesAndStreamsWithCrLfAndUtf8) {
    QTemporaryDir Dir;
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.LayerAdd(3);
    Data.ObjectAddShapeExt(3, 1, 1.5L, 2, 30, 20, 1, TShapeType::stEllipse)
        ->SetText(QStringLiteral("Pumpe Nr. 1 – Süd"));
    const QString Path = Dir.filePath(QStringLiteral("doc.txt"));
    Data.SaveToFile(Path);
    QFile File(Path);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    const QByteArray Bytes = File.readAll();
    EXPECT_TRUE(Bytes.startsWith("TSchemeData\r\n  TimerInterval=0\r\nEnd\r\n"));
    EXPECT_TRUE(
        Bytes.contains("S\xc3\xbc"
                       "d"));
    TSchemeData Back;
    Back.LoadFromFile(Path);
    EXPECT_EQ(Saved(Back), Saved(Data));
    QBuffer Buffer;
    Buffer.open(QIODevice::ReadWrite);
    Data.SaveToStream(Buffer);
    Buffer.seek(0);
    TSchemeData FromStream;
    FromStream.LoadFromStream(Buffer);
    EXPECT_EQ(Saved(FromStream), Saved(Data));
}

// Every encoding a stream may hold gives the same document; reading Latin-1 is reported with
// the line of the first byte that is not UTF-8.
TEST(Files, EncodingsAndLineBreaksRead) {
    const QString Text = QStringLiteral(
        "TSchemeLayer\nID=1\rStateCount=0\r\nEnd\nTSchemeBox\nID=1\nState=0\nLayerID=1\n"
        "Text=Süd\nCount=4\nX0=0\nY0=0\nX1=9\nY1=0\nX2=9\nY2=9\nX3=0\nY3=9\nEnd\n");
    auto Encoded = [&Text](QStringConverter::Encoding Encoding) {
        QStringEncoder Encoder(Encoding, QStringConverter::Flag::WriteBom);
        return QByteArray(Encoder(Text));
    };
    const QString Latin1Warning = QStringLiteral(
        "the text is not valid UTF-8 (first invalid byte on line 9); it was read as Latin-1");
    const struct {
        const char* Name;
        QByteArray Bytes;
        QString Warning;
    } Cases[] = {
        {"UTF-8", Text.toUtf8(), {}},
        {"UTF-8 with BOM", Encoded(QStringConverter::Utf8), {}},
        {"UTF-16LE", Encoded(QStringConverter::Utf16LE), {}},
        {"UTF-16BE", Encoded(QStringConverter::Utf16BE), {}},
        {"Latin-1", Text.toLatin1(), Latin1Warning},
        {"Latin-1 after a UTF-8 BOM", "\xEF\xBB\xBF" + Text.toLatin1(), Latin1Warning},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        QByteArray Bytes = C.Bytes;
        QBuffer Buffer(&Bytes);
        Buffer.open(QIODevice::ReadOnly);
        TSchemeData Data;
        Data.SetTimerInterval(0);
        ASSERT_NO_THROW(Data.LoadFromStream(Buffer));
        ASSERT_TRUE(Data.LayerExists(1));
        EXPECT_EQ(Data.GetLayer(1)->GetItem(1)->Text(), QStringLiteral("Süd"));
        EXPECT_EQ(Data.LoadWarnings(),
                  C.Warning.isEmpty() ? QStringList() : QStringList{C.Warning});
        QStringList Again = Lines("TSchemeData|End");
        Data.LoadFromStrings(Again);  // the decoder's note belongs to its own load only
        EXPECT_EQ(Data.LoadWarnings(), QStringList());
    }
}

// UTF-16 that holds a lone surrogate (or ends in half a unit) is read with U+FFFD in its place,
// and the load names the line of the first.
TEST(Files, InvalidUtf16IsReadAsReplacementCharactersAndNamed) {
    auto Utf16 = [](const QString& Text, bool BigEndian, const QByteArray& Tail = {}) {
        QByteArray Bytes = BigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
        for (const QChar C : Text) {
            const char High = char(C.unicode() >> 8), Low = char(C.unicode() & 0xFF);
            Bytes.append(BigEndian ? High : Low).append(BigEndian ? Low : High);
        }
        return Bytes + Tail;
    };
    const QString Head = QStringLiteral(
        "TSchemeLayer\nID=1\nEnd\nTSchemeBox\nID=1\nState=0\n"
        "LayerID=1\nText=");
    const QString Rest =
        QStringLiteral("\nCount=4\nX0=0\nY0=0\nX1=9\nY1=0\nX2=9\nY2=9\nX3=0\nY3=9\nEnd\n");
    const QString Warning = QStringLiteral(
        "the text is not valid UTF-16 (first invalid sequence on line %1); what is "
        "invalid was read as U+FFFD");
    const QString Lone = Head + QStringLiteral("a") + QChar(0xD83D) + QStringLiteral("b") + Rest;
    const QString LoneLow = Head + QChar(0xDE00) + Rest;
    const QString Pair = Head + QStringLiteral("\U0001F600") + Rest;
    const struct {
        const char* Name;
        QByteArray Bytes;
        QString Text;
        QString Warning;
    } Cases[] = {
        {"a lone high surrogate, LE", Utf16(Lone, false), QStringLiteral("a\uFFFDb"),
         Warning.arg(8)},
        {"a lone high surrogate, BE", Utf16(Lone, true), QStringLiteral("a\uFFFDb"),
         Warning.arg(8)},
        {"a lone low surrogate", Utf16(LoneLow, false), QStringLiteral("\uFFFD"), Warning.arg(8)},
        {"half a unit at the end", Utf16(Pair, false, "A"), QStringLiteral("\U0001F600"),
         Warning.arg(19)},
        {"a pair", Utf16(Pair, true), QStringLiteral("\U0001F600"), {}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        QByteArray Bytes = C.Bytes;
        QBuffer Buffer(&Bytes);
        Buffer.open(QIODevice::ReadOnly);
        TSchemeData Data;
        Data.SetTimerInterval(0);
        ASSERT_NO_THROW(Data.LoadFromStream(Buffer));
        EXPECT_EQ(Data.GetLayer(1)->GetItem(1)->Text(), C.Text);
        EXPECT_EQ(Data.LoadWarnings().value(0), C.Warning);
    }
}

TEST(Files, MissingFilesAndUnwritableTargetsRaise) {
    TSchemeData Data;
    EXPECT_THROW(Data.LoadFromFile(QStringLiteral("/nonexistent/doc.txt")), Exception);
    EXPECT_THROW(Data.SaveToFile(QStringLiteral("/nonexistent/doc.txt")), Exception);
    QTemporaryDir Dir;
    EXPECT_THROW(Data.SaveToFile(Dir.path()), Exception);  // a folder is not replaced by a file
    EXPECT_TRUE(QFileInfo(Dir.path()).isDir());
}
