// The document as text: blocks headed by class names and closed by "End".
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <unordered_set>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "scheme/document/scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/convert.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/stream_read.h"
#include "scheme/platform/string_list.h"

namespace scheme {

namespace {

constexpr std::string_view kDocumentMarker = "TSchemeData";
constexpr std::string_view kEnd = "End";

bool IsAscii(std::string_view S) {
    for (char C : S)
        if (static_cast<unsigned char>(C) >= 0x80) return false;
    return true;
}

QString Decode(std::string_view Text, bool Latin1) {
    return Latin1 ? QString::fromLatin1(Text.data(), qsizetype(Text.size()))
                  : QString::fromUtf8(Text.data(), qsizetype(Text.size()));
}

// Text equals Ascii with letter case ignored, as QString compares them. Some characters beyond
// ASCII fold into ASCII letters (the long s into s, the Kelvin sign into k), each written in two
// or three bytes: a text of other characters is compared as Qt does, when its size allows.
bool SameTextOfSize(std::string_view Text, std::string_view Ascii, bool Latin1) {
    auto Folded = [&] {
        return !Latin1 && QString::fromUtf8(Text.data(), qsizetype(Text.size()))
                                  .compare(QLatin1StringView(Ascii.data(), qsizetype(Ascii.size())),
                                           Qt::CaseInsensitive) == 0;
    };
    if (Text.size() != Ascii.size()) return !IsAscii(Text) && Folded();
    for (size_t I = 0; I < Text.size(); ++I) {
        const auto C = static_cast<unsigned char>(Text[I]);
        if (C >= 0x80) return Folded();
        if ((C | 0x20) != (static_cast<unsigned char>(Ascii[I]) | 0x20)) return false;
        // Only letters match another character with the case bit flipped.
        if (C != static_cast<unsigned char>(Ascii[I]) && !((C | 0x20) >= 'a' && (C | 0x20) <= 'z'))
            return false;
    }
    return true;
}

// Most lines are told apart by their size alone: only those are compared in full.
inline bool SameText(std::string_view Text, std::string_view Ascii, bool Latin1) {
    if (Text.size() < Ascii.size() || Text.size() > 3 * Ascii.size()) return false;
    // A first character in ASCII that differs from Ascii's, letter case ignored, decides.
    if (const auto C = Text.empty() ? 0 : static_cast<unsigned char>(Text[0]);
        C < 0x80 && (C | 0x20) != (static_cast<unsigned char>(Ascii[0]) | 0x20))
        return false;
    return SameTextOfSize(Text, Ascii, Latin1);
}

// The name of a key=value line: the text before its first "="; nothing without "=".
std::optional<std::string_view> NameOf(std::string_view Line) {
    size_t Equals = 0;
    while (Equals < Line.size() && Line[Equals] != '=') ++Equals;
    if (Equals == Line.size()) return std::nullopt;
    return Line.substr(0, Equals);
}

int NameLengthOf(std::string_view Line) {
    const size_t Equals = Line.find('=');
    return Equals == std::string_view::npos ? -1 : int(Equals);
}

std::string_view Trimmed(std::string_view Line) {
    size_t First = 0, Last = Line.size();
    while (First < Last && static_cast<unsigned char>(Line[First]) <= 32) ++First;
    while (Last > First && static_cast<unsigned char>(Line[Last - 1]) <= 32) --Last;
    return Line.substr(First, Last - First);
}

// The offset of the first CR or LF of Text at or after From; Text's size if none. Sixteen bytes
// at a time where the processor allows: the loader finds every line of a document this way.
size_t LineEndFrom(std::string_view Text, size_t From) {
    const char* const Base = Text.data();
    const size_t N = Text.size();
    size_t I = From;
#if defined(__SSE2__)
    const __m128i Return = _mm_set1_epi8('\r'), Feed = _mm_set1_epi8('\n');
    for (; I + 16 <= N; I += 16) {
        const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Base + I));
        const int Ends = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(Bytes, Return), _mm_cmpeq_epi8(Bytes, Feed)));
        if (Ends != 0) return I + size_t(__builtin_ctz(unsigned(Ends)));
    }
#endif
    while (I < N && Base[I] != '\r' && Base[I] != '\n') ++I;
    return I;
}

// The length of a line as the loader measures it: characters (UTF-16 units), without the leading
// and trailing blanks TrimBlanks removes. The writer indents the lines of a block, so a line
// that was read must not grow past the limit by being written again: indentation never counts.
qsizetype ReadLength(const QString& Raw) {
    return TrimmedView(Raw).size();
}

