#include "platform/startup.h"

#include "control/frm_main.h"

namespace tavrel::platform {

int Run(Runtime& runtime) {
  control::frmMain form(runtime);
  form.OnChange([&runtime](const window::FormState& state) { runtime.RenderWindow(state); });
  form.Form_Load();
  if (!form.State().shown) form.Show();
  runtime.RunWindow(form);
  return 0;
}

}  // namespace tavrel::platform
