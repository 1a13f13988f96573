// Greek texts are written in UTF-8 in the sources and used as Windows-1253,
// the code page of the whole core.
#pragma once

#include <string>
#include <string_view>

#include "common/Cp1253.h"

namespace epinax {

inline std::string G(std::string_view utf8) { return cp1253::FromUtf8OrThrow(utf8); }

}  // namespace epinax
