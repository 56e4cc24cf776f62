// The window backend on Linux: frmMain drawn with FLTK on the X display.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/fltk/fltk_message_box.h"
#include "platform/fltk/fltk_window.h"
#include "platform/window_host.h"
#include "window/dpi.h"
#include "window/icon.h"

namespace tavrel::platform {
namespace {

using window::FormState;

// A label whose text starts at its left edge, without the toolkit's usual inset.
class LabelBox final : public Fl_Box {
 public:
  using Fl_Box::Fl_Box;
  void draw() override {
    if (label() == nullptr) return;
    fl_font(labelfont(), labelsize());
    fl_color(labelcolor());
    fl_draw(label(), x(), y(), w(), h(), FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP,
            nullptr, 0);
  }
};

class FltkHost final : public WindowHost {
 public:
  FltkHost()
      : dpi_(window::ChooseDpi(std::getenv("TAVREL_DPI"), XResourceManagerString(fl_display))) {}

  void Render(const FormState& state) override {
    if (!window_) Create(state);
    const auto focus = state.focus;  // the toolkit's own focus moves must not change it
    for (FormButton* b : buttons_) b->reportFocus = false;
    for (const window::Control& c : state.controls) {
      Fl_Widget& w = *widgets_[static_cast<std::size_t>(c.id)];
      if (c.caption != (w.label() != nullptr ? w.label() : "")) w.copy_label(c.caption.c_str());
      c.visible ? w.show() : w.hide();
      c.enabled ? w.activate() : w.deactivate();
    }
    if (state.shown && !window_->shown()) Show();
    if (!state.shown && window_->shown()) window_->hide();
    if (focus) widgets_[static_cast<std::size_t>(*focus)]->take_focus();
    for (FormButton* b : buttons_) b->reportFocus = true;
    window_->redraw();
    Fl::flush();
  }

  void Beep() override {
    fl_beep(FL_BEEP_DEFAULT);
    XFlush(fl_display);
  }

  void ShowMessageBox(const std::string& text, const std::string& title) override {
    ShowFltkMessageBox(text, title, dpi_);
  }

  void Run(window::FormInput& input) override {
    window_->input = &input;
    for (FormButton* b : buttons_) b->input = &input;
    while (!window_->closed) Fl::wait();
  }

 private:
  void Create(const FormState& state) {
    window_ = std::make_unique<FormWindow>(Px(state.clientWidth), Px(state.clientHeight));
    window_->copy_label(state.title.c_str());
    window_->xclass("tavrel");
    for (const window::Control& c : state.controls) {
      const auto& p = c.place;
      Fl_Widget* w = nullptr;
      if (c.button) {
        auto* b = new FormButton(c.id, Px(p.left), Px(p.top), Px(p.width), Px(p.height));
        buttons_.push_back(b);
        w = b;
      } else {
        w = new LabelBox(Px(p.left), Px(p.top), Px(p.width), Px(p.height));
      }
      w->labelsize(window::FontPixels(dpi_));
      widgets_[static_cast<std::size_t>(c.id)] = w;
    }
    window_->end();
    std::vector<const Fl_RGB_Image*> list;
    for (const window::IconImage& image : images_) {
      icons_.push_back(
          std::make_unique<Fl_RGB_Image>(image.rgba.data(), image.width, image.height, 4));
      list.push_back(icons_.back().get());
    }
    window_->icons(list.data(), static_cast<int>(list.size()));
  }

  void Show() {
    window_->position((Fl::w() - window_->w()) / 2, (Fl::h() - window_->h()) / 2);
    ShowFixed(*window_);
  }

  int Px(int twips) const { return window::TwipsToPixels(twips, dpi_); }

  const int dpi_;
  std::unique_ptr<FormWindow> window_;
  std::array<Fl_Widget*, 5> widgets_{};
  std::vector<FormButton*> buttons_;
  const std::vector<window::IconImage> images_ = window::ReadIcon(window::TavrelIcon());
  std::vector<std::unique_ptr<Fl_RGB_Image>> icons_;
};

}  // namespace
}  // namespace tavrel::platform

extern "C" __attribute__((visibility("default"))) tavrel::platform::WindowHost*
tavrel_open_window_host(std::string* error) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    const char* name = XDisplayName(nullptr);
    *error =
        std::string("no X display") + (name != nullptr && *name ? std::string(" at ") + name : "");
    return nullptr;
  }
  fl_open_display(display);
  // Only real presses then reach the window: a held key repeats its key-down alone.
  XkbSetDetectableAutoRepeat(display, True, nullptr);
  return new tavrel::platform::FltkHost();
}
