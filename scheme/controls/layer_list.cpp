#include "scheme/controls/layer_list.h"

#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/color.h"
#include "scheme/platform/error_handler.h"

namespace scheme {

namespace {

// At most this many state colours are shown as swatches.
constexpr int kMaxSwatches = 16;
constexpr int kSwatchWidth = 8;
constexpr int kSwatchHeight = 12;

QIcon StateColorSwatches(const TSchemeLayer& Layer) {
    const int Count = std::min(Layer.StateColorCount(), kMaxSwatches);
    if (Count == 0) return QIcon();
    QPixmap Pixmap(Count * kSwatchWidth, kSwatchHeight);
    Pixmap.fill(Qt::transparent);
    QPainter Painter(&Pixmap);
    Painter.setPen(Qt::gray);
    for (int State = 0; State < Count; ++State) {
        Painter.setBrush(ColorToQColor(Layer.GetStateColor(State)));
        Painter.drawRect(State * kSwatchWidth, 0, kSwatchWidth - 1, kSwatchHeight - 1);
    }
    return QIcon(Pixmap);
}

// The colours the swatches show, as the key that tells whether a row's icon must be drawn anew:
// a change elsewhere in the document redraws no icon.
QByteArray SwatchKey(const TSchemeLayer& Layer) {
    const int Count = std::min(Layer.StateColorCount(), kMaxSwatches);
    QByteArray Key(Count * qsizetype(sizeof(TColor)), Qt::Uninitialized);
    for (int State = 0; State < Count; ++State) {
        const TColor Color = Layer.GetStateColor(State);
        std::memcpy(Key.data() + State * sizeof(TColor), &Color, sizeof(TColor));
    }
    return Key;
}

QString LayerStepName(const QString& Verb, const TSchemeLayer& Layer) {
    return QStringLiteral("%1 layer %2").arg(Verb).arg(Layer.ID());
}

}  // namespace

// The list: a drop moves the dragged row's layer through the document (the list itself moves
// nothing; it shows the document's order anew).
class TSchemeLayerList::TTree : public QTreeWidget {
public:
    explicit TTree(QWidget* Parent) : QTreeWidget(Parent) {
        setDragDropMode(QAbstractItemView::InternalMove);
        setDefaultDropAction(Qt::MoveAction);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setRootIsDecorated(false);
        setUniformRowHeights(true);
    }
    std::function<void(int From, int To)> OnMove;

protected:
    void dropEvent(QDropEvent* Event) override {
        const int From = currentIndex().row();
        // Where the row goes in: before the row under the pointer when the upper half of it is
        // hit, else after it; past the last row, at the end.
        const QPoint At = Event->position().toPoint();
        const QModelIndex Target = indexAt(At);
        int Insert = topLevelItemCount();
        if (Target.isValid())
            Insert = Target.row() + (At.y() >= visualRect(Target).center().y() ? 1 : 0);
        const int To = Insert > From ? Insert - 1 : Insert;
        // Nothing is removed by the drag's source: the document's order is shown anew.
        Event->setDropAction(Qt::IgnoreAction);
        Event->accept();
        if (From >= 0 && OnMove) OnMove(From, std::clamp(To, 0, topLevelItemCount() - 1));
    }
};

TSchemeLayerList::TSchemeLayerList(QWidget* Parent) : QWidget(Parent) {
    FTree = new TTree(this);
    FTree->setObjectName(QStringLiteral("LayerTree"));
    FTree->setHeaderLabels({tr("Id"), tr("Objects"), tr("Visible"), tr("Enabled"), tr("Colours")});
    FTree->header()->setStretchLastSection(true);
    FTree->setIconSize(QSize(kMaxSwatches * kSwatchWidth, kSwatchHeight));
    for (int Column : {ColumnId, ColumnCount, ColumnVisible, ColumnEnabled})
        FTree->header()->setSectionResizeMode(Column, QHeaderView::ResizeToContents);
    FTree->OnMove = [this](int From, int To) { MoveLayer(From, To); };
    FUp = new QPushButton(tr("Up"), this);
    FUp->setObjectName(QStringLiteral("LayerUp"));
    FUp->setToolTip(tr("Draw the layer earlier, beneath the one before it"));
    FDown = new QPushButton(tr("Down"), this);
    FDown->setObjectName(QStringLiteral("LayerDown"));
    FDown->setToolTip(tr("Draw the layer later, above the one after it"));
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(FUp);
    Buttons->addWidget(FDown);
    Buttons->addStretch();
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(FTree);
    Layout->addLayout(Buttons);

    connect(FTree, &QTreeWidget::itemChanged, this, &TSchemeLayerList::ItemChanged);
    connect(FTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* Item) {
        if (!FRefreshing && Item) RowPicked(FTree->indexOfTopLevelItem(Item));
    });
    connect(FUp, &QPushButton::clicked, this, &TSchemeLayerList::MoveCurrentUp);
    connect(FDown, &QPushButton::clicked, this, &TSchemeLayerList::MoveCurrentDown);
    Refresh();
}

TSchemeLayerList::~TSchemeLayerList() = default;

void TSchemeLayerList::SetSchemeData(TSchemeData* AData) {
    if (AData == FData) return;
    if (FData) disconnect(FData, nullptr, this, nullptr);
    FData = AData;
    FCurrentRow = -1;
    if (FData) {
        connect(FData, &TSchemeData::ContentChanged, this, &TSchemeLayerList::Refresh);
        connect(FData, &QObject::destroyed, this, &TSchemeLayerList::Refresh, Qt::QueuedConnection);
    }
    Refresh();
}

