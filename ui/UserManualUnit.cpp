#include "ui/UserManualUnit.h"
#include "ui/ProgramDirectory.h"

#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/PrintForm.h"

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

TUserManual::TUserManual(const QString& helpDirectory) : QWidget(nullptr, Qt::Window), helpDirectory_(helpDirectory)
{
    setObjectName(QStringLiteral("UserManual"));
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
    prompt->setObjectName(QStringLiteral("Label4"));
    topics->addWidget(prompt);
    topics->addSpacing(8);
    topics->addWidget(TopicLabel("Label1", QStringLiteral(u"Οδηγίες εγκατάστασης"), THelpTopic::Setup));
    topics->addWidget(TopicLabel("Label2", QStringLiteral(u"Οδηγίες χρήσης εφαρμογής"), THelpTopic::Usage));
    topics->addWidget(TopicLabel("Label3", QStringLiteral(u"Όροι χρήσης εφαρμογής"), THelpTopic::Terms));
    topics->addSpacing(16);
    Button1 = new QPushButton(QStringLiteral(u"Εκτύπωση"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    connect(Button1, &QPushButton::clicked, this, &TUserManual::Button1Click);
    topics->addWidget(Button1);
    topics->addStretch();

    WebBrowser1 = new TPageBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(topics);
    layout->addWidget(WebBrowser1, 1);
    Navigate(THelpTopic::Setup);
}

QLabel* TUserManual::TopicLabel(const char* name, const QString& caption, THelpTopic topic)
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(name));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setCursor(Qt::PointingHandCursor);
    label->setProperty(kTopicProperty, static_cast<int>(topic));
    label->installEventFilter(this);
    return label;
}

// A label has no click of its own: a released left button over it is one.
bool TUserManual::eventFilter(QObject* watched, QEvent* event)
{
    QVariant topic = watched->property(kTopicProperty);
    if (topic.isValid() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Navigate(static_cast<THelpTopic>(topic.toInt()));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString TUserManual::PagePath(THelpTopic topic) const { return helpDirectory_ + PageName(topic); }

void TUserManual::Navigate(THelpTopic topic)
{
    QUrl page = QUrl::fromLocalFile(PagePath(topic));
    // The same page again is read again: it may have changed on disk.
    if (WebBrowser1->source() == page)
        WebBrowser1->reload();
    else
        WebBrowser1->setSource(page);
}

void TUserManual::ShowTopic(THelpTopic topic)
{
    Navigate(topic);
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void TUserManual::Button1Click() { PrintWithDialog(this, *WebBrowser1->document()); }

}  // namespace epinax::ui
