// frmMain's procedures and the start-up, driven through a runtime that records what the
// program shows and presses buttons in place of a user.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <regex>
#include <sstream>

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
  bool Print(const std::string& text) override { return printed += text, true; }
  bool PrintsToTerminal() const override { return terminal; }
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

  std::string line, boxes, complaints, label, printed;
  bool terminal = false;
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

  // win.ini with the key holding `value`, or none, or ("DIR") a directory; the file as it is.
  void Store(const char* value) {
    std::filesystem::remove(windir_ / "win.ini");
    if (value != nullptr && std::string(value) == "DIR") {
      std::filesystem::create_directory(windir_ / "win.ini");
    } else if (value != nullptr) {
      test::WriteBytes(windir_ / "win.ini", Ini(value));
    }
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
  // The key's value before (nullptr: no win.ini, "DIR": a directory), the buttons pressed, the
  // exit status, the label ("Proxy Client is ..." but for Initial's "") and focus at the end,
  // the beeps, the value after (nullptr: win.ini becomes a directory once read, so that the
  // write fails), the line on standard error after "cannot ".
  const std::tuple<const char*, std::vector<C>, int, std::string, C, int, const char*, std::string>
      cases[] = {
          {"1", {}, kClosed, "DISABLED", C::cmdEnable, 0, "1", ""},
          {"0", {C::cmdDisable}, kClosed, "now DISABLED", C::cmdClose, 0, "1", ""},
          // Hidden and disabled buttons cannot be pressed; after a switch only Close is left.
          {"1", everyButton, 0, "now ENABLED", C::cmdClose, 0, "0", ""},
          {"", {C::cmdCancel}, 0, "", C::cmdCancel, 1, "", ""},
          // A file that cannot be read beeps and says why, as --state does.
          {"DIR", {C::cmdCancel}, 0, "", C::cmdCancel, 1, "DIR", "read"},
          // A failed write beeps, says why on standard error and leaves the window as it was.
          {"0", {C::cmdDisable}, kClosed, "ENABLED", C::cmdDisable, 1, nullptr, "write"},
      };
  for (const auto& [stored, presses, status, label, focus, beeps, after, complaint] : cases) {
    Store(stored);
    FakeRuntime runtime("", presses);
    if (after == nullptr) {
      runtime.beforePresses = [this] { Store("DIR"); };
    }
    EXPECT_EQ(Start(runtime), status);
    EXPECT_EQ(runtime.label, label.empty() ? "" : "Proxy Client is " + label);
    EXPECT_EQ(runtime.focus, focus);
    EXPECT_EQ(runtime.beeps, beeps);
    EXPECT_EQ(runtime.complaints, complaint.empty() ? ""
                                                    : "cannot " + complaint + " " +
                                                          windir_ / "win.ini" + ": Is a directory");
    if (after != nullptr && std::string(after) != "DIR") {
      EXPECT_EQ(Stored(), Ini(after));
    }
  }
}

// Answers go out whole, NULs included, and onto a terminal with their control characters
// shown; the usage fits 79 columns.
TEST_F(Control, OptionsAnswerWholeAndEscapedOnATerminal) {
  const char kLine[] = "t=\x1B]0;x\x07\0\t\xC2\x9B\xFF\rz\x7F\r\n";
  const std::string line(kLine, sizeof kLine - 1);
  test::WriteBytes(windir_ / "win.ini", line + Ini("0"));
  for (const bool terminal : {false, true}) {
    FakeRuntime runtime("--diff /off", {});
    runtime.terminal = terminal;
    EXPECT_EQ(Start(runtime), 0);
    EXPECT_NE(runtime.printed.find(terminal ? " t=^[]0;x^G^@\t<U+009B><FF>^Mz^?\r\n" : " " + line),
              std::string::npos)
        << runtime.printed;
  }
  FakeRuntime help("--help", {});
  EXPECT_EQ(Start(help), 0);
  std::istringstream usage(help.printed);
  for (std::string text; std::getline(usage, text);) EXPECT_LE(text.size(), 79U) << text;
}

// An option line as read: what it asks for, or what is wrong with it. The options' answers
// are tried on the real program.
TEST(GnuOptions, ReadAsGetoptLongReadsThem) {
  for (const auto& [line, option] : {std::pair{" --x", true},
                                     {"-h /on", true},
                                     {"-hx", false},
                                     {"-on", false},
                                     {"/off --state", false},
                                     {"", false}}) {
    EXPECT_EQ(IsOptionLine(line), option) << line;
  }
  const std::pair<const char*, std::string> cases[] = {
      {"  --stat ", "--state"},
      {"-h", "--help"},
      {"--diff=/on", "--diff /on"},
      {"--path --user ann", "as ann: --path"},
      {"--user=ann --diff /off", "as ann: --diff /off"},
      {"--user  /on", "as : /on"},
      {"-- /off", "/off"},
      {"--", "give a switch or an option"},
      {"--bogus=1 /on", "unrecognized option --bogus"},
      {"--diff /on -x", "unrecognized option -x"},
      {"--version=1", "option --version takes no argument"},
      {"--diff", "option --diff needs SWITCH"},
      {"--diff /of", "--diff takes /on or /off, not /of"},
      {"--state /off", "--state and /off cannot go together"},
      {"--user a --user b /on", "--user given twice"},
      {"--user a", "--user USER goes with /on, /off, --state, --path or --diff"},
      {"--user a -h", "--user USER goes with /on, /off, --state, --path or --diff, not --help"},
      {"--path /?", "unexpected /?"},
  };
  for (const auto& [line, read] : cases) {
    const GnuCommand c = GnuCommandOf(line);
    std::string what = c.asUser ? "as " + c.user + ": " : "";
    for (const GnuOptionRow& row : kGnuOptions) what += c.option == row.option ? row.name : "";
    what += c.option == GnuOption::None ? (c.switchOn ? "/on" : "/off") : "";
    what += c.argument.empty() ? "" : " " + c.argument;
    EXPECT_EQ(c.wrong.empty() ? what : c.wrong, read) << line;
  }
}
}  // namespace
}  // namespace tavrel::control
