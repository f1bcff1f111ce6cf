#pragma once

#include "scheme/model/scheme_object.h"

namespace scheme {

// An axis-parallel box: top-left corner, width and height in world units, kept as the four
// corner points 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left. Width and height are
// at least 4 after every operation that sets the rectangle. Side hooks have the detail codes
// -2 top, -3 right, -4 bottom, -5 left.
class SCHEME_EXPORT TSchemeBox : public TSchemeObject {
    SCHEME_RECORD_CLASS(TSchemeBox)

public:
    static constexpr Extended kMinSize = 4.0;

    TSchemeBox(int Id, const TRect& Rect, int State);
    TSchemeBox(int Id, Extended X, Extended Y, Extended Width, Extended Height, int State);
    // Reads the base record, which must hold exactly four points.
    explicit TSchemeBox(QStringList& Strings);
    explicit TSchemeBox(const record::TRecord& Record);

    void SetRect(Extended X, Extended Y, Extended Width, Extended Height, int AParam, bool Repaint);
    virtual void GetRect(Extended& X, Extended& Y, Extended& Width, Extended& Height,
                         int AParam) const;
    virtual void GetPosition(Extended& X, Extended& Y, Extended& Width, Extended& Height,
                             int AParam) const;
    virtual void SetPosition(Extended X, Extended Y, Extended Width, Extended Height, int AParam);
    Extended GetWidth() const;
    Extended GetHeight() const;
    // Sets the width (height) exactly; the other edges stay where they are.
    void SetWidth(Extended Value);
    void SetHeight(Extended Value);
    // The box on the canvas: left and top truncated, right and bottom rounded.
    virtual TRect GetZoomRect(Extended Zoom, int AParam) const;

    // Moves one corner; the opposite corner stays.
    void SetPointsExt(int Index, const TPointExt& P, bool Repaint) override;
    void MoveToExt(const TPointExt& P) override;
    // The body, the corners and the four side hooks.
    bool HasDetail(int Detail) const override;
    QRegion GetClippingRegion(Extended Zoom, int AParam) const override;
    // Kinds answer PointInside from their geometry, exactly as their zoom-1 region would, without
    // building it; a kind that changes its region changes its PointInside with it.
    bool PointInside(Extended X, Extended Y, int AParam) const override;
    TSchemeArea GetArea() const override;
    TRect GetBoundsRect(Extended Zoom, int AParam) const override;
    bool PointInsideDetail(Extended X, Extended Y, Extended& DX, Extended& DY, int& Detail,
                           int AParam) override;
    void ChangePositionDetail(Extended X, Extended Y, int Detail, int AParam) override;
    void Paint(Extended Zoom, TCanvas& Canvas, int AParam) override;

protected:
    // Reads the base record for a derived kind; a wrong point count is reported under
    // KindName, the class the record was meant for.
    TSchemeBox(const record::TRecord& Record, const QString& KindName);
    // The zoom rectangle grown by the pen, as the clipping region measures it.
    TRect GetPenZoomRect(Extended Zoom, int AParam) const;
    // Paints the caption and the hooks over the kind's own drawing.
    void PaintOverlay(Extended Zoom, TCanvas& Canvas, int AParam) const;
    // Whether painting can be skipped: invisible, or with nothing (pen, hooks or caption
    // included) on the canvas.
    bool SkipPaint(Extended Zoom, const TCanvas& Canvas, int AParam) const;

private:
    int HitSideHook(const TPoint& Press) const;
};

// The six standard shapes, stored by ordinal.
enum class TShapeType : int {
    stRectangle = 0,
    stSquare = 1,
    stRoundRect = 2,
    stRoundSquare = 3,
    stEllipse = 4,
    stCircle = 5,
};

// A box drawn as one of the standard shapes. A kind outside the six draws as a rectangle and is
// kept as read, so that saving gives the record back.
class SCHEME_EXPORT TSchemeShape : public TSchemeBox {
    SCHEME_RECORD_CLASS(TSchemeShape)

public:
    TSchemeShape(int Id, const TRect& Rect, int State, TShapeType Shape);
    TSchemeShape(int Id, Extended X, Extended Y, Extended Width, Extended Height, int State,
                 TShapeType Shape);
    explicit TSchemeShape(QStringList& Strings);
    explicit TSchemeShape(const record::TRecord& Record);

    void WriteRecord(record::TRecordWriter& Writer) const override;

    TShapeType Shape() const { return FShape; }
    void SetShape(TShapeType Value);

    void Paint(Extended Zoom, TCanvas& Canvas, int AParam) override;
    QRegion GetClippingRegion(Extended Zoom, int AParam) const override;
    bool PointInside(Extended X, Extended Y, int AParam) const override;

    // Where a shape of the given kind lies in a rectangle: the rectangle itself, or the square
    // centred in it for the square kinds; Corner is the corner ellipse of the rounded kinds.
    struct TGeometry {
        int X, Y, W, H, Corner;
    };
    static TGeometry Geometry(TShapeType Shape, const TRect& R);
    TGeometry RegionGeometry(Extended Zoom, int AParam) const;

private:
    TShapeType FShape = TShapeType::stRectangle;
};

}  // namespace scheme
