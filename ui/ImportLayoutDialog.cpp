#include "ui/ImportLayoutDialog.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "import/Import.h"
#include "ui/GreekText.h"

namespace epinax::ui {

namespace {

constexpr int kPreviewRows = 20;
// The item data of a field's choices besides a column from 0.
constexpr int kConstantZero = -2, kConstantOne = -3;

// Each with a letter of its own, the sheet's "&Φ" and "&Γ" besides.
const char16_t* const kFieldCaptions[kImportFields] = {
    u"&ΑΦΜ:",  u"&Επωνυμία:", u"Επάγγελ&μα:", u"&Υπόχρεος:",           u"&Πόλη:",
    u"&Οδός:", u"Α&ριθμός:",  u"&Τ.Κ.:",      u"Αριθμός τιμολογί&ων:", u"Α&ξία:"};

QString ColumnName(int column)
{
    const std::string cell = CellName(0, column);
    return QString::fromLatin1(cell.substr(0, cell.size() - 1));
}

}  // namespace

ImportLayoutDialog::ImportLayoutDialog(std::vector<std::string> sheetNames, TSheetReader read, QString settingsPath,
                                       QWidget* parent)
    : QDialog(parent),
      sheetNames_(std::move(sheetNames)),
      read_(std::move(read)),
      settingsPath_(std::move(settingsPath))
{
    setObjectName(QStringLiteral("ImportLayout"));
    setWindowTitle(QStringLiteral(u"Εισαγωγή με αντιστοίχιση στηλών"));
    auto* form = new QFormLayout;
    sheetCombo = new QComboBox(this);
    sheetCombo->setObjectName(QStringLiteral("Sheet"));
    for (const std::string& name : sheetNames_) sheetCombo->addItem(FromCp1253(name));
    form->addRow(QStringLiteral(u"&Φύλλο:"), sheetCombo);
    headingSpin = new QSpinBox(this);
    headingSpin->setObjectName(QStringLiteral("HeadingRows"));
    form->addRow(QStringLiteral(u"&Γραμμές επικεφαλίδας:"), headingSpin);
    for (int field = 0; field < kImportFields; ++field) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("Field%1").arg(field));
        form->addRow(QString::fromUtf16(kFieldCaptions[field]), combo);
        fieldCombos[static_cast<std::size_t>(field)] = combo;
    }
    preview = new QTableWidget(this);
    preview->setObjectName(QStringLiteral("Preview"));
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral(u"Εισαγωγή"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral(u"Ακύρωση"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    columns->addLayout(form);
    columns->addWidget(preview, 1);
    layout->addLayout(columns);
    layout->addWidget(buttons);
    // The preview only shows: the keys go from the choices to the buttons.
    preview->setFocusPolicy(Qt::NoFocus);
    connect(sheetCombo, &QComboBox::currentIndexChanged, this, &ImportLayoutDialog::ChangeSheet);
    connect(headingSpin, &QSpinBox::valueChanged, this, &ImportLayoutDialog::ShowPreview);
    resize(900, 560);
}

bool ImportLayoutDialog::Start()
{
    ChangeSheet(0);
    return shownSheet_ == 0;
}

// A sheet that cannot be read leaves the one shown before.
void ImportLayoutDialog::ChangeSheet(int index)
{
    if (index < 0 || index == shownSheet_) return;
    // By position: a name with a character Windows-1253 lacks is shown with a '?'.
    TSheetChoice choice;
    choice.position = index + 1;
    choice.keptColumns = TSheetBlock::kMaxKeptColumns;
    auto sheet = read_(choice);
    if (!sheet) {
        const QSignalBlocker blocker(sheetCombo);
        sheetCombo->setCurrentIndex(std::max(shownSheet_, 0));
        return;
    }
    sheet_ = std::move(*sheet);
    choice_ = choice;
    shownSheet_ = index;
    TImportLayout layout = ProposeLayout(sheet_);
    headingSpin->setMaximum(std::max(0, sheet_.rows - 1));
    {
        const QSignalBlocker blocker(headingSpin);
        headingSpin->setValue(layout.headingRows);
    }
    headingsKey_ = HeadingsKey();
    FillFieldChoices();
    const QString kept = QSettings(settingsPath_, QSettings::IniFormat)
                             .value(QStringLiteral("importLayouts/") + headingsKey_)
                             .toString();
    const QStringList parts = kept.split(QLatin1Char(','));
    if (parts.size() == kImportFields + 1) {
        layout.headingRows = std::min(parts[0].toInt(), headingSpin->maximum());
        layout.obligedConstant.reset();
        for (int field = 0; field < kImportFields; ++field) {
            const int value = parts[field + 1].toInt();
            layout.columns[static_cast<std::size_t>(field)] = value < 0 ? TImportLayout::kEmpty : value;
            if (value == kConstantZero || value == kConstantOne) layout.obligedConstant = value == kConstantOne ? 1 : 0;
        }
    }
    ShowLayout(layout);
}

// The headings as the proposal finds them name the sheet's layout: the same
// headings next time bring back the same choices.
QString ImportLayoutDialog::HeadingsKey() const
{
    QByteArray headings;
    for (int row = 0; row < headingSpin->value(); ++row)
        for (int column = 0; column < sheet_.StoredColumns(); ++column)
            headings += QByteArray::fromStdString(CellText(sheet_.At(row, column))) + '\t';
    return QString::fromLatin1(QCryptographicHash::hash(headings, QCryptographicHash::Sha1).toHex());
}

void ImportLayoutDialog::FillFieldChoices()
{
    const int columns = std::min(sheet_.columns, TSheetBlock::kMaxKeptColumns);
    for (int field = 0; field < kImportFields; ++field) {
        QComboBox* combo = fieldCombos[static_cast<std::size_t>(field)];
        combo->clear();
        combo->addItem(QStringLiteral(u"(κενό)"), TImportLayout::kEmpty);
        if (field == static_cast<int>(TImportField::Obliged)) {
            combo->addItem(QStringLiteral(u"0 σε όλες"), kConstantZero);
            combo->addItem(QStringLiteral(u"1 σε όλες"), kConstantOne);
        }
        for (int column = 0; column < columns; ++column) combo->addItem(ColumnName(column), column);
    }
}

void ImportLayoutDialog::ShowLayout(const TImportLayout& layout)
{
    headingSpin->setValue(layout.headingRows);
    for (int field = 0; field < kImportFields; ++field) {
        int value = layout.columns[static_cast<std::size_t>(field)];
        if (field == static_cast<int>(TImportField::Obliged) && layout.obligedConstant)
            value = *layout.obligedConstant == 1 ? kConstantOne : kConstantZero;
        QComboBox* combo = fieldCombos[static_cast<std::size_t>(field)];
        combo->setCurrentIndex(std::max(0, combo->findData(value)));
    }
    ShowPreview();
}

// The first rows, the heading rows greyed, each column under its letter.
void ImportLayoutDialog::ShowPreview()
{
    const int rows = std::min(sheet_.rows, kPreviewRows);
    const int columns = sheet_.StoredColumns();
    preview->clear();
    preview->setRowCount(rows);
    preview->setColumnCount(columns);
    QStringList letters;
    for (int column = 0; column < columns; ++column) letters << ColumnName(column);
    preview->setHorizontalHeaderLabels(letters);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            auto* item = new QTableWidgetItem(FromCp1253(CellText(sheet_.At(row, column))));
            if (row < headingSpin->value()) item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            preview->setItem(row, column, item);
        }
}

TImportLayout ImportLayoutDialog::Layout() const
{
    TImportLayout layout;
    layout.sheet = choice_;
    layout.headingRows = headingSpin->value();
    for (int field = 0; field < kImportFields; ++field) {
        const int value = fieldCombos[static_cast<std::size_t>(field)]->currentData().toInt();
        layout.columns[static_cast<std::size_t>(field)] = value < 0 ? TImportLayout::kEmpty : value;
        if (value == kConstantZero || value == kConstantOne) layout.obligedConstant = value == kConstantOne ? 1 : 0;
    }
    return layout;
}

void ImportLayoutDialog::accept()
{
    QStringList parts{QString::number(headingSpin->value())};
    for (QComboBox* combo : fieldCombos) parts << QString::number(combo->currentData().toInt());
    QSettings(settingsPath_, QSettings::IniFormat)
        .setValue(QStringLiteral("importLayouts/") + headingsKey_, parts.join(QLatin1Char(',')));
    QDialog::accept();
}

}  // namespace epinax::ui
