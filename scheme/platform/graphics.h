#pragma once

#include <QBrush>
#include <QFont>
#include <QObject>
#include <QPen>
#include <QString>

#include "scheme/platform/color.h"
#include "scheme/platform/export.h"
#include "scheme/platform/object.h"
#include "scheme/platform/types.h"

namespace scheme {

// The library's enumerations that widget properties use are known to Qt's meta-object system,
// so that forms store them by name and property editors offer their values.
Q_NAMESPACE_EXPORT(SCHEME_EXPORT)

// Style enumerations keep the ordinals that records store. They are plain enumerations, so that
// forms name their values as Designer writes them (scheme::psDot); code still names them
// TPenStyle::psDot.
enum TPenStyle : int {
    psSolid = 0,
    psDash = 1,
    psDot = 2,
    psDashDot = 3,
    psDashDotDot = 4,
    psClear = 5,
    psInsideFrame = 6,
};

enum TBrushStyle : int {
    bsSolid = 0,
    bsClear = 1,
    bsHorizontal = 2,
    bsVertical = 3,
    bsFDiagonal = 4,
    bsBDiagonal = 5,
    bsCross = 6,
    bsDiagCross = 7,
};

// Screen cursors, numbered as the original platform numbers them.
enum TCursor : int {
    crDefault = 0,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNS = -7,
    crSizeWE = -9,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHandPoint = -21,
    crSizeAll = -22,
};

Q_ENUM_NS(TPenStyle)
Q_ENUM_NS(TBrushStyle)
Q_ENUM_NS(TCursor)

enum TFontStyle : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = int;

// A pen's and a brush's settings as plain values, for holders of many (objects keep theirs so
// and hand out tool objects only when asked for them).
struct TPenData {
    TColor Color = clBlack;
    TPenStyle Style = TPenStyle::psSolid;
    int Width = 1;
    friend bool operator==(const TPenData&, const TPenData&) = default;
};

struct TBrushData {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
    friend bool operator==(const TBrushData&, const TBrushData&) = default;
};

// Base of the drawing tools: a change notification fired after every change of a setting, and
// the owner (if any) told just before it.
class SCHEME_EXPORT TGraphicsObject : public TObject {
public:
    TNotifyHandler OnChange;
    void SetChangingOwner(TObject* Owner) { FChangingOwner = Owner; }

protected:
    void Changing() {
        if (FChangingOwner) FChangingOwner->PartChanging(this);
    }
    void Changed();

private:
    TObject* FChangingOwner = nullptr;
};

class SCHEME_EXPORT TPen : public TGraphicsObject {
public:
    TColor Color() const { return FData.Color; }
    void SetColor(TColor Value);
    TPenStyle Style() const { return FData.Style; }
    void SetStyle(TPenStyle Value);
    // The widest pen. A canvas's pen is a TPen too and takes a document pen's width times the
    // zoom, which the pixel conversions saturate at kPixelLimit, so the bound is that limit:
    // every zoomed width fits, and a width plus a pixel coordinate, or twice a width, cannot
    // overflow an int. It is far above anything drawn: the canvas strokes at most 10000 pixels.
    static constexpr int kMaxWidth = kPixelLimit;

    // Width in pixels; a negative width counts as 0 (the thinnest line). A width above
    // kMaxWidth raises ESchemeErrorException and leaves the pen as it was.
    int Width() const { return FData.Width; }
    void SetWidth(int Value);
    // The width SetWidth stores for Value, or the error it raises.
    static int CheckedWidth(int Value);
    // Copies every setting and notifies once.
    void Assign(const TPen& Source) { Assign(Source.FData); }
    void Assign(const TPenData& Source);
    const TPenData& Data() const { return FData; }
    // Takes every setting without notifying anyone: for an owner that keeps the settings
    // elsewhere too and brings the pen up to date with them.
    void SetData(const TPenData& Value) { FData = Value; }

private:
    TPenData FData;
};

class SCHEME_EXPORT TBrush : public TGraphicsObject {
public:
    TColor Color() const { return FData.Color; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FData.Style; }
    void SetStyle(TBrushStyle Value);
    void Assign(const TBrush& Source) { Assign(Source.FData); }
    void Assign(const TBrushData& Source);
    const TBrushData& Data() const { return FData; }
    // As TPen::SetData.
    void SetData(const TBrushData& Value) { FData = Value; }

private:
    TBrushData FData;
};

class SCHEME_EXPORT TFont : public TGraphicsObject {
public:
    // The logical resolution that turns point sizes into pixels.
    static constexpr int PixelsPerInch = 96;

    const QString& Name() const { return FName; }
    void SetName(const QString& Value);
    // Size in points; a negative size is a character height in pixels.
    int Size() const { return FSize; }
    void SetSize(int Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    void Assign(const TFont& Source);

    // The font's height in pixels.
    int PixelHeight() const;
    QFont ToQFont() const;

private:
    QString FName = QStringLiteral("MS Sans Serif");
    int FSize = 8;
    TColor FColor = clWindowText;
    TFontStyles FStyle = 0;
};

// A style ordinal outside the enumeration paints as the default style.
SCHEME_EXPORT Qt::PenStyle ToQtPenStyle(TPenStyle Style);
SCHEME_EXPORT Qt::BrushStyle ToQtBrushStyle(TBrushStyle Style);

}  // namespace scheme
