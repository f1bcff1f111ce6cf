// The view's settings as Qt properties: what forms store and Designer edits.
#include "scheme/platform/error_handler.h"
#include "scheme/view/scheme_visual.h"

namespace scheme {

QString TSchemeVisual::ColorText() const {
    return ColorToString(FColor);
}

void TSchemeVisual::WriteColor(const QString& AValue) {
    RunGuarded([&] { SetColor(StringToColor(AValue)); });
}

void TSchemeVisual::WriteZoom(double AValue) {
    RunGuarded([&] { SetZoom(AValue); });
}

void TSchemeVisual::WriteWheelZoomFactor(double AValue) {
    RunGuarded([&] { SetWheelZoomFactor(AValue); });
}

QString TSchemeVisual::GridPenColorText() const {
    return ColorToString(FGridPen.Color());
}

void TSchemeVisual::WriteGridPenColor(const QString& AValue) {
    RunGuarded([&] { FGridPen.SetColor(StringToColor(AValue)); });
}

void TSchemeVisual::ResetGridPenColor() {
    FGridPen.SetColor(TPen().Color());
}

TPenStyle TSchemeVisual::GridPenStyle() const {
    return FGridPen.Style();
}

void TSchemeVisual::SetGridPenStyle(TPenStyle AValue) {
    FGridPen.SetStyle(AValue);
}

void TSchemeVisual::ResetGridPenStyle() {
    FGridPen.SetStyle(TPen().Style());
}

QString TSchemeVisual::HintColorText() const {
    return ColorToString(FHintColor);
}

void TSchemeVisual::WriteHintColor(const QString& AValue) {
    RunGuarded([&] { SetHintColor(StringToColor(AValue)); });
}

}  // namespace scheme
