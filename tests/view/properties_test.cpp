// The widgets' Qt properties: what forms store and Designer edits. Every property a library
// class declares must be listed here with its documented default and another value; each is
// checked for its default, a write and read through the property system, and its reset.
#include <gtest/gtest.h>

#include <QMetaProperty>
#include <cmath>
#include <memory>

#include "scheme/controls/fill_style_combo_box.h"
#include "scheme/controls/numeric_edit.h"
#include "scheme/platform/error_handler.h"
#include "scheme/view/scheme_visual_editor.h"
#include "scheme/view/scheme_visual_editor_cursor.h"

namespace scheme::testing {
namespace {

struct TPropertyRow {
    const char* Name;
    QVariant Default;
    QVariant Other;
};

const std::vector<TPropertyRow> kViewRows{
    {"Color", "clWindow", "clYellow"},
    {"Zoom", 1.0, 2.5},
    {"Param", 0, 7},
    {"GridEnabled", false, true},
    {"GridDeltaX", 0.0, 25.0},
    {"GridDeltaY", 0.0, 12.5},
    {"GridPenColor", "clBlack", "clLime"},
    {"GridPenStyle", QVariant::fromValue(TPenStyle::psSolid),
     QVariant::fromValue(TPenStyle::psDot)},
    {"ShowHint", true, false},
    {"HintWidth", 100, 150},
    {"HintHeight", 50, 70},
    {"HintColor", "$0080FFFF", "clWhite"},
    {"HintPause", 5, 2},
    {"HintHidePause", 10, 20},
    {"WheelZoomFactor", 1.25, 1.5},
    {"Antialiasing", false, true},
    {"ShowLinks", false, true},
};

std::vector<TPropertyRow> EditingViewRows() {
    std::vector<TPropertyRow> Rows = kViewRows;
    Rows.push_back({"DragCursor", QVariant::fromValue(crDrag), QVariant::fromValue(crHandPoint)});
    Rows.push_back({"MinZoomForResize", 1.0, 0.5});
    Rows.push_back({"EditEnabled", true, false});
    return Rows;
}

template <class T>
std::vector<TPropertyRow> NumericEditRows(T Other) {
    return {{"MinValue", T{}, -Other},
            {"MaxValue", T{}, Other},
            {"DefaultValue", T{}, Other},
            {"Increment", T{}, Other},
            {"Value", T{}, Other}};
}

struct TWidgetRows {
    const char* Class;
    const QMetaObject* LibraryBase;  // the Qt class the library's properties come after
    std::function<QWidget*()> Create;
    std::vector<TPropertyRow> Rows;
};

std::vector<TWidgetRows> AllWidgets() {
    auto FloatRows = NumericEditRows<double>(3.5);
    FloatRows.push_back({"IncludeBounds", true, false});
    return {
        {"TSchemeVisual", &QAbstractScrollArea::staticMetaObject, [] { return new TSchemeVisual; },
         kViewRows},
        {"TSchemeVisualEditor", &QAbstractScrollArea::staticMetaObject,
         [] { return new TSchemeVisualEditor; }, EditingViewRows()},
        {"TSchemeVisualEditorCursor", &QAbstractScrollArea::staticMetaObject,
         [] { return new TSchemeVisualEditorCursor; }, EditingViewRows()},
        {"TIntEdit", &QLineEdit::staticMetaObject, [] { return new TIntEdit; },
         NumericEditRows<int>(4)},
        {"TFloatEdit", &QLineEdit::staticMetaObject, [] { return new TFloatEdit; }, FloatRows},
        {"TFillStyleComboBox",
         &QComboBox::staticMetaObject,
         [] { return new TFillStyleComboBox; },
         {{"FillStyle", QVariant::fromValue(TBrushStyle::bsSolid),
           QVariant::fromValue(TBrushStyle::bsCross)},
          {"MaxFillStyle", QVariant::fromValue(TBrushStyle::bsDiagCross),
           QVariant::fromValue(TBrushStyle::bsCross)},
          {"ColorPen", "clBlack", "clRed"}}},
    };
}

const TPropertyRow* FindRow(const std::vector<TPropertyRow>& Rows, const char* Name) {
    for (const TPropertyRow& Row : Rows)
        if (qstrcmp(Row.Name, Name) == 0) return &Row;
    return nullptr;
}

TEST(WidgetProperties, EveryPropertyHasItsDefaultAndWritesReadsAndResets) {
    for (const TWidgetRows& Widget : AllWidgets()) {
        SCOPED_TRACE(Widget.Class);
        std::unique_ptr<QWidget> W(Widget.Create());
        const QMetaObject* Meta = W->metaObject();
        for (int I = Widget.LibraryBase->propertyCount(); I < Meta->propertyCount(); ++I) {
            const QMetaProperty P = Meta->property(I);
            SCOPED_TRACE(P.name());
            const TPropertyRow* Row = FindRow(Widget.Rows, P.name());
            ASSERT_NE(Row, nullptr) << "a property without a documented default";
            EXPECT_EQ(P.read(W.get()), Row->Default);
            EXPECT_TRUE(P.write(W.get(), Row->Other));
            EXPECT_EQ(P.read(W.get()), Row->Other);
            if (P.isDesignable()) {
                EXPECT_TRUE(P.isResettable());
                EXPECT_TRUE(P.reset(W.get()));
                EXPECT_EQ(P.read(W.get()), Row->Default);
            }
        }
    }
}

// A value the setter refuses goes to the application's error handler, never through Qt's
// property system, and the property keeps its value.
TEST(WidgetProperties, RefusedValuesAreReportedAndChangeNothing) {
    QStringList Errors;
    const TExceptionHandler Previous = SetExceptionHandler(
        [&](const std::exception& E) { Errors << QString::fromUtf8(E.what()); });
    TSchemeVisualEditor View;
    View.SetZoom(2);
    EXPECT_TRUE(View.setProperty("Zoom", 20.0));
    EXPECT_TRUE(View.setProperty("Color", "no colour"));
    EXPECT_TRUE(View.setProperty("HintColor", "$GG"));
    EXPECT_EQ(View.Zoom(), 2);
    EXPECT_EQ(View.Color(), clWindow);
    EXPECT_EQ(View.HintColor(), TSchemeVisual::kDefaultHintColor);
    TIntEdit Edit;
    Edit.SetMinValue(1);
    Edit.SetMaxValue(5);
    EXPECT_TRUE(Edit.setProperty("DefaultValue", 9));
    EXPECT_EQ(Edit.DefaultValue(), 1);
    SetExceptionHandler(Previous);
    ASSERT_EQ(Errors.size(), 4);
    EXPECT_EQ(Errors[0], "Zoom ?");
    EXPECT_TRUE(Errors[1].contains("no colour"));
    EXPECT_FALSE(Errors[3].isEmpty());
}

// The property holds a double: one tenth is refused as the setter refuses 0.1L; the double
// next above it and ten are taken.
TEST(WidgetProperties, ZoomLimitsHoldForTheDoubleOfTheProperty) {
    QStringList Errors;
    const TExceptionHandler Previous = SetExceptionHandler(
        [&](const std::exception& E) { Errors << QString::fromUtf8(E.what()); });
    TSchemeVisualEditor View;
    const struct {
        double Zoom;
        double Kept;
    } Cases[] = {
        {0.1, 2},
        {std::nextafter(0.1, 0.0), 2},
        {std::nextafter(0.1, 1.0), std::nextafter(0.1, 1.0)},
        {10, 10},
        {std::nextafter(10.0, 11.0), 2},
    };
    for (const auto& C : Cases) {
        View.SetZoom(2);
        Errors.clear();
        EXPECT_TRUE(View.setProperty("Zoom", C.Zoom));
        EXPECT_EQ(View.property("Zoom").toDouble(), C.Kept) << C.Zoom;
        EXPECT_EQ(Errors.size(), C.Kept == 2 ? 1 : 0) << C.Zoom;
    }
    SetExceptionHandler(Previous);
}

// Enumerations are stored by name: a form's text reaches the property.
TEST(WidgetProperties, EnumerationsAreWrittenByName) {
    TSchemeVisualEditor View;
    EXPECT_TRUE(View.setProperty("DragCursor", "crHandPoint"));
    EXPECT_TRUE(View.setProperty("GridPenStyle", "psDashDot"));
    EXPECT_EQ(View.DragCursor(), crHandPoint);
    EXPECT_EQ(View.GridPen().Style(), TPenStyle::psDashDot);
}

}  // namespace
}  // namespace scheme::testing
