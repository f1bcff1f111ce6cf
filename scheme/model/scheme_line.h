#pragma once

#include "scheme/model/arrow.h"
#include "scheme/model/scheme_object.h"

namespace scheme {

// A straight line from point 0 to point 1 in world units, drawn with the pen in the colour of
// the brush (the state colour when the layer supplies it), with an optional open arrow head at
// point 1 or, reversed, at point 0. Both ends are hooks (detail codes 0 and 1); -1 is the body.
// The arrow's length is in world units and scales with the zoom.
class SCHEME_EXPORT TSchemeLine : public TSchemeObject {
    SCHEME_RECORD_CLASS(TSchemeLine)

public:
    TSchemeLine(int Id, Extended X1, Extended Y1, Extended X2, Extended Y2, int PenWidth,
                int State);
    TSchemeLine(int Id, const TPoint& P1, const TPoint& P2, int PenWidth, int State);
    // Reads the base record, which must hold exactly two points, then the arrow keys.
    explicit TSchemeLine(QStringList& Strings);
    explicit TSchemeLine(const record::TRecord& Record);

    void WriteRecord(record::TRecordWriter& Writer) const override;

    bool VisibleArrow() const { return FArrow.VisibleArrow; }
    void SetVisibleArrow(bool Value);
    bool BackArrow() const { return FArrow.BackArrow; }
    void SetBackArrow(bool Value);
    int LengthArrow() const { return FArrow.LengthArrow; }
    void SetLengthArrow(int Value);

    // The two ends on the canvas, truncated toward zero.
    void GetZoomPoints(Extended Zoom, int AParam, TPoint& P1, TPoint& P2) const;
    // The arrow head on the canvas: from point 0 to point 1, or back with BackArrow.
    TArrowHead GetArrowPoints(Extended Zoom, int AParam) const;

    // The base's pen and brush, with the pen in the brush colour.
    void SetCanvasProperties(TCanvas& Canvas, Extended Zoom) const override;
    void Paint(Extended Zoom, TCanvas& Canvas, int AParam) override;
    // A band along the line with squares at both ends, the arrow head, hooks and caption.
    QRegion GetClippingRegion(Extended Zoom, int AParam) const override;
    TSchemeArea GetArea() const override;
    TRect GetBoundsRect(Extended Zoom, int AParam) const override;
    // -1 translates the line so that point 0 lands on (X, Y); 0 and 1 move that end there;
    // anything else changes nothing.
    void ChangePositionDetail(Extended X, Extended Y, int Detail, int AParam) override;

private:
    TArrowSettings FArrow;
};

}  // namespace scheme
