#pragma once
// Sample records of every built-in object kind and the changes every kind may be asked to
// make: shared by the object contract and the history's contract, so that a new kind or a new
// change is covered by both.
#include <QString>
#include <functional>
#include <map>

#include "scheme/model/scheme_object.h"
#include "scheme/model/scheme_polygon.h"

namespace scheme::testing {

inline const char* const kBoxCorners = "Count=4|X0=20|Y0=30|X1=80|Y1=30|X2=80|Y2=70|X3=20|Y3=70";
// A 2 x 2 BMP: red and blue over white (the transparent colour) and green.
inline const char* const kTinyBitmap =
    "Graphic=TBitmap|424D460000000000000036000000280000000200000002000000010018000000|"
    "000010000000130B0000130B00000000000000000000FFFFFF00FF0000000000|FFFF00000000";

// A sample record per object kind: a mid-sized object around (50, 50).
inline const std::map<QString, QString>& SampleRecords() {
    static const std::map<QString, QString> Samples{
        {QStringLiteral("TSchemeBox"), QStringLiteral("ID=1|State=1|%1").arg(kBoxCorners)},
        {QStringLiteral("TSchemeShape"),
         QStringLiteral("ID=1|State=1|%1|Shape=4").arg(kBoxCorners)},
        {QStringLiteral("TSchemePolygon"),
         QStringLiteral("ID=1|State=1|Count=5|X0=50|Y0=20|X1=80|Y1=42|X2=68|Y2=78|X3=32|Y3=78|"
                        "X4=20|Y4=42")},
        {QStringLiteral("TSchemeLine"),
         QStringLiteral("ID=1|State=1|Count=2|X0=20|Y0=30|X1=80|Y1=70|Pen.Width=3|"
                        "VisibleArrow=1")},
        {QStringLiteral("TSchemePolyline"),
         QStringLiteral("ID=1|State=1|FullRepaintIfMoved=0|Count=4|X0=20|Y0=20|X1=50|Y1=50|"
                        "X2=80|Y2=20|X3=80|Y3=80|Pen.Width=2|VisibleArrow=1|BackArrow=1|"
                        "LengthArrow=15")},
        {QStringLiteral("TSchemePicture"),
         QStringLiteral("ID=1|State=1|%1|%2").arg(kBoxCorners, kTinyBitmap)},
        {QStringLiteral("TSchemeText"),
         QStringLiteral("ID=1|State=1|Text=Pump#2|%1|FontAutoSize=0").arg(kBoxCorners)},
        // The lists name nothing here: the references must survive as text.
        {QStringLiteral("TSchemeInternalPicture"),
         QStringLiteral("ID=1|State=1|%1|Transparent=0|ImageIndex=2|ImageList=Nowhere.Images|"
                        "SelectedImageList=Nowhere.Selected")
             .arg(kBoxCorners)},
    };
    return Samples;
}

// What every kind may be asked to change, and the operations of the vertex kinds.
struct TChange {
    const char* Name;
    std::function<void(TSchemeObject&)> Apply;
    bool VerticesOnly = false;
};
inline TSchemePolygon& Vertices(TSchemeObject& Obj) {
    return dynamic_cast<TSchemePolygon&>(Obj);
}
inline const TChange kChanges[] = {
    {"point", [](TSchemeObject& O) { O.SetPointsExtA(1, PointExt(93, 91)); }},
    {"move", [](TSchemeObject& O) { O.MoveToExt(PointExt(-40, 7)); }},
    {"text", [](TSchemeObject& O) { O.SetText(QStringLiteral("Valve\nV-7")); }},
    {"text point", [](TSchemeObject& O) { O.SetTextPoint(PointExt(110, -20)); }},
    {"state", [](TSchemeObject& O) { O.SetState(2); }},
    {"selected", [](TSchemeObject& O) { O.SetSelected(true); }},
    {"resized", [](TSchemeObject& O) { O.SetResized(true); }},
    {"active hook", [](TSchemeObject& O) { O.SetResizedPoint(1); }},
    {"visible", [](TSchemeObject& O) { O.SetVisible(false); }},
    {"enabled", [](TSchemeObject& O) { O.SetEnabled(false); }},
    {"pen", [](TSchemeObject& O) { O.Pen()->SetWidth(14); }},
    {"selected pen", [](TSchemeObject& O) { O.SelectedPen()->SetWidth(11); }},
    {"brush", [](TSchemeObject& O) { O.Brush()->SetColor(clRed); }},
    {"pen copy", [](TSchemeObject& O) { O.SetPen(TPen()); }},
    {"state colour", [](TSchemeObject& O) { O.SetStateColorSupport(false); }},
    {"hint", [](TSchemeObject& O) { O.SetHintString(QStringLiteral("Flow 3 m3/h")); }},
    {"properties", [](TSchemeObject& O) { O.SetProperties({QStringLiteral("a=1")}); }},
    {"add vertex", [](TSchemeObject& O) { Vertices(O).AddPoint(0); }, true},
    {"add at",
     [](TSchemeObject& O) {
         Vertices(O).AddPointExt({1, 2});
     },
     true},
    {"delete vertex", [](TSchemeObject& O) { Vertices(O).DeletePoint(0); }, true},
    {"add active", [](TSchemeObject& O) { Vertices(O).AddResizedPoint(); }, true},
    {"delete active", [](TSchemeObject& O) { Vertices(O).DeleteResizedPoint(); }, true},
};

}  // namespace scheme::testing
