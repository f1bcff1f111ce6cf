// The popup menu's actions.
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcutEvent>
#include <algorithm>

#include "form_main.h"
#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_clipboard.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/model/kind_name.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_picture.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/scheme_visual_editor.h"
#include "ui_form_main.h"

using namespace scheme;

namespace tarsel {

namespace {

TShapeType NextShape(TShapeType Shape) {
    const int Next = static_cast<int>(Shape) + 1;
    return Next > static_cast<int>(TShapeType::stCircle) ? TShapeType::stRectangle
                                                         : static_cast<TShapeType>(Next);
}

QString FolderOf(const QString& FileName) {
    return QFileInfo(FileName).absolutePath();
}

std::vector<TSchemeShape*> ShapesAmong(const std::vector<TSchemeObject*>& Objects) {
    std::vector<TSchemeShape*> Shapes;
    for (TSchemeObject* Obj : Objects)
        if (auto* Shape = dynamic_cast<TSchemeShape*>(Obj)) Shapes.push_back(Shape);
    return Shapes;
}

}  // namespace

void TFormMain::SetUpActions() {
    FPopupMenu = new QMenu(this);
    FPopupMenu->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* const Items[] = {ui->ActionObjectAdd,
                              ui->ActionObjectAddZone,
                              ui->ActionObjectState,
                              ui->ActionObjectType,
                              ui->ActionObjectDelete,
                              nullptr,
                              ui->ActionCut,
                              ui->ActionCopy,
                              ui->ActionPaste,
                              ui->ActionDuplicate,
                              ui->ActionSelectAll,
                              nullptr,
                              ui->ActionObjectModified,
                              ui->ActionObjectAddPoint,
                              ui->ActionObjectDeletePoint,
                              nullptr,
                              ui->ActionObjectPicture,
                              ui->ActionObjectSelectedPicture,
                              nullptr,
                              ui->ActionZoomIn,
                              ui->ActionZoomOut,
                              ui->ActionZoomActual,
                              ui->ActionZoomToFit,
                              ui->ActionSmoothDrawing,
                              nullptr,
                              ui->ActionCenter,
                              ui->ActionLoad,
                              ui->ActionSave};
    for (QAction* Item : Items) {
        if (!Item) {
            FPopupMenu->addSeparator();
            continue;
        }
        FPopupMenu->addAction(Item);
        addAction(Item);  // so that shortcuts work while the menu is closed
    }
    addAction(ui->ActionPictuteA);
    // The platform's own keys for the clipboard and for selecting everything. A window
    // shortcut takes the key before the focused view sees it, so a key acts once.
    ui->ActionCut->setShortcuts(QKeySequence::Cut);
    ui->ActionCopy->setShortcuts(QKeySequence::Copy);
    ui->ActionPaste->setShortcuts(QKeySequence::Paste);
    ui->ActionSelectAll->setShortcuts(QKeySequence::SelectAll);
    ui->ActionPaste->installEventFilter(this);
    // Undo and Redo come last, after a separator.
    FUndoAction = new QAction(this);
    FUndoAction->setObjectName(QStringLiteral("ActionUndo"));
    FUndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    FRedoAction = new QAction(this);
    FRedoAction->setObjectName(QStringLiteral("ActionRedo"));
    FRedoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    FPopupMenu->addSeparator();
    for (QAction* Step : {FUndoAction, FRedoAction}) {
        FPopupMenu->addAction(Step);
        addAction(Step);
    }
    connect(FPopupMenu, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });

