// The grid of a list: a table view over the list's record store in which the
// store's edit, insert, post and cancel are what the user sees. Moving to
// another row posts the pending row; a refused row keeps the cursor.
#pragma once

#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <vector>

#include "entry/Counterparty.h"
#include "record_store/DataSet.h"

class QLineEdit;

namespace epinax {
class TStatement;
}

namespace epinax::ui {

class TRecordStoreModel;
class CounterpartyGrid;

// Paints the band of the current row and the focused cell, and edits a cell
// in a line edit held to the field's width and code page.
class TCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TCellDelegate(CounterpartyGrid* grid);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    QLineEdit* ActiveEditor() const { return editor_; }
    void Forget(QWidget* editor) const;

private:
    CounterpartyGrid* grid_;
    mutable QLineEdit* editor_ = nullptr;
};

class CounterpartyGrid : public QTableView {
    Q_OBJECT
public:
    CounterpartyGrid(TStatement& statement, TSide side, QWidget* parent = nullptr);

    TRecordStoreModel* Model() const { return model_; }
    TSide Side() const { return side_; }
    // Writes the text of an open cell editor into its field.
    void CommitEditor();
    // The same, and closes the editor.
    void FinishEditing();
    // Closes an open editor whose text has nowhere more to go (the row was
    // posted or cancelled).
    void DropEditor();
    // Leaving the grid: the editor's text goes into the field, and a new row
    // that was never typed into is dropped.
    void LeaveGrid();
    bool CellEditorOpen() const { return state() == QAbstractItemView::EditingState; }
    // Shows the store's current row as the grid's current row.
    void FollowStore();
    // Takes the user to a cell of a stored record, as a click there would;
    // a pending row that is refused keeps the cursor.
    void GoToRecord(int recordIndex, int column);
    // A refused row: once the move, tab switch or button that posted it has
    // ended, the cursor goes to the row's cell in `column`, where the
    // correction is typed.
    void ShowRefusedField(int column);

    // Column widths that fit `room`: the natural ones where they fit, else
    // shrunk toward `minimum`, and below it only when even that does not fit.
    static std::vector<int> FittedWidths(const std::vector<int>& natural, const std::vector<int>& minimum, int room);
    static QColor CurrentRowColour();
    static QColor FocusedCellColour();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TCellDelegate;
    bool FilterKey(QKeyEvent* event, const QString& editorText);
    void MoveStoreToRow(int row);
    void AppendAtEnd();
    bool AtLastCellOfLastRow() const;
    void TabPastTheLastRow();
    void InsertAtCursor();
    void DeleteWithQuestion();

    TStatement& statement_;
    TSide side_;
    TRecordStoreModel* model_;
    TCellDelegate* delegate_;
    TDataSubscription storeSubscription_;
    void FitColumns();
    std::vector<int> naturalWidths_, titleWidths_;
    bool following_ = false;
    bool firstKeyFiltered_ = false;
};

}  // namespace epinax::ui
