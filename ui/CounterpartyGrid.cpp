#include "ui/CounterpartyGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <numeric>

#include "entry/RecordLayout.h"
#include "statement/Statement.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/Handlers.h"
#include "ui/ObjectNames.h"
#include "ui/RecordStoreModel.h"

namespace epinax::ui {

namespace {

bool IsEditing(const TFixedFormatDataSet& store)
{
    return store.State() == TDataSetState::dsEdit || store.State() == TDataSetState::dsInsert;
}

}  // namespace

// ------------------------------------------------------------ TCellDelegate

TCellDelegate::TCellDelegate(CounterpartyGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

QWidget* TCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    TRecordStoreModel* model = grid_->Model();
    if (index.row() != model->CurrentRow()) return nullptr;  // the store is elsewhere: a refused row
    if (!RunHandler(grid_, [&] { model->Store().Edit(); })) return nullptr;
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setMaxLength(model->FieldWidth(index.column()));
    editor->setValidator(new TCp1253Validator(editor));
    editor->installEventFilter(grid_);
    editor_ = editor;
    return editor;
}

void TCellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (editor == editor_) editor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void TCellDelegate::Forget(QWidget* editor) const
{
    if (editor == editor_) editor_ = nullptr;
}

void TCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    RunHandler(grid_, [&] { QStyledItemDelegate::setModelData(editor, model, index); });
}

void TCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    bool currentRow = index.row() == grid_->Model()->CurrentRow();
    bool focused = index == grid_->currentIndex();
    QColor background = focused      ? CounterpartyGrid::FocusedCellColour()
                        : currentRow ? CounterpartyGrid::CurrentRowColour()
                                     : Qt::white;
    painter->fillRect(option.rect, background);
    painter->setPen(focused ? Qt::white : Qt::black);
    painter->setFont(option.font);
    QRect text = option.rect.adjusted(2, 0, -2, 0);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, cell.text);
}

// ------------------------------------------------------------------ CounterpartyGrid

CounterpartyGrid::CounterpartyGrid(TStatement& statement, TSide side, QWidget* parent)
    : QTableView(parent), statement_(statement), side_(side)
{
    setObjectName(side == TSide::Customers ? handle::Name(handle::kCustomerGrid) : handle::Name(handle::kSupplierGrid));
    model_ = new TRecordStoreModel(statement.List(side), side, this);
    delegate_ = new TCellDelegate(this);
    setModel(model_);
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(18);
    horizontalHeader()->setHighlightSections(false);
    // The customers' columns keep their widths; the suppliers' can be resized.
    horizontalHeader()->setSectionResizeMode(side == TSide::Customers ? QHeaderView::Fixed : QHeaderView::Interactive);
    // A smaller face than the window's keeps the ten columns within the
    // window's fixed width; a column is never narrower than its title.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    setFont(small);
    horizontalHeader()->setFont(small);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(small).height() + 6);
    const auto columns = GridColumns(side);
    QFontMetrics metrics(small);
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        int title = metrics.horizontalAdvance(QString::fromStdString(columns[c].title)) + 14;
        int fieldSize = static_cast<int>(FieldWidth(columns[c].field));
        int width = columns[c].width ? columns[c].width
                                     : metrics.horizontalAdvance(QLatin1Char('0')) * std::min(fieldSize, 12) + 10;
        naturalWidths_.push_back(std::max(width, title));
        titleWidths_.push_back(title);
    }
    FitColumns();
    // The store may outlive the grid: it reaches the grid only while it stands.
    statement.List(side).FlushEditingControl = [grid = QPointer<CounterpartyGrid>(this)] {
        if (grid) grid->CommitEditor();
    };
    storeSubscription_ = statement.List(side).AddDataListener([this](TDataEvent event) {
        if (event != TDataEvent::RecordChanged) FollowStore();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, &CounterpartyGrid::FollowStore);
}

