// Colour and number texts: every text either converts or raises EConvertError, and whatever
// converts writes a text that reads back to the same value.
#include <QString>
#include <cmath>
#include <cstring>

#include "fuzz/targets/fuzz_targets.h"
#include "scheme/platform/color.h"
#include "scheme/platform/convert.h"
#include "scheme/platform/exceptions.h"

namespace scheme::fuzz {

namespace {

void CheckColor(const QString& Text) {
    TColor Color = 0;
    try {
        Color = StringToColor(Text);
    } catch (const EConvertError&) {
        return;
    }
    const QString Written = ColorToString(Color);
    FuzzCheck(StringToColor(Written) == Color,
              QStringLiteral("colour %1 reads back differently").arg(Written));
    (void)ColorToQColor(Color);
}

void CheckInt(const QString& Text) {
    int Value = 0;
    const bool Valid = TryStrToInt(Text, Value);
    bool Raised = false;
    int Strict = 0;
    try {
        Strict = StrToInt(Text);
    } catch (const EConvertError&) {
        Raised = true;
    }
    FuzzCheck(Raised != Valid && (Raised || Strict == Value),
              QStringLiteral("StrToInt and TryStrToInt disagree on %1").arg(Text));
    if (!Valid) return;
    FuzzCheck(StrToInt(QString::number(Value)) == Value,
              QStringLiteral("integer %1 reads back differently").arg(Value));
}

// A finite value written in the record form reads back to a value that writes the same text.
void CheckFloatRoundTrip(Extended Value) {
    if (!std::isfinite(Value)) return;
    const QString Written = FloatToStrG(Value);
    Extended Read = 0;
    FuzzCheck(TryStrToFloat(Written, Read),
              QStringLiteral("written number %1 does not read back").arg(Written));
    FuzzCheck(FloatToStrG(Read) == Written,
              QStringLiteral("number %1 reads back as %2").arg(Written, FloatToStrG(Read)));
}

void CheckFloat(const QString& Text) {
    Extended Value = 0;
    if (!TryStrToFloat(Text, Value)) return;
    FuzzCheck(std::isfinite(Value), QStringLiteral("non-finite number read from %1").arg(Text));
    CheckFloatRoundTrip(Value);
}

// The raw bytes as binary doubles and long doubles, to reach values no short text names.
void CheckRawFloats(const std::uint8_t* Data, std::size_t Size) {
    if (Size >= sizeof(double)) {
        double D = 0;
        std::memcpy(&D, Data, sizeof D);
        CheckFloatRoundTrip(D);
    }
    if (Size >= 10) {
        // Built from a mantissa and an exponent so that the value is always a canonical one.
        std::uint64_t Mantissa = 0;
        std::int16_t Exponent = 0;
        std::memcpy(&Mantissa, Data, sizeof Mantissa);
        std::memcpy(&Exponent, Data + sizeof Mantissa, sizeof Exponent);
        CheckFloatRoundTrip(std::ldexp(static_cast<Extended>(Mantissa), Exponent / 2));
    }
}

}  // namespace

void FuzzConvert(const std::uint8_t* Data, std::size_t Size) {
    const QString Text =
        QString::fromUtf8(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size));
    CheckColor(Text);
    CheckInt(Text);
    CheckFloat(Text);
    CheckRawFloats(Data, Size);
}

}  // namespace scheme::fuzz
