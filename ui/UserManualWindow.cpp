#include "ui/UserManualWindow.h"
#include "ui/ProgramDirectory.h"

#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/ObjectNames.h"
#include "ui/PrintWindow.h"

namespace epinax::ui {

namespace {

constexpr char kTopicProperty[] = "helpTopic";

QString PageName(THelpTopic topic)
{
    switch (topic) {
    case THelpTopic::Setup: return QStringLiteral("setup.htm");
    case THelpTopic::Usage: return QStringLiteral("usermanual.htm");
    case THelpTopic::Terms: return QStringLiteral("oroi.htm");
    }
    return {};
}

}  // namespace

QString HelpDirectory()
{
    QString besideProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/Help/");
    if (QDir(besideProgram).exists()) return besideProgram;
    // Installed: the share folder beside the bin folder, wherever the
    // package was put.
    return ProgramDirectories().resources + QStringLiteral("Help/");
}

UserManualWindow::UserManualWindow(const QString& helpDirectory)
    : QWidget(nullptr, Qt::Window), helpDirectory_(helpDirectory)
{
    setObjectName(handle::Name(handle::kManualWindow));
    setWindowTitle(QStringLiteral(u"Οδηγίες εφαρμογής"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    // The program ends when its main window closes, whether or not the
    // manual is still open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(900, 640);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* topics = new QVBoxLayout;
    auto* prompt = new QLabel(QStringLiteral(u"Επιλέξτε θέμα:"), this);
    prompt->setObjectName(handle::Name(handle::kManualPrompt));
    topics->addWidget(prompt);
    topics->addSpacing(8);
    topics->addWidget(TopicLabel("Label1", QStringLiteral(u"Οδηγίες εγκατάστασης"), THelpTopic::Setup));
    topics->addWidget(TopicLabel("Label2", QStringLiteral(u"Οδηγίες χρήσης εφαρμογής"), THelpTopic::Usage));
    topics->addWidget(TopicLabel("Label3", QStringLiteral(u"Όροι χρήσης εφαρμογής"), THelpTopic::Terms));
    topics->addSpacing(16);
    printButton = new QPushButton(QStringLiteral(u"Εκτύπωση"), this);
    printButton->setObjectName(handle::Name(handle::kPrintButton));
    printButton->setFocusPolicy(Qt::StrongFocus);
    connect(printButton, &QPushButton::clicked, this, &UserManualWindow::print);
    topics->addWidget(printButton);
    topics->addStretch();

    browser = new TPageBrowser(this);
    browser->setObjectName(handle::Name(handle::kPageView));
    // Tab leaves the page for the topics and the button, rather than going
    // round its links for ever (eventFilter); the arrows and PgUp/PgDn
    // still scroll it.
    browser->installEventFilter(this);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(topics);
    layout->addWidget(browser, 1);
    Navigate(THelpTopic::Setup);
}

QLabel* UserManualWindow::TopicLabel(const char* name, const QString& caption, THelpTopic topic)
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(name));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::StrongFocus);
    // A frame shows which topic Enter would open.
    label->setStyleSheet(
        QStringLiteral("QLabel { border: 1px solid transparent; padding: 2px; }"
                       "QLabel:focus { border: 1px dotted palette(text); }"));
    label->setProperty(kTopicProperty, static_cast<int>(topic));
    topics_.push_back(label);
    label->installEventFilter(this);
    return label;
}

// A label has no click of its own: a released left button over it is one,
// and so are Enter and Space on it; the arrows go from topic to topic.
bool UserManualWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == browser && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    QVariant topic = watched->property(kTopicProperty);
    if (!topic.isValid()) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Navigate(static_cast<THelpTopic>(topic.toInt()));
        return true;
    }
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        Navigate(static_cast<THelpTopic>(topic.toInt()));
        return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const int at = topic.toInt() + (key == Qt::Key_Down ? 1 : -1);
        if (at >= 0 && at < static_cast<int>(topics_.size()))
            topics_[static_cast<size_t>(at)]->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void UserManualWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString UserManualWindow::PagePath(THelpTopic topic) const { return helpDirectory_ + PageName(topic); }

void UserManualWindow::Navigate(THelpTopic topic)
{
    QUrl page = QUrl::fromLocalFile(PagePath(topic));
    // The same page again is read again: it may have changed on disk.
    if (browser->source() == page)
        browser->reload();
    else
        browser->setSource(page);
}

void UserManualWindow::ShowTopic(THelpTopic topic)
{
    Navigate(topic);
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
    topics_[static_cast<size_t>(topic)]->setFocus(Qt::OtherFocusReason);
}

void UserManualWindow::print() { PrintWithDialog(this, *browser->document()); }

}  // namespace epinax::ui
