#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "editor_dialogs.h"
#include "editor_settings.h"
#include "recent_files.h"
#include "scheme/platform/input.h"

class QAction;
class QPrintPreviewDialog;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QComboBox;
class QSpinBox;
class QLabel;
class QMenu;

namespace Ui {
class FormMain;
}

namespace scheme {
struct TBrokerSettings;
class TStateFeed;
class TImageList;
class TObject;
class TSchemeDataEditor;
class TSchemeLayerList;
class TSchemeObjectInspector;
class TSchemeObject;
class TSchemeVisualEditor;
}  // namespace scheme

namespace tarsel {

// The editor's one window: one editing document shown in three editing views at different
// zooms (A above B on the left, C on the right), a popup menu of actions on every view, the
// same actions in the menu bar and the most common of them in the toolbar, the property panels
// below the views and a status bar with the pointer's world position, the zooms and the
// selection.
//
// The document's selection is the window's: a plain press on an object that is not selected
// selects it alone, a press on a selected one keeps the selection (so that it can be dragged
// as a group), and the views' own gestures (Ctrl/Shift+click, the rubber band) and Select All
// select many. Delete, Change state and Change type act on every selected object; the actions that
// need one object (resize hooks, points, pictures) are enabled when exactly one is selected.
// The clipboard actions work through the view the actions work on; each keystroke reaches
// either a window action or the view, never both.
//
// Every change the menu, the panels or a drag makes to the document is one named step of the
// document's history, undone and redone by the Undo and Redo actions. The title names the
// open file and marks unsaved changes; closing the window or loading another file with
// unsaved changes asks first. Save writes the file the document came from (the sample the
// editor starts with is not overwritten: saving it asks for a name); every file opened or saved
// goes first in the recent files. A document file dropped on the window opens as if chosen.
//
// Every handler that can fail runs guarded: its error goes to the application's error handler
// and the window stays as the failure left it.
class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window from its form, then starts up: loads DocumentPath, or the sample
    // diagram when it is empty. A file that cannot be read is told through Dialogs (the
    // window's own when none is given; the caller keeps a given one alive).
    explicit TFormMain(const QString& DocumentPath = {}, QWidget* Parent = nullptr,
                       IEditorDialogs* Dialogs = nullptr);
    ~TFormMain() override;

    // Replaces the file dialogs and the message box (tests answer them); the window keeps a
    // pointer, the caller keeps the object alive.
    void SetDialogs(IEditorDialogs* Dialogs);

    scheme::TSchemeDataEditor* Document() const { return FDocument; }
    // View 0 is A, 1 is B, 2 is C.
    scheme::TSchemeVisualEditor* View(int Index) const { return FViews[Index]; }
    scheme::TSchemeVisualEditor* ActiveView() const { return FActiveView; }
    scheme::TSchemeObjectInspector* Inspector() const { return FInspector; }
    scheme::TSchemeLayerList* LayerList() const { return FLayerList; }
    // The selected object when exactly one is selected, else none.
    scheme::TSchemeObject* SelectedObject() const;
    QPoint PopupPoint() const { return FPopupPoint; }
    const TEditorSettings& Settings() const { return FSettings; }
    QString StatusText(int Panel) const;
    QMenu* PopupMenu() const { return FPopupMenu; }
    // The menu bar's View menu; the window's docks add their toggles at its end.
    QMenu* ViewMenu() const { return FViewMenu; }
    QMenu* RecentMenu() const { return FRecentMenu; }
    // The file the document was loaded from or last saved to; empty when none.
    QString CurrentFile() const { return FCurrentFile; }
    // Whether the document the window started with was read (false when it could not be).
    bool StartedWithDocument() const { return FStartedWithDocument; }
    // What the last load left out or read otherwise than written, until a save that the user
    // allowed to lose it.
    int LoadLosses() const { return FLoadLosses; }

    // Opens the print preview of the acting view's drawing (File > Print Preview...), window-modal;
    // it frees itself when closed.
    QPrintPreviewDialog* ShowPrintPreview();
    // Opens the popup menu as the view's context-menu request does, at GlobalPos.
    void ShowPopupMenu(scheme::TSchemeVisualEditor* View, const QPoint& GlobalPos);

    // The folder of the sample diagram, the image list and the background picture: the
    // installed data folder (share/tarsel beside the program's bin folder) when there is one,
    // else the program's own folder, as in the build tree.
    static QString DataFolder();

