// The menu bar, the toolbar, and what only they offer: new documents, Save As, the recent
// files, export, printing, the grid and link display, linking the selection and About; and the
// documents dropped on the window.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "form_main.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/platform/error_handler.h"
#include "scheme/view/scheme_print.h"
#include "scheme/view/scheme_visual_editor.h"
#include "ui_form_main.h"

#ifndef TARSEL_VERSION
#define TARSEL_VERSION "unknown"
#endif

using namespace scheme;

namespace tarsel {

namespace {

// An action of the window's own, for the menu bar.
QAction* NewAction(QWidget* Window, const char* Name, const QString& Text,
                   const QString& Icon = {}) {
    auto* Action = new QAction(Text, Window);
    Action->setObjectName(QString::fromLatin1(Name));
    if (!Icon.isEmpty()) Action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(Icon)));
    Window->addAction(Action);  // its shortcut works while the menus are closed
    return Action;
}

// The menu bar's name for a popup-menu action whose popup caption is not what desktop programs
// call the command ("Load" is File > Open...). The alias mirrors the action's state, shows its
// first shortcut and triggers it; the shortcut itself stays with the action, so a key acts once.
QAction* MenuAlias(QAction* Source, const char* Name, const QString& Text) {
    auto* Alias = new QAction(Source->parent());
    Alias->setObjectName(QString::fromLatin1(Name));
    const auto Mirror = [Alias, Source, Text] {
        const QString Key = Source->shortcut().toString(QKeySequence::NativeText);
        Alias->setText(Key.isEmpty() ? Text : Text + QLatin1Char('\t') + Key);
        Alias->setIcon(Source->icon());
        Alias->setEnabled(Source->isEnabled());
        Alias->setToolTip(Text);
    };
    Mirror();
    QObject::connect(Source, &QAction::changed, Alias, Mirror);
    QObject::connect(Alias, &QAction::triggered, Source, &QAction::trigger);
    return Alias;
}

// Fills a menu or a toolbar with Items in order, a null item standing for a separator.
template <class TBar>
void AddItems(TBar* Bar, std::initializer_list<QAction*> Items) {
    for (QAction* Item : Items)
        if (Item)
            Bar->addAction(Item);
        else
            Bar->addSeparator();
}

// The first local file among the dragged URLs; empty when there is none.
QString DroppedFile(const QMimeData* Mime) {
    if (!Mime || !Mime->hasUrls()) return {};
    for (const QUrl& Url : Mime->urls())
        if (Url.isLocalFile() && QFileInfo(Url.toLocalFile()).isFile()) return Url.toLocalFile();
    return {};
}

}  // namespace