qsizetype ReadLength(std::string_view Trimmed, bool Latin1) {
    if (Latin1 || Trimmed.size() <= size_t(TSchemeData::kMaxLineLength))
        return qsizetype(Trimmed.size());  // never more characters than bytes
    qsizetype Units = 0;
    for (char C : Trimmed) {
        const auto B = static_cast<unsigned char>(C);
        if (B < 0x80 || B >= 0xC0) ++Units;  // a character starts here
        if (B >= 0xF0) ++Units;              // beyond the basic plane: two units
    }
    return Units;
}

bool IsEnd(std::string_view Line, bool Latin1) {
    return SameText(Line, kEnd, Latin1);
}

// A top-level line that heads a block of a class this program does not know: a bare name.
bool LooksLikeClassName(std::string_view Line, bool Latin1) {
    return !Line.empty() && Line.find('=') == std::string_view::npos && !IsEnd(Line, Latin1);
}

// Whether a line of the record that is not blank was left unread: only then can a warning name
// one.
bool HasUnreadLine(const record::TRecord& Record) {
    for (qsizetype L = 0; L < Record.Size(); ++L)
        if (!Record.WasRead(L) && !Record.Line(L).empty()) return true;
    return false;
}

QString LinesWord(qsizetype Count) {
    return Count == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(Count);
}

QByteArray EncodeLines(const QStringList& Lines) {
    QByteArray Bytes;
    for (const QString& Line : Lines) Bytes.append(Line.toUtf8()).append("\r\n");
    return Bytes;
}

[[noreturn]] void RaiseTooLongToSave(qsizetype Line, qsizetype Length) {
    throw ESchemeErrorException(
        QStringLiteral("TSchemeData : Line %1 of the text is too long to be read again "
                       "(%2 characters, at most %3 are read); nothing was saved")
            .arg(Line)
            .arg(Length)
            .arg(TSchemeData::kMaxLineLength));
}

// Refuses a text the loader would refuse for a line too long, before anything is written: a
// save must never leave a file that does not load. The loader measures lines without their
// indentation (ReadLength), so every document it read saves again; only text set since can be
// refused here. Lines are named counted from 1, as if Lines followed FirstLine - 1 others.
void CheckLineLengths(const QStringList& Lines, qsizetype FirstLine = 1) {
    for (qsizetype I = 0; I < Lines.size(); ++I) {
        if (Lines[I].size() <= TSchemeData::kMaxLineLength) continue;
        if (const qsizetype Length = ReadLength(Lines[I]); Length > TSchemeData::kMaxLineLength)
            RaiseTooLongToSave(I + FirstLine, Length);
    }
}

}  // namespace

// ---- the loader's views of a text ----------------------------------------------------------
//
// Both answer, for a line I at most one past the line read last: whether it exists (Has), the
// line trimmed (Line: valid until the next call, or as long as the view when Stable), its
// length as the loader measures it (Length), and for the lines from I on, how many there are
// and whether all are blank (Rest). Strings is the list the loading events are given.

// The lines of a caller's list, read as UTF-8 one at a time. Handlers of the loading events
// get the list and may change it: every line is taken from it when it is read.
class TSchemeData::TStringLines {
public:
    static constexpr bool Stable = false;
    explicit TStringLines(QStringList& Strings) : FStrings(Strings) {}
    QStringList& Strings() { return FStrings; }
    bool Latin1() const { return false; }
    bool Has(int I) const { return I >= 0 && I < FStrings.size(); }
    std::string_view Line(int I) {
        FLine = TrimmedView(FStrings[I]).toUtf8();
        return std::string_view(FLine.constData(), size_t(FLine.size()));
    }
    qsizetype Length(int I) const { return ReadLength(FStrings[I]); }
    qsizetype Rest(int I, bool& Blank) const {
        Blank = true;
        for (qsizetype K = I; K < FStrings.size() && Blank; ++K)
            Blank = ReadLength(FStrings[K]) == 0;
        return FStrings.size() - I;
    }

private:
    QStringList& FStrings;
    QByteArray FLine;
};

// The lines of a file's text, found as they are read.
class TSchemeData::TByteLines {
public:
    static constexpr bool Stable = true;
    TByteLines(std::string_view Text, bool Latin1) : FText(Text), FLatin1(Latin1) {}
    QStringList& Strings() { return FNoStrings; }
    bool Latin1() const { return FLatin1; }
    bool Has(int I) {
        while (FIndex < I && FNext < FText.size()) {
            const size_t End = LineEndFrom(FText, FNext);
            FCurrent = Trimmed(FText.substr(FNext, End - FNext));
            FNext = End + 1;
            if (End + 1 < FText.size() && FText[End] == '\r' && FText[End + 1] == '\n') ++FNext;
            ++FIndex;
        }
        return I >= 0 && I <= FIndex;
    }
    std::string_view Line(int I) {
        Has(I);
        return FCurrent;
    }
    qsizetype Length(int I) { return ReadLength(Line(I), FLatin1); }
    qsizetype Rest(int I, bool& Blank) {
        Blank = true;
        qsizetype Count = 0;
        for (int K = I; Has(K); ++K, ++Count)
            if (!FCurrent.empty()) Blank = false;
        return Count;
    }

private:
    QStringList FNoStrings;
    std::string_view FText;
    bool FLatin1;
    size_t FNext = 0;
    int FIndex = -1;
    std::string_view FCurrent;
};

