#pragma once

#include <QPoint>
#include <QRect>
#include <algorithm>
#include <climits>
#include <cmath>

#include "scheme/platform/export.h"

namespace scheme {

// World coordinates use the 80-bit extended precision of the original geometry.
using Extended = long double;

// Pixel coordinates saturate at this magnitude, so that no conversion from world units can
// overflow an int and no pixel arithmetic (widths, inflation, origins) can overflow later.
inline constexpr int kPixelLimit = 1 << 29;

// A device point.
struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// A device rectangle with GDI meaning: Right and Bottom are exclusive, so the rectangle covers
// columns Left .. Right-1 and rows Top .. Bottom-1.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    // Both saturate at the int range, like every helper below that grows or moves rectangles.
    int Width() const { return Saturated(static_cast<long long>(Right) - Left); }
    int Height() const { return Saturated(static_cast<long long>(Bottom) - Top); }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;

private:
    static int Saturated(long long Value) {
        return static_cast<int>(std::clamp<long long>(Value, INT_MIN, INT_MAX));
    }
};

// A point in world units.
struct TPointExt {
    Extended X = 0;
    Extended Y = 0;
    friend bool operator==(const TPointExt&, const TPointExt&) = default;
};

inline TPoint Point(int X, int Y) {
    return TPoint{X, Y};
}
inline TRect Rect(int Left, int Top, int Right, int Bottom) {
    return TRect{Left, Top, Right, Bottom};
}

SCHEME_EXPORT TPointExt PointExt(Extended X, Extended Y);
SCHEME_EXPORT TPointExt Point2PointExt(const TPoint& P);
// Each coordinate rounded to the nearest integer, an exact half to the even neighbour.
SCHEME_EXPORT TPoint PointExt2Point(const TPointExt& P);

// Truncation toward zero and rounding to nearest (halves to even), both saturating at
// ±kPixelLimit; a NaN gives 0.
// Both are inline, and convert through double rather than with an x87 truncation, whose
// control-word switches cost more than the rest: painting and hit tests convert several
// coordinates per object. The double's own rounding is undone, so the answers are exact.
inline int Trunc(Extended Value) {
    if (Value >= -kPixelLimit && Value <= kPixelLimit) {
        int T = static_cast<int>(static_cast<double>(Value));
        if (Value >= 0 ? Extended(T) > Value : Extended(T) < Value) T += Value >= 0 ? -1 : 1;
        return T;
    }
    return Value > 0 ? kPixelLimit : Value < 0 ? -kPixelLimit : 0;
}
inline int Round(Extended Value) {
    // rint rounds in the current mode, which is round-to-nearest-even; its whole result is
    // exact in a double.
    if (Value >= -kPixelLimit && Value <= kPixelLimit)
        return static_cast<int>(static_cast<double>(std::rint(Value)));
    return Value > 0 ? kPixelLimit : Value < 0 ? -kPixelLimit : 0;
}

SCHEME_EXPORT int MinInt(int A, int B);
SCHEME_EXPORT int MaxInt(int A, int B);

// Growing and moving saturate each edge at the int range instead of overflowing.
SCHEME_EXPORT void InflateRect(TRect& R, int DX, int DY);
SCHEME_EXPORT void OffsetRect(TRect& R, int DX, int DY);
// Left and top edges inside, right and bottom edges outside.
SCHEME_EXPORT bool PtInRect(const TRect& R, const TPoint& P);
// The common part of two rectangles; an empty rectangle when they do not meet.
SCHEME_EXPORT TRect IntersectRect(const TRect& A, const TRect& B);
// The smallest rectangle holding both; an empty rectangle adds nothing.
SCHEME_EXPORT TRect UnionRect(const TRect& A, const TRect& B);

// Conversions at the Qt boundary. QRect's right() and bottom() are inclusive. At the ends of
// the int range, where the other convention cannot be expressed, a rectangle whose right or
// bottom edge is INT_MIN gives an empty QRect, and a QRect ending at INT_MAX loses that column
// or row.
SCHEME_EXPORT QRect ToQRect(const TRect& R);
SCHEME_EXPORT TRect FromQRect(const QRect& R);
inline QPoint ToQPoint(const TPoint& P) {
    return QPoint(P.X, P.Y);
}

}  // namespace scheme
