// Where the rows of a workbook lie, as the user says: the sheet, the number
// of heading rows, and the column each field comes from, over a preview of
// the sheet's first rows. It opens with the proposal of the core, or with
// what the user chose last for a sheet with the same headings.
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

class ImportLayoutDialog : public QDialog {
    Q_OBJECT
public:
    // Reads a sheet, all the columns a layout may name; nothing when it could
    // not be read (the reader has told the user why) or the user stopped it.
    using TSheetReader = std::function<std::optional<TSheetBlock>(const TSheetChoice&)>;

    // `settingsPath`: the settings file where the choices are remembered.
    ImportLayoutDialog(std::vector<std::string> sheetNames, TSheetReader read, QString settingsPath,
                       QWidget* parent = nullptr);

    // Reads the first sheet; false when it could not be read.
    bool Start();
    TImportLayout Layout() const;
    // The sheet as read, for the import (it holds every column the layout may name).
    const TSheetBlock& Sheet() const { return sheet_; }
    void accept() override;

private:
    void ChangeSheet(int index);
    void ShowPreview();
    void FillFieldChoices();
    void ShowLayout(const TImportLayout& layout);
    QString HeadingsKey() const;

    std::vector<std::string> sheetNames_;
    TSheetReader read_;
    QString settingsPath_;
    TSheetBlock sheet_;
    TSheetChoice choice_;
    QString headingsKey_;  // the proposal's heading rows, which a choice is remembered by
    int shownSheet_ = -1;
    QComboBox* sheetCombo;
    QSpinBox* headingSpin;
    QTableWidget* preview;
    std::array<QComboBox*, kImportFields> fieldCombos{};
};

}  // namespace epinax::ui