// Every column shows whole at any size of the window, with or without a
// vertical scroll bar, so that moving to the value column never scrolls the
// tax number out of sight: where the natural widths do not fit, the columns
// give up what they have beyond their titles, in proportion, and then, if
// still needed, the titles are cut too.
void CounterpartyGrid::FitColumns()
{
    const int room =
        viewport()->width() -
        (verticalScrollBar()->isVisible() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
    std::vector<int> widths = FittedWidths(naturalWidths_, titleWidths_, room);
    for (int c = 0; c < static_cast<int>(widths.size()); ++c)
        if (columnWidth(c) != widths[c]) setColumnWidth(c, widths[c]);
}

std::vector<int> CounterpartyGrid::FittedWidths(const std::vector<int>& natural, const std::vector<int>& minimum,
                                                int room)
{
    auto sum = [](const std::vector<int>& values) { return std::accumulate(values.begin(), values.end(), 0); };
    std::vector<int> widths = natural;
    // A window made larger than its default: the columns share the room.
    if (const int total = sum(natural); room > total && total > 0) {
        for (int& width : widths) width = static_cast<int>(static_cast<long long>(width) * room / total);
        return widths;
    }
    auto shrink = [&](const std::vector<int>& floor) {
        const int excess = sum(widths) - room;
        const int spare = sum(widths) - sum(floor);
        if (excess <= 0 || spare <= 0) return;
        int left = excess;
        for (size_t c = 0; c < widths.size() && left > 0; ++c) {
            const long long above = widths[c] - floor[c];
            int give = static_cast<int>((above * excess + spare - 1) / spare);  // rounded up: the sum reaches the room
            give = std::min({give, static_cast<int>(above), left});
            widths[c] -= give;
            left -= give;
        }
    };
    shrink(minimum);
    shrink(std::vector<int>(widths.size(), 20));
    return widths;
}

void CounterpartyGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    FitColumns();
}

QColor CounterpartyGrid::CurrentRowColour() { return QColor(212, 208, 200); }
QColor CounterpartyGrid::FocusedCellColour() { return QColor(122, 150, 223); }

void CounterpartyGrid::CommitEditor()
{
    // An editor that the view has let go of (a row removed under it) is
    // hidden first; its text has nowhere to go.
    QLineEdit* editor = delegate_->ActiveEditor();
    if (editor && !editor->isHidden() && state() == QAbstractItemView::EditingState) commitData(editor);
}

// An editor on its way out takes no more commits: its text is in the field.
// Tab out of the last cell of the last row starts a new row, as Down does.
void CounterpartyGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    delegate_->Forget(editor);
    bool newRow = hint == QAbstractItemDelegate::EditNextItem && AtLastCellOfLastRow();
    QTableView::closeEditor(editor, newRow ? QAbstractItemDelegate::NoHint : hint);
    if (newRow) TabPastTheLastRow();
}

bool CounterpartyGrid::AtLastCellOfLastRow() const
{
    QModelIndex current = currentIndex();
    return current.isValid() && current.row() == model_->rowCount() - 1 &&
           current.column() == model_->columnCount() - 1;
}

void CounterpartyGrid::TabPastTheLastRow()
{
    AppendAtEnd();
    if (model_->CurrentRow() >= 0) setCurrentIndex(model_->index(model_->CurrentRow(), 0));
}

// Tab and Shift+Tab go along a row and on to the next or previous one, and
// never wrap from the last cell to the first: what is typed next would
// overwrite the first row.
QModelIndex CounterpartyGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    QModelIndex current = currentIndex();
    if (!current.isValid() || (action != MoveNext && action != MovePrevious))
        return QTableView::moveCursor(action, modifiers);
    const int lastColumn = model_->columnCount() - 1;
    int row = current.row(), column = current.column();
    if (action == MoveNext) {
        if (column < lastColumn)
            ++column;
        else if (row < model_->rowCount() - 1)
            ++row, column = 0;
    } else {
        if (column > 0)
            --column;
        else if (row > 0)
            --row, column = lastColumn;
    }
    return model_->index(row, column);
}

void CounterpartyGrid::FinishEditing()
{
    QLineEdit* editor = delegate_->ActiveEditor();
    if (!editor || !!editor->isHidden() || state() != QAbstractItemView::EditingState) return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    setFocus(Qt::OtherFocusReason);
}

void CounterpartyGrid::DropEditor()
{
    QLineEdit* editor = delegate_->ActiveEditor();
    if (!editor || state() != QAbstractItemView::EditingState) return;
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    setFocus(Qt::OtherFocusReason);
}

void CounterpartyGrid::LeaveGrid()
{
    TFixedFormatDataSet& store = model_->Store();
    CommitEditor();
    if (store.State() == TDataSetState::dsInsert && !store.Modified()) store.Cancel();
}

void CounterpartyGrid::FollowStore()
{
    if (following_ || !model_->Store().Active()) return;
    following_ = true;
    int row = model_->CurrentRow();
    int column = std::max(0, currentIndex().column());
    if (row >= 0 && row < model_->rowCount() && currentIndex().row() != row)
        setCurrentIndex(model_->index(row, column));
    viewport()->update();
    following_ = false;
}

void CounterpartyGrid::GoToRecord(int recordIndex, int column)
{
    const int row = model_->RowOfRecordIndex(recordIndex);
    if (row < 0) return;
    setFocus(Qt::OtherFocusReason);
    setCurrentIndex(model_->index(row, column));
    scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
}

