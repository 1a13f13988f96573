#include "ui/Application.h"

#include "common/Errors.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/Handlers.h"
#include "ui/Translation.h"

namespace epinax::ui {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("epinax"));
    // Before any window, so Qt's own dialogs speak Greek too; without it they stay in English.
    InstallGreekTranslation(*this);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const ENotice& told) {
        TellFrom(activeWindow(), told.Notice());
    } catch (const EAbort&) {
    } catch (const std::exception& error) {
        TDialogs::ShowError(activeWindow(), QString::fromUtf8(error.what()));
    }
    return false;
}

}  // namespace epinax::ui
