#include "scheme/platform/color.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

#include "scheme/platform/convert.h"

namespace scheme {

namespace {

struct TColorIdent {
    TColor Value;
    const char* Name;
};

// In the order the identifiers are preferred when a value has two names.
constexpr std::array<TColorIdent, 52> kIdents{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
}};

// Older names still found in documents; read, never written.
constexpr std::array<TColorIdent, 2> kAliases{{{clSilver, "clLtGray"}, {clGray, "clDkGray"}}};

// The classic desktop scheme, used when no application palette is available.
QColor ClassicSystemColor(int Index) {
    static constexpr std::array<unsigned, 31> kClassic{
        0xC8C8C8, 0x000000, 0x000080, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
        0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x000080, 0xFFFFFF, 0xC0C0C0,
        0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xC0C0C0, 0x000000,
        0xFFFFE1, 0xB5B5B5, 0x0000FF, 0x1084D0, 0xB5B5B5, 0x316AC5, 0xC0C0C0};
    if (Index < 0 || Index >= static_cast<int>(kClassic.size())) return QColor(Qt::black);
    return QColor(QRgb(kClassic[static_cast<size_t>(Index)]));
}

QColor PaletteSystemColor(int Index) {
    if (!qGuiApp) return ClassicSystemColor(Index);
    const QPalette Palette = QGuiApplication::palette();
    switch (Index) {
        case 5:
            return Palette.color(QPalette::Base);  // clWindow
        case 8:
            return Palette.color(QPalette::Text);  // clWindowText
        case 13:
            return Palette.color(QPalette::Highlight);  // clHighlight
        case 14:
            return Palette.color(QPalette::HighlightedText);  // clHighlightText
        case 15:
            return Palette.color(QPalette::Button);  // clBtnFace
        case 16:
            return Palette.color(QPalette::Dark);  // clBtnShadow
        case 17:
            return Palette.color(QPalette::Disabled, QPalette::Text);  // clGrayText
        case 18:
            return Palette.color(QPalette::ButtonText);  // clBtnText
        case 20:
            return Palette.color(QPalette::Light);  // clBtnHighlight
        case 21:
            return Palette.color(QPalette::Shadow);  // cl3DDkShadow
        case 22:
            return Palette.color(QPalette::Midlight);  // cl3DLight
        case 23:
            return Palette.color(QPalette::ToolTipText);  // clInfoText
        case 24:
            return Palette.color(QPalette::ToolTipBase);  // clInfoBk
        default:
            return ClassicSystemColor(Index);
    }
}

}  // namespace

QString ColorToString(TColor Color) {
    for (const TColorIdent& Ident : kIdents)
        if (Ident.Value == Color) return QString::fromLatin1(Ident.Name);
    return QStringLiteral("$%1")
        .arg(static_cast<quint32>(Color), 8, 16, QLatin1Char('0'))
        .toUpper();
}

bool IdentToColor(const QString& Ident, TColor& Color) {
    auto Find = [&](const auto& Table) {
        for (const TColorIdent& Entry : Table)
            if (Ident.compare(QLatin1String(Entry.Name), Qt::CaseInsensitive) == 0) {
                Color = Entry.Value;
                return true;
            }
        return false;
    };
    return Find(kIdents) || Find(kAliases);
}

TColor StringToColor(const QString& S) {
    TColor Color = 0;
    if (IdentToColor(S, Color)) return Color;
    return StrToInt(S);
}

QColor ColorToQColor(TColor Color) {
    if (Color == clNone) return QColor(Qt::transparent);
    if (Color == clDefault) return QColor(Qt::black);
    if (Color < 0) return PaletteSystemColor(Color & 0xFF);
    return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

TColor QColorToColor(const QColor& Color) {
    return static_cast<TColor>(Color.red() | (Color.green() << 8) | (Color.blue() << 16));
}

}  // namespace scheme
