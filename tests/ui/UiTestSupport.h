// Driving the real windows headless: one key event per character (Greek
// included), scripted answers for every dialog.
#pragma once

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "entry/RecordLayout.h"
#include "ui/Dialogs.h"
#include "ui/MainWindow.h"

namespace epinax::ui::test {

inline void Type(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Types into whatever has the focus, as a keyboard does: the first key into
// a grid cell opens its editor, which takes the keys that follow.
inline void TypeFocused(const QString& text)
{
    for (QChar c : text) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus, "nothing has the focus");
        Type(focus, QString(c));
    }
}

inline void KeyFocused(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

inline void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(widget, key, modifiers);
}

// The real main window over a fresh program directory, every dialog answered
// from the script; a window test derives from it beside QObject.
// The help pages beside the test program, as the build tree has them beside
// the program; false when one cannot be copied.
// Runs `command`; once a modal `Window` it opens shows and the keyboard's
// focus has settled, `act` is called on it, once.
template <class Window>
void WhenModalShows(const std::function<void()>& command, const std::function<void(Window&)>& act)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible() || !window->focusWidget() || !QApplication::focusWidget()) return;
        poll.stop();
        act(*window);
    });
    poll.start(10);
    command();
}

inline bool CopyHelpPagesBesideTheProgram()
{
    QDir help(QCoreApplication::applicationDirPath() + QStringLiteral("/Help"));
    help.mkpath(QStringLiteral("."));
    QDir source(QStringLiteral(EPINAX_TEST_DATA "/../Help"));
    for (const QString& page : source.entryList({QStringLiteral("*.htm")})) {
        QFile::remove(help.filePath(page));
        if (!QFile::copy(source.filePath(page), help.filePath(page))) return false;
    }
    return true;
}

class MainWindowFixture {
public:
    enum class Shown { No, Exposed, Active };

protected:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindow> form_;

    MainWindow& Form() { return *form_; }
    TStatement& Doc() { return form_->Statement(); }
    QLineEdit* Edit(const char* name) { return form_->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QString Path(const QString& name) const { return dir_->filePath(name); }
    // A text file in UTF-8 in the test's directory (a .csv sheet); its path.
    QString WriteText(const QString& name, const QString& text) const
    {
        QFile file(Path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) qFatal("cannot write a test file");
        return file.fileName();
    }
    static QStringList TakeShown()
    {
        QStringList shown = std::exchange(TDialogs::Shown(), {});
        if (qEnvironmentVariableIsSet("EPINAX_TEST_VERBOSE")) qDebug() << shown;
        return shown;
    }

    // For a test's init: the script emptied, the window made (on 14/3/2025).
    void StartWindow(Shown shown)
    {
        TDialogs::SetRecordOnly(true);
        TDialogs::ClearQueues();
        TDialogs::Shown().clear();
        dir_ = std::make_unique<QTemporaryDir>();
        form_ = std::make_unique<MainWindow>(MainWindow::Options{dir_->path().toStdString() + "/", [] {
                                                                     return TDate{2025, 3, 14};
                                                                 }});
        if (shown == Shown::No) return;
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        if (shown == Shown::Exposed) return;
        // Asked of the X server too: without a window manager nobody else
        // gives the window the keyboard.
        form_->activateWindow();
        QApplication::setActiveWindow(form_.get());
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }
    // For a test's cleanup: the window closed without a question, and gone.
    void StopWindow()
    {
        if (!form_) return;
        Doc().MarkSaved();
        form_->close();
        form_.reset();
        TDialogs::Shown().clear();
    }
};

}  // namespace epinax::ui::test
