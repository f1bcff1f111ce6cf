// The longest line, the largest document and the widest pen a load reads: more is refused with
// a clear error, and what was placed before stays. Pictures decode within the document's budget.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QIODevice>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "oversized_documents.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_text.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/graphics.h"

using namespace scheme;

namespace {

// A layer, then a text whose caption is line 18 (counted from 0).
QStringList Document(const QString& Caption) {
    QStringList Lines = QStringLiteral(
                            "TSchemeData|End|TSchemeLayer|ID=1|End|TSchemeText|ID=1|"
                            "State=0|LayerID=1|Count=4|X0=0|Y0=0|X1=9|Y1=0|X2=9|Y2=9|X3=0|Y3=9")
                            .split(u'|');
    Lines << QStringLiteral("Text=") + Caption << QStringLiteral("End");
    return Lines;
}

}  // namespace

// The limit counts a line without its indentation, so the writer's two spaces never push a
// line that was read past it: what loads saves and loads again.
TEST(LoadLimits, LineOfTheLimitLoadsIndentedAndSavesBack) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    const qsizetype Room = TSchemeData::kMaxLineLength - 5;  // "Text=" and the caption
    QStringList Strings = Document(QString(Room, QLatin1Char('a')));
    Strings[18].prepend(QStringLiteral("    "));
    ASSERT_NO_THROW(Data.LoadFromStrings(Strings));
    ASSERT_EQ(Data.GetLayer(1)->Count(), 1);
    EXPECT_EQ(Data.GetLayer(1)->GetItemIndex(0)->Text().size(), Room);
    QBuffer Buffer;
    Buffer.open(QIODevice::ReadWrite);
    ASSERT_NO_THROW(Data.SaveToStream(Buffer));
    Buffer.seek(0);
    TSchemeData Back;
    ASSERT_NO_THROW(Back.LoadFromStream(Buffer));
    EXPECT_EQ(Back.GetLayer(1)->GetItemIndex(0)->Text().size(), Room);
}

// A document whose text the loader would refuse is not saved: every target keeps what it held.
TEST(LoadLimits, SavesOfLinesTooLongToLoadAreRefusedAndLeaveTheTargetAsItWas) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.LayerAdd(1);
    TSchemeObject* Shape = Data.ObjectAddShapeExt(1, 1, 0, 0, 9, 9, 0, TShapeType::stCircle);
    Shape->SetText(QStringLiteral("short"));
    QStringList Saved;
    Data.SaveToStrings(Saved);
    const qsizetype Line = Saved.indexOf(QStringLiteral("  Text=short"));
    Shape->SetText(QString(TSchemeData::kMaxLineLength - 1, QLatin1Char('a')));
    // The error names the line as the target numbers it, counted from 1.
    auto Refused = [](const std::function<void()>& Save, qsizetype Number) {
        try {
            Save();
        } catch (const ESchemeErrorException& E) {
            return E.Message() == QStringLiteral(
                                      "TSchemeData : Line %1 of the text is too long to be "
                                      "read again (1048580 characters, at most 1048576 are "
                                      "read); nothing was saved")
                                      .arg(Number)
                       ? QString()
                       : E.Message();
        }
        return QStringLiteral("no error");
    };
    QStringList Strings{QStringLiteral("kept")};
    EXPECT_EQ(Refused([&] { Data.SaveToStrings(Strings); }, Line + 2), QString());
    EXPECT_EQ(Strings, QStringList{QStringLiteral("kept")});
    QBuffer Buffer;
    Buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(Refused([&] { Data.SaveToStream(Buffer); }, Line + 1), QString());
    EXPECT_EQ(Buffer.data(), QByteArray());
    QTemporaryDir Dir;
    const QString Path = Dir.filePath(QStringLiteral("doc.txt"));
    {
        QFile File(Path);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write("old");
    }
    EXPECT_EQ(Refused([&] { Data.SaveToFile(Path); }, Line + 1), QString());
    QFile File(Path);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    EXPECT_EQ(File.readAll(), QByteArray("old"));
}

// A polyline's oversized record is refused under its own class name.
TEST(LoadLimits, PolylineWithTooManyPointsIsRefusedUnderItsOwnName) {
    QStringList Strings =
        QStringLiteral("TSchemeLayer|ID=1|End|TSchemePolyline|ID=1|State=0|LayerID=1|Count=150|End")
            .split(u'|');
    TSchemeData Data;
    Data.SetTimerInterval(0);
    try {
        Data.LoadFromStrings(Strings);
        ADD_FAILURE() << "no error";
    } catch (const ESchemeErrorException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("TSchemePolyline : Count 150 exceeds 100 points\rIn "
                                              "block has line 8"));
    }
}

