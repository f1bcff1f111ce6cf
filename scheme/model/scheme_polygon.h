#pragma once

#include <span>

#include "scheme/model/scheme_object.h"

namespace scheme {

// A closed, filled polygon: up to kMaxPoints vertices in world units, drawn in order as one
// outline that closes from the last vertex back to vertex 0, outlined with the pen and filled
// with the brush. Every vertex is a hook (detail code = its index, -1 the body), so single
// vertices can be dragged; vertices can be inserted on an edge or at a position and deleted
// down to three.
//
// Vertex operations check their arguments before anything is hidden or changed and raise
// ESchemeErrorException "Can't add point!" / "Can't delete point!" when refused.
class SCHEME_EXPORT TSchemePolygon : public TSchemeObject {
    SCHEME_RECORD_CLASS(TSchemePolygon)

public:
    // The vertex store's capacity: Count never exceeds it.
    static constexpr int kMaxPoints = 100;
    // Deletion stops at this many vertices.
    static constexpr int kMinPoints = 3;

    // Constructors take at most kMaxPoints vertices. Those with an explicit Count take at most
    // Count of them and never more than the array holds; a negative Count is refused.
    TSchemePolygon(int Id, std::span<const TPoint> Points, int State, TBrushStyle BrushStyle,
                   const QString& Text, const TPoint& TextPoint);
    TSchemePolygon(int Id, std::span<const TPoint> Points, int Count, int State,
                   TBrushStyle BrushStyle, const QString& Text, const TPoint& TextPoint);
    // Count consecutive points read from Buffer; the caption sits on vertex TextPointIndex,
    // or on vertex 0 when that is not a vertex. A null Buffer is refused unless Count is 0.
    TSchemePolygon(int Id, const TPoint* Buffer, int Count, int State, TBrushStyle BrushStyle,
                   const QString& Text, int TextPointIndex);
    TSchemePolygon(int Id, std::span<const TPointExt> Points, int State, TBrushStyle BrushStyle,
                   const QString& Text, const TPointExt& TextPoint);
    TSchemePolygon(int Id, std::span<const TPointExt> Points, int Count, int State,
                   TBrushStyle BrushStyle, const QString& Text, const TPointExt& TextPoint);
    // Reads the base record; a Count above kMaxPoints is refused before any vertex is read.
    explicit TSchemePolygon(QStringList& Strings);
    explicit TSchemePolygon(const record::TRecord& Record);

    // Removes vertex Index; refused when only kMinPoints are left or Index is not a vertex.
    // The active hook stays on a vertex.
    virtual void DeletePoint(int Index);
    // Inserts the middle of the edge from vertex Index to the next one (the last vertex's edge
    // closes to vertex 0) as vertex Index + 1. Refused at kMaxPoints vertices, for an Index that
    // is not a vertex, and when there is no edge (fewer than two vertices).
    virtual void AddPoint(int Index);
    virtual void AddPoint(const TPoint& P);
    virtual void AddPoint(const TPoint& P, int Index);
    // Appends P.
    virtual void AddPointExt(const TPointExt& P);
    // Inserts P as vertex Index (0 .. Count; Count appends). Refused at kMaxPoints vertices and
    // for an Index outside 0 .. Count.
    virtual void AddPointExt(const TPointExt& P, int Index);
    // Deletes the active vertex; the one before it (wrapping to the last) becomes active.
    void DeleteResizedPoint();
    // Inserts a vertex after the active one, on its edge, and makes it active.
    void AddResizedPoint();

    void Paint(Extended Zoom, TCanvas& Canvas, int AParam) override;
    // The polygon widened by 2 pixels in every direction, whatever the zoom, with the hooks and
    // the caption; no region with fewer than three vertices.
    QRegion GetClippingRegion(Extended Zoom, int AParam) const override;
    bool PointInside(Extended X, Extended Y, int AParam) const override;
    TSchemeArea GetArea() const override;
    TRect GetBoundsRect(Extended Zoom, int AParam) const override;
    // -1 translates the polygon so that vertex 0 lands on (X, Y); a vertex index moves that
    // vertex there; anything else changes nothing.
    void ChangePositionDetail(Extended X, Extended Y, int Detail, int AParam) override;
    // Drags and answers everything the polygon covered before: its bounding box, its own
    // region, hooks and caption. The caller invalidates it and paints the polygon anew.
    QRegion ChangePositionDetailAndGetDiffRgn(Extended X, Extended Y, int Detail, Extended Zoom,
                                              int AParam) override;

protected:
    // Reads the base record for a derived kind; an oversized Count is reported under KindName,
    // the class the record was meant for.
    TSchemePolygon(const record::TRecord& Record, const QString& KindName);
    // The device points of the vertices at Zoom, in a buffer sized for the capacity.
    struct TDevicePoints {
        TPoint Points[kMaxPoints];
        int Count = 0;
        std::span<const TPoint> Span() const {
            return std::span<const TPoint>(Points, static_cast<size_t>(Count));
        }
    };
    TDevicePoints DevicePoints(Extended Zoom) const;

private:
    void TakePoints(std::span<const TPoint> Points);
    void TakePoints(std::span<const TPointExt> Points);
    void SetCaption(TBrushStyle BrushStyle, const QString& Text, const TPointExt& TextPoint);
};

}  // namespace scheme
