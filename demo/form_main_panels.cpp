// The property panels below the views, and the hint texts of views B and C.
#include <QComboBox>
#include <QLocale>
#include <QSpinBox>
#include <QStatusBar>
#include <QTime>

#include "form_main.h"
#include "scheme/controls/fill_style_combo_box.h"
#include "scheme/controls/message_beep.h"
#include "scheme/controls/numeric_edit.h"
#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/model/kind_name.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/scheme_visual_editor.h"
#include "ui_form_main.h"

using namespace scheme;

namespace tarsel {

namespace {

const QString kMoving = QStringLiteral("Moving");
constexpr int kLinkTypeMoving = -1;
const QString kAlwaysLastPoint = QStringLiteral("Always last point");
constexpr int kLinkTypeLastPoint = 100;

// The link type a link-type list's choice stands for: "Moving" -1, the item of point i i,
// "Always last point" 100; an empty list -2.
int LinkTypeOf(const QComboBox* Combo) {
    if (Combo->currentText() == kAlwaysLastPoint) return kLinkTypeLastPoint;
    return Combo->currentIndex() - 1;
}

}  // namespace

template <class Sender, class Signal, class F>
void TFormMain::OnSignal(Sender* S, Signal Sig, F&& Handler) {
    connect(S, Sig, this, [H = std::forward<F>(Handler)] { RunGuarded(H); });
}

void TFormMain::SetUpPanels() {
    ConnectAddingDefaults();
    ConnectViewSettings();
    ConnectLinkPanel();
    FViews[1]->OnShowHint = [](TObject*, TSchemeObject*, const TPoint&, QString& HintString,
                               bool&) {
        HintString = QLocale().toString(QTime::currentTime(), QLocale::LongFormat);
    };
    FViews[2]->OnShowHint = [](TObject*, TSchemeObject* AObject, const TPoint&, QString& HintString,
                               bool&) {
        HintString = QStringLiteral("%1\rObject Id=%2\rLayer Id=%3")
                         .arg(KindName(*AObject))
                         .arg(AObject->Id())
                         .arg(AObject->Layer() ? AObject->Layer()->ID() : 0);
    };
}

// ---- defaults for adding, grid, blinking ----

void TFormMain::ConnectAddingDefaults() {
    const auto Copy = [this] { AddingDefaultsChanged(); };
    for (QLineEdit* Edit :
         std::initializer_list<QLineEdit*>{ui->FloatEdit8, ui->FloatEdit10, ui->IntEdit1,
                                           ui->IntEdit4, ui->IntEdit5, ui->IntEdit2})
        OnSignal(Edit, &QLineEdit::textChanged, Copy);
    OnSignal(ui->ComboBox1, &QComboBox::currentIndexChanged, Copy);
    OnSignal(ui->FillStyleComboBox1, &QComboBox::activated, Copy);

    OnSignal(ui->CheckBox6, &QCheckBox::toggled,
             [this] { FDocument->AlignToGrid().SetEnabled(ui->CheckBox6->isChecked()); });
    OnSignal(ui->FloatEdit1, &QLineEdit::textChanged,
             [this] { FDocument->AlignToGrid().SetDeltaX(ui->FloatEdit1->Value()); });
    OnSignal(ui->FloatEdit2, &QLineEdit::textChanged,
             [this] { FDocument->AlignToGrid().SetDeltaY(ui->FloatEdit2->Value()); });
    OnSignal(ui->CheckBox5, &QCheckBox::toggled,
             [this] { SetBlinking(ui->CheckBox5->isChecked()); });
    OnSignal(ui->CheckBox4, &QCheckBox::toggled, [this] {
        for (int I : {1, 2, 0}) FViews[I]->SetDoubleBuffered(ui->CheckBox4->isChecked());
    });
}

// The blinking interval is saved with the document, but no step of its history holds it: a
// change of it leaves the document changed until it is saved.
void TFormMain::SetBlinking(bool On) {
    const int Interval = On ? 200 : 0;
    if (Interval == FDocument->TimerInterval()) return;
    FDocument->SetTimerInterval(Interval);
    FDocument->SetModified(true);
}

// Every default at once, so that a text that does not convert in any of the edits fails the
// copy whichever control changed.
void TFormMain::AddingDefaultsChanged() {
    TEditorSettings S = FSettings;
    S.ShapeWidth = ui->FloatEdit8->Value();
    S.ShapeHeight = ui->FloatEdit10->Value();
    S.ShapeType = static_cast<TShapeType>(qMax(0, ui->ComboBox1->currentIndex()));
    S.ShapeState = ui->IntEdit1->Value();
    S.ZoneWidth = ui->IntEdit4->Value();
    S.ZoneHeight = ui->IntEdit5->Value();
    S.ZoneFillStyle = ui->FillStyleComboBox1->FillStyle();
    S.ZoneState = ui->IntEdit2->Value();
    FSettings = S;
}

// ---- per-view settings ----

void TFormMain::ConnectViewSettings() {
    QCheckBox* const Editing[3] = {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3};
    TFloatEdit* const MinZoom[3] = {ui->FloatEdit3, ui->FloatEdit4, ui->FloatEdit6};
    TFloatEdit* const ZoomStep[3] = {ui->FloatEdit9, ui->FloatEdit5, ui->FloatEdit7};
    for (int I = 0; I < 3; ++I) {
        TSchemeVisualEditor* View = FViews[I];
        QCheckBox* Box = Editing[I];
        TFloatEdit* Zoom = MinZoom[I];
        TFloatEdit* Step = ZoomStep[I];
        OnSignal(Box, &QCheckBox::toggled, [View, Box] { View->SetEditEnabled(Box->isChecked()); });
        OnSignal(Zoom, &QLineEdit::textChanged,
                 [View, Zoom] { View->SetMinZoomForResize(Zoom->Value()); });
        OnSignal(Step, &QLineEdit::textChanged, [this, I, Step] {
            FSettings.ZoomStep[I] = Step->Value();
            EnableZoomActions();
        });
    }
}

// ---- links ----

void TFormMain::ConnectLinkPanel() {
    const auto Parent = [this] { RebuildLinkTypes(ui->SpinEdit1, ui->SpinEdit2, ui->ComboBox2); };
    const auto Child = [this] { RebuildLinkTypes(ui->SpinEdit3, ui->SpinEdit4, ui->ComboBox3); };
    OnSignal(ui->SpinEdit1, &QSpinBox::valueChanged, Parent);
    OnSignal(ui->SpinEdit2, &QSpinBox::valueChanged, Parent);
    OnSignal(ui->SpinEdit3, &QSpinBox::valueChanged, Child);
    OnSignal(ui->SpinEdit4, &QSpinBox::valueChanged, Child);
    OnSignal(ui->BitBtn3, &QPushButton::clicked,
             [this] { FindObject(ui->SpinEdit1, ui->SpinEdit2); });
    OnSignal(ui->BitBtn4, &QPushButton::clicked,
             [this] { FindObject(ui->SpinEdit3, ui->SpinEdit4); });
    OnSignal(ui->BitBtn2, &QPushButton::clicked, [this] { AddLink(); });
    OnSignal(ui->BitBtn1, &QPushButton::clicked, [this] {
        const TSchemeHistoryGroup Step(*FDocument, QStringLiteral("Clear links"));
        FDocument->LinkClear();
    });
}

TSchemeObject* TFormMain::ObjectOf(QSpinBox* ObjectSpin, QSpinBox* LayerSpin) const {
    return FDocument->GetLayer(LayerSpin->value())->GetItem(ObjectSpin->value());
}

void TFormMain::RebuildLinkTypes(QSpinBox* ObjectSpin, QSpinBox* LayerSpin, QComboBox* Combo) {
    Combo->clear();
    TSchemeObject* Object = nullptr;
    try {
        Object = ObjectOf(ObjectSpin, LayerSpin);
    } catch (const scheme::Exception&) {
        return;  // an unknown object leaves the list empty
    }
    Combo->addItem(kMoving);
    for (int I = 0; I < Object->Count(); ++I)
        Combo->addItem(QStringLiteral("%1 Point(Apex)").arg(I));
    Combo->addItem(kAlwaysLastPoint);
    Combo->setCurrentIndex(0);
}

void TFormMain::FindObject(QSpinBox* ObjectSpin, QSpinBox* LayerSpin) {
    SelectOnly(FDocument->ObjectFind(LayerSpin->value(), ObjectSpin->value()));
}

void TFormMain::AddLink() {
    TSchemeObject* Parent = ObjectOf(ui->SpinEdit1, ui->SpinEdit2);
    const int ParentType = LinkTypeOf(ui->ComboBox2);
    TSchemeObject* Child = ObjectOf(ui->SpinEdit3, ui->SpinEdit4);
    const int ChildType = LinkTypeOf(ui->ComboBox3);
    if (Child == Parent) {
        MessageBeep(0);
        throw EAbort(QStringLiteral("Operation aborted"));
    }
    {
        const TSchemeHistoryGroup Step(
            *FDocument,
            QStringLiteral("Link %1 to %2").arg(DescribeObject(*Parent), DescribeObject(*Child)));
        FDocument->LinkAdd(Parent, ParentType, Child, ChildType);
    }
    FDialogs->Message(this, QStringLiteral("Link was added!\n\nParent object\nId: %1\nLayer Id:%2\n"
                                           "Link type:%3\n\nChild object\nId: %4\nLayer Id:%5\n"
                                           "Link type:%6")
                                .arg(ui->SpinEdit1->value())
                                .arg(ui->SpinEdit2->value())
                                .arg(ui->ComboBox2->currentText())
                                .arg(ui->SpinEdit3->value())
                                .arg(ui->SpinEdit4->value())
                                .arg(ui->ComboBox3->currentText()));
}

// ---- linking the selection ----

namespace {
std::pair<int, int> IdsOf(const TSchemeObject& Object) {
    return {Object.Layer() ? Object.Layer()->ID() : 0, Object.Id()};
}
}  // namespace

// Ids, not the object: a step or a delete may free it while it is remembered.
void TFormMain::RememberFirstSelected() {
    const int Count = FDocument->SelectedCount();
    if (Count == 0) FFirstSelected.reset();
    if (Count == 1) FFirstSelected = IdsOf(*SelectedObject());
}

// The link types are the link panel's choices where its lists are those of the objects linked,
// else "Moving" for both.
void TFormMain::ActionLinkSelectedExecute() {
    std::vector<TSchemeObject*> Selected = FDocument->SelectedObjects();
    if (Selected.size() != 2) return;
    // The document answers drawing order; the parent is the one selected first.
    if (FFirstSelected == IdsOf(*Selected[1])) std::swap(Selected[0], Selected[1]);
    TSchemeObject* const Parent = Selected[0];
    TSchemeObject* const Child = Selected[1];
    const auto TypeOf = [this](const TSchemeObject* Object, QSpinBox* ObjectSpin,
                               QSpinBox* LayerSpin, const QComboBox* Combo) {
        if (Combo->count() == 0) return kLinkTypeMoving;
        try {
            if (ObjectOf(ObjectSpin, LayerSpin) != Object) return kLinkTypeMoving;
        } catch (const scheme::Exception&) {
            return kLinkTypeMoving;
        }
        return LinkTypeOf(Combo);
    };
    const int ParentType = TypeOf(Parent, ui->SpinEdit1, ui->SpinEdit2, ui->ComboBox2);
    const int ChildType = TypeOf(Child, ui->SpinEdit3, ui->SpinEdit4, ui->ComboBox3);
    const QString Names =
        QStringLiteral("%1 to %2").arg(DescribeObject(*Parent), DescribeObject(*Child));
    {
        const TSchemeHistoryGroup Step(*FDocument, QStringLiteral("Link ") + Names);
        FDocument->LinkAdd(Parent, ParentType, Child, ChildType);
    }
    statusBar()->showMessage(QStringLiteral("Linked ") + Names, kStatusMessageTime);
}

}  // namespace tarsel