    const auto Bind = [this](QAction* Action, auto Handler) {
        connect(Action, &QAction::triggered, this, [Handler] { RunGuarded(Handler); });
    };
    Bind(ui->ActionLoad, [this] { ActionLoadExecute(); });
    Bind(ui->ActionSave, [this] { SaveDocument(); });
    for (QAction* A : {ui->ActionObjectAdd, ui->ActionObjectAddZone})
        Bind(A, [this, A] { ActionObjectAddExecute(A); });
    Bind(ui->ActionObjectDelete, [this] { ActionObjectDeleteExecute(); });
    Bind(ui->ActionCut, [this] { ActionView()->CutSelection(); });
    Bind(ui->ActionCopy, [this] { ActionView()->CopySelection(); });
    Bind(ui->ActionPaste, [this] { ActionPasteExecute(false); });
    Bind(ui->ActionDuplicate, [this] { ActionView()->DuplicateSelection(); });
    Bind(ui->ActionSelectAll, [this] { FDocument->SelectAll(); });
    Bind(ui->ActionZoomToFit, [this] { ActionZoomToFitExecute(); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { RunGuarded([this] { EnablePaste(); }); });
    Bind(ui->ActionObjectState, [this] { ActionObjectStateExecute(); });
    Bind(ui->ActionObjectType, [this] { ActionObjectTypeExecute(); });
    Bind(ui->ActionObjectModified, [this] { ActionObjectModifiedExecute(); });
    for (QAction* A : {ui->ActionObjectAddPoint, ui->ActionObjectDeletePoint})
        Bind(A, [this, A] { ActionObjectAddPointExecute(A); });
    Bind(ui->ActionCenter, [this] { ActionCenterExecute(); });
    for (QAction* A : {ui->ActionZoomIn, ui->ActionZoomOut, ui->ActionZoomActual})
        Bind(A, [this, A] { ActionZoomInExecute(A); });
    Bind(ui->ActionSmoothDrawing, [this] {
        for (TSchemeVisualEditor* View : FViews)
            View->SetAntialiasing(ui->ActionSmoothDrawing->isChecked());
    });
    Bind(ui->ActionPictuteA, [this] { ActionPictuteAExecute(); });
    Bind(FUndoAction, [this] { ActionStepExecute(true); });
    Bind(FRedoAction, [this] { ActionStepExecute(false); });
    for (QAction* A : {ui->ActionObjectPicture, ui->ActionObjectSelectedPicture})
        Bind(A, [this, A] { ActionObjectPictureExecute(A); });

    ui->ToolButtonLoad->setDefaultAction(ui->ActionLoad);
    ui->ToolButtonSave->setDefaultAction(ui->ActionSave);
    ui->ToolButtonPictute->setDefaultAction(ui->ActionPictuteA);
}

// The step actions follow the history: their texts name the step they would undo or redo, and
// they are disabled when there is none. They are the window's own rather than the history's,
// so that they run guarded and let go of the selection first.
void TFormMain::SetUpHistory() {
    TSchemeHistory& History = FDocument->History();
    connect(&History, &TSchemeHistory::IndexChanged, this, [this] { ShowStepActions(); });
    connect(&History, &TSchemeHistory::CleanChanged, this, [this] { ShowStepActions(); });
    ShowStepActions();
}

void TFormMain::ShowStepActions() {
    TSchemeHistory& History = FDocument->History();
    const bool CanUndo = History.CanUndo();
    const bool CanRedo = History.CanRedo();
    FUndoAction->setEnabled(CanUndo);
    FRedoAction->setEnabled(CanRedo);
    FUndoAction->setText(CanUndo ? QStringLiteral("Undo %1").arg(History.UndoText())
                                 : QStringLiteral("Undo"));
    FRedoAction->setText(CanRedo ? QStringLiteral("Redo %1").arg(History.RedoText())
                                 : QStringLiteral("Redo"));
}

// A step may take selected objects out of the document or bring others back: the selection
// starts afresh. A step that frees selected objects reports the change from the event loop;
// the window shows it at once.
void TFormMain::ActionStepExecute(bool Undo) {
    SelectOnly(nullptr);
    if (Undo)
        FDocument->History().Undo();
    else
        FDocument->History().Redo();
    SelectionChanged();
}

void TFormMain::EnableObjectActions() {
    const std::vector<TSchemeObject*> Selected = FDocument->SelectedObjects();
    const bool Any = !Selected.empty();
    TSchemeObject* S = Selected.size() == 1 ? Selected.front() : nullptr;
    const auto* Polygon = dynamic_cast<TSchemePolygon*>(S);
    for (QAction* A : {ui->ActionObjectDelete, ui->ActionObjectState, ui->ActionCut, ui->ActionCopy,
                       ui->ActionDuplicate})
        A->setEnabled(Any);
    ui->ActionObjectType->setEnabled(!ShapesAmong(Selected).empty());
    ui->ActionObjectModified->setEnabled(S);
    ui->ActionObjectAddPoint->setEnabled(Polygon && Polygon->ResizedPoint() >= 0);
    ui->ActionObjectDeletePoint->setEnabled(Polygon && Polygon->ResizedPoint() >= 0);
    ui->ActionObjectPicture->setEnabled(dynamic_cast<TSchemePicture*>(S));
    ui->ActionObjectSelectedPicture->setEnabled(dynamic_cast<TSchemePicture*>(S));
    FLinkSelectedAction->setEnabled(Selected.size() == 2);
    if (FViewOnly) DisableEditing();
}

// Any text may be a document; whether it is shows when it is pasted.
void TFormMain::EnablePaste() {
    const QMimeData* Mime = QGuiApplication::clipboard()->mimeData();
    ui->ActionPaste->setEnabled(Mime && !TSchemeClipboard::TextOf(*Mime).isEmpty());
}

TSchemeVisualEditor* TFormMain::ActionView() const {
    return FActiveView ? FActiveView : FViews[0];
}

// ---- documents ----

void TFormMain::ActionLoadExecute() {
    if (!SettleUnsavedChanges()) return;
    const QString File = FDialogs->OpenDocument(this, DialogFolder());
    if (File.isEmpty()) return;
    RememberFolder(File);
    OpenDocumentFile(File, true);
}

// A file that cannot be read leaves the open diagram as it is; the error, with the line it
// names, is told through the message.
bool TFormMain::OpenDocumentFile(const QString& File, bool Ask, bool Remember) {
    try {
        if (!LoadDocument(File, Ask)) return false;
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& E) {
        QString Error = QString::fromUtf8(E.what());
        Error.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        FDialogs->Message(this, QStringLiteral("%1 could not be loaded; the open diagram is "
                                               "unchanged.\n\n%2")
                                    .arg(QFileInfo(File).fileName(), Error));
        return false;
    }
    if (Remember) RememberRecent(File);
    return true;
}

// ---- adding and deleting ----

void TFormMain::ActionObjectAddExecute(QAction* Sender) {
    Extended X = FPopupPoint.x();
    Extended Y = FPopupPoint.y();
    ActionView()->TransformZoomAndOriginXYExt(X, Y);
    FDocument->AlignPointToGrid(X, Y);
    AddObjectAt(Sender, X, Y);
}

// The selection and its links go as one step; the selection's change updates the window.
void TFormMain::ActionObjectDeleteExecute() {
    ActionView()->DeleteSelection();
}

void TFormMain::AddObjectAt(QAction* Sender, Extended X, Extended Y) {
    const int LayerId = ui->SpinEditLaerIdAdd->value();
    const bool NewLayer = !FDocument->LayerExists(LayerId);
    const int Id = NewLayer ? 1 : FDocument->GetLayer(LayerId)->GetObjectMaxId() + 1;
    // The new layer, the object and its hint are one step.
    const TSchemeHistoryGroup Step(
        *FDocument,
        QStringLiteral("Add %1 %2")
            .arg(Sender == ui->ActionObjectAdd ? QStringLiteral("Shape") : QStringLiteral("Zone"))
            .arg(Id));
    if (NewLayer) CreateLayerForAdding(LayerId);
    TSchemeLayer* Layer = FDocument->GetLayer(LayerId);
    if (Sender == ui->ActionObjectAdd) {
        FDocument->ObjectAddShapeExt(LayerId, Id, X, Y, FSettings.ShapeWidth, FSettings.ShapeHeight,
                                     FSettings.ShapeState, FSettings.ShapeType);
    } else {
        const int IX = Trunc(X);
        const int IY = Trunc(Y);
        const TPoint Points[] = {
            {IX, IY}, {IX + FSettings.ZoneWidth, IY}, {IX, IY + FSettings.ZoneHeight}};
        FDocument->ObjectAddPolygon(LayerId, Id, Points, FSettings.ZoneState,
                                    FSettings.ZoneFillStyle, QString::number(Id), TPoint{IX, IY});
    }
    TSchemeObject* Added = Layer->GetItem(Id);
    Added->SetHintString(
        QStringLiteral("%1 Layer Id:%2 Object Id:%3").arg(KindName(*Added)).arg(LayerId).arg(Id));
    Layer->Sort();
}

void TFormMain::CreateLayerForAdding(int LayerId) {
    TSchemeLayer* Layer = FDocument->LayerAdd(LayerId);
    Layer->SetMinZoomForText(10.0);
    Layer->SetEnabledZoomForText(false);
    Layer->SetAllStateColors(kNewLayerColors);
}

// ---- the selected objects ----

// Each selected object goes on to its own next state, 9 wrapping to 0.
void TFormMain::ActionObjectStateExecute() {
    const std::vector<TSchemeObject*> Selected = FDocument->SelectedObjects();
    if (Selected.empty()) return;
    const TSchemeHistoryGroup Step(*FDocument,
                                   DescribeObjects(QStringLiteral("Change state of"), Selected));
    for (TSchemeObject* Obj : Selected) {
        const int N = Obj->State() + 1;
        FDocument->SetObjectStateDirect(Obj, N > 9 ? 0 : N);
    }
    ShowSelectedInfo();
}

// The shapes among the selection change their type; the other kinds have none.
void TFormMain::ActionObjectTypeExecute() {
    const std::vector<TSchemeShape*> Shapes = ShapesAmong(FDocument->SelectedObjects());
    if (Shapes.empty()) return;
    const TSchemeHistoryGroup Step(
        *FDocument, DescribeObjects(QStringLiteral("Change type of"),
                                    std::vector<TSchemeObject*>(Shapes.begin(), Shapes.end())));
    for (TSchemeShape* Shape : Shapes) Shape->SetShape(NextShape(Shape->Shape()));
}

void TFormMain::ActionObjectModifiedExecute() {
    TSchemeObject* Selected = SelectedObject();
    if (!Selected) return;
    const bool On = !Selected->Resized();
    const TSchemeHistoryGroup Step(
        *FDocument,
        QStringLiteral("Resize hooks %1 for %2")
            .arg(On ? QStringLiteral("on") : QStringLiteral("off"), DescribeObject(*Selected)));
    Selected->SetResized(On);
}

void TFormMain::ActionObjectAddPointExecute(QAction* Sender) {
    TSchemeObject* Selected = SelectedObject();
    if (!Selected) return;
    const bool Add = Sender == ui->ActionObjectAddPoint;
    const TSchemeHistoryGroup Step(
        *FDocument, (Add ? QStringLiteral("Add point to %1") : QStringLiteral("Delete point of %1"))
                        .arg(DescribeObject(*Selected)));
    if (Add)
        FDocument->ObjectAddResizedPointDirect(Selected);
    else
        FDocument->ObjectDeleteResizedPointDirect(Selected);
}

// ---- the clipboard ----

void TFormMain::ActionPasteExecute(bool ByKeyboard) {
    TSchemeVisualEditor* View = ActionView();
    if (ByKeyboard) return View->PasteFromClipboard();
    Extended X = FPopupPoint.x();
    Extended Y = FPopupPoint.y();
    View->TransformZoomAndOriginXYExt(X, Y);
    FDocument->AlignPointToGrid(X, Y);
    View->PasteFromClipboard(PointExt(X, Y));
}

bool TFormMain::DisabledShortcut(const QKeyEvent& Key) const {
    const QKeySequence Pressed(Key.keyCombination());
    return std::ranges::any_of(actions(), [&](const QAction* A) {
        return !A->isEnabled() && A->shortcuts().contains(Pressed);
    });
}

bool TFormMain::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == ui->ActionPaste && Event->type() == QEvent::Shortcut &&
        !static_cast<QShortcutEvent*>(Event)->isAmbiguous()) {
        RunGuarded([this] { ActionPasteExecute(true); });
        return true;
    }
    // The view would act on it by itself, though the window's action says it cannot.
    if (Event->type() == QEvent::KeyPress &&
        std::ranges::any_of(FViews, [Watched](const QObject* V) { return V == Watched; }) &&
        DisabledShortcut(*static_cast<QKeyEvent*>(Event)))
        return true;
    return QMainWindow::eventFilter(Watched, Event);
}

