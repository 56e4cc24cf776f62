#include "control/startup.h"

#include "control/frm_main.h"

namespace tavrel::control {

int Run(Runtime& runtime) {
  control::frmMain form(runtime);
  // The window is created only when first shown, so a silent run touches no toolkit.
  bool created = false;
  form.OnChange([&runtime, &created, &form](const window::FormState& state) {
    created = created || state.shown;
    if (created) runtime.Window().Render(form);
  });
  form.Form_Load();
  if (form.Ended()) return 0;
  if (!form.State().shown) form.Show();
  runtime.Window().Run();
  return 0;
}

}  // namespace tavrel::control
