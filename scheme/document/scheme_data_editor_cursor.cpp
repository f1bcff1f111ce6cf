#include "scheme/document/scheme_data_editor_cursor.h"

namespace scheme {

void TSchemeDataEditorCursor::ObjectStartDrag(TObject* VisualSender, TShiftState Shift,
                                              TSchemeObject* AObject, Extended X, Extended Y,
                                              Extended OffsetX, Extended OffsetY, bool& AEnabled) {
    if (OnObjectStartDrag)
        OnObjectStartDrag(this, VisualSender, Shift, AObject, X, Y, OffsetX, OffsetY, AEnabled);
}

void TSchemeDataEditorCursor::CanDrop(TObject* VisualSender, TShiftState Shift,
                                      TSchemeObject* AObject, Extended X, Extended Y,
                                      Extended OffsetX, Extended OffsetY, bool& AEnabled) {
    if (OnObjectCanDrop)
        OnObjectCanDrop(this, VisualSender, Shift, AObject, X, Y, OffsetX, OffsetY, AEnabled);
}

void TSchemeDataEditorCursor::ObjectBeforeDragDrop(TObject* VisualSender, TShiftState Shift,
                                                   TSchemeObject* AObject, Extended X, Extended Y,
                                                   Extended OffsetX, Extended OffsetY,
                                                   bool& AEnabled) {
    if (OnObjectBeforeDragDrop)
        OnObjectBeforeDragDrop(this, VisualSender, Shift, AObject, X, Y, OffsetX, OffsetY,
                               AEnabled);
}

void TSchemeDataEditorCursor::ObjectAfterDragDrop(TObject* VisualSender, TShiftState Shift,
                                                  TSchemeObject* AObject, Extended X, Extended Y,
                                                  Extended OffsetX, Extended OffsetY) {
    if (OnObjectAfterDragDrop)
        OnObjectAfterDragDrop(this, VisualSender, Shift, AObject, X, Y, OffsetX, OffsetY);
}

}  // namespace scheme
