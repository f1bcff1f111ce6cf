#include "scheme/platform/stream_read.h"

#include <QFileDevice>
#include <algorithm>

#include "scheme/platform/exceptions.h"

namespace scheme {

namespace {

// Streams are read in pieces of this size, so that a stream beyond the limit is refused
// without ever holding much more than the limit.
constexpr qint64 kReadChunk = qint64(1) << 20;

void CheckReadError(const QIODevice& Stream) {
    const auto* File = qobject_cast<const QFileDevice*>(&Stream);
    if (File && File->error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Cannot read file \"%1\". %2")
                            .arg(File->fileName(), File->errorString()));
}

}  // namespace

std::optional<QByteArray> ReadAtMost(QIODevice& Stream, qint64 Limit) {
    QByteArray Data;
    if (!Stream.isSequential()) {
        // The size is known: the bytes go straight into one buffer of that size, read at once,
        // rather than piece by piece into buffers that are copied as they grow.
        const qint64 Size = Stream.size() - Stream.pos();
        if (Size > Limit) return std::nullopt;
        if (Size > 0) {
            Data.resize(Size);
            qint64 Got = 0;
            while (Got < Size) {
                const qint64 Read = Stream.read(Data.data() + Got, Size - Got);
                if (Read <= 0) break;
                Got += Read;
            }
            // A file that shrank meanwhile gave less; one that grew is read on below.
            if (Got < Size) {
                Data.truncate(Got);
                CheckReadError(Stream);
                return Data;
            }
        }
    }
    for (;;) {
        const QByteArray Chunk = Stream.read(std::min(kReadChunk, Limit - Data.size() + 1));
        if (Chunk.isEmpty()) break;
        if (Data.size() + Chunk.size() > Limit) return std::nullopt;
        Data.append(Chunk);
    }
    CheckReadError(Stream);
    return Data;
}

}  // namespace scheme
