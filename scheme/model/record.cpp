#include "scheme/model/record.h"

#include "scheme/platform/convert.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

namespace scheme::record {

void Write(QStringList& Strings, QStringView Key, const QString& Value) {
    QString Line;
    Line.reserve(kPrefix.size() + Key.size() + 1 + Value.size());
    Line.append(kPrefix).append(Key).append(QLatin1Char('=')).append(Value);
    Strings.append(Line);
}

void WriteInt(QStringList& Strings, QStringView Key, int Value) {
    Write(Strings, Key, QString::number(Value));
}

void WriteFloat(QStringList& Strings, QStringView Key, Extended Value) {
    Write(Strings, Key, FloatToStrG(Value));
}

void WriteColor(QStringList& Strings, QStringView Key, TColor Value) {
    Write(Strings, Key, ColorToString(Value));
}

std::optional<QString> Find(const QStringList& Strings, QStringView Key) {
    QString Value = ValueOf(Strings, Key);
    if (Value.isEmpty()) return std::nullopt;
    return Value;
}

int Int(const QStringList& Strings, QStringView Key) {
    return StrToInt(ValueOf(Strings, Key));
}

Extended Float(const QStringList& Strings, QStringView Key) {
    return StrToFloat(ValueOf(Strings, Key));
}

std::optional<int> OptInt(const QStringList& Strings, QStringView Key) {
    if (auto Value = Find(Strings, Key)) return StrToInt(*Value);
    return std::nullopt;
}

std::optional<Extended> OptFloat(const QStringList& Strings, QStringView Key) {
    if (auto Value = Find(Strings, Key)) return StrToFloat(*Value);
    return std::nullopt;
}

std::optional<TColor> OptColor(const QStringList& Strings, QStringView Key) {
    if (auto Value = Find(Strings, Key)) return StringToColor(*Value);
    return std::nullopt;
}

std::optional<bool> OptFlag(const QStringList& Strings, QStringView Key) {
    if (auto Value = OptInt(Strings, Key)) return *Value == 1;
    return std::nullopt;
}

int Count(const QStringList& Strings, QStringView Key) {
    const int Value = OptInt(Strings, Key).value_or(0);
    if (Value < 0) RaiseError(QStringLiteral("Invalid %1: %2 is negative").arg(Key).arg(Value));
    return Value;
}

QStringList& ExpectCount(QStringList& Strings, const QString& KindName, int Expected) {
    TrimLines(Strings);
    const int Value = OptInt(Strings, u"Count").value_or(0);
    if (Value != Expected)
        RaiseError(
            QStringLiteral("%1 : Count must be %2, not %3").arg(KindName).arg(Expected).arg(Value));
    return Strings;
}

}  // namespace scheme::record
