#include "scheme/document/scheme_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "scheme/document/scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/exceptions.h"

namespace scheme {

namespace {

// A free copy of an object, made through its record.
std::unique_ptr<TSchemeObject> CopyOf(const TSchemeObject& Obj) {
    QStringList Record;
    Obj.SaveToStrings(Record);
    std::unique_ptr<TSchemePersistent> Item = FindSchemeClass(Obj.ClassName())->Create(Record);
    auto* Copy = dynamic_cast<TSchemeObject*>(Item.get());
    if (!Copy)
        RaiseError(QStringLiteral("TSchemeClipboard : %1 is no object").arg(Obj.ClassName()));
    Item.release();
    return std::unique_ptr<TSchemeObject>(Copy);
}

// The layer with Id in Data, made like Model when there is none.
TSchemeLayer* LayerLike(TSchemeData& Data, const TSchemeLayer& Model) {
    if (Data.LayerExists(Model.ID())) return Data.GetLayer(Model.ID());
    auto Layer = std::make_unique<TSchemeLayer>(Model.ID());
    Layer->SetSettings(Model.Settings());
    Data.LayerAddDirect(Layer.get());
    return Layer.release();
}

// The objects in drawing order: layer by layer, in list order.
std::vector<TSchemeObject*> InDrawingOrder(TSchemeData& Data, std::vector<TSchemeObject*> Objects) {
    std::unordered_map<const TSchemeLayer*, int> LayerOrder;
    for (int I = 0; I < Data.LayerCount(); ++I) LayerOrder[Data.GetLayerIndex(I)] = I;
    auto Key = [&](const TSchemeObject* Obj) {
        return std::pair(LayerOrder[Obj->Layer()], Obj->Layer()->OrderOf(Obj));
    };
    std::erase_if(Objects, [&](const TSchemeObject* Obj) {
        return !Obj || !Obj->Layer() || !LayerOrder.contains(Obj->Layer());
    });
    std::sort(Objects.begin(), Objects.end(),
              [&](const TSchemeObject* A, const TSchemeObject* B) { return Key(A) < Key(B); });
    Objects.erase(std::unique(Objects.begin(), Objects.end()), Objects.end());
    return Objects;
}

// Moves a free object by (DX, DY), its caption with it.
void Offset(TSchemeObject& Obj, Extended DX, Extended DY) {
    if (Obj.Count() == 0) return;
    const TPointExt P0 = Obj.GetPointsExt(0);
    const TPointExt Caption = Obj.TextPoint();
    Obj.MoveToExt(PointExt(P0.X + DX, P0.Y + DY));
    if (Caption.X != P0.X || Caption.Y != P0.Y)
        Obj.SetTextPoint(PointExt(Caption.X + DX, Caption.Y + DY));
}

QString Describe(const char* Verb, size_t Count) {
    return QStringLiteral("%1 %2 object%3")
        .arg(QLatin1String(Verb))
        .arg(Count)
        .arg(Count == 1 ? QString() : QStringLiteral("s"));
}

// The top-left corner of the box around the objects of Part.
TPointExt Corner(const TSchemeData& Part) {
    TSchemeArea Box;
    for (int L = 0; L < Part.LayerCount(); ++L)
        for (int I = 0; I < Part.GetLayerIndex(L)->Count(); ++I)
            Box = Box.United(Part.GetLayerIndex(L)->GetItemIndex(I)->GetArea());
    return Box.IsEmpty() ? PointExt(0, 0) : PointExt(Box.Left, Box.Top);
}

// Reads Text and adds its objects to Data, moved by what Offset answers for them.
template <class F>
TSchemeClipboard::TPasted PasteNamed(TSchemeData& Data, QStringList& Text, F&& OffsetOf,
                                     const char* Verb) {
    TSchemeData Part;
    Part.SetTimerInterval(0);
    Part.LoadFromStrings(Text);
    size_t Count = 0;
    for (int L = 0; L < Part.LayerCount(); ++L) Count += size_t(Part.GetLayerIndex(L)->Count());
    if (Count == 0) RaiseError(QStringLiteral("TSchemeClipboard : The text holds no objects"));
    const TPointExt Move = OffsetOf(Part);
    const Extended DX = Move.X, DY = Move.Y;
    TSchemeClipboard::TPasted Pasted{{}, Part.LoadWarnings()};
    const TSchemeHistoryGroup Step(Data, Describe(Verb, Count));
    std::unordered_map<const TSchemeObject*, TSchemeObject*> Placed;
    for (int L = 0; L < Part.LayerCount(); ++L) {
        const TSchemeLayer* From = Part.GetLayerIndex(L);
        TSchemeLayer* Target = LayerLike(Data, *From);
        std::unordered_set<int> Taken;
        int Next = 1;
        for (int I = 0; I < Target->Count(); ++I) {
            Taken.insert(Target->GetItemIndex(I)->Id());
            Next = std::max(Next, Target->GetItemIndex(I)->Id() + 1);
        }
        for (int I = 0; I < From->Count(); ++I) {
            const TSchemeObject* Original = From->GetItemIndex(I);
            std::unique_ptr<TSchemeObject> Copy = CopyOf(*Original);
            int Id = Copy->Id();
            if (Taken.contains(Id)) Id = Next;
            Taken.insert(Id);
            Next = std::max(Next, Id + 1);
            Copy->SetId(Id);
            Offset(*Copy, DX, DY);
            Target->Add(Copy.get());
            TSchemeObject* Obj = Copy.release();
            Placed[Original] = Obj;
            Pasted.Objects.push_back(Obj);
        }
    }
    auto End = [&](const TSchemeObject* Obj) { return Obj ? Placed.at(Obj) : nullptr; };
    for (int I = 0; I < Part.LinkCount(); ++I)
        if (const TSchemeLink* Link = Part.GetLink(I)) {
            const int Slot = Data.LinkAdd(End(Link->Parent()), Link->ParentLinkType(),
                                          End(Link->Child()), Link->ChildLinkType());
            Data.GetLink(Slot)->SetEnabled(Link->Enabled());
        }
    Data.SelectObjects(Pasted.Objects, TSchemeData::TSelectMode::Replace);
    return Pasted;
}

// The offset that moves objects by (DX, DY).
auto By(Extended DX, Extended DY) {
    return [DX, DY](const TSchemeData&) { return PointExt(DX, DY); };
}

}  // namespace

// The copy is a small document of its own, written by the document's writer.
QStringList TSchemeClipboard::Text(TSchemeData& Data, const std::vector<TSchemeObject*>& Objects) {
    TSchemeData Part;
    Part.SetTimerInterval(0);
    std::unordered_map<const TSchemeObject*, TSchemeObject*> Copies;
    for (TSchemeObject* Obj : InDrawingOrder(Data, Objects)) {
        const int LayerId = LayerLike(Part, *Obj->Layer())->ID();
        std::unique_ptr<TSchemeObject> Copy = CopyOf(*Obj);
        Part.ObjectAddDirect(LayerId, Copy.get());
        Copies[Obj] = Copy.release();
    }
    // A link goes along when every object it names does.
    auto Among = [&](const TSchemeObject* Obj) { return !Obj || Copies.contains(Obj); };
    auto End = [&](const TSchemeObject* Obj) { return Obj ? Copies.at(Obj) : nullptr; };
    for (int I = 0; I < Data.LinkCount(); ++I) {
        const TSchemeLink* Link = Data.GetLink(I);
        if (!Link || !Among(Link->Parent()) || !Among(Link->Child()) ||
            (!Link->Parent() && !Link->Child()))
            continue;
        const int Slot = Part.LinkAdd(End(Link->Parent()), Link->ParentLinkType(),
                                      End(Link->Child()), Link->ChildLinkType());
        Part.GetLink(Slot)->SetEnabled(Link->Enabled());
    }
    QStringList Lines;
    Part.SaveToStrings(Lines);
    return Lines;
}

std::unique_ptr<QMimeData> TSchemeClipboard::MimeData(TSchemeData& Data,
                                                      const std::vector<TSchemeObject*>& Objects) {
    const QString Joined =
        Text(Data, Objects).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    auto Mime = std::make_unique<QMimeData>();
    Mime->setData(QString::fromLatin1(kMimeType), Joined.toUtf8());
    Mime->setText(Joined);
    return Mime;
}

QStringList TSchemeClipboard::TextOf(const QMimeData& Mime) {
    QString Joined;
    if (Mime.hasFormat(QString::fromLatin1(kMimeType)))
        Joined = QString::fromUtf8(Mime.data(QString::fromLatin1(kMimeType)));
    else if (Mime.hasText())
        Joined = Mime.text();
    if (Joined.isEmpty()) return {};
    static const QRegularExpression LineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList Lines = Joined.split(LineEnd);
    if (!Lines.isEmpty() && Lines.back().isEmpty()) Lines.removeLast();
    return Lines;
}

TSchemeClipboard::TPasted TSchemeClipboard::Paste(TSchemeData& Data, QStringList Text, Extended DX,
                                                  Extended DY) {
    return PasteNamed(Data, Text, By(DX, DY), "Paste");
}

TSchemeClipboard::TPasted TSchemeClipboard::PasteAt(TSchemeData& Data, QStringList Text,
                                                    const TPointExt& At) {
    return PasteNamed(
        Data, Text,
        [&At](const TSchemeData& Part) {
            const TPointExt From = Corner(Part);
            return PointExt(At.X - From.X, At.Y - From.Y);
        },
        "Paste");
}

TSchemeClipboard::TPasted TSchemeClipboard::Duplicate(TSchemeData& Data,
                                                      const std::vector<TSchemeObject*>& Objects,
                                                      Extended DX, Extended DY) {
    QStringList Lines = Text(Data, Objects);
    return PasteNamed(Data, Lines, By(DX, DY), "Duplicate");
}

void TSchemeClipboard::Copy(TSchemeData& Data, const std::vector<TSchemeObject*>& Objects) {
    QGuiApplication::clipboard()->setMimeData(MimeData(Data, Objects).release());
}

namespace {
QStringList ClipboardText() {
    const QMimeData* Mime = QGuiApplication::clipboard()->mimeData();
    QStringList Lines = Mime ? TSchemeClipboard::TextOf(*Mime) : QStringList();
    if (Lines.isEmpty())
        RaiseError(QStringLiteral("TSchemeClipboard : The clipboard holds no text"));
    return Lines;
}
}  // namespace

TSchemeClipboard::TPasted TSchemeClipboard::PasteFromClipboard(TSchemeData& Data, Extended DX,
                                                               Extended DY) {
    return Paste(Data, ClipboardText(), DX, DY);
}

TSchemeClipboard::TPasted TSchemeClipboard::PasteFromClipboardAt(TSchemeData& Data,
                                                                 const TPointExt& At) {
    return PasteAt(Data, ClipboardText(), At);
}

}  // namespace scheme
