#include "scheme/controls/numeric_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>

#include "scheme/controls/message_beep.h"
#include "scheme/platform/convert.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"

namespace scheme {

namespace {

const QString kDefaultOutOfRange =
    QStringLiteral("DefaultValue must be between MinValue and MaxValue");

QChar DecimalSeparator() {
    return QLocale().decimalPoint().at(0);
}

}  // namespace

// ---- shared ----

TNumericEdit::TNumericEdit(QWidget* Parent) : QLineEdit(QStringLiteral("0"), Parent) {}

bool TNumericEdit::IsSignOrDigit(QChar C) {
    return C == QLatin1Char('+') || C == QLatin1Char('-') ||
           (C >= QLatin1Char('0') && C <= QLatin1Char('9'));
}

void TNumericEdit::ConversionFailed(const QString& Message) const {
    auto* Self = const_cast<TNumericEdit*>(this);
    Self->setFocus(Qt::OtherFocusReason);
    throw EPropertyError(Message);
}

void TNumericEdit::keyPressEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Up || Event->key() == Qt::Key_Down) {
        RunGuarded([&] { Step(Event->key() == Qt::Key_Up ? 1 : -1); });
        Event->accept();
        return;
    }
    const QString Text = Event->text();
    if (!Text.isEmpty() && Text.at(0).unicode() >= 32 && !Accepts(Text.at(0))) {
        MessageBeep(BeepType());
        Event->accept();
        return;
    }
    QLineEdit::keyPressEvent(Event);
}

void TNumericEdit::focusOutEvent(QFocusEvent* Event) {
    QLineEdit::focusOutEvent(Event);
    // Only leaving the edit for another control of its window counts: a message box or
    // another window taking the focus does not.
    if (Event->reason() == Qt::ActiveWindowFocusReason || Event->reason() == Qt::PopupFocusReason)
        return;
    if (!text().isEmpty()) RunGuarded([&] { Recheck(); });
}

// ---- integers ----

TIntEdit::TIntEdit(QWidget* Parent) : TNumericEdit(Parent) {}

void TIntEdit::BoundsChanged() {
    SetValue(CheckValue(Value()));
    FRange.Default = CheckValue(FRange.Default);
}

void TIntEdit::SetMinValue(int V) {
    if (FRange.Change(FRange.Min, V)) BoundsChanged();
}

void TIntEdit::SetMaxValue(int V) {
    if (FRange.Change(FRange.Max, V)) BoundsChanged();
}

void TIntEdit::SetDefaultValue(int V) {
    if (V != FRange.Default && CheckValue(V) != V) throw EPropertyError(kDefaultOutOfRange);
    FRange.Default = V;
}

int TIntEdit::Value() const {
    if (text().isEmpty()) return FRange.Default;
    int V = 0;
    try {
        V = StrToInt(text());
    } catch (const EConvertError& E) {
        ConversionFailed(E.Message());
    }
    return V;
}

void TIntEdit::SetValue(int V) {
    setText(QString::number(CheckValue(V)));
}

// ---- floating point ----

TFloatEdit::TFloatEdit(QWidget* Parent) : TNumericEdit(Parent) {}

void TFloatEdit::BoundsChanged() {
    SetValue(CheckValue(Value()));
    FRange.Default = CheckValue(FRange.Default);
}

void TFloatEdit::SetMinValue(Extended V) {
    if (FRange.Change(FRange.Min, V)) BoundsChanged();
}

void TFloatEdit::SetMaxValue(Extended V) {
    if (FRange.Change(FRange.Max, V)) BoundsChanged();
}

void TFloatEdit::SetDefaultValue(Extended V) {
    if (V != FRange.Default && CheckValue(V) != V) throw EPropertyError(kDefaultOutOfRange);
    FRange.Default = V;
}

void TFloatEdit::SetIncludeBounds(bool V) {
    if (V == FIncludeBounds) return;
    FIncludeBounds = V;
    SetValue(CheckValue(Value()));
}

Extended TFloatEdit::CheckValue(Extended V) const {
    if (FIncludeBounds || FRange.Max == FRange.Min) return FRange.Clamp(V);
    if (FRange.Min < V && V < FRange.Max) return V;
    return (FRange.Max - FRange.Min) / 2 + FRange.Min;
}

Extended TFloatEdit::Value() const {
    if (text().isEmpty()) return FRange.Default;
    Extended V = 0;
    try {
        V = StrToFloat(text());
    } catch (const EConvertError& E) {
        ConversionFailed(E.Message());
    }
    return V;
}

void TFloatEdit::SetValue(Extended V) {
    setText(FloatToStrG(CheckValue(V)).replace(QLatin1Char('.'), DecimalSeparator()));
}

bool TFloatEdit::Accepts(QChar C) const {
    return IsSignOrDigit(C) || C == DecimalSeparator();
}

}  // namespace scheme
