#include "ui/Handlers.h"

#include <new>

#include "common/Errors.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/MainWindow.h"

namespace epinax::ui {

bool RunHandler(QWidget* parent, const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const ENotice& told) {
        TellFrom(parent, told.Notice());
    } catch (const EAbort&) {
    } catch (const EUnreadableNumber& error) {
        TellFrom(parent, error.Notice());
    } catch (const std::bad_alloc&) {
        TDialogs::ShowError(parent, QStringLiteral(u"Δεν υπάρχει αρκετή μνήμη για αυτή την εργασία."));
    } catch (const std::exception& error) {
        TDialogs::ShowError(parent, QString::fromUtf8(error.what()));
    }
    return false;
}

void TellFrom(QWidget* from, const TNotice& notice)
{
    for (QWidget* widget = from; widget; widget = widget->parentWidget())
        if (auto* window = qobject_cast<MainWindow*>(widget)) return window->Tell(notice);
    // Outside the main window there is no cell or field to show: the text is said all the same.
    TDialogs::ShowError(from, QString::fromStdString(notice.text));
}

}  // namespace epinax::ui
