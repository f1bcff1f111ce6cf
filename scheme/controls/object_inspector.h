#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "scheme/platform/export.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace scheme {

class TFillStyleComboBox;
class TSchemeData;
class TSchemeObject;

// The fields of the objects selected in a document, to read and to edit: the kind in words,
// Id, layer, state (with the colour its layer gives it), caption, hint, position and size of
// the bounds in world units, pen and brush, visible and enabled.
//
// It follows the document whatever changes it (a view's drag, undo, code): it shows the
// selection anew once the event loop turns after a change (TSchemeData::ContentChanged,
// SelectionChanged). Every edit is one undo step named after what it changed ("Change
// caption of Shape 4") and goes through the document's own operations: a move carries the
// object's followers as a drag does (MoveObjects), a state change asks the document's
// OnObjectStatusChange. Errors of an edit (a value the document refuses) go to the
// application's error handler; the fields then show what the document holds.
//
// With several objects selected the fields show the values they share; a field whose values
// differ is blank ("mixed", a partly checked box), and an edit sets the field of every selected
// object in one step. Id, position and size are for one object only. The size is editable for
// boxes; other kinds show the size of their bounds.
//
// The controls have object names, for tests and for forms that look them up:
// InspectorKind, InspectorId, InspectorLayer, InspectorState, InspectorStateColor,
// InspectorCaption, InspectorHint, InspectorLeft, InspectorTop, InspectorWidth,
// InspectorHeight, InspectorPenColor, InspectorPenStyle, InspectorPenWidth,
// InspectorBrushColor, InspectorBrushStyle, InspectorVisible, InspectorEnabled.
class SCHEME_EXPORT TSchemeObjectInspector : public QWidget {
    Q_OBJECT

public:
    explicit TSchemeObjectInspector(QWidget* Parent = nullptr);
    ~TSchemeObjectInspector() override;

    TSchemeData* SchemeData() const { return FData; }
    // The document whose selection is shown; none shows no selection. The document may be
    // destroyed first: the inspector then shows nothing.
    void SetSchemeData(TSchemeData* AData);
    // Shows the selection as it is now.
    void Refresh();

private:
    class TSpinBox;
    class TDoubleSpinBox;
    void Build();
    void Connect();
    void ShowNone(const QString& Kind);
    void ShowObjects(const std::vector<TSchemeObject*>& Objects);
    void SetEditable(bool Any, bool One, bool Box);
    // Runs Change on every selected object as one undo step named by Verb; errors go to the
    // application's error handler. The fields are shown anew afterwards.
    template <class F>
    void Edit(const QString& Verb, F&& Change);
    void EditPosition(bool Horizontal, double Value);
    void EditSize(bool Horizontal, double Value);
    void EditColor(bool OfPen);

    QPointer<TSchemeData> FData;
    bool FRefreshing = false;

    QLabel* FKind = nullptr;
    TSpinBox* FId = nullptr;
    QLabel* FLayer = nullptr;
    TSpinBox* FState = nullptr;
    QLabel* FStateColor = nullptr;
    QLineEdit* FCaption = nullptr;
    QLineEdit* FHint = nullptr;
    TDoubleSpinBox* FLeft = nullptr;
    TDoubleSpinBox* FTop = nullptr;
    TDoubleSpinBox* FWidth = nullptr;
    TDoubleSpinBox* FHeight = nullptr;
    QToolButton* FPenColor = nullptr;
    QComboBox* FPenStyle = nullptr;
    TSpinBox* FPenWidth = nullptr;
    QToolButton* FBrushColor = nullptr;
    TFillStyleComboBox* FBrushStyle = nullptr;
    QCheckBox* FVisible = nullptr;
    QCheckBox* FEnabled = nullptr;
};

}  // namespace scheme
