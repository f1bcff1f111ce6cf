#include "fuzz/targets/fuzz_lines.h"

#include "scheme/platform/string_list.h"

namespace scheme::fuzz {

QStringList FuzzLines(const std::uint8_t* Data, std::size_t Size) {
    return BytesToLines(
        QByteArray(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size)));
}

}  // namespace scheme::fuzz