void CounterpartyGrid::ShowRefusedField(int column)
{
    QTimer::singleShot(0, this, [this, column] {
        const int row = model_->CurrentRow();
        if (row < 0 || !isVisible()) return;
        setFocus(Qt::OtherFocusReason);
        setCurrentIndex(model_->index(row, column));
    });
}

void CounterpartyGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    viewport()->update();
    if (following_ || !current.isValid() || current.row() == model_->CurrentRow()) return;
    MoveStoreToRow(current.row());
}

void CounterpartyGrid::MoveStoreToRow(int row)
{
    TFixedFormatDataSet& store = model_->Store();
    int index = model_->RecordIndexOfRow(row);
    bool moved = index >= 0 && RunHandler(this, [&] { store.GotoBookmark(store.RecordIdAt(index)); });
    if (!moved) FollowStore();  // a refused row keeps the cursor
    following_ = true;
    if (currentIndex().row() != model_->CurrentRow())
        setCurrentIndex(model_->index(model_->CurrentRow(), std::max(0, currentIndex().column())));
    following_ = false;
}

void CounterpartyGrid::AppendAtEnd()
{
    TFixedFormatDataSet& store = model_->Store();
    // What is typed in the open editor counts as typed into the row: Down
    // then posts it (or tells why not) rather than doing nothing.
    QLineEdit* editor = delegate_->ActiveEditor();
    if (editor && !editor->text().isEmpty()) CommitEditor();
    bool untouchedNewRow = store.State() == TDataSetState::dsInsert && !store.Modified();
    if (untouchedNewRow) return;
    FinishEditing();
    RunHandler(this, [&] { store.Append(); });
    FollowStore();
}

void CounterpartyGrid::InsertAtCursor()
{
    FinishEditing();
    RunHandler(this, [&] { model_->Store().Insert(); });
    FollowStore();
}

void CounterpartyGrid::DeleteWithQuestion()
{
    // The question of the grid itself, in the window's language.
    if (TDialogs::AskConfirmation(window(), QStringLiteral(u"Διαγραφή εγγραφής;"),
                                  {TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel},
                                  {QStringLiteral("OK"), QStringLiteral(u"Άκυρο")}) == mrCancel)
        return;
    FinishEditing();
    RunHandler(this, [&] { model_->Store().Delete(); });
    FollowStore();
}

void CounterpartyGrid::keyPressEvent(QKeyEvent* event)
{
    TFixedFormatDataSet& store = model_->Store();
    if (!store.Active()) return QTableView::keyPressEvent(event);
    bool editing = state() == QAbstractItemView::EditingState;
    if (event->key() == Qt::Key_Down && currentIndex().row() == model_->rowCount() - 1) {
        AppendAtEnd();
        // The new row is typed from its tax number, wherever the cursor was.
        if (store.State() == TDataSetState::dsInsert && !store.Modified())
            setCurrentIndex(model_->index(model_->CurrentRow(), 0));
        return;
    }
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier && AtLastCellOfLastRow()) {
        TabPastTheLastRow();
        return;
    }
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        InsertAtCursor();
        return;
    }
    if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        DeleteWithQuestion();
        return;
    }
    if (event->key() == Qt::Key_Escape && !editing && IsEditing(store)) {
        FinishEditing();
        RunHandler(this, [&] { store.Cancel(); });
        FollowStore();
        return;
    }
    if (!editing && !event->text().isEmpty() && event->text().at(0).isPrint()) {
        // The first key of a cell that is not being edited yet is filtered
        // against the empty text; the editor that it opens then takes it.
        if (!FilterKey(event, QString())) return;
        firstKeyFiltered_ = true;
    }
    QTableView::keyPressEvent(event);
    firstKeyFiltered_ = false;
}

bool CounterpartyGrid::FilterKey(QKeyEvent* event, const QString& editorText)
{
    QChar typed = event->key() == Qt::Key_Backspace ? QChar(8) : event->text().at(0);
    auto key = KeyToCp1253(typed);
    auto text = ToCp1253(editorText);
    const bool accepted =
        statement_.GridKeyPress(side_, currentIndex().column(), text ? key : std::nullopt, text.value_or(""))
            .has_value();
    if (!accepted) TDialogs::Beep();
    return accepted;
}

bool CounterpartyGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched == delegate_->ActiveEditor()) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool character = !key->text().isEmpty() && key->text().at(0).isPrint();
        if (character || key->key() == Qt::Key_Backspace) {
            if (firstKeyFiltered_) {
                firstKeyFiltered_ = false;
                return false;
            }
            return !FilterKey(key, delegate_->ActiveEditor()->text());
        }
    }
    return QTableView::eventFilter(watched, event);
}

}  // namespace epinax::ui
