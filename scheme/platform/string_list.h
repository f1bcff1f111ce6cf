#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string_view>
#include <vector>

#include "scheme/platform/export.h"
#include "scheme/platform/object.h"

namespace scheme {

// An owned list of lines that announces every change through OnChange, and tells its owner (if
// any) just before it.
class SCHEME_EXPORT TStringList : public TObject {
public:
    TNotifyHandler OnChange;
    void SetChangingOwner(TObject* Owner) { FChangingOwner = Owner; }

    int Count() const { return static_cast<int>(FLines.size()); }
    const QStringList& Lines() const { return FLines; }
    // The line at Index; raises EListError outside 0 .. Count-1.
    const QString& Strings(int Index) const;
    void SetStrings(int Index, const QString& Value);
    void Add(const QString& Line);
    void Insert(int Index, const QString& Line);
    void Delete(int Index);
    void Clear();
    // Replaces all lines at once and notifies once.
    void Assign(const QStringList& Lines);
    void Assign(const TStringList& Source) { Assign(Source.FLines); }

private:
    void CheckIndex(int Index, int Limit) const;
    void Changing() {
        if (FChangingOwner) FChangingOwner->PartChanging(this);
    }
    void Changed();

    QStringList FLines;
    TObject* FChangingOwner = nullptr;
};

// Removes leading and trailing blanks and control characters (every character up to
// U+0020).
SCHEME_EXPORT QString TrimBlanks(const QString& S);
// The part of S that TrimBlanks keeps, without copying it.
SCHEME_EXPORT QStringView TrimmedView(const QString& S);
// TrimBlanks applied to every line of the list, in place.
SCHEME_EXPORT void TrimLines(QStringList& Lines);

// The name of a key=value line: the text before its first "="; empty without "=".
SCHEME_EXPORT QString LineName(const QString& Line);
// The position of the first line whose name equals Key, letter case ignored; -1 if none.
SCHEME_EXPORT int IndexOfName(const QStringList& Lines, QStringView Key, int From = 0);
// The text after the first "=" of the first line named Key; empty when there is none.
SCHEME_EXPORT QString ValueOf(const QStringList& Lines, QStringView Key);

// Notes, while it lives, which lines of one list the readers on this thread find with
// IndexOfName and ValueOf (and through the record functions built on them, or a record built
// from the list): a load watches the list it hands to a reader of lines, to tell the lines no
// reader used. Watches nest; each notes only its own list. A reader that takes lines by
// position marks them itself (MarkRead on Of(List)).
class SCHEME_EXPORT TLineReadWatch {
public:
    explicit TLineReadWatch(const QStringList& Lines);
    ~TLineReadWatch();
    TLineReadWatch(const TLineReadWatch&) = delete;
    TLineReadWatch& operator=(const TLineReadWatch&) = delete;

    // The innermost live watch of Lines on this thread, or null.
    static TLineReadWatch* Of(const QStringList& Lines);
    // The live watch whose serial is Serial, or null.
    static TLineReadWatch* WithSerial(std::uint64_t Serial);
    std::uint64_t Serial() const { return FSerial; }

    void MarkRead(qsizetype I);
    bool WasRead(qsizetype I) const { return size_t(I) < FRead.size() && FRead[size_t(I)] != 0; }

private:
    const QStringList* FLines;
    std::uint64_t FSerial;
    TLineReadWatch* FOuter;
    std::vector<std::uint8_t> FRead;
};

// The lines of a text file's bytes: UTF-16 (little- or big-endian) when they start with its
// byte-order mark, else UTF-8 when they are valid UTF-8, else Latin-1. A leading UTF-8 or
// UTF-16 byte-order mark is no part of the text. A line ends at CR, LF or CR LF, and a final
// line break adds no empty line.
//
// Latin1FromLine, when given, receives -1, or, when the bytes were read as Latin-1, the index
// of the line that holds the first byte that is not valid UTF-8 (a sequence cut short by the
// end of the bytes counts as invalid). InvalidUtf16Line, when given, receives -1, or, for
// UTF-16 bytes that are not valid UTF-16 (a lone surrogate, an odd last byte), the index of the
// line that holds the first invalid unit, which the decoder replaced by U+FFFD.
SCHEME_EXPORT QStringList BytesToLines(const QByteArray& Bytes, int* Latin1FromLine = nullptr,
                                       int* InvalidUtf16Line = nullptr);

// The text of a file's bytes as BytesToLines reads it, left in 8 bits: UTF-8 (converted from
// UTF-16 when the bytes start with its byte-order mark), or Latin-1 when Latin1 is set; never
// with a leading byte-order mark. Text views Bytes or Owned.
struct STextBytes {
    QByteArray Owned;
    std::string_view Text;
    bool Latin1 = false;
};
SCHEME_EXPORT STextBytes TextOfBytes(const QByteArray& Bytes, int* Latin1FromLine = nullptr,
                                     int* InvalidUtf16Line = nullptr);
// The line of Text that starts at Pos, without its end (CR, LF or CR LF); Pos moves past the
// end. At the end of Text there is no further line: a final line break adds none.
SCHEME_EXPORT std::string_view NextLine(std::string_view Text, size_t& Pos);

}  // namespace scheme
