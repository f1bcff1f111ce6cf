#pragma once

#include <QPointer>
#include <QWidget>

#include "scheme/platform/export.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace scheme {

class TSchemeData;

// The layers of a document in drawing order (the first row is drawn first, beneath the
// others), each with its Id, its number of objects, a Visible and an Enabled box and its
// state colours as small swatches. Ticking a box sets the layer's setting; "Up" and "Down" and
// dragging a row move a layer in the drawing order (Up: drawn earlier). Each of these is one
// undo step, made through the document's own operations (LayerExchangeIndex), so that the
// history records it.
//
// One layer is current (the one new objects go to, say): the row the user picks, or the one
// code sets. While the document has layers there is a current one: at first, and whenever
// the current layer leaves, the first layer (or the one that took the place of the current
// one) becomes current. The list follows every change of the document once the event loop
// turns (TSchemeData::ContentChanged); the document may be destroyed first.
//
// Object names, for tests and forms: LayerTree (the list; columns Id, Objects, Visible,
// Enabled, Colours), LayerUp, LayerDown.
class SCHEME_EXPORT TSchemeLayerList : public QWidget {
    Q_OBJECT

public:
    enum TColumn { ColumnId, ColumnCount, ColumnVisible, ColumnEnabled, ColumnColors };

    explicit TSchemeLayerList(QWidget* Parent = nullptr);
    ~TSchemeLayerList() override;

    TSchemeData* SchemeData() const { return FData; }
    void SetSchemeData(TSchemeData* AData);
    // The current layer's Id; -1 when the document has no layer (or there is no document).
    int CurrentLayerId() const { return FCurrentRow >= 0 ? FCurrentId : -1; }
    // Makes the (first) layer of that Id current; an Id no layer has changes nothing.
    void SetCurrentLayerId(int ALayerId);
    // The current layer's position in the drawing order, or -1.
    int CurrentRow() const { return FCurrentRow; }
    // Moves the layer at position From to position To of the drawing order as one undo step;
    // positions outside the list change nothing. The moved layer stays current if it was.
    void MoveLayer(int From, int To);
    // The current layer one place earlier (Up) or later (Down) in the drawing order.
    void MoveCurrentUp();
    void MoveCurrentDown();
    // Shows the layers as they are now.
    void Refresh();

signals:
    void CurrentLayerChanged(int LayerId);

private:
    class TTree;
    void ItemChanged(QTreeWidgetItem* Item, int Column);
    void RowPicked(int Row);
    // Makes the layer at Row current (-1: none) and tells when the current Id changed.
    void SetCurrent(int Row);
    void UpdateButtons();

    QPointer<TSchemeData> FData;
    TTree* FTree = nullptr;
    QPushButton* FUp = nullptr;
    QPushButton* FDown = nullptr;
    int FCurrentId = -1;
    int FCurrentRow = -1;
    bool FRefreshing = false;
};

}  // namespace scheme
