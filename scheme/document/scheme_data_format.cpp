// The document as text: blocks headed by class names and closed by "End".
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <unordered_set>

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

// A raw line that heads a block this program reads: the document marker or a registered class.
// A line too long to be read heads nothing; reading it raises the usual error.
bool HeadsReadBlock(const QString& Raw) {
    if (Raw.size() > TSchemeData::kMaxLineLength) return false;
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
        AStrings.append(kDocumentMarker);
        SaveToStringsSelf(AStrings);
        AStrings.append(kEnd);
        // A link is written only when every object it names was written before it: a link to
        // an object that is not in the text (of an unregistered kind or layer, or of no layer
        // of this document) would make the text fail to load. An empty side names nothing.
        std::unordered_set<const TSchemeObject*> Written;
        for (const TSchemeLayer* Layer : FLayers) {
            if (!RegistredSchemeClass(Layer->ClassName())) continue;
            AppendItem(AStrings, *Layer);
            for (int I = 0; I < Layer->Count(); ++I) {
                const TSchemeObject* Obj = Layer->GetItemIndex(I);
                if (AppendItem(AStrings, *Obj)) Written.insert(Obj);
            }
        }
        auto SideWritten = [&Written](const TSchemeObject* Obj) {
            return !Obj || Written.contains(Obj);
        };
        for (const TSchemeLink* Link : FLinks)
            if (Link && SideWritten(Link->Parent()) && SideWritten(Link->Child()))
                AppendItem(AStrings, *Link);
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
            CollectBlock(AStrings, I, &Block);
            PlaceItem(FindSchemeClass(Line)->Create(Block), Block);
        } else if (LooksLikeClassName(Line)) {
            // A block of a class that is not registered here (or a stray word): skipped, the
            // load goes on.
            FSkippedClassNames.append(Line);
            CollectBlock(AStrings, I, nullptr);
        }
        // Any other top-level line (a stray key=value line) is skipped by itself.
        ++I;
        if (IsEnd(Line) || I >= AStrings.size()) return;
    }
}

QString TSchemeData::ReadLine(QStringList& AStrings, int I) {
    if (OnLoadingProgress) OnLoadingProgress(this, AStrings, I);
    ProcessMessages();
    if (I < 0 || I >= AStrings.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(I));
    if (AStrings[I].size() > kMaxLineLength)
        throw ESchemeErrorException(
            QStringLiteral("TSchemeData : Line too long (%1 characters, at most %2 are read)")
                .arg(AStrings[I].size())
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
    // A side is set only when its block names both the object and its layer.
    auto Side = [&](QStringView IdKey, QStringView LayerKey) -> TSchemeObject* {
        const auto Id = record::OptInt(Block, IdKey);
        const auto LayerId = record::OptInt(Block, LayerKey);
        return (Id && LayerId) ? GetLayer(*LayerId)->GetItem(*Id) : nullptr;
    };
    Link->SetParent(Side(u"ParentId", u"ParentLayerId"));
    Link->SetChild(Side(u"ChildId", u"ChildLayerId"));
    LinkAddDirect(Link.get());
    Link.release();
}

void TSchemeData::LoadFromStream(QIODevice& AStream) {
    const std::optional<QByteArray> Bytes = ReadAtMost(AStream, kMaxDocumentSize);
    if (!Bytes)
        throw ESchemeErrorException(
            QStringLiteral("TSchemeData : Document too large (more than %1 MiB are not read)")
                .arg(kMaxDocumentSize >> 20));
    QStringList Lines = BytesToLines(*Bytes);
    LoadFromStrings(Lines);
}

void TSchemeData::LoadFromFile(const QString& AFileName) {
    QFile File(AFileName);
    if (!File.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("Cannot open file \"%1\". %2").arg(AFileName, File.errorString()));
    LoadFromStream(File);
}

}  // namespace scheme
