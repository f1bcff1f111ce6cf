#pragma once

#include <QLineEdit>

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
    // Raised when the text does not convert: the edit takes the focus and the conversion's
    // message comes back as EPropertyError.
    [[noreturn]] void ConversionFailed(const QString& Message) const;
    static bool IsSignOrDigit(QChar C);
};

class SCHEME_EXPORT TIntEdit : public TNumericEdit {
    Q_OBJECT
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int DefaultValue READ DefaultValue WRITE SetDefaultValue)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(int Value READ Value WRITE SetValue)

public:
    explicit TIntEdit(QWidget* Parent = nullptr);

    int MinValue() const { return FRange.Min; }
    void SetMinValue(int V);
    int MaxValue() const { return FRange.Max; }
    void SetMaxValue(int V);
    int DefaultValue() const { return FRange.Default; }
    // A default outside the range raises EPropertyError and keeps the old one.
    void SetDefaultValue(int V);
    int Increment() const { return FIncrement; }
    void SetIncrement(int V) { FIncrement = V; }
    // The text's number, not clamped; the default for an empty text.
    int Value() const;
    // Writes CheckValue(V) as the text.
    void SetValue(int V);
    int CheckValue(int V) const { return FRange.Clamp(V); }

protected:
    void Step(int Direction) override { SetValue(Value() + Direction * FIncrement); }
    bool Accepts(QChar C) const override { return IsSignOrDigit(C); }
    unsigned BeepType() const override { return 0; }
    void Recheck() override { SetValue(CheckValue(Value())); }

private:
    void BoundsChanged();

    TNumericRange<int> FRange;
    int FIncrement = 0;
};

class SCHEME_EXPORT TFloatEdit : public TNumericEdit {
    Q_OBJECT
    Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(double DefaultValue READ DefaultValue WRITE SetDefaultValue)
    Q_PROPERTY(double Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(bool IncludeBounds READ IncludeBounds WRITE SetIncludeBounds)
    Q_PROPERTY(double Value READ Value WRITE SetValue)

public:
    explicit TFloatEdit(QWidget* Parent = nullptr);

    Extended MinValue() const { return FRange.Min; }
    void SetMinValue(Extended V);
    Extended MaxValue() const { return FRange.Max; }
    void SetMaxValue(Extended V);
    Extended DefaultValue() const { return FRange.Default; }
    void SetDefaultValue(Extended V);
    Extended Increment() const { return FIncrement; }
    void SetIncrement(Extended V) { FIncrement = V; }
    // With bounds included a bound itself is in the range; without, a value stays only
    // strictly between them and anything else becomes the midpoint.
    bool IncludeBounds() const { return FIncludeBounds; }
    void SetIncludeBounds(bool V);
    Extended Value() const;
    void SetValue(Extended V);
    Extended CheckValue(Extended V) const;

protected:
    void Step(int Direction) override { SetValue(Value() + Direction * FIncrement); }
    bool Accepts(QChar C) const override;
    unsigned BeepType() const override { return 0xFFFF; }
    void Recheck() override { SetValue(CheckValue(Value())); }

private:
    void BoundsChanged();

    TNumericRange<Extended> FRange;
    Extended FIncrement = 0;
    bool FIncludeBounds = true;
};

}  // namespace scheme
