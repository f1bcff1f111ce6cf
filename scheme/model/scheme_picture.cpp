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

const QString kGraphicKey = QStringLiteral("Graphic");
const QString kSelectedGraphicKey = QStringLiteral("SelectedGraphic");

// The record without its properties block: the application's lines there must not be taken
// for the picture's own keys. The block is found by the base record's rule.
QStringList WithoutProperties(const QStringList& Strings) {
    const int First = IndexOfName(Strings, u"Properties");
    const int Last = First < 0 ? -1 : IndexOfName(Strings, u"PropertiesEnd");
    if (Last <= First) return Strings;
    return Strings.mid(0, First) + Strings.mid(Last + 1);
}

// Hex lines hold no "=": a key line such as SelectedGraphic= ends a block, as does END.
bool EndsBlock(const QString& Line) {
    return Line.contains(QLatin1Char('=')) ||
           Line.compare(QLatin1String("END"), Qt::CaseInsensitive) == 0;
}

// Loads the block that follows the line named Key; the class name is read in upper case.
// Without such a line, or with an empty class name, the picture stays empty.
void LoadBlock(TPicture& Picture, const QStringList& Lines, QStringView Key) {
    const int Start = IndexOfName(Lines, Key);
    if (Start < 0) return;
    const QString& Line = Lines[Start];
    const QString ClassName = TrimBlanks(Line.mid(Line.indexOf(QLatin1Char('=')) + 1)).toUpper();
    if (ClassName.isEmpty()) return;
    QStringList Block;
    for (int I = Start + 1; I < Lines.size() && !EndsBlock(Lines[I]); ++I) Block.append(Lines[I]);
    PictureFromStrings(Picture, ClassName, Block);
}

void WriteBlock(QStringList& Strings, QStringView Key, const TPicture& Picture) {
    const TGraphic* Graphic = Picture.Graphic();
    if (!Graphic) return;
    record::Write(Strings, Key, Graphic->ClassName());
    QByteArray Data;
    QBuffer Stream(&Data);
    Stream.open(QIODevice::WriteOnly);
    Graphic->SaveToStream(Stream);
    BinaryToStrings(Data, Strings);
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

TSchemePicture::TSchemePicture(QStringList& Strings) : TSchemeBox(Strings, StaticClassName()) {
    ReadPictures(WithoutProperties(Strings));
}

TSchemePicture::~TSchemePicture() = default;

void TSchemePicture::ReadPictures(const QStringList& Strings) {
    FTransparent = record::OptFlag(Strings, u"Transparent").value_or(true);
    FVisibleBackIfSelected = record::OptFlag(Strings, u"VisibleBackIfSelected").value_or(true);
    LoadBlock(*FPicture, Strings, kGraphicKey);
    LoadBlock(*FSelectedPicture, Strings, kSelectedGraphicKey);
}

void TSchemePicture::SaveToStrings(QStringList& Strings) const {
    TSchemeBox::SaveToStrings(Strings);
    if (!FTransparent) record::WriteInt(Strings, u"Transparent", 0);
    if (!FVisibleBackIfSelected) record::WriteInt(Strings, u"VisibleBackIfSelected", 0);
    WriteBlock(Strings, kGraphicKey, *FPicture);
    WriteBlock(Strings, kSelectedGraphicKey, *FSelectedPicture);
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
    Graphic->SetTransparent(FTransparent);
    InflateRect(R, -1, -1);
    Canvas.StretchDraw(R, *Graphic);
    if (Back) return;
    // The hooks are filled as the box would fill them.
    SetCanvasProperties(Canvas, Zoom);
    PaintHookRect(Zoom, Canvas, AParam);
    PaintText(Zoom, Canvas, AParam);
}

}  // namespace scheme
