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

// Set while an edit takes the focus back after a failed read, so that the edit losing it then
// does not read its own text and take the focus back in turn.
bool GReclaimingFocus = false;

}  // namespace

// ---- shared ----

TNumericEdit::TNumericEdit(QWidget* Parent) : QLineEdit(QStringLiteral("0"), Parent) {}

bool TNumericEdit::IsSignOrDigit(QChar C) {
    return C == QLatin1Char('+') || C == QLatin1Char('-') ||
           (C >= QLatin1Char('0') && C <= QLatin1Char('9'));
}

void TNumericEdit::ConversionFailed(const Exception& E) const {
    GReclaimingFocus = true;
    const_cast<TNumericEdit*>(this)->setFocus(Qt::OtherFocusReason);
    GReclaimingFocus = false;
    throw EPropertyError(E.Message());
}

void TNumericEdit::DefaultOutOfRange() {
    throw EPropertyError(kDefaultOutOfRange);
}

void TNumericEdit::keyPressEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Up || Event->key() == Qt::Key_Down) {
        RunGuarded([&] { Step(Event->key() == Qt::Key_Up ? 1 : -1); });
        Event->accept();
        return;
    }
    const QString Text = Event->text();
    // Control characters (Backspace, Delete, Ctrl+ shortcuts) are editing, not typing.
    if (!Text.isEmpty() && Text.at(0).isPrint() && !Accepts(Text.at(0))) {
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
    if (Event->reason() == Qt::ActiveWindowFocusReason || Event->reason() == Qt::PopupFocusReason ||
        GReclaimingFocus)
        return;
    if (!text().isEmpty()) RunGuarded([&] { Recheck(); });
}

// ---- integers ----

TIntEdit::TIntEdit(QWidget* Parent) : TRangedEdit<int>(Parent) {}

int TIntEdit::Parse(const QString& Text) const {
    return StrToInt(Text);
}

// ---- floating point ----

TFloatEdit::TFloatEdit(QWidget* Parent) : TRangedEdit<Extended>(Parent) {}

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

Extended TFloatEdit::Parse(const QString& Text) const {
    return StrToFloat(Text);
}

QString TFloatEdit::Format(Extended V) const {
    return FloatToStrG(V).replace(QLatin1Char('.'), DecimalSeparator());
}

bool TFloatEdit::Accepts(QChar C) const {
    return IsSignOrDigit(C) || C == DecimalSeparator();
}

}  // namespace scheme
