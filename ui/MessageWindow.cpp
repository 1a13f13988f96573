#include "ui/MessageWindow.h"

#include <QCloseEvent>
#include <QColor>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStringList>
#include <QVBoxLayout>

#include "common/Authority.h"

namespace epinax::ui {

namespace {

const QColor kBarColour(48, 159, 192);
const int kBarHeight = 6;
const int kEmblemSize = 48;
const int kMemoLines = 14;

QLabel* BoldLabel(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* PictureLabel(const QString& resource, int size, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    QPixmap picture(resource);
    if (size > 0 && !picture.isNull())
        picture = picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    label->setPixmap(picture);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return label;
}

// A name block: emblem, then the bold lines beside it.
QHBoxLayout* EmblemWithNames(QLabel* emblem, QVBoxLayout* names)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(emblem, 0, Qt::AlignVCenter);
    names->addStretch();
    names->insertStretch(0);
    row->addLayout(names);
    return row;
}

// The widest line and the line count decide the size, so the memo shows
// the whole text without scroll bars and without cutting anything off.
QSize MemoSizeFor(const QPlainTextEdit* memo, const QString& text)
{
    const QFontMetrics metrics(memo->font());
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) widest = qMax(widest, metrics.horizontalAdvance(line));
    const int margin = 2 * int(memo->document()->documentMargin()) + 2 * memo->frameWidth();
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    return {widest + margin + metrics.averageCharWidth(), lines * metrics.lineSpacing() + margin + 2};
}

}  // namespace

MessageWindow::MessageWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral(u"FormMessage"));
    setWindowTitle(QStringLiteral(u"e-ΠΙΝΑΞ"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(8);
    layout->addLayout(MakeHeader());
    layout->addWidget(MakeBar());
    layout->addWidget(MakeWelcome());
    layout->addLayout(MakeBody());
    layout->addLayout(MakeButtonRow());
    // Fixed size: the dialog is exactly as large as its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString MessageWindow::MessageText()
{
    const QStringList lines = {
        QStringLiteral(u"Το Κέντρο Φορολογικών Υπηρεσιών (ΚΕΦΥΣ) ανέπτυξε το πρόγραμμα αυτό, "),
        QStringLiteral(u"απλό και εύχρηστο, για την ηλεκτρονική συμπλήρωση των Καταστάσεων "),
        QStringLiteral(u"Πελατών-Προμηθευτών, με στόχο την καλύτερη εξυπηρέτηση των πολιτών "),
        QStringLiteral(u"και τη στήριξη της φορολογικής δικαιοσύνης και της διαφάνειας. "),
        QString(),
        QStringLiteral(u"Το πρόγραμμα διανέμεται δωρεάν και απευθύνεται στους επιτηδευματίες και τις επιχειρήσεις, "),
        QStringLiteral(u"απαλλάσσοντάς τους από την υποχρέωση επίσκεψης στη Δ.Ο.Υ., προσφέροντας ταυτόχρονα "),
        QStringLiteral(u"ευκολία και ταχύτητα. "),
        QString(),
        QStringLiteral(u"Η διαδικασία ολοκληρώνεται με την ηλεκτρονική υποβολή του αρχείου που "),
        QStringLiteral(u"δημιουργεί το πρόγραμμα, στον δικτυακό τόπο του ΚΕΦΥΣ (%1), ")
            .arg(QString::fromUtf8(kAuthorityHost)),
        QStringLiteral(u"σε ελάχιστο χρόνο. "),
        QString(),
        QStringLiteral(u"Σας προσκαλούμε να έρθετε μαζί μας στην ηλεκτρονική εποχή!"),
    };
    Q_ASSERT(lines.size() == kMemoLines);
    return lines.join(QLatin1Char('\n'));
}

QHBoxLayout* MessageWindow::MakeHeader()
{
    auto* ministryNames = new QVBoxLayout;
    ministryNames->addWidget(BoldLabel(QString::fromUtf8(kMinistryName), QStringLiteral(u"LabelMinistry"), this));
    auto* authorityNames = new QVBoxLayout;
    authorityNames->setSpacing(2);
    authorityNames->addWidget(BoldLabel(QString::fromUtf8(kAuthorityName), QStringLiteral(u"LabelAuthority"), this));
    authorityNames->addWidget(
        BoldLabel(QStringLiteral(u"Κέντρο Φορολογικών Υπηρεσιών"), QStringLiteral(u"LabelAuthorityName"), this));

    auto* header = new QHBoxLayout;
    header->addLayout(EmblemWithNames(PictureLabel(QStringLiteral(u":/pictures/emblem-ministry.png"), kEmblemSize,
                                                   QStringLiteral(u"ImageMinistry"), this),
                                      ministryNames));
    header->addStretch();
    header->addLayout(EmblemWithNames(PictureLabel(QStringLiteral(u":/pictures/emblem-kefys.png"), kEmblemSize,
                                                   QStringLiteral(u"ImageAuthority"), this),
                                      authorityNames));
    return header;
}

QWidget* MessageWindow::MakeBar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral(u"Bar"));
    bar->setFixedHeight(kBarHeight);
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, kBarColour);
    bar->setPalette(palette);
    return bar;
}

QLabel* MessageWindow::MakeWelcome()
{
    QLabel* welcome =
        BoldLabel(QStringLiteral(u"Καλώς ήλθατε στην Ηλεκτρονική Συμπλήρωση Καταστάσεων Πελατών-Προμηθευτών"),
                  QStringLiteral(u"LabelWelcome"), this);
    QFont font = welcome->font();
    font.setPointSizeF(font.pointSizeF() * 1.15);
    welcome->setFont(font);
    welcome->setContentsMargins(0, 4, 0, 4);
    return welcome;
}

QHBoxLayout* MessageWindow::MakeBody()
{
    auto* body = new QHBoxLayout;
    body->setSpacing(14);
    body->addWidget(PictureLabel(QStringLiteral(u":/pictures/message.png"), 0, QStringLiteral(u"Image1"), this), 0,
                    Qt::AlignTop);
    body->addWidget(MakeMemo(), 0, Qt::AlignTop);
    body->addStretch();
    return body;
}

QPlainTextEdit* MessageWindow::MakeMemo()
{
    auto* memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral(u"Memo1"));
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setTextInteractionFlags(Qt::NoTextInteraction);
    // Same background as the window: the text reads as part of the message.
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    memo->setPalette(palette);
    memo->setPlainText(MessageText());
    memo->setFixedSize(MemoSizeFor(memo, MessageText()));
    return memo;
}

QHBoxLayout* MessageWindow::MakeButtonRow()
{
    button_ = new QPushButton(QStringLiteral(u"Πατήστε εδώ για να συνεχίσετε"), this);
    button_->setObjectName(QStringLiteral(u"Button1"));
    button_->setDefault(true);
    button_->setMinimumHeight(button_->sizeHint().height() + 6);
    button_->setMinimumWidth(button_->sizeHint().width() + 40);
    connect(button_, &QPushButton::clicked, this, &MessageWindow::continueClicked);

    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button_);
    row->addStretch();
    return row;
}

void MessageWindow::continueClicked()
{
    closingByButton_ = true;
    accept();
}

void MessageWindow::reject()
{
    // Nothing but the button closes the message.
}

void MessageWindow::closeEvent(QCloseEvent* event)
{
    if (closingByButton_)
        event->accept();
    else
        event->ignore();
}

void MessageWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageWindow::showEvent(QShowEvent* event)
{
    closingByButton_ = false;
    button_->setFocus();
    QDialog::showEvent(event);
}

}  // namespace epinax::ui
