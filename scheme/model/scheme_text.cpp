#include "scheme/model/scheme_text.h"

#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/screen.h"

namespace scheme {

namespace {

constexpr unsigned kMeasureFlags = DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_RTLREADING;

TRect MeasuredRect(const TPoint& P, const QString& Text) {
    const QRect M = MeasureScreenText(Text);
    return TRect{P.X, P.Y, P.X + M.width(), P.Y + M.height()};
}

}  // namespace

TSchemeText::TSchemeText(int Id, const TRect& Rect, int State, const QString& Text)
    : TSchemeBox(Id, Rect, State) {
    SetText(Text);
}

TSchemeText::TSchemeText(int Id, Extended X, Extended Y, Extended Width, Extended Height, int State,
                         const QString& Text)
    : TSchemeBox(Id, X, Y, Width, Height, State) {
    SetText(Text);
}

TSchemeText::TSchemeText(int Id, const TPoint& P, int State, const QString& Text)
    : TSchemeText(Id, MeasuredRect(P, Text), State, Text) {}

TSchemeText::TSchemeText(int Id, const TPointExt& P, int State, const QString& Text)
    : TSchemeBox(Id, P.X, P.Y, kMinSize, kMinSize, State) {
    const QRect M = MeasureScreenText(Text);
    SetRect(P.X, P.Y, M.width(), M.height(), 0, false);
    SetText(Text);
}

TSchemeText::TSchemeText(QStringList& Strings)
    : TSchemeText(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemeText::TSchemeText(const record::TRecord& Record) : TSchemeBox(Record, StaticClassName()) {
    FFontAutoSize = Record.OptFlag("FontAutoSize").value_or(true);
}

void TSchemeText::WriteRecord(record::TRecordWriter& Writer) const {
    TSchemeBox::WriteRecord(Writer);
    if (!FFontAutoSize) Writer.WriteInt("FontAutoSize", 0);
}

void TSchemeText::SetFontAutoSize(bool Value) {
    UpdateField(FFontAutoSize, Value);
}

void TSchemeText::Paint(Extended Zoom, TCanvas& Canvas, int AParam) {
    if (Text().isEmpty()) return;
    const TRect R = GetZoomRect(Zoom, AParam);
    if (Canvas.RectVisible(R)) DrawContent(R, Zoom, Canvas);
    PaintHookRect(Zoom, Canvas, AParam);
}

void TSchemeText::DrawContent(TRect R, Extended Zoom, TCanvas& Canvas) const {
    TFont& Font = Canvas.Font();
    const int OldSize = Font.Size();
    const TColor OldColor = Font.Color();
    const TBkMode OldMode = Canvas.BkMode();
    Font.SetSize(ZoomedFontSize(Zoom, Canvas));
    Font.SetColor(TextColor());
    Canvas.SetBkMode(TBkMode::Transparent);
    Canvas.DrawText(Text(), R, 0);
    Canvas.SetBkMode(OldMode);
    Font.SetColor(OldColor);
    Font.SetSize(OldSize);
}

int TSchemeText::ZoomedFontSize(Extended Zoom, TCanvas& Canvas) const {
    const int S = Canvas.Font().Size();
    if (!FFontAutoSize) return Round(S * Zoom);
    // The text's height in the canvas font at size S, laid out as on the screen.
    const QSize Screen = ScreenSize();
    const TFont& Font = Canvas.Font();
    const size_t Key =
        qHashMulti(0, Text(), Font.Name(), S, int(Font.Style()), Screen.width(), Screen.height());
    if (FMeasuredHeight < 0 || FMeasuredFor != Key) {
        TRect M{0, 0, Screen.width(), Screen.height()};
        Canvas.DrawText(Text(), M, kMeasureFlags);
        FMeasuredHeight = M.Bottom - M.Top;
        FMeasuredFor = Key;
    }
    const int Measured = FMeasuredHeight;
    // A text that measures no height cannot be fitted; it keeps the zoomed size.
    if (Measured <= 0) return Round(S * Zoom);
    return Round(S * Zoom * GetHeight() / Measured);
}

TColor TSchemeText::TextColor() const {
    const TSchemeLayer* L = Layer();
    if (!L) return clBlack;
    return (L->SelectionPhase() && Selected()) ? L->SelectedColor() : L->GetStateColor(State());
}

}  // namespace scheme
