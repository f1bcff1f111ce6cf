#include "scheme/model/record.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "scheme/platform/convert.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

namespace scheme::record {

void Write(QStringList& Strings, QStringView Key, const QString& Value) {
    QString Line;
    Line.reserve(kPrefix.size() + Key.size() + 1 + Value.size());
    Line.append(kPrefix).append(Key).append(QLatin1Char('=')).append(Value);
    Strings.append(Line);
}

void WriteInt(QStringList& Strings, QStringView Key, int Value) {
    Write(Strings, Key, QString::number(Value));
}

void WriteFloat(QStringList& Strings, QStringView Key, Extended Value) {
    Write(Strings, Key, FloatToStrG(Value));
}

void WriteColor(QStringList& Strings, QStringView Key, TColor Value) {
    Write(Strings, Key, ColorToString(Value));
}

std::optional<QString> Find(const QStringList& Strings, QStringView Key) {
    QString Value = ValueOf(Strings, Key);
    if (Value.isEmpty()) return std::nullopt;
    return Value;
}

int Int(const QStringList& Strings, QStringView Key) {
    return StrToInt(ValueOf(Strings, Key));
}

Extended Float(const QStringList& Strings, QStringView Key) {
    return StrToFloat(ValueOf(Strings, Key));
}

std::optional<int> OptInt(const QStringList& Strings, QStringView Key) {
    if (auto Value = Find(Strings, Key)) return StrToInt(*Value);
    return std::nullopt;
}

std::optional<Extended> OptFloat(const QStringList& Strings, QStringView Key) {
    if (auto Value = Find(Strings, Key)) return StrToFloat(*Value);
    return std::nullopt;
}

std::optional<TColor> OptColor(const QStringList& Strings, QStringView Key) {
    if (auto Value = Find(Strings, Key)) return StringToColor(*Value);
    return std::nullopt;
}

std::optional<bool> OptFlag(const QStringList& Strings, QStringView Key) {
    if (auto Value = OptInt(Strings, Key)) return *Value == 1;
    return std::nullopt;
}

int Count(const QStringList& Strings, QStringView Key) {
    const int Value = OptInt(Strings, Key).value_or(0);
    if (Value < 0) RaiseError(QStringLiteral("Invalid %1: %2 is negative").arg(Key).arg(Value));
    return Value;
}

QStringList& TrimmedRecord(QStringList& Strings) {
    TrimLines(Strings);
    return Strings;
}

QStringList& ExpectCount(QStringList& Strings, const QString& KindName, int Expected) {
    TrimLines(Strings);
    const int Value = OptInt(Strings, u"Count").value_or(0);
    if (Value != Expected)
        RaiseError(
            QStringLiteral("%1 : Count must be %2, not %3").arg(KindName).arg(Expected).arg(Value));
    return Strings;
}

}  // namespace scheme::record

// ---- parsed records ------------------------------------------------------------------------

namespace scheme::record {

namespace {

constexpr std::uint32_t kHashSeed = TKey::kSeed;

char Lower(char C) {
    return TKey::Lower(C);
}

std::uint32_t HashStep(std::uint32_t Hash, char C) {
    return TKey::HashStep(Hash, C);
}

int PointNumber(std::string_view Name, char& Axis) {
    return TKey::PointNumber(Name, Axis);
}

// A name of other than ASCII characters as Qt compares it without regard to case: each code
// point folded. Answers false when the folded name is not ASCII, since no key then equals it.
bool FoldName(std::string_view Name, bool Latin1, std::string& Folded) {
    if (Latin1) return false;  // no Latin-1 letter beyond ASCII folds into ASCII
    const QString Text = QString::fromUtf8(Name.data(), qsizetype(Name.size()));
    Folded.clear();
    for (const char32_t C : Text.toUcs4()) {
        const char32_t F = QChar::toCaseFolded(C);
        if (F >= 0x80) return false;
        Folded.push_back(char(F));
    }
    return true;
}

[[noreturn]] void RaiseInvalidInt(const QString& Text) {
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(Text));
}

}  // namespace

