// Start-up of the program on any platform: create frmMain hidden, load it,
// show it and deliver its events until the program ends.
#pragma once

#include "control/runtime.h"

namespace tavrel::control {

// Returns the exit status when the window was closed with its close box.
int Run(Runtime& runtime);

}  // namespace tavrel::control
