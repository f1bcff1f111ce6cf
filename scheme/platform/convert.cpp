#include "scheme/platform/convert.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "scheme/platform/exceptions.h"

namespace scheme {

namespace {

int DigitValue(QChar C) {
    const char16_t U = C.unicode();
    if (U >= '0' && U <= '9') return U - '0';
    if (U >= 'a' && U <= 'f') return U - 'a' + 10;
    if (U >= 'A' && U <= 'F') return U - 'A' + 10;
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

}  // namespace

bool TryStrToInt(const QString& S, int& Value) {
    qsizetype I = 0;
    const qsizetype N = S.size();
    while (I < N && S[I] == QLatin1Char(' ')) ++I;
    bool Negative = false;
    if (I < N && (S[I] == QLatin1Char('-') || S[I] == QLatin1Char('+'))) {
        Negative = S[I] == QLatin1Char('-');
        ++I;
    }
    int Base = 10;
    if (I < N && S[I] == QLatin1Char('$')) {
        Base = 16;
        ++I;
    } else if (I + 1 < N && S[I] == QLatin1Char('0') &&
               (S[I + 1] == QLatin1Char('x') || S[I + 1] == QLatin1Char('X'))) {
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

int StrToInt(const QString& S) {
    int Value = 0;
    if (!TryStrToInt(S, Value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(S));
    return Value;
}

bool TryStrToFloat(const QString& S, Extended& Value) {
    const QString T = S.trimmed();
    std::string Text;
    Text.reserve(T.size());
    bool SeenDigit = false;
    for (QChar C : T) {
        const char16_t U = C.unicode();
        if (U == ',') {
            Text.push_back('.');
        } else if ((U >= '0' && U <= '9') || U == '.' || U == '+' || U == '-' || U == 'e' ||
                   U == 'E') {
            SeenDigit = SeenDigit || (U >= '0' && U <= '9');
            Text.push_back(static_cast<char>(U));
        } else {
            return false;  // also rejects "nan", "inf" and hexadecimal floats
        }
    }
    if (!SeenDigit) return false;
    const char* Begin = Text.data();
    const char* End = Begin + Text.size();
    bool Negative = false;
    if (*Begin == '+' || *Begin == '-') {
        Negative = *Begin == '-';
        ++Begin;
    }
    if (Begin == End || *Begin == '+' || *Begin == '-') return false;
    long double Result = 0;
    const auto [Ptr, Ec] = std::from_chars(Begin, End, Result, std::chars_format::general);
    if (Ptr != End) return false;
    if (Ec == std::errc::result_out_of_range) {
        if (!ReadOutOfRange(Begin, End, Result)) return false;
    } else if (Ec != std::errc() || !std::isfinite(Result)) {
        return false;
    }
    Value = Negative ? -Result : Result;
    return true;
}

Extended StrToFloat(const QString& S) {
    Extended Value = 0;
    if (!TryStrToFloat(S, Value))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(S));
    return Value;
}

QString FloatToStrG(Extended Value) {
    if (std::isnan(Value)) return QStringLiteral("NAN");
    if (std::isinf(Value)) return Value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (Value == 0) return QStringLiteral("0");  // also for negative zero
    // Whole numbers of up to 15 digits, most coordinates, are written as they are: the same
    // text as the general form, without the costly long double formatting.
    if (std::fabs(Value) < 1e15L && Value == std::trunc(Value))
        return QString::number(static_cast<qint64>(Value));
    char Buffer[64];
    const auto [Ptr, Ec] =
        std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::general, 15);
    if (Ec != std::errc()) return QStringLiteral("0");
    std::string Text(Buffer, Ptr);
    // "1.5e+20" becomes "1.5E20", "1e-05" becomes "1E-5".
    const auto E = Text.find('e');
    if (E != std::string::npos) {
        std::string Exponent = Text.substr(E + 1);
        const bool NegativeExponent = !Exponent.empty() && Exponent[0] == '-';
        if (!Exponent.empty() && (Exponent[0] == '-' || Exponent[0] == '+')) Exponent.erase(0, 1);
        while (Exponent.size() > 1 && Exponent[0] == '0') Exponent.erase(0, 1);
        Text = Text.substr(0, E) + 'E' + (NegativeExponent ? "-" : "") + Exponent;
    }
    return QString::fromLatin1(Text.data(), static_cast<qsizetype>(Text.size()));
}

}  // namespace scheme
