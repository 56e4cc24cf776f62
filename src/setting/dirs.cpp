#include "setting/dirs.h"

#include "setting/system_profile.h"

namespace tavrel::setting {

std::string WindowsDir() { return SystemWindowsDirectory() + kPathSeparator; }

}  // namespace tavrel::setting
