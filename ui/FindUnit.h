// The find window: search the tax number or the name of the list on the
// active tab. One instance lives as long as the program and keeps the text
// and choices of its last use.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace epinax::ui {

class TFind : public QDialog {
    Q_OBJECT
public:
    explicit TFind(QWidget* parent = nullptr);

    // The outcome of the last use.
    bool Cancelled = false;
    QString SearchText;
    bool ByAFM = true;
    bool PartialMatch = false;

    void Button1Click();  // ΟΚ
    void Button2Click();  // Ακύρωση

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;  // Escape and the close box count as "Ακύρωση"
    void showEvent(QShowEvent* event) override;

private:
    bool Edit1KeyPress(QKeyEvent* event);

    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QLineEdit* Edit1;
    QCheckBox* CheckBox2;
};

}  // namespace epinax::ui
