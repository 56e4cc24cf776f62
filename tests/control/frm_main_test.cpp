#include "control/frm_main.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>

#include "control/fake_runtime.h"
#include "control/startup.h"
#include "setting/ini.h"
#include "support/temp_dir.h"

namespace tavrel::control {
namespace {

using test::Ended;
using test::FakeRuntime;
using window::ControlId;
using window::View;

const std::string kHeader = "[Microsoft Proxy Service]\r\n";

// A Windows directory of its own for each test.
class Control : public testing::Test {
 protected:
  Control() { setenv("WINDIR", windir_.path().c_str(), 1); }
  ~Control() override { unsetenv("WINDIR"); }

  std::string IniFile() const { return windir_ / "win.ini"; }
  void Store(const std::string& value) { test::WriteBytes(IniFile(), kHeader + value); }
  std::string Stored() const { return test::ReadBytes(IniFile()); }
  void MakeUnwritable() {
    std::filesystem::remove(IniFile());
    std::filesystem::create_directory(IniFile());
  }

  // Starts the program as the runtime does; the exit status, or nothing if the
  // window stayed open.
  std::optional<int> Start(frmMain& form) {
    try {
      form.Form_Load();
      if (!form.State().shown) form.Show();
      return std::nullopt;
    } catch (const Ended& end) {
      return end.status;
    }
  }

  std::optional<int> Press(frmMain& form, ControlId id) {
    try {
      form.Press(id);
      return std::nullopt;
    } catch (const Ended& end) {
      return end.status;
    }
  }

