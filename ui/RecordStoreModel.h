// A table model over a list's record store: the ten grid columns, the stored
// rows, and the pending row of an edit or insert exactly where the store
// keeps it. An empty list shows one blank row to type into, as the grid of
// the program always has a row for a new record.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

namespace epinax::ui {

class TRecordStoreModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TRecordStoreModel(TFixedFormatDataSet& store, TSide side, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    TFixedFormatDataSet& Store() { return store_; }
    TSide Side() const { return side_; }
    const TField* FieldOf(int column) const;
    int FieldWidth(int column) const;

    // The view row of the store's current record, or of its pending row.
    int CurrentRow() const;
    // The list index of the stored record shown in a view row; -1 for the
    // pending new row or the blank row of an empty list.
    int RecordIndexOfRow(int row) const;
    // The view row of a stored record; -1 when there is no such record.
    int RowOfRecordIndex(int index) const;
    // Called when the store says something changed.
    void StoreChanged(TDataEvent event);

private:
    struct Shape {
        int rows = 0;
        int pendingRow = -1;  // the row of a pending insert
        bool operator==(const Shape&) const = default;
    };
    Shape CurrentShape() const;
    std::string FieldText(int row, int column) const;

    TFixedFormatDataSet& store_;
    TSide side_;
    std::vector<TGridColumn> columns_;
    Shape shape_;
    TDataSubscription storeSubscription_;
};

}  // namespace epinax::ui
