// The popup menu's actions.
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>

#include "form_main.h"
#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_data_editor.h"
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
    Bind(ui->ActionSave, [this] { ActionSaveExecute(); });
    for (QAction* A : {ui->ActionObjectAdd, ui->ActionObjectAddZone, ui->ActionObjectDelete})
        Bind(A, [this, A] { ActionObjectAddExecute(A); });
    Bind(ui->ActionObjectState, [this] { ActionObjectStateExecute(); });
    Bind(ui->ActionObjectType, [this] { ActionObjectTypeExecute(); });
    Bind(ui->ActionObjectModified, [this] { ActionObjectModifiedExecute(); });
    for (QAction* A : {ui->ActionObjectAddPoint, ui->ActionObjectDeletePoint})
        Bind(A, [this, A] { ActionObjectAddPointExecute(A); });
    Bind(ui->ActionCenter, [this] { ActionCenterExecute(); });
    for (QAction* A : {ui->ActionZoomIn, ui->ActionZoomOut, ui->ActionZoomActual})
        Bind(A, [this, A] { ActionZoomInExecute(A); });
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

// A step may take the selected object out of the document (undoing its addition): the
// selection goes first, so that the window never holds an object the document freed.
void TFormMain::ActionStepExecute(bool Undo) {
    SelectObject(nullptr);
    if (Undo)
        FDocument->History().Undo();
    else
        FDocument->History().Redo();
    EnableObjectActions();
}

void TFormMain::EnableObjectActions() {
    TSchemeObject* S = FSelectedObject;
    const auto* Polygon = dynamic_cast<TSchemePolygon*>(S);
    ui->ActionObjectDelete->setEnabled(S);
    ui->ActionObjectState->setEnabled(S);
    ui->ActionObjectModified->setEnabled(S);
    ui->ActionObjectType->setEnabled(dynamic_cast<TSchemeShape*>(S));
    ui->ActionObjectAddPoint->setEnabled(Polygon && Polygon->ResizedPoint() >= 0);
    ui->ActionObjectDeletePoint->setEnabled(Polygon && Polygon->ResizedPoint() >= 0);
    ui->ActionObjectPicture->setEnabled(dynamic_cast<TSchemePicture*>(S));
    ui->ActionObjectSelectedPicture->setEnabled(dynamic_cast<TSchemePicture*>(S));
}

TSchemeVisualEditor* TFormMain::ActionView() const {
    return FActiveView ? FActiveView : FViews[0];
}

// ---- documents ----

// A file that cannot be read leaves the open diagram as it is; the error, with the line it
// names, is told through the message.
void TFormMain::ActionLoadExecute() {
    if (!SettleUnsavedChanges()) return;
    const QString File = FDialogs->OpenDocument(this, FDocumentFolder);
    if (File.isEmpty()) return;
    FDocumentFolder = FolderOf(File);
    try {
        LoadDocument(File, true);
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& E) {
        QString Error = QString::fromUtf8(E.what());
        Error.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        FDialogs->Message(this, QStringLiteral("%1 could not be loaded; the open diagram is "
                                               "unchanged.\n\n%2")
                                    .arg(QFileInfo(File).fileName(), Error));
    }
}

void TFormMain::ActionSaveExecute() {
    SaveDocumentTo(FDialogs->SaveDocument(this, FDocumentFolder));
}

// ---- adding and deleting ----

void TFormMain::ActionObjectAddExecute(QAction* Sender) {
    Extended X = FPopupPoint.x();
    Extended Y = FPopupPoint.y();
    ActionView()->TransformZoomAndOriginXYExt(X, Y);
    FDocument->AlignPointToGrid(X, Y);
    if (Sender == ui->ActionObjectDelete) {
        if (TSchemeObject* Doomed = FSelectedObject) {
            const TSchemeHistoryGroup Step(
                *FDocument, QStringLiteral("Delete %1").arg(DescribeObject(*Doomed)));
            FSelectedObject = nullptr;
            FDocument->ObjectDelete(Doomed->Layer()->ID(), Doomed->Id());
            SetStatusText(2, {});
        }
    } else {
        AddObjectAt(Sender, X, Y);
    }
    EnableObjectActions();
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
        QStringLiteral("%1 Layer Id:%2 Object Id:%3").arg(Added->ClassName()).arg(LayerId).arg(Id));
    Layer->Sort();
}

void TFormMain::CreateLayerForAdding(int LayerId) {
    TSchemeLayer* Layer = FDocument->LayerAdd(LayerId);
    Layer->SetMinZoomForText(10.0);
    Layer->SetEnabledZoomForText(false);
    Layer->SetAllStateColors(kNewLayerColors);
}

// ---- the selected object ----

void TFormMain::ActionObjectStateExecute() {
    if (!FSelectedObject) return;
    int N = FSelectedObject->State() + 1;
    if (N > 9) N = 0;
    const TSchemeHistoryGroup Step(
        *FDocument, QStringLiteral("Change state of %1").arg(DescribeObject(*FSelectedObject)));
    FDocument->SetObjectStateDirect(FSelectedObject, N);
    ShowSelectedInfo();
}

void TFormMain::ActionObjectTypeExecute() {
    auto* Shape = dynamic_cast<TSchemeShape*>(FSelectedObject);
    if (!Shape) return;
    const TSchemeHistoryGroup Step(*FDocument,
                                   QStringLiteral("Change type of %1").arg(DescribeObject(*Shape)));
    Shape->SetShape(NextShape(Shape->Shape()));
}

void TFormMain::ActionObjectModifiedExecute() {
    if (!FSelectedObject) return;
    const bool On = !FSelectedObject->Resized();
    const TSchemeHistoryGroup Step(*FDocument,
                                   QStringLiteral("Resize hooks %1 for %2")
                                       .arg(On ? QStringLiteral("on") : QStringLiteral("off"),
                                            DescribeObject(*FSelectedObject)));
    FSelectedObject->SetResized(On);
}

void TFormMain::ActionObjectAddPointExecute(QAction* Sender) {
    if (!FSelectedObject) return;
    const bool Add = Sender == ui->ActionObjectAddPoint;
    const TSchemeHistoryGroup Step(
        *FDocument, (Add ? QStringLiteral("Add point to %1") : QStringLiteral("Delete point of %1"))
                        .arg(DescribeObject(*FSelectedObject)));
    if (Add)
        FDocument->ObjectAddResizedPointDirect(FSelectedObject);
    else
        FDocument->ObjectDeleteResizedPointDirect(FSelectedObject);
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

void TFormMain::ActionZoomInExecute(QAction* Sender) {
    TSchemeVisualEditor* View = ActionView();
    const bool HasPoint = FPopupPoint.x() != 0 && FPopupPoint.y() != 0;
    int PX = FPopupPoint.x();
    int PY = FPopupPoint.y();
    if (HasPoint) View->TransformZoomAndOriginXY(PX, PY);
    Extended Step = FSettings.ZoomStep[ViewIndex(View)];
    if (Sender == ui->ActionZoomOut) Step = -Step;
    if (Sender == ui->ActionZoomActual) Step = 0;
    View->SetZoom(Step != 0 ? View->Zoom() + Step : 1.0);
    if (HasPoint) View->SetCenterToPoint(TPoint{PX, PY});
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
    auto* Object = dynamic_cast<TSchemePicture*>(FSelectedObject);
    if (!Object) return;
    const QString File = ChoosePicture();
    if (File.isEmpty()) return;
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
