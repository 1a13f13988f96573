// The manual window: three help pages with a topic list and a print button.
// One instance for the program's life, a window of its own (its own taskbar
// entry), never modal; closing it only hides it.
#pragma once

#include <QWidget>
#include <vector>

class QLabel;
class QPushButton;

namespace epinax::ui {

class TPageBrowser;

enum class THelpTopic { Setup, Usage, Terms };

class UserManualWindow : public QWidget {
    Q_OBJECT
public:
    // `helpDirectory` holds setup.htm, usermanual.htm and oroi.htm.
    explicit UserManualWindow(const QString& helpDirectory);

    // Navigates to the topic and brings the window up, restored if it was
    // minimised.
    void ShowTopic(THelpTopic topic);
    void Navigate(THelpTopic topic);
    TPageBrowser* Browser() const { return browser; }
    QString PagePath(THelpTopic topic) const;

    void print();  // Εκτύπωση

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;  // Esc closes

private:
    QLabel* TopicLabel(const char* name, const QString& caption, THelpTopic topic);

    QString helpDirectory_;
    TPageBrowser* browser = nullptr;
    QPushButton* printButton = nullptr;
    std::vector<QLabel*> topics_;  // in the order of THelpTopic
};

// Help/ beside the executable (a build tree or an unpacked copy), else the
// installed one.
QString HelpDirectory();

}  // namespace epinax::ui
