// tarsel, the diagram editor.
//
//   tarsel [--broker HOST:PORT [--view-only]] [DOCUMENT] [--screenshot FILE [--tab N]
//          [--select L:ID] [--menu | --open-menu TITLE | --print-preview]]
//
// --broker connects the document's bound objects to the broker at start (the other settings of
// the broker, user, password and TLS, are the ones last used); --view-only makes the window an
// operator station that watches and acknowledges alarms but never edits. A screenshot run with
// a broker waits for the connection and the first values (two seconds at most).
//
// Opens DOCUMENT, or the sample diagram (installed under share/tarsel, or beside the program in
// the build tree); a DOCUMENT that cannot be opened is told in a message box. With --screenshot it
// writes a picture of the window after start-up to FILE, prints where, and quits; --tab N shows tab
// sheet N (0 to 2) first, --select L:ID selects object ID of layer L; --menu opens the popup menu
// over view B, --open-menu the menu bar's menu of that title ("File") and --print-preview the print
// preview (the picture is then taken of the whole screen, since a menu or dialog is a window of its
// own). Without a display it runs on Qt's offscreen platform and takes the screenshot (./tarsel.png
// unless FILE is given). A screenshot run tells its messages on standard error and fails when
// DOCUMENT cannot be opened.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "editor_dialogs.h"
#include "form_main.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/feed/state_feed.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/error_message_box.h"
#include "scheme/view/scheme_visual_editor.h"

