// Where Windows keeps its profile files.
#pragma once

#include <string>

namespace tavrel::setting {

// The Windows directory followed by one separator, appended unconditionally; a lone
// separator when no directory can be found.
std::string WindowsDir();

}  // namespace tavrel::setting
