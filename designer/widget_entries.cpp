// The collection's widgets: what Designer's palette, tool tips and "What's This" say of them.
#include "designer/design_preview.h"
#include "designer/scheme_designer_plugin.h"
#include "scheme/controls/fill_style_combo_box.h"
#include "scheme/controls/numeric_edit.h"
#include "scheme/view/scheme_visual_editor.h"
#include "scheme/view/scheme_visual_editor_cursor.h"

namespace scheme::designer {

namespace {

constexpr QSize kViewSize{320, 240};
constexpr QSize kEditSize{80, 22};
constexpr QSize kComboSize{100, 22};

template <class TView>
QWidget* CreateView(QWidget* Parent) {
    auto* View = new TView(Parent);
    InstallDesignPreview(View);
    return View;
}

template <class TWidget>
QWidget* CreateWidget(QWidget* Parent) {
    return new TWidget(Parent);
}

}  // namespace

const std::vector<TWidgetEntry>& WidgetEntries() {
    static const std::vector<TWidgetEntry> Entries{
        {&TSchemeVisual::staticMetaObject, "scheme/view/scheme_visual.h", "scheme_visual",
         "SchemeVisual", "A view of a scheme document",
         "Shows a scheme document at any zoom over a background picture and a grid, with "
         "scroll bars and hints over objects. Set its SchemeData in code; its looks are "
         "properties.",
         kViewSize, CreateView<TSchemeVisual>},
        {&TSchemeVisualEditor::staticMetaObject, "scheme/view/scheme_visual_editor.h",
         "scheme_visual_editor", "SchemeVisualEditor", "An editing view of a scheme document",
         "A view in which the user grabs, drags, resizes and reshapes the objects of an "
         "editing document (TSchemeDataEditor), snapped to its grid.",
         kViewSize, CreateView<TSchemeVisualEditor>},
        {&TSchemeVisualEditorCursor::staticMetaObject, "scheme/view/scheme_visual_editor_cursor.h",
         "scheme_visual_editor_cursor", "SchemeVisualEditorCursor",
         "A drag-and-drop view of a scheme document",
         "An editing view for a drag-and-drop document (TSchemeDataEditorCursor): the "
         "application decides, while an object is dragged, whether it may be dropped where "
         "it is.",
         kViewSize, CreateView<TSchemeVisualEditorCursor>},
        {&TIntEdit::staticMetaObject, "scheme/controls/numeric_edit.h", "int_edit", "IntEdit",
         "A whole number with a range, a default and a step",
         "A line edit for a whole number: it takes only digits and signs, steps by Increment "
         "with the arrow keys and brings the number into MinValue .. MaxValue when the user "
         "leaves it.",
         kEditSize, CreateWidget<TIntEdit>},
        {&TFloatEdit::staticMetaObject, "scheme/controls/numeric_edit.h", "float_edit", "FloatEdit",
         "A number with a range, a default and a step",
         "A line edit for a floating-point number: it steps by Increment with the arrow keys "
         "and brings the number into its range, bounds included or not, when the user leaves "
         "it.",
         kEditSize, CreateWidget<TFloatEdit>},
        {&TFillStyleComboBox::staticMetaObject, "scheme/controls/fill_style_combo_box.h",
         "fill_style_combo_box", "FillStyleComboBox", "A choice of brush fill styles",
         "A drop-down list of the eight brush fill styles, each drawn as a sample in "
         "ColorPen; FillStyle is the chosen one.",
         kComboSize, CreateWidget<TFillStyleComboBox>},
    };
    return Entries;
}

}  // namespace scheme::designer