    // ---- live states (form_main_live.cpp) ----
    // Connects the document to the broker (remembered for the next "Connect to broker…") or,
    // connected, to the new one; the status bar shows the connection.
    void ConnectToBroker(const scheme::TBrokerSettings& Settings);
    void DisconnectFromBroker();
    scheme::TStateFeed* Feed() const { return FFeed; }
    // An operator station: the document is watched and its alarms acknowledged, never edited.
    void SetViewOnly(bool Value);
    bool ViewOnly() const { return FViewOnly; }
    // The broker last connected to (QSettings), or the default one.
    static scheme::TBrokerSettings RememberedBroker();

protected:
    // Asks about unsaved changes first; a cancel (or a save that did not happen) keeps the
    // window open.
    void closeEvent(QCloseEvent* Event) override;
    // Paste by its shortcut pastes beside the copied objects rather than at the menu's point,
    // and a view's key press of a disabled action's shortcut goes nowhere.
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    // A local file dragged on the window is offered to be opened.
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    // ---- building the window ----
    void SetUpViews();
    void SetUpStatusBar();
    void SetUpImageList();
    void SetUpDocumentEvents();
    void SetUpActions();
    // The menu bar, the toolbar and the actions only they hold.
    void SetUpMenus();
    void SetUpDocks();
    void SetUpToolBar(QAction* NewDocument);
    void SetUpHistory();
    void SetUpPanels();
    void FormCreate(const QString& DocumentPath);

    // ---- selection and status ----
    // Selects AObject alone; none clears the selection.
    void SelectOnly(scheme::TSchemeObject* AObject);
    void SelectionChanged();
    void ShowSelectedInfo();
    void EnableObjectActions();
    void EnablePaste();
    void ShowZooms();
    void SetStatusText(int Panel, const QString& Text);

    // ---- documents ----
    // Replaces the document with the file's content. A load that fails leaves the document
    // as it was and raises; with Ask, a file read with warnings replaces it only when the user
    // agrees. Answers whether the document was replaced.
    bool LoadDocument(const QString& FileName, bool Ask);
    // What a replacing load is asked before it takes over: the warnings of the text read.
    using TLoadCheck = std::function<bool(const QStringList& Warnings)>;
    // Replaces the document's content by what Load reads (given the check to pass on), in one
    // update of the views; the selection goes only when the content does. FileName names the
    // text in the question about warnings (with Ask).
    bool ReplaceContent(const std::function<bool(const TLoadCheck&)>& Load, const QString& FileName,
                        bool Ask);
    // Loads File as LoadDocument does; a failure is told through the message box and leaves
    // the document as it was. With Remember, an opened file goes first in the recent files.
    // Answers whether it opened.
    bool OpenDocumentFile(const QString& File, bool Ask, bool Remember = true);
    // Opens a file chosen other than by the open dialog (a recent file, a drop), asking about
    // unsaved changes first.
    void OpenChosenFile(const QString& File);
    void ShowDrawingOrigin();
    bool AcceptLoadWarnings(const QString& FileName, const QStringList& Warnings);
    // Saves to File (nothing when it is empty) and makes it the current file; answers whether
    // it saved.
    bool SaveDocumentTo(const QString& File);
    // Save: the current file, or a name asked for when there is none. Save As: always asks.
    bool SaveDocument();
    bool SaveDocumentAs();
    // The file Save writes without asking: the current one, unless it is the sample.
    QString SaveTarget() const;
    // Where the file dialogs open: the current file's folder, else the last one used, else the
    // home folder.
    QString DialogFolder() const;
    void RememberFolder(const QString& File);
    void RememberRecent(const QString& File);
    void RebuildRecentMenu();
    // Before unsaved changes would be lost: asks to save, discard or cancel. Answers whether
    // the caller may go on.
    bool SettleUnsavedChanges();
    QString DocumentName() const;
    void ShowTitle();
    void CreateLayerForAdding(int LayerId);

    // ---- view and document events ----
    void ViewMouseDown(scheme::TObject* Sender, int X, int Y);
    void ViewMouseMove(scheme::TObject* Sender, int X, int Y);
    void PopupMenu1Popup();
    int ViewIndex(const scheme::TSchemeVisualEditor* View) const;

