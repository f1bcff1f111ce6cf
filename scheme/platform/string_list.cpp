#include "scheme/platform/string_list.h"

#include <QStringDecoder>
#include <cstdint>
#include <cstring>

#include "scheme/platform/exceptions.h"

namespace scheme {

const QString& TStringList::Strings(int Index) const {
    CheckIndex(Index, Count());
    return FLines[Index];
}

void TStringList::SetStrings(int Index, const QString& Value) {
    CheckIndex(Index, Count());
    Changing();
    FLines[Index] = Value;
    Changed();
}

void TStringList::Add(const QString& Line) {
    Changing();
    FLines.append(Line);
    Changed();
}

void TStringList::Insert(int Index, const QString& Line) {
    CheckIndex(Index, Count() + 1);
    Changing();
    FLines.insert(Index, Line);
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index, Count());
    Changing();
    FLines.removeAt(Index);
    Changed();
}

void TStringList::Clear() {
    if (FLines.isEmpty()) return;
    Changing();
    FLines.clear();
    Changed();
}

void TStringList::Assign(const QStringList& Lines) {
    Changing();
    FLines = Lines;
    Changed();
}

void TStringList::CheckIndex(int Index, int Limit) const {
    if (Index < 0 || Index >= Limit)
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

void TStringList::Changed() {
    if (OnChange) OnChange(this);
}

QStringView TrimmedView(const QString& S) {
    qsizetype First = 0;
    qsizetype Last = S.size();
    while (First < Last && S[First].unicode() <= 32) ++First;
    while (Last > First && S[Last - 1].unicode() <= 32) --Last;
    return QStringView(S).sliced(First, Last - First);
}

QString TrimBlanks(const QString& S) {
    const QStringView Kept = TrimmedView(S);
    return Kept.size() == S.size() ? S : Kept.toString();
}

void TrimLines(QStringList& Lines) {
    for (QString& Line : Lines) Line = TrimBlanks(Line);
}

QString LineName(const QString& Line) {
    const qsizetype Equals = Line.indexOf(QLatin1Char('='));
    return Equals < 0 ? QString() : Line.left(Equals);
}

namespace {

// The innermost live watch on this thread, and the serial the next one takes.
thread_local TLineReadWatch* tInnermostWatch = nullptr;
thread_local std::uint64_t tNextWatchSerial = 1;

int NoteFound(const QStringList& Lines, int Index) {
    if (tInnermostWatch && Index >= 0)
        if (TLineReadWatch* Watch = TLineReadWatch::Of(Lines)) Watch->MarkRead(Index);
    return Index;
}

int FindName(const QStringList& Lines, QStringView Key, int From);

}  // namespace

TLineReadWatch::TLineReadWatch(const QStringList& Lines)
    : FLines(&Lines), FSerial(tNextWatchSerial++), FOuter(tInnermostWatch) {
    tInnermostWatch = this;
}

TLineReadWatch::~TLineReadWatch() {
    tInnermostWatch = FOuter;
}

TLineReadWatch* TLineReadWatch::Of(const QStringList& Lines) {
    for (TLineReadWatch* W = tInnermostWatch; W; W = W->FOuter)
        if (W->FLines == &Lines) return W;
    return nullptr;
}

TLineReadWatch* TLineReadWatch::WithSerial(std::uint64_t Serial) {
    for (TLineReadWatch* W = tInnermostWatch; W; W = W->FOuter)
        if (W->FSerial == Serial) return W;
    return nullptr;
}

void TLineReadWatch::MarkRead(qsizetype I) {
    if (I < 0) return;
    if (FRead.size() <= size_t(I)) FRead.resize(size_t(I) + 1);
    FRead[size_t(I)] = 1;
}

int IndexOfName(const QStringList& Lines, QStringView Key, int From) {
    return NoteFound(Lines, FindName(Lines, Key, From));
}

namespace {

int FindName(const QStringList& Lines, QStringView Key, int From) {
    // A line is named Key when Key, letter case ignored, is followed by "=": a key holds no "=",
    // so that "=" is the line's first. Checking the "=" first skips most lines cheaply.
    const qsizetype KeyLength = Key.size();
    const bool PlainKey = !Key.contains(QLatin1Char('='));
    for (qsizetype I = std::max(From, 0); I < Lines.size(); ++I) {
        const QString& Line = Lines[I];
        if (PlainKey) {
            if (Line.size() > KeyLength && Line[KeyLength] == QLatin1Char('=') &&
                QStringView(Line).left(KeyLength).compare(Key, Qt::CaseInsensitive) == 0)
                return static_cast<int>(I);
            continue;
        }
        const qsizetype Equals = Line.indexOf(QLatin1Char('='));
        if (Equals >= 0 && QStringView(Line).left(Equals).compare(Key, Qt::CaseInsensitive) == 0)
            return static_cast<int>(I);
    }
    return -1;
}

}  // namespace

QString ValueOf(const QStringList& Lines, QStringView Key) {
    const int Index = IndexOfName(Lines, Key);
    if (Index < 0) return QString();
    const QString& Line = Lines[Index];
    return Line.mid(Line.indexOf(QLatin1Char('=')) + 1);
}

namespace {

// The offset of the first byte of the first ill-formed UTF-8 sequence (overlong forms,
// surrogates and code points above U+10FFFF included, as the decoder refuses them); -1 when
// the bytes are well-formed.
qsizetype FirstInvalidUtf8(std::string_view Bytes) {
    const auto* B = reinterpret_cast<const unsigned char*>(Bytes.data());
    const qsizetype N = qsizetype(Bytes.size());
    for (qsizetype I = 0; I < N;) {
        // Runs of ASCII, most of a document, eight bytes at a time.
        while (I + 8 <= N) {
            std::uint64_t Word;
            std::memcpy(&Word, B + I, sizeof Word);
            if (Word & 0x8080808080808080ULL) break;
            I += 8;
        }
        if (I >= N) break;
        const unsigned char Lead = B[I];
        if (Lead < 0x80) {
            ++I;
            continue;
        }
        int Trail = 0;
        unsigned char Low = 0x80, High = 0xBF;  // the range of the first trailing byte
        if (Lead >= 0xC2 && Lead <= 0xDF) {
            Trail = 1;
        } else if (Lead >= 0xE0 && Lead <= 0xEF) {
            Trail = 2;
            if (Lead == 0xE0) Low = 0xA0;
            if (Lead == 0xED) High = 0x9F;
        } else if (Lead >= 0xF0 && Lead <= 0xF4) {
            Trail = 3;
            if (Lead == 0xF0) Low = 0x90;
            if (Lead == 0xF4) High = 0x8F;
        } else {
            return I;
        }
        if (I + Trail >= N || B[I + 1] < Low || B[I + 1] > High) return I;
        for (int K = 2; K <= Trail; ++K)
            if (B[I + K] < 0x80 || B[I + K] > 0xBF) return I;
        I += Trail + 1;
    }
    return -1;
}

// The index of the line that holds offset End of Text, lines ending at CR, LF or CR LF.
int LineOfOffset(std::string_view Text, qsizetype End) {
    int Line = 0;
    for (qsizetype I = 0; I < End; ++I) {
        if (Text[size_t(I)] == '\n' || (Text[size_t(I)] == '\r' && (size_t(I) + 1 >= Text.size() ||
                                                                    Text[size_t(I) + 1] != '\n')))
            ++Line;
    }
    return Line;
}

// Replaces each surrogate of Text that is not in a pair by U+FFFD: the decoder keeps them, and
// their UTF-8 form would be "?". Answers the index of the line that holds the first, or -1.
// Lines end at CR, LF or CR LF.
int ReplaceLoneSurrogates(QString& Text) {
    int Line = 0, First = -1;
    const qsizetype N = Text.size();
    for (qsizetype I = 0; I < N; ++I) {
        const QChar C = Text.at(I);
        if (C == u'\n' || (C == u'\r' && (I + 1 >= N || Text.at(I + 1) != u'\n'))) ++Line;
        if (!C.isSurrogate()) continue;
        if (C.isHighSurrogate() && I + 1 < N && Text.at(I + 1).isLowSurrogate()) {
            ++I;
            continue;
        }
        Text[I] = QChar(QChar::ReplacementCharacter);
        if (First < 0) First = Line;
    }
    return First;
}

// The number of line ends in Text, as ReplaceLoneSurrogates counts them.
int LineEnds(const QString& Text) {
    int Lines = 0;
    for (qsizetype I = 0; I < Text.size(); ++I)
        Lines += Text.at(I) == u'\n' ||
                 (Text.at(I) == u'\r' && (I + 1 >= Text.size() || Text.at(I + 1) != u'\n'));
    return Lines;
}

}  // namespace

STextBytes TextOfBytes(const QByteArray& Bytes, int* Latin1FromLine, int* InvalidUtf16Line) {
    if (Latin1FromLine) *Latin1FromLine = -1;
    if (InvalidUtf16Line) *InvalidUtf16Line = -1;
    STextBytes Result;
    // What is not valid UTF-16 is read as U+FFFD (a lone surrogate, and the half unit of an odd
    // last byte, which the decoder replaces itself); the caller is told the line of the first.
    const auto Utf16 = [&](QStringConverter::Encoding Encoding) {
        QStringDecoder Decoder(Encoding, QStringConverter::Flag::Stateless);
        QString Decoded = Decoder(Bytes);
        int Invalid = ReplaceLoneSurrogates(Decoded);
        if (Invalid < 0 && Bytes.size() % 2 != 0) Invalid = LineEnds(Decoded);
        if (InvalidUtf16Line) *InvalidUtf16Line = Invalid;
        Result.Owned = Decoded.toUtf8();
        Result.Text = std::string_view(Result.Owned.constData(), size_t(Result.Owned.size()));
        return Result;
    };
    if (Bytes.startsWith("\xFF\xFE")) return Utf16(QStringConverter::Utf16LE);
    if (Bytes.startsWith("\xFE\xFF")) return Utf16(QStringConverter::Utf16BE);
    const std::string_view All(Bytes.constData(), size_t(Bytes.size()));
    // A byte-order mark is no part of the text, also when the rest is not UTF-8 (it says
    // UTF-8 was meant).
    const size_t Skip = Bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    Result.Text = All.substr(Skip);
    // A sequence cut short at the end is an error rather than silently dropped.
    const qsizetype Invalid = FirstInvalidUtf8(All);
    if (Invalid < 0) return Result;
    Result.Latin1 = true;
    if (Latin1FromLine) *Latin1FromLine = LineOfOffset(All, Invalid);
    return Result;
}

std::string_view NextLine(std::string_view Text, size_t& Pos) {
    const size_t Start = Pos;
    size_t I = Start;
    const size_t N = Text.size();
    // Bytes above CR are never a line end: one comparison for most of them.
    while (I < N &&
           (static_cast<unsigned char>(Text[I]) > '\r' || (Text[I] != '\r' && Text[I] != '\n')))
        ++I;
    Pos = I + 1;
    if (I + 1 < N && Text[I] == '\r' && Text[I + 1] == '\n') ++Pos;
    return Text.substr(Start, I - Start);
}

QStringList BytesToLines(const QByteArray& Bytes, int* Latin1FromLine, int* InvalidUtf16Line) {
    const STextBytes Text = TextOfBytes(Bytes, Latin1FromLine, InvalidUtf16Line);
    QStringList Lines;
    for (size_t Pos = 0; Pos < Text.Text.size();) {
        const std::string_view Line = NextLine(Text.Text, Pos);
        Lines.append(Text.Latin1 ? QString::fromLatin1(Line.data(), qsizetype(Line.size()))
                                 : QString::fromUtf8(Line.data(), qsizetype(Line.size())));
    }
    return Lines;
}

}  // namespace scheme
