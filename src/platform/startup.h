// Start-up of the program on any platform: create frmMain hidden, load it,
// show it and deliver its events until the program ends.
#pragma once

#include "platform/runtime.h"

namespace tavrel::platform {

// Returns the exit status when the window was closed with its close box.
int Run(Runtime& runtime);

}  // namespace tavrel::platform
