// The record navigator above a grid: first, last, insert, delete, post and
// cancel, with the program's own question before a delete.
#pragma once

#include <QWidget>

#include "record_store/DataSet.h"

class QToolButton;

namespace epinax {
class TStatement;
}

namespace epinax::ui {

class CounterpartyGrid;

class ListNavigator : public QWidget {
    Q_OBJECT
public:
    enum TNavigateBtn { nbFirst, nbLast, nbInsert, nbDelete, nbPost, nbCancel };

    ListNavigator(TStatement& statement, CounterpartyGrid& grid, QWidget* parent = nullptr);
    QToolButton* Button(TNavigateBtn button) const { return buttons_[button]; }
    // Runs a button's action as a click does.
    void BtnClick(TNavigateBtn button);

private:
    // Stops the navigator's action when it returns false.
    bool BeforeAction(TNavigateBtn button);
    void UpdateButtons();

    TStatement& statement_;
    CounterpartyGrid& grid_;
    TDataSubscription storeSubscription_;
    QToolButton* buttons_[6]{};
};

// The six captions that stand above the navigator's buttons.
QWidget* NavigatorCaptions(QWidget* parent);

}  // namespace epinax::ui