// The lines of the block being read, parsed into one record when it is complete. Lines of a
// source that keeps them are viewed where they are; others are copied.
class TSchemeData::TBlock {
public:
    void Start(bool Stable, bool Latin1) {
        FStable = Stable;
        FRecord.Clear(Latin1);
        FCopy.clear();
        FSpans.clear();
    }
    // Adds a trimmed line; answers the length of its name (the text before its first "="), -1
    // without "=".
    int Add(std::string_view Line) {
        if (FStable) return FRecord.AddTrimmed(Line);
        const std::optional<std::string_view> Name = NameOf(Line);
        FSpans.push_back(TSpan{FCopy.size(), Line.size()});
        FCopy.append(Line);
        return Name ? int(Name->size()) : -1;
    }
    const record::TRecord& Record() {
        for (const TSpan& Span : FSpans)
            FRecord.AddTrimmed(std::string_view(FCopy).substr(Span.Offset, Span.Size));
        FSpans.clear();
        return FRecord;
    }

private:
    record::TRecord FRecord;
    std::string FCopy;
    struct TSpan {
        size_t Offset, Size;
    };
    std::vector<TSpan> FSpans;
    bool FStable = true;
};

// The registered classes the headers of one load named, by the header's exact text: a
// document names a handful of classes a hundred thousand times. Only classes found are kept;
// a registered class stays registered.
class TSchemeData::TClassCache {
public:
    TSchemePersistentClass Find(std::string_view Line, bool Latin1) {
        for (const auto& [Name, Class] : FFound)
            if (Name == Line) return Class;
        const QString Text = Decode(Line, Latin1);
        if (!RegistredSchemeClass(Text)) return nullptr;
        TSchemePersistentClass Class = FindSchemeClass(Text);
        FFound.emplace_back(std::string(Line), Class);
        return Class;
    }

    // The item as an object, or null (also for no item). Whether a type is an object kind is asked
    // once per type the load meets, compared by address: asking the run-time type information for
    // each of a hundred thousand objects costs more than placing them.
    TSchemeObject* ObjectOf(TSchemePersistent* Item) {
        if (!Item) return nullptr;
        const std::type_info* Type = &typeid(*Item);
        for (const auto& [Seen, IsObject] : FTypes)
            if (Seen == Type) return IsObject ? static_cast<TSchemeObject*>(Item) : nullptr;
        auto* Obj = dynamic_cast<TSchemeObject*>(Item);
        FTypes.emplace_back(Type, Obj != nullptr);
        return Obj;
    }

private:
    std::vector<std::pair<std::string, TSchemePersistentClass>> FFound;
    std::vector<std::pair<const std::type_info*, bool>> FTypes;
};

// ---- writing -------------------------------------------------------------------------------

namespace {

// Whether the classes of the items written are registered, and their names as written, by
// class: asking the registry for each of a hundred thousand objects would cost more than
// writing them.
class TWrittenClasses {
public:
    // The item's class name when its class is registered, else nothing.
    const QString* Registered(const TSchemePersistent& Item) {
        // Compared by address only: a class seen under a second address is asked about again.
        const std::type_info& Type = typeid(Item);
        for (const TEntry& E : FEntries)
            if (E.Type == &Type) return E.Registered ? &E.Name : nullptr;
        const QString Name = Item.ClassName();
        FEntries.push_back(TEntry{&Type, RegistredSchemeClass(Name), Name});
        return FEntries.back().Registered ? &FEntries.back().Name : nullptr;
    }

private:
    struct TEntry {
        const std::type_info* Type;
        bool Registered;
        QString Name;
    };
    std::vector<TEntry> FEntries;
};

// Writes the item's block when its class is registered; answers whether it did.
bool WriteItem(record::TRecordWriter& Writer, TWrittenClasses& Classes,
               const TSchemePersistent& Item) {
    const QString* Name = Classes.Registered(Item);
    if (!Name) return false;
    Writer.WriteLine(QStringView(*Name));
    Item.WriteTo(Writer);
    Writer.WriteLine(kEnd);
    return true;
}

}  // namespace

