// The object record: the base key=value lines every kind shares.
#include <algorithm>
#include <string_view>
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

// The keys of a pen's or a brush's settings: "<Name>.Color" and so on.
struct TToolKeys {
    record::TKey Color, Style, Width;
};
constexpr TToolKeys kBrushKeys{"Brush.Color", "Brush.Style", ""};
constexpr TToolKeys kSelectedBrushKeys{"SelectedBrush.Color", "SelectedBrush.Style", ""};
constexpr TToolKeys kPenKeys{"Pen.Color", "Pen.Style", "Pen.Width"};
constexpr TToolKeys kSelectedPenKeys{"SelectedPen.Color", "SelectedPen.Style", "SelectedPen.Width"};

void WritePen(record::TRecordWriter& Writer, const TToolKeys& Keys, const TPenData& Pen) {
    if (Pen.Color != clBlack) Writer.WriteColor(Keys.Color.Name(), Pen.Color);
    if (Pen.Style != TPenStyle::psSolid)
        Writer.WriteInt(Keys.Style.Name(), static_cast<int>(Pen.Style));
    if (Pen.Width != 1) Writer.WriteInt(Keys.Width.Name(), Pen.Width);
}

void WriteBrush(record::TRecordWriter& Writer, const TToolKeys& Keys, const TBrushData& Brush) {
    if (Brush.Color != clWhite) Writer.WriteColor(Keys.Color.Name(), Brush.Color);
    if (Brush.Style != TBrushStyle::bsSolid)
        Writer.WriteInt(Keys.Style.Name(), static_cast<int>(Brush.Style));
}

void ReadPen(const record::TRecord& Record, const TToolKeys& Keys, TPenData& Pen) {
    if (auto V = Record.OptColor(Keys.Color)) Pen.Color = *V;
    if (auto V = Record.OptInt(Keys.Style)) Pen.Style = static_cast<TPenStyle>(*V);
    if (auto V = Record.OptInt(Keys.Width)) {
        // Stored widths are what a pen holds: never negative, never above its limit.
        if (*V < 0 || *V > TPen::kMaxWidth)
            RaiseError(QStringLiteral("Invalid %1: %2 is not within 0 .. %3")
                           .arg(QLatin1StringView(Keys.Width.Name().data(),
                                                  qsizetype(Keys.Width.Name().size())))
                           .arg(*V)
                           .arg(TPen::kMaxWidth));
        Pen.Width = *V;
    }
}

void ReadBrush(const record::TRecord& Record, const TToolKeys& Keys, TBrushData& Brush) {
    if (auto V = Record.OptColor(Keys.Color)) Brush.Color = *V;
    if (auto V = Record.OptInt(Keys.Style)) Brush.Style = static_cast<TBrushStyle>(*V);
}

}  // namespace

void TSchemeObject::SaveToStrings(QStringList& Strings) const {
    record::TRecordWriter Writer(Strings);
    WriteRecord(Writer);
}

void TSchemeObject::WriteRecord(record::TRecordWriter& Writer) const {
    Writer.WriteInt("ID", FId);
    Writer.WriteInt("State", FState);
    if (FLayer) Writer.WriteInt("LayerID", FLayer->ID());
    WriteBaseFlags(Writer);
    if (!TrimmedView(Text()).isEmpty()) Writer.Write("Text", EncodeText(Text()));
    const TPointExt Anchor = FPoints.Anchor();
    if (Count() > 0) {
        const TPointExt First = FPoints.Point(0);
        if (Anchor.X != First.X || Anchor.Y != First.Y) {
            Writer.WriteFloat("TextPoint.X", Anchor.X);
            Writer.WriteFloat("TextPoint.Y", Anchor.Y);
        }
    }
    WriteDrawingTools(Writer);
    WritePoints(Writer);
    WriteProperties(Writer);
}

void TSchemeObject::WriteBaseFlags(record::TRecordWriter& Writer) const {
    if (!FVisible) Writer.WriteInt("Visible", 0);
    if (!FEnabled) Writer.WriteInt("Enabled", 0);
    if (!FFullRepaintIfMoved) Writer.WriteInt("FullRepaintIfMoved", 0);
    if (!FStateColorSupport) Writer.WriteInt("StateColorSupport", 0);
}

