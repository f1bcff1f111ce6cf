// Reading a stream up to a limit: the limit itself is read, one byte more is refused, whether
// the stream knows its size or not.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QIODevice>

#include "scheme/platform/stream_read.h"

using namespace scheme;

namespace {

// A pipe-like device: no size, its bytes handed out a few at a time.
class TrickleDevice : public QIODevice {
public:
    explicit TrickleDevice(QByteArray Bytes) : FBytes(std::move(Bytes)) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* Data, qint64 MaxSize) override {
        const qint64 N = std::min<qint64>({MaxSize, 3, FBytes.size() - FPos});
        std::copy_n(FBytes.constData() + FPos, N, Data);
        FPos += N;
        return N;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray FBytes;
    qint64 FPos = 0;
};

}  // namespace

TEST(ReadAtMost, TheLimitIsReadAndOneByteMoreIsRefused) {
    const QByteArray Ten("0123456789");
    for (qint64 Limit : {10, 11, 9, 0}) {
        QByteArray Source = Ten;
        QBuffer Buffer(&Source);
        Buffer.open(QIODevice::ReadOnly);
        TrickleDevice Pipe(Ten);
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