void TSchemeData::WriteText(record::TRecordWriter& Writer) {
    Writer.WriteLine(kDocumentMarker);
    QStringList Self;
    SaveToStringsSelf(Self);
    Writer.WriteLines(Self);
    Writer.WriteLine(kEnd);
    // A link is written only when every object it names was written before it: a link to
    // an object that is not in the text (of an unregistered kind or layer, or of no layer
    // of this document) would make the text fail to load. An empty side names nothing. The
    // objects written are remembered only when there are links to check.
    const bool AnyLink = std::any_of(FLinks.begin(), FLinks.end(),
                                     [](const TSchemeLink* Link) { return Link != nullptr; });
    TWrittenClasses Classes;
    std::unordered_set<const TSchemeObject*> Written;
    for (const TSchemeLayer* Layer : FLayers) {
        if (!WriteItem(Writer, Classes, *Layer)) continue;
        for (int I = 0; I < Layer->Count(); ++I) {
            const TSchemeObject* Obj = Layer->GetItemIndex(I);
            if (WriteItem(Writer, Classes, *Obj) && AnyLink) Written.insert(Obj);
        }
    }
    auto SideWritten = [&Written](const TSchemeObject* Obj) {
        return !Obj || Written.contains(Obj);
    };
    for (const TSchemeLink* Link : FLinks)
        if (Link && SideWritten(Link->Parent()) && SideWritten(Link->Child()))
            WriteItem(Writer, Classes, *Link);
}

void TSchemeData::SaveToStrings(QStringList& AStrings) {
    if (OnBeforeSave) {
        OnBeforeSave(this, AStrings);
        ProcessMessages();
    }
    try {
        // The document's text is built apart and added to AStrings only when every line of it
        // can be read again.
        QStringList Text;
        record::TRecordWriter Writer(Text);
        WriteText(Writer);
        CheckLineLengths(Text, AStrings.size() + 1);  // named as the lines of AStrings
        AStrings.append(Text);
    } catch (...) {
        if (OnAfterSave) OnAfterSave(this, AStrings);
        throw;
    }
    if (OnAfterSave) OnAfterSave(this, AStrings);
}

void TSchemeData::SaveToStringsSelf(QStringList& AStrings) {
    if (FTimerInterval != kDefaultTimerInterval)
        record::WriteInt(AStrings, u"TimerInterval", FTimerInterval);
}

// The bytes of a file or stream. The save events are given the list of lines the text is
// made of; without them the text is written into the bytes at once.
std::string TSchemeData::SavedBytes() {
    if (OnBeforeSave || OnAfterSave) {
        QStringList Lines;
        SaveToStrings(Lines);
        CheckLineLengths(Lines);  // the lines OnBeforeSave or a descendant added too
        const QByteArray Bytes = EncodeLines(Lines);
        return std::string(Bytes.constData(), size_t(Bytes.size()));
    }
    // Room for the usual size of a record, so that the text is rarely moved while it grows;
    // what is not written is never touched.
    qsizetype Objects = 0;
    for (const TSchemeLayer* Layer : FLayers) Objects += Layer->Count();
    std::string Bytes;
    Bytes.reserve(size_t(4096 + 256 * (Objects + qsizetype(FLinks.size()))));
    record::TRecordWriter Writer(Bytes, kMaxLineLength);
    WriteText(Writer);
    if (Writer.TooLongLine() > 0) RaiseTooLongToSave(Writer.TooLongLine(), Writer.TooLongLength());
    return Bytes;
}

void TSchemeData::SaveToStream(QIODevice& AStream) {
    const std::string Bytes = SavedBytes();
    const qint64 Size = qint64(Bytes.size());
    bool Written = AStream.write(Bytes.data(), Size) == Size;
    // A file buffers what it is given: a full disk shows only when the buffer is flushed.
    if (auto* File = qobject_cast<QFileDevice*>(&AStream); Written && File) Written = File->flush();
    if (!Written)
        throw Exception(QStringLiteral("Stream write error: %1").arg(AStream.errorString()));
    SetModified(false);
}

