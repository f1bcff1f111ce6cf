// The popup menu's actions.
#include <QFileInfo>
#include <QMenu>

#include "form_main.h"
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
    for (QAction* A : {ui->ActionObjectPicture, ui->ActionObjectSelectedPicture})
        Bind(A, [this, A] { ActionObjectPictureExecute(A); });

    ui->ToolButtonLoad->setDefaultAction(ui->ActionLoad);
    ui->ToolButtonSave->setDefaultAction(ui->ActionSave);
    ui->ToolButtonPictute->setDefaultAction(ui->ActionPictuteA);
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

void TFormMain::ActionLoadExecute() {
    const QString File = FDialogs->OpenDocument(this, FDocumentFolder);
    if (File.isEmpty()) return;
    FDocumentFolder = FolderOf(File);
    LoadDocument(File, true);
}

void TFormMain::ActionSaveExecute() {
    const QString File = FDialogs->SaveDocument(this, FDocumentFolder);
    if (File.isEmpty()) return;
    FDocumentFolder = FolderOf(File);
    FDocument->SaveToFile(File);
}

// ---- adding and deleting ----

void TFormMain::ActionObjectAddExecute(QAction* Sender) {
    Extended X = FPopupPoint.x();
    Extended Y = FPopupPoint.y();
    ActionView()->TransformZoomAndOriginXYExt(X, Y);
    FDocument->AlignPointToGrid(X, Y);
    if (Sender == ui->ActionObjectDelete) {
        if (TSchemeObject* Doomed = FSelectedObject) {
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
    TSchemeLayer* Layer = nullptr;
    try {
        Layer = FDocument->GetLayer(LayerId);
    } catch (const scheme::Exception&) {
        CreateLayerForAdding(LayerId);
        Layer = FDocument->GetLayer(LayerId);
    }
    const int Id = Layer->GetObjectMaxId() + 1;
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
    FDocument->SetObjectStateDirect(FSelectedObject, N);
    ShowSelectedInfo();
}

void TFormMain::ActionObjectTypeExecute() {
    if (auto* Shape = dynamic_cast<TSchemeShape*>(FSelectedObject))
        Shape->SetShape(NextShape(Shape->Shape()));
}

void TFormMain::ActionObjectModifiedExecute() {
    if (FSelectedObject) FSelectedObject->SetResized(!FSelectedObject->Resized());
}

void TFormMain::ActionObjectAddPointExecute(QAction* Sender) {
    if (!FSelectedObject) return;
    if (Sender == ui->ActionObjectAddPoint)
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
    if (Sender == ui->ActionObjectPicture)
        Object->SetPicture(Picture);
    else
        Object->SetSelectedPicture(Picture);
}

}  // namespace tarsel
