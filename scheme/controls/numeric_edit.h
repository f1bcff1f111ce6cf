#pragma once

#include <QLineEdit>
#include <algorithm>
#include <limits>
#include <type_traits>

#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/export.h"
#include "scheme/platform/types.h"

namespace scheme {

// A range of numbers with a default. Equal bounds mean no range.
template <class T>
struct TNumericRange {
    T Min{};
    T Max{};
    T Default{};

    // Below the range gives Min, above it Max, anything else (and everything without a range)
    // stays.
    T Clamp(T V) const {
        if (Max == Min) return V;
        if (V < Min) return Min;
        if (V > Max) return Max;
        return V;
    }
    // Stores V in Bound; answers whether it changed.
    static bool Change(T& Bound, T V) {
        if (Bound == V) return false;
        Bound = V;
        return true;
    }
};

// A single-line edit that holds a number as its text: it lets through only the characters a
// number can contain (others are discarded with a beep), steps the number by Increment with the
// up and down arrows, and brings the number into its range when the user leaves it. The
// number is kept only as the text; an empty text stands for the default.
//
// Errors raised while the user types or leaves the edit go to the application's error handler.
class SCHEME_EXPORT TNumericEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TNumericEdit(QWidget* Parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

    // Value := Value + Direction * Increment.
    virtual void Step(int Direction) = 0;
    virtual bool Accepts(QChar C) const = 0;
    virtual unsigned BeepType() const = 0;
    // Value := CheckValue(Value).
    virtual void Recheck() = 0;
    // Answers Convert(); when that raises a conversion error, the edit takes the focus and the
    // conversion's message comes back as EPropertyError.
    template <class F>
    auto Converted(F&& Convert) const -> decltype(Convert()) {
        try {
            return Convert();
        } catch (const Exception& E) {
            ConversionFailed(E);
        }
    }
    [[noreturn]] void ConversionFailed(const Exception& E) const;
    [[noreturn]] static void DefaultOutOfRange();
    static bool IsSignOrDigit(QChar C);
};

// The number, its range, its default and its step, for a number type T: what both edits share.
// Parse raises EConvertError for a text that is not a number; Format writes one.
template <class T>
class TRangedEdit : public TNumericEdit {
public:
    using TNumericEdit::TNumericEdit;

    T MinValue() const { return FRange.Min; }
    void SetMinValue(T V) {
        if (FRange.Change(FRange.Min, V)) BoundsChanged();
    }
    T MaxValue() const { return FRange.Max; }
    void SetMaxValue(T V) {
        if (FRange.Change(FRange.Max, V)) BoundsChanged();
    }
    T DefaultValue() const { return FRange.Default; }
    // A default outside the range raises EPropertyError and keeps the old one.
    void SetDefaultValue(T V) {
        if (V != FRange.Default && CheckValue(V) != V) DefaultOutOfRange();
        FRange.Default = V;
    }
    T Increment() const { return FIncrement; }
    void SetIncrement(T V) { FIncrement = V; }
    // The property system's writer: a refused default goes to the application's error handler.
    void WriteDefaultValue(T V) {
        RunGuarded([&] { SetDefaultValue(V); });
    }
    // The documented defaults are all zero: no range, no step.
    void ResetMinValue() { SetMinValue(T{}); }
    void ResetMaxValue() { SetMaxValue(T{}); }
    void ResetDefaultValue() { WriteDefaultValue(T{}); }
    void ResetIncrement() { SetIncrement(T{}); }
    // The text's number, not brought into the range; the default for an empty text.
    T Value() const {
        if (text().isEmpty()) return FRange.Default;
        return Converted([&] { return Parse(text()); });
    }
    // Writes CheckValue(V) as the text.
    void SetValue(T V) { setText(Format(CheckValue(V))); }
    virtual T CheckValue(T V) const { return FRange.Clamp(V); }

protected:
    virtual T Parse(const QString& Text) const = 0;
    virtual QString Format(T V) const = 0;
    // A whole number stops at the ends of its type instead of wrapping round.
    void Step(int Direction) override {
        if constexpr (std::is_integral_v<T>) {
            const long long Stepped =
                static_cast<long long>(Value()) + static_cast<long long>(Direction) * FIncrement;
            SetValue(static_cast<T>(std::clamp<long long>(Stepped, std::numeric_limits<T>::min(),
                                                          std::numeric_limits<T>::max())));
        } else {
            SetValue(Value() + Direction * FIncrement);
        }
    }
    void Recheck() override { SetValue(CheckValue(Value())); }

    TNumericRange<T> FRange;

private:
    // The default follows first, so that it stays in the range even when the text then turns
    // out unreadable.
    void BoundsChanged() {
        FRange.Default = CheckValue(FRange.Default);
        SetValue(CheckValue(Value()));
    }

    T FIncrement{};
};

class SCHEME_EXPORT TIntEdit : public TRangedEdit<int> {
    Q_OBJECT
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue RESET ResetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue RESET ResetMaxValue)
    Q_PROPERTY(int DefaultValue READ DefaultValue WRITE WriteDefaultValue RESET ResetDefaultValue)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement RESET ResetIncrement)
    // The number is the text, which forms store; reading an unreadable text raises.
    Q_PROPERTY(int Value READ Value WRITE SetValue DESIGNABLE false STORED false)

public:
    explicit TIntEdit(QWidget* Parent = nullptr);

protected:
    int Parse(const QString& Text) const override;
    QString Format(int V) const override { return QString::number(V); }
    bool Accepts(QChar C) const override { return IsSignOrDigit(C); }
    unsigned BeepType() const override { return 0; }
};

class SCHEME_EXPORT TFloatEdit : public TRangedEdit<Extended> {
    Q_OBJECT
    Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue RESET ResetMinValue)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue RESET ResetMaxValue)
    Q_PROPERTY(
        double DefaultValue READ DefaultValue WRITE WriteDefaultValue RESET ResetDefaultValue)
    Q_PROPERTY(double Increment READ Increment WRITE SetIncrement RESET ResetIncrement)
    Q_PROPERTY(
        bool IncludeBounds READ IncludeBounds WRITE SetIncludeBounds RESET ResetIncludeBounds)
    // The number is the text, which forms store; reading an unreadable text raises.
    Q_PROPERTY(double Value READ Value WRITE SetValue DESIGNABLE false STORED false)

public:
    static constexpr bool kDefaultIncludeBounds = true;

    explicit TFloatEdit(QWidget* Parent = nullptr);

    // With bounds included a bound itself is in the range; without, a value stays only
    // strictly between them and anything else becomes the midpoint.
    bool IncludeBounds() const { return FIncludeBounds; }
    void SetIncludeBounds(bool V);
    void ResetIncludeBounds() { SetIncludeBounds(kDefaultIncludeBounds); }
    Extended CheckValue(Extended V) const override;

protected:
    Extended Parse(const QString& Text) const override;
    QString Format(Extended V) const override;
    bool Accepts(QChar C) const override;
    unsigned BeepType() const override { return 0xFFFF; }

private:
    bool FIncludeBounds = kDefaultIncludeBounds;
};

}  // namespace scheme