void TSchemeLayerList::Refresh() {
    const bool Was = std::exchange(FRefreshing, true);
    const int Count = FData ? FData->LayerCount() : 0;
    while (FTree->topLevelItemCount() > Count) delete FTree->takeTopLevelItem(Count);
    while (FTree->topLevelItemCount() < Count) {
        auto* Item = new QTreeWidgetItem(FTree);
        Item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable |
                       Qt::ItemIsDragEnabled);
    }
    for (int Row = 0; Row < Count; ++Row) {
        const TSchemeLayer& Layer = *FData->GetLayerIndex(Row);
        QTreeWidgetItem* Item = FTree->topLevelItem(Row);
        Item->setText(ColumnId, QString::number(Layer.ID()));
        Item->setText(ColumnCount, QString::number(Layer.Count()));
        Item->setTextAlignment(ColumnCount, Qt::AlignRight | Qt::AlignVCenter);
        Item->setCheckState(ColumnVisible, Layer.Visible() ? Qt::Checked : Qt::Unchecked);
        Item->setCheckState(ColumnEnabled, Layer.Enabled() ? Qt::Checked : Qt::Unchecked);
        const QByteArray Key = SwatchKey(Layer);
        if (Item->data(ColumnColors, Qt::UserRole).toByteArray() != Key) {
            Item->setData(ColumnColors, Qt::UserRole, Key);
            Item->setIcon(ColumnColors, StateColorSwatches(Layer));
        }
    }
    // The current layer keeps its row while the row still holds it, else the first row that
    // does; gone, the row in its place (or the last one) takes over.
    int Row = -1;
    if (Count > 0) {
        if (FCurrentRow >= 0 && FCurrentRow < Count &&
            FData->GetLayerIndex(FCurrentRow)->ID() == FCurrentId)
            Row = FCurrentRow;
        else if (FCurrentRow >= 0 && FData->LayerExists(FCurrentId))
            Row = FData->GetListIndex(FCurrentId);
        else
            Row = std::clamp(FCurrentRow, 0, Count - 1);
    }
    SetCurrent(Row);
    FRefreshing = Was;
}

void TSchemeLayerList::SetCurrent(int Row) {
    const int Before = CurrentLayerId();
    FCurrentRow = Row;
    if (Row >= 0) FCurrentId = FData->GetLayerIndex(Row)->ID();
    {
        const bool Was = std::exchange(FRefreshing, true);
        FTree->setCurrentItem(Row >= 0 ? FTree->topLevelItem(Row) : nullptr);
        FRefreshing = Was;
    }
    UpdateButtons();
    const int After = CurrentLayerId();
    if (After != Before) emit CurrentLayerChanged(After);
}

void TSchemeLayerList::RowPicked(int Row) {
    if (!FData || Row < 0 || Row >= FData->LayerCount()) return;
    SetCurrent(Row);
}

void TSchemeLayerList::SetCurrentLayerId(int ALayerId) {
    if (!FData || !FData->LayerExists(ALayerId)) return;
    SetCurrent(FData->GetListIndex(ALayerId));
}

void TSchemeLayerList::UpdateButtons() {
    const int Count = FData ? FData->LayerCount() : 0;
    FUp->setEnabled(FCurrentRow > 0);
    FDown->setEnabled(FCurrentRow >= 0 && FCurrentRow < Count - 1);
}

void TSchemeLayerList::ItemChanged(QTreeWidgetItem* Item, int Column) {
    if (FRefreshing || !FData || (Column != ColumnVisible && Column != ColumnEnabled)) return;
    const int Row = FTree->indexOfTopLevelItem(Item);
    if (Row < 0 || Row >= FData->LayerCount()) return;
    const bool On = Item->checkState(Column) == Qt::Checked;
    TSchemeData& Data = *FData;
    RunGuarded([&] {
        TSchemeLayer& Layer = *Data.GetLayerIndex(Row);
        if (Column == ColumnVisible) {
            if (Layer.Visible() == On) return;
            TSchemeHistoryGroup Step(Data, LayerStepName(On ? tr("Show") : tr("Hide"), Layer));
            Layer.SetVisible(On);
        } else {
            if (Layer.Enabled() == On) return;
            TSchemeHistoryGroup Step(Data, LayerStepName(On ? tr("Enable") : tr("Disable"), Layer));
            Layer.SetEnabled(On);
        }
    });
    Refresh();
}

void TSchemeLayerList::MoveLayer(int From, int To) {
    if (!FData) return;
    TSchemeData& Data = *FData;
    const int Count = Data.LayerCount();
    if (From < 0 || From >= Count || To < 0 || To >= Count || From == To) return;
    const bool WasCurrent = From == FCurrentRow;
    RunGuarded([&] {
        TSchemeHistoryGroup Step(Data, LayerStepName(tr("Move"), *Data.GetLayerIndex(From)));
        const int Direction = To > From ? 1 : -1;
        for (int Row = From; Row != To; Row += Direction)
            Data.LayerExchangeIndex(Row, Row + Direction);
    });
    if (WasCurrent) FCurrentRow = To;
    Refresh();
}

void TSchemeLayerList::MoveCurrentUp() {
    MoveLayer(FCurrentRow, FCurrentRow - 1);
}

void TSchemeLayerList::MoveCurrentDown() {
    MoveLayer(FCurrentRow, FCurrentRow + 1);
}

}  // namespace scheme
