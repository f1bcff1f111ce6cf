#include "scheme/model/arrow.h"

#include <array>
#include <cmath>
#include <numbers>

#include "scheme/model/record.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/region.h"

namespace scheme {

void TArrowSettings::Write(record::TRecordWriter& Writer) const {
    if (VisibleArrow) Writer.WriteInt("VisibleArrow", 1);
    if (BackArrow) Writer.WriteInt("BackArrow", 1);
    if (LengthArrow != kDefaultLength) Writer.WriteInt("LengthArrow", LengthArrow);
}

void TArrowSettings::Read(const record::TRecord& Record) {
    VisibleArrow = Record.OptFlag("VisibleArrow").value_or(false);
    BackArrow = Record.OptFlag("BackArrow").value_or(false);
    LengthArrow = Record.OptInt("LengthArrow").value_or(kDefaultLength);
}

TArrowHead TArrowSettings::Head(const TPoint& First, const TPoint& Second, const TPoint& BeforeLast,
                                const TPoint& Last, Extended Zoom) const {
    const int Length = Trunc(LengthArrow * Zoom);
    return BackArrow ? TArrowHead::Compute(Second, First, Length)
                     : TArrowHead::Compute(BeforeLast, Last, Length);
}

void TArrowHead::DrawBarbs(TCanvas& Canvas) const {
    Canvas.MoveTo(Tip.X, Tip.Y);
    Canvas.LineTo(Barb1.X, Barb1.Y);
    Canvas.MoveTo(Tip.X, Tip.Y);
    Canvas.LineTo(Barb2.X, Barb2.Y);
}

TArrowHead TArrowHead::Compute(const TPoint& Tail, const TPoint& Tip, int Length) {
    // A negative length would turn the barbs forward, past the tip and out of the region.
    Length = MaxInt(Length, 0);
    constexpr Extended kHalfOpening = std::numbers::pi_v<Extended> / 12;
    const Extended Theta =
        Tip.X == Tail.X ? std::numbers::pi_v<Extended> / 2
                        : std::atan(std::fabs(Extended(Tip.Y - Tail.Y) / Extended(Tip.X - Tail.X)));
    const int SX = Tip.X < Tail.X ? -1 : 1;
    const int SY = Tip.Y < Tail.Y ? -1 : 1;
    auto Barb = [&](Extended Angle) {
        return TPoint{Tip.X - SX * Round(Length * std::cos(Angle)),
                      Tip.Y - SY * Round(Length * std::sin(Angle))};
    };
    return TArrowHead{Tail, Tip, Barb(Theta - kHalfOpening), Barb(Theta + kHalfOpening)};
}

namespace {

QRegion Square(const TPoint& Centre, int Half) {
    return CreateRectRgn(Centre.X - Half, Centre.Y - Half, Centre.X + Half, Centre.Y + Half);
}

}  // namespace

int SegmentHalfWidth(int PenWidth, Extended Zoom) {
    // Below zoom 1 the first term can fall short of the half of the pen the canvas draws
    // (Trunc(PenWidth x Zoom) pixels, round ends included), and the end squares reach one pixel
    // less to the right and below than to the left and above; the second term covers that.
    const int Painted = Trunc(PenWidth * Zoom);
    return MaxInt(MaxInt(Trunc((Extended(PenWidth) + 1) * Zoom / 2), (Painted + 1) / 2), 1);
}

namespace {

// The band of a segment: its ends offset diagonally by W on either side.
std::array<TPoint, 4> SegmentBand(const TPoint& A, const TPoint& B, int W) {
    const int DX = A.X > B.X ? -W : W;
    const int DY = A.Y > B.Y ? -W : W;
    return {TPoint{A.X - DX, A.Y + DY}, TPoint{A.X + DX, A.Y - DY}, TPoint{B.X + DX, B.Y - DY},
            TPoint{B.X - DX, B.Y + DY}};
}

}  // namespace

QRegion SegmentRegion(const TPoint& A, const TPoint& B, int W) {
    const std::array<TPoint, 4> Band = SegmentBand(A, B, W);
    return CreatePolygonRgn(Band, TPolyFillMode::Winding) + Square(A, W) + Square(B, W);
}

TRect SegmentRegionOuterBounds(const TPoint& A, const TPoint& B, int W) {
    const std::array<TPoint, 4> Band = SegmentBand(A, B, W);
    const TRect Squares = UnionRect(RegionBounds(Square(A, W)), RegionBounds(Square(B, W)));
    return UnionRect(TPolygonRgn(Band, TPolyFillMode::Winding).OuterBounds(), Squares);
}

QRegion ArrowHeadRegion(const TArrowHead& Head, int W, int R) {
    const TPoint& T = Head.Tail;
    const TPoint& H = Head.Tip;
    const int DX = T.X > H.X ? -W : W;
    const int DY = T.Y > H.Y ? -W : W;
    const TPoint Quad[4] = {{H.X - DX, H.Y + DY},
                            {H.X + DX, H.Y - DY},
                            {Head.Barb2.X + DX, Head.Barb2.Y - DY},
                            {Head.Barb1.X - DX, Head.Barb1.Y + DY}};
    // The quadrilateral's corners are offset diagonally, which leaves less than W beside a barb
    // that runs at an angle to the diagonal: bands along the barbs cover a wide pen there.
    return CreatePolygonRgn(Quad, TPolyFillMode::Winding) + Square(Head.Barb1, R) +
           Square(Head.Barb2, R) + Square(H, R) + SegmentRegion(H, Head.Barb1, W) +
           SegmentRegion(H, Head.Barb2, W);
}

}  // namespace scheme