void TSchemeData::SaveToFile(const QString& AFileName) {
    // A device or a pipe is written in place: replacing it by a new file would destroy it.
    const QFileInfo Target(AFileName);
    if (Target.exists() && !Target.isFile() && !Target.isDir()) {
        const std::string Bytes = SavedBytes();
        const qint64 Size = qint64(Bytes.size());
        QFile File(AFileName);
        if (!File.open(QIODevice::WriteOnly))
            throw Exception(
                QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, File.errorString()));
        if (File.write(Bytes.data(), Size) != Size || !File.flush())
            throw Exception(
                QStringLiteral("Cannot write file \"%1\". %2").arg(AFileName, File.errorString()));
        SetModified(false);
        return;
    }
    // The text goes to a temporary file that replaces the old one only when complete: a text
    // refused on the way (a line too long to be read again) leaves the old file as it was. The
    // buffer is flushed before the commit because a commit does not notice a failed flush.
    QSaveFile File(AFileName);
    auto WriteError = [&] {
        return Exception(
            QStringLiteral("Cannot write file \"%1\". %2").arg(AFileName, File.errorString()));
    };
    auto Write = [&](const std::string& Bytes) {
        if (File.write(Bytes.data(), qint64(Bytes.size())) != qint64(Bytes.size()))
            throw WriteError();
    };
    if (OnBeforeSave || OnAfterSave) {
        const std::string Bytes = SavedBytes();
        if (!File.open(QIODevice::WriteOnly))
            throw Exception(
                QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, File.errorString()));
        Write(Bytes);
    } else {
        if (!File.open(QIODevice::WriteOnly))
            throw Exception(
                QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, File.errorString()));
        // Written in pieces that stay in the cache, rather than built whole in fresh memory.
        constexpr size_t kPiece = size_t(1) << 18;
        std::string Piece;
        Piece.reserve(kPiece + 4096);
        record::TRecordWriter Writer(Piece, kMaxLineLength, kPiece, Write);
        WriteText(Writer);
        if (Writer.TooLongLine() > 0)
            RaiseTooLongToSave(Writer.TooLongLine(), Writer.TooLongLength());
        Writer.Finish();
    }
    if (!File.flush() || !File.commit()) throw WriteError();
    SetModified(false);
}

// ---- reading -------------------------------------------------------------------------------

void TSchemeData::LoadFromStringsSelf(QStringList& AStrings) {
    if (auto Interval = record::OptInt(AStrings, u"TimerInterval")) SetTimerInterval(*Interval);
}

void TSchemeData::LoadFromStrings(QStringList& AStrings) {
    TStringLines Lines(AStrings);
    LoadText(Lines, AStrings);
}

template <class TLines>
void TSchemeData::LoadText(TLines& Lines, QStringList& AStrings) {
    Loading([&] {
        FSkippedClassNames.clear();
        FLoadWarnings.clear();
        FMoreLoadWarnings = 0;
        StartJournal();
        if (!FDecodingWarning.isEmpty()) AddLoadWarning(std::exchange(FDecodingWarning, {}));
        if (OnBeforeLoading) {
            OnBeforeLoading(this, AStrings);
            ProcessMessages();
        }
        int I = 0;
        TPictureReadScope Pictures(FPictureBudget);
        try {
            ReadBlocks(Lines, I);
            AddPictureWarnings(Pictures);
        } catch (Exception& E) {
            E.SetMessage(E.Message() + QStringLiteral("\rIn block has line %1").arg(I));
            if (OnAfterLoading) OnAfterLoading(this, AStrings);
            throw;
        } catch (...) {
            if (OnAfterLoading) OnAfterLoading(this, AStrings);
            throw;
        }
        if (OnAfterLoading) OnAfterLoading(this, AStrings);
    });
}

template <class F>
void TSchemeData::Loading(F&& Load) {
    FHistory->Flush();
    ++FLoading;
    try {
        Load();
    } catch (...) {
        EndLoadingLevel();
        FHistory->Clear(false);
        FModified = true;
        ReportModified();
        throw;
    }
    EndLoadingLevel();
    FHistory->Clear(true);
    FModified = false;
    ReportModified();
}