void TSchemeObject::WriteDrawingTools(record::TRecordWriter& Writer) const {
    WriteBrush(Writer, kBrushKeys, BrushData());
    WriteBrush(Writer, kSelectedBrushKeys, SelectedBrushData());
    WritePen(Writer, kPenKeys, PenData());
    WritePen(Writer, kSelectedPenKeys, SelectedPenData());
}

void TSchemeObject::WritePoints(record::TRecordWriter& Writer) const {
    if (Count() == 0) return;
    Writer.WriteInt("Count", Count());
    if (const double* Entries = FPoints.Narrow()) {
        for (int I = 0; I < Count(); ++I)
            Writer.WritePoint(I, Entries[2 * I + 2], Entries[2 * I + 3]);
        return;
    }
    for (int I = 0; I < Count(); ++I) Writer.WritePoint(I, FPoints.Point(I));
}

void TSchemeObject::WriteProperties(record::TRecordWriter& Writer) const {
    const QStringList& Lines = PropertyLines();
    if (Lines.isEmpty()) return;
    Writer.WriteLine(record::kPrefix + kPropertiesKey + QLatin1String("=>"));
    for (const QString& Line : Lines) Writer.WriteLine(record::kPrefix + record::kPrefix + Line);
    Writer.WriteLine(record::kPrefix + kPropertiesEndKey + QLatin1String("=>"));
}

// Applies a record to an object that has just been initialised with its Id and State. Setters
// are bypassed: the object is not in a layer yet and nobody listens.
void TSchemeObject::ReadRecord(const record::TRecord& Record) {
    if (auto V = Record.OptFlag("Visible")) FVisible = *V;
    if (auto V = Record.OptFlag("Enabled")) FEnabled = *V;
    if (auto V = Record.OptFlag("FullRepaintIfMoved")) FFullRepaintIfMoved = *V;
    if (auto V = Record.OptFlag("StateColorSupport")) FStateColorSupport = *V;
    if (auto V = Record.FindText("Text")) {
        FCaption = std::make_unique<TCaption>();
        FCaption->Text = DecodeText(*V);
    }
    ReadBrush(Record, kBrushKeys, FBrushData);
    ReadBrush(Record, kSelectedBrushKeys, FSelectedBrushData);
    ReadPen(Record, kPenKeys, FPenData);
    ReadPen(Record, kSelectedPenKeys, FSelectedPenData);

    // A record holds a line for each coordinate: a count within its lines is read straight into
    // the points. One beyond them fails at its first missing key; its points are collected first,
    // so that no memory is reserved for the count.
    const int Count = Record.Count("Count");
    auto PointAt = [&Record](int I) {
        const Extended X = Record.Point('X', I);
        return TPointExt{X, Record.Point('Y', I)};
    };
    if (Count <= Record.Size()) {
        FPoints.Reset(Count);
        for (int I = 0; I < Count; ++I) FPoints.SetPoint(I, PointAt(I));
    } else {
        std::vector<TPointExt> Points;
        Points.reserve(size_t(Record.Size()));
        for (int I = 0; I < Count; ++I) Points.push_back(PointAt(I));
        FPoints.Reset(Count);
        for (int I = 0; I < Count; ++I) FPoints.SetPoint(I, Points[size_t(I)]);
    }
    ReadTextPoint(Record);

    const int First = Record.IndexOfName("Properties");
    if (First < 0) return;
    const int Last = Record.IndexOfName("PropertiesEnd");
    if (Last <= First) return;
    Properties()->Assign(Record.Strings(First + 1, Last));
}

void TSchemeObject::ReadTextPoint(const record::TRecord& Record) {
    if (Count() == 0) {
        FPoints.SetAnchor(TPointExt{});
        return;
    }
    TPointExt Anchor = FPoints.Point(0);
    if (auto V = Record.OptFloat("TextPoint.X")) Anchor.X = *V;
    if (auto V = Record.OptFloat("TextPoint.Y")) Anchor.Y = *V;
    FPoints.SetAnchor(Anchor);
}

}  // namespace scheme
