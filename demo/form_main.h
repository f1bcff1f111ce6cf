#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <array>
#include <memory>

#include "editor_dialogs.h"
#include "editor_settings.h"
#include "scheme/platform/input.h"

class QAction;
class QCloseEvent;
class QKeyEvent;
class QComboBox;
class QSpinBox;
class QLabel;
class QMenu;

namespace Ui {
class FormMain;
}

namespace scheme {
class TImageList;
class TObject;
class TSchemeDataEditor;
class TSchemeObject;
class TSchemeVisualEditor;
}  // namespace scheme

namespace tarsel {

// The editor's one window: one editing document shown in three editing views at different
// zooms (A above B on the left, C on the right), a popup menu of actions on every view, the
// property panels below them and a status bar with the pointer's world position, the zooms
// and the selection.
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
// unsaved changes asks first.
//
// Every handler that can fail runs guarded: its error goes to the application's error handler
// and the window stays as the failure left it.
class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window from its form, then starts up: loads DocumentPath, or the sample
    // diagram beside the program when it is empty.
    explicit TFormMain(const QString& DocumentPath = {}, QWidget* Parent = nullptr);
    ~TFormMain() override;

    // Replaces the file dialogs and the message box (tests answer them); the window keeps a
    // pointer, the caller keeps the object alive.
    void SetDialogs(IEditorDialogs* Dialogs);

    scheme::TSchemeDataEditor* Document() const { return FDocument; }
    // View 0 is A, 1 is B, 2 is C.
    scheme::TSchemeVisualEditor* View(int Index) const { return FViews[Index]; }
    scheme::TSchemeVisualEditor* ActiveView() const { return FActiveView; }
    // The selected object when exactly one is selected, else none.
    scheme::TSchemeObject* SelectedObject() const;
    QPoint PopupPoint() const { return FPopupPoint; }
    const TEditorSettings& Settings() const { return FSettings; }
    QString StatusText(int Panel) const;
    QMenu* PopupMenu() const { return FPopupMenu; }
    // The file the document was loaded from or last saved to; empty when none.
    QString CurrentFile() const { return FCurrentFile; }
    // Whether the document the window started with was read (false when it could not be).
    bool StartedWithDocument() const { return FStartedWithDocument; }
    // What the last load left out or read otherwise than written, until a save that the user
    // allowed to lose it.
    int LoadLosses() const { return FLoadLosses; }

    // Opens the popup menu as the view's context-menu request does, at GlobalPos.
    void ShowPopupMenu(scheme::TSchemeVisualEditor* View, const QPoint& GlobalPos);

    // The sample diagram's folder: the program's own.
    static QString ProgramFolder();

protected:
    // Asks about unsaved changes first; a cancel (or a save that did not happen) keeps the
    // window open.
    void closeEvent(QCloseEvent* Event) override;
    // Paste by its shortcut pastes beside the copied objects rather than at the menu's point,
    // and a view's key press of a disabled action's shortcut goes nowhere.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // ---- building the window ----
    void SetUpViews();
    void SetUpStatusBar();
    void SetUpImageList();
    void SetUpDocumentEvents();
    void SetUpActions();
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
    void ShowDrawingOrigin();
    bool AcceptLoadWarnings(const QString& FileName, const QStringList& Warnings);
    // Saves to File (nothing when it is empty) and makes it the current file; answers whether
    // it saved.
    bool SaveDocumentTo(const QString& File);
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
    void ActionSaveExecute();
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
    // Runs F guarded whenever Sender emits Signal.
    template <class Sender, class Signal, class F>
    void OnSignal(Sender* S, Signal Sig, F&& Handler);

    std::unique_ptr<Ui::FormMain> ui;
    TEditorDialogs FOwnDialogs;
    IEditorDialogs* FDialogs = &FOwnDialogs;
    scheme::TSchemeDataEditor* FDocument = nullptr;
    scheme::TImageList* FImageList = nullptr;
    std::array<scheme::TSchemeVisualEditor*, 3> FViews{};
    std::array<QLabel*, 3> FStatusPanels{};
    QMenu* FPopupMenu = nullptr;
    QAction* FUndoAction = nullptr;
    QAction* FRedoAction = nullptr;

    TEditorSettings FSettings;
    QPoint FPopupPoint;
    scheme::TSchemeVisualEditor* FActiveView = nullptr;
    QString FDocumentFolder;
    QString FCurrentFile;
    bool FStartedWithDocument = false;
    int FLoadLosses = 0;
    // The form's title, shown after the file's name.
    QString FBaseTitle;
    QString FLastPictureDir;
    bool FHourglass = false;
};

}  // namespace tarsel