void TFormMain::SetUpMenus() {
    const auto Bind = [this](QAction* Action, auto Handler) {
        connect(Action, &QAction::triggered, this, [Handler] { RunGuarded(Handler); });
    };
    QAction* NewDocument = NewAction(this, "ActionNew", QStringLiteral("New"), "new");
    QAction* SaveAs = NewAction(this, "ActionSaveAs", QStringLiteral("Save As\u2026"));
    QAction* ExportPng = NewAction(this, "ActionExportPng", QStringLiteral("PNG\u2026"));
    QAction* ExportSvg = NewAction(this, "ActionExportSvg", QStringLiteral("SVG\u2026"));
    QAction* ExportPdf = NewAction(this, "ActionExportPdf", QStringLiteral("PDF\u2026"));
    QAction* Print = NewAction(this, "ActionPrint", QStringLiteral("Print\u2026"), "print");
    QAction* Preview = NewAction(this, "ActionPrintPreview", QStringLiteral("Print Preview\u2026"));
    QAction* Quit = NewAction(this, "ActionQuit", QStringLiteral("Quit"));
    FGridAction = NewAction(this, "ActionGrid", QStringLiteral("Grid"));
    QAction* ShowLinks = NewAction(this, "ActionShowLinks", QStringLiteral("Show links"));
    FLinkSelectedAction =
        NewAction(this, "ActionLinkSelected", QStringLiteral("Link selected objects"), "link-add");
    QAction* About = NewAction(this, "ActionAbout", QStringLiteral("About Tarsel"));
    FClearRecentAction = NewAction(this, "ActionClearRecent", QStringLiteral("Clear Recent"));

    // The platform's own keys where it has them.
    NewDocument->setShortcuts(QKeySequence::New);
    ui->ActionLoad->setShortcuts(QKeySequence::Open);
    ui->ActionSave->setShortcuts(QKeySequence::Save);
    SaveAs->setShortcuts(QKeySequence::SaveAs);
    Print->setShortcuts(QKeySequence::Print);
    Quit->setShortcuts(QKeySequence::Quit);
    Quit->setMenuRole(QAction::QuitRole);
    About->setMenuRole(QAction::AboutRole);
    FUndoAction->setShortcuts(QKeySequence::Undo);
    ui->ActionObjectDelete->setShortcuts(QKeySequence::Delete);
    for (QAction* Toggle : {FGridAction, ShowLinks}) Toggle->setCheckable(true);
    // The form shows a grid in views B and C; the action switches those grids off and on.
    for (int I = 0; I < 3; ++I) FGridShown[I] = FViews[I]->Grid().Enabled();
    FGridAction->setChecked(true);
    const std::pair<QAction*, const char*> Icons[] = {
        {FUndoAction, "undo"},    {FRedoAction, "redo"},      {ui->ActionCut, "cut"},
        {ui->ActionCopy, "copy"}, {ui->ActionPaste, "paste"}, {ui->ActionZoomToFit, "zoom-fit"}};
    for (const auto& [Action, Icon] : Icons)
        Action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(Icon))));

    FOpenAction = MenuAlias(ui->ActionLoad, "ActionOpen", QStringLiteral("Open\u2026"));
    QAction* ActualSize =
        MenuAlias(ui->ActionZoomActual, "ActionActualSize", QStringLiteral("Actual Size"));
    QAction* ChangePicture = MenuAlias(ui->ActionObjectPicture, "ActionChangePicture",
                                       QStringLiteral("Change picture\u2026"));
    QAction* ChangeSelectedPicture =
        MenuAlias(ui->ActionObjectSelectedPicture, "ActionChangeSelectedPicture",
                  QStringLiteral("Change selected picture\u2026"));

    QMenu* File = menuBar()->addMenu(QStringLiteral("&File"));
    File->setObjectName(QStringLiteral("MenuFile"));
    FRecentMenu = new QMenu(QStringLiteral("Open &Recent"), File);
    FRecentMenu->setObjectName(QStringLiteral("MenuOpenRecent"));
    FRecentMenu->setToolTipsVisible(true);
    QMenu* Export = new QMenu(QStringLiteral("&Export"), File);
    Export->setObjectName(QStringLiteral("MenuExport"));
    AddItems(Export, {ExportPng, ExportSvg, ExportPdf});
    AddItems(File, {NewDocument, FOpenAction, FRecentMenu->menuAction(), nullptr, ui->ActionSave,
                    SaveAs, nullptr, Export->menuAction(), nullptr, Print, Preview, nullptr, Quit});

    QMenu* Edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    Edit->setObjectName(QStringLiteral("MenuEdit"));
    AddItems(Edit,
             {FUndoAction, FRedoAction, nullptr, ui->ActionCut, ui->ActionCopy, ui->ActionPaste,
              ui->ActionDuplicate, ui->ActionObjectDelete, nullptr, ui->ActionSelectAll});

    FViewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    FViewMenu->setObjectName(QStringLiteral("MenuView"));
    AddItems(FViewMenu, {ui->ActionZoomIn, ui->ActionZoomOut, ActualSize, ui->ActionZoomToFit,
                         nullptr, FGridAction, ui->ActionSmoothDrawing, ShowLinks, nullptr});

    QMenu* Object = menuBar()->addMenu(QStringLiteral("&Object"));
    Object->setObjectName(QStringLiteral("MenuObject"));
    AddItems(Object,
             {ui->ActionObjectState, ui->ActionObjectType, nullptr, ui->ActionObjectModified,
              ui->ActionObjectAddPoint, ui->ActionObjectDeletePoint, nullptr, ChangePicture,
              ChangeSelectedPicture, nullptr, FLinkSelectedAction});

    QMenu* Help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help->setObjectName(QStringLiteral("MenuHelp"));
    Help->addAction(About);

    Bind(NewDocument, [this] { ActionNewExecute(); });
    Bind(SaveAs, [this] { SaveDocumentAs(); });
    Bind(ExportPng, [this] { ActionExportExecute(QStringLiteral("png")); });
    Bind(ExportSvg, [this] { ActionExportExecute(QStringLiteral("svg")); });
    Bind(ExportPdf, [this] { ActionExportExecute(QStringLiteral("pdf")); });
    Bind(Print, [this] { ActionPrintExecute(); });
    Bind(Preview, [this] { ShowPrintPreview(); });
    Bind(Quit, [this] { close(); });
    Bind(FGridAction, [this] { ActionGridExecute(); });
    Bind(ShowLinks, [this, ShowLinks] {
        for (TSchemeVisualEditor* View : FViews) View->SetShowLinks(ShowLinks->isChecked());
    });
    Bind(FLinkSelectedAction, [this] { ActionLinkSelectedExecute(); });
    Bind(About, [this] { ActionAboutExecute(); });
    Bind(FClearRecentAction, [this] {
        FRecent.Clear();
        RebuildRecentMenu();
    });
    RebuildRecentMenu();
    SetUpToolBar(NewDocument);
    setAcceptDrops(true);
}

void TFormMain::SetUpToolBar(QAction* NewDocument) {
    QToolBar* Bar = addToolBar(QStringLiteral("Toolbar"));
    Bar->setObjectName(QStringLiteral("ToolBarMain"));
    Bar->setIconSize(QSize(16, 16));
    Bar->setMovable(false);
    AddItems(Bar, {NewDocument, FOpenAction, ui->ActionSave, nullptr, FUndoAction, FRedoAction,
                   nullptr, ui->ActionCut, ui->ActionCopy, ui->ActionPaste, ui->ActionObjectDelete,
                   nullptr, ui->ActionZoomIn, ui->ActionZoomOut, ui->ActionZoomToFit});
    FViewMenu->addAction(Bar->toggleViewAction());
}

