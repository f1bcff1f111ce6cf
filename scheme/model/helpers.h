#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include "scheme/platform/export.h"

namespace scheme {

class TPicture;

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

// Loads Picture from a hex block and the stored name of a graphic class. The names TBITMAP,
// TMETAFILE and TICON select their classes as written; any other name is looked up among the
// graphic classes, letter case ignored. A name that is no graphic class raises EClassNotFound
// ("Class <name> not found"); a block that decodes to more than kMaxGraphicDataSize bytes, or
// data the graphic cannot read, raises EInvalidGraphic. Picture is unchanged on every error.
SCHEME_EXPORT void PictureFromStrings(TPicture& Picture, const QString& ClassName,
                                      const QStringList& Strings);

}  // namespace scheme
