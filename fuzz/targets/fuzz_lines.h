#pragma once

#include <QByteArray>
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace scheme::fuzz {

// The bytes as UTF-8 text (Latin-1 when they are not valid UTF-8) split at CR, LF and CR LF.
QStringList FuzzLines(const std::uint8_t* Data, std::size_t Size);

}  // namespace scheme::fuzz
