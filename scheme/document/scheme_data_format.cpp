// The document as text: blocks headed by class names and closed by "End".
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <new>
#include <unordered_set>
#include <utility>

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

const QString kDocumentMarker = QStringLiteral("TSchemeData");
const QString kEnd = QStringLiteral("End");

bool IsEnd(const QString& Line) {
    return Line.compare(kEnd, Qt::CaseInsensitive) == 0;
}

bool IsDocumentMarker(const QString& Line) {
    return Line.compare(kDocumentMarker, Qt::CaseInsensitive) == 0;
}

// A top-level line that heads a block of a class this program does not know: a bare name.
bool LooksLikeClassName(const QString& Line) {
    return !Line.isEmpty() && !Line.contains(QLatin1Char('=')) && !IsEnd(Line);
}

// The length of a line as the loader measures it: without the leading and trailing blanks
// TrimBlanks removes. The writer indents the lines of a block, so a line that was read must
// not grow past the limit by being written again: indentation never counts.
qsizetype ReadLength(const QString& Raw) {
    return TrimmedView(Raw).size();
}

// A raw line that heads a block this program reads: the document marker or a registered class.
// A line too long to be read heads nothing; reading it raises the usual error.
bool HeadsReadBlock(const QString& Raw) {
    if (ReadLength(Raw) > TSchemeData::kMaxLineLength) return false;
    const QString Line = TrimBlanks(Raw);
    return IsDocumentMarker(Line) || RegistredSchemeClass(Line);
}

// Writes the item's block when its class is registered; answers whether it did.
bool AppendItem(QStringList& AStrings, const TSchemePersistent& Item) {
    if (!RegistredSchemeClass(Item.ClassName())) return false;
    AStrings.append(Item.ClassName());
    Item.SaveToStrings(AStrings);
    AStrings.append(kEnd);
    return true;
}

// Refuses a text the loader would refuse for a line too long, before anything is written: a
// save must never leave a file that does not load. The loader measures lines without their
// indentation (ReadLength), so every document it read saves again; only text set since can be
// refused here. Lines are named counted from 1, as if Lines followed FirstLine - 1 others.
void CheckLineLengths(const QStringList& Lines, qsizetype FirstLine = 1) {
    for (qsizetype I = 0; I < Lines.size(); ++I) {
        if (Lines[I].size() <= TSchemeData::kMaxLineLength) continue;
        const qsizetype Length = ReadLength(Lines[I]);
        if (Length > TSchemeData::kMaxLineLength)
            throw ESchemeErrorException(
                QStringLiteral("TSchemeData : Line %1 of the text is too long to be read again "
                               "(%2 characters, at most %3 are read); nothing was saved")
                    .arg(I + FirstLine)
                    .arg(Length)
                    .arg(TSchemeData::kMaxLineLength));
    }
}

// Whether PlaceItem places the item: an object, a layer or a link.
bool HasPlaceInDocument(const TSchemePersistent* Item) {
    return dynamic_cast<const TSchemeObject*>(Item) || dynamic_cast<const TSchemeLayer*>(Item) ||
           dynamic_cast<const TSchemeLink*>(Item);
}

QString LinesWord(qsizetype Count) {
    return Count == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(Count);
}

QByteArray EncodeLines(const QStringList& Lines) {
    QByteArray Bytes;
    for (const QString& Line : Lines) Bytes.append(Line.toUtf8()).append("\r\n");
    return Bytes;
}

}  // namespace

// ---- writing -------------------------------------------------------------------------------

