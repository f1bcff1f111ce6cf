#pragma once

#include <memory>
#include <vector>

#include "scheme/document/scheme_data.h"
#include "scheme/document/scheme_grid_type.h"

namespace scheme {

// What the editing document needs of a view that grabs its objects with the mouse: the object
// held, and a way to let go of it at once when the object or the document goes away.
class SCHEME_EXPORT ISchemeGrabbingVisual {
public:
    virtual ~ISchemeGrabbingVisual();
    // The object held, or none.
    virtual TSchemeObject* HeldObject() const = 0;
    // Every object held while one is: the held one and those moving with it.
    virtual std::vector<TSchemeObject*> HeldObjects() const;
    // Ends the grab without publishing anything: the object (or the document) is leaving.
    virtual void LetGoOfHeldObject() = 0;
};

// An editing view whose drags TSchemeDataEditor::ObjectDragging reports.
class SCHEME_EXPORT ISchemeDraggingVisual {
public:
    virtual ~ISchemeDraggingVisual();
    // True from the first move of a held object until its release.
    virtual bool Dragging() const = 0;
};

// The document the editing views work on: a document with an alignment grid to which dragged
// positions snap, the insertion and deletion of a polygon's active point, and the question
// whether an editing view drags an object now. It adds nothing to the document's text.
//
// While a view holds one of its objects, the document lets the view go of it first when the
// object leaves (deleted, its layer removed) and when the document itself is destroyed, so
// that no object stays marked as moving and no view holds a freed object.
class SCHEME_EXPORT TSchemeDataEditor : public TSchemeData {
    Q_OBJECT

public:
    explicit TSchemeDataEditor(QObject* AOwner = nullptr);
    ~TSchemeDataEditor() override;

    // The alignment grid; a fresh one is off with both deltas 0. Changing it repaints nothing.
    TSchemeGridType& AlignToGrid() { return *FAlignToGrid; }
    const TSchemeGridType& AlignToGrid() const { return *FAlignToGrid; }
    // Copies the given settings into the document's own through their setters; the object
    // stays the caller's. None (nullptr) leaves the settings as they are.
    virtual void SetGrid(const TSchemeGridType* AValue);

    // Snaps a world point to the alignment grid (anchored at world (0, 0)), each axis by
    // itself: an axis whose delta is not positive stays as it is; an exact half rounds to the
    // even multiple. Nothing changes while the grid is off.
    void AlignPointToGrid(Extended& X, Extended& Y) const;

    // A polygon or polyline gets a point after its active one, which becomes active; other
    // kinds are left alone. The polygon's errors ("Can't add point!") propagate.
    void ObjectAddResizedPointDirect(TSchemeObject* AObject);
    // A polygon or polyline loses its active point, the one before becomes active; other
    // kinds are left alone. The polygon's errors ("Can't delete point!") propagate.
    void ObjectDeleteResizedPointDirect(TSchemeObject* AObject);

    // Whether any registered editing view drags an object now; plain views and drag-and-drop
    // views are not asked.
    bool ObjectDragging() const;

    void SchemeChanged(const TSchemeNotice& Notice) override;

private:
    // Every registered view that holds an object for which Leaves answers True lets go of it.
    template <class F>
    void LetGoWhere(F&& Leaves);

    std::unique_ptr<TSchemeGridType> FAlignToGrid;
};

}  // namespace scheme
