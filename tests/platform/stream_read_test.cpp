// Reading a stream up to a limit: the limit itself is read, one byte more is refused, whether
// the stream knows its size or not.
#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include <QBuffer>
#include <QIODevice>

#include "scheme/platform/stream_read.h"

using namespace scheme;

namespace {

// A device handing out its bytes at most Step at a time. Without a reported size it is a pipe
// (sequential, no size); with one it is a file that says it holds Reported bytes while it hands
// out its own, as a file that shrinks or grows meanwhile does.
class FakeDevice : public QIODevice {
public:
    FakeDevice(QByteArray Bytes, std::optional<qint64> Reported,
               qint64 Step = std::numeric_limits<qint64>::max())
        : FBytes(std::move(Bytes)), FReported(Reported), FStep(Step) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return !FReported; }
    qint64 size() const override { return FReported ? *FReported : QIODevice::size(); }

protected:
    qint64 readData(char* Data, qint64 MaxSize) override {
        const qint64 N = std::min<qint64>({MaxSize, FStep, FBytes.size() - FPos});
        std::copy_n(FBytes.constData() + FPos, N, Data);
        FPos += N;
        return N;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray FBytes;
    std::optional<qint64> FReported;
    qint64 FStep;
    qint64 FPos = 0;
};

}  // namespace

TEST(ReadAtMost, TheLimitIsReadAndOneByteMoreIsRefused) {
    const QByteArray Ten("0123456789");
    for (qint64 Limit : {10, 11, 9, 0}) {
        QByteArray Source = Ten;
        QBuffer Buffer(&Source);
        Buffer.open(QIODevice::ReadOnly);
        FakeDevice Pipe(Ten, std::nullopt, 3);
        for (QIODevice* Device :
             {static_cast<QIODevice*>(&Buffer), static_cast<QIODevice*>(&Pipe)}) {
            const std::optional<QByteArray> Read = ReadAtMost(*Device, Limit);
            if (Limit >= 10) {
                ASSERT_TRUE(Read.has_value()) << Limit;
                EXPECT_EQ(*Read, Ten);
            } else {
                EXPECT_FALSE(Read.has_value()) << Limit;
            }
        }
    }
}

TEST(ReadAtMost, ReadsFromTheCurrentPosition) {
    QByteArray Source("header:body");
    QBuffer Buffer(&Source);
    Buffer.open(QIODevice::ReadOnly);
    Buffer.seek(7);
    EXPECT_EQ(ReadAtMost(Buffer, 4), QByteArray("body"));
}

// Large streams go into memory of their own: the bytes are the same, also when the stream
// turns out shorter or longer than it said, and the limit still holds.
TEST(ReadAtMost, LargeStreamsReadIntoTheirOwnMemoryAlike) {
    const qint64 Large = TLargeReadBuffer::kThreshold + 12345;
    QByteArray Bytes(Large, 'x');
    for (qint64 I = 0; I < Large; I += 4093) Bytes[I] = char('a' + I % 26);
    for (const qint64 Actual : {Large, Large - 1000, Large + 1000}) {
        const QByteArray Source = Bytes.left(std::min(Actual, Large)) +
                                  QByteArray(std::max<qint64>(Actual - Large, 0), 'y');
        TLargeReadBuffer Storage;
        FakeDevice Device(Source, Large);
        const std::optional<QByteArray> Read = ReadAtMost(Device, Large + 2000, Storage);
        ASSERT_TRUE(Read.has_value()) << Actual;
        EXPECT_TRUE(*Read == Source) << Actual;
    }
    TLargeReadBuffer Storage;
    FakeDevice Device(Bytes, Large);
    EXPECT_FALSE(ReadAtMost(Device, Large - 1, Storage).has_value());
}