template <class TLines>
void TSchemeData::ReadBlocks(TLines& Lines, int& I) {
    const bool Latin1 = Lines.Latin1();
    TBlock Block;
    TClassCache Classes;
    for (;;) {
        const std::string_view Line = ReadLine(Lines, I);
        const bool End = IsEnd(Line, Latin1);
        if (SameText(Line, kDocumentMarker, Latin1)) {
            const int Start = I;
            CollectBlock(Lines, I, &Block);
            QStringList Self = Block.Record().Lines();
            if (FDeferSelf)
                FSelfBlocks.push_back(TSelfBlock{std::move(Self), Start + 1});
            else
                ReadSelf(Self, Start + 1);
        } else if (TSchemePersistentClass Class = Classes.Find(Line, Latin1)) {
            // The header's text is needed only for a warning: a view of it is kept where the
            // lines stay, and decoded when a warning names it.
            const QString Copied = TLines::Stable ? QString() : Decode(Line, Latin1);
            const std::string_view Header = Line;
            auto Name = [&] { return TLines::Stable ? Decode(Header, Latin1) : Copied; };
            const int Start = I;
            CollectBlock(Lines, I, &Block);
            const record::TRecord& Record = Block.Record();
            if (PlaceItem(Class->Create(Record), Record, Classes)) {
                if (HasUnreadLine(Record))
                    WarnUnreadLines(
                        Name(), Start + 1, Record.Size(),
                        [&](qsizetype L) { return Record.WasRead(L); },
                        [&](qsizetype L) { return Record.Decode(Record.Line(L)); });
            } else {
                AddLoadWarning(QStringLiteral("dropped a block of class %1 at line %2, "
                                              "which has no place in a document")
                                   .arg(Name())
                                   .arg(Start + 1));
            }
        } else if (LooksLikeClassName(Line, Latin1)) {
            // A block of a class that is not registered here (or a stray word): skipped, the
            // load goes on.
            const QString Name = Decode(Line, Latin1);
            FSkippedClassNames.append(Name);
            AddLoadWarning(QStringLiteral("skipped a block of unknown class %1 at line %2")
                               .arg(Name)
                               .arg(I + 1));
            CollectBlock(Lines, I, nullptr);
        } else if (!Line.empty() && !End) {
            // Any other top-level line (a stray key=value line) is skipped by itself.
            if (RoomForLoadWarning())
                AddLoadWarning(
                    QStringLiteral("skipped the line outside any block at line %1").arg(I + 1));
        }
        ++I;
        if (End) {
            // The format reads nothing after the top-level End; text there is named.
            bool Blank = true;
            const qsizetype Rest = Lines.Rest(I, Blank);
            if (!Blank)
                AddLoadWarning(
                    QStringLiteral("%1 after the end of the document at line %2 %3 not read")
                        .arg(LinesWord(Rest))
                        .arg(I)
                        .arg(Rest == 1 ? QStringLiteral("was") : QStringLiteral("were")));
            return;
        }
        if (!Lines.Has(I)) return;
    }
}

void TSchemeData::AddLoadWarning(const QString& Warning) {
    if (RoomForLoadWarning()) FLoadWarnings.append(Warning);
}

bool TSchemeData::RoomForLoadWarning() {
    if (FMoreLoadWarnings == 0 && FLoadWarnings.size() < kMaxLoadWarnings) return true;
    const QString More = QStringLiteral("\u2026 and %1 more").arg(++FMoreLoadWarnings);
    if (FMoreLoadWarnings == 1)
        FLoadWarnings.append(More);
    else
        FLoadWarnings.last() = More;
    return false;
}

template <class TRead, class TLine>
void TSchemeData::WarnUnreadLines(const QString& ClassName, int FirstLine, qsizetype Count,
                                  TRead&& Read, TLine&& LineAt) {
    // Names are cut to a length a terminal line holds.
    constexpr qsizetype kShownName = 40;
    for (qsizetype L = 0; L < Count; ++L) {
        if (Read(L)) continue;
        const QString Line = LineAt(L);
        const QStringView Text = TrimmedView(Line);
        if (Text.isEmpty() || !RoomForLoadWarning()) continue;
        const qsizetype Equals = Text.indexOf(QLatin1Char('='));
        QString Key;
        if (Equals >= 0) {
            const QStringView Name = Text.left(Equals);
            Key =
                QStringLiteral(" (key %1)")
                    .arg(Name.size() > kShownName ? Name.left(kShownName).toString() + QChar(0x2026)
                                                  : Name.toString());
        }
        FLoadWarnings.append(
            QStringLiteral("skipped the line at line %1%2, which class %3 does not read")
                .arg(FirstLine + L + 1)
                .arg(Key, ClassName));
    }
}

// Reads a document block, noting the lines its reader did not use.
void TSchemeData::ReadSelf(QStringList& Self, int FirstLine) {
    const qsizetype Count = Self.size();
    std::vector<bool> Read(static_cast<size_t>(Count), false);
    {
        TLineReadWatch Watch(Self);
        LoadFromStringsSelf(Self);
        for (qsizetype L = 0; L < Count; ++L) Read[size_t(L)] = Watch.WasRead(L);
    }
    WarnUnreadLines(
        QStringLiteral("TSchemeData"), FirstLine, std::min(Count, Self.size()),
        [&](qsizetype L) { return bool(Read[size_t(L)]); }, [&](qsizetype L) { return Self[L]; });
}

// Reports line I, lets the application catch up now and then (a load of millions of lines
// asks the clock every 64 of them), and answers the line trimmed.
template <class TLines>
std::string_view TSchemeData::ReadLine(TLines& Lines, int I) {
    if (OnLoadingProgress) OnLoadingProgress(this, Lines.Strings(), I);
    if (I % 64 == 0) ProcessMessages();
    if (!Lines.Has(I)) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(I));
    if (const qsizetype Length = Lines.Length(I); Length > kMaxLineLength)
        throw ESchemeErrorException(
            QStringLiteral("TSchemeData : Line too long (%1 characters, at most %2 are read)")
                .arg(Length)
                .arg(kMaxLineLength));
    return Lines.Line(I);
}

