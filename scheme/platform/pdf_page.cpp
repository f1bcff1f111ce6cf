#include "scheme/platform/pdf_page.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace scheme {

void SetUpPdfWriter(QPdfWriter& Writer, const QSize& Size) {
    Writer.setResolution(72);
    // Portrait keeps the size as given: a page wider than high is not turned.
    Writer.setPageLayout(
        QPageLayout(QPageSize(QSizeF(Size), QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
}

}  // namespace scheme
