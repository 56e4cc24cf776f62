#include "window/form.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <vector>

namespace tavrel::window {
namespace {

// A window whose button presses are recorded; Disable and Enable switch the view
// as frmMain does, so that the focus moves on to Close.
class RecordingForm final : public Form {
 public:
  std::vector<ControlId> clicks;

 protected:
  void Click(ControlId id) override {
    clicks.push_back(id);
    if (id == ControlId::cmdDisable) SetView(View::SwitchedOff);
    if (id == ControlId::cmdEnable) SetView(View::SwitchedOn);
  }
};

struct ViewCase {
  std::vector<View> views;
  const char* label;
  const char* visibleButtons;  // in tab order: D(isable) E(nable) C(ancel) L(close)
  bool cancelEnabled;
  std::optional<ControlId> focus;
};

std::string VisibleButtons(const FormState& s) {
  std::string letters;
  const char* names = "DEC.L";
  for (const Control& c : s.controls) {
    if (c.button && c.visible) letters += names[static_cast<int>(c.id)];
  }
  return letters;
}

TEST(Form, ViewsSetTheirControls) {
  const ViewCase cases[] = {
      {{}, "", "C", true, ControlId::cmdCancel},
      {{View::StatusDisabled}, "Proxy Client is DISABLED", "EC", true, ControlId::cmdEnable},
      {{View::StatusEnabled}, "Proxy Client is ENABLED", "DC", true, ControlId::cmdDisable},
      {{View::StatusDisabled, View::SwitchedOn},
       "Proxy Client is now ENABLED",
       "CL",
       false,
       ControlId::cmdClose},
      {{View::StatusEnabled, View::SwitchedOff},
       "Proxy Client is now DISABLED",
       "CL",
       false,
       ControlId::cmdClose},
  };
  for (const ViewCase& c : cases) {
    RecordingForm form;
    for (const View v : c.views) form.SetView(v);
    form.Show();
    const FormState& s = form.State();
    EXPECT_EQ(s.Get(ControlId::lblInfo).caption, c.label);
    EXPECT_EQ(VisibleButtons(s), c.visibleButtons) << c.label;
    EXPECT_EQ(s.Get(ControlId::cmdCancel).enabled, c.cancelEnabled) << c.label;
    EXPECT_EQ(s.focus, c.focus) << c.label;
  }
}

TEST(Form, ShownEarlyKeepsTheFocusOnCancel) {
  RecordingForm form;
  form.Show();
  form.SetView(View::StatusEnabled);
  EXPECT_EQ(form.State().focus, ControlId::cmdCancel);
}

struct KeyCase {
  View view;
  const char* keys;  // ret spc esc tab btab a-LETTER; "+" an auto-repeat, "^" a release
  std::vector<ControlId> clicks;
};

// Sends the keys of a KeyCase to the form.
void Type(Form& form, const std::string& keys) {
  std::istringstream words(keys);
  const std::map<std::string, KeyCode> codes = {{"ret", KeyCode::Return},
                                                {"spc", KeyCode::Space},
                                                {"esc", KeyCode::Escape},
                                                {"tab", KeyCode::Tab},
                                                {"btab", KeyCode::BackTab}};
  for (std::string w; words >> w;) {
    const bool up = w[0] == '^', repeat = w.back() == '+';
    w = w.substr(up ? 1 : 0, w.size() - (up ? 1 : 0) - (repeat ? 1 : 0));
    const Key key = w.rfind("a-", 0) == 0 ? Key{KeyCode::AltLetter, w[2]} : Key{codes.at(w)};
    up ? form.KeyUp(key) : form.KeyDown(key, repeat);
  }
}

TEST(Form, KeysPressTheRightButtonOncePerPress) {
  using C = ControlId;
  const View none = View::Initial, on = View::StatusEnabled, off = View::StatusDisabled;
  const KeyCase cases[] = {
      {none, "ret", {C::cmdCancel}},
      {none, "esc esc+", {C::cmdCancel}},
      {on, "ret ret+ ret+", {C::cmdDisable}},
      {on, "spc spc+ spc+", {}},
      {on, "spc spc+ ^spc spc ^spc", {C::cmdDisable, C::cmdClose}},
      {on, "tab spc ^spc", {C::cmdCancel}},
      {on, "spc tab btab ^spc ^spc", {}},
      {on, "spc+ ^spc a-d+ esc+", {}},
      {on, "tab tab ret", {C::cmdDisable}},
      {off, "btab ret", {C::cmdCancel}},
      {off, "a-d a-E a-e", {C::cmdEnable}},
      {on, "a-D esc a-c a-d", {C::cmdDisable, C::cmdClose}},
      {off, "spc ret ^spc", {C::cmdEnable}},
      {on, "a-x", {}},
  };
  for (const KeyCase& c : cases) {
    RecordingForm form;
    form.SetView(c.view);
    form.Show();
    Type(form, c.keys);
    EXPECT_EQ(form.clicks, c.clicks) << c.keys;
  }
}

TEST(Form, EscapeIsNotUsedWhileCancelIsDisabled) {
  RecordingForm form;
  form.SetView(View::StatusEnabled);
  form.SetView(View::SwitchedOff);
  EXPECT_FALSE(form.KeyDown({KeyCode::Escape}, false));
  EXPECT_TRUE(form.KeyDown({KeyCode::Return}, false));
}

}  // namespace
}  // namespace tavrel::window
