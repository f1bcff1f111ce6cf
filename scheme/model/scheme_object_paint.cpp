// How an object prepares the canvas and paints and measures its caption.
#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QRegularExpression>
#include <utility>

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

// What MeasureScreenText answers, remembered by text for the application font and the screen
// width it was measured with: documents repeat their captions, and measuring a word-wrapped
// text is the costliest step of placing an object. The cache keeps two generations, so that it
// stays bounded and the captions in use stay in it.
QRect MeasuredCaption(const QString& Text) {
    constexpr qsizetype kGeneration = 4096;
    struct TCache {
        QFont Font;
        int ScreenWidth = -1;
        QHash<QString, QRect> Current, Previous;
    };
    static TCache Cache;
    const QFont Font = QGuiApplication::font();
    const int ScreenWidth = ScreenSize().width();
    if (ScreenWidth != Cache.ScreenWidth || !(Font == Cache.Font)) {
        Cache.Current.clear();
        Cache.Previous.clear();
        Cache.Font = Font;
        Cache.ScreenWidth = ScreenWidth;
    }
    if (auto It = Cache.Current.constFind(Text); It != Cache.Current.cend()) return *It;
    QRect Extent;
    if (auto It = Cache.Previous.constFind(Text); It != Cache.Previous.cend())
        Extent = *It;
    else
        Extent = MeasureScreenText(Text);
    if (Cache.Current.size() >= kGeneration) Cache.Previous = std::exchange(Cache.Current, {});
    Cache.Current.insert(Text, Extent);
    return Extent;
}

}  // namespace

void TSchemeObject::SetCanvasProperties(TCanvas& Canvas, Extended Zoom) const {
    const bool UseSelected = SelectionShown(*this);
    const bool UseStateColor = FStateColorSupport && FLayer;
    const TPenData& Pen = (UseSelected && !UseStateColor) ? SelectedPenData() : PenData();
    Canvas.Brush().Assign((UseSelected && !UseStateColor) ? SelectedBrushData() : BrushData());
    Canvas.Pen().Assign(Pen);
    Canvas.Pen().SetWidth(Trunc(Pen.Width * Zoom));
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
    const TPointExt Anchor = FPoints.Anchor();
    const int X = Trunc(Anchor.X * Zoom);
    int Y = Trunc(Anchor.Y * Zoom);
    for (const QString& Line : CaptionLines(Text())) {
        Canvas.TextOut(X, Y, Line);
        Y += Canvas.TextHeight(QStringLiteral("Wg"));
    }
    Canvas.SetBkMode(OldMode);
    Font.SetColor(OldColor);
    Font.SetSize(OldSize);
}

QRect TSchemeObject::CaptionExtent() const {
    if (Text().isEmpty()) return QRect();
    if (!FCaption->Measured) {
        FCaption->Extent = MeasuredCaption(FCaption->Text);
        FCaption->Measured = true;
    }
    return FCaption->Extent;
}

std::optional<TRect> TSchemeObject::TextClipRect(Extended Zoom) const {
    if (!CaptionShown(*this, Zoom)) return std::nullopt;
    const QRect M = CaptionExtent();
    const Extended L = M.left(), T = M.top(), R = M.right() + 1, B = M.bottom() + 1;
    const TPointExt A = FPoints.Anchor();
    return TRect{Trunc((A.X + L) * Zoom), Trunc((A.Y + T) * Zoom), Trunc((A.X + R) * Zoom),
                 Trunc((A.Y + B) * Zoom)};
}

QRegion TSchemeObject::GetTextClippingRegion(Extended Zoom, int /*AParam*/) const {
    const std::optional<TRect> R = TextClipRect(Zoom);
    return R ? CreateRectRgnIndirect(*R) : QRegion();
}

}  // namespace scheme
