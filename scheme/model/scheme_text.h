#pragma once

#include "scheme/model/scheme_box.h"

namespace scheme {

// A box whose content is the object's Text: drawn from the box's top-left corner in the colour
// the layer gives the object's state (black outside a layer), in the canvas's font scaled with
// the zoom, with no frame and no fill. With FontAutoSize (the default) the font size makes the
// text as high as the box at every zoom. Geometry, hit test and dragging are the box's.
class SCHEME_EXPORT TSchemeText : public TSchemeBox {
    SCHEME_RECORD_CLASS(TSchemeText)

public:
    TSchemeText(int Id, const TRect& Rect, int State, const QString& Text);
    TSchemeText(int Id, Extended X, Extended Y, Extended Width, Extended Height, int State,
                const QString& Text);
    // A box with its top-left corner at P that fits the text at zoom 1 as the screen lays it
    // out (application font, word-wrapped to the screen's width); at least 4 x 4.
    TSchemeText(int Id, const TPoint& P, int State, const QString& Text);
    TSchemeText(int Id, const TPointExt& P, int State, const QString& Text);
    // Reads the base record, which must hold exactly four points, and FontAutoSize.
    explicit TSchemeText(QStringList& Strings);
    explicit TSchemeText(const record::TRecord& Record);

    void WriteRecord(record::TRecordWriter& Writer) const override;

    bool FontAutoSize() const { return FFontAutoSize; }
    void SetFontAutoSize(bool Value);

    // Draws nothing for an empty text; does not consult Visible. The canvas's font, text colour
    // and background mode are left as they were.
    void Paint(Extended Zoom, TCanvas& Canvas, int AParam) override;

private:
    // The font size the text is drawn with, from the canvas's current font size.
    int ZoomedFontSize(Extended Zoom, TCanvas& Canvas) const;
    TColor TextColor() const;
    void DrawContent(TRect R, Extended Zoom, TCanvas& Canvas) const;

    bool FFontAutoSize = true;
    // The last measurement of the text's height and what it was measured with (a hash of the
    // text, the font and the screen), so that painting measures again only after a change.
    mutable size_t FMeasuredFor = 0;
    mutable int FMeasuredHeight = -1;
};

}  // namespace scheme