void TSchemeData::SaveToStrings(QStringList& AStrings) {
    if (OnBeforeSave) {
        OnBeforeSave(this, AStrings);
        ProcessMessages();
    }
    try {
        // The document's text is built apart and added to AStrings only when every line of it
        // can be read again.
        QStringList Text;
        Text.append(kDocumentMarker);
        SaveToStringsSelf(Text);
        Text.append(kEnd);
        // A link is written only when every object it names was written before it: a link to
        // an object that is not in the text (of an unregistered kind or layer, or of no layer
        // of this document) would make the text fail to load. An empty side names nothing.
        std::unordered_set<const TSchemeObject*> Written;
        for (const TSchemeLayer* Layer : FLayers) {
            if (!RegistredSchemeClass(Layer->ClassName())) continue;
            AppendItem(Text, *Layer);
            for (int I = 0; I < Layer->Count(); ++I) {
                const TSchemeObject* Obj = Layer->GetItemIndex(I);
                if (AppendItem(Text, *Obj)) Written.insert(Obj);
            }
        }
        auto SideWritten = [&Written](const TSchemeObject* Obj) {
            return !Obj || Written.contains(Obj);
        };
        for (const TSchemeLink* Link : FLinks)
            if (Link && SideWritten(Link->Parent()) && SideWritten(Link->Child()))
                AppendItem(Text, *Link);
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

void TSchemeData::SaveToStream(QIODevice& AStream) {
    QStringList Lines;
    SaveToStrings(Lines);
    CheckLineLengths(Lines);  // the lines OnBeforeSave or a descendant added too
    const QByteArray Bytes = EncodeLines(Lines);
    bool Written = AStream.write(Bytes) == Bytes.size();
    // A file buffers what it is given: a full disk shows only when the buffer is flushed.
    if (auto* File = qobject_cast<QFileDevice*>(&AStream); Written && File) Written = File->flush();
    if (!Written)
        throw Exception(QStringLiteral("Stream write error: %1").arg(AStream.errorString()));
}

void TSchemeData::SaveToFile(const QString& AFileName) {
    QStringList Lines;
    SaveToStrings(Lines);
    CheckLineLengths(Lines);  // the lines OnBeforeSave or a descendant added too
    const QByteArray Bytes = EncodeLines(Lines);
    // A device or a pipe is written in place: replacing it by a new file would destroy it.
    const QFileInfo Target(AFileName);
    if (Target.exists() && !Target.isFile() && !Target.isDir()) {
        QFile File(AFileName);
        if (!File.open(QIODevice::WriteOnly))
            throw Exception(
                QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, File.errorString()));
        if (File.write(Bytes) != Bytes.size() || !File.flush())
            throw Exception(
                QStringLiteral("Cannot write file \"%1\". %2").arg(AFileName, File.errorString()));
        return;
    }
    // The text goes to a temporary file that replaces the old one only when complete. The
    // buffer is flushed before the commit because a commit does not notice a failed flush.
    QSaveFile File(AFileName);
    if (!File.open(QIODevice::WriteOnly))
        throw Exception(
            QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, File.errorString()));
    if (File.write(Bytes) != Bytes.size() || !File.flush() || !File.commit())
        throw Exception(
            QStringLiteral("Cannot write file \"%1\". %2").arg(AFileName, File.errorString()));
}

// ---- reading -------------------------------------------------------------------------------

void TSchemeData::LoadFromStringsSelf(QStringList& AStrings) {
    if (auto Interval = record::OptInt(AStrings, u"TimerInterval")) SetTimerInterval(*Interval);
}

void TSchemeData::LoadFromStrings(QStringList& AStrings) {
    FSkippedClassNames.clear();
    FLoadWarnings.clear();
    if (!FDecodingWarning.isEmpty()) FLoadWarnings.append(std::exchange(FDecodingWarning, {}));
    if (OnBeforeLoading) {
        OnBeforeLoading(this, AStrings);
        ProcessMessages();
    }
    int I = 0;
    try {
        ReadBlocks(AStrings, I);
    } catch (Exception& E) {
        E.SetMessage(E.Message() + QStringLiteral("\rIn block has line %1").arg(I));
        if (OnAfterLoading) OnAfterLoading(this, AStrings);
        throw;
    } catch (...) {
        if (OnAfterLoading) OnAfterLoading(this, AStrings);
        throw;
    }
    if (OnAfterLoading) OnAfterLoading(this, AStrings);
}