 private:
  test::TempDir windir_;
};

struct SilentCase {
  const char* commandLine;
  std::string stored;  // after the run
  int status;
};

TEST_F(Control, SwitchesFoundAnywhereEndSilently) {
  const SilentCase cases[] = {
      {"/off", "Disable=1\r\n", 0},     {"/on", "Disable=0\r\n", 0},
      {"/on /off", "Disable=0\r\n", 0}, {"/off /on", "Disable=0\r\n", 0},
      {"/online", "Disable=0\r\n", 0},  {"x/offset", "Disable=1\r\n", 0},
      {"/? /on", "Disable=0\r\n", 0},   {"  /off  ", "Disable=1\r\n", 0},
  };
  for (const SilentCase& c : cases) {
    Store("Disable=9\r\n");
    FakeRuntime runtime(c.commandLine);
    frmMain form(runtime);
    EXPECT_EQ(Start(form), c.status) << c.commandLine;
    EXPECT_EQ(Stored(), kHeader + c.stored) << c.commandLine;
    EXPECT_FALSE(runtime.everShown) << c.commandLine;
    EXPECT_EQ(runtime.beeps, 0) << c.commandLine;
    EXPECT_TRUE(runtime.messages.empty()) << c.commandLine;
  }
}

TEST_F(Control, FailedSilentWriteEndsWithStatusOneAndNothingShown) {
  MakeUnwritable();
  for (const char* line : {"/on", "/off"}) {
    FakeRuntime runtime(line);
    frmMain form(runtime);
    EXPECT_EQ(Start(form), 1) << line;
    EXPECT_FALSE(runtime.everShown);
    EXPECT_EQ(runtime.beeps, 0);
  }
}

TEST_F(Control, HelpBoxThenEndWithoutWriting) {
  Store("Disable=0\r\n");
  FakeRuntime runtime("/?");
  frmMain form(runtime);
  EXPECT_EQ(Start(form), 0);
  ASSERT_EQ(runtime.messages.size(), 1u);
  EXPECT_EQ(runtime.messages[0],
            "Tavrel 2.0|Tavrel 2.0 has a silent commandline-interface \r\nwith the following "
            "switches:\r\n\r\n/on\tEnable the Proxy Client\r\n/off\tDisable the Proxy "
            "Client\r\n/?\tShow this Help Box ;-)");
  EXPECT_FALSE(runtime.everShown);
  EXPECT_EQ(Stored(), kHeader + "Disable=0\r\n");
}

struct OpenCase {
  const char* commandLine;
  std::optional<std::string> stored;  // nothing: no win.ini at all
  View view;
  int beeps;
  ControlId focus;
};

TEST_F(Control, WithoutASwitchTheWindowShowsTheState) {
  const OpenCase cases[] = {
      {"", "Disable=1\r\n", View::StatusDisabled, 0, ControlId::cmdEnable},
      {"", "Disable=0\r\n", View::StatusEnabled, 0, ControlId::cmdDisable},
      {"", "Disable=\r\n", View::Initial, 1, ControlId::cmdCancel},
      {"", std::nullopt, View::StatusEnabled, 0, ControlId::cmdDisable},
      {"", "Disable=yes\r\n", View::StatusEnabled, 0, ControlId::cmdDisable},
      // Shown early, before the state is known: Cancel keeps the focus.
      {"/ON", "Disable=1\r\n", View::StatusDisabled, 0, ControlId::cmdCancel},
      {"-on", "Disable=0\r\n", View::StatusEnabled, 0, ControlId::cmdCancel},
      {"/of", "Disable=0\r\n", View::StatusEnabled, 0, ControlId::cmdCancel},
      {"   ", "Disable=1\r\n", View::StatusDisabled, 0, ControlId::cmdCancel},
      {"/of", "Disable=\r\n", View::Initial, 1, ControlId::cmdCancel},
  };
  for (const OpenCase& c : cases) {
    std::filesystem::remove(IniFile());
    if (c.stored) Store(*c.stored);
    FakeRuntime runtime(c.commandLine);
    frmMain form(runtime);
    form.OnChange([&runtime](const window::FormState& s) { runtime.RenderWindow(s); });
    EXPECT_EQ(Start(form), std::nullopt) << c.commandLine;
    EXPECT_TRUE(form.bInteractive);
    EXPECT_TRUE(runtime.shown);
    EXPECT_EQ(form.State().view, c.view) << c.commandLine;
    EXPECT_EQ(runtime.beeps, c.beeps) << c.commandLine;
    EXPECT_EQ(form.State().focus, c.focus) << c.commandLine;
    if (c.stored) {
      EXPECT_EQ(Stored(), kHeader + *c.stored) << "nothing written";
    }
  }
}

struct PressCase {
  std::string stored;
  ControlId button;
  bool writable;
  std::optional<int> status;
  View view;
  int beeps;
  std::string after;
};

TEST_F(Control, ButtonsSwitchOrEnd) {
  const PressCase cases[] = {
      {"Disable=1\r\n", ControlId::cmdEnable, true, std::nullopt, View::SwitchedOn, 0,
       "Disable=0\r\n"},
      {"Disable=0\r\n", ControlId::cmdDisable, true, std::nullopt, View::SwitchedOff, 0,
       "Disable=1\r\n"},
      {"Disable=1\r\n", ControlId::cmdEnable, false, std::nullopt, View::StatusDisabled, 1, ""},
      {"Disable=0\r\n", ControlId::cmdDisable, false, std::nullopt, View::StatusEnabled, 1, ""},
      {"Disable=0\r\n", ControlId::cmdCancel, true, 0, View::StatusEnabled, 0, "Disable=0\r\n"},
      {"Disable=1\r\n", ControlId::cmdCancel, true, 0, View::StatusDisabled, 0, "Disable=1\r\n"},
      {"Disable=\r\n", ControlId::cmdCancel, true, 0, View::Initial, 1, "Disable=\r\n"},
      // A hidden button cannot be pressed.
      {"Disable=1\r\n", ControlId::cmdDisable, true, std::nullopt, View::StatusDisabled, 0,
       "Disable=1\r\n"},
  };
  for (const PressCase& c : cases) {
    std::filesystem::remove_all(IniFile());
    Store(c.stored);
    FakeRuntime runtime("");
    frmMain form(runtime);
    ASSERT_EQ(Start(form), std::nullopt);
    if (!c.writable) MakeUnwritable();
    const window::FormState before = form.State();
    EXPECT_EQ(Press(form, c.button), c.status);
    EXPECT_EQ(form.State().view, c.view);
    EXPECT_EQ(runtime.beeps, c.beeps);
    if (c.writable) {
      EXPECT_EQ(Stored(), kHeader + c.after);
    } else {
      EXPECT_EQ(form.State().focus, before.focus) << "window unchanged";
      EXPECT_EQ(form.State().Get(ControlId::lblInfo).caption,
                before.Get(ControlId::lblInfo).caption);
    }
  }
}

TEST_F(Control, AfterASwitchOnlyCloseIsLeft) {
  Store("Disable=1\r\n");
  FakeRuntime runtime("");
  frmMain form(runtime);
  ASSERT_EQ(Start(form), std::nullopt);
  ASSERT_EQ(Press(form, ControlId::cmdEnable), std::nullopt);
  EXPECT_EQ(Press(form, ControlId::cmdCancel), std::nullopt) << "Cancel is disabled";
  EXPECT_EQ(Press(form, ControlId::cmdEnable), std::nullopt) << "Enable is hidden";
  EXPECT_EQ(Press(form, ControlId::cmdClose), 0);
  EXPECT_EQ(Stored(), kHeader + "Disable=0\r\n");
}

TEST_F(Control, RunShowsTheWindowAndDeliversItsEvents) {
  Store("Disable=0\r\n");
  FakeRuntime runtime("");
  EXPECT_EQ(control::Run(runtime), 0);
  EXPECT_TRUE(runtime.shown);
  EXPECT_EQ(runtime.runs, 1);
}

TEST_F(Control, IniPathIsTheWindowsDirectoryAndWinIni) {
  FakeRuntime runtime("/on");
  frmMain form(runtime);
  Start(form);
  EXPECT_EQ(setting::IniPath, IniFile());
}

}  // namespace
}  // namespace tavrel::control