namespace {

constexpr size_t kFirstSlots = 32;

bool SameName(std::string_view A, std::string_view B) {
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (Lower(A[I]) != Lower(B[I])) return false;
    return true;
}

// The hash of a name in lower case, and whether it is ASCII.
std::uint32_t NameHash(std::string_view Name, bool& Ascii) {
    std::uint32_t Hash = kHashSeed;
    std::uint8_t High = 0;
    for (char C : Name) {
        High |= std::uint8_t(C);
        Hash = HashStep(Hash, C);
    }
    Ascii = High < 0x80;
    return Hash;
}

}  // namespace

TRecord::TRecord() : FSlots(kFirstSlots, -1) {}

TRecord::TRecord(const QStringList& Lines) : TRecord() {
    std::vector<std::pair<size_t, size_t>> Spans;
    Spans.reserve(size_t(Lines.size()));
    for (const QString& Line : Lines) {
        const QByteArray Bytes = Line.toUtf8();
        Spans.emplace_back(FOwned.size(), size_t(Bytes.size()));
        FOwned.append(Bytes.constData(), size_t(Bytes.size()));
    }
    FLines.reserve(Spans.size());
    for (const auto& [Start, Length] : Spans) Add(std::string_view(FOwned).substr(Start, Length));
    // A reader of the watched list reads it through this record: its lines are the list's.
    if (TLineReadWatch* Watch = TLineReadWatch::Of(Lines)) {
        FWatchSerial = Watch->Serial();
        for (size_t L = 0; L < FLines.size(); ++L) FLines[L].Origin = int(L);
    }
}

void TRecord::Clear(bool Latin1) {
    FLines.clear();
    FLatin1 = Latin1;
    std::fill(std::begin(FNameBits), std::end(FNameBits), 0);
    // A table grown for a long record is not kept for the short ones after it.
    if (FSlots.size() > kFirstSlots)
        FSlots.assign(kFirstSlots, -1);
    else
        std::fill(FSlots.begin(), FSlots.end(), -1);
    FFolded.clear();
    FPoints.clear();
    FPointNames = false;
    FSource = nullptr;
    FWatchSerial = 0;
}

void TRecord::MarkLine(qsizetype L) const {
    const TLine& Line = FLines[size_t(L)];
    Line.Read = true;
    if (Line.Origin < 0) return;
    if (FSource) FSource->MarkLine(Line.Origin);
    if (FWatchSerial != 0)
        if (TLineReadWatch* Watch = TLineReadWatch::WithSerial(FWatchSerial))
            Watch->MarkRead(Line.Origin);
}

void TRecord::MarkRead(qsizetype From, qsizetype To) const {
    for (qsizetype L = std::max<qsizetype>(From, 0); L < std::min(To, Size()); ++L) MarkLine(L);
}

int TRecord::AddTrimmed(std::string_view Text) {
    // One pass finds the "=" and hashes the name before it.
    std::uint32_t Hash = kHashSeed;
    std::uint8_t High = 0;
    size_t Equals = 0;
    for (; Equals < Text.size(); ++Equals) {
        const char C = Text[Equals];
        if (C == '=') break;
        High |= std::uint8_t(C);
        Hash = HashStep(Hash, C);
    }
    const int NameLength = Equals == Text.size() ? -1 : int(Equals);
    Push(Text, NameLength, Hash, High < 0x80, -1);
    return NameLength;
}

std::optional<std::string_view> TRecord::Add(std::string_view Line) {
    size_t First = 0, Last = Line.size();
    while (First < Last && std::uint8_t(Line[First]) <= 32) ++First;
    while (Last > First && std::uint8_t(Line[Last - 1]) <= 32) --Last;
    const std::string_view Text = Line.substr(First, Last - First);
    const int NameLength = AddTrimmed(Text);
    if (NameLength < 0) return std::nullopt;
    return Text.substr(0, size_t(NameLength));
}