TEST(LoadLimits, LongerLineIsRefusedWithItsLineAndEarlierBlocksStay) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    QStringList Strings = Document(QString(TSchemeData::kMaxLineLength, QLatin1Char('a')));
    QString Message;
    try {
        Data.LoadFromStrings(Strings);
    } catch (const ESchemeErrorException& E) {
        Message = E.Message();
    }
    EXPECT_EQ(Message, QStringLiteral("TSchemeData : Line too long (1048581 characters, at most "
                                      "1048576 are read)\rIn block has line 18"));
    ASSERT_EQ(Data.LayerCount(), 1);  // the layer placed before the long line
    EXPECT_EQ(Data.GetLayer(1)->Count(), 0);
    EXPECT_EQ(Data.LinkCount(), 0);
}

TEST(LoadLimits, LongLineInsideASkippedBlockIsRefusedToo) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    QStringList Strings = {QStringLiteral("TUnknownKind"),
                           QString(TSchemeData::kMaxLineLength + 1, QLatin1Char('x')),
                           QStringLiteral("End")};
    EXPECT_THROW(Data.LoadFromStrings(Strings), ESchemeErrorException);
    EXPECT_EQ(Data.LayerCount(), 0);
}

namespace {

// A random-access device that claims more bytes than a document may have; reading it would
// hand out zeros.
class HugeDevice : public QIODevice {
public:
    HugeDevice() { open(QIODevice::ReadOnly); }
    qint64 size() const override { return TSchemeData::kMaxDocumentSize + 1; }

protected:
    qint64 readData(char* Data, qint64 MaxSize) override {
        ++Reads;
        std::fill_n(Data, MaxSize, '\0');
        return MaxSize;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

public:
    int Reads = 0;
};

}  // namespace

TEST(LoadLimits, StreamsOverTheDocumentSizeAreRefusedUnreadAndTheDocumentStays) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    QStringList Strings = Document(QStringLiteral("kept"));
    Data.LoadFromStrings(Strings);
    HugeDevice Device;
    try {
        Data.LoadFromStream(Device);
        ADD_FAILURE() << "no error";
    } catch (const ESchemeErrorException& E) {
        EXPECT_EQ(E.Message(),
                  QStringLiteral("TSchemeData : Document too large (more than 1024 MiB are not "
                                 "read)"));
    }
    EXPECT_EQ(Device.Reads, 0);
    ASSERT_EQ(Data.LayerCount(), 1);
    EXPECT_EQ(Data.GetLayer(1)->GetItemIndex(0)->Text(), QStringLiteral("kept"));
}

// A file that fails while it is read is an error, not an empty or shortened document: reading
// a process's memory from address 0 fails on Linux.
TEST(LoadLimits, FileFailingWhileReadRaises) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    try {
        Data.LoadFromFile(QStringLiteral("/proc/self/mem"));
        ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
        EXPECT_TRUE(E.Message().startsWith(QStringLiteral("Cannot read file \"/proc/self/mem\"")))
            << E.Message().toStdString();
    }
    EXPECT_EQ(Data.LayerCount(), 0);
}

// Pen widths are read within 0 .. TPen::kMaxWidth; the limits themselves load and save back.
TEST(LoadLimits, PenWidthsOutsideTheirRangeAreRefusedWithTheValueAndTheLimit) {
    const QString Limit = QString::number(TPen::kMaxWidth);
    const struct {
        QString Line, Error;
    } Cases[] = {
        {QStringLiteral("Pen.Width=0"), {}},
        {QStringLiteral("SelectedPen.Width=") + Limit, {}},
        {QStringLiteral("Pen.Width=-1"),
         QStringLiteral("Invalid Pen.Width: -1 is not within 0 .. ")},
        {QStringLiteral("SelectedPen.Width=") + QString::number(TPen::kMaxWidth + 1),
         QStringLiteral("Invalid SelectedPen.Width: %1 is not within 0 .. ")
             .arg(TPen::kMaxWidth + 1)},
        {QStringLiteral("Pen.Width=2147483647"),
         QStringLiteral("Invalid Pen.Width: 2147483647 is not within 0 .. ")},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Line.toStdString());
        QStringList Strings = QStringLiteral(
                                  "TSchemeLayer|ID=1|End|TSchemeBox|ID=1|State=0|LayerID=1|Count=4|"
                                  "X0=0|Y0=0|X1=9|Y1=0|X2=9|Y2=9|X3=0|Y3=9|End")
                                  .split(u'|');
        Strings.insert(7, C.Line);
        TSchemeData Data;
        Data.SetTimerInterval(0);
        QString Message;
        try {
            Data.LoadFromStrings(Strings);
        } catch (const ESchemeErrorException& E) {
            Message = E.Message();
        }
        if (C.Error.isEmpty()) {
            ASSERT_EQ(Message, QString());
            QStringList Saved;
            Data.SaveToStrings(Saved);
            EXPECT_TRUE(Saved.contains(QStringLiteral("  ") + C.Line));
        } else {
            EXPECT_EQ(Message, C.Error + Limit + QStringLiteral("\rIn block has line 17"));
            EXPECT_EQ(Data.GetLayer(1)->Count(), 0);
        }
    }
}

