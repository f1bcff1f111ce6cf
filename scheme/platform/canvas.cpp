// Temporary minimal canvas; replaced by the full implementation.
#include "scheme/platform/canvas.h"

#include <QPainter>

namespace scheme {
TCanvas::TCanvas(QPainter* Painter) : FPainter(Painter) {}
TCanvas::TCanvas(QPaintDevice* Device)
    : FOwnPainter(std::make_unique<QPainter>(Device)), FPainter(FOwnPainter.get()) {}
TCanvas::~TCanvas() = default;
void TCanvas::SetWindowOrg(const TPoint& O) {
    FWindowOrg = O;
}
void TCanvas::SetClipRect(const TRect& R) {
    FClipRect = R;
}
void TCanvas::ClearClipRect() {
    FClipRect.reset();
}
TRect TCanvas::ClipRect() const {
    const QRect D = FPainter->viewport();
    TRect R{FWindowOrg.X, FWindowOrg.Y, FWindowOrg.X + D.width(), FWindowOrg.Y + D.height()};
    return FClipRect ? IntersectRect(R, *FClipRect) : R;
}
bool TCanvas::RectVisible(const TRect& R) const {
    return !IntersectRect(R, ClipRect()).IsEmpty();
}
void TCanvas::ApplyPen(int) {
    FPainter->setPen(QPen(ColorToQColor(FPen.Color()), FPen.Width(), ToQtPenStyle(FPen.Style())));
}
void TCanvas::ApplyBrush() {
    FPainter->setBrush(QBrush(ColorToQColor(FBrush.Color()), ToQtBrushStyle(FBrush.Style())));
}
bool TCanvas::PenVisible() const {
    return FPen.Style() != TPenStyle::psClear;
}
void TCanvas::Rectangle(int L, int T, int R, int B) {
    ApplyPen();
    ApplyBrush();
    FPainter->drawRect(QRect(L - FWindowOrg.X, T - FWindowOrg.Y, R - L - 1, B - T - 1));
}
void TCanvas::RoundRect(int L, int T, int R, int B, int W, int H) {
    ApplyPen();
    ApplyBrush();
    FPainter->drawRoundedRect(QRect(L - FWindowOrg.X, T - FWindowOrg.Y, R - L - 1, B - T - 1),
                              W / 2.0, H / 2.0);
}
void TCanvas::Ellipse(int L, int T, int R, int B) {
    ApplyPen();
    ApplyBrush();
    FPainter->drawEllipse(QRect(L - FWindowOrg.X, T - FWindowOrg.Y, R - L - 1, B - T - 1));
}
void TCanvas::Polygon(std::span<const TPoint>) {}
void TCanvas::Polyline(std::span<const TPoint>) {}
void TCanvas::MoveTo(int X, int Y) {
    FPenPos = {X, Y};
}
void TCanvas::LineTo(int X, int Y) {
    FPenPos = {X, Y};
}
void TCanvas::FillRect(const TRect&) {}
void TCanvas::InvertRect(const TRect&) {}
void TCanvas::TextOut(int X, int Y, const QString& Text) {
    FPainter->setFont(FFont.ToQFont());
    FPainter->setPen(ColorToQColor(FFont.Color()));
    FPainter->drawText(
        QPoint(X - FWindowOrg.X, Y - FWindowOrg.Y + FPainter->fontMetrics().ascent()), Text);
}
int TCanvas::TextWidth(const QString& Text) const {
    return QFontMetrics(FFont.ToQFont()).horizontalAdvance(Text);
}
int TCanvas::TextHeight(const QString&) const {
    return QFontMetrics(FFont.ToQFont()).height();
}
}  // namespace scheme
