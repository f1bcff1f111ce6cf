// Temporary minimal regions; replaced by the full implementation.
#include "scheme/platform/region.h"

#include <QPolygon>

namespace scheme {
QRegion CreateRectRgn(int L, int T, int R, int B) {
    return (R <= L || B <= T) ? QRegion() : QRegion(ToQRect(TRect{L, T, R, B}));
}
QRegion CreateRectRgnIndirect(const TRect& R) {
    return CreateRectRgn(R.Left, R.Top, R.Right, R.Bottom);
}
QRegion CreateEllipticRgn(int L, int T, int R, int B) {
    return (R <= L || B <= T) ? QRegion() : QRegion(ToQRect(TRect{L, T, R, B}), QRegion::Ellipse);
}
QRegion CreateEllipticRgnIndirect(const TRect& R) {
    return CreateEllipticRgn(R.Left, R.Top, R.Right, R.Bottom);
}
QRegion CreateRoundRectRgn(int L, int T, int R, int B, int, int) {
    return CreateRectRgn(L, T, R, B);
}
QRegion CreatePolygonRgn(std::span<const TPoint> Points, TPolyFillMode Mode) {
    if (Points.size() < 3) return QRegion();
    QPolygon P;
    for (const TPoint& Q : Points) P << ToQPoint(Q);
    return QRegion(P, Mode == TPolyFillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
}
bool PtInRegion(const QRegion& R, int X, int Y) {
    return R.contains(QPoint(X, Y));
}
QRegion OffsetRgn(const QRegion& R, int DX, int DY) {
    return R.translated(DX, DY);
}
TRect RegionBounds(const QRegion& R) {
    return R.isEmpty() ? TRect{} : FromQRect(R.boundingRect());
}
}  // namespace scheme
