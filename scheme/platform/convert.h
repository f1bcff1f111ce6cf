#pragma once

#include <QString>
#include <string_view>

#include "scheme/platform/export.h"
#include "scheme/platform/types.h"

namespace scheme {

// Integer text: optional leading blanks, an optional sign, then decimal digits or a
// hexadecimal number written "$1F" or "0x1F". Anything else, or a value outside 32 bits,
// raises EConvertError "'<text>' is not a valid integer value".
SCHEME_EXPORT int StrToInt(const QString& S);
SCHEME_EXPORT bool TryStrToInt(const QString& S, int& Value);

// Floating-point text: optional blanks around it, an optional sign, digits with "." or "," as
// the decimal separator, an optional exponent. Non-finite values ("nan", "inf") and values
// beyond the range of Extended raise EConvertError
// "'<text>' is not a valid floating point value". Both separators are read so that files
// written under any locale read everywhere.
SCHEME_EXPORT Extended StrToFloat(const QString& S);
SCHEME_EXPORT bool TryStrToFloat(const QString& S, Extended& Value);

// The general number form used in records: up to 15 significant digits, no trailing zeros,
// "." as the decimal separator, and an exponent ("1E15", "1.5E-5") only when the decimal
// exponent reaches 15 or falls below -4.
SCHEME_EXPORT QString FloatToStrG(Extended Value);

// The same conversions on 8-bit text, for readers and writers that work on a file's bytes. They
// accept and refuse exactly what the forms above do for the same ASCII characters; a text that
// holds other bytes is refused (TryTextToFloat's callers decode such a text and ask
// TryStrToFloat, which also trims blanks beyond ASCII).
SCHEME_EXPORT bool TryTextToInt(std::string_view S, int& Value);
SCHEME_EXPORT bool TryTextToFloat(std::string_view S, Extended& Value);
// Room FormatFloatG needs.
inline constexpr int kFloatTextSize = 48;
// Writes FloatToStrG's text into Buffer (kFloatTextSize bytes at least); answers its length.
SCHEME_EXPORT int FormatFloatG(Extended Value, char* Buffer);

}  // namespace scheme
