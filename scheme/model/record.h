#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Trims the record's lines in place (record constructors change the caller's list) and
// answers them.
SCHEME_EXPORT QStringList& TrimmedRecord(QStringList& Strings);

// A count that indexes an array: negative values raise ESchemeErrorException naming Key.
SCHEME_EXPORT int Count(const QStringList& Strings, QStringView Key);
// Trims the record's lines and checks, before any point is read, that its Count is Expected:
// otherwise raises "<KindName> : Count must be <Expected>, not <Count>". A record that claims
// thousands of points thus fails at once, not after reading them. Answers Strings.
SCHEME_EXPORT QStringList& ExpectCount(QStringList& Strings, const QString& KindName, int Expected);

// A key of a record: its name (ASCII), the hash of its lower-case form, and, for a point key
// "X<I>" or "Y<I>", its axis and number; worked out once, at compile time for literal keys.
class TKey {
public:
    template <size_t N>
    consteval TKey(const char (&Name)[N]) : TKey(std::string_view(Name, N - 1), 0) {}
    explicit constexpr TKey(std::string_view Name) : TKey(Name, 0) {}

    constexpr std::string_view Name() const { return FName; }
    constexpr std::uint32_t Hash() const { return FHash; }
    // The point's number, or -1 for other keys; the axis is 'x' or 'y'.
    constexpr int Point() const { return FPoint; }
    constexpr char Axis() const { return FAxis; }

    static constexpr char Lower(char C) { return (C >= 'A' && C <= 'Z') ? char(C - 'A' + 'a') : C; }
    static constexpr std::uint32_t HashStep(std::uint32_t Hash, char C) {
        return (Hash ^ std::uint8_t(Lower(C))) * 16777619u;
    }
    static constexpr std::uint32_t kSeed = 2166136261u;
    // The number of a point key ("X12", "y0"), -1 for any other name. Only the form the writer
    // makes counts (no sign, no leading zero), since only that equals a key "X<I>".
    static constexpr int PointNumber(std::string_view Name, char& Axis) {
        if (Name.size() < 2 || Name.size() > 10) return -1;
        const char A = Lower(Name[0]);
        if (A != 'x' && A != 'y') return -1;
        if (Name[1] == '0' && Name.size() > 2) return -1;
        int N = 0;
        for (size_t I = 1; I < Name.size(); ++I) {
            if (Name[I] < '0' || Name[I] > '9') return -1;
            N = N * 10 + (Name[I] - '0');
        }
        Axis = A;
        return N;
    }

private:
    constexpr TKey(std::string_view Name, int) : FName(Name) {
        for (char C : Name) FHash = HashStep(FHash, C);
        FPoint = PointNumber(Name, FAxis);
    }

    std::string_view FName;
    std::uint32_t FHash = kSeed;
    int FPoint = -1;
    char FAxis = 0;
};

// One record parsed as its lines are added: each line trimmed, the name of each (the text before
// its first "=") hashed in the same pass that finds its "=", and an index from names to the
// first line that carries them kept as lines come, so that every key costs one look-up however
// long the record is and no second pass over the record is made. Point keys ("X<i>", "Y<i>")
// are indexed by their number. The lookups follow the rules above: names match with letter case
// ignored, the first line of a name wins, an empty value is absent.
//
// The lines are UTF-8 text or, for a document read as Latin-1, Latin-1 text. A record built
// from a QStringList holds its own copy; a record filled with Add views text the caller keeps
// alive and unchanged while the record is used.
//
// The record notes which of its lines its readers used, so that a load can name the lines no
// reader took: a line is read when a look-up finds it (also one whose value is empty), when
// Strings(From, To) hands it out, or when MarkRead says so. Marks pass on to the record that
// lines were appended from, and, for a record built from a watched list (TLineReadWatch), to
// the watch.
class SCHEME_EXPORT TRecord {
public:
    TRecord();
    explicit TRecord(const QStringList& Lines);
    TRecord(const TRecord&) = delete;
    TRecord& operator=(const TRecord&) = delete;