namespace {

// The dialogs of a run without a user: messages go to standard error; nothing is chosen.
class TConsoleDialogs : public tarsel::IEditorDialogs {
public:
    QString OpenDocument(QWidget*, const QString&) override { return {}; }
    QString SaveDocument(QWidget*, const QString&) override { return {}; }
    QString OpenPicture(QWidget*, const QString&) override { return {}; }
    QString ExportFile(QWidget*, const QString&, const QString&) override { return {}; }
    void Message(QWidget*, const QString& Text) override {
        std::fprintf(stderr, "tarsel: %s\n", qPrintable(Text));
    }
    bool Question(QWidget*, const QString&) override { return false; }
    tarsel::TSaveChoice SaveChanges(QWidget*, const QString&) override {
        return tarsel::TSaveChoice::Cancel;
    }
    std::optional<scheme::TBrokerSettings> BrokerSettings(QWidget*,
                                                          const scheme::TBrokerSettings&) override {
        return std::nullopt;
    }
};

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// What a screenshot shows besides the window: a tab sheet, the popup menu over view B, a menu
// of the menu bar (by its title without the "&", e.g. "File"), or the print preview.
struct TShot {
    QString File;
    int Tab = -1;
    bool Popup = false;
    QString BarMenu;
    bool PrintPreview = false;
    // "LAYER:ID" of an object to select first, so that the inspector shows it.
    QString Select;
};

// Selects the object the shot names; a name that is not "LAYER:ID" or names no object is told.
void SelectForShot(tarsel::TFormMain& Form, const QString& Name) {
    const QStringList Parts = Name.split(QLatin1Char(':'));
    bool LayerOk = false, IdOk = false;
    const int Layer = Parts.value(0).toInt(&LayerOk);
    const int Id = Parts.value(1).toInt(&IdOk);
    scheme::TSchemeDataEditor* Document = Form.Document();
    scheme::TSchemeObject* Object = nullptr;
    if (Parts.size() == 2 && LayerOk && IdOk && Document->LayerExists(Layer)) try {
            Object = Document->GetLayer(Layer)->GetItem(Id);
        } catch (const scheme::Exception&) {
            // told below
        }
    if (!Object) {
        std::fprintf(stderr, "tarsel: --select %s names no object\n", qPrintable(Name));
        return;
    }
    Document->SelectObjects(std::span(&Object, 1), scheme::TSchemeData::TSelectMode::Replace);
}

// Opens what the shot shows over the window; answers whether it opened a window of its own,
// so that the picture has to be taken of the whole screen.
bool OpenForShot(tarsel::TFormMain& Form, const TShot& Shot) {
    if (Shot.Popup) {
        scheme::TSchemeVisualEditor* View = Form.View(1);
        const QPoint At = View->viewport()->mapToGlobal(View->viewport()->rect().center());
        QCursor::setPos(At);
        Form.ShowPopupMenu(View, At);
        return true;
    }
    if (!Shot.BarMenu.isEmpty()) {
        for (QAction* Item : Form.menuBar()->actions())
            if (Item->menu() && Item->text().remove(QLatin1Char('&')) == Shot.BarMenu) {
                Form.menuBar()->setActiveAction(Item);
                return true;
            }
        std::fprintf(stderr, "tarsel: the menu bar has no menu \"%s\"\n", qPrintable(Shot.BarMenu));
        return false;
    }
    if (Shot.PrintPreview) {
        Form.ShowPrintPreview();
        return true;
    }
    return false;
}

// Grabs the window, or the whole screen while a menu or dialog is open, once the window has been
// laid out and painted.
// Parses HOST:PORT (the last colon separates them); nothing when it is not that.
std::optional<scheme::TBrokerSettings> ParseBroker(const QString& Text) {
    const qsizetype Colon = Text.lastIndexOf(QLatin1Char(':'));
    bool Ok = false;
    const int Port = Colon > 0 ? Text.mid(Colon + 1).toInt(&Ok) : 0;
    if (!Ok || Port <= 0 || Port > 65535) return std::nullopt;
    scheme::TBrokerSettings Settings = tarsel::TFormMain::RememberedBroker();
    Settings.Host = Text.left(Colon);
    Settings.Port = Port;
    return Settings;
}

// Lets a connecting feed connect and take in the values the broker keeps for it.
void WaitForFeed(tarsel::TFormMain& Form) {
    scheme::TStateFeed* Feed = Form.Feed();
    if (!Feed || Feed->State() == scheme::TFeedState::Stopped) return;
    QElapsedTimer Clock;
    Clock.start();
    while (Feed->State() != scheme::TFeedState::Connected && Clock.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const qint64 Connected = Clock.elapsed();
    while (Clock.elapsed() < Connected + 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    // Alarms are shown in the blink's on phase.
    while (!Form.Document()->BlinkPhase() && Clock.elapsed() < Connected + 1300)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

int TakeScreenshot(tarsel::TFormMain& Form, const TShot& Shot) {
    Form.setWindowState(Qt::WindowNoState);
    Form.resize(1280, 800);
    if (auto* Pages = Form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        Pages && Shot.Tab >= 0)
        Pages->setCurrentIndex(Shot.Tab);
    Form.show();
    WaitForFeed(Form);
    if (!Shot.Select.isEmpty()) SelectForShot(Form, Shot.Select);
    QApplication::processEvents();
    const bool Screen = OpenForShot(Form, Shot);
    QApplication::processEvents();
    const QPixmap Picture = Screen ? Form.screen()->grabWindow(0) : Form.grab();
    if (!Picture.save(Shot.File)) {
        std::fprintf(stderr, "tarsel: cannot write %s\n", qPrintable(Shot.File));
        return 1;
    }
    std::printf("Wrote %s\n", qPrintable(QFileInfo(Shot.File).absoluteFilePath()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool Offscreen = !HasDisplay();
    if (Offscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    // The settings (recent files, the last folder) are kept under this name.
    QApplication::setOrganizationName(QStringLiteral("tarsel"));
    QApplication::setApplicationName(QStringLiteral("tarsel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarsel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarsel.svg")));

    QCommandLineParser Parser;
    Parser.setApplicationDescription(QStringLiteral("Diagram editor"));
    Parser.addHelpOption();
    Parser.addPositionalArgument(QStringLiteral("document"),
                                 QStringLiteral("The diagram to open (default: the sample)."));
    const QCommandLineOption ShotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("Write a screenshot and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption TabOption(QStringLiteral("tab"),
                                       QStringLiteral("Tab sheet to show in the screenshot."),
                                       QStringLiteral("index"), QStringLiteral("-1"));
    const QCommandLineOption MenuOption(QStringLiteral("menu"),
                                        QStringLiteral("Open the popup menu for the screenshot."));
    const QCommandLineOption BarMenuOption(
        QStringLiteral("open-menu"),
        QStringLiteral("Open a menu of the menu bar for the screenshot."), QStringLiteral("title"));
    const QCommandLineOption PreviewOption(
        QStringLiteral("print-preview"),
        QStringLiteral("Open the print preview for the screenshot."));
    const QCommandLineOption SelectOption(QStringLiteral("select"),
                                          QStringLiteral("Select an object for the screenshot."),
                                          QStringLiteral("layer:id"));
    const QCommandLineOption BrokerOption(QStringLiteral("broker"),
                                          QStringLiteral("Connect to the MQTT broker at start."),
                                          QStringLiteral("host:port"));
    const QCommandLineOption ViewOnlyOption(
        QStringLiteral("view-only"),
        QStringLiteral("An operator station: watch and acknowledge, never edit."));
    Parser.addOptions({ShotOption, TabOption, MenuOption, BarMenuOption, PreviewOption,
                       SelectOption, BrokerOption, ViewOnlyOption});
    Parser.process(App);
    const QStringList Documents = Parser.positionalArguments();
    if (Documents.size() > 1) Parser.showHelp(2);
    std::optional<scheme::TBrokerSettings> Broker;
    if (Parser.isSet(BrokerOption)) {
        Broker = ParseBroker(Parser.value(BrokerOption));
        if (!Broker) {
            std::fprintf(stderr, "tarsel: --broker takes HOST:PORT, not %s\n",
                         qPrintable(Parser.value(BrokerOption)));
            return 2;
        }
    }

    // A screenshot run reports errors on standard error (the library's default) instead.
    const bool Screenshot = Parser.isSet(ShotOption) || Offscreen;
    if (!Screenshot) scheme::InstallErrorMessageBox();
    TConsoleDialogs Console;
    tarsel::TFormMain Form(Documents.value(0), nullptr, Screenshot ? &Console : nullptr);
    if (Parser.isSet(ViewOnlyOption)) Form.SetViewOnly(true);
    if (Broker) Form.ConnectToBroker(*Broker);
    if (Screenshot) {
        TShot Shot;
        Shot.File =
            Parser.isSet(ShotOption) ? Parser.value(ShotOption) : QStringLiteral("tarsel.png");
        Shot.Tab = Parser.value(TabOption).toInt();
        Shot.Popup = Parser.isSet(MenuOption);
        Shot.BarMenu = Parser.value(BarMenuOption);
        Shot.PrintPreview = Parser.isSet(PreviewOption);
        Shot.Select = Parser.value(SelectOption);
        const int Written = TakeScreenshot(Form, Shot);
        // A document that could not be read is a failure, whatever the screenshot shows.
        return Form.StartedWithDocument() ? Written : 1;
    }
    Form.show();
    return App.exec();
}
