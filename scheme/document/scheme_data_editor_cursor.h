#pragma once

#include <functional>

#include "scheme/document/scheme_data_editor.h"

namespace scheme {

// A drag of an object in a drag-and-drop view. Sender is the document, VisualSender the view,
// X and Y the pointer's position in world units (never snapped), OffsetX and OffsetY the grab
// offsets, so that (X - OffsetX, Y - OffsetY) is where the object's reference corner would go.
// A handler sets AEnabled to False to refuse.
using TSchemeDataObjectDragDrop = std::function<void(
    TObject* Sender, TObject* VisualSender, TShiftState Shift, TSchemeObject* AObject, Extended X,
    Extended Y, Extended OffsetX, Extended OffsetY, bool& AEnabled)>;
using TSchemeDataObjectAfterDragDrop = std::function<void(
    TObject* Sender, TObject* VisualSender, TShiftState Shift, TSchemeObject* AObject, Extended X,
    Extended Y, Extended OffsetX, Extended OffsetY)>;

// The document of the drag-and-drop view: an editing document whose events let the
// application allow or refuse each drag, each place the pointer passes and each drop.
class SCHEME_EXPORT TSchemeDataEditorCursor : public TSchemeDataEditor {
    Q_OBJECT

public:
    using TSchemeDataEditor::TSchemeDataEditor;

    // When the body of an object is grabbed.
    TSchemeDataObjectDragDrop OnObjectStartDrag;
    // On every move while an object is held; AEnabled comes in as the previous verdict.
    TSchemeDataObjectDragDrop OnObjectCanDrop;
    // At the release of a body drag whose last verdict allowed the drop.
    TSchemeDataObjectDragDrop OnObjectBeforeDragDrop;
    // After such a release, whether the drop was made or refused.
    TSchemeDataObjectAfterDragDrop OnObjectAfterDragDrop;

    // Each raises its event with the document as Sender; without a handler AEnabled keeps the
    // value the caller put in.
    void ObjectStartDrag(TObject* VisualSender, TShiftState Shift, TSchemeObject* AObject,
                         Extended X, Extended Y, Extended OffsetX, Extended OffsetY,
                         bool& AEnabled);
    void CanDrop(TObject* VisualSender, TShiftState Shift, TSchemeObject* AObject, Extended X,
                 Extended Y, Extended OffsetX, Extended OffsetY, bool& AEnabled);
    void ObjectBeforeDragDrop(TObject* VisualSender, TShiftState Shift, TSchemeObject* AObject,
                              Extended X, Extended Y, Extended OffsetX, Extended OffsetY,
                              bool& AEnabled);
    void ObjectAfterDragDrop(TObject* VisualSender, TShiftState Shift, TSchemeObject* AObject,
                             Extended X, Extended Y, Extended OffsetX, Extended OffsetY);
};

}  // namespace scheme
