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

QString TrimBlanks(const QString& S) {
    qsizetype First = 0;
    qsizetype Last = S.size();
    while (First < Last && S[First].unicode() <= 32) ++First;
    while (Last > First && S[Last - 1].unicode() <= 32) --Last;
    return (First == 0 && Last == S.size()) ? S : S.mid(First, Last - First);
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

QStringList BytesToLines(const QByteArray& Bytes) {
    QStringDecoder Utf8(QStringDecoder::Utf8);
    QString Text = Utf8(Bytes);
    if (Utf8.hasError()) Text = QString::fromLatin1(Bytes);
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
