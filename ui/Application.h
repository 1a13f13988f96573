// The application object: its general error display catches whatever a
// handler did not, shows it, and the program keeps running.
#pragma once

#include <QApplication>

namespace epinax::ui {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace epinax::ui
