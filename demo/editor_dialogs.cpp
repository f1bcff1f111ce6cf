#include "editor_dialogs.h"

#include <QFileDialog>
#include <QImageReader>
#include <QMessageBox>
#include <QStringList>

namespace tarsel {

namespace {

// The document's own extension first; the sample and older documents are text files.
const QString kSchemeFilter = QStringLiteral("Scheme documents (*.scheme)");
const QString kTextFilter = QStringLiteral("Text files (*.txt)");
const QString kAllFilter = QStringLiteral("All files (*)");
const QString kOpenFilter =
    QStringLiteral("Scheme documents (*.scheme *.txt *.TXT);;") + kAllFilter;

// A save dialog that adds the chosen filter's extension to a name typed without one (the
// document's own under "All files").
QString SaveFileName(QWidget* Parent, const QString& Title, const QString& Folder,
                     const QStringList& Filters, const QStringList& Suffixes) {
    QFileDialog Dialog(Parent, Title, Folder);
    Dialog.setNameFilters(Filters);
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setDefaultSuffix(Suffixes.value(0));
    QObject::connect(&Dialog, &QFileDialog::filterSelected, &Dialog, [&](const QString& Filter) {
        const QString Suffix = Suffixes.value(static_cast<int>(Filters.indexOf(Filter)));
        Dialog.setDefaultSuffix(Suffix.isEmpty() ? Suffixes.value(0) : Suffix);
    });
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return {};
    return Dialog.selectedFiles().first();
}

// Every picture format the library reads: the raster formats Qt has readers for, and SVG.
QString PictureFilter() {
    QStringList Patterns;
    for (const QByteArray& Format : QImageReader::supportedImageFormats())
        Patterns << QStringLiteral("*.") + QString::fromLatin1(Format);
    if (!Patterns.contains(QStringLiteral("*.svg"))) Patterns << QStringLiteral("*.svg");
    return QStringLiteral("All pictures (%1);;All files (*)").arg(Patterns.join(QLatin1Char(' ')));
}

}  // namespace

QString TEditorDialogs::OpenDocument(QWidget* Parent, const QString& Folder) {
    return QFileDialog::getOpenFileName(Parent, QStringLiteral("Open"), Folder, kOpenFilter);
}

QString TEditorDialogs::SaveDocument(QWidget* Parent, const QString& Folder) {
    return SaveFileName(Parent, QStringLiteral("Save As"), Folder,
                        {kSchemeFilter, kTextFilter, kAllFilter},
                        {QStringLiteral("scheme"), QStringLiteral("txt")});
}

QString TEditorDialogs::ExportFile(QWidget* Parent, const QString& Folder, const QString& Format) {
    return SaveFileName(Parent, QStringLiteral("Export"), Folder,
                        {QStringLiteral("%1 files (*.%2)").arg(Format.toUpper(), Format)},
                        {Format});
}

QString TEditorDialogs::OpenPicture(QWidget* Parent, const QString& Folder) {
    return QFileDialog::getOpenFileName(Parent, QStringLiteral("Open picture"), Folder,
                                        PictureFilter());
}

void TEditorDialogs::Message(QWidget* Parent, const QString& Text) {
    QMessageBox::information(Parent, QStringLiteral("Tarsel"), Text);
}

bool TEditorDialogs::Question(QWidget* Parent, const QString& Text) {
    return QMessageBox::question(Parent, QStringLiteral("Tarsel"), Text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

TSaveChoice TEditorDialogs::SaveChanges(QWidget* Parent, const QString& DocumentName) {
    const auto Button = QMessageBox::warning(
        Parent, QStringLiteral("Tarsel"),
        QStringLiteral("%1 has unsaved changes. Save them?").arg(DocumentName),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (Button == QMessageBox::Save) return TSaveChoice::Save;
    if (Button == QMessageBox::Discard) return TSaveChoice::Discard;
    return TSaveChoice::Cancel;  // Escape and closing the box too
}

}  // namespace tarsel
