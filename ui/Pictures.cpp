#include "ui/Pictures.h"

#include <QtGlobal>

static void RegisterPictures() { Q_INIT_RESOURCE(pictures); }

namespace epinax::ui {

void LoadPictures()
{
    static const bool loaded = (RegisterPictures(), true);
    (void)loaded;
}

}  // namespace epinax::ui
