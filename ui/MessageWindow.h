// The welcome message shown once at every start, before the main window can
// be used. It can only be dismissed with its button, so that it is read.
#pragma once

#include <QDialog>

class QCloseEvent;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

namespace epinax::ui {

class MessageWindow : public QDialog {
    Q_OBJECT

public:
    explicit MessageWindow(QWidget* parent = nullptr);

    // The fourteen lines of the message, as shown.
    static QString MessageText();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

public slots:
    // Escape and the window manager land here; only the button may close.
    void reject() override;

private slots:
    void continueClicked();

private:
    QHBoxLayout* MakeHeader();
    QWidget* MakeBar();
    QLabel* MakeWelcome();
    QHBoxLayout* MakeBody();
    QPlainTextEdit* MakeMemo();
    QHBoxLayout* MakeButtonRow();

    QPushButton* button_ = nullptr;
    bool closingByButton_ = false;
};

}  // namespace epinax::ui
