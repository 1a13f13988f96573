#include "ui/ListNavigator.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

#include "statement/Statement.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/Handlers.h"
#include "ui/ObjectNames.h"
#include "ui/RecordStoreModel.h"

namespace epinax::ui {

namespace {

struct ButtonLook {
    const char16_t* hint;
    const char* name;
    QStyle::StandardPixmap icon;
};

const ButtonLook kButtons[] = {
    {u"Πρώτη Εγγραφή", "nbFirst", QStyle::SP_MediaSkipBackward},
    {u"Τελευταία Εγγραφή", "nbLast", QStyle::SP_MediaSkipForward},
    {u"Εισαγωγή Εγγραφής", "nbInsert", QStyle::SP_FileDialogNewFolder},
    {u"Διαγραφή Εγγραφής", "nbDelete", QStyle::SP_TrashIcon},
    {u"Αποθήκευση Αλλαγών", "nbPost", QStyle::SP_DialogApplyButton},
    {u"Ακύρωση Αλλαγών", "nbCancel", QStyle::SP_DialogCancelButton},
};

constexpr int kButtonWidth = 86;

}  // namespace

ListNavigator::ListNavigator(TStatement& statement, CounterpartyGrid& grid, QWidget* parent)
    : QWidget(parent), statement_(statement), grid_(grid)
{
    setObjectName(grid.Side() == TSide::Customers ? handle::Name(handle::kCustomerNavigator)
                                                  : handle::Name(handle::kSupplierNavigator));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int b = nbFirst; b <= nbCancel; ++b) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(kButtons[b].name));
        button->setIcon(style()->standardIcon(kButtons[b].icon));
        button->setToolTip(QString::fromUtf16(kButtons[b].hint));
        button->setFixedSize(kButtonWidth, 24);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, b] { BtnClick(static_cast<TNavigateBtn>(b)); });
        layout->addWidget(button);
        buttons_[b] = button;
    }
    layout->addStretch();
    storeSubscription_ = statement.List(grid.Side()).AddDataListener([this](TDataEvent) { UpdateButtons(); });
    UpdateButtons();
}

bool ListNavigator::BeforeAction(TNavigateBtn button)
{
    if (button != nbDelete) return true;
    return TDialogs::AskConfirmation(window(), QStringLiteral(u"Είστε σίγουρος;"),
                                     {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo},
                                     {QStringLiteral(u"Ναι"), QStringLiteral(u"Όχι")}) != mrNo;
}

void ListNavigator::BtnClick(TNavigateBtn button)
{
    TFixedFormatDataSet& store = statement_.List(grid_.Side());
    if (!store.Active() || !BeforeAction(button)) return;
    RunHandler(this, [&] {
        switch (button) {
        case nbFirst: store.First(); break;
        case nbLast: store.Last(); break;
        case nbInsert:
            grid_.CommitEditor();
            store.Insert();
            break;
        case nbDelete: store.Delete(); break;
        // As after any other post, the row shows as stored: no editor stays open.
        case nbPost:
            store.Post();
            grid_.DropEditor();
            break;
        case nbCancel:
            store.Cancel();
            grid_.DropEditor();
            break;
        }
    });
    grid_.FollowStore();
    UpdateButtons();
}

void ListNavigator::UpdateButtons()
{
    const TFixedFormatDataSet& store = statement_.List(grid_.Side());
    bool active = store.Active();
    bool editing = active && (store.State() == TDataSetState::dsEdit || store.State() == TDataSetState::dsInsert);
    buttons_[nbFirst]->setEnabled(active);
    buttons_[nbLast]->setEnabled(active);
    buttons_[nbInsert]->setEnabled(active);
    buttons_[nbDelete]->setEnabled(active && (store.RecordCount() > 0 || editing));
    buttons_[nbPost]->setEnabled(editing);
    buttons_[nbCancel]->setEnabled(editing);
}

QWidget* NavigatorCaptions(QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (const auto& look : kButtons) {
        auto* label = new QLabel(QString::fromUtf16(look.hint), row);
        label->setFixedWidth(kButtonWidth);
        label->setAlignment(Qt::AlignCenter);
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 0.8);
        label->setFont(font);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addStretch();
    return row;
}

}  // namespace epinax::ui