void TRecord::Push(std::string_view Text, int NameLength, std::uint32_t Hash, bool Ascii,
                   int Origin) {
    const int L = int(FLines.size());
    FLines.push_back(TLine{Text, NameLength, Origin, Hash, -1, false});
    if (NameLength < 0) return;
    TLine& Line = FLines.back();
    const std::string_view Name = Text.substr(0, size_t(NameLength));
    char Axis = 0;
    if (const int Number = PointNumber(Name, Axis); Number >= 0) {
        // Points up to the line's own number are kept by number; one beyond (which a reader of
        // points in order never reaches before it) is found by name.
        if (Number <= L) {
            const size_t At = 2 * size_t(Number) + (Axis == 'y');
            if (FPoints.size() <= At) FPoints.resize(2 * size_t(Number) + 2, -1);
            if (FPoints[At] < 0) FPoints[At] = L;
            return;
        }
        FPointNames = true;
    } else if (!Ascii) {
        FFolded.emplace_back();
        if (!FoldName(Name, FLatin1, FFolded.back())) {
            FFolded.pop_back();
            return;  // no key equals it
        }
        Line.Folded = int(FFolded.size() - 1);
        bool Unused = true;
        Line.Hash = NameHash(FFolded.back(), Unused);
    }
    IndexName(L);
}

void TRecord::IndexName(int L) {
    if (2 * (size_t(L) + 1) > FSlots.size()) GrowSlots();
    const TLine& Line = FLines[size_t(L)];
    FNameBits[Line.Hash >> 6 & 3] |= std::uint64_t(1) << (Line.Hash & 63);
    const size_t Mask = FSlots.size() - 1;
    const std::string_view Name = NameOf(Line);
    for (size_t S = Line.Hash & Mask;; S = (S + 1) & Mask) {
        const int Taken = FSlots[S];
        if (Taken < 0) {
            FSlots[S] = L;
            return;
        }
        // A name seen before: the first line keeps it.
        const TLine& Other = FLines[size_t(Taken)];
        if (Other.Hash == Line.Hash && SameName(NameOf(Other), Name)) return;
    }
}

void TRecord::GrowSlots() {
    const std::vector<int> Old = std::exchange(FSlots, std::vector<int>(FSlots.size() * 2, -1));
    const size_t Mask = FSlots.size() - 1;
    for (const int L : Old) {
        if (L < 0) continue;
        size_t S = FLines[size_t(L)].Hash & Mask;
        while (FSlots[S] >= 0) S = (S + 1) & Mask;
        FSlots[S] = L;
    }
}

std::string_view TRecord::NameOf(const TLine& Line) const {
    if (Line.Folded >= 0) return FFolded[size_t(Line.Folded)];
    return Line.Text.substr(0, size_t(Line.NameLength));
}

void TRecord::Append(const TRecord& Source, qsizetype From, qsizetype To) {
    FLatin1 = Source.FLatin1;
    // Lines read here count as read in the record they came from; those of a second source
    // count only here.
    if (FLines.empty() && !FSource) FSource = &Source;
    const bool Marks = FSource == &Source;
    for (qsizetype I = From; I < To; ++I) {
        const TLine& Line = Source.FLines[size_t(I)];
        bool Ascii = true;
        const std::uint32_t Hash =
            Line.NameLength < 0 ? 0 : NameHash(Line.Text.substr(0, size_t(Line.NameLength)), Ascii);
        Push(Line.Text, Line.NameLength, Hash, Ascii, Marks ? int(I) : -1);
    }
}

QString TRecord::Decode(std::string_view Text) const {
    return FLatin1 ? QString::fromLatin1(Text.data(), qsizetype(Text.size()))
                   : QString::fromUtf8(Text.data(), qsizetype(Text.size()));
}

