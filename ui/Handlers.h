// Every handler of a window runs through here: a refused row ends in a silent
// abort, which stops the handler and nothing more; any other error is shown
// by the application's error display, and the program keeps running.
#pragma once

#include <QWidget>
#include <functional>

namespace epinax::ui {

// True when the handler ran to its end.
bool RunHandler(QWidget* parent, const std::function<void()>& handler);

}  // namespace epinax::ui
