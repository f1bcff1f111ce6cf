// The longest line a load reads: a longer one is refused with its line, and what was placed
// before it stays.
#include <gtest/gtest.h>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_text.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;

namespace {

QStringList Document(const QString& Caption) {
    return {QStringLiteral("TSchemeData"),
            QStringLiteral("End"),
            QStringLiteral("TSchemeLayer"),
            QStringLiteral("ID=1"),
            QStringLiteral("End"),
            QStringLiteral("TSchemeText"),
            QStringLiteral("ID=1"),
            QStringLiteral("LayerID=1"),
            QStringLiteral("Text=") + Caption,
            QStringLiteral("End")};
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
                                      "1048576 are read)\rIn block has line 8"));
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
