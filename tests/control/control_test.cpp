// frmMain's procedures and the start-up, driven through a runtime that records what the
// program shows and presses buttons in place of a user.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <regex>

#include "control/frm_main.h"
#include "control/gnu_options.h"
#include "control/startup.h"
#include "support/temp_dir.h"

namespace tavrel::control {
namespace {

using C = window::ControlId;

// A runtime with a toolkit of its own that records what the window shows.
class FakeRuntime final : public Runtime {
 public:
  FakeRuntime(std::string commandLine, std::vector<C> toPress)
      : line(std::move(commandLine)), presses(std::move(toPress)) {}
  std::string CommandLine() override { return line; }
  bool TakesGnuOptions() const override { return true; }
  bool Print(const std::string& /*text*/) override { return true; }
  void Complain(const std::string& text) override { Live(), complaints += text; }
  void End(int status) override { Live(), ended = status; }
  window::NativeWindow& Window() override { return window_; }

  void Create(const char*, int, int, const TavrelInput& events) { input = &events; }
  void Update(const TavrelControl& c) {
    Live();
    if (c.id == static_cast<int>(C::lblInfo)) label = c.caption;
  }
  void Show(bool shown, int to) {
    if (shown && to >= 0) focus = static_cast<C>(to);
    input->focus_moved(input->model, static_cast<int>(C::cmdCancel));  // as a toolkit may
  }
  void Beep() { Live(), ++beeps; }
  using Runtime::ShowMessageBox;  // the toolkit's below stands beside the runtime's
  void ShowMessageBox(const char* text, const char* title) {
    Live(), boxes += std::string(title) + "|" + text;
  }
  void Run() {
    if (beforePresses) beforePresses();
    for (C id : presses) {
      if (!ended) input->press(input->model, static_cast<int>(id));
    }
  }
  void Live() const { EXPECT_FALSE(ended) << "the program went on after End"; }

  std::string line, boxes, complaints, label;
  std::vector<C> presses;
  std::function<void()> beforePresses;
  int beeps = 0;
  std::optional<int> ended;  // the status End was called with
  std::optional<C> focus;    // as last drawn; nothing while never shown
  const TavrelInput* input = nullptr;

 private:
  window::NativeWindow window_{window::ToolkitOf(*this)};
};

const std::string kKey = "[Microsoft Proxy Service]\r\nDisable=";
// One help box: its title, then each switch with its meaning.
const std::regex kHelpBox(
    "^Tavrel 2\\.0\\|[^|]*\n/on\tEnable the Proxy Client\r\n/off\tDisable the Proxy "
    "Client\r\n/\\?\t[^|]*$");
constexpr int kClosed = 100;  // Run returned: the user closed the window with its close box

// A Windows directory of its own for each test.
class Control : public testing::Test {
 protected:
  Control() { setenv("WINDIR", windir_.path().c_str(), 1); }
  ~Control() override { unsetenv("WINDIR"); }

  // win.ini with the key holding `value`, or none; the file as it now is.
  void Store(const char* value) {
    std::filesystem::remove(windir_ / "win.ini");
    if (value != nullptr) test::WriteBytes(windir_ / "win.ini", Ini(value));
  }
  std::string Stored() const { return test::ReadBytes(windir_ / "win.ini"); }
  static std::string Ini(const char* value) { return value ? kKey + value + "\r\n" : ""; }

  // Starts the program as main does; the status it ended with, or kClosed + Run's return.
  static int Start(FakeRuntime& runtime) {
    const int closed = control::Run(runtime);
    return runtime.ended ? *runtime.ended : kClosed + closed;
  }

