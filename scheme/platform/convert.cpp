#include "scheme/platform/convert.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "scheme/platform/exceptions.h"

namespace scheme {

namespace {

int DigitValue(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

// A number from_chars refuses as out of range: one too small for a normal value (which
// FloatToStrG writes for the smallest magnitudes) reads as its subnormal neighbour or zero; one
// too large stays refused. Read through the C library in the "C" locale, which has "." as its
// decimal separator whatever the user's locale.
bool ReadOutOfRange(const char* Begin, const char* End, long double& Result) {
    static const locale_t CLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    if (!CLocale) return false;
    const std::string Text(Begin, End);
    char* Stop = nullptr;
    Result = strtold_l(Text.c_str(), &Stop, CLocale);
    return Stop == Text.c_str() + Text.size() && std::isfinite(Result);
}

// The powers of ten a long double holds exactly (5^27 still fits its 64-bit mantissa).
constexpr int kExactPowers = 28;
constexpr std::array<long double, kExactPowers> kPowersOfTen = [] {
    std::array<long double, kExactPowers> Powers{};
    long double P = 1;
    for (long double& Power : Powers) {
        Power = P;
        P *= 10;
    }
    return Powers;
}();

// Reads the common short forms ("120", "-12.5", "1.5E-5") without the C library: a mantissa of
// at most 19 digits and a power of ten that a long double holds exactly give the correctly
// rounded value with one multiplication or division, the same value from_chars answers.
// Answers false for any other form, which from_chars then decides.
bool ReadShortNumber(const char* P, const char* End, long double& Result) {
    std::uint64_t Mantissa = 0;
    int Digits = 0;
    int Scale = 0;
    bool SeenDigit = false;
    bool SeenPoint = false;
    for (; P < End; ++P) {
        const char C = *P;
        if (C >= '0' && C <= '9') {
            SeenDigit = true;
            if (Mantissa == 0 && C == '0') {
                if (SeenPoint) --Scale;
                continue;
            }
            if (++Digits > 19) return false;
            Mantissa = Mantissa * 10 + std::uint64_t(C - '0');
            if (SeenPoint) --Scale;
        } else if (C == '.' && !SeenPoint) {
            SeenPoint = true;
        } else {
            break;
        }
    }
    if (!SeenDigit) return false;
    if (P < End) {
        if (*P != 'e' && *P != 'E') return false;
        ++P;
        bool NegativeExponent = false;
        if (P < End && (*P == '+' || *P == '-')) NegativeExponent = *P++ == '-';
        if (P == End || End - P > 4) return false;
        int Exponent = 0;
        for (; P < End; ++P) {
            if (*P < '0' || *P > '9') return false;
            Exponent = Exponent * 10 + (*P - '0');
        }
        Scale += NegativeExponent ? -Exponent : Exponent;
    }
    if (Mantissa == 0) {
        Result = 0;
        return true;
    }
    if (Scale <= -kExactPowers || Scale >= kExactPowers) return false;
    const long double Value = static_cast<long double>(Mantissa);
    Result = Scale < 0 ? Value / kPowersOfTen[size_t(-Scale)] : Value * kPowersOfTen[size_t(Scale)];
    return true;
}

bool IsFloatBlank(char C) {
    return C == ' ' || (C >= '\t' && C <= '\r');
}

// Copies a QString that holds only ASCII into Buffer; false when it holds anything else.
bool ToAscii(QStringView S, std::string& Buffer) {
    Buffer.resize(size_t(S.size()));
    for (qsizetype I = 0; I < S.size(); ++I) {
        const char16_t U = S[I].unicode();
        if (U >= 0x80) return false;
        Buffer[size_t(I)] = static_cast<char>(U);
    }
    return true;
}

}  // namespace

bool TryTextToInt(std::string_view S, int& Value) {
    // Plain decimal numbers, nearly every integer of a record, at once; any other form (blanks,
    // a plus sign, hexadecimal, a value beyond 32 bits) is decided below.
    if (!S.empty() && ((S[0] >= '0' && S[0] <= '9') || S[0] == '-')) {
        int Plain = 0;
        const auto [Ptr, Ec] = std::from_chars(S.data(), S.data() + S.size(), Plain);
        if (Ec == std::errc() && Ptr == S.data() + S.size()) {
            Value = Plain;
            return true;
        }
    }
    size_t I = 0;
    const size_t N = S.size();
    while (I < N && S[I] == ' ') ++I;
    bool Negative = false;
    if (I < N && (S[I] == '-' || S[I] == '+')) {
        Negative = S[I] == '-';
        ++I;
    }
    int Base = 10;
    if (I < N && S[I] == '$') {
        Base = 16;
        ++I;
    } else if (I + 1 < N && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
        Base = 16;
        I += 2;
    }
    if (I >= N) return false;
    // Hexadecimal texts cover the whole 32-bit pattern ("$FFFFFFFF" is -1), as colours need.
    const long long Limit = Base == 16 ? 0xFFFFFFFFLL : (Negative ? 2147483648LL : 2147483647LL);
    long long Result = 0;
    for (; I < N; ++I) {
        const int D = DigitValue(S[I]);
        if (D < 0 || D >= Base) return false;
        Result = Result * Base + D;
        if (Result > Limit) return false;
    }
    if (Base == 16) Result = static_cast<int>(static_cast<unsigned>(Result));
    Value = static_cast<int>(Negative ? -Result : Result);
    return true;
}

bool TryStrToInt(const QString& S, int& Value) {
    // Every character an integer text may hold is ASCII.
    thread_local std::string Ascii;
    return ToAscii(S, Ascii) && TryTextToInt(Ascii, Value);
}

int StrToInt(const QString& S) {
    int Value = 0;
    if (!TryStrToInt(S, Value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(S));
    return Value;
}

bool TryTextToFloat(std::string_view S, Extended& Value) {
    // Whole numbers, most coordinates, read at once.
    if (const size_t Signs = !S.empty() && (S[0] == '-' || S[0] == '+');
        S.size() > Signs && S.size() - Signs <= 18) {
        std::uint64_t Whole = 0;
        size_t I = Signs;
        while (I < S.size() && S[I] >= '0' && S[I] <= '9')
            Whole = Whole * 10 + unsigned(S[I++] - '0');
        if (I == S.size()) {
            // At most 18 digits: the signed conversion, cheaper than the unsigned one, is exact.
            const auto Signed = static_cast<long double>(static_cast<std::int64_t>(Whole));
            Value = S[0] == '-' ? -Signed : Signed;
            return true;
        }
    }
    size_t First = 0, Last = S.size();
    while (First < Last && IsFloatBlank(S[First])) ++First;
    while (Last > First && IsFloatBlank(S[Last - 1])) --Last;
    char Small[64];
    std::string Large;
    char* Text = Small;
    if (Last - First > sizeof Small) {
        Large.resize(Last - First);
        Text = Large.data();
    }
    bool SeenDigit = false;
    for (size_t I = First; I < Last; ++I) {
        const char C = S[I];
        if (C == ',') {
            Text[I - First] = '.';
        } else if ((C >= '0' && C <= '9') || C == '.' || C == '+' || C == '-' || C == 'e' ||
                   C == 'E') {
            SeenDigit = SeenDigit || (C >= '0' && C <= '9');
            Text[I - First] = C;
        } else {
            return false;  // also rejects "nan", "inf" and hexadecimal floats
        }
    }
    if (!SeenDigit) return false;
    const char* Begin = Text;
    const char* End = Text + (Last - First);
    bool Negative = false;
    if (*Begin == '+' || *Begin == '-') {
        Negative = *Begin == '-';
        ++Begin;
    }
    if (Begin == End || *Begin == '+' || *Begin == '-') return false;
    long double Result = 0;
    if (!ReadShortNumber(Begin, End, Result)) {
        const auto [Ptr, Ec] = std::from_chars(Begin, End, Result, std::chars_format::general);
        if (Ptr != End) return false;
        if (Ec == std::errc::result_out_of_range) {
            if (!ReadOutOfRange(Begin, End, Result)) return false;
        } else if (Ec != std::errc() || !std::isfinite(Result)) {
            return false;
        }
    }
    Value = Negative ? -Result : Result;
    return true;
}

bool TryStrToFloat(const QString& S, Extended& Value) {
    thread_local std::string Ascii;
    return ToAscii(QStringView(S).trimmed(), Ascii) && TryTextToFloat(Ascii, Value);
}

Extended StrToFloat(const QString& S) {
    Extended Value = 0;
    if (!TryStrToFloat(S, Value))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(S));
    return Value;
}

int FormatFloatG(Extended Value, char* Buffer) {
    auto Copy = [Buffer](std::string_view Text) {
        std::memcpy(Buffer, Text.data(), Text.size());
        return int(Text.size());
    };
    if (std::isnan(Value)) return Copy("NAN");
    if (std::isinf(Value)) return Copy(Value > 0 ? "INF" : "-INF");
    if (Value == 0) return Copy("0");  // also for negative zero
    // Whole numbers of up to 15 digits, most coordinates, are written as they are: the same
    // text as the general form, without the costly long double formatting.
    // They are tested through double, whose conversions to and from integers are cheap: such a
    // number is a double exactly.
    if (const double Near = static_cast<double>(Value);
        static_cast<Extended>(Near) == Value && std::fabs(Near) < 1e15) {
        if (const auto Whole = static_cast<qint64>(Near); static_cast<double>(Whole) == Near)
            return int(std::to_chars(Buffer, Buffer + kFloatTextSize, Whole).ptr - Buffer);
    }
    const auto [Ptr, Ec] =
        std::to_chars(Buffer, Buffer + kFloatTextSize, Value, std::chars_format::general, 15);
    if (Ec != std::errc()) return Copy("0");
    // "1.5e+20" becomes "1.5E20", "1e-05" becomes "1E-5".
    char* E = std::find(Buffer, Ptr, 'e');
    if (E == Ptr) return int(Ptr - Buffer);
    const char* Digits = E + 1;
    const bool NegativeExponent = Digits < Ptr && *Digits == '-';
    if (Digits < Ptr && (*Digits == '-' || *Digits == '+')) ++Digits;
    while (Ptr - Digits > 1 && *Digits == '0') ++Digits;
    char* Out = E;
    *Out++ = 'E';
    if (NegativeExponent) *Out++ = '-';
    Out = std::copy(Digits, static_cast<const char*>(Ptr), Out);
    return int(Out - Buffer);
}

QString FloatToStrG(Extended Value) {
    char Buffer[kFloatTextSize];
    return QString::fromLatin1(Buffer, FormatFloatG(Value, Buffer));
}

}  // namespace scheme