QStringList TRecord::Strings(qsizetype From, qsizetype To) const {
    QStringList Result;
    Result.reserve(std::max<qsizetype>(To - From, 0));
    for (qsizetype I = From; I < To; ++I) {
        Result.append(Decode(Line(I)));
        MarkLine(I);
    }
    return Result;
}

QStringList TRecord::Lines() const {
    QStringList Result;
    Result.reserve(Size());
    for (const TLine& L : FLines) Result.append(Decode(L.Text));
    return Result;
}

int TRecord::FindName(std::string_view Name, std::uint32_t Hash) const {
    if (!MayHoldName(Hash)) return -1;
    const size_t Mask = FSlots.size() - 1;
    for (size_t S = Hash & Mask;; S = (S + 1) & Mask) {
        const int Taken = FSlots[S];
        if (Taken < 0) return -1;
        const TLine& Line = FLines[size_t(Taken)];
        if (Line.Hash == Hash && SameName(NameOf(Line), Name)) return Taken;
    }
}

int TRecord::IndexOfPoint(char Axis, int I) const {
    // The line named "X<I>" or "Y<I>" by name.
    auto Named = [&] {
        char Key[16];
        Key[0] = Axis;
        const int Length = int(std::to_chars(Key + 1, Key + sizeof Key, I).ptr - Key);
        const TKey Name(std::string_view(Key, size_t(Length)));
        return FindName(Name.Name(), Name.Hash());
    };
    int L = -1;
    if (I >= 0 && I < Size()) {
        const size_t At = 2 * size_t(I) + (Axis == 'Y' || Axis == 'y');
        if (At < FPoints.size()) L = FPoints[At];
        // A line of that name before its number's line is indexed by name.
        if (FPointNames)
            if (const int Before = Named(); Before >= 0 && (L < 0 || Before < L)) L = Before;
    } else {
        L = Named();
    }
    if (L >= 0) MarkLine(L);
    return L;
}

int TRecord::IndexOfNamed(const TKey& Key) const {
    if (Key.Point() >= 0) return IndexOfPoint(Key.Axis(), Key.Point());
    const int L = FindName(Key.Name(), Key.Hash());
    if (L >= 0) MarkLine(L);
    return L;
}

QString TRecord::Value(const TKey& Key) const {
    const auto V = Find(Key);
    return V ? Decode(*V) : QString();
}

std::optional<QString> TRecord::FindTextPresent(const TKey& Key) const {
    const auto V = Find(Key);
    if (!V) return std::nullopt;
    return Decode(*V);
}

int TRecord::Int(const TKey& Key) const {
    const std::string_view Text = Find(Key).value_or(std::string_view());
    int Value = 0;
    if (!TryTextToInt(Text, Value)) RaiseInvalidInt(Decode(Text));
    return Value;
}

Extended TRecord::ToFloat(std::optional<std::string_view> V) const {
    const std::string_view Text = V.value_or(std::string_view());
    Extended Value = 0;
    if (TryTextToFloat(Text, Value)) return Value;
    // Blanks beyond ASCII around a number are trimmed by the text form.
    return StrToFloat(Decode(Text));
}

Extended TRecord::Float(const TKey& Key) const {
    return ToFloat(Find(Key));
}

std::optional<int> TRecord::OptIntPresent(const TKey& Key) const {
    const auto Text = Find(Key);
    if (!Text) return std::nullopt;
    int Value = 0;
    if (!TryTextToInt(*Text, Value)) RaiseInvalidInt(Decode(*Text));
    return Value;
}

std::optional<Extended> TRecord::OptFloatPresent(const TKey& Key) const {
    const auto V = Find(Key);
    if (!V) return std::nullopt;
    return ToFloat(V);
}

std::optional<TColor> TRecord::OptColorPresent(const TKey& Key) const {
    const auto V = Find(Key);
    if (!V) return std::nullopt;
    return StringToColor(Decode(*V));
}

int TRecord::Count(const TKey& Key) const {
    const int Value = OptInt(Key).value_or(0);
    if (Value < 0)
        RaiseError(QStringLiteral("Invalid %1: %2 is negative")
                       .arg(QLatin1StringView(Key.Name().data(), qsizetype(Key.Name().size())))
                       .arg(Value));
    return Value;
}

