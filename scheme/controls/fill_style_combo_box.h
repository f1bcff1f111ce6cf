#pragma once

#include <QComboBox>

#include "scheme/platform/color.h"
#include "scheme/platform/export.h"
#include "scheme/platform/graphics.h"

class QPainter;

namespace scheme {

// A drop-down list of the eight brush fill styles, each item a sample of its style drawn in
// ColorPen, so that the user picks a style by its look. Item i stands for the style of
// ordinal i (bsSolid 0 ... bsDiagCross 7). The items' texts are placeholders and never shown.
class SCHEME_EXPORT TFillStyleComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(scheme::TBrushStyle FillStyle READ FillStyle WRITE SetFillStyle RESET ResetFillStyle)
    Q_PROPERTY(scheme::TBrushStyle MaxFillStyle READ MaxFillStyle WRITE SetMaxFillStyle RESET
                   ResetMaxFillStyle)
    // The colour's text ("clBlack", "$00FF0000"), as documents store colours; a text that is no
    // colour goes to the application's error handler and the colour stays.
    Q_PROPERTY(QString ColorPen READ ColorPenText WRITE WriteColorPen RESET ResetColorPen)

public:
    static constexpr int kItemHeight = 17;
    static constexpr int kItemCount = 8;
    // The items' texts are never shown, so the size hints ask for room for a sample instead.
    static constexpr int kPreferredWidth = 100;
    static constexpr int kMinimumWidth = 60;

    explicit TFillStyleComboBox(QWidget* Parent = nullptr);

    TBrushStyle FillStyle() const { return FFillStyle; }
    // A style above MaxFillStyle is ignored; any other is stored and its item selected.
    void SetFillStyle(TBrushStyle Value);
    TBrushStyle MaxFillStyle() const { return FMaxFillStyle; }
    // Rebuilds the items and selects the current style again (unless it is now above the
    // maximum).
    void SetMaxFillStyle(TBrushStyle Value);
    TColor ColorPen() const { return FColorPen; }
    void SetColorPen(TColor Value);

    // Draws the sample of item Index into Rect over Background: a rectangle in ColorPen filled
    // with the item's style; the cross item is a solid band under a vertical hatch.
    static void PaintItem(QPainter& Painter, int Index, const QRect& Rect, const QColor& Background,
                          TColor ColorPen);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    // Clears the list and adds one item per style.
    virtual void FillItems();
    void paintEvent(QPaintEvent* Event) override;

private:
    void ResetFillStyle() { SetFillStyle(TBrushStyle::bsSolid); }
    void ResetMaxFillStyle() { SetMaxFillStyle(TBrushStyle::bsDiagCross); }
    QString ColorPenText() const;
    void WriteColorPen(const QString& Value);
    void ResetColorPen() { SetColorPen(clBlack); }

    TBrushStyle FFillStyle = TBrushStyle::bsSolid;
    TBrushStyle FMaxFillStyle = TBrushStyle::bsDiagCross;
    TColor FColorPen = clBlack;
};

}  // namespace scheme
