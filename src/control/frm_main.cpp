#include "control/frm_main.h"

#include "control/gnu_options.h"
#include "control/message_quote.h"
#include "setting/ini.h"
#include "setting/spaces.h"
#include "setting/system_profile.h"

namespace tavrel::control {

using setting::ProxyClientState;
using window::ControlId;
using window::View;

namespace {

// The help box's text after the window's title: six lines joined by CR LF.
const char* const kHelpText =
    " has a silent commandline-interface \r\n"
    "with the following switches:\r\n"
    "\r\n"
    "/on\tEnable the Proxy Client\r\n"
    "/off\tDisable the Proxy Client\r\n"
    "/?\tShow this Help Box ;-)";

}  // namespace

// The program's one start-up, for the window and the options alike.
void frmMain::Form_Load() {
  if (runtime_.TakesGnuOptions() && IsOptionLine(runtime_.CommandLine())) {
    bool switchOn = false;
    if (const std::optional<int> status = RunOptionLine(runtime_, &switchOn)) return End(*status);
    return switchOn ? EnableProxyClient() : DisableProxyClient();
  }
  setting::IniPath = setting::FindIniPath();
  if (!runtime_.CommandLine().empty()) {
    ProcessCommandLine();
    if (ended_) return;
  } else {
    bInteractive = true;
  }
  setting::ProfileReport report;
  const ProxyClientState state = setting::ReadProxyClientState(&report);
  if (!report.notice.empty()) runtime_.Complain(QuoteInMessage(report.notice));
  switch (state) {
    case ProxyClientState::Disabled:
      SetView(View::StatusDisabled);
      break;
    case ProxyClientState::Enabled:
      SetView(View::StatusEnabled);
      break;
    case ProxyClientState::Unread:
      // A file that could not be read is told as --state tells it; an empty value is not.
      if (report.error != 0) runtime_.Complain(AboutIni("read", report.reason));
      runtime_.Window().Beep();
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
    runtime_.ShowMessageBox(State().title + kHelpText, State().title);
    End(0);
  }
  if (ended_) return;
  bInteractive = true;
  Show();
}

void frmMain::EnableProxyClient() { Switch("0", View::SwitchedOn); }

void frmMain::DisableProxyClient() { Switch("1", View::SwitchedOff); }

// Writes first, then looks at the mode: a silent run ends whatever the outcome, with
// status 1 when the write failed so that scripts can tell. A failure is told in words
// where the platform can (the window's beep may go unheard).
void frmMain::Switch(const std::string& value, View switched) {
  setting::ProfileReport report;
  const bool written = setting::WriteDisableSetting(value, &report);
  if (!report.notice.empty()) runtime_.Complain(QuoteInMessage(report.notice));
  if (!written) runtime_.Complain(AboutIni("write", report.reason));
  if (!bInteractive) return End(written ? 0 : 1);
  if (written) {
    SetView(switched);
  } else {
    runtime_.Window().Beep();
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

void frmMain::cmdCancel_Click() { End(0); }

void frmMain::cmdClose_Click() { End(0); }

void frmMain::End(int status) {
  ended_ = true;
  runtime_.End(status);
}

void frmMain::Click(ControlId id) {
  if (id == ControlId::cmdDisable) cmdDisable_Click();
  if (id == ControlId::cmdEnable) cmdEnable_Click();
  if (id == ControlId::cmdCancel) cmdCancel_Click();
  if (id == ControlId::cmdClose) cmdClose_Click();
}

}  // namespace tavrel::control