const TRecord& TRecord::ExpectCount(const QString& KindName, int Expected) const {
    const int Value = OptInt("Count").value_or(0);
    if (Value != Expected)
        RaiseError(
            QStringLiteral("%1 : Count must be %2, not %3").arg(KindName).arg(Expected).arg(Value));
    return *this;
}

Extended TRecord::Point(char Axis, int I) const {
    const int L = IndexOfPoint(Axis, I);
    std::string_view Value;
    if (L >= 0) Value = FLines[size_t(L)].Text.substr(size_t(FLines[size_t(L)].NameLength) + 1);
    Extended Result = 0;
    if (!Value.empty() && TryTextToFloat(Value, Result)) return Result;
    return ToFloat(Value.empty() ? std::nullopt : std::optional(Value));
}

// ---- writing -------------------------------------------------------------------------------

namespace {

// Appends Text as UTF-8: ASCII text, nearly all of a document, without a converted copy.
void AppendUtf8(std::string& Bytes, QStringView Text) {
    const size_t Start = Bytes.size();
    Bytes.resize(Start + size_t(Text.size()));
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const char16_t C = Text[I].unicode();
        if (C >= 0x80) {
            Bytes.resize(Start);
            const QByteArray Utf8 = Text.toUtf8();
            Bytes.append(Utf8.constData(), size_t(Utf8.size()));
            return;
        }
        Bytes[Start + size_t(I)] = char(C);
    }
}

// FormatFloatG's text of a double: whole values, nearly every coordinate, without a detour
// through extended precision.
int FormatDouble(double Value, char* Buffer) {
    if (std::fabs(Value) < 1e15)
        if (const auto Whole = static_cast<qint64>(Value); static_cast<double>(Whole) == Value)
            return int(std::to_chars(Buffer, Buffer + kFloatTextSize, Whole).ptr - Buffer);
    return FormatFloatG(static_cast<Extended>(Value), Buffer);
}

// Appends "  <Axis><I>=<Value>\r\n" at Out; answers the end.
char* AppendPointLine(char* Out, char Axis, std::string_view Index, double Value) {
    *Out++ = ' ';
    *Out++ = ' ';
    *Out++ = Axis;
    Out = std::copy(Index.begin(), Index.end(), Out);
    *Out++ = '=';
    Out += FormatDouble(Value, Out);
    *Out++ = '\r';
    *Out++ = '\n';
    return Out;
}

}  // namespace

TRecordWriter::TRecordWriter(QStringList& Lines) : FLines(&Lines) {}

TRecordWriter::TRecordWriter(std::string& Bytes, qsizetype LineLimit)
    : FBytes(&Bytes), FLineLimit(LineLimit) {}

TRecordWriter::TRecordWriter(std::string& Bytes, qsizetype LineLimit, size_t Chunk,
                             std::function<void(const std::string&)> Drain)
    : FBytes(&Bytes), FLineLimit(LineLimit), FChunk(Chunk), FDrain(std::move(Drain)) {}

void TRecordWriter::Finish() {
    if (!FDrain || !FBytes || FBytes->empty()) return;
    FDrain(*FBytes);
    FBytes->clear();
}

void TRecordWriter::BeginKey(std::string_view Key) {
    FLineStart = FBytes->size();
    FBytes->append("  ", 2).append(Key).push_back('=');
}

void TRecordWriter::EndLine() {
    ++FLineCount;
    const size_t Length = FBytes->size() - FLineStart;
    // UTF-8 takes at least one byte per character: only a line longer in bytes can be too long.
    if (Length > size_t(FLineLimit) && FTooLongLine == 0) {
        const QString Line = QString::fromUtf8(FBytes->data() + FLineStart, qsizetype(Length));
        if (const qsizetype Read = TrimmedView(Line).size(); Read > FLineLimit) {
            FTooLongLine = FLineCount;
            FTooLongLength = Read;
        }
    }
    FBytes->append("\r\n", 2);
    LineWritten();
}

