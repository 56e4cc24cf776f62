// The window frmMain as it is created: title, size and controls in tab order.
#pragma once

#include "window/form_state.h"

namespace tavrel::window {

FormState InitialFormState();

// The access key of a caption: the letter after '&', in lower case; 0 for none.
char AccessKey(const std::string& caption);

}  // namespace tavrel::window
