#include "scheme/platform/types.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "scheme/platform/object.h"

namespace scheme {

TObject::~TObject() = default;

namespace {

// A + B, saturated at the int range.
int AddSaturated(int A, long long B) {
    return static_cast<int>(std::clamp<long long>(A + B, INT_MIN, INT_MAX));
}

}  // namespace

TPointExt PointExt(Extended X, Extended Y) {
    return TPointExt{X, Y};
}

TPointExt Point2PointExt(const TPoint& P) {
    return TPointExt{Extended(P.X), Extended(P.Y)};
}

TPoint PointExt2Point(const TPointExt& P) {
    return TPoint{Round(P.X), Round(P.Y)};
}

int MinInt(int A, int B) {
    return A < B ? A : B;
}
int MaxInt(int A, int B) {
    return A > B ? A : B;
}

void InflateRect(TRect& R, int DX, int DY) {
    R.Left = AddSaturated(R.Left, -static_cast<long long>(DX));
    R.Top = AddSaturated(R.Top, -static_cast<long long>(DY));
    R.Right = AddSaturated(R.Right, DX);
    R.Bottom = AddSaturated(R.Bottom, DY);
}

void OffsetRect(TRect& R, int DX, int DY) {
    R.Left = AddSaturated(R.Left, DX);
    R.Right = AddSaturated(R.Right, DX);
    R.Top = AddSaturated(R.Top, DY);
    R.Bottom = AddSaturated(R.Bottom, DY);
}

bool PtInRect(const TRect& R, const TPoint& P) {
    return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

TRect IntersectRect(const TRect& A, const TRect& B) {
    TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
            std::min(A.Bottom, B.Bottom)};
    return R.IsEmpty() ? TRect{} : R;
}

TRect UnionRect(const TRect& A, const TRect& B) {
    if (A.IsEmpty()) return B.IsEmpty() ? TRect{} : B;
    if (B.IsEmpty()) return A;
    return TRect{std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
                 std::max(A.Bottom, B.Bottom)};
}

QRect ToQRect(const TRect& R) {
    // An edge at INT_MIN makes the rectangle empty, and its last column or row is out of range.
    if (R.Right == INT_MIN || R.Bottom == INT_MIN) return QRect();
    return QRect(QPoint(R.Left, R.Top), QPoint(R.Right - 1, R.Bottom - 1));
}

TRect FromQRect(const QRect& R) {
    return TRect{R.left(), R.top(), AddSaturated(R.right(), 1), AddSaturated(R.bottom(), 1)};
}

}  // namespace scheme
