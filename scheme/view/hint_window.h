#pragma once

#include <QString>
#include <QWidget>

#include "scheme/platform/color.h"
#include "scheme/platform/export.h"

namespace scheme {

// A small frameless tool-tip window showing one text, whose colour and size its owner sets.
class SCHEME_EXPORT THintWindow : public QWidget {
    Q_OBJECT

public:
    // Pixels between the border and the text.
    static constexpr int kPadding = 2;

    explicit THintWindow(QWidget* AOwner = nullptr);

    TColor Color() const { return FColor; }
    void SetColor(TColor AValue);
    const QString& Text() const { return FText; }

    // The rectangle, from (0, 0), that Text needs when lines wrap at MaxWidth pixels.
    QRect CalcHintRect(int MaxWidth, const QString& Text) const;
    // Shows the window at Rect (screen pixels) with Text.
    void ActivateHint(const QRect& Rect, const QString& Text);
    // Hides the window.
    void ReleaseHandle();

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    TColor FColor = clInfoBk;
    QString FText;
};

}  // namespace scheme