    // Starts again with no lines, keeping the memory for the next record.
    void Clear(bool Latin1 = false);
    // Adds a line, trimmed of its leading and trailing blanks and control characters; answers
    // its name (the text before its first "="), or nothing without "=".
    std::optional<std::string_view> Add(std::string_view Line);
    // Adds a line that is trimmed already; answers the length of its name, -1 without "=".
    int AddTrimmed(std::string_view Line);
    // Adds lines From .. To - 1 of Source, which must outlive this record, in its encoding.
    void Append(const TRecord& Source, qsizetype From, qsizetype To);

    qsizetype Size() const { return qsizetype(FLines.size()); }
    std::string_view Line(qsizetype I) const { return FLines[size_t(I)].Text; }
    QString Decode(std::string_view Text) const;
    // Lines From .. To - 1 as text; they count as read.
    QStringList Strings(qsizetype From, qsizetype To) const;
    QStringList Strings() const { return Strings(0, Size()); }
    // Every line as text, none of them counted as read: for a reader of lines, whose use of
    // them a TLineReadWatch notes.
    QStringList Lines() const;

    // Counts lines From .. To - 1 as read: for a reader that takes lines by position.
    void MarkRead(qsizetype From, qsizetype To) const;
    // Whether line I was read.
    bool WasRead(qsizetype I) const { return size_t(I) < FLines.size() && FLines[size_t(I)].Read; }

    // The first line named Key; -1 if none. Keys are ASCII.
    int IndexOfName(const TKey& Key) const {
        // Most keys a kind asks for are absent: answered here, without a call.
        if (SurelyAbsent(Key)) return -1;
        return IndexOfNamed(Key);
    }
    std::optional<std::string_view> Find(const TKey& Key) const {
        const int L = IndexOfName(Key);
        if (L < 0) return std::nullopt;
        const std::string_view Value =
            FLines[size_t(L)].Text.substr(size_t(FLines[size_t(L)].NameLength) + 1);
        if (Value.empty()) return std::nullopt;
        return Value;
    }
    // The value as ValueOf answers it: empty when absent.
    QString Value(const TKey& Key) const;
    // The optional readers answer the keys a record surely lacks (most of those a kind asks
    // for) here, without a call.
    std::optional<QString> FindText(const TKey& Key) const {
        if (SurelyAbsent(Key)) return std::nullopt;
        return FindTextPresent(Key);
    }
    int Int(const TKey& Key) const;
    Extended Float(const TKey& Key) const;
    std::optional<int> OptInt(const TKey& Key) const {
        if (SurelyAbsent(Key)) return std::nullopt;
        return OptIntPresent(Key);
    }
    std::optional<Extended> OptFloat(const TKey& Key) const {
        if (SurelyAbsent(Key)) return std::nullopt;
        return OptFloatPresent(Key);
    }
    std::optional<TColor> OptColor(const TKey& Key) const {
        if (SurelyAbsent(Key)) return std::nullopt;
        return OptColorPresent(Key);
    }
    std::optional<bool> OptFlag(const TKey& Key) const {
        if (SurelyAbsent(Key)) return std::nullopt;
        if (auto Value = OptIntPresent(Key)) return *Value == 1;
        return std::nullopt;
    }
    // As record::Count and record::ExpectCount (the lines are trimmed already).
    int Count(const TKey& Key) const;
    const TRecord& ExpectCount(const QString& KindName, int Expected) const;
    // Point I's coordinate ('X' or 'Y'): required, as Float of the key "X<I>" or "Y<I>".
    Extended Point(char Axis, int I) const;

private:
    struct TLine {
        std::string_view Text;
        // The length of the name; -1 without "=".
        int NameLength = -1;
        // The line's index in FSource (or FWatch's list), -1 if none.
        int Origin = -1;
        // The hash of the name in lower case (folded, for a name beyond ASCII).
        std::uint32_t Hash = 0;
        // The folded name in FFolded, for a name beyond ASCII; -1 if none.
        int Folded = -1;
        mutable bool Read = false;
    };
    void Push(std::string_view Text, int NameLength, std::uint32_t Hash, bool Ascii, int Origin);
    void IndexName(int L);
    void GrowSlots();
    std::string_view NameOf(const TLine& Line) const;
    int FindName(std::string_view Name, std::uint32_t Hash) const;
    void MarkLine(qsizetype L) const;
    int IndexOfNamed(const TKey& Key) const;
    bool SurelyAbsent(const TKey& Key) const { return Key.Point() < 0 && !MayHoldName(Key.Hash()); }
    std::optional<QString> FindTextPresent(const TKey& Key) const;
    std::optional<int> OptIntPresent(const TKey& Key) const;
    std::optional<Extended> OptFloatPresent(const TKey& Key) const;
    std::optional<TColor> OptColorPresent(const TKey& Key) const;
    int IndexOfPoint(char Axis, int I) const;
    Extended ToFloat(std::optional<std::string_view> Value) const;

