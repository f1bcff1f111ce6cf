#include "scheme/controls/object_inspector.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>

#include "scheme/controls/fill_style_combo_box.h"
#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/kind_name.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/color.h"
#include "scheme/platform/error_handler.h"

namespace scheme {

namespace {

// A spin box that can show nothing (the selected objects differ) while it keeps a value for
// its arrows to step from, and that reports every value the user sets: a new value as it
// is taken, and a value typed into a blank box even when it equals the kept one.
template <class TBase, class T>
class TBlankableSpinBox : public TBase {
public:
    explicit TBlankableSpinBox(QWidget* Parent) : TBase(Parent) {
        this->setKeyboardTracking(false);
        QObject::connect(this->lineEdit(), &QLineEdit::textEdited, this, [this] { FTyped = true; });
    }
    void Show(T Value, bool Blank) {
        FBlank = Blank;
        FTyped = false;
        this->setValue(Value);
    }
    template <class F>
    void OnEdit(F Commit) {
        QObject::connect(this, &TBase::valueChanged, this, [this, Commit](T Value) {
            FTyped = false;
            Commit(Value);
        });
        QObject::connect(this, &QAbstractSpinBox::editingFinished, this, [this, Commit] {
            if (std::exchange(FTyped, false)) Commit(this->value());
        });
    }

protected:
    QString textFromValue(T Value) const override {
        return FBlank ? QString() : TBase::textFromValue(Value);
    }

private:
    bool FBlank = false;
    bool FTyped = false;
};

// A value the objects share, or nothing when two of them differ.
template <class F>
auto Shared(const std::vector<TSchemeObject*>& Objects, F&& Get)
    -> std::optional<std::decay_t<decltype(Get(*Objects.front()))>> {
    std::optional<std::decay_t<decltype(Get(*Objects.front()))>> Value;
    for (const TSchemeObject* Obj : Objects) {
        auto V = Get(*Obj);
        if (!Value)
            Value = std::move(V);
        else if (!(*Value == V))
            return std::nullopt;
    }
    return Value;
}

struct TBounds {
    Extended Left = 0, Top = 0, Width = 0, Height = 0;
};

// The box of the object's points in world units; a box answers its rectangle.
TBounds BoundsOf(const TSchemeObject& Obj) {
    TBounds B;
    if (const auto* Box = dynamic_cast<const TSchemeBox*>(&Obj)) {
        Box->GetRect(B.Left, B.Top, B.Width, B.Height, 0);
        return B;
    }
    if (Obj.Count() == 0) return B;
    TPointExt Min = Obj.GetPointsExt(0), Max = Min;
    for (int I = 1; I < Obj.Count(); ++I) {
        const TPointExt P = Obj.GetPointsExt(I);
        Min.X = std::min(Min.X, P.X);
        Min.Y = std::min(Min.Y, P.Y);
        Max.X = std::max(Max.X, P.X);
        Max.Y = std::max(Max.Y, P.Y);
    }
    return TBounds{Min.X, Min.Y, Max.X - Min.X, Max.Y - Min.Y};
}

// A square of the colour; no colour (the objects differ): a crossed-out blank square.
QPixmap Swatch(std::optional<TColor> Color, int Side = 14) {
    QPixmap Pixmap(Side, Side);
    Pixmap.fill(Qt::transparent);
    QPainter Painter(&Pixmap);
    const QRect Box(0, 0, Side - 1, Side - 1);
    Painter.setPen(Qt::gray);
    Painter.setBrush(Color ? QBrush(ColorToQColor(*Color)) : QBrush(Qt::white));
    Painter.drawRect(Box);
    if (!Color) Painter.drawLine(Box.bottomLeft(), Box.topRight());
    return Pixmap;
}

const char* const kPenStyleNames[] = {"Solid",        "Dash",  "Dot",         "Dash dot",
                                      "Dash dot dot", "Clear", "Inside frame"};

constexpr double kCoordinateLimit = 1e9;

}  // namespace

class TSchemeObjectInspector::TSpinBox : public TBlankableSpinBox<QSpinBox, int> {
    using TBlankableSpinBox::TBlankableSpinBox;
};

class TSchemeObjectInspector::TDoubleSpinBox : public TBlankableSpinBox<QDoubleSpinBox, double> {
    using TBlankableSpinBox::TBlankableSpinBox;
};

TSchemeObjectInspector::TSchemeObjectInspector(QWidget* Parent) : QWidget(Parent) {
    Build();
    Connect();
    Refresh();
}

TSchemeObjectInspector::~TSchemeObjectInspector() = default;

void TSchemeObjectInspector::Build() {
    auto* Form = new QFormLayout(this);
    auto Named = [](auto* Widget, const char* Name) {
        Widget->setObjectName(QString::fromLatin1(Name));
        return Widget;
    };
    auto Row = [this](std::initializer_list<QWidget*> Widgets) {
        auto* Box = new QWidget(this);
        auto* Layout = new QHBoxLayout(Box);
        Layout->setContentsMargins(0, 0, 0, 0);
        for (QWidget* W : Widgets) Layout->addWidget(W);
        Layout->addStretch();
        return Box;
    };
    FKind = Named(new QLabel(this), "InspectorKind");
    FId = Named(new TSpinBox(this), "InspectorId");
    FId->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    FLayer = Named(new QLabel(this), "InspectorLayer");
    FState = Named(new TSpinBox(this), "InspectorState");
    FState->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    FStateColor = Named(new QLabel(this), "InspectorStateColor");
    FCaption = Named(new QLineEdit(this), "InspectorCaption");
    FHint = Named(new QLineEdit(this), "InspectorHint");
    for (auto [Field, Name] :
         {std::pair{&FLeft, "InspectorLeft"}, std::pair{&FTop, "InspectorTop"},
          std::pair{&FWidth, "InspectorWidth"}, std::pair{&FHeight, "InspectorHeight"}}) {
        *Field = Named(new TDoubleSpinBox(this), Name);
        (*Field)->setDecimals(2);
        (*Field)->setRange(-kCoordinateLimit, kCoordinateLimit);
    }
    FWidth->setMinimum(0);
    FHeight->setMinimum(0);
    FPenColor = Named(new QToolButton(this), "InspectorPenColor");
    FPenStyle = Named(new QComboBox(this), "InspectorPenStyle");
    for (const char* Name : kPenStyleNames) FPenStyle->addItem(tr(Name));
    FPenWidth = Named(new TSpinBox(this), "InspectorPenWidth");
    FPenWidth->setRange(0, TPen::kMaxWidth);
    FBrushColor = Named(new QToolButton(this), "InspectorBrushColor");
    FBrushStyle = Named(new TFillStyleComboBox(this), "InspectorBrushStyle");
    FVisible = Named(new QCheckBox(tr("Visible"), this), "InspectorVisible");
    FEnabled = Named(new QCheckBox(tr("Enabled"), this), "InspectorEnabled");
    FPenColor->setToolTip(tr("Pen colour"));
    FBrushColor->setToolTip(tr("Brush colour"));

    // A blank box measures its width from no text: these are wide enough for their values.
    for (QAbstractSpinBox* Box : std::initializer_list<QAbstractSpinBox*>{FState, FPenWidth})
        Box->setMinimumWidth(Box->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 24);

    Form->addRow(tr("Kind"), FKind);
    Form->addRow(tr("Id"), FId);
    Form->addRow(tr("Layer"), FLayer);
    Form->addRow(tr("State"), Row({FState, FStateColor}));
    Form->addRow(tr("Caption"), FCaption);
    Form->addRow(tr("Hint"), FHint);
    Form->addRow(tr("Left"), FLeft);
    Form->addRow(tr("Top"), FTop);
    Form->addRow(tr("Width"), FWidth);
    Form->addRow(tr("Height"), FHeight);
    Form->addRow(tr("Pen"), Row({FPenColor, FPenStyle, FPenWidth}));
    Form->addRow(tr("Brush"), Row({FBrushColor, FBrushStyle}));
    Form->addRow(Row({FVisible, FEnabled}));
}

template <class F>
void TSchemeObjectInspector::Edit(const QString& Verb, F&& Change) {
    if (FRefreshing || !FData) return;
    TSchemeData& Data = *FData;
    RunGuarded([&] {
        const std::vector<TSchemeObject*> Objects = Data.SelectedObjects();
        if (Objects.empty()) return;
        TSchemeHistoryGroup Step(Data, DescribeObjects(Verb, Objects));
        for (TSchemeObject* Obj : Objects) Change(*Obj);
    });
    Refresh();
}

void TSchemeObjectInspector::Connect() {
    FId->OnEdit(
        [this](int V) { Edit(tr("Change Id of"), [V](TSchemeObject& Obj) { Obj.SetId(V); }); });
    FState->OnEdit([this](int V) {
        Edit(tr("Change state of"),
             [this, V](TSchemeObject& Obj) { FData->SetObjectStateDirect(&Obj, V); });
    });
    connect(FCaption, &QLineEdit::editingFinished, this, [this] {
        if (!FCaption->isModified()) return;
        const QString Text = FCaption->text();
        Edit(tr("Change caption of"), [&](TSchemeObject& Obj) { Obj.SetText(Text); });
    });
    connect(FHint, &QLineEdit::editingFinished, this, [this] {
        if (!FHint->isModified()) return;
        const QString Text = FHint->text();
        Edit(tr("Change hint of"), [&](TSchemeObject& Obj) { Obj.SetHintString(Text); });
    });
    FLeft->OnEdit([this](double V) { EditPosition(true, V); });
    FTop->OnEdit([this](double V) { EditPosition(false, V); });
    FWidth->OnEdit([this](double V) { EditSize(true, V); });
    FHeight->OnEdit([this](double V) { EditSize(false, V); });
    connect(FPenColor, &QToolButton::clicked, this, [this] { EditColor(true); });
    connect(FBrushColor, &QToolButton::clicked, this, [this] { EditColor(false); });
    connect(FPenStyle, &QComboBox::activated, this, [this](int Index) {
        if (Index < 0) return;
        Edit(tr("Change pen style of"),
             [Index](TSchemeObject& Obj) { Obj.Pen()->SetStyle(static_cast<TPenStyle>(Index)); });
    });
    FPenWidth->OnEdit([this](int V) {
        Edit(tr("Change pen width of"), [V](TSchemeObject& Obj) { Obj.Pen()->SetWidth(V); });
    });
    connect(FBrushStyle, &QComboBox::activated, this, [this](int Index) {
        if (Index < 0) return;
        Edit(tr("Change fill style of"), [Index](TSchemeObject& Obj) {
            Obj.Brush()->SetStyle(static_cast<TBrushStyle>(Index));
        });
    });
    connect(FVisible, &QCheckBox::clicked, this, [this] {
        const bool On = FVisible->checkState() != Qt::Unchecked;
        Edit(On ? tr("Show") : tr("Hide"), [On](TSchemeObject& Obj) { Obj.SetVisible(On); });
    });
    connect(FEnabled, &QCheckBox::clicked, this, [this] {
        const bool On = FEnabled->checkState() != Qt::Unchecked;
        Edit(On ? tr("Enable") : tr("Disable"), [On](TSchemeObject& Obj) { Obj.SetEnabled(On); });
    });
}

void TSchemeObjectInspector::SetSchemeData(TSchemeData* AData) {
    if (AData == FData) return;
    if (FData) disconnect(FData, nullptr, this, nullptr);
    FData = AData;
    if (FData) {
        connect(FData, &TSchemeData::ContentChanged, this, &TSchemeObjectInspector::Refresh);
        connect(FData, &TSchemeData::SelectionChanged, this, &TSchemeObjectInspector::Refresh);
        // The document going first: nothing is shown of it any more.
        connect(FData, &QObject::destroyed, this, &TSchemeObjectInspector::Refresh,
                Qt::QueuedConnection);
    }
    Refresh();
}

void TSchemeObjectInspector::Refresh() {
    const bool Was = std::exchange(FRefreshing, true);
    RunGuarded([&] {
        const std::vector<TSchemeObject*> Objects =
            FData ? FData->SelectedObjects() : std::vector<TSchemeObject*>{};
        if (Objects.empty())
            ShowNone(tr("No selection"));
        else
            ShowObjects(Objects);
    });
    FRefreshing = Was;
}

void TSchemeObjectInspector::ShowNone(const QString& Kind) {
    FKind->setText(Kind);
    FId->Show(0, true);
    FLayer->clear();
    FState->Show(0, true);
    FStateColor->setPixmap(QPixmap());
    FCaption->clear();
    FCaption->setPlaceholderText(QString());
    FHint->clear();
    FHint->setPlaceholderText(QString());
    for (TDoubleSpinBox* Field : {FLeft, FTop, FWidth, FHeight}) Field->Show(0, true);
    FPenColor->setIcon(QIcon());
    FPenStyle->setCurrentIndex(-1);
    FPenWidth->Show(0, true);
    FBrushColor->setIcon(QIcon());
    FBrushStyle->setCurrentIndex(-1);
    for (QCheckBox* Box : {FVisible, FEnabled}) {
        Box->setTristate(false);
        Box->setChecked(false);
    }
    SetEditable(false, false, false);
}

void TSchemeObjectInspector::ShowObjects(const std::vector<TSchemeObject*>& Objects) {
    const bool One = Objects.size() == 1;
    const TSchemeObject& First = *Objects.front();
    FKind->setText(One ? KindName(First) : tr("%1 objects").arg(Objects.size()));

    auto ShowInt = [&](TSpinBox* Field, auto&& Get) {
        const std::optional<int> V = Shared(Objects, Get);
        Field->Show(V.value_or(Get(First)), !V);
    };
    ShowInt(FId, [](const TSchemeObject& O) { return O.Id(); });
    const auto LayerId = Shared(Objects, [](const TSchemeObject& O) { return O.Layer()->ID(); });
    FLayer->setText(LayerId ? QString::number(*LayerId) : QString());
    ShowInt(FState, [](const TSchemeObject& O) { return O.State(); });
    FStateColor->setPixmap(Swatch(Shared(
        Objects, [](const TSchemeObject& O) { return O.Layer()->GetStateColor(O.State()); })));
    auto ShowText = [&](QLineEdit* Field, auto&& Get) {
        const std::optional<QString> V = Shared(Objects, Get);
        Field->setText(V.value_or(QString()));
        Field->setPlaceholderText(V ? QString() : tr("mixed"));
        Field->setCursorPosition(0);
    };
    ShowText(FCaption, [](const TSchemeObject& O) { return O.Text(); });
    ShowText(FHint, [](const TSchemeObject& O) { return O.HintString(); });

    const bool Box = One && dynamic_cast<const TSchemeBox*>(&First);
    const TBounds B = One ? BoundsOf(First) : TBounds{};
    FLeft->Show(double(B.Left), !One);
    FTop->Show(double(B.Top), !One);
    FWidth->setMinimum(Box ? double(TSchemeBox::kMinSize) : 0.0);
    FHeight->setMinimum(Box ? double(TSchemeBox::kMinSize) : 0.0);
    FWidth->Show(double(B.Width), !One);
    FHeight->Show(double(B.Height), !One);

    const auto PenColor = Shared(Objects, [](const TSchemeObject& O) { return O.Pen()->Color(); });
    FPenColor->setIcon(QIcon(Swatch(PenColor)));
    const auto PenStyle = Shared(Objects, [](const TSchemeObject& O) { return O.Pen()->Style(); });
    FPenStyle->setCurrentIndex(PenStyle ? int(*PenStyle) : -1);
    ShowInt(FPenWidth, [](const TSchemeObject& O) { return O.Pen()->Width(); });
    const auto BrushColor =
        Shared(Objects, [](const TSchemeObject& O) { return O.Brush()->Color(); });
    FBrushColor->setIcon(QIcon(Swatch(BrushColor)));
    const auto BrushStyle =
        Shared(Objects, [](const TSchemeObject& O) { return O.Brush()->Style(); });
    if (BrushStyle)
        FBrushStyle->SetFillStyle(*BrushStyle);
    else
        FBrushStyle->setCurrentIndex(-1);

    auto ShowCheck = [&](QCheckBox* Field, auto&& Get) {
        const std::optional<bool> V = Shared(Objects, Get);
        Field->setTristate(!V);
        Field->setCheckState(!V ? Qt::PartiallyChecked : *V ? Qt::Checked : Qt::Unchecked);
    };
    ShowCheck(FVisible, [](const TSchemeObject& O) { return O.Visible(); });
    ShowCheck(FEnabled, [](const TSchemeObject& O) { return O.Enabled(); });
    SetEditable(true, One, Box);
}

void TSchemeObjectInspector::SetEditable(bool Any, bool One, bool Box) {
    for (QWidget* Field :
         std::initializer_list<QWidget*>{FState, FCaption, FHint, FPenColor, FPenStyle, FPenWidth,
                                         FBrushColor, FBrushStyle, FVisible, FEnabled})
        Field->setEnabled(Any);
    for (QWidget* Field : std::initializer_list<QWidget*>{FId, FLeft, FTop}) Field->setEnabled(One);
    FWidth->setEnabled(Box);
    FHeight->setEnabled(Box);
}

void TSchemeObjectInspector::EditPosition(bool Horizontal, double Value) {
    Edit(tr("Move"), [&](TSchemeObject& Obj) {
        const TBounds B = BoundsOf(Obj);
        const Extended DX = Horizontal ? Extended(Value) - B.Left : 0;
        const Extended DY = Horizontal ? 0 : Extended(Value) - B.Top;
        if (DX == 0 && DY == 0) return;
        TSchemeObject* const Moved[] = {&Obj};
        FData->MoveObjects(Moved, DX, DY);
    });
}

void TSchemeObjectInspector::EditSize(bool Horizontal, double Value) {
    Edit(tr("Resize"), [&](TSchemeObject& Obj) {
        auto* Box = dynamic_cast<TSchemeBox*>(&Obj);
        if (!Box) return;
        const TBounds B = BoundsOf(Obj);
        const Extended W = Horizontal ? Extended(Value) : B.Width;
        const Extended H = Horizontal ? B.Height : Extended(Value);
        if (W == B.Width && H == B.Height) return;
        Box->SetPosition(B.Left, B.Top, W, H, 0);
    });
}

void TSchemeObjectInspector::EditColor(bool OfPen) {
    if (!FData) return;
    std::optional<TColor> Now;
    RunGuarded([&] {
        const std::vector<TSchemeObject*> Objects = FData->SelectedObjects();
        if (Objects.empty()) return;
        Now = Shared(Objects, [OfPen](const TSchemeObject& O) {
            return OfPen ? O.Pen()->Color() : O.Brush()->Color();
        });
        if (!Now) Now = OfPen ? Objects.front()->Pen()->Color() : Objects.front()->Brush()->Color();
    });
    if (!Now) return;
    const QColor Chosen = QColorDialog::getColor(ColorToQColor(*Now), this,
                                                 OfPen ? tr("Pen colour") : tr("Brush colour"));
    if (!Chosen.isValid()) return;
    const TColor Color = QColorToColor(Chosen);
    Edit(OfPen ? tr("Change pen colour of") : tr("Change brush colour of"),
         [&](TSchemeObject& Obj) {
             if (OfPen)
                 Obj.Pen()->SetColor(Color);
             else
                 Obj.Brush()->SetColor(Color);
         });
}

}  // namespace scheme
