// The editor connected to a broker the test starts: the connection in the status bar, the
// acknowledge actions, and the operator station.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>

#include "feed/test_broker.h"
#include "form_main.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/feed/state_feed.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/view/scheme_visual_editor.h"

using namespace scheme;
using namespace scheme::testing;

namespace {

struct TBrokerDialogs : tarsel::IEditorDialogs {
    QString OpenDocument(QWidget*, const QString&) override { return {}; }
    QString SaveDocument(QWidget*, const QString&) override { return {}; }
    QString OpenPicture(QWidget*, const QString&) override { return {}; }
    QString ExportFile(QWidget*, const QString&, const QString&) override { return {}; }
    void Message(QWidget*, const QString&) override {}
    bool Question(QWidget*, const QString&) override { return false; }
    tarsel::TSaveChoice SaveChanges(QWidget*, const QString&) override {
        ++SaveAsked;
        return tarsel::TSaveChoice::Cancel;
    }
    std::optional<TBrokerSettings> BrokerSettings(QWidget*, const TBrokerSettings&) override {
        return Broker;
    }
    TBrokerSettings Broker;
    int SaveAsked = 0;
};

TEST(LiveWindowTest, ConnectsShowsTheConnectionAcknowledgesAndWatchesOnly) {
    QTemporaryDir SettingsDir;
    QCoreApplication::setOrganizationName(QStringLiteral("tarsel-tests"));
    for (auto Format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(Format, QSettings::UserScope, SettingsDir.path());
    mosquitto_lib_init();
    {
        TTestBroker Broker;
        ASSERT_TRUE(Broker.Start());
        TBrokerDialogs Dialogs;
        Dialogs.Broker.Port = Broker.Port();
        tarsel::TFormMain Form;
        Form.SetDialogs(&Dialogs);
        Form.show();
        TSchemeObject* Pump = Form.Document()->GetLayer(1)->GetItem(1);
        Pump->SetProperties({QStringLiteral("state.topic=plant/intake")});
        Form.Document()->GetLayer(1)->SetAlarmStates({5});
        auto* Status = Form.findChild<QLabel*>(QStringLiteral("StatusConnection"));
        ASSERT_TRUE(Status);
        EXPECT_EQ(Status->text(), "offline");
        Form.findChild<QAction*>(QStringLiteral("ActionConnect"))->trigger();
        ASSERT_TRUE(WaitFor([&] { return Form.Feed()->State() == TFeedState::Connected; }));
        EXPECT_EQ(Status->text(), QStringLiteral("connected to 127.0.0.1:%1").arg(Broker.Port()));
        EXPECT_EQ(QSettings().value("broker/port").toInt(), Broker.Port());

        auto* AckAll = Form.findChild<QAction*>(QStringLiteral("ActionAcknowledgeAll"));
        EXPECT_FALSE(AckAll->isEnabled());
        TTestClient Client(Broker.Port());
        ASSERT_TRUE(WaitFor([&] {
            Client.Publish("plant/intake", "5");
            return Form.Document()->AlarmUnacknowledged(Pump) && AckAll->isEnabled();
        }));
        AckAll->trigger();
        EXPECT_FALSE(Form.Document()->AlarmUnacknowledged(Pump));

        Form.SetViewOnly(true);
        Form.Document()->SelectObjects(std::span(&Pump, 1), TSchemeData::TSelectMode::Replace);
        QApplication::processEvents();
        EXPECT_FALSE(Form.findChild<QAction*>(QStringLiteral("ActionObjectDelete"))->isEnabled());
        EXPECT_FALSE(Form.View(0)->EditEnabled());
        EXPECT_TRUE(Form.close()) << "an operator station closes without asking to save";
        EXPECT_EQ(Dialogs.SaveAsked, 0);
    }
    mosquitto_lib_cleanup();
}

}  // namespace