// ---- views ----

void TFormMain::ActionCenterExecute() {
    TSchemeVisualEditor* View = ActionView();
    int PX = FPopupPoint.x();
    int PY = FPopupPoint.y();
    View->TransformZoomAndOriginXY(PX, PY);
    // A centres B then C, B centres C then A, C centres B then A.
    const int Others[3][2] = {{1, 2}, {2, 0}, {1, 0}};
    for (int Other : Others[ViewIndex(View)]) FViews[Other]->SetCenterToPoint(TPoint{PX, PY});
}

// The zoom an action asks of View: a step in or out, or 1 for Zoom Actual (and for a step of 0).
Extended TFormMain::ZoomTarget(const QAction* Sender, const TSchemeVisualEditor* View) const {
    Extended Step = FSettings.ZoomStep[ViewIndex(View)];
    if (Sender == ui->ActionZoomOut) Step = -Step;
    if (Sender == ui->ActionZoomActual) Step = 0;
    return Step != 0 ? View->Zoom() + Step : 1.0;
}

// Zoom In and Zoom Out are off where the view would refuse their step, for the view they act
// on: asked again whenever a zoom, a step or that view changes.
void TFormMain::EnableZoomActions() {
    const TSchemeVisualEditor* View = ActionView();
    for (QAction* A : {ui->ActionZoomIn, ui->ActionZoomOut})
        A->setEnabled(TSchemeVisual::ZoomInRange(ZoomTarget(A, View)));
}

