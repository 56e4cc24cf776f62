#include "window/form.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <vector>

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
  const std::map<std::string, View> views = {{"StatusDisabled", View::StatusDisabled},
                                             {"StatusEnabled", View::StatusEnabled}};
  const std::map<std::string, KeyCode> keys = {{"ret", KeyCode::Return},
                                               {"spc", KeyCode::Space},
                                               {"esc", KeyCode::Escape},
                                               {"tab", KeyCode::Tab},
                                               {"btab", KeyCode::BackTab}};
  if (views.count(w) != 0) form.SetView(views.at(w));
  if (w == "show") form.Show();
  if (views.count(w) != 0 || w == "show") return true;
  const bool up = w[0] == '^', repeat = w.back() == '+';
  w = w.substr(up ? 1 : 0, w.size() - (up ? 1 : 0) - (repeat ? 1 : 0));
  const Key key = w.rfind("a-", 0) == 0 ? Key{KeyCode::AltLetter, w[2]} : Key{keys.at(w)};
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

}  // namespace
}  // namespace tavrel::window
