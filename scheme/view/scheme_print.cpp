#include "scheme/view/scheme_print.h"

#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <algorithm>

#include "scheme/platform/canvas.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/scheme_visual.h"

namespace scheme {

void PrintScheme(TSchemeVisual& View, QPrinter& Printer) {
    const QSize Size = View.ExportSize(1);
    if (Size.isEmpty())
        throw Exception(
            QStringLiteral("Cannot print: %1").arg(QLatin1String(TSchemeVisual::kEmptyDrawing)));
    QPainter Painter;
    if (!Painter.begin(&Printer)) {
        if (!Printer.outputFileName().isEmpty())
            throw Exception(QStringLiteral("Cannot write file \"%1\": the printer cannot open it")
                                .arg(Printer.outputFileName()));
        throw Exception(QStringLiteral("Cannot print on \"%1\": the printer cannot be opened")
                            .arg(Printer.printerName()));
    }
    // The printable area, device pixels; the painter starts at its top-left corner unless the
    // printer paints the whole paper.
    const QRectF Page = Printer.pageRect(QPrinter::DevicePixel);
    const qreal PerPoint = Printer.resolution() / 72.0;
    const qreal Fit = std::min({qreal(1), Page.width() / (Size.width() * PerPoint),
                                Page.height() / (Size.height() * PerPoint)});
    if (Printer.fullPage()) Painter.translate(Page.topLeft());
    Painter.scale(PerPoint * Fit, PerPoint * Fit);
    {
        TCanvas Canvas(&Painter);
        View.PaintDirectInCanvas(Canvas, 1);
    }
    if (!Painter.end())
        throw Exception(QStringLiteral("Cannot print: the printer did not take the page"));
}

namespace {
// A drawing wider than it is high is offered on a page turned the same way; the user may still
// turn it back.
void OrientLikeDrawing(const TSchemeVisual& View, QPrinter& Printer) {
    const QSize Size = View.ExportSize(1);
    Printer.setPageOrientation(Size.width() > Size.height() ? QPageLayout::Landscape
                                                            : QPageLayout::Portrait);
}
}  // namespace

bool PrintSchemeWithDialog(TSchemeVisual& View, QWidget* Parent) {
    // At the screen's resolution lines one pixel wide print about as wide as they are shown.
    QPrinter Printer(QPrinter::ScreenResolution);
    OrientLikeDrawing(View, Printer);
    QPrintDialog Dialog(&Printer, Parent);
    if (Dialog.exec() != QDialog::Accepted) return false;
    PrintScheme(View, Printer);
    return true;
}

QPrintPreviewDialog* CreatePrintPreview(TSchemeVisual& View, QWidget* Parent) {
    auto* Dialog = new QPrintPreviewDialog(Parent ? Parent : &View);
    OrientLikeDrawing(View, *Dialog->printer());
    QObject::connect(Dialog, &QPrintPreviewDialog::paintRequested, Dialog,
                     [Shown = QPointer<TSchemeVisual>(&View)](QPrinter* Printer) {
                         if (Shown && Printer) RunGuarded([&] { PrintScheme(*Shown, *Printer); });
                     });
    return Dialog;
}

}  // namespace scheme
