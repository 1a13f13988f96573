#include "ui/Translation.h"

#include <QLocale>
#include <QTranslator>

// Resources in a static library are pulled in only when named.
static void RegisterTranslations() { Q_INIT_RESOURCE(translations); }

namespace epinax::ui {

bool InstallGreekTranslation(QCoreApplication& application)
{
    static const bool registered = (RegisterTranslations(), true);
    (void)registered;
    // The dates, sizes and kinds of file in those dialogs come from the
    // locale, not from the translation: Greek whatever the system's is.
    QLocale::setDefault(QLocale(QLocale::Greek, QLocale::Greece));
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral(":/translations/qt_el.qm"))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace epinax::ui
