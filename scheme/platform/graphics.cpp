#include "scheme/platform/graphics.h"

#include <algorithm>
#include <cmath>

#include "scheme/platform/exceptions.h"

namespace scheme {

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor Value) {
    if (Value == FData.Color) return;
    Changing();
    FData.Color = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (Value == FData.Style) return;
    Changing();
    FData.Style = Value;
    Changed();
}

int TPen::CheckedWidth(int Value) {
    if (Value > kMaxWidth)
        RaiseError(
            QStringLiteral("TPen : Width %1 is too large (at most %2)").arg(Value).arg(kMaxWidth));
    return std::max(Value, 0);
}

void TPen::SetWidth(int Value) {
    Value = CheckedWidth(Value);
    if (Value == FData.Width) return;
    Changing();
    FData.Width = Value;
    Changed();
}

void TPen::Assign(const TPenData& Source) {
    Changing();
    FData = Source;
    Changed();
}

void TBrush::SetColor(TColor Value) {
    if (Value == FData.Color) return;
    Changing();
    FData.Color = Value;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == FData.Style) return;
    Changing();
    FData.Style = Value;
    Changed();
}

void TBrush::Assign(const TBrushData& Source) {
    Changing();
    FData = Source;
    Changed();
}

void TFont::SetName(const QString& Value) {
    if (Value == FName) return;
    Changing();
    FName = Value;
    Changed();
}

void TFont::SetSize(int Value) {
    if (Value == FSize) return;
    Changing();
    FSize = Value;
    Changed();
}

void TFont::SetColor(TColor Value) {
    if (Value == FColor) return;
    Changing();
    FColor = Value;
    Changed();
}

void TFont::SetStyle(TFontStyles Value) {
    if (Value == FStyle) return;
    Changing();
    FStyle = Value;
    Changed();
}

void TFont::Assign(const TFont& Source) {
    Changing();
    FName = Source.FName;
    FSize = Source.FSize;
    FColor = Source.FColor;
    FStyle = Source.FStyle;
    Changed();
}

int TFont::PixelHeight() const {
    if (FSize < 0) return -static_cast<long long>(FSize) > 100000 ? 100000 : -FSize;
    const long long Pixels = std::llround(static_cast<double>(FSize) * PixelsPerInch / 72.0);
    return static_cast<int>(std::clamp<long long>(Pixels, 1, 100000));
}

QFont TFont::ToQFont() const {
    QFont Font(FName);
    Font.setPixelSize(std::max(1, PixelHeight()));
    Font.setBold((FStyle & fsBold) != 0);
    Font.setItalic((FStyle & fsItalic) != 0);
    Font.setUnderline((FStyle & fsUnderline) != 0);
    Font.setStrikeOut((FStyle & fsStrikeOut) != 0);
    // Painting is never antialiased, text included.
    Font.setStyleStrategy(QFont::NoAntialias);
    return Font;
}

Qt::PenStyle ToQtPenStyle(TPenStyle Style) {
    switch (Style) {
        case TPenStyle::psDash:
            return Qt::DashLine;
        case TPenStyle::psDot:
            return Qt::DotLine;
        case TPenStyle::psDashDot:
            return Qt::DashDotLine;
        case TPenStyle::psDashDotDot:
            return Qt::DashDotDotLine;
        case TPenStyle::psClear:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle Style) {
    switch (Style) {
        case TBrushStyle::bsClear:
            return Qt::NoBrush;
        case TBrushStyle::bsHorizontal:
            return Qt::HorPattern;
        case TBrushStyle::bsVertical:
            return Qt::VerPattern;
        case TBrushStyle::bsFDiagonal:
            return Qt::FDiagPattern;
        case TBrushStyle::bsBDiagonal:
            return Qt::BDiagPattern;
        case TBrushStyle::bsCross:
            return Qt::CrossPattern;
        case TBrushStyle::bsDiagCross:
            return Qt::DiagCrossPattern;
        default:
            return Qt::SolidPattern;
    }
}

}  // namespace scheme
