#include "scheme/model/ext/scheme_internal_picture.h"

#include "scheme/model/components.h"
#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"

namespace scheme {

// ---- list references -----------------------------------------------------------------------

QString TSchemeInternalPicture::TListRef::Reference() const {
    return List ? _get_name_for_component(List) : Text;
}

bool TSchemeInternalPicture::TListRef::Differs(TImageList* Value) const {
    return Value != List || (!Value && !Text.isEmpty());
}

void TSchemeInternalPicture::TListRef::Assign(TImageList* Value) {
    List = Value;
    Text = _get_name_for_component(Value);
}

void TSchemeInternalPicture::TListRef::Read(const record::TRecord& Record,
                                            const record::TKey& Key) {
    const std::optional<QString> Value = Record.FindText(Key);
    if (!Value) return;
    Text = *Value;
    List = qobject_cast<TImageList*>(_get_component_for_name(*Value));
}

// ---- construction and record ---------------------------------------------------------------

TSchemeInternalPicture::TSchemeInternalPicture(int Id, const TRect& Rect, int State, int ImageIndex,
                                               TImageList* ImageList, int SelectedImageIndex,
                                               TImageList* SelectedImageList)
    : TSchemeBox(Id, Rect, State),
      FImageIndex(ImageIndex),
      FSelectedImageIndex(SelectedImageIndex) {
    FImageList.Assign(ImageList);
    FSelectedImageList.Assign(SelectedImageList);
}

TSchemeInternalPicture::TSchemeInternalPicture(int Id, const TRect& Rect, int State)
    : TSchemeBox(Id, Rect, State) {}

TSchemeInternalPicture::TSchemeInternalPicture(int Id, Extended X, Extended Y, Extended Width,
                                               Extended Height, int State)
    : TSchemeBox(Id, X, Y, Width, Height, State) {}

TSchemeInternalPicture::TSchemeInternalPicture(QStringList& Strings)
    : TSchemeInternalPicture(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemeInternalPicture::TSchemeInternalPicture(const record::TRecord& Record)
    : TSchemeBox(Record, StaticClassName()) {
    FImageIndex = Record.OptInt("ImageIndex").value_or(0);
    FSelectedImageIndex = Record.OptInt("SelectedImageIndex").value_or(0);
    FTransparent = Record.OptFlag("Transparent").value_or(true);
    FVisibleBackIfSelected = Record.OptFlag("VisibleBackIfSelected").value_or(true);
    FImageList.Read(Record, "ImageList");
    FSelectedImageList.Read(Record, "SelectedImageList");
}

void TSchemeInternalPicture::WriteRecord(record::TRecordWriter& Writer) const {
    TSchemeBox::WriteRecord(Writer);
    if (!FTransparent) Writer.WriteInt("Transparent", 0);
    if (!FVisibleBackIfSelected) Writer.WriteInt("VisibleBackIfSelected", 0);
    if (FImageIndex != 0) Writer.WriteInt("ImageIndex", FImageIndex);
    if (const QString Ref = FImageList.Reference(); !Ref.isEmpty()) Writer.Write("ImageList", Ref);
    if (FSelectedImageIndex != 0) Writer.WriteInt("SelectedImageIndex", FSelectedImageIndex);
    if (const QString Ref = FSelectedImageList.Reference(); !Ref.isEmpty())
        Writer.Write("SelectedImageList", Ref);
}

TSchemeObject* TSchemeInternalPicture::Clone() {
    TSchemeObject* Copy = TSchemeBox::Clone();
    if (auto* Picture = dynamic_cast<TSchemeInternalPicture*>(Copy)) {
        if (FImageList.List) Picture->SetImageList(FImageList.List);
        if (FSelectedImageList.List) Picture->SetSelectedImageList(FSelectedImageList.List);
    }
    return Copy;
}

// ---- setters -------------------------------------------------------------------------------

void TSchemeInternalPicture::ChangeIndex(int& Index, int Value) {
    UpdateField(Index, Value);
}

void TSchemeInternalPicture::ChangeList(TListRef& Ref, TImageList* Value) {
    if (!Ref.Differs(Value)) return;
    Update([&] { Ref.Assign(Value); });
}

void TSchemeInternalPicture::SetImageIndex(int Value) {
    ChangeIndex(FImageIndex, Value);
}

void TSchemeInternalPicture::SetSelectedImageIndex(int Value) {
    ChangeIndex(FSelectedImageIndex, Value);
}

void TSchemeInternalPicture::SetImageList(TImageList* Value) {
    ChangeList(FImageList, Value);
}

void TSchemeInternalPicture::SetSelectedImageList(TImageList* Value) {
    ChangeList(FSelectedImageList, Value);
}

void TSchemeInternalPicture::SetTransparent(bool Value) {
    UpdateField(FTransparent, Value);
}

void TSchemeInternalPicture::SetVisibleBackIfSelected(bool Value) {
    UpdateField(FVisibleBackIfSelected, Value);
}

// ---- painting ------------------------------------------------------------------------------

bool TSchemeInternalPicture::FetchImage(QImage& Image) const {
    const bool SelectionShown = Layer() && Layer()->SelectionPhase() && Selected();
    if (SelectionShown && FSelectedImageList.List) {
        FSelectedImageList.List->GetBitmap(FSelectedImageIndex, Image);
        return true;
    }
    if (FImageList.List) {
        FImageList.List->GetBitmap(FImageIndex, Image);
        return true;
    }
    return false;
}

void TSchemeInternalPicture::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    if (!Visible()) return;
    const bool BackPainted = Selected() && FVisibleBackIfSelected;
    if (BackPainted) TSchemeBox::Paint(Zoom, Canvas, AParam);
    QImage Image;
    if (!FetchImage(Image)) {
        if (!BackPainted) TSchemeBox::Paint(Zoom, Canvas, AParam);
        return;
    }
    TRect R = GetZoomRect(Zoom, AParam);
    InflateRect(R, -1, -1);
    Canvas.StretchDraw(R, Image, FTransparent);
    if (BackPainted) return;
    PaintHookRect(Zoom, Canvas, AParam);
    PaintText(Zoom, Canvas, AParam);
}

}  // namespace scheme
