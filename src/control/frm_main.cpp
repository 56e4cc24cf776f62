#include "control/frm_main.h"

#include "setting/dirs.h"
#include "setting/ini.h"

namespace tavrel::control {

using setting::ProxyClientState;
using window::ControlId;
using window::View;

const char* const kTitle = "Tavrel 2.0";
const char* const kHelpText =
    "Tavrel 2.0 has a silent commandline-interface \r\n"
    "with the following switches:\r\n"
    "\r\n"
    "/on\tEnable the Proxy Client\r\n"
    "/off\tDisable the Proxy Client\r\n"
    "/?\tShow this Help Box ;-)";

void frmMain::Form_Load() {
  setting::IniPath = setting::WindowsDir() + "win.ini";
  if (!runtime_.CommandLine().empty()) {
    ProcessCommandLine();
  } else {
    bInteractive = true;
  }
  switch (setting::ReadProxyClientState()) {
    case ProxyClientState::Disabled:
      SetView(View::StatusDisabled);
      break;
    case ProxyClientState::Enabled:
      SetView(View::StatusEnabled);
      break;
    case ProxyClientState::Unread:
      runtime_.Beep();
      break;
  }
}

void frmMain::ProcessCommandLine() {
  const std::string command(setting::TrimSpaces(runtime_.CommandLine()));
  Hide();
  if (command.find("/on") != std::string::npos) {
    EnableProxyClient();
  } else if (command.find("/off") != std::string::npos) {
    DisableProxyClient();
  } else if (command.find("/?") != std::string::npos) {
    runtime_.ShowMessageBox(kHelpText, kTitle);
    runtime_.End(0);
  }
  bInteractive = true;
  Show();
}

void frmMain::EnableProxyClient() { Switch("0", View::SwitchedOn); }

void frmMain::DisableProxyClient() { Switch("1", View::SwitchedOff); }

// Writes first, then looks at the mode: a silent run ends whatever the outcome, with
// status 1 and the reason when the write failed so that scripts can tell.
void frmMain::Switch(const std::string& value, View switched) {
  std::string reason;
  const bool written = setting::WriteDisableSetting(value, &reason);
  if (!bInteractive) {
    if (!written) runtime_.Complain("cannot write " + setting::IniPath + ": " + reason);
    runtime_.End(written ? 0 : 1);
  }
  if (written) {
    SetView(switched);
  } else {
    runtime_.Beep();
  }
}

void frmMain::cmdEnable_Click() {
  bInteractive = true;
  EnableProxyClient();
}

void frmMain::cmdDisable_Click() {
  bInteractive = true;
  DisableProxyClient();
}

void frmMain::cmdCancel_Click() { runtime_.End(0); }

void frmMain::cmdClose_Click() { runtime_.End(0); }

void frmMain::Click(ControlId id) {
  switch (id) {
    case ControlId::cmdDisable:
      cmdDisable_Click();
      break;
    case ControlId::cmdEnable:
      cmdEnable_Click();
      break;
    case ControlId::cmdCancel:
      cmdCancel_Click();
      break;
    case ControlId::cmdClose:
      cmdClose_Click();
      break;
    case ControlId::lblInfo:
      break;
  }
}

}  // namespace tavrel::control
