// The procedures of the window frmMain: start-up, the command line, the two
// switching actions and the button handlers.
#pragma once

#include <string>

#include "control/runtime.h"
#include "window/form.h"

namespace tavrel::control {

class frmMain final : public window::Form {
 public:
  explicit frmMain(Runtime& runtime) : runtime_(runtime) {}

  void Form_Load();
  void ProcessCommandLine();
  void EnableProxyClient();
  void DisableProxyClient();

  void cmdEnable_Click();
  void cmdDisable_Click();
  void cmdCancel_Click();
  void cmdClose_Click();

  // True once the user works with the window, so the switching actions report there.
  bool bInteractive = false;
  // True once a procedure asked the runtime to end; whatever called it then returns.
  bool Ended() const { return ended_; }

 protected:
  void Click(window::ControlId id) override;

 private:
  void Switch(const std::string& value, window::View switched);
  void End(int status);

  Runtime& runtime_;
  bool ended_ = false;
};

}  // namespace tavrel::control
