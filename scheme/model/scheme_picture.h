#pragma once

#include <memory>
#include <optional>

#include "scheme/model/scheme_box.h"
#include "scheme/platform/picture.h"

namespace scheme {

// A box that shows an embedded picture stretched into its rectangle, and optionally a second
// picture in the selected appearance, alternating with the first as the layer's selection
// phase blinks. Both pictures travel inside the record as hex blocks, so a document stays
// self-contained. Without a picture to show the object paints as a plain box.
//
// The pictures' decoded images count against the document's picture budget (the process
// budget while the object is in no document): a picture the budget refuses paints as the plain
// box. Each refusal, and each embedded image an SVG picture drops, is reported once, naming the
// object's class, Id and layer: while the document loads as a load warning, else to the budget
// (TPictureBudget::TakeReports).
class SCHEME_EXPORT TSchemePicture : public TSchemeBox {
    SCHEME_RECORD_CLASS(TSchemePicture)

public:
    TSchemePicture(int Id, const TRect& Rect, int State);
    TSchemePicture(int Id, Extended X, Extended Y, Extended Width, Extended Height, int State);
    // Reads the box record and the picture keys. A picture block ends at the next key line,
    // at a line reading END, or at the record's end; the properties block is never taken for
    // the picture's keys.
    explicit TSchemePicture(QStringList& Strings);
    explicit TSchemePicture(const record::TRecord& Record);
    ~TSchemePicture() override;

    void WriteRecord(record::TRecordWriter& Writer) const override;
    void Paint(Extended Zoom, TCanvas& Canvas, int AParam) override;

    // The owned pictures. A caller that changes one in place calls Changed afterwards.
    TPicture* Picture() const { return FPicture.get(); }
    TPicture* SelectedPicture() const { return FSelectedPicture.get(); }
    // Copy Value's graphic into the owned picture; the old look is erased first.
    void SetPicture(const TPicture& Value);
    void SetSelectedPicture(const TPicture& Value);
    // Whether the pictures' graphics are drawn transparently.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // Whether a selected object draws its box (fill, frame, caption, hooks) under the picture.
    bool VisibleBackIfSelected() const { return FVisibleBackIfSelected; }
    void SetVisibleBackIfSelected(bool Value);

private:
    void SetOwnedPicture(TPicture& Target, const TPicture& Value);
    void ReadPictures(const record::TRecord& Record);
    // The graphic painting shows now, or nullptr when the box is shown instead.
    TGraphic* ShownGraphic() const;
    // Hands on what the picture's graphic noted, naming this object; LayerId stands for the
    // layer until the object is in one.
    void ReportNotes(const TPicture& Picture, const char* Key, std::optional<int> LayerId) const;
    // The budget of the document the object is in, or nullptr.
    std::shared_ptr<TPictureBudget> DocumentBudget() const;

    std::unique_ptr<TPicture> FPicture = std::make_unique<TPicture>();
    std::unique_ptr<TPicture> FSelectedPicture = std::make_unique<TPicture>();
    bool FTransparent = true;
    bool FVisibleBackIfSelected = true;
};

}  // namespace scheme
