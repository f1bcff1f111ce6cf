#include "scheme/platform/stream_read.h"

#include <QFileDevice>
#include <algorithm>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

TLargeReadBuffer::~TLargeReadBuffer() {
    Free();
}

void TLargeReadBuffer::Free() {
#if defined(__linux__)
    if (FMap) munmap(FMap, FMapSize);
#endif
    FMap = nullptr;
    FMapSize = 0;
}

char* TLargeReadBuffer::Allocate(size_t Size) {
    Free();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Large pages must start on their own boundary: one page more is mapped than needed, and
    // the bytes start at the first boundary within.
    constexpr size_t kPage = size_t(2) << 20;
    const size_t Span = (Size + kPage - 1) / kPage * kPage;
    void* Map =
        mmap(nullptr, Span + kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (Map == MAP_FAILED) return nullptr;
    FMap = Map;
    FMapSize = Span + kPage;
    const auto Start = (reinterpret_cast<std::uintptr_t>(Map) + kPage - 1) / kPage * kPage;
    char* Bytes = reinterpret_cast<char*>(Start);
    // Only a hint: without large pages the memory is ordinary memory.
    madvise(Bytes, Span, MADV_HUGEPAGE);
    return Bytes;
#else
    (void)Size;
    return nullptr;
#endif
}

namespace {

// Reads up to Size bytes into Data; answers how many came.
qint64 ReadInto(QIODevice& Stream, char* Data, qint64 Size) {
    qint64 Got = 0;
    while (Got < Size) {
        const qint64 Read = Stream.read(Data + Got, Size - Got);
        if (Read <= 0) break;
        Got += Read;
    }
    return Got;
}

std::optional<QByteArray> ReadAtMostInto(QIODevice& Stream, qint64 Limit,
                                         TLargeReadBuffer* Storage) {
    QByteArray Data;
    if (!Stream.isSequential()) {
        // The size is known: the bytes go straight into one buffer of that size, read at once,
        // rather than piece by piece into buffers that are copied as they grow.
        const qint64 Size = Stream.size() - Stream.pos();
        if (Size > Limit) return std::nullopt;
        char* Large = Storage && Size >= TLargeReadBuffer::kThreshold
                          ? Storage->Allocate(size_t(Size))
                          : nullptr;
        if (Large) {
            // Viewed where it lies; a file that grew meanwhile makes the view a copy below.
            const qint64 Got = ReadInto(Stream, Large, Size);
            Data = QByteArray::fromRawData(Large, Got);
            if (Got < Size) {
                CheckReadError(Stream);
                return Data;
            }
        } else if (Size > 0) {
            Data.resize(Size);
            const qint64 Got = ReadInto(Stream, Data.data(), Size);
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

}  // namespace

std::optional<QByteArray> ReadAtMost(QIODevice& Stream, qint64 Limit) {
    return ReadAtMostInto(Stream, Limit, nullptr);
}

std::optional<QByteArray> ReadAtMost(QIODevice& Stream, qint64 Limit, TLargeReadBuffer& Storage) {
    return ReadAtMostInto(Stream, Limit, &Storage);
}

}  // namespace scheme
