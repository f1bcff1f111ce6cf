#pragma once

#include <QString>
#include <optional>

#include "scheme/feed/state_feed.h"

class QWidget;

namespace tarsel {

// What to do with unsaved changes before they would be lost.
enum class TSaveChoice { Save, Discard, Cancel };

// The editor's conversations with its user: the file dialogs and the message box. The main
// window asks through this interface, so a test can answer in place of a person.
class IEditorDialogs {
public:
    virtual ~IEditorDialogs() = default;
    // Each answers the chosen file, or an empty text when the user cancelled. Folder is where
    // the dialog opens.
    virtual QString OpenDocument(QWidget* Parent, const QString& Folder) = 0;
    virtual QString SaveDocument(QWidget* Parent, const QString& Folder) = 0;
    virtual QString OpenPicture(QWidget* Parent, const QString& Folder) = 0;
    // The file a picture of the drawing goes to; Format is its extension ("png", "svg", "pdf").
    virtual QString ExportFile(QWidget* Parent, const QString& Folder, const QString& Format) = 0;
    // A message with an OK button.
    virtual void Message(QWidget* Parent, const QString& Text) = 0;
    // A question answered Yes (true) or No.
    virtual bool Question(QWidget* Parent, const QString& Text) = 0;
    // Asks what becomes of the unsaved changes of the document named DocumentName.
    virtual TSaveChoice SaveChanges(QWidget* Parent, const QString& DocumentName) = 0;
    // The broker to connect to, starting from Current; nothing when the user cancelled. By
    // default the broker dialog (broker_dialog.cpp).
    virtual std::optional<scheme::TBrokerSettings> BrokerSettings(
        QWidget* Parent, const scheme::TBrokerSettings& Current);
};

// The dialogs a person sees: Qt's file dialogs and message box.
class TEditorDialogs : public IEditorDialogs {
public:
    QString OpenDocument(QWidget* Parent, const QString& Folder) override;
    QString SaveDocument(QWidget* Parent, const QString& Folder) override;
    QString OpenPicture(QWidget* Parent, const QString& Folder) override;
    QString ExportFile(QWidget* Parent, const QString& Folder, const QString& Format) override;
    void Message(QWidget* Parent, const QString& Text) override;
    bool Question(QWidget* Parent, const QString& Text) override;
    TSaveChoice SaveChanges(QWidget* Parent, const QString& DocumentName) override;
};

}  // namespace tarsel