void TFormMain::ActionZoomInExecute(QAction* Sender) {
    TSchemeVisualEditor* View = ActionView();
    const bool HasPoint = FPopupPoint.x() != 0 && FPopupPoint.y() != 0;
    int PX = FPopupPoint.x();
    int PY = FPopupPoint.y();
    if (HasPoint) View->TransformZoomAndOriginXY(PX, PY);
    View->SetZoom(ZoomTarget(Sender, View));
    if (HasPoint) View->SetCenterToPoint(TPoint{PX, PY});
    ShowZooms();
}

void TFormMain::ActionZoomToFitExecute() {
    ActionView()->ZoomToFit();
    ShowZooms();
}

// ---- pictures ----

QString TFormMain::ChoosePicture() {
    const QString File = FDialogs->OpenPicture(this, FLastPictureDir);
    if (!File.isEmpty()) FLastPictureDir = FolderOf(File);
    return File;
}

void TFormMain::ActionPictuteAExecute() {
    const QString File = ChoosePicture();
    if (File.isEmpty()) return;
    TPicture Picture;
    Picture.LoadFromFile(File);
    for (int I : {1, 2, 0}) FViews[I]->SetPicture(Picture);
}

void TFormMain::ActionObjectPictureExecute(QAction* Sender) {
    if (!dynamic_cast<TSchemePicture*>(SelectedObject())) return;
    const QString File = ChoosePicture();
    // Asked again: the dialog's event loop may have changed the selection.
    auto* Object = dynamic_cast<TSchemePicture*>(SelectedObject());
    if (File.isEmpty() || !Object) return;
    TPicture Picture;
    Picture.LoadFromFile(File);
    const bool Selected = Sender == ui->ActionObjectSelectedPicture;
    const TSchemeHistoryGroup Step(
        *FDocument,
        QStringLiteral("Change %1picture of %2")
            .arg(Selected ? QStringLiteral("selected ") : QString(), DescribeObject(*Object)));
    if (!Selected)
        Object->SetPicture(Picture);
    else
        Object->SetSelectedPicture(Picture);
}

}  // namespace tarsel
