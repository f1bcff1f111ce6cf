#include "scheme/platform/string_list.h"

#include <QStringDecoder>

#include "scheme/platform/exceptions.h"

namespace scheme {

const QString& TStringList::Strings(int Index) const {
    CheckIndex(Index, Count());
    return FLines[Index];
}

void TStringList::SetStrings(int Index, const QString& Value) {
    CheckIndex(Index, Count());
    FLines[Index] = Value;
    Changed();
}

void TStringList::Add(const QString& Line) {
    FLines.append(Line);
    Changed();
}

void TStringList::Insert(int Index, const QString& Line) {
    CheckIndex(Index, Count() + 1);
    FLines.insert(Index, Line);
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index, Count());
    FLines.removeAt(Index);
    Changed();
}

void TStringList::Clear() {
    if (FLines.isEmpty()) return;
    FLines.clear();
    Changed();
}

void TStringList::Assign(const QStringList& Lines) {
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

int IndexOfName(const QStringList& Lines, QStringView Key, int From) {
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
qsizetype FirstInvalidUtf8(const QByteArray& Bytes) {
    const auto* B = reinterpret_cast<const unsigned char*>(Bytes.constData());
    const qsizetype N = Bytes.size();
    for (qsizetype I = 0; I < N;) {
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
int LineOfOffset(const QByteArray& Text, qsizetype End) {
    int Line = 0;
    for (qsizetype I = 0; I < End; ++I) {
        if (Text[I] == '\n' || (Text[I] == '\r' && (I + 1 >= Text.size() || Text[I + 1] != '\n')))
            ++Line;
    }
    return Line;
}

QString DecodeText(const QByteArray& Bytes, int* Latin1FromLine) {
    if (Latin1FromLine) *Latin1FromLine = -1;
    const auto Utf16 = [&Bytes](QStringConverter::Encoding Encoding) {
        QStringDecoder Decoder(Encoding, QStringConverter::Flag::Stateless);
        return QString(Decoder(Bytes));
    };
    if (Bytes.startsWith("\xFF\xFE")) return Utf16(QStringConverter::Utf16LE);
    if (Bytes.startsWith("\xFE\xFF")) return Utf16(QStringConverter::Utf16BE);
    // Stateless: a sequence cut short at the end is an error rather than silently dropped.
    QStringDecoder Utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString Text = Utf8(Bytes);
    if (!Utf8.hasError()) return Text;
    // The byte-order mark says UTF-8 was meant even though the rest is not: it is left out.
    const qsizetype Skip = Bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (Latin1FromLine) {
        const qsizetype Invalid = FirstInvalidUtf8(Bytes);
        *Latin1FromLine = LineOfOffset(Bytes, Invalid < 0 ? Bytes.size() : Invalid);
    }
    return QString::fromLatin1(QByteArrayView(Bytes).sliced(Skip));
}

}  // namespace

QStringList BytesToLines(const QByteArray& Bytes, int* Latin1FromLine) {
    const QString Text = DecodeText(Bytes, Latin1FromLine);
    QStringList Lines;
    qsizetype Start = 0;
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const QChar C = Text[I];
        if (C != QLatin1Char('\r') && C != QLatin1Char('\n')) continue;
        Lines.append(Text.mid(Start, I - Start));
        if (C == QLatin1Char('\r') && I + 1 < Text.size() && Text[I + 1] == QLatin1Char('\n')) ++I;
        Start = I + 1;
    }
    if (Start < Text.size()) Lines.append(Text.mid(Start));
    return Lines;
}

}  // namespace scheme
