// The About window: product, version, description and credit line. A new
// window for each opening, so its key sequence always starts afresh.
#pragma once

#include <QDialog>

namespace epinax::ui {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // How far the hidden key sequence has got, 0 to 5.
    int SequenceCounter() const { return counter_; }
    static QString VersionLine();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CharacterTyped(QChar typed);

    int counter_ = 0;
};

}  // namespace epinax::ui
