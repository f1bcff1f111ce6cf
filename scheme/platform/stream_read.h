#pragma once

#include <QByteArray>
#include <QIODevice>
#include <cstddef>
#include <optional>

#include "scheme/platform/export.h"

namespace scheme {

// Reads the rest of Stream in pieces, never holding more than Limit bytes: nothing when the
// stream holds more than that. A file that fails while it is read raises Exception with the
// device's error text, so that its first part is never taken for the whole.
SCHEME_EXPORT std::optional<QByteArray> ReadAtMost(QIODevice& Stream, qint64 Limit);

// Memory for the bytes of a large file, mapped in large pages where the system offers them: a
// document of many megabytes is then read without a page fault for every 4 KiB and scanned with
// few misses of the address cache. Freed with the holder.
class SCHEME_EXPORT TLargeReadBuffer {
public:
    // Files smaller than this are read into ordinary memory.
    static constexpr qint64 kThreshold = qint64(4) << 20;

    TLargeReadBuffer() = default;
    ~TLargeReadBuffer();
    TLargeReadBuffer(const TLargeReadBuffer&) = delete;
    TLargeReadBuffer& operator=(const TLargeReadBuffer&) = delete;

    // Room for Size bytes, dropping what was held; nullptr when the system has none to give.
    char* Allocate(size_t Size);

private:
    void Free();
    void* FMap = nullptr;
    size_t FMapSize = 0;
};

// ReadAtMost, with the bytes of a large file of known size read into Storage: the answer then
// views Storage and is valid while Storage holds them.
SCHEME_EXPORT std::optional<QByteArray> ReadAtMost(QIODevice& Stream, qint64 Limit,
                                                   TLargeReadBuffer& Storage);

}  // namespace scheme
