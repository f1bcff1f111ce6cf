#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include "scheme/platform/export.h"

namespace scheme {

// S with every occurrence of the character A replaced by B. With A equal to B the text comes
// back unchanged.
SCHEME_EXPORT QString _change_in_str_A2B(const QString& S, QChar A, QChar B);

// Hex blocks: binary data as lines of upper-case hexadecimal digits, 32 bytes a line.
//
// BinaryToStrings appends the lines for every byte from the stream's current position to its
// end, so callers position the stream at its start. An empty stream appends nothing.
SCHEME_EXPORT void BinaryToStrings(QIODevice& Stream, QStringList& Strings);
SCHEME_EXPORT void BinaryToStrings(const QByteArray& Data, QStringList& Strings);
// Writes the bytes of every line to the stream: pairs of digits (either letter case) from the
// line's start up to its end or its first character that is not a hexadecimal digit, at most
// 256 bytes a line. An odd last digit is dropped.
SCHEME_EXPORT void BinaryFromStrings(QIODevice& Stream, const QStringList& Strings);
SCHEME_EXPORT QByteArray BinaryFromStrings(const QStringList& Strings);

}  // namespace scheme
