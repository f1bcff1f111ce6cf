#include "scheme/model/scheme_picture.h"

#include <QBuffer>

#include "scheme/model/helpers.h"
#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

namespace scheme {

namespace {

// The record without its properties block: the application's lines there must not be taken
// for the picture's own keys. The block is found by the base record's rule.
void WithoutProperties(const record::TRecord& Record, record::TRecord& Result) {
    const int First = Record.IndexOfName("Properties");
    const int Last = First < 0 ? -1 : Record.IndexOfName("PropertiesEnd");
    if (Last <= First) {
        Result.Append(Record, 0, Record.Size());
        return;
    }
    Result.Append(Record, 0, First);
    Result.Append(Record, Last + 1, Record.Size());
}

// Hex lines hold no "=": a key line such as SelectedGraphic= ends a block, as does END.
bool EndsBlock(std::string_view Line) {
    if (Line.find('=') != std::string_view::npos) return true;
    return Line.size() == 3 && (Line[0] | 0x20) == 'e' && (Line[1] | 0x20) == 'n' &&
           (Line[2] | 0x20) == 'd';
}

// Loads the block that follows the line named Key; the class name is read in upper case.
// Without such a line, or with an empty class name, the picture stays empty.
void LoadBlock(TPicture& Picture, const record::TRecord& Record, const record::TKey& Key) {
    const int Start = Record.IndexOfName(Key);
    if (Start < 0) return;
    const std::string_view Line = Record.Line(Start);
    const QString ClassName = TrimBlanks(Record.Decode(Line.substr(Line.find('=') + 1))).toUpper();
    if (ClassName.isEmpty()) return;
    qsizetype End = Start + 1;
    while (End < Record.Size() && !EndsBlock(Record.Line(End))) ++End;
    PictureFromStrings(Picture, ClassName, Record.Strings(Start + 1, End));
}

void WriteBlock(record::TRecordWriter& Writer, std::string_view Key, const TPicture& Picture) {
    const TGraphic* Graphic = Picture.Graphic();
    if (!Graphic) return;
    Writer.Write(Key, Graphic->ClassName());
    QByteArray Data;
    QBuffer Stream(&Data);
    Stream.open(QIODevice::WriteOnly);
    Graphic->SaveToStream(Stream);
    QStringList Lines;
    BinaryToStrings(Data, Lines);
    Writer.WriteLines(Lines);
}

// A picture with something to draw.
TGraphic* Drawable(const TPicture& Picture) {
    TGraphic* Graphic = Picture.Graphic();
    return Graphic && !Graphic->Empty() ? Graphic : nullptr;
}

}  // namespace

TSchemePicture::TSchemePicture(int Id, const TRect& Rect, int State)
    : TSchemeBox(Id, Rect, State) {}

TSchemePicture::TSchemePicture(int Id, Extended X, Extended Y, Extended Width, Extended Height,
                               int State)
    : TSchemeBox(Id, X, Y, Width, Height, State) {}

TSchemePicture::TSchemePicture(QStringList& Strings)
    : TSchemePicture(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemePicture::TSchemePicture(const record::TRecord& Record)
    : TSchemeBox(Record, StaticClassName()) {
    ReadPictures(Record);
}

TSchemePicture::~TSchemePicture() = default;

void TSchemePicture::ReadPictures(const record::TRecord& Record) {
    record::TRecord Own;
    WithoutProperties(Record, Own);
    FTransparent = Own.OptFlag("Transparent").value_or(true);
    FVisibleBackIfSelected = Own.OptFlag("VisibleBackIfSelected").value_or(true);
    LoadBlock(*FPicture, Own, "Graphic");
    LoadBlock(*FSelectedPicture, Own, "SelectedGraphic");
    // The object joins its layer only after it is read: the record names the layer.
    const std::optional<int> LayerId = Own.OptInt("LayerID");
    ReportNotes(*FPicture, "Graphic", LayerId);
    ReportNotes(*FSelectedPicture, "SelectedGraphic", LayerId);
}

void TSchemePicture::ReportNotes(const TPicture& Picture, const char* Key,
                                 std::optional<int> LayerId) const {
    const TGraphic* Graphic = Picture.Graphic();
    if (!Graphic) return;
    if (Layer()) LayerId = Layer()->ID();
    const QString Where =
        LayerId ? QStringLiteral("%1 %2 on layer %3").arg(ClassName()).arg(Id()).arg(*LayerId)
                : QStringLiteral("%1 %2").arg(ClassName()).arg(Id());
    for (const QString& Note : Graphic->TakeNotes())
        ReportPictureProblem(Graphic->PictureBudget().get(),
                             QStringLiteral("%1, %2: %3").arg(Where, QLatin1String(Key), Note));
}

std::shared_ptr<TPictureBudget> TSchemePicture::DocumentBudget() const {
    ISchemeData* Data = Layer() ? Layer()->SchemeData() : nullptr;
    return Data ? Data->PictureBudget() : nullptr;
}

void TSchemePicture::WriteRecord(record::TRecordWriter& Writer) const {
    TSchemeBox::WriteRecord(Writer);
    if (!FTransparent) Writer.WriteInt("Transparent", 0);
    if (!FVisibleBackIfSelected) Writer.WriteInt("VisibleBackIfSelected", 0);
    WriteBlock(Writer, "Graphic", *FPicture);
    WriteBlock(Writer, "SelectedGraphic", *FSelectedPicture);
}

// ---- settings --------------------------------------------------------------------------------

void TSchemePicture::SetOwnedPicture(TPicture& Target, const TPicture& Value) {
    Update([&] { Target.Assign(Value); });
}

void TSchemePicture::SetPicture(const TPicture& Value) {
    SetOwnedPicture(*FPicture, Value);
}

void TSchemePicture::SetSelectedPicture(const TPicture& Value) {
    SetOwnedPicture(*FSelectedPicture, Value);
}

void TSchemePicture::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    Changing();
    FTransparent = Value;
    Update([&] {
        for (TPicture* P : {FPicture.get(), FSelectedPicture.get()})
            if (TGraphic* Graphic = P->Graphic()) Graphic->SetTransparent(Value);
    });
}

void TSchemePicture::SetVisibleBackIfSelected(bool Value) {
    UpdateField(FVisibleBackIfSelected, Value);
}

// ---- painting --------------------------------------------------------------------------------

TGraphic* TSchemePicture::ShownGraphic() const {
    const bool SelectedPhase = Layer() && Layer()->SelectionPhase() && Selected();
    if (SelectedPhase)
        if (TGraphic* Graphic = Drawable(*FSelectedPicture)) return Graphic;
    return Drawable(*FPicture);
}

void TSchemePicture::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    TRect R = GetZoomRect(Zoom, AParam);
    if (SkipPaint(Zoom, Canvas, AParam)) return;
    const bool Back = Selected() && FVisibleBackIfSelected;
    if (Back) TSchemeBox::Paint(Zoom, Canvas, AParam);
    TGraphic* Graphic = ShownGraphic();
    if (!Graphic) {
        if (!Back) TSchemeBox::Paint(Zoom, Canvas, AParam);
        return;
    }
    Graphic->SetPictureBudget(DocumentBudget());
    Graphic->SetTransparent(FTransparent);
    InflateRect(R, -1, -1);
    // A picture the budget refuses shows as the plain box, and is reported once.
    const bool Ready = !Canvas.RectVisible(R) || Graphic->Prepare(TGraphic::DrawnSize(Canvas, R));
    const bool OfSelected = Graphic == FSelectedPicture->Graphic();
    ReportNotes(OfSelected ? *FSelectedPicture : *FPicture,
                OfSelected ? "SelectedGraphic" : "Graphic", std::nullopt);
    if (!Ready) {
        if (!Back) TSchemeBox::Paint(Zoom, Canvas, AParam);
        return;
    }
    Canvas.StretchDraw(R, *Graphic);
    if (Back) return;
    // The hooks are filled as the box would fill them.
    SetCanvasProperties(Canvas, Zoom);
    PaintHookRect(Zoom, Canvas, AParam);
    PaintText(Zoom, Canvas, AParam);
}

}  // namespace scheme
