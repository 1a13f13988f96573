// The small "please wait" box shown while a long job (loading, sorting,
// writing the statement file) keeps the UI thread busy.
#pragma once

#include <QDialog>

class QLabel;

namespace epinax::ui {

class WaitWindow : public QDialog {
    Q_OBJECT

public:
    explicit WaitWindow(QWidget* parent = nullptr);

    // Shows the box and paints it at once: the caller is about to block the
    // event loop, so an ordinary show() would leave an empty frame on screen.
    void ShowNow();

private:
    void CentreOnScreen();

    QLabel* text_ = nullptr;
};

}  // namespace epinax::ui
