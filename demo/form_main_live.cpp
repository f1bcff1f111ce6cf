// Live states in the editor: connecting the document to a broker, the connection in the status
// bar, acknowledging alarms, and the operator station that only watches.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>

#include "form_main.h"
#include "scheme/controls/layer_list.h"
#include "scheme/controls/object_inspector.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/feed/state_feed.h"
#include "scheme/platform/error_handler.h"
#include "scheme/view/scheme_visual_editor.h"
#include "ui_form_main.h"

using namespace scheme;

namespace tarsel {

namespace {

const QString kBrokerGroup = QStringLiteral("broker");
// The blinking interval a connection switches on when the document blinks not at all; the
// Blink box's own.
constexpr int kLiveBlinkInterval = 200;

QAction* LiveAction(QWidget* Window, const char* Name, const QString& Text) {
    auto* Action = new QAction(Text, Window);
    Action->setObjectName(QString::fromLatin1(Name));
    Window->addAction(Action);
    return Action;
}

}  // namespace

TBrokerSettings TFormMain::RememberedBroker() {
    QSettings Settings;
    Settings.beginGroup(kBrokerGroup);
    TBrokerSettings B;
    B.Host = Settings.value(QStringLiteral("host"), B.Host).toString();
    B.Port = Settings.value(QStringLiteral("port"), B.Port).toInt();
    B.User = Settings.value(QStringLiteral("user")).toString();
    B.Password = Settings.value(QStringLiteral("password")).toString();
    B.Tls = Settings.value(QStringLiteral("tls"), false).toBool();
    B.CaFile = Settings.value(QStringLiteral("cafile")).toString();
    return B;
}

void TFormMain::SetUpLive() {
    FConnectAction = LiveAction(this, "ActionConnect", QStringLiteral("Connect to broker\u2026"));
    FDisconnectAction = LiveAction(this, "ActionDisconnect", QStringLiteral("Disconnect"));
    FAcknowledgeAction = LiveAction(this, "ActionAcknowledge", QStringLiteral("Acknowledge"));
    FAcknowledgeAllAction =
        LiveAction(this, "ActionAcknowledgeAll", QStringLiteral("Acknowledge all"));
    QMenu* Live = new QMenu(QStringLiteral("&Live"), this);
    Live->setObjectName(QStringLiteral("MenuLive"));
    menuBar()->insertMenu(menuBar()->actions().constLast(), Live);
    Live->addActions({FConnectAction, FDisconnectAction});
    Live->addSeparator();
    Live->addActions({FAcknowledgeAction, FAcknowledgeAllAction});
    FPopupMenu->insertActions(FPopupMenu->actions().value(0),
                              {FAcknowledgeAction, FAcknowledgeAllAction});
    FPopupMenu->insertSeparator(FPopupMenu->actions().value(2));

    FConnectionPanel = new QLabel(this);
    FConnectionPanel->setObjectName(QStringLiteral("StatusConnection"));
    statusBar()->addPermanentWidget(FConnectionPanel);

    FFeed = new TStateFeed(*FDocument, this);
    connect(FFeed, &TStateFeed::StateChanged, this, [this] { ShowConnection(); });
    connect(FFeed, &TStateFeed::Warning, this,
            [this](const QString& Text) { statusBar()->showMessage(Text, kStatusMessageTime); });
    // The acknowledge actions follow the alarms, checked once the event loop turns after changes.
    connect(FDocument, &TSchemeData::ContentChanged, this, [this] { EnableLiveActions(); });
    connect(FDocument, &TSchemeData::AlarmAcknowledged, this, [this] { EnableLiveActions(); });
    connect(FConnectAction, &QAction::triggered, this,
            [this] { RunGuarded([this] { ActionConnectExecute(); }); });
    connect(FDisconnectAction, &QAction::triggered, this, [this] { DisconnectFromBroker(); });
    connect(FAcknowledgeAction, &QAction::triggered, this,
            [this] { RunGuarded([this] { ActionAcknowledgeExecute(); }); });
    connect(FAcknowledgeAllAction, &QAction::triggered, this,
            [this] { RunGuarded([this] { FDocument->AcknowledgeAllAlarms(); }); });
    ShowConnection();
    EnableLiveActions();
}

void TFormMain::ConnectToBroker(const TBrokerSettings& Settings) {
    QSettings Stored;
    Stored.beginGroup(kBrokerGroup);
    Stored.setValue(QStringLiteral("host"), Settings.Host);
    Stored.setValue(QStringLiteral("port"), Settings.Port);
    Stored.setValue(QStringLiteral("user"), Settings.User);
    Stored.setValue(QStringLiteral("password"), Settings.Password);
    Stored.setValue(QStringLiteral("tls"), Settings.Tls);
    Stored.setValue(QStringLiteral("cafile"), Settings.CaFile);
    FFeed->SetBroker(Settings);
    FFeed->Start();
    // Alarms flash with the document's blink timer: a station that watches a broker needs it.
    if (FDocument->TimerInterval() <= 0) {
        FDocument->SetTimerInterval(kLiveBlinkInterval);
        const QSignalBlocker Quiet(ui->CheckBox5);
        ui->CheckBox5->setChecked(true);
    }
    ShowConnection();
}

void TFormMain::DisconnectFromBroker() {
    FFeed->Stop();
    ShowConnection();
}

void TFormMain::ShowConnection() {
    const bool Running = FFeed->State() != TFeedState::Stopped;
    FConnectionPanel->setText(Running ? FFeed->StateText() : QStringLiteral("offline"));
    FDisconnectAction->setEnabled(Running);
}

void TFormMain::EnableLiveActions() {
    const bool Any = !FDocument->UnacknowledgedAlarms().empty();
    FAcknowledgeAllAction->setEnabled(Any);
    FAcknowledgeAction->setEnabled(Any);
}

void TFormMain::ActionConnectExecute() {
    const std::optional<TBrokerSettings> Chosen =
        FDialogs->BrokerSettings(this, RememberedBroker());
    if (Chosen) ConnectToBroker(*Chosen);
}

// The selected objects' alarms, or else that of the object under the popup menu.
void TFormMain::ActionAcknowledgeExecute() {
    int Done = 0;
    for (TSchemeObject* Obj : FDocument->SelectedObjects())
        Done += FDocument->AcknowledgeAlarm(Obj);
    if (Done > 0) return;
    TSchemeVisualEditor* View = ActionView();
    const Extended Zoom = View->Zoom();
    TSchemeObject* Under =
        FDocument->ObjectForPoint((FPopupPoint.x() + View->OriginX()) / Zoom,
                                  (FPopupPoint.y() + View->OriginY()) / Zoom, View->Param());
    if (Under) FDocument->AcknowledgeAlarm(Under);
}

void TFormMain::SetViewOnly(bool Value) {
    FViewOnly = Value;
    for (TSchemeVisualEditor* View : FViews) View->SetEditEnabled(!Value);
    FDocument->History().SetEnabled(!Value);
    if (Value) DisableEditing();
    ShowTitle();
}

void TFormMain::DisableEditing() {
    for (QAction* A :
         {ui->ActionObjectAdd, ui->ActionObjectAddZone, ui->ActionObjectDelete,
          ui->ActionObjectState, ui->ActionObjectType, ui->ActionObjectModified,
          ui->ActionObjectAddPoint, ui->ActionObjectDeletePoint, ui->ActionCut, ui->ActionPaste,
          ui->ActionDuplicate, ui->ActionSave, ui->ActionPictuteA, ui->ActionObjectPicture,
          ui->ActionObjectSelectedPicture, FUndoAction, FRedoAction, FLinkSelectedAction})
        A->setEnabled(false);
    ui->PageControl1->setEnabled(false);
    FInspector->setEnabled(false);
    FLayerList->setEnabled(false);
}

}  // namespace tarsel