// Reads the lines of a block up to its closing line, which I is left on. Lines between
// "Properties=>" and "PropertiesEnd=>" are data, even one that reads "End". A text that ends
// inside the block is an error.
//
// Without Block the lines are skipped: the block is of a class unknown here, or its header is
// a stray or damaged line. Its lines cannot be told from the next block's header otherwise, so
// the skip also ends (I left on its last line) before a line that heads a block this program
// reads, and at the end of the text: a stray word never swallows the valid blocks after it.
template <class TLines>
void TSchemeData::CollectBlock(TLines& Lines, int& I, TBlock* Block) {
    const bool Latin1 = Lines.Latin1();
    const int Start = I;
    if (Block) Block->Start(TLines::Stable, Latin1);
    TClassCache Classes;
    // A raw line that heads a block this program reads: the document marker or a registered
    // class. A line too long to be read heads nothing; reading it raises the usual error.
    auto HeadsReadBlock = [&](int K) {
        if (Lines.Length(K) > kMaxLineLength) return false;
        const std::string_view Line = Lines.Line(K);
        return SameText(Line, kDocumentMarker, Latin1) || Classes.Find(Line, Latin1) != nullptr;
    };
    bool InProperties = false;
    for (;;) {
        if (!Block && (!Lines.Has(I + 1) || (!InProperties && HeadsReadBlock(I + 1)))) return;
        ++I;
        if (!Lines.Has(I))
            throw ESchemeErrorException(
                QStringLiteral("TSchemeData : The block that starts at line %1 has no closing line")
                    .arg(Start));
        const std::string_view Line = ReadLine(Lines, I);
        // A line with "=" is never End.
        if (!InProperties && IsEnd(Line, Latin1)) return;
        const int NameLength = Block ? Block->Add(Line) : NameLengthOf(Line);
        if (NameLength < 0) continue;
        const std::string_view Name = Line.substr(0, size_t(NameLength));
        if (SameText(Name, "Properties", Latin1)) InProperties = true;
        if (SameText(Name, "PropertiesEnd", Latin1)) InProperties = false;
    }
}

// Places an object, a layer or a link; anything else registered has no place in a document:
// it is dropped, and the answer is false.
bool TSchemeData::PlaceItem(std::unique_ptr<TSchemePersistent> Item, const record::TRecord& Block,
                            TClassCache& Classes) {
    if (TSchemeObject* Obj = Classes.ObjectOf(Item.get())) {
        ObjectAddDirect(Block.Int("LayerID"), Obj);
        Item.release();
    } else if (auto* Layer = dynamic_cast<TSchemeLayer*>(Item.get())) {
        LayerAddDirect(Layer);
        Item.release();
    } else if (dynamic_cast<TSchemeLink*>(Item.get())) {
        PlaceLink(std::unique_ptr<TSchemeLink>(static_cast<TSchemeLink*>(Item.release())), Block);
    } else {
        return false;
    }
    return true;
}

// Each names the picture's object and layer: the warnings keep the order of the blocks.
void TSchemeData::AddPictureWarnings(TPictureReadScope& Scope) {
    for (const QString& Note : Scope.TakeNotes()) AddLoadWarning(Note);
}

void TSchemeData::PlaceLink(std::unique_ptr<TSchemeLink> Link, const record::TRecord& Block) {
    // A side names both the object and its layer, or neither (it stays empty). Half a side
    // is damage: taking it for an empty side would silently lose the link's end.
    auto Side = [&](const record::TKey& IdKey, const record::TKey& LayerKey,
                    const char* Name) -> TSchemeObject* {
        const auto Id = Block.OptInt(IdKey);
        const auto LayerId = Block.OptInt(LayerKey);
        if (Id.has_value() != LayerId.has_value())
            throw ESchemeErrorException(
                QStringLiteral("TSchemeData : The link's %1 names no %2")
                    .arg(QLatin1String(Name))
                    .arg(Id ? QStringLiteral("layer") : QStringLiteral("object")));
        return Id ? GetLayer(*LayerId)->GetItem(*Id) : nullptr;
    };
    Link->SetParent(Side("ParentId", "ParentLayerId", "parent"));
    Link->SetChild(Side("ChildId", "ChildLayerId", "child"));
    LinkAddDirect(Link.get());
    Link.release();
}

