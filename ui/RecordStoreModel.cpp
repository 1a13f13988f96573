#include "ui/RecordStoreModel.h"

#include "ui/GreekText.h"

namespace epinax::ui {

TRecordStoreModel::TRecordStoreModel(TFixedFormatDataSet& store, TSide side, QObject* parent)
    : QAbstractTableModel(parent), store_(store), side_(side), columns_(GridColumns(side))
{
    storeSubscription_ = store_.AddDataListener([this](TDataEvent event) { StoreChanged(event); });
    shape_ = CurrentShape();
}

TRecordStoreModel::Shape TRecordStoreModel::CurrentShape() const
{
    if (!store_.Active()) return {};
    Shape shape;
    shape.rows = store_.RecordCount();
    if (store_.State() == TDataSetState::dsInsert) {
        shape.pendingRow = store_.PendingInsertIndex();
        ++shape.rows;
    }
    if (shape.rows == 0) shape.rows = 1;  // the blank row of an empty list
    return shape;
}

int TRecordStoreModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shape_.rows; }

int TRecordStoreModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

const TField* TRecordStoreModel::FieldOf(int column) const
{
    if (!store_.Active() || column < 0 || column >= static_cast<int>(columns_.size())) return nullptr;
    return &store_.Field(columns_[static_cast<size_t>(column)].field);
}

int TRecordStoreModel::FieldWidth(int column) const
{
    const TField* field = FieldOf(column);
    return field ? field->Size() : 0;
}

int TRecordStoreModel::RecordIndexOfRow(int row) const
{
    if (!store_.Active() || row < 0 || row >= shape_.rows) return -1;
    if (shape_.pendingRow >= 0) {
        if (row == shape_.pendingRow) return -1;
        if (row > shape_.pendingRow) --row;
    }
    return row < store_.RecordCount() ? row : -1;
}

int TRecordStoreModel::RowOfRecordIndex(int index) const
{
    if (!store_.Active() || index < 0 || index >= store_.RecordCount()) return -1;
    return shape_.pendingRow >= 0 && index >= shape_.pendingRow ? index + 1 : index;
}

int TRecordStoreModel::CurrentRow() const
{
    if (!store_.Active()) return -1;
    if (shape_.pendingRow >= 0) return shape_.pendingRow;
    return std::max(0, store_.CurrentIndex());
}

std::string TRecordStoreModel::FieldText(int row, int column) const
{
    const TField* field = FieldOf(column);
    if (!field) return {};
    bool editing = store_.State() == TDataSetState::dsEdit || store_.State() == TDataSetState::dsInsert;
    if (editing && row == CurrentRow()) return field->AsString();
    int index = RecordIndexOfRow(row);
    return index < 0 ? std::string() : store_.FieldTextAt(index, *field);
}

QVariant TRecordStoreModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return FromCp1253(FieldText(index.row(), index.column()));
}

bool TRecordStoreModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const TField* field = FieldOf(index.column());
    if (role != Qt::EditRole || !field) return false;
    auto text = ToCp1253(value.toString());
    if (!text) return false;
    if (store_.State() == TDataSetState::dsBrowse) {
        if (*text == FieldText(index.row(), index.column())) return true;  // nothing typed
        store_.Edit();
    }
    store_.Field(columns_[static_cast<size_t>(index.column())].field).SetAsString(*text);
    return true;
}

QVariant TRecordStoreModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section == CurrentRow() ? QStringLiteral(u"▶") : QString();
    if (section < 0 || section >= static_cast<int>(columns_.size())) return {};
    return QString::fromStdString(columns_[section].title);
}

Qt::ItemFlags TRecordStoreModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !store_.Active()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

// Rows appear and vanish with a pending insert; a changed count otherwise
// (a delete, a new file) resets the view. With the row count unchanged only
// the cells are repainted, so that an open cell editor survives: the blank
// row of an empty list turning into a new record is one such change.
void TRecordStoreModel::StoreChanged(TDataEvent)
{
    Shape next = CurrentShape();
    if (next.rows == shape_.rows) {
        shape_ = next;
        if (shape_.rows > 0) emit dataChanged(index(0, 0), index(shape_.rows - 1, columnCount() - 1));
    } else if (next.pendingRow >= 0 && shape_.pendingRow < 0 && next.rows == shape_.rows + 1) {
        beginInsertRows({}, next.pendingRow, next.pendingRow);
        shape_ = next;
        endInsertRows();
    } else if (shape_.pendingRow >= 0 && next.pendingRow < 0 && next.rows == shape_.rows - 1) {
        beginRemoveRows({}, shape_.pendingRow, shape_.pendingRow);
        shape_ = next;
        endRemoveRows();
    } else {
        beginResetModel();
        shape_ = next;
        endResetModel();
    }
    emit headerDataChanged(Qt::Vertical, 0, std::max(0, shape_.rows - 1));
}

}  // namespace epinax::ui
