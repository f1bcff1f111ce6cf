// The object record: the base key=value lines every kind shares.
#include <vector>

#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/convert.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

namespace scheme {

namespace {

const QString kPropertiesKey = QStringLiteral("Properties");
const QString kPropertiesEndKey = QStringLiteral("PropertiesEnd");

// A caption is stored on one line: every line break (CR, LF or CR LF) becomes "#".
QString EncodeText(const QString& Text) {
    QString Result = Text;
    Result.replace(QLatin1String("\r\n"), QLatin1String("#"));
    Result.replace(QLatin1Char('\r'), QLatin1Char('#'));
    Result.replace(QLatin1Char('\n'), QLatin1Char('#'));
    return Result;
}

QString DecodeText(const QString& Value) {
    QString Result = Value;
    return Result.replace(QLatin1Char('#'), QLatin1Char('\r'));
}

// The keys of point I: "X<I>" and "Y<I>". Records hold thousands of them, so the common ones are
// made once.
QString PointKey(char Axis, int I) {
    constexpr int kCached = 256;
    static const std::vector<QString> Keys = [] {
        std::vector<QString> All;
        All.reserve(2 * kCached);
        for (int N = 0; N < kCached; ++N) {
            All.push_back(QStringLiteral("X%1").arg(N));
            All.push_back(QStringLiteral("Y%1").arg(N));
        }
        return All;
    }();
    if (I >= 0 && I < kCached) return Keys[size_t(2 * I + (Axis == 'Y'))];
    return QLatin1Char(Axis) + QString::number(I);
}

void WritePen(QStringList& Strings, const QString& Name, const TPen& Pen) {
    if (Pen.Color() != clBlack)
        record::WriteColor(Strings, Name + QLatin1String(".Color"), Pen.Color());
    if (Pen.Style() != TPenStyle::psSolid)
        record::WriteInt(Strings, Name + QLatin1String(".Style"), static_cast<int>(Pen.Style()));
    if (Pen.Width() != 1) record::WriteInt(Strings, Name + QLatin1String(".Width"), Pen.Width());
}

void WriteBrush(QStringList& Strings, const QString& Name, const TBrush& Brush) {
    if (Brush.Color() != clWhite)
        record::WriteColor(Strings, Name + QLatin1String(".Color"), Brush.Color());
    if (Brush.Style() != TBrushStyle::bsSolid)
        record::WriteInt(Strings, Name + QLatin1String(".Style"), static_cast<int>(Brush.Style()));
}

void ReadPen(const QStringList& Strings, const QString& Name, TPen& Pen) {
    if (auto V = record::OptColor(Strings, Name + QLatin1String(".Color"))) Pen.SetColor(*V);
    if (auto V = record::OptInt(Strings, Name + QLatin1String(".Style")))
        Pen.SetStyle(static_cast<TPenStyle>(*V));
    const QString WidthKey = Name + QLatin1String(".Width");
    if (auto V = record::OptInt(Strings, WidthKey)) {
        // Stored widths are what a pen holds: never negative, never above its limit.
        if (*V < 0 || *V > TPen::kMaxWidth)
            RaiseError(QStringLiteral("Invalid %1: %2 is not within 0 .. %3")
                           .arg(WidthKey)
                           .arg(*V)
                           .arg(TPen::kMaxWidth));
        Pen.SetWidth(*V);
    }
}

void ReadBrush(const QStringList& Strings, const QString& Name, TBrush& Brush) {
    if (auto V = record::OptColor(Strings, Name + QLatin1String(".Color"))) Brush.SetColor(*V);
    if (auto V = record::OptInt(Strings, Name + QLatin1String(".Style")))
        Brush.SetStyle(static_cast<TBrushStyle>(*V));
}

}  // namespace

void TSchemeObject::SaveToStrings(QStringList& Strings) const {
    record::WriteInt(Strings, u"ID", FId);
    record::WriteInt(Strings, u"State", FState);
    if (FLayer) record::WriteInt(Strings, u"LayerID", FLayer->ID());
    WriteBaseFlags(Strings);
    if (!TrimBlanks(FText).isEmpty()) record::Write(Strings, u"Text", EncodeText(FText));
    if (FCount > 0 && (FTextPoint.X != FPoints[0].X || FTextPoint.Y != FPoints[0].Y)) {
        record::WriteFloat(Strings, u"TextPoint.X", FTextPoint.X);
        record::WriteFloat(Strings, u"TextPoint.Y", FTextPoint.Y);
    }
    WriteDrawingTools(Strings);
    WritePoints(Strings);
    WriteProperties(Strings);
}

void TSchemeObject::WriteBaseFlags(QStringList& Strings) const {
    if (!FVisible) record::WriteInt(Strings, u"Visible", 0);
    if (!FEnabled) record::WriteInt(Strings, u"Enabled", 0);
    if (!FFullRepaintIfMoved) record::WriteInt(Strings, u"FullRepaintIfMoved", 0);
    if (!FStateColorSupport) record::WriteInt(Strings, u"StateColorSupport", 0);
}

void TSchemeObject::WriteDrawingTools(QStringList& Strings) const {
    WriteBrush(Strings, QStringLiteral("Brush"), FBrush);
    WriteBrush(Strings, QStringLiteral("SelectedBrush"), FSelectedBrush);
    WritePen(Strings, QStringLiteral("Pen"), FPen);
    WritePen(Strings, QStringLiteral("SelectedPen"), FSelectedPen);
}

void TSchemeObject::WritePoints(QStringList& Strings) const {
    if (FCount == 0) return;
    record::WriteInt(Strings, u"Count", FCount);
    for (int I = 0; I < FCount; ++I) {
        record::WriteFloat(Strings, PointKey('X', I), FPoints[static_cast<size_t>(I)].X);
        record::WriteFloat(Strings, PointKey('Y', I), FPoints[static_cast<size_t>(I)].Y);
    }
}

void TSchemeObject::WriteProperties(QStringList& Strings) const {
    if (FProperties.Count() == 0) return;
    Strings.append(record::kPrefix + kPropertiesKey + QLatin1String("=>"));
    for (const QString& Line : FProperties.Lines())
        Strings.append(record::kPrefix + record::kPrefix + Line);
    Strings.append(record::kPrefix + kPropertiesEndKey + QLatin1String("=>"));
}

// Applies a trimmed record to an object that has just been initialised with its Id and State.
// Setters are bypassed: the object is not in a layer yet and nobody listens.
void TSchemeObject::ReadRecord(QStringList& Strings) {
    if (auto V = record::OptFlag(Strings, u"Visible")) FVisible = *V;
    if (auto V = record::OptFlag(Strings, u"Enabled")) FEnabled = *V;
    if (auto V = record::OptFlag(Strings, u"FullRepaintIfMoved")) FFullRepaintIfMoved = *V;
    if (auto V = record::OptFlag(Strings, u"StateColorSupport")) FStateColorSupport = *V;
    if (auto V = record::Find(Strings, u"Text")) FText = DecodeText(*V);
    ReadBrush(Strings, QStringLiteral("Brush"), FBrush);
    ReadBrush(Strings, QStringLiteral("SelectedBrush"), FSelectedBrush);
    ReadPen(Strings, QStringLiteral("Pen"), FPen);
    ReadPen(Strings, QStringLiteral("SelectedPen"), FSelectedPen);

    // Points are collected first, so that a count far beyond the record's lines fails at its
    // first missing key instead of reserving memory for it.
    const int Count = record::Count(Strings, u"Count");
    std::vector<TPointExt> Points;
    for (int I = 0; I < Count; ++I) {
        const Extended X = record::Float(Strings, PointKey('X', I));
        Points.push_back(PointExt(X, record::Float(Strings, PointKey('Y', I))));
    }
    FPoints = std::move(Points);
    FCount = Count;
    ReadTextPoint(Strings);

    const int First = IndexOfName(Strings, kPropertiesKey);
    if (First < 0) return;
    const int Last = IndexOfName(Strings, kPropertiesEndKey);
    if (Last <= First) return;
    QStringList Lines;
    for (int I = First + 1; I < Last; ++I) Lines.append(Strings[I]);
    FProperties.Assign(Lines);
}

void TSchemeObject::ReadTextPoint(const QStringList& Strings) {
    if (FCount == 0) {
        FTextPoint = TPointExt{};
        return;
    }
    FTextPoint = FPoints[0];
    if (auto V = record::OptFloat(Strings, u"TextPoint.X")) FTextPoint.X = *V;
    if (auto V = record::OptFloat(Strings, u"TextPoint.Y")) FTextPoint.Y = *V;
}

}  // namespace scheme
