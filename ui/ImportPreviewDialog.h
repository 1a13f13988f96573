// Where a workbook's rows lie, chosen before they are imported: the sheet,
// the heading rows to pass over and the column of each field, proposed from
// the sheet and shown over its rows. The choice made for a heading layout is
// remembered, so that next year's export of the same program imports with
// one Enter.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "import/Layout.h"

class QComboBox;
class QSpinBox;
class QTableWidget;

namespace epinax::ui {

class ImportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    // Reads a sheet with every column a layout may take; nothing when it
    // could not be read or the user stopped it (the reader has told why).
    using TSheetReader = std::function<std::optional<TSheetBlock>(const TSheetChoice&)>;

    // `choices` is the file where the choices are remembered.
    ImportPreviewDialog(QWidget* parent, const std::vector<std::string>& sheetNames, TSheetReader read,
                        const QString& choices);

    // Reads the sheet of `layout` (the first one and the proposal without
    // it) and shows its rows from `row` (from 1). False when it could not be
    // read.
    bool Start(const std::optional<TImportLayout>& layout, int row = 1);

    TImportLayout Layout() const;
    // The sheet as read, for the import that follows.
    const TSheetBlock& Sheet() const { return sheet_; }

    static constexpr int kRowsShown = 20;

private:
    bool ReadSheet(int index);
    void Choose(const TImportLayout& layout);
    void ShowRows();
    void MarkChosenColumns();
    void FillColumnChoices();
    void Remember() const;
    std::optional<TImportLayout> Remembered() const;
    void accept() override;

    TSheetReader read_;
    QString choices_;
    TSheetBlock sheet_;
    int sheetIndex_ = -1;
    int firstRowShown_ = 1;
    bool filling_ = false;  // the controls are being set, not changed by the user
    QComboBox* sheetCombo = nullptr;
    QSpinBox* headingRowsSpin = nullptr;
    std::array<QComboBox*, kImportFields> fieldCombos{};
    QTableWidget* rowsGrid = nullptr;
};

}  // namespace epinax::ui
