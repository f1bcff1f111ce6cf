#pragma once

#include "scheme/model/arrow.h"
#include "scheme/model/scheme_polygon.h"

namespace scheme {

// An open chain of 2 to kMaxPoints vertices, drawn as connected segments (neither closed nor
// filled) with the pen in the colour of the brush, with an optional open arrow head at the last
// vertex or, reversed, at vertex 0. Every vertex is a hook (detail code = its index, -1 the
// body). Vertices are inserted on a segment or beyond the last vertex and deleted down to two;
// the active hook is clamped to the vertices instead of wrapping. The area, and so the hit
// area, follows the segments, never what they enclose.
//
// A polyline starts with FullRepaintIfMoved False: while dragged, an editing view paints it
// directly, and a vertex drag invalidates only the boxes of the segments at that vertex.
class SCHEME_EXPORT TSchemePolyline : public TSchemePolygon {
    SCHEME_RECORD_CLASS(TSchemePolyline)

public:
    // Deletion stops at this many vertices.
    static constexpr int kMinVertices = 2;

    // As the polygon's constructors, with a solid brush, the given pen width and no arrow.
    TSchemePolyline(int Id, std::span<const TPoint> Points, int PenWidth, int State,
                    const QString& Text, const TPoint& TextPoint);
    TSchemePolyline(int Id, std::span<const TPoint> Points, int Count, int PenWidth, int State,
                    const QString& Text, const TPoint& TextPoint);
    TSchemePolyline(int Id, const TPoint* Buffer, int Count, int PenWidth, int State,
                    const QString& Text, int TextPointIndex);
    TSchemePolyline(int Id, std::span<const TPointExt> Points, int PenWidth, int State,
                    const QString& Text, const TPointExt& TextPoint);
    TSchemePolyline(int Id, std::span<const TPointExt> Points, int Count, int PenWidth, int State,
                    const QString& Text, const TPointExt& TextPoint);
    // Reads the polygon's record, then the arrow keys.
    explicit TSchemePolyline(QStringList& Strings);
    explicit TSchemePolyline(const record::TRecord& Record);

    void WriteRecord(record::TRecordWriter& Writer) const override;

    bool VisibleArrow() const { return FArrow.VisibleArrow; }
    void SetVisibleArrow(bool Value);
    bool BackArrow() const { return FArrow.BackArrow; }
    void SetBackArrow(bool Value);
    int LengthArrow() const { return FArrow.LengthArrow; }
    void SetLengthArrow(int Value);

    // Clamps Index to the vertices: nothing wraps around.
    void SetResizedPoint(int Index) override;

    using TSchemePolygon::AddPoint;
    // Inserts vertex Index + 1: the middle of the segment from vertex Index to the next, or,
    // after the last vertex, the last segment extended by half its length. Refused at
    // kMaxPoints vertices, for an Index that is not a vertex, and with fewer than two vertices.
    void AddPoint(int Index) override;
    // Removes vertex Index; refused when only kMinVertices are left or Index is not a vertex.
    void DeletePoint(int Index) override;

    // The arrow head on the last segment, or on the first with BackArrow.
    TArrowHead GetArrowPoints(Extended Zoom, int AParam) const;
    // The area the arrow head covers; none with fewer than two vertices.
    QRegion GetClippingRegionForArrow(Extended Zoom, int AParam) const;

    // The base's pen and brush, with the pen in the brush colour.
    void SetCanvasProperties(TCanvas& Canvas, Extended Zoom) const override;
    void Paint(Extended Zoom, TCanvas& Canvas, int AParam) override;
    // A band along every segment with squares at its ends, the arrow head, hooks and caption;
    // no region with fewer than two vertices.
    QRegion GetClippingRegion(Extended Zoom, int AParam) const override;
    TRect GetClippingRegionBounds(Extended Zoom, int AParam) const override;
    // A polyline's region is not its polygon's: the point is looked up in the region itself.
    bool PointInside(Extended X, Extended Y, int AParam) const override {
        return TSchemeObject::PointInside(X, Y, AParam);
    }
    TSchemeArea GetArea() const override;
    TRect GetBoundsRect(Extended Zoom, int AParam) const override;
    // Drags and answers the area to repaint, taken before the change: for a vertex, the boxes
    // of the segments that meet there (and the arrow head when the vertex carries it); for the
    // body, the whole region. The new area is not subtracted.
    QRegion ChangePositionDetailAndGetDiffRgn(Extended X, Extended Y, int Detail, Extended Zoom,
                                              int AParam) override;

private:
    void InitPolyline(int PenWidth);
    // Whether dragging vertex Detail moves the arrow head.
    bool CarriesArrow(int Detail) const;

    TArrowSettings FArrow;
};

}  // namespace scheme
