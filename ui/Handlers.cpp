#include "ui/Handlers.h"

#include <new>

#include "common/Errors.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"

namespace epinax::ui {

bool RunHandler(QWidget* parent, const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const EAbort&) {
    } catch (const std::bad_alloc&) {
        TDialogs::ShowError(parent, QStringLiteral(u"Δεν υπάρχει αρκετή μνήμη για αυτή την εργασία."));
    } catch (const std::exception& error) {
        TDialogs::ShowError(parent, FromCp1253(error.what()));
    }
    return false;
}

}  // namespace epinax::ui