  test::TempDir windir_;
};

TEST_F(Control, CommandLineIsSearchedForOnThenOffThenHelp) {
  // The command line, the exit status, the key's value afterwards (9 before, or for the
  // help box empty, which reads as nothing: a beep would come after End), the help box.
  const std::tuple<const char*, int, const char*, bool> cases[] = {
      {"/off", 0, "1", false},      {"/on", 0, "0", false},       {"/on /off", 0, "0", false},
      {"/off /on", 0, "0", false},  {"/online", 0, "0", false},   {"x/offset", 0, "1", false},
      {"/? /on", 0, "0", false},    {"  /off  ", 0, "1", false},  {"/?", 0, "", true},
      {"/ON", kClosed, "9", false}, {"-on", kClosed, "9", false}, {"/of", kClosed, "9", false},
      {"   ", kClosed, "9", false},
  };
  for (const auto& [line, status, after, help] : cases) {
    Store(help ? "" : "9");
    FakeRuntime runtime(line, {});
    EXPECT_EQ(Start(runtime), status) << line;
    EXPECT_EQ(Stored(), Ini(after)) << line;
    EXPECT_EQ(std::regex_search(runtime.boxes, kHelpBox), help) << line;
    EXPECT_EQ(runtime.beeps, 0) << line;
    // Without a switch the window is shown before the state is known: Cancel keeps the focus.
    EXPECT_EQ(runtime.focus.value_or(C::lblInfo), status == kClosed ? C::cmdCancel : C::lblInfo)
        << line;
  }
}

TEST_F(Control, WindowShowsTheStateAndItsButtonsSwitchOrEnd) {
  const std::vector<C> everyButton = {C::cmdDisable, C::cmdEnable, C::cmdCancel, C::cmdEnable,
                                      C::cmdClose};
  // The key's value before (nullptr: no win.ini), the buttons pressed, the exit status, the
  // label ("Proxy Client is ..." but for Initial's "") and focus at the end, the beeps, the
  // value after (nullptr: win.ini becomes a directory once read, so that the write fails).
  const std::tuple<const char*, std::vector<C>, int, std::string, C, int, const char*> cases[] = {
      {"1", {}, kClosed, "DISABLED", C::cmdEnable, 0, "1"},
      {"0", {C::cmdDisable}, kClosed, "now DISABLED", C::cmdClose, 0, "1"},
      // Hidden and disabled buttons cannot be pressed; after a switch only Close is left.
      {"1", everyButton, 0, "now ENABLED", C::cmdClose, 0, "0"},
      {"", {C::cmdCancel}, 0, "", C::cmdCancel, 1, ""},
      // A failed write beeps, says why on standard error and leaves the window as it was.
      {"0", {C::cmdDisable}, kClosed, "ENABLED", C::cmdDisable, 1, nullptr},
  };
  for (const auto& [stored, presses, status, label, focus, beeps, after] : cases) {
    Store(stored);
    FakeRuntime runtime("", presses);
    if (after == nullptr) {
      runtime.beforePresses = [this] {
        Store(nullptr);
        std::filesystem::create_directory(windir_ / "win.ini");
      };
    }
    EXPECT_EQ(Start(runtime), status);
    EXPECT_EQ(runtime.label, label.empty() ? "" : "Proxy Client is " + label);
    EXPECT_EQ(runtime.focus, focus);
    EXPECT_EQ(runtime.beeps, beeps);
    EXPECT_EQ(runtime.complaints,
              after ? "" : "cannot write " + windir_ / "win.ini" + ": Is a directory");
    if (after != nullptr) {
      EXPECT_EQ(Stored(), Ini(after));
    }
  }
}

// The options themselves are tried on the real program; here, what is not one, and how one
// with an argument is read.
TEST(GnuOptions, CountOnlyAsTheWholeCommandLine) {
  for (const char* line : {"", "\t--help", "--state /off", "/on --version", "-h -h", "--HELP",
                           "--stat", "/off --diff /on"}) {
    EXPECT_EQ(GnuCommandOf(line).option, GnuOption::None) << line;
  }
  EXPECT_EQ(GnuCommandOf("  --help ").option, GnuOption::Help) << "spaces around it aside";
  const GnuCommand user = GnuCommandOf("--user  ann  --diff /on");
  EXPECT_EQ(user.option, GnuOption::User);
  EXPECT_EQ(user.argument + "|" + user.rest, "ann|--diff /on");
  EXPECT_EQ(GnuCommandOf("--diff /of").argument, "/of") << "a mistyped --diff is no switch";
}

}  // namespace
}  // namespace tavrel::control
