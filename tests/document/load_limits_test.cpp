// The longest line, the largest document and the widest pen a load reads: more is refused with
// a clear error, and what was placed before stays.
#include <gtest/gtest.h>

#include <QIODevice>
#include <algorithm>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_text.h"
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

TEST(LoadLimits, LineOfTheLimitLoads) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    const qsizetype Room = TSchemeData::kMaxLineLength - 5;  // "Text=" and the caption
    QStringList Strings = Document(QString(Room, QLatin1Char('a')));
    ASSERT_NO_THROW(Data.LoadFromStrings(Strings));
    ASSERT_EQ(Data.GetLayer(1)->Count(), 1);
    EXPECT_EQ(Data.GetLayer(1)->GetItemIndex(0)->Text().size(), Room);
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
