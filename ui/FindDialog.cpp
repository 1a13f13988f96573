#include "ui/FindDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/ObjectNames.h"

namespace epinax::ui {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(handle::Name(handle::kFindWindow));
    setWindowTitle(QStringLiteral(u"Εύρεση"));
    auto* layout = new QGridLayout(this);
    auto* label1 = new QLabel(QStringLiteral(u"Αναζήτηση με:"), this);
    byTaxNumberButton = new QRadioButton(QStringLiteral(u"ΑΦΜ"), this);
    byTaxNumberButton->setObjectName(handle::Name(handle::kByTaxNumberButton));
    byTaxNumberButton->setChecked(true);
    byNameButton = new QRadioButton(QStringLiteral(u"Επωνυμία"), this);
    byNameButton->setObjectName(handle::Name(handle::kByNameButton));
    auto* label2 = new QLabel(QStringLiteral(u"Εύρεση του:"), this);
    searchEdit = new QLineEdit(this);
    searchEdit->setObjectName(handle::Name(handle::kSearchEdit));
    searchEdit->setMaxLength(9);
    searchEdit->setValidator(new TCp1253Validator(searchEdit));
    searchEdit->installEventFilter(this);
    wholeTextBox = new QCheckBox(QStringLiteral(u"Μόνο ολόκληρες λέξεις"), this);
    wholeTextBox->setObjectName(handle::Name(handle::kWholeTextBox));
    wholeTextBox->setChecked(true);
    auto* ok = new QPushButton(QStringLiteral(u"ΟΚ"), this);
    ok->setObjectName(handle::Name(handle::kOkButton));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral(u"Ακύρωση"), this);
    cancel->setObjectName(handle::Name(handle::kCancelButton));
    connect(ok, &QPushButton::clicked, this, &FindDialog::okClicked);
    connect(cancel, &QPushButton::clicked, this, &FindDialog::cancelClicked);

    layout->addWidget(label1, 0, 0);
    layout->addWidget(byTaxNumberButton, 0, 1);
    layout->addWidget(byNameButton, 0, 2);
    layout->addWidget(label2, 1, 0);
    layout->addWidget(searchEdit, 1, 1, 1, 2);
    layout->addWidget(wholeTextBox, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 3, 0, 1, 3);
    setFixedSize(sizeHint().expandedTo(QSize(320, 150)));
}

void FindDialog::okClicked()
{
    Cancelled = false;
    SearchText = searchEdit->text();
    PartialMatch = !wholeTextBox->isChecked();
    ByAFM = byTaxNumberButton->isChecked();
    accept();
}

void FindDialog::cancelClicked()
{
    Cancelled = true;
    QDialog::reject();
}

void FindDialog::reject() { cancelClicked(); }

// The length limit follows the choice each time a key is typed: 9 digits
// for a tax number, 27 characters for a name.
bool FindDialog::searchKeyPress(QKeyEvent* event)
{
    bool byAfm = byTaxNumberButton->isChecked();
    QString text = event->text();
    bool character = !text.isEmpty() && text.at(0).isPrint();
    if (byAfm && character && (text.at(0).unicode() < u'0' || text.at(0).unicode() > u'9')) {
        TDialogs::Beep();
        return true;
    }
    // Setting the limit resets the editor's cursor and selection, so it is
    // set only when the choice changed it.
    const int limit = byAfm ? 9 : 27;
    if (searchEdit->maxLength() != limit) searchEdit->setMaxLength(limit);
    return false;
}

// The window opens with its remembered text selected in the search box, so
// that typing replaces it and Enter searches.
void FindDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    searchEdit->setFocus(Qt::OtherFocusReason);
    searchEdit->selectAll();
}

bool FindDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == searchEdit && event->type() == QEvent::KeyPress)
        return searchKeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

}  // namespace epinax::ui
