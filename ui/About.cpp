#include "ui/About.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Dialogs.h"

namespace epinax::ui {

namespace {

// The five letters, in order, and the character that ends the sequence.
const QString& SequenceLetters()
{
    static const QString letters = QStringLiteral(u"ΠΙΝΑΞ");
    return letters;
}
constexpr char16_t kTerminator = u'.';

QString CreditsText()
{
    return QStringLiteral(
        u"e-ΠΙΝΑΞ\n\n"
        u"Γράφτηκε σε C++ με τη βιβλιοθήκη Qt, για όσους συμπληρώνουν κάθε χρόνο\n"
        u"τις συγκεντρωτικές καταστάσεις πελατών και προμηθευτών.\n\n"
        u"Ευχαριστούμε όσους δοκίμασαν κάθε έκδοση και μας έγραψαν τι χρειάζεται.\n"
        u"Ελεύθερο λογισμικό, υπό την άδεια GNU GPL έκδοση 3 ή νεότερη.");
}

QLabel* CentredLabel(const QString& text, QWidget* parent, int pointSizeDelta = 0, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSize(font.pointSize() + pointSizeDelta);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

}  // namespace

QString TAboutBox::VersionLine() { return QStringLiteral(u"Έκδοση ") + QStringLiteral(EPINAX_VERSION); }

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral(u"Σχετικά"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(QPixmap(QStringLiteral(":/pictures/icon.png")));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* product = CentredLabel(QStringLiteral(u"e-ΠΙΝΑΞ"), this, 6, true);
    product->setObjectName(QStringLiteral("ProductName"));
    auto* version = CentredLabel(VersionLine(), this);
    version->setObjectName(QStringLiteral("Version"));
    auto* description =
        CentredLabel(QStringLiteral(u"Ηλεκτρονική Υποβολή Συγκεντρωτικών Καταστάσεων Πελατών - Προμηθευτών "), this, 1);
    description->setObjectName(QStringLiteral("Comments"));
    auto* credit =
        CentredLabel(QStringLiteral(u"Για την ηλεκτρονική υποβολή στο Κέντρο Φορολογικών Υπηρεσιών (ΚΕΦΥΣ)"), this, -1);
    credit->setObjectName(QStringLiteral("Copyright"));

    auto* texts = new QVBoxLayout;
    for (QLabel* label : {product, version, description, credit}) texts->addWidget(label);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(texts, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedWidth(420);
    ok->setFocus();
}

// Keys the OK button has no use for come here.
void TAboutBox::keyPressEvent(QKeyEvent* event)
{
    for (QChar typed : event->text()) CharacterTyped(typed);
    QDialog::keyPressEvent(event);
}

// Either case counts: the program keeps Caps Lock on.
void TAboutBox::CharacterTyped(QChar typed)
{
    const int letter = static_cast<int>(SequenceLetters().indexOf(typed.toUpper()));
    if (letter == 0) {
        counter_ = counter_ == 0 ? 1 : 0;
    } else if (letter > 0) {
        counter_ = counter_ == letter ? letter + 1 : 0;
    } else if (typed == QChar(kTerminator)) {
        if (counter_ == static_cast<int>(SequenceLetters().size()))
            TDialogs::ShowMessage(this, CreditsText());
        else
            counter_ = 0;
    }
}

}  // namespace epinax::ui
