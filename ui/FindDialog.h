// The find window: search the tax number or the name of the list on the
// active tab. One instance lives as long as the program and keeps the text
// and choices of its last use.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace epinax::ui {

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    // The outcome of the last use.
    bool Cancelled = false;
    QString SearchText;
    bool ByAFM = true;
    bool PartialMatch = false;

    void okClicked();      // ΟΚ
    void cancelClicked();  // Ακύρωση

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;  // Escape and the close box count as "Ακύρωση"
    void showEvent(QShowEvent* event) override;

private:
    bool searchKeyPress(QKeyEvent* event);

    QRadioButton* byTaxNumberButton;
    QRadioButton* byNameButton;
    QLineEdit* searchEdit;
    QCheckBox* wholeTextBox;
};

}  // namespace epinax::ui
