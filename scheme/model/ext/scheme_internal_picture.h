#pragma once

#include <QImage>
#include <QPointer>
#include <string_view>

#include "scheme/model/record.h"
#include "scheme/model/scheme_box.h"
#include "scheme/platform/image_list.h"

namespace scheme {

// A box that shows one image of an image list kept elsewhere in the application, stretched to
// its rectangle, and optionally an image of a second list while it is selected. The record
// names the lists by component reference ("Owner.Name") and the images by index. The lists are
// not owned: one that is destroyed drops out and the object paints as a plain box. A reference
// without a live image list behind it (unresolved on loading, or its list destroyed) is kept
// as text and written back, so that loading and saving never lose it.
class SCHEME_EXPORT TSchemeInternalPicture : public TSchemeBox {
    SCHEME_RECORD_CLASS(TSchemeInternalPicture)

public:
    TSchemeInternalPicture(int Id, const TRect& Rect, int State, int ImageIndex,
                           TImageList* ImageList, int SelectedImageIndex,
                           TImageList* SelectedImageList);
    // A box without lists: both indices 0, both flags set.
    TSchemeInternalPicture(int Id, const TRect& Rect, int State);
    TSchemeInternalPicture(int Id, Extended X, Extended Y, Extended Width, Extended Height,
                           int State);
    // Reads the base record, which must hold exactly four points, then the indices, flags and
    // list references.
    explicit TSchemeInternalPicture(QStringList& Strings);
    explicit TSchemeInternalPicture(const record::TRecord& Record);

    void WriteRecord(record::TRecordWriter& Writer) const override;
    // The copy shows the same lists, also those its record could not name.
    TSchemeObject* Clone() override;
    void Paint(Extended Zoom, TCanvas& Canvas, int AParam) override;

    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TImageList* ImageList() const { return FImageList.List; }
    // A list, or null, also replaces a reference kept as text.
    void SetImageList(TImageList* Value);
    int SelectedImageIndex() const { return FSelectedImageIndex; }
    void SetSelectedImageIndex(int Value);
    TImageList* SelectedImageList() const { return FSelectedImageList.List; }
    void SetSelectedImageList(TImageList* Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool VisibleBackIfSelected() const { return FVisibleBackIfSelected; }
    void SetVisibleBackIfSelected(bool Value);

    // The reference texts the record holds; empty when there is none.
    QString ImageListReference() const { return FImageList.Reference(); }
    QString SelectedImageListReference() const { return FSelectedImageList.Reference(); }

private:
    // An image list held by reference: the list while it lives, and the reference text it was
    // read as or last had, which stands in for it when the list is missing.
    struct TListRef {
        QPointer<TImageList> List;
        QString Text;

        QString Reference() const;
        bool Differs(TImageList* Value) const;
        void Assign(TImageList* Value);
        void Read(const record::TRecord& Record, const record::TKey& Key);
    };

    // The image to show; false when no list applies and the object looks like a plain box.
    bool FetchImage(QImage& Image) const;
    void ChangeList(TListRef& Ref, TImageList* Value);
    void ChangeIndex(int& Index, int Value);

    int FImageIndex = 0;
    TListRef FImageList;
    int FSelectedImageIndex = 0;
    TListRef FSelectedImageList;
    bool FTransparent = true;
    bool FVisibleBackIfSelected = true;
};

}  // namespace scheme
