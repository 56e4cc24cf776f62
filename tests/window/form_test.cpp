#include "window/form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "window/dpi.h"
#include "window/layout.h"
#include "window/message_text.h"

namespace tavrel::window {
namespace {

const char* const kNames[] = {"Disable", "Enable", "Cancel", "Info", "Close"};

// A window whose button presses are recorded; Disable and Enable switch the view
// as frmMain does, so that the focus moves on to Close.
class RecordingForm final : public Form {
 public:
  std::string clicks;

 protected:
  void Click(ControlId id) override {
    clicks += std::string(clicks.empty() ? "" : ",") + kNames[static_cast<int>(id)];
    if (id == ControlId::cmdDisable) SetView(View::SwitchedOff);
    if (id == ControlId::cmdEnable) SetView(View::SwitchedOn);
  }
};

// Carries out one word of a case: a view, "show", or a key (see form_cases.txt).
bool Do(RecordingForm& form, std::string w) {
  if (w == "show") form.Show();
  if (w == "StatusEnabled") form.SetView(View::StatusEnabled);
  if (w == "StatusDisabled") form.SetView(View::StatusDisabled);
  if (w == "show" || w.rfind("Status", 0) == 0) return true;
  const bool up = w[0] == '^', repeat = w.back() == '+';
  w = w.substr(up ? 1 : 0, w.size() - (up ? 1 : 0) - (repeat ? 1 : 0));
  Key key;
  for (; w.size() > 2 && w[1] == '-'; w.erase(0, 2)) {
    (w[0] == 's' ? key.shift : w[0] == 'a' ? key.alt : key.control) = true;
  }
  // In the order of KeyCode; any other word is a letter.
  const std::vector<std::string> codes = {"",    "",     "ret",   "spc", "esc",
                                          "tab", "left", "right", "up",  "down"};
  const auto at =
      static_cast<std::size_t>(std::find(codes.begin(), codes.end(), w) - codes.begin());
  key.code = at < codes.size() ? static_cast<KeyCode>(at) : KeyCode::Letter;
  key.letter = w[0];
  return up ? form.KeyUp(key) : form.KeyDown(key, repeat);
}

// What the window shows: the label, the buttons shown, Cancel's state and the focus.
std::string Describe(const FormState& s) {
  std::string shown;
  for (const Control& c : s.controls)
    shown += c.button && c.visible ? kNames[static_cast<int>(c.id)][0] : '.';
  return "\"" + s.Get(ControlId::lblInfo).caption + "\" " + shown +
         (s.Get(ControlId::cmdCancel).enabled ? "" : " Cancel-off") + " focus " +
         (s.focus ? kNames[static_cast<int>(*s.focus)] : "none");
}

TEST(Form, CasesOfTheTable) {
  std::ifstream table(TAVREL_TEST_DATA "/window/form_cases.txt");
  int cases = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t arrow = line.find(" => ");
    std::istringstream words(line.substr(0, arrow));
    RecordingForm form;
    bool used = true;
    for (std::string w; words >> w;) used = Do(form, w);
    const std::string got = form.clicks + (used ? "" : " unused") + " | " + Describe(form.State());
    EXPECT_EQ(got, line.substr(arrow + 4)) << line;
    ++cases;
  }
  EXPECT_GE(cases, 20);
}

TEST(Layout, DpiComesFromTheOverrideThenXftDpiThenIs96) {
  EXPECT_EQ(ChooseDpi(nullptr, "Xft.antialias:\t1\nXft.dpi:\t144\n"), 144);
  EXPECT_EQ(ChooseDpi("192", "Xft.dpi: 144"), 192);
  EXPECT_EQ(ChooseDpi("", "Xft.dpi:\t47\n*dpi: 144\n"), 96);
  EXPECT_EQ(ChooseDpi("481", "Xft.dpi: 479.6"), 480);
  EXPECT_EQ(ChooseDpi("144x", "Xft.dpi:\t48"), 48);
}

// The help box's text: lines at CR LF, LF or CR, each cut at its TABs.
TEST(Layout, MessageTextSplitsLinesAndTabs) {
  EXPECT_EQ(MessageLines("a \r\nb\r\n\r\n/on\tx y\r\n/?\tz\nc\rd\t\te"),
            (std::vector<std::vector<std::string>>{
                {"a "}, {"b"}, {""}, {"/on", "x y"}, {"/?", "z"}, {"c"}, {"d", "", "e"}}));
}

}  // namespace
}  // namespace tavrel::window
