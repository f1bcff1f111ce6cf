// The broker dialog: where "Connect to broker…" connects.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

#include "editor_dialogs.h"

namespace tarsel {

std::optional<scheme::TBrokerSettings> IEditorDialogs::BrokerSettings(
    QWidget* Parent, const scheme::TBrokerSettings& Current) {
    QDialog Dialog(Parent);
    Dialog.setWindowTitle(QStringLiteral("Connect to broker"));
    auto* Form = new QFormLayout(&Dialog);
    auto* Host = new QLineEdit(Current.Host);
    auto* Port = new QSpinBox;
    Port->setRange(1, 65535);
    Port->setValue(Current.Port);
    auto* User = new QLineEdit(Current.User);
    auto* Password = new QLineEdit(Current.Password);
    Password->setEchoMode(QLineEdit::Password);
    auto* Tls = new QCheckBox(QStringLiteral("Use TLS"));
    Tls->setChecked(Current.Tls);
    auto* CaFile = new QLineEdit(Current.CaFile);
    CaFile->setPlaceholderText(QStringLiteral("the system's certificates"));
    Form->addRow(QStringLiteral("Host:"), Host);
    Form->addRow(QStringLiteral("Port:"), Port);
    Form->addRow(QStringLiteral("User:"), User);
    Form->addRow(QStringLiteral("Password:"), Password);
    Form->addRow(QString(), Tls);
    Form->addRow(QStringLiteral("CA file:"), CaFile);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    Form->addRow(Buttons);
    QObject::connect(Buttons, &QDialogButtonBox::accepted, &Dialog, &QDialog::accept);
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);
    if (Dialog.exec() != QDialog::Accepted) return std::nullopt;
    scheme::TBrokerSettings Chosen = Current;
    Chosen.Host = Host->text().trimmed();
    Chosen.Port = Port->value();
    Chosen.User = User->text();
    Chosen.Password = Password->text();
    Chosen.Tls = Tls->isChecked();
    Chosen.CaFile = CaFile->text().trimmed();
    return Chosen;
}

}  // namespace tarsel