// A record that claims far more points than its kind holds is refused before its points are
// read: 100,000 of them would otherwise take minutes of key lookups. The kind's reader, given
// the record alone, reads a handful of its 200,000 lines before it refuses.
TEST(LoadLimits, ARecordClaimingHugelyManyPointsIsRefusedAtOnce) {
    struct Case {
        const char* Kind;
        const char* Message;
    };
    for (const Case& C :
         {Case{"TSchemeShape", "TSchemeShape : Count must be 4, not 100000"},
          Case{"TSchemeText", "TSchemeText : Count must be 4, not 100000"},
          Case{"TSchemeLine", "TSchemeLine : Count must be 2, not 100000"},
          Case{"TSchemePolygon", "TSchemePolygon : Count 100000 exceeds 100 points"}}) {
        QStringList Block = {QStringLiteral("ID=1"), QStringLiteral("State=0"),
                             QStringLiteral("Count=100000")};
        for (int I = 0; I < 100000; ++I)
            Block << QStringLiteral("X%1=1").arg(I) << QStringLiteral("Y%1=2").arg(I);
        QStringList Lines = QStringLiteral("TSchemeData|End|TSchemeLayer|ID=1|End").split(u'|');
        Lines << QString::fromLatin1(C.Kind) << Block << QStringLiteral("End");
        TSchemeData Data;
        Data.SetTimerInterval(0);
        try {
            Data.LoadFromStrings(Lines);
            ADD_FAILURE() << C.Kind << " loaded";
        } catch (const Exception& E) {
            EXPECT_TRUE(E.Message().startsWith(QString::fromLatin1(C.Message))) << E.what();
        }
        EXPECT_EQ(Data.LayerCount(), 1) << "what loaded before stays";

        const record::TRecord Record(Block);
        EXPECT_THROW(FindSchemeClass(QString::fromLatin1(C.Kind))->Create(Record),
                     ESchemeErrorException)
            << C.Kind;
        qsizetype Read = 0;
        for (qsizetype L = 0; L < Record.Size(); ++L) Read += Record.WasRead(L);
        EXPECT_LE(Read, 8) << C.Kind;
    }
}

// Countless empty lines fit in the size limit but would take many times their size as a list of
// lines: such a text is refused before it is split, and the document keeps what it had. The
// count is the longest reading of its CRs and LFs, wherever they lie.
TEST(LoadLimits, ATextOfCountlessLinesIsRefusedBeforeItIsSplit) {
    constexpr qsizetype kMax = TSchemeData::kMaxDocumentLines;
    const struct {
        QByteArray Tail;
        qsizetype Lines;
    } Cases[] = {
        {QByteArray(2 * kMax, '\n'), 2 * kMax + 3},
        {"x" + QByteArray(kMax, '\r'), kMax + 3},
        {QByteArray("\r\n").repeated(kMax), kMax + 3},
        {"xyz" + QByteArray(kMax + 5, '\n') + QByteArray(7, '\r'), kMax + 8},
    };
    for (const auto& C : Cases) {
        TSchemeData Data;
        Data.SetTimerInterval(0);
        Data.LayerAdd(7);
        QByteArray Bytes = QByteArrayLiteral("TSchemeData\r\nEnd\r\n") + C.Tail;
        QBuffer Stream(&Bytes);
        Stream.open(QIODevice::ReadOnly);
        try {
            Data.LoadFromStream(Stream);
            ADD_FAILURE() << "loaded";
        } catch (const ESchemeErrorException& E) {
            EXPECT_TRUE(E.Message().startsWith(
                QStringLiteral("TSchemeData : Document has too many lines (%1,").arg(C.Lines)))
                << E.what();
        }
        EXPECT_EQ(Data.LayerCount(), 1);
    }
}

