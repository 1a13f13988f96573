#include "ui/ImportPreviewDialog.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "import/Import.h"
#include "ui/GreekText.h"
#include "ui/Mnemonics.h"

namespace epinax::ui {

namespace {

// The fields in the order of TImportField, each with its own mnemonic.
constexpr std::array<const char16_t*, kImportFields> kFieldCaptions{
    u"ΑΦ&Μ",  u"&Επωνυμία", u"Επάγγε&λμα", u"&Υπόχρεος",           u"&Πόλη",
    u"&Οδός", u"&Αριθμός",  u"Τ.&Κ.",      u"Αριθμός &τιμολογίων", u"Α&ξία"};
// The choices of a field besides the sheet's columns.
constexpr int kObligedZero = -2, kObligedOne = -3;
constexpr int kHeadingsRemembered = 5;

QString FieldName(int field) { return QString::fromUtf16(kFieldCaptions[static_cast<size_t>(field)]).remove(u'&'); }

QString ColumnName(int column) { return FromCp1253(CellName(0, column)).chopped(1); }

int ColumnsOf(const TSheetBlock& sheet) { return std::min(sheet.columns, TSheetBlock::kMaxKeptColumns); }

QString CellShown(const TSheetBlock& sheet, int row, int column)
{
    return row < sheet.rows ? FromCp1253(CellText(sheet.At(row, column))) : QString();
}

// The heading rows' texts name a layout: the same program's export has them
// again next year, whatever its rows.
QString HeadingKey(const TSheetBlock& sheet, int headingRows)
{
    QString texts;
    for (int row = 0; row < headingRows && row < sheet.rows; ++row) {
        for (int column = 0; column < ColumnsOf(sheet); ++column) texts += CellShown(sheet, row, column) + u'\t';
        texts += u'\n';
    }
    return QString::fromLatin1(QCryptographicHash::hash(texts.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString Encoded(const TImportLayout& layout)
{
    QStringList columns;
    for (int column : layout.columns) columns << QString::number(column);
    const QString obliged = layout.obligedConstant ? QString::number(*layout.obligedConstant) : QString();
    return QStringLiteral("%1;%2;%3").arg(layout.headingRows).arg(columns.join(u','), obliged);
}

std::optional<TImportLayout> Decoded(const QString& text, int columnCount)
{
    const QStringList parts = text.split(u';');
    if (parts.size() != 3) return std::nullopt;
    TImportLayout layout;
    layout.headingRows = parts[0].toInt();
    const QStringList columns = parts[1].split(u',');
    if (columns.size() != kImportFields) return std::nullopt;
    for (int field = 0; field < kImportFields; ++field) {
        bool number = false;
        const int column = columns[field].toInt(&number);
        if (!number || column < TImportLayout::kEmpty || column >= columnCount) return std::nullopt;
        layout.columns[static_cast<size_t>(field)] = column;
    }
    if (!parts[2].isEmpty()) layout.obligedConstant = parts[2].toInt() == 1 ? 1 : 0;
    return layout;
}

}  // namespace

ImportPreviewDialog::ImportPreviewDialog(QWidget* parent, const std::vector<std::string>& sheetNames, TSheetReader read,
                                         const QString& choices)
    : QDialog(parent), read_(std::move(read)), choices_(choices)
{
    setObjectName(QStringLiteral("ImportPreview"));
    setWindowTitle(QStringLiteral(u"Εισαγωγή με αντιστοίχιση στηλών"));
    auto* layout = new QVBoxLayout(this);
    auto* choicesGrid = new QGridLayout;
    layout->addLayout(choicesGrid);
    auto addChoice = [&](const QString& caption, QWidget* control, int row, int column) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(control);
        choicesGrid->addWidget(label, row, column);
        choicesGrid->addWidget(control, row, column + 1);
        AddLatinMnemonic(
            this, caption, [control] { return control->isEnabled(); },
            [control] { control->setFocus(Qt::ShortcutFocusReason); });
    };

    sheetCombo = new QComboBox(this);
    sheetCombo->setObjectName(QStringLiteral("sheetCombo"));
    for (const std::string& name : sheetNames) sheetCombo->addItem(QString::fromStdString(name));
    addChoice(QStringLiteral(u"&Φύλλο:"), sheetCombo, 0, 0);
    headingRowsSpin = new QSpinBox(this);
    headingRowsSpin->setObjectName(QStringLiteral("headingRowsSpin"));
    addChoice(QStringLiteral(u"&Γραμμές επικεφαλίδας:"), headingRowsSpin, 0, 2);
    for (int field = 0; field < kImportFields; ++field) {
        QComboBox*& combo = fieldCombos[static_cast<size_t>(field)];
        combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("fieldCombo%1").arg(field));
        addChoice(QString::fromUtf16(kFieldCaptions[static_cast<size_t>(field)]) + u':', combo, 1 + field / 2,
                  field % 2 * 2);
        connect(combo, &QComboBox::currentIndexChanged, this, [this] {
            if (!filling_) MarkChosenColumns();
        });
    }

    rowsGrid = new QTableWidget(kRowsShown, 0, this);
    rowsGrid->setObjectName(QStringLiteral("rowsGrid"));
    rowsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rowsGrid->setTabKeyNavigation(false);
    rowsGrid->setWordWrap(false);
    layout->addWidget(rowsGrid, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* importButton = buttons->addButton(QStringLiteral(u"Εισαγωγή"), QDialogButtonBox::AcceptRole);
    importButton->setObjectName(QStringLiteral("importButton"));
    importButton->setDefault(true);
    buttons->addButton(QStringLiteral(u"Ακύρωση"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportPreviewDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportPreviewDialog::reject);
    layout->addWidget(buttons);

    connect(sheetCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index == sheetIndex_) return;
        if (ReadSheet(index)) return Choose(Remembered().value_or(ProposeLayout(sheet_)));
        const QSignalBlocker keep(sheetCombo);
        sheetCombo->setCurrentIndex(sheetIndex_);
    });
    connect(headingRowsSpin, &QSpinBox::valueChanged, this, [this] {
        if (filling_) return;
        FillColumnChoices();
        ShowRows();
    });
    resize(900, 620);
}

bool ImportPreviewDialog::Start(const std::optional<TImportLayout>& layout, int row)
{
    const int index = layout && layout->sheet.position > 0 ? layout->sheet.position - 1 : 0;
    if (index >= sheetCombo->count() || !ReadSheet(index)) return false;
    {
        const QSignalBlocker keep(sheetCombo);
        sheetCombo->setCurrentIndex(index);
    }
    firstRowShown_ = std::max(1, row - 2);
    Choose(layout ? *layout : Remembered().value_or(ProposeLayout(sheet_)));
    if (row > 1) rowsGrid->selectRow(row - firstRowShown_);
    sheetCombo->setFocus();
    return true;
}

bool ImportPreviewDialog::ReadSheet(int index)
{
    TSheetChoice choice;
    choice.position = index + 1;
    choice.keptColumns = TSheetBlock::kMaxKeptColumns;
    std::optional<TSheetBlock> sheet = read_(choice);
    if (!sheet) return false;
    sheet_ = std::move(*sheet);
    sheetIndex_ = index;
    firstRowShown_ = 1;
    return true;
}

void ImportPreviewDialog::Choose(const TImportLayout& layout)
{
    filling_ = true;
    headingRowsSpin->setRange(0, std::max(0, std::min(sheet_.rows, kRowsShown)));
    headingRowsSpin->setValue(layout.headingRows);
    FillColumnChoices();
    for (int field = 0; field < kImportFields; ++field) {
        int choice = layout.columns[static_cast<size_t>(field)];
        if (field == static_cast<int>(TImportField::Obliged) && layout.obligedConstant)
            choice = *layout.obligedConstant == 1 ? kObligedOne : kObligedZero;
        QComboBox* combo = fieldCombos[static_cast<size_t>(field)];
        combo->setCurrentIndex(std::max(0, combo->findData(choice)));
    }
    filling_ = false;
    ShowRows();
}

// Each column is offered with its heading, so that the user chooses by name.
void ImportPreviewDialog::FillColumnChoices()
{
    const bool filling = std::exchange(filling_, true);
    const int heading = headingRowsSpin->value() - 1;
    for (int field = 0; field < kImportFields; ++field) {
        QComboBox* combo = fieldCombos[static_cast<size_t>(field)];
        const QVariant chosen = combo->currentData();
        combo->clear();
        combo->addItem(QStringLiteral(u"(κενό)"), TImportLayout::kEmpty);
        if (field == static_cast<int>(TImportField::Obliged)) {
            combo->addItem(QStringLiteral(u"0 σε όλες τις γραμμές"), kObligedZero);
            combo->addItem(QStringLiteral(u"1 σε όλες τις γραμμές"), kObligedOne);
        }
        for (int column = 0; column < ColumnsOf(sheet_); ++column) {
            const QString title = heading >= 0 ? CellShown(sheet_, heading, column).left(30) : QString();
            combo->addItem(title.isEmpty() ? ColumnName(column) : ColumnName(column) + QStringLiteral(u" – ") + title,
                           column);
        }
        if (chosen.isValid()) combo->setCurrentIndex(std::max(0, combo->findData(chosen)));
    }
    filling_ = filling;
}

void ImportPreviewDialog::ShowRows()
{
    const int columns = ColumnsOf(sheet_), headingRows = headingRowsSpin->value();
    const int rows = std::clamp(sheet_.rows - (firstRowShown_ - 1), 0, kRowsShown);
    rowsGrid->setRowCount(rows);
    rowsGrid->setColumnCount(columns);
    QStringList rowNames;
    for (int shown = 0; shown < rows; ++shown) {
        const int row = firstRowShown_ - 1 + shown;
        rowNames << QString::number(row + 1);
        for (int column = 0; column < columns; ++column) {
            auto* item = new QTableWidgetItem(CellShown(sheet_, row, column));
            if (row < headingRows) item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            rowsGrid->setItem(shown, column, item);
        }
    }
    rowsGrid->setVerticalHeaderLabels(rowNames);
    MarkChosenColumns();
}

// A column's head names the field it gives, as the user chose it.
void ImportPreviewDialog::MarkChosenColumns()
{
    QStringList heads;
    for (int column = 0; column < rowsGrid->columnCount(); ++column) heads << ColumnName(column);
    for (int field = 0; field < kImportFields; ++field) {
        const int column = fieldCombos[static_cast<size_t>(field)]->currentData().toInt();
        if (column >= 0 && column < heads.size()) heads[column] += u'\n' + FieldName(field);
    }
    rowsGrid->setHorizontalHeaderLabels(heads);
    rowsGrid->resizeColumnsToContents();
}

TImportLayout ImportPreviewDialog::Layout() const
{
    TImportLayout layout;
    layout.headingRows = headingRowsSpin->value();
    for (int field = 0; field < kImportFields; ++field) {
        const int choice = fieldCombos[static_cast<size_t>(field)]->currentData().toInt();
        if (choice == kObligedZero || choice == kObligedOne) layout.obligedConstant = choice == kObligedOne ? 1 : 0;
        layout.columns[static_cast<size_t>(field)] = std::max(choice, TImportLayout::kEmpty);
    }
    layout.sheet.position = sheetIndex_ + 1;
    layout.sheet.keptColumns = layout.KeptColumns();
    return layout;
}

void ImportPreviewDialog::accept()
{
    Remember();
    QDialog::accept();
}

void ImportPreviewDialog::Remember() const
{
    const TImportLayout layout = Layout();
    if (layout.headingRows == 0) return;
    QSettings settings(choices_, QSettings::IniFormat);
    settings.setValue(QStringLiteral("importLayouts/") + HeadingKey(sheet_, layout.headingRows), Encoded(layout));
}

std::optional<TImportLayout> ImportPreviewDialog::Remembered() const
{
    const QSettings settings(choices_, QSettings::IniFormat);
    for (int rows = 1; rows <= kHeadingsRemembered && rows < sheet_.rows; ++rows) {
        const QVariant kept = settings.value(QStringLiteral("importLayouts/") + HeadingKey(sheet_, rows));
        std::optional<TImportLayout> layout =
            kept.isValid() ? Decoded(kept.toString(), ColumnsOf(sheet_)) : std::nullopt;
        if (layout && layout->headingRows == rows) return layout;
    }
    return std::nullopt;
}

}  // namespace epinax::ui