namespace {
const QString kNoMemory = QStringLiteral("TSchemeData : Not enough memory to read the document");

// The number of lines of a text, counting line ends the way the longest reading of CR and LF
// would: an upper bound, found without splitting the text. Sixteen bytes at a time where the
// processor allows.
qsizetype LineBound(const QByteArray& Bytes) {
    const char* const Text = Bytes.constData();
    const size_t Size = static_cast<size_t>(Bytes.size());
    qsizetype Feeds = 0, Returns = 0;
    size_t I = 0;
#if defined(__SSE2__)
    const __m128i Return = _mm_set1_epi8('\r'), Feed = _mm_set1_epi8('\n');
    // The sum of the sixteen byte lanes of Counts.
    const auto Sum = [](__m128i Counts) {
        const __m128i Pairs = _mm_sad_epu8(Counts, _mm_setzero_si128());
        return qsizetype(_mm_cvtsi128_si32(Pairs) + _mm_cvtsi128_si32(_mm_srli_si128(Pairs, 8)));
    };
    while (I + 16 <= Size) {
        // Counted in byte-wide lanes (a match is -1), summed before any lane can pass 255.
        __m128i FeedLanes = _mm_setzero_si128(), ReturnLanes = _mm_setzero_si128();
        for (int Chunks = 0; Chunks < 255 && I + 16 <= Size; ++Chunks, I += 16) {
            const __m128i Chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Text + I));
            FeedLanes = _mm_sub_epi8(FeedLanes, _mm_cmpeq_epi8(Chunk, Feed));
            ReturnLanes = _mm_sub_epi8(ReturnLanes, _mm_cmpeq_epi8(Chunk, Return));
        }
        Feeds += Sum(FeedLanes);
        Returns += Sum(ReturnLanes);
    }
#endif
    for (; I < Size; ++I) {
        Feeds += Text[I] == '\n';
        Returns += Text[I] == '\r';
    }
    return std::max(Feeds, Returns) + 1;
}
}  // namespace

// The text is read straight from its bytes, line by line as the loader asks, so that memory
// grows with what the text describes, not with its lines. Handlers of the loading events are
// given the list of lines they expect: for them the text is split into one first.
void TSchemeData::LoadFromStream(QIODevice& AStream) {
    TLargeReadBuffer Storage;
    const std::optional<QByteArray> Bytes = ReadAtMost(AStream, kMaxDocumentSize, Storage);
    if (!Bytes)
        throw ESchemeErrorException(
            QStringLiteral("TSchemeData : Document too large (more than %1 MiB are not read)")
                .arg(kMaxDocumentSize >> 20));
    // Texts of countless tiny lines (hundreds of millions of empty ones fit in the size limit)
    // are refused before they are read.
    if (const qsizetype LineCount = LineBound(*Bytes); LineCount > kMaxDocumentLines)
        throw ESchemeErrorException(
            QStringLiteral("TSchemeData : Document has too many lines (%1, at most %2 are read)")
                .arg(LineCount)
                .arg(kMaxDocumentLines));
    int Latin1FromLine = -1;
    int InvalidUtf16Line = -1;
    // LoadText takes the note over as its first warning; it is dropped should an override of
    // LoadFromStrings not reach it, so that no later load reports it.
    auto Note = [&] {
        if (Latin1FromLine >= 0)
            FDecodingWarning = QStringLiteral(
                                   "the text is not valid UTF-8 (first invalid byte on line %1); "
                                   "it was read as Latin-1")
                                   .arg(Latin1FromLine + 1);
        if (InvalidUtf16Line >= 0)
            FDecodingWarning =
                QStringLiteral(
                    "the text is not valid UTF-16 (first invalid sequence on line %1); "
                    "what is invalid was read as U+FFFD")
                    .arg(InvalidUtf16Line + 1);
    };
    try {
        if (OnBeforeLoading || OnLoadingProgress || OnAfterLoading) {
            QStringList Lines = BytesToLines(*Bytes, &Latin1FromLine, &InvalidUtf16Line);
            Note();
            LoadFromStrings(Lines);
        } else {
            const STextBytes Text = TextOfBytes(*Bytes, &Latin1FromLine, &InvalidUtf16Line);
            Note();
            TByteLines Lines(Text.Text, Text.Latin1);
            LoadText(Lines, Lines.Strings());
        }
    } catch (const std::bad_alloc&) {
        FDecodingWarning.clear();
        throw ESchemeErrorException(kNoMemory);
    } catch (...) {
        FDecodingWarning.clear();
        throw;
    }
    FDecodingWarning.clear();
}

void TSchemeData::LoadFromFile(const QString& AFileName) {
    QFile File(AFileName);
    if (!File.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("Cannot open file \"%1\". %2").arg(AFileName, File.errorString()));
    LoadFromStream(File);
}

}  // namespace scheme