    // ---- actions ----
    void ActionLoadExecute();
    void ActionNewExecute();
    void ActionOpenRecentExecute(const QString& File);
    // Writes a picture of the acting view's whole drawing at zoom 1 to a file the user names.
    void ActionExportExecute(const QString& Format);
    void ActionPrintExecute();
    void ActionGridExecute();
    void ActionAboutExecute();
    // Links the two selected objects, the one selected first as the parent.
    void ActionLinkSelectedExecute();
    // The view the actions work on: the active view, or view A before any press.
    scheme::TSchemeVisualEditor* ActionView() const;
    void ActionObjectAddExecute(QAction* Sender);
    void ActionObjectDeleteExecute();
    void AddObjectAt(QAction* Sender, scheme::Extended X, scheme::Extended Y);
    void ActionObjectStateExecute();
    void ActionObjectTypeExecute();
    void ActionObjectModifiedExecute();
    void ActionObjectAddPointExecute(QAction* Sender);
    void ActionCenterExecute();
    void ActionZoomInExecute(QAction* Sender);
    scheme::Extended ZoomTarget(const QAction* Sender,
                                const scheme::TSchemeVisualEditor* View) const;
    void EnableZoomActions();
    void ActionZoomToFitExecute();
    // Pastes with the top-left corner of the pasted objects at the menu's point; by the
    // keyboard, one grid step from where they were copied.
    void ActionPasteExecute(bool ByKeyboard);
    // A view's key press that a disabled action's shortcut names.
    bool DisabledShortcut(const QKeyEvent& Key) const;
    void ActionPictuteAExecute();
    void ActionStepExecute(bool Undo);
    void ShowStepActions();
    void ActionObjectPictureExecute(QAction* Sender);
    // Asks for a picture file; an empty text when the user cancelled.
    QString ChoosePicture();

    // ---- property panels ----
    void AddingDefaultsChanged();
    void ConnectAddingDefaults();
    void ConnectViewSettings();
    void ConnectLinkPanel();
    void RebuildLinkTypes(QSpinBox* ObjectSpin, QSpinBox* LayerSpin, QComboBox* Combo);
    void FindObject(QSpinBox* ObjectSpin, QSpinBox* LayerSpin);
    // The object a pair of spin edits names; the document's and the layer's lookup errors
    // propagate.
    scheme::TSchemeObject* ObjectOf(QSpinBox* ObjectSpin, QSpinBox* LayerSpin) const;
    void AddLink();
    void SetBlinking(bool On);
    void SetUpLive();
    void ShowConnection();
    void EnableLiveActions();
    void ActionConnectExecute();
    void ActionAcknowledgeExecute();
    // The actions and panels that change the document, off on an operator station.
    void DisableEditing();
    // Keeps which object was selected first, for linking the two selected objects.
    void RememberFirstSelected();
    // Runs F guarded whenever Sender emits Signal.
    template <class Sender, class Signal, class F>
    void OnSignal(Sender* S, Signal Sig, F&& Handler);

    // How long the status bar shows a passing message, in milliseconds.
    static constexpr int kStatusMessageTime = 5000;

    std::unique_ptr<Ui::FormMain> ui;
    TEditorDialogs FOwnDialogs;
    IEditorDialogs* FDialogs = &FOwnDialogs;
    scheme::TSchemeDataEditor* FDocument = nullptr;
    scheme::TImageList* FImageList = nullptr;
    std::array<scheme::TSchemeVisualEditor*, 3> FViews{};
    std::array<QLabel*, 3> FStatusPanels{};
    QMenu* FPopupMenu = nullptr;
    QMenu* FViewMenu = nullptr;
    QMenu* FRecentMenu = nullptr;
    QAction* FClearRecentAction = nullptr;
    QAction* FGridAction = nullptr;
    scheme::TSchemeObjectInspector* FInspector = nullptr;
    scheme::TSchemeLayerList* FLayerList = nullptr;
    // File > Open..., the menu bar's name for the popup menu's Load.
    QAction* FOpenAction = nullptr;
    QAction* FLinkSelectedAction = nullptr;
    TRecentFiles FRecent;
    // Which views show their grid while the Grid action is on: those the form gives one.
    std::array<bool, 3> FGridShown{};
    QAction* FUndoAction = nullptr;
    QAction* FRedoAction = nullptr;

    TEditorSettings FSettings;
    QPoint FPopupPoint;
    scheme::TSchemeVisualEditor* FActiveView = nullptr;
    QString FCurrentFile;
    bool FCurrentIsSample = false;
    // (layer Id, object Id) of the object that was selected alone before the selection grew.
    std::optional<std::pair<int, int>> FFirstSelected;
    bool FStartedWithDocument = false;
    int FLoadLosses = 0;
    // The form's title, shown after the file's name.
    QString FBaseTitle;
    QString FLastPictureDir;
    bool FHourglass = false;
    scheme::TStateFeed* FFeed = nullptr;
    QLabel* FConnectionPanel = nullptr;
    QAction* FConnectAction = nullptr;
    QAction* FDisconnectAction = nullptr;
    QAction* FAcknowledgeAction = nullptr;
    QAction* FAcknowledgeAllAction = nullptr;
    bool FViewOnly = false;
};

}  // namespace tarsel
