#pragma once

#include "scheme/model/scheme_object.h"
#include "scheme/platform/object.h"
#include "scheme/platform/types.h"

namespace scheme {

class TCanvas;

// What a document needs of a view that shows it. Views register with the document, which
// tells them to repaint and paints straight into them; InvalidateRgn takes regions in the
// view's client pixels.
class SCHEME_EXPORT ISchemeVisual : public TObject, public IWindowHandle {
public:
    // Pixels per world unit.
    virtual Extended Zoom() const = 0;
    // Handed unchanged to every geometry and paint operation of the objects.
    virtual int Param() const = 0;
    // The zoomed pixel shown at the view's top-left corner (its scroll position).
    virtual int OriginX() const = 0;
    virtual int OriginY() const = 0;
    // A canvas that paints straight onto the view, its window origin at the view's origin.
    virtual TCanvas* GetCanvas() = 0;
    // The same canvas, for painting that stays within ZoomedArea (zoomed pixels), so that a view
    // need show no more than that area afresh.
    virtual TCanvas* GetCanvasFor(const TRect& ZoomedArea) {
        (void)ZoomedArea;
        return GetCanvas();
    }
    // The zoomed pixels the view shows; by default every pixel, so that nothing is left out.
    virtual TRect VisibleRect() const {
        return TRect{-kPixelLimit, -kPixelLimit, kPixelLimit, kPixelLimit};
    }
    // Invalidates only the areas the document's objects cover.
    virtual void RepaintOnlySchemeData() = 0;
    // Repaints the whole view at once.
    virtual void Refresh() = 0;
    // Scrolls so that the object's centre is visible, when it is not.
    virtual void FindObjectDirect(TSchemeObject* AObject) = 0;
    // True in the middle of a scroll, when the blink pass leaves the view alone.
    virtual bool IsScrolling() const = 0;
};

}  // namespace scheme