void TSchemeData::ReadBlocks(QStringList& AStrings, int& I) {
    QStringList Block;
    for (;;) {
        const QString Line = ReadLine(AStrings, I);
        if (IsDocumentMarker(Line)) {
            CollectBlock(AStrings, I, &Block);
            LoadFromStringsSelf(Block);
        } else if (RegistredSchemeClass(Line)) {
            const int Start = I;
            CollectBlock(AStrings, I, &Block);
            std::unique_ptr<TSchemePersistent> Item = FindSchemeClass(Line)->Create(Block);
            if (!HasPlaceInDocument(Item.get()))
                FLoadWarnings.append(QStringLiteral("dropped a block of class %1 at line %2, "
                                                    "which has no place in a document")
                                         .arg(Line)
                                         .arg(Start + 1));
            PlaceItem(std::move(Item), Block);
        } else if (LooksLikeClassName(Line)) {
            // A block of a class that is not registered here (or a stray word): skipped, the
            // load goes on.
            FSkippedClassNames.append(Line);
            FLoadWarnings.append(QStringLiteral("skipped a block of unknown class %1 at line %2")
                                     .arg(Line)
                                     .arg(I + 1));
            CollectBlock(AStrings, I, nullptr);
        } else if (!Line.isEmpty() && !IsEnd(Line)) {
            // Any other top-level line (a stray key=value line) is skipped by itself.
            FLoadWarnings.append(
                QStringLiteral("skipped the line outside any block at line %1").arg(I + 1));
        }
        ++I;
        if (IsEnd(Line)) {
            // The format reads nothing after the top-level End; text there is named.
            const qsizetype Rest = AStrings.size() - I;
            for (qsizetype K = I; K < AStrings.size(); ++K) {
                if (ReadLength(AStrings[K]) == 0) continue;
                FLoadWarnings.append(
                    QStringLiteral("%1 after the end of the document at line %2 %3 not read")
                        .arg(LinesWord(Rest))
                        .arg(I)
                        .arg(Rest == 1 ? QStringLiteral("was") : QStringLiteral("were")));
                break;
            }
            return;
        }
        if (I >= AStrings.size()) return;
    }
}

QString TSchemeData::ReadLine(QStringList& AStrings, int I) {
    if (OnLoadingProgress) OnLoadingProgress(this, AStrings, I);
    ProcessMessages();
    if (I < 0 || I >= AStrings.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(I));
    if (const qsizetype Length = ReadLength(AStrings[I]); Length > kMaxLineLength)
        throw ESchemeErrorException(
            QStringLiteral("TSchemeData : Line too long (%1 characters, at most %2 are read)")
                .arg(Length)
                .arg(kMaxLineLength));
    return TrimBlanks(AStrings[I]);
}

// Reads the lines of a block up to its closing line, which I is left on. Lines between
// "Properties=>" and "PropertiesEnd=>" are data, even one that reads "End". A text that ends
// inside the block is an error.
//
// Without Block the lines are skipped: the block is of a class unknown here, or its header is
// a stray or damaged line. Its lines cannot be told from the next block's header otherwise, so
// the skip also ends (I left on its last line) before a line that heads a block this program
// reads, and at the end of the text: a stray word never swallows the valid blocks after it.
void TSchemeData::CollectBlock(QStringList& AStrings, int& I, QStringList* Block) {
    const int Start = I;
    if (Block) Block->clear();
    bool InProperties = false;
    for (;;) {
        if (!Block &&
            (I + 1 >= AStrings.size() || (!InProperties && HeadsReadBlock(AStrings[I + 1]))))
            return;
        ++I;
        if (I >= AStrings.size())
            throw ESchemeErrorException(
                QStringLiteral("TSchemeData : The block that starts at line %1 has no closing line")
                    .arg(Start));
        const QString Line = ReadLine(AStrings, I);
        const QString Name = LineName(Line);
        if (!InProperties && IsEnd(Line)) return;
        if (Name.compare(QLatin1String("Properties"), Qt::CaseInsensitive) == 0)
            InProperties = true;
        if (Name.compare(QLatin1String("PropertiesEnd"), Qt::CaseInsensitive) == 0)
            InProperties = false;
        if (Block) Block->append(Line);
    }
}