    std::vector<TLine> FLines;
    bool FLatin1 = false;
    std::string FOwned;
    // One bit for each name's hash modulo 256: most keys a kind asks for are absent, and are
    // answered without a look at the slots.
    std::uint64_t FNameBits[4] = {};
    bool MayHoldName(std::uint32_t Hash) const {
        return FNameBits[Hash >> 6 & 3] >> (Hash & 63) & 1;
    }
    // Open addressing over the names (lower case), each slot the first line of a name or -1;
    // at most half full.
    std::vector<int> FSlots;
    // Names beyond ASCII folded as Qt compares them.
    std::deque<std::string> FFolded;
    // The lines of point keys by number: X at 2 * I, Y at 2 * I + 1; -1 where absent. A point
    // key whose number lies beyond its own line is indexed by name (FPointNames), so that no
    // line makes the table longer than the record.
    std::vector<int> FPoints;
    bool FPointNames = false;
    // The record the lines were appended from, and the watch of the list the record was built
    // from (valid while FWatchSerial names a live watch).
    const TRecord* FSource = nullptr;
    std::uint64_t FWatchSerial = 0;
};

// Appends record lines: to a QStringList, or as UTF-8 lines ended by CR LF to a byte buffer,
// the form of a document file. Either way the lines are the same, so one writer per kind serves
// both. In the byte form the writer notes the first line that a load would refuse as longer
// than LineLimit characters (indentation not counted).
class SCHEME_EXPORT TRecordWriter {
public:
    explicit TRecordWriter(QStringList& Lines);
    TRecordWriter(std::string& Bytes, qsizetype LineLimit);
    // Bytes as a buffer of about Chunk bytes: each time a line fills it, Drain is handed its
    // lines and it starts again empty; Finish hands over the rest. A large text thus never
    // lies in memory as a whole.
    TRecordWriter(std::string& Bytes, qsizetype LineLimit, size_t Chunk,
                  std::function<void(const std::string&)> Drain);
    TRecordWriter(const TRecordWriter&) = delete;
    TRecordWriter& operator=(const TRecordWriter&) = delete;

    // "  Key=Value" lines.
    void Write(std::string_view Key, QStringView Value);
    void WriteInt(std::string_view Key, int Value);
    void WriteFloat(std::string_view Key, Extended Value);
    void WriteColor(std::string_view Key, TColor Value);
    // The lines of point I: "  X<I>=..." and "  Y<I>=...".
    void WritePoint(int I, const TPointExt& P);
    void WritePoint(int I, double X, double Y);
    // Lines as they are (class names, End, properties, hex lines).
    void WriteLine(QStringView Line);
    void WriteLine(std::string_view Ascii);
    void WriteLines(const QStringList& Lines);

    // Hands the bytes not drained yet to Drain (nothing without one).
    void Finish();

    bool ToBytes() const { return FBytes != nullptr; }
    // The lines written so far.
    qsizetype LineCount() const { return FLineCount; }
    // The first line (counted from 1) too long to be read again, and its length; 0 if none.
    qsizetype TooLongLine() const { return FTooLongLine; }
    qsizetype TooLongLength() const { return FTooLongLength; }

private:
    void BeginKey(std::string_view Key);
    void EndLine();
    void AppendNumber(std::string_view Key, const char* Digits, int Length);
    void LineWritten() {
        if (FDrain && FBytes->size() >= FChunk) Finish();
    }

    QStringList* FLines = nullptr;
    std::string* FBytes = nullptr;
    qsizetype FLineLimit = 0;
    size_t FLineStart = 0;
    qsizetype FLineCount = 0;
    qsizetype FTooLongLine = 0;
    qsizetype FTooLongLength = 0;
    size_t FChunk = 0;
    std::function<void(const std::string&)> FDrain;
};

}  // namespace record
}  // namespace scheme
