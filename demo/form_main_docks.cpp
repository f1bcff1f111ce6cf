// The docks beside the views: the object inspector and the layer list. The layer list's current
// layer is the one Add Object uses; its tab sheet's Layer Id edit follows it, and choosing a layer
// by its Id there makes it current in the list.
#include <QDockWidget>
#include <QMenu>
#include <QSignalBlocker>
#include <QSpinBox>

#include "form_main.h"
#include "scheme/controls/layer_list.h"
#include "scheme/controls/object_inspector.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/platform/error_handler.h"
#include "ui_form_main.h"

using namespace scheme;

namespace tarsel {

namespace {

QDockWidget* NewDock(QMainWindow* Window, const char* Name, const QString& Title,
                     QWidget* Content) {
    auto* Dock = new QDockWidget(Title, Window);
    Dock->setObjectName(QString::fromLatin1(Name));
    Dock->setWidget(Content);
    Dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    Window->addDockWidget(Qt::RightDockWidgetArea, Dock);
    return Dock;
}

}  // namespace

void TFormMain::SetUpDocks() {
    FInspector = new TSchemeObjectInspector(this);
    FInspector->SetSchemeData(FDocument);
    FLayerList = new TSchemeLayerList(this);
    FLayerList->SetSchemeData(FDocument);
    QDockWidget* Inspector =
        NewDock(this, "DockInspector", QStringLiteral("Inspector"), FInspector);
    QDockWidget* Layers = NewDock(this, "DockLayers", QStringLiteral("Layers"), FLayerList);
    splitDockWidget(Inspector, Layers, Qt::Vertical);
    Inspector->toggleViewAction()->setObjectName(QStringLiteral("ActionShowInspector"));
    Layers->toggleViewAction()->setObjectName(QStringLiteral("ActionShowLayers"));
    for (QDockWidget* Dock : {Inspector, Layers}) FViewMenu->addAction(Dock->toggleViewAction());

    QSpinBox* AddTo = ui->SpinEditLaerIdAdd;
    connect(FLayerList, &TSchemeLayerList::CurrentLayerChanged, this, [AddTo](int LayerId) {
        if (LayerId < 0) return;
        const QSignalBlocker Quiet(AddTo);
        AddTo->setValue(LayerId);
    });
    // An Id that names no layer yet stays typed: adding creates that layer.
    connect(AddTo, &QSpinBox::valueChanged, this, [this](int LayerId) {
        RunGuarded([&] {
            if (FDocument->LayerExists(LayerId)) FLayerList->SetCurrentLayerId(LayerId);
        });
    });
}

}  // namespace tarsel
