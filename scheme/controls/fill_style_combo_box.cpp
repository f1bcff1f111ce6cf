#include "scheme/controls/fill_style_combo_box.h"

#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include "scheme/platform/canvas.h"
#include "scheme/platform/error_handler.h"

namespace scheme {

namespace {

constexpr int kCrossItem = static_cast<int>(TBrushStyle::bsCross);

// Draws the popup list's items as samples.
class TFillStyleDelegate : public QStyledItemDelegate {
public:
    explicit TFillStyleDelegate(TFillStyleComboBox* Combo)
        : QStyledItemDelegate(Combo), FCombo(Combo) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override {
        const bool Selected = Option.state & QStyle::State_Selected;
        const QColor Background =
            Option.palette.color(Selected ? QPalette::Highlight : QPalette::Base);
        TFillStyleComboBox::PaintItem(*Painter, Index.row(), Option.rect, Background,
                                      FCombo->ColorPen());
    }
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        return {QStyledItemDelegate::sizeHint(Option, Index).width(),
                TFillStyleComboBox::kItemHeight};
    }

private:
    TFillStyleComboBox* FCombo;
};

}  // namespace

TFillStyleComboBox::TFillStyleComboBox(QWidget* Parent) : QComboBox(Parent) {
    setItemDelegate(new TFillStyleDelegate(this));
    FillItems();
    SetFillStyle(TBrushStyle::bsSolid);
    // A choice made by the user takes the item's style directly, whatever the maximum.
    connect(this, &QComboBox::activated, this, [this](int Index) {
        if (Index >= 0) FFillStyle = static_cast<TBrushStyle>(Index);
    });
}

void TFillStyleComboBox::FillItems() {
    clear();
    for (int I = 0; I < kItemCount; ++I) addItem(QString::number(I));
}

void TFillStyleComboBox::SetFillStyle(TBrushStyle Value) {
    if (static_cast<int>(Value) > static_cast<int>(FMaxFillStyle)) return;
    FFillStyle = Value;
    setCurrentIndex(static_cast<int>(Value));
}

void TFillStyleComboBox::SetMaxFillStyle(TBrushStyle Value) {
    const TBrushStyle Remembered = FFillStyle;
    FMaxFillStyle = Value;
    FillItems();
    SetFillStyle(Remembered);
}

void TFillStyleComboBox::SetColorPen(TColor Value) {
    if (Value == FColorPen) return;
    FColorPen = Value;
    update();
}

QSize TFillStyleComboBox::sizeHint() const {
    return QComboBox::sizeHint().expandedTo(QSize(kPreferredWidth, 0));
}

QSize TFillStyleComboBox::minimumSizeHint() const {
    return QComboBox::minimumSizeHint().expandedTo(QSize(kMinimumWidth, 0));
}

QString TFillStyleComboBox::ColorPenText() const {
    return ColorToString(FColorPen);
}

void TFillStyleComboBox::WriteColorPen(const QString& Value) {
    RunGuarded([&] { SetColorPen(StringToColor(Value)); });
}

void TFillStyleComboBox::PaintItem(QPainter& Painter, int Index, const QRect& Rect,
                                   const QColor& Background, TColor ColorPen) {
    TCanvas Canvas(&Painter);
    Canvas.SetBkMode(TBkMode::Transparent);
    const int L = Rect.left(), T = Rect.top(), R = Rect.right() + 1, B = Rect.bottom() + 1;
    Canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    Canvas.Brush().SetColor(QColorToColor(Background));
    Canvas.FillRect(TRect{L, T, R, B});
    Canvas.Pen().SetColor(ColorPen);
    Canvas.Pen().SetWidth(1);
    Canvas.Brush().SetColor(ColorPen);
    if (Index != kCrossItem) {
        Canvas.Brush().SetStyle(static_cast<TBrushStyle>(Index));
        Canvas.Rectangle(L + 4, T + 2, R - 4, B - 2);
        return;
    }
    // Two layers: a band in the entry (solid) brush, then a vertical hatch over the whole
    // sample that lets the band show through.
    const int H = (B - T - 4) / 3;
    Canvas.Rectangle(L + 4, T + 2 + H, R - 4, T + 3 + 2 * H);
    Canvas.Brush().SetStyle(TBrushStyle::bsVertical);
    Canvas.Rectangle(L + 4, T + 2, R - 4, B - 2);
}

void TFillStyleComboBox::paintEvent(QPaintEvent*) {
    QStylePainter Painter(this);
    QStyleOptionComboBox Option;
    initStyleOption(&Option);
    Option.currentText.clear();
    Option.currentIcon = {};
    Painter.drawComplexControl(QStyle::CC_ComboBox, Option);
    const QRect Field =
        style()->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() >= 0)
        PaintItem(Painter, currentIndex(), Field, palette().color(QPalette::Base), FColorPen);
}

}  // namespace scheme