void TRecordWriter::Write(std::string_view Key, QStringView Value) {
    const QLatin1StringView Name(Key.data(), qsizetype(Key.size()));
    if (FLines) {
        QString Line;
        Line.reserve(kPrefix.size() + Name.size() + 1 + Value.size());
        Line.append(kPrefix).append(Name).append(QLatin1Char('=')).append(Value);
        FLines->append(Line);
        ++FLineCount;
        return;
    }
    BeginKey(Key);
    AppendUtf8(*FBytes, Value);
    EndLine();
}

void TRecordWriter::AppendNumber(std::string_view Key, const char* Digits, int Length) {
    if (FLines) {
        Write(Key, QString::fromLatin1(Digits, Length));
        return;
    }
    // The whole line at once: far shorter than any limit.
    char Line[128];
    if (Key.size() + size_t(Length) + 5 > sizeof Line) {
        BeginKey(Key);
        FBytes->append(Digits, size_t(Length));
        EndLine();
        return;
    }
    char* P = Line;
    *P++ = ' ';
    *P++ = ' ';
    P = std::copy(Key.begin(), Key.end(), P);
    *P++ = '=';
    P = std::copy(Digits, Digits + Length, P);
    *P++ = '\r';
    *P++ = '\n';
    FBytes->append(Line, size_t(P - Line));
    ++FLineCount;
    LineWritten();
}

void TRecordWriter::WriteInt(std::string_view Key, int Value) {
    char Digits[16];
    const auto End = std::to_chars(Digits, Digits + sizeof Digits, Value).ptr;
    AppendNumber(Key, Digits, int(End - Digits));
}

void TRecordWriter::WriteFloat(std::string_view Key, Extended Value) {
    char Digits[kFloatTextSize];
    AppendNumber(Key, Digits, FormatFloatG(Value, Digits));
}

void TRecordWriter::WriteColor(std::string_view Key, TColor Value) {
    Write(Key, ColorToString(Value));
}

void TRecordWriter::WritePoint(int I, const TPointExt& P) {
    char Key[16];
    Key[0] = 'X';
    const int Length = int(std::to_chars(Key + 1, Key + sizeof Key, I).ptr - Key);
    WriteFloat(std::string_view(Key, size_t(Length)), P.X);
    Key[0] = 'Y';
    WriteFloat(std::string_view(Key, size_t(Length)), P.Y);
}

// Both lines at once.
void TRecordWriter::WritePoint(int I, double X, double Y) {
    if (FLines) {
        WritePoint(I, TPointExt{X, Y});
        return;
    }
    char Index[16];
    const std::string_view IndexText(
        Index, size_t(std::to_chars(Index, Index + sizeof Index, I).ptr - Index));
    char Lines[2 * (kFloatTextSize + 24)];
    char* End = AppendPointLine(Lines, 'X', IndexText, X);
    End = AppendPointLine(End, 'Y', IndexText, Y);
    FBytes->append(Lines, size_t(End - Lines));
    FLineCount += 2;
    LineWritten();
}

void TRecordWriter::WriteLine(QStringView Line) {
    if (FLines) {
        FLines->append(Line.toString());
        ++FLineCount;
        return;
    }
    FLineStart = FBytes->size();
    AppendUtf8(*FBytes, Line);
    EndLine();
}

void TRecordWriter::WriteLine(std::string_view Ascii) {
    if (FLines) {
        FLines->append(QString::fromLatin1(Ascii.data(), qsizetype(Ascii.size())));
        ++FLineCount;
        return;
    }
    FLineStart = FBytes->size();
    FBytes->append(Ascii);
    EndLine();
}

void TRecordWriter::WriteLines(const QStringList& Lines) {
    for (const QString& Line : Lines) WriteLine(QStringView(Line));
}

}  // namespace scheme::record
