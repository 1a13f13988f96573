// The pictures of the windows are compiled into the program; a static
// library's resources must be registered before the first use.
#pragma once

namespace epinax::ui {
void LoadPictures();
}
