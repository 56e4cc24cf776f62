#include "window/form.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrel::window {
namespace {

// A window whose button presses are only recorded.
class RecordingForm final : public Form {
 public:
  std::vector<ControlId> clicks;

 protected:
  void Click(ControlId id) override { clicks.push_back(id); }
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
  std::vector<View> views;
  std::vector<Key> keys;
  std::vector<ControlId> clicks;
};

TEST(Form, KeysPressTheRightButton) {
  const Key tab{KeyCode::Tab}, backTab{KeyCode::BackTab}, ret{KeyCode::Return},
      space{KeyCode::Space}, esc{KeyCode::Escape};
  const auto alt = [](char c) { return Key{KeyCode::AltLetter, c}; };
  const KeyCase cases[] = {
      {{}, {ret}, {ControlId::cmdCancel}},
      {{}, {esc}, {ControlId::cmdCancel}},
      {{View::StatusEnabled}, {ret}, {ControlId::cmdDisable}},
      {{View::StatusEnabled}, {tab, space}, {ControlId::cmdCancel}},
      {{View::StatusEnabled}, {tab, tab, ret}, {ControlId::cmdDisable}},
      {{View::StatusDisabled}, {backTab, ret}, {ControlId::cmdCancel}},
      {{View::StatusDisabled}, {alt('d'), alt('E')}, {ControlId::cmdEnable}},
      {{View::StatusEnabled},
       {alt('d'), alt('e'), alt('c')},
       {ControlId::cmdDisable, ControlId::cmdCancel}},
      {{View::StatusEnabled, View::SwitchedOff}, {esc, alt('c'), alt('d')}, {ControlId::cmdClose}},
      {{View::StatusDisabled, View::SwitchedOn}, {ret}, {ControlId::cmdClose}},
      {{View::StatusDisabled, View::SwitchedOn}, {tab, space}, {ControlId::cmdClose}},
      {{View::StatusEnabled}, {alt('x')}, {}},
  };
  for (const KeyCase& c : cases) {
    RecordingForm form;
    for (const View v : c.views) form.SetView(v);
    form.Show();
    for (const Key k : c.keys) form.HandleKey(k);
    EXPECT_EQ(form.clicks, c.clicks);
  }
}

TEST(Form, EscapeIsNotUsedWhileCancelIsDisabled) {
  RecordingForm form;
  form.SetView(View::StatusEnabled);
  form.SetView(View::SwitchedOff);
  EXPECT_FALSE(form.HandleKey({KeyCode::Escape}));
  EXPECT_TRUE(form.HandleKey({KeyCode::Return}));
}

}  // namespace
}  // namespace tavrel::window
