#pragma once

#include <QPrintPreviewDialog>
#include <QPrinter>

#include "scheme/platform/export.h"

class QWidget;

namespace scheme {

class TSchemeVisual;

// Printing a view's drawing through Qt's print support.
//
// What is printed is what the exports show (PaintDirectInCanvas at zoom 1: the picture, the
// grid, every object and OnPaint, none of the on-screen extras such as link connectors), on one
// page, with its top-left corner at the top-left corner of the printer's printable area. At
// actual size one pixel of the drawing is one point (1/72 inch), as in ExportToPdf; a drawing
// larger than the printable area is scaled down to fit it, keeping its proportions, and a
// smaller one is printed at actual size, never enlarged. Everything is drawn as vectors scaled
// to the device, except lines one pixel wide, which stay one pixel of the printer wide: a
// printer made with QPrinter::HighResolution draws them as hairlines, one at
// QPrinter::ScreenResolution (QPrinter's default, and PrintSchemeWithDialog's) about as wide as
// they are shown.

// Prints the drawing on Printer. Refuses a drawing without pixels (TSchemeVisual::kEmptyDrawing)
// and a printer that cannot be opened (say an output file that cannot be written), printing
// nothing.
SCHEME_EXPORT void PrintScheme(TSchemeVisual& View, QPrinter& Printer);
// Shows the print dialog over Parent and prints when it is accepted; answers whether it was.
// Errors reach the caller, as from PrintScheme.
SCHEME_EXPORT bool PrintSchemeWithDialog(TSchemeVisual& View, QWidget* Parent = nullptr);
// A print preview dialog of the drawing, owned by Parent (by the view when Parent is null), not
// shown yet: the caller calls exec() or show(). Its pages are painted by PrintScheme, and so
// is what its print button prints; an error painting them reaches the application's error
// handler. Once the view is gone the preview shows an empty page.
SCHEME_EXPORT QPrintPreviewDialog* CreatePrintPreview(TSchemeVisual& View,
                                                      QWidget* Parent = nullptr);

}  // namespace scheme
