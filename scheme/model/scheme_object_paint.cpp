// How an object prepares the canvas and paints and measures its caption.
#include <QRegularExpression>

#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/region.h"
#include "scheme/platform/screen.h"

namespace scheme {

namespace {

// Captions break lines at CR, LF and CR LF alike.
QStringList CaptionLines(const QString& Text) {
    static const QRegularExpression kBreak(QStringLiteral("\r\n|\r|\n"));
    return Text.split(kBreak);
}

bool SelectionShown(const TSchemeObject& Obj) {
    return Obj.Layer() && Obj.Layer()->SelectionPhase() && Obj.Selected();
}

bool CaptionShown(const TSchemeObject& Obj, Extended Zoom) {
    return Obj.Layer() && !Obj.Text().isEmpty() && Zoom >= Obj.Layer()->MinZoomForText();
}

}  // namespace

void TSchemeObject::SetCanvasProperties(TCanvas& Canvas, Extended Zoom) const {
    const bool UseSelected = SelectionShown(*this);
    const bool UseStateColor = FStateColorSupport && FLayer;
    const TPen& Pen = (UseSelected && !UseStateColor) ? FSelectedPen : FPen;
    Canvas.Brush().Assign((UseSelected && !UseStateColor) ? FSelectedBrush : FBrush);
    Canvas.Pen().Assign(Pen);
    Canvas.Pen().SetWidth(Trunc(Pen.Width() * Zoom));
    if (UseStateColor) {
        Canvas.Brush().SetColor(UseSelected ? FLayer->SelectedColor()
                                            : FLayer->StateColorShown(*this));
        Canvas.Pen().SetColor(clBlack);
    }
}

void TSchemeObject::PaintText(Extended Zoom, TCanvas& Canvas, int /*AParam*/) const {
    if (!CaptionShown(*this, Zoom)) return;
    TFont& Font = Canvas.Font();
    const int OldSize = Font.Size();
    const TColor OldColor = Font.Color();
    const TBkMode OldMode = Canvas.BkMode();
    if (FLayer->EnabledZoomForText() && Zoom > 2) Font.SetSize(Trunc(OldSize * Zoom));
    if (SelectionShown(*this)) Font.SetColor(clWhite);
    Canvas.SetBkMode(TBkMode::Transparent);
    const int X = Trunc(FTextPoint.X * Zoom);
    int Y = Trunc(FTextPoint.Y * Zoom);
    for (const QString& Line : CaptionLines(FText)) {
        Canvas.TextOut(X, Y, Line);
        Y += Canvas.TextHeight(QStringLiteral("Wg"));
    }
    Canvas.SetBkMode(OldMode);
    Font.SetColor(OldColor);
    Font.SetSize(OldSize);
}

const QRect& TSchemeObject::CaptionExtent() const {
    static const QRect kNothing;
    if (FText.isEmpty()) return kNothing;
    TRareParts& R = Rare();
    if (R.MeasuredText.isNull() || R.MeasuredText != FText) {
        R.MeasuredExtent = MeasureScreenText(FText);
        R.MeasuredText = FText;
    }
    return R.MeasuredExtent;
}

std::optional<TRect> TSchemeObject::TextClipRect(Extended Zoom) const {
    if (!CaptionShown(*this, Zoom)) return std::nullopt;
    const QRect& M = CaptionExtent();
    const Extended L = M.left(), T = M.top(), R = M.right() + 1, B = M.bottom() + 1;
    return TRect{Trunc((FTextPoint.X + L) * Zoom), Trunc((FTextPoint.Y + T) * Zoom),
                 Trunc((FTextPoint.X + R) * Zoom), Trunc((FTextPoint.Y + B) * Zoom)};
}

QRegion TSchemeObject::GetTextClippingRegion(Extended Zoom, int /*AParam*/) const {
    const std::optional<TRect> R = TextClipRect(Zoom);
    return R ? CreateRectRgnIndirect(*R) : QRegion();
}

}  // namespace scheme
