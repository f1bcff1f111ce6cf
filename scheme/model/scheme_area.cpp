#include "scheme/model/scheme_area.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scheme {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The nearest double at or below V, and at or above it: the box must never shrink.
double Below(Extended V) {
    const double D = static_cast<double>(V);
    return static_cast<Extended>(D) > V ? std::nextafter(D, -kInf) : D;
}

double Above(Extended V) {
    const double D = static_cast<double>(V);
    return static_cast<Extended>(D) < V ? std::nextafter(D, kInf) : D;
}

}  // namespace

TSchemeArea TSchemeArea::World(Extended Left, Extended Top, Extended Right, Extended Bottom,
                               int Margin) {
    TSchemeArea A;
    A.Left = Below(Left);
    A.Top = Below(Top);
    A.Right = Above(Right);
    A.Bottom = Above(Bottom);
    A.Margin = std::clamp(Margin, 0, kPixelLimit);
    return A;
}

TSchemeArea TSchemeArea::United(const TSchemeArea& Other) const {
    if (Other.IsEmpty()) return *this;
    if (IsEmpty()) return Other;
    TSchemeArea A;
    A.Left = std::min(Left, Other.Left);
    A.Top = std::min(Top, Other.Top);
    A.Right = std::max(Right, Other.Right);
    A.Bottom = std::max(Bottom, Other.Bottom);
    A.Margin = std::max(Margin, Other.Margin);
    return A;
}

TRect TSchemeArea::AtZoom(Extended Zoom) const {
    if (IsEmpty()) return TRect{};
    // Trunc saturates at the pixel limit, so that the margins below cannot overflow.
    const int X1 = Trunc(Left * Zoom), X2 = Trunc(Right * Zoom);
    const int Y1 = Trunc(Top * Zoom), Y2 = Trunc(Bottom * Zoom);
    return TRect{std::min(X1, X2) - Margin, std::min(Y1, Y2) - Margin,
                 std::max(X1, X2) + Margin + 1, std::max(Y1, Y2) + Margin + 1};
}

}  // namespace scheme