// ---- documents ----

void TFormMain::ActionNewExecute() {
    if (!SettleUnsavedChanges()) return;
    ReplaceContent(
        [this](const TLoadCheck& Check) {
            // A document's text with nothing in it.
            QStringList Empty = {QStringLiteral("TSchemeData"), QStringLiteral("End")};
            return FDocument->ReplaceFromStrings(Empty, Check);
        },
        QString(), false);
    FCurrentFile.clear();
    FCurrentIsSample = false;
    FLoadLosses = 0;
    ShowTitle();
}

void TFormMain::RememberRecent(const QString& File) {
    FRecent.Add(File);
    RebuildRecentMenu();
}

// Entries show the file's name and tell its path as their tip. The entries replaced are
// deleted later: this may run from the triggering of one of them.
void TFormMain::RebuildRecentMenu() {
    for (QAction* Old : FRecentMenu->actions()) {
        FRecentMenu->removeAction(Old);
        if (Old->parent() == FRecentMenu) Old->deleteLater();
    }
    const QStringList Files = FRecent.Files();
    for (int I = 0; I < Files.size(); ++I) {
        const QString Path = Files[I];
        QString Name = QFileInfo(Path).fileName();
        Name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* Entry = new QAction(Name, FRecentMenu);
        Entry->setObjectName(QStringLiteral("RecentFile%1").arg(I));
        Entry->setToolTip(Path);
        Entry->setData(Path);
        connect(Entry, &QAction::triggered, this,
                [this, Path] { RunGuarded([&] { ActionOpenRecentExecute(Path); }); });
        FRecentMenu->addAction(Entry);
    }
    FRecentMenu->addSeparator();
    FRecentMenu->addAction(FClearRecentAction);
    FClearRecentAction->setEnabled(!Files.isEmpty());
}

void TFormMain::ActionOpenRecentExecute(const QString& File) {
    if (!QFileInfo::exists(File)) {
        FRecent.Remove(File);
        RebuildRecentMenu();
        FDialogs->Message(this, QStringLiteral("%1 could not be opened: it no longer exists. It "
                                               "was taken off the recent files.")
                                    .arg(File));
        return;
    }
    OpenChosenFile(File);
}

void TFormMain::OpenChosenFile(const QString& File) {
    if (!SettleUnsavedChanges()) return;
    RememberFolder(File);
    OpenDocumentFile(File, true);
}

// The drop is answered at once and the file opened from the event loop, so that the questions
// opening may ask do not keep the dragging program waiting.
void TFormMain::dragEnterEvent(QDragEnterEvent* Event) {
    if (!DroppedFile(Event->mimeData()).isEmpty()) Event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* Event) {
    const QString File = DroppedFile(Event->mimeData());
    if (File.isEmpty()) return;
    Event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, File] { RunGuarded([&] { OpenChosenFile(File); }); });
}

// ---- export and printing ----

void TFormMain::ActionExportExecute(const QString& Format) {
    QString File = FDialogs->ExportFile(this, DialogFolder(), Format);
    if (File.isEmpty()) return;
    if (QFileInfo(File).suffix().isEmpty()) File += QLatin1Char('.') + Format;
    RememberFolder(File);
    TSchemeVisualEditor* View = ActionView();
    if (Format == QLatin1String("svg"))
        View->ExportToMetafile(File, 1.0);
    else if (Format == QLatin1String("pdf"))
        View->ExportToPdf(File, 1.0);
    else
        View->ExportToBmp(File, 1.0);
    statusBar()->showMessage(QStringLiteral("Exported %1").arg(QFileInfo(File).fileName()),
                             kStatusMessageTime);
}

void TFormMain::ActionPrintExecute() {
    if (PrintSchemeWithDialog(*ActionView(), this))
        statusBar()->showMessage(QStringLiteral("Printed %1").arg(DocumentName()),
                                 kStatusMessageTime);
}

// The preview is window-modal and frees itself when closed.
QPrintPreviewDialog* TFormMain::ShowPrintPreview() {
    QPrintPreviewDialog* Preview = CreatePrintPreview(*ActionView(), this);
    Preview->setObjectName(QStringLiteral("PrintPreview"));
    Preview->setAttribute(Qt::WA_DeleteOnClose);
    Preview->resize(900, 700);
    Preview->open();
    return Preview;
}

// ---- views ----

void TFormMain::ActionGridExecute() {
    for (int I = 0; I < 3; ++I) {
        if (!FGridShown[I]) continue;
        TSchemeGridType Grid = FViews[I]->Grid();
        Grid.SetEnabled(FGridAction->isChecked());
        FViews[I]->SetGrid(Grid);
    }
}

void TFormMain::ActionAboutExecute() {
    FDialogs->Message(this, QStringLiteral("Tarsel %1\n\nA diagram editor: layered diagrams of "
                                           "boxes, lines, texts and pictures.")
                                .arg(QStringLiteral(TARSEL_VERSION)));
}

}  // namespace tarsel
