#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "scheme/platform/color.h"
#include "scheme/platform/export.h"
#include "scheme/platform/types.h"

namespace scheme {

// Writing and reading the key=value lines of records.
//
// Every written line starts with the two-space prefix. Readers look a key up by the rule of
// ValueOf (first line whose name matches, letter case ignored); a missing key and an empty
// value both count as absent. Numbers are written in the general "%g" form with "." and read
// with either separator; flags read true exactly when their value is 1.
namespace record {

inline constexpr QLatin1StringView kPrefix{"  "};

SCHEME_EXPORT void Write(QStringList& Strings, QStringView Key, const QString& Value);
SCHEME_EXPORT void WriteInt(QStringList& Strings, QStringView Key, int Value);
SCHEME_EXPORT void WriteFloat(QStringList& Strings, QStringView Key, Extended Value);
SCHEME_EXPORT void WriteColor(QStringList& Strings, QStringView Key, TColor Value);

// The value of Key, or nothing when it is absent.
SCHEME_EXPORT std::optional<QString> Find(const QStringList& Strings, QStringView Key);
// A required integer: an absent key raises the conversion error of an empty text.
SCHEME_EXPORT int Int(const QStringList& Strings, QStringView Key);
SCHEME_EXPORT Extended Float(const QStringList& Strings, QStringView Key);
SCHEME_EXPORT std::optional<int> OptInt(const QStringList& Strings, QStringView Key);
SCHEME_EXPORT std::optional<Extended> OptFloat(const QStringList& Strings, QStringView Key);
SCHEME_EXPORT std::optional<TColor> OptColor(const QStringList& Strings, QStringView Key);
SCHEME_EXPORT std::optional<bool> OptFlag(const QStringList& Strings, QStringView Key);

// A count that indexes an array: negative values raise ESchemeErrorException naming Key.
SCHEME_EXPORT int Count(const QStringList& Strings, QStringView Key);
// Trims the record's lines and checks, before any point is read, that its Count is Expected:
// otherwise raises "<KindName> : Count must be <Expected>, not <Count>". A record that claims
// thousands of points thus fails at once, not after reading them. Answers Strings.
SCHEME_EXPORT QStringList& ExpectCount(QStringList& Strings, const QString& KindName, int Expected);

}  // namespace record
}  // namespace scheme
