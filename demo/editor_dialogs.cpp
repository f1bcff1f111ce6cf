#include "editor_dialogs.h"

#include <QFileDialog>
#include <QImageReader>
#include <QMessageBox>
#include <QStringList>

namespace tarsel {

namespace {

const QString kDocumentFilter = QStringLiteral("txt (*.txt)");

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
    return QFileDialog::getOpenFileName(Parent, QStringLiteral("Load"), Folder, kDocumentFilter);
}

QString TEditorDialogs::SaveDocument(QWidget* Parent, const QString& Folder) {
    QFileDialog Dialog(Parent, QStringLiteral("Save"), Folder, kDocumentFilter);
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return {};
    return Dialog.selectedFiles().first();
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