// Forty pictures whose GIFs each claim 5792 x 5792 pixels: loading decodes none; painting
// decodes as many whole as the document's budget holds and reports every other one by object;
// GIFs of 35 bytes, which cannot hold such images, are all reported and none is decoded; saving
// writes the bytes read.
TEST(LoadLimits, OversizedPicturesDecodeWithinTheDocumentsBudgetAndEachRefusalIsNamed) {
    const struct {
        QByteArray Gif;
        bool SomeShown;
        QString Refusal;
    } Cases[] = {
        {scheme::testing::LargeGif(), true, QStringLiteral("limit of 256 MiB")},
        {scheme::testing::OversizedGif(), false,
         QStringLiteral("its 35 bytes of data cannot hold that many pixels")},
    };
    for (const auto& Case : Cases) {
        const QStringList Text = scheme::testing::FortyGifDocument(Case.Gif);
        TSchemeData Data;
        Data.SetTimerInterval(0);
        QStringList Lines = Text;
        ASSERT_NO_THROW(Data.LoadFromStrings(Lines));
        EXPECT_EQ(Data.LoadWarnings(), QStringList());
        const std::shared_ptr<TPictureBudget> Budget = Data.PictureBudget();
        EXPECT_EQ(Budget->Granted(), 0);
        QImage Image(100, 100, QImage::Format_RGB32);
        for (int Pass = 0; Pass < 2; ++Pass) {
            TCanvas Canvas(&Image);
            Data.PaintDirectInCanvas(Canvas, 0, 0, 1, 0);
        }
        EXPECT_LE(Budget->Peak(), kPictureBudgetLimit);
        const TSchemeLayer* Layer = Data.GetLayer(1);
        ASSERT_EQ(Layer->Count(), 40);
        qint64 Decoded = 0;
        int Shown = 0;
        for (int I = 0; I < Layer->Count(); ++I) {
            const auto* Picture = dynamic_cast<const TSchemePicture*>(Layer->GetItemIndex(I));
            ASSERT_NE(Picture, nullptr);
            const qint64 Size = Picture->Picture()->Graphic()->DecodedSize();
            Decoded += Size;
            Shown += Size > 0;
        }
        EXPECT_EQ(Decoded, Budget->Used());
        EXPECT_LE(Decoded, kPictureBudgetLimit);
        EXPECT_EQ(Shown > 0, Case.SomeShown);
        EXPECT_EQ(Budget->Granted() > 0, Case.SomeShown);
        const QStringList Reports = Budget->TakeReports();
        EXPECT_EQ(Reports.size(), 40 - Shown);
        QSet<QString> Objects;
        for (const QString& Report : Reports) {
            EXPECT_TRUE(
                Report.contains(QStringLiteral("TBitmap of 5792 x 5792 pixels not decoded")))
                << Report.toStdString();
            EXPECT_TRUE(Report.contains(Case.Refusal)) << Report.toStdString();
            Objects.insert(Report.section(QStringLiteral(" on layer 1"), 0, 0));
        }
        EXPECT_EQ(Objects.size(), Reports.size());
        QStringList Saved;
        Data.SaveToStrings(Saved);
        EXPECT_EQ(Saved, Text);
    }
}

// An SVG picture embedding forty such GIFs: the images past the budget are dropped while it
// loads, each a load warning naming the object, its layer and the image.
TEST(LoadLimits, EmbeddedImagesPastTheBudgetAreLoadWarnings) {
    const QStringList Text = scheme::testing::SvgOfFortyGifsDocument(scheme::testing::LargeGif());
    TSchemeData Data;
    Data.SetTimerInterval(0);
    QStringList Lines = Text;
    ASSERT_NO_THROW(Data.LoadFromStrings(Lines));
    const std::shared_ptr<TPictureBudget> Budget = Data.PictureBudget();
    const qint64 Each = DecodedBytes(QSize(5792, 5792));
    const int Kept = int(kPictureBudgetLimit / Each);
    EXPECT_EQ(Budget->Used(), Kept * Each);
    const QStringList& Warnings = Data.LoadWarnings();
    ASSERT_EQ(Warnings.size(), 40 - Kept);
    for (int I = 0; I < Warnings.size(); ++I)
        EXPECT_TRUE(Warnings[I].startsWith(
            QStringLiteral("TSchemePicture 1 on layer 1, Graphic: TMetafile: embedded image %1 "
                           "dropped: it claims 5792 x 5792 pixels")
                .arg(Kept + I + 1)))
            << Warnings[I].toStdString();
    QStringList Saved;
    Data.SaveToStrings(Saved);
    EXPECT_EQ(Saved, Text);
    Data.LayerClear();
    EXPECT_EQ(Budget->Used(), 0);
}
