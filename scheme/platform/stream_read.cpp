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
    if (!Stream.isSequential() && Stream.size() - Stream.pos() > Limit) return std::nullopt;
    QByteArray Data;
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
