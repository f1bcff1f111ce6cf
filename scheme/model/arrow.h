#pragma once

#include <QRegion>
#include <QStringList>

#include "scheme/platform/export.h"
#include "scheme/platform/types.h"

namespace scheme {

class TCanvas;
struct TArrowHead;
namespace record {
class TRecord;
class TRecordWriter;
}  // namespace record

// The arrow settings that lines and polylines share, with their record keys.
struct SCHEME_EXPORT TArrowSettings {
    static constexpr int kDefaultLength = 20;

    int LengthArrow = kDefaultLength;  // barb length in world units
    bool VisibleArrow = false;
    bool BackArrow = false;  // the head sits at the first point instead of the last

    // Appends the keys that differ from the defaults.
    void Write(record::TRecordWriter& Writer) const;
    // Reads the keys of a trimmed record; missing keys give the defaults.
    void Read(const record::TRecord& Record);

    // The head on a chain of device points whose first segment runs First-Second and whose last
    // runs BeforeLast-Last: at Last, or at First with BackArrow, LengthArrow x Zoom long.
    TArrowHead Head(const TPoint& First, const TPoint& Second, const TPoint& BeforeLast,
                    const TPoint& Last, Extended Zoom) const;
    // How far the head can reach from the points, in world units.
    Extended Reach() const { return VisibleArrow ? MaxInt(LengthArrow, 0) : 0; }
};

// An open arrow head in device pixels: the segment from Tail to Tip and two barbs that point
// back from the tip at 15 degrees to it.
struct SCHEME_EXPORT TArrowHead {
    TPoint Tail, Tip, Barb1, Barb2;
    friend bool operator==(const TArrowHead&, const TArrowHead&) = default;

    // Barbs of Length pixels; 0 or less puts both on the tip. Coinciding points give barbs
    // that point straight up.
    static TArrowHead Compute(const TPoint& Tail, const TPoint& Tip, int Length);
    // Draws both barbs from the tip with the canvas's pen.
    void DrawBarbs(TCanvas& Canvas) const;
};

// The half-width of the band a pen of PenWidth world units is measured with: at least 1.
SCHEME_EXPORT int SegmentHalfWidth(int PenWidth, Extended Zoom);
// The band of half-width W along the segment A-B (its ends offset diagonally), with squares of
// half-size W around both ends.
SCHEME_EXPORT QRegion SegmentRegion(const TPoint& A, const TPoint& B, int W);
// A rectangle that surely holds SegmentRegion(A, B, W), found without building it.
SCHEME_EXPORT TRect SegmentRegionOuterBounds(const TPoint& A, const TPoint& B, int W);
// The quadrilateral over the head of half-width W from the tip to the barbs, bands of half-width
// W along both barbs, and squares of half-size R around both barb ends and the tip.
SCHEME_EXPORT QRegion ArrowHeadRegion(const TArrowHead& Head, int W, int R);

}  // namespace scheme
