#pragma once

namespace scheme {
class TSchemeVisual;
}

namespace scheme::designer {

// Makes View show, while it has no document, what a view looks like: its grid (or a light one
// when the grid is off) and a sample shape linked to an ellipse, at the view's zoom, so that a
// view placed on a form is recognisable. It paints through the view's OnPaint event.
void InstallDesignPreview(TSchemeVisual* View);

}  // namespace scheme::designer
