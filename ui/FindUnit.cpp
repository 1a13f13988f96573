#include "ui/FindUnit.h"

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

namespace epinax::ui {

TFind::TFind(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Find"));
    setWindowTitle(QStringLiteral(u"Εύρεση"));
    auto* layout = new QGridLayout(this);
    auto* label1 = new QLabel(QStringLiteral(u"Αναζήτηση με:"), this);
    RadioButton1 = new QRadioButton(QStringLiteral(u"ΑΦΜ"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral(u"Επωνυμία"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    auto* label2 = new QLabel(QStringLiteral(u"Εύρεση του:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(9);
    Edit1->setValidator(new TCp1253Validator(Edit1));
    Edit1->installEventFilter(this);
    CheckBox2 = new QCheckBox(QStringLiteral(u"Μόνο ολόκληρες λέξεις"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setChecked(true);
    auto* ok = new QPushButton(QStringLiteral(u"ΟΚ"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral(u"Ακύρωση"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    connect(ok, &QPushButton::clicked, this, &TFind::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &TFind::Button2Click);

    layout->addWidget(label1, 0, 0);
    layout->addWidget(RadioButton1, 0, 1);
    layout->addWidget(RadioButton2, 0, 2);
    layout->addWidget(label2, 1, 0);
    layout->addWidget(Edit1, 1, 1, 1, 2);
    layout->addWidget(CheckBox2, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 3, 0, 1, 3);
    setFixedSize(sizeHint().expandedTo(QSize(320, 150)));
}

void TFind::Button1Click()
{
    Cancelled = false;
    SearchText = Edit1->text();
    PartialMatch = !CheckBox2->isChecked();
    ByAFM = RadioButton1->isChecked();
    accept();
}

void TFind::Button2Click()
{
    Cancelled = true;
    QDialog::reject();
}

void TFind::reject() { Button2Click(); }

// The length limit follows the choice each time a key is typed: 9 digits
// for a tax number, 27 characters for a name.
bool TFind::Edit1KeyPress(QKeyEvent* event)
{
    bool byAfm = RadioButton1->isChecked();
    QString text = event->text();
    bool character = !text.isEmpty() && text.at(0).isPrint();
    if (byAfm && character && (text.at(0).unicode() < u'0' || text.at(0).unicode() > u'9')) {
        TDialogs::Beep();
        return true;
    }
    // Setting the limit resets the editor's cursor and selection, so it is
    // set only when the choice changed it.
    const int limit = byAfm ? 9 : 27;
    if (Edit1->maxLength() != limit) Edit1->setMaxLength(limit);
    return false;
}

// The window opens with its remembered text selected in the search box, so
// that typing replaces it and Enter searches.
void TFind::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Edit1->setFocus(Qt::OtherFocusReason);
    Edit1->selectAll();
}

bool TFind::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress) return Edit1KeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

}  // namespace epinax::ui
