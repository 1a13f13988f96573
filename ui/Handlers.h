// Every handler of a window runs through here: an operation the statement
// ended with a notice (a refused row, a file not written) has it shown, a
// silent abort stops the handler and nothing more; any other error is shown
// by the application's error display, and the program keeps running.
#pragma once

#include <QWidget>
#include <functional>

#include "statement/Notice.h"

namespace epinax::ui {

// True when the handler ran to its end.
bool RunHandler(QWidget* parent, const std::function<void()>& handler);

// Shows the notice in the main window that `from` belongs to.
void TellFrom(QWidget* from, const TNotice& notice);

}  // namespace epinax::ui