void TSchemeData::PlaceItem(std::unique_ptr<TSchemePersistent> Item, const QStringList& Block) {
    if (auto* Obj = dynamic_cast<TSchemeObject*>(Item.get())) {
        ObjectAddDirect(StrToInt(ValueOf(Block, u"LayerID")), Obj);
        Item.release();
    } else if (auto* Layer = dynamic_cast<TSchemeLayer*>(Item.get())) {
        LayerAddDirect(Layer);
        Item.release();
    } else if (dynamic_cast<TSchemeLink*>(Item.get())) {
        PlaceLink(std::unique_ptr<TSchemeLink>(static_cast<TSchemeLink*>(Item.release())), Block);
    }
    // Anything else registered has no place in a document and is dropped.
}

void TSchemeData::PlaceLink(std::unique_ptr<TSchemeLink> Link, const QStringList& Block) {
    // A side names both the object and its layer, or neither (it stays empty). Half a side
    // is damage: taking it for an empty side would silently lose the link's end.
    auto Side = [&](QStringView IdKey, QStringView LayerKey, const char* Name) -> TSchemeObject* {
        const auto Id = record::OptInt(Block, IdKey);
        const auto LayerId = record::OptInt(Block, LayerKey);
        if (Id.has_value() != LayerId.has_value())
            throw ESchemeErrorException(
                QStringLiteral("TSchemeData : The link's %1 names no %2")
                    .arg(QLatin1String(Name))
                    .arg(Id ? QStringLiteral("layer") : QStringLiteral("object")));
        return Id ? GetLayer(*LayerId)->GetItem(*Id) : nullptr;
    };
    Link->SetParent(Side(u"ParentId", u"ParentLayerId", "parent"));
    Link->SetChild(Side(u"ChildId", u"ChildLayerId", "child"));
    LinkAddDirect(Link.get());
    Link.release();
}

namespace {
const QString kNoMemory = QStringLiteral("TSchemeData : Not enough memory to read the document");
}  // namespace

void TSchemeData::LoadFromStream(QIODevice& AStream) {
    const std::optional<QByteArray> Bytes = ReadAtMost(AStream, kMaxDocumentSize);
    if (!Bytes)
        throw ESchemeErrorException(
            QStringLiteral("TSchemeData : Document too large (more than %1 MiB are not read)")
                .arg(kMaxDocumentSize >> 20));
    // Every line is held while the text is read: a text of countless tiny lines (hundreds of
    // millions of empty ones fit in the size limit) would need many times its size.
    const qsizetype LineCount = std::max(Bytes->count('\n'), Bytes->count('\r')) + 1;
    if (LineCount > kMaxDocumentLines)
        throw ESchemeErrorException(
            QStringLiteral("TSchemeData : Document has too many lines (%1, at most %2 are read)")
                .arg(LineCount)
                .arg(kMaxDocumentLines));
    int Latin1FromLine = -1;
    QStringList Lines;
    try {
        Lines = BytesToLines(*Bytes, &Latin1FromLine);
    } catch (const std::bad_alloc&) {
        throw ESchemeErrorException(kNoMemory);
    }
    // LoadFromStrings takes the note over as its first warning; it is dropped should an
    // override not reach it, so that no later load reports it.
    if (Latin1FromLine >= 0)
        FDecodingWarning = QStringLiteral(
                               "the text is not valid UTF-8 (first invalid byte on line %1); it "
                               "was read as Latin-1")
                               .arg(Latin1FromLine + 1);
    try {
        LoadFromStrings(Lines);
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
