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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/fltk/fltk_message_box.h"
#include "platform/fltk/fltk_window.h"
#include "window/dpi.h"
#include "window/form_state.h"
#include "window/icon_draw.h"

namespace tavrel::platform {
namespace {

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

class FltkHost final {
 public:
  FltkHost()
      : dpi_(window::ChooseDpi(std::getenv("TAVREL_DPI"), XResourceManagerString(fl_display))) {}

  void Create(const char* title, int width, int height, const TavrelInput& input) {
    window_ = std::make_unique<FormWindow>(input, Px(width), Px(height));
    window_->end();
    window_->copy_label(title);
    window_->xclass("tavrel");
    std::vector<const Fl_RGB_Image*> list;
    for (const window::IconImage& image : images_) {
      icons_.push_back(
          std::make_unique<Fl_RGB_Image>(image.rgba.data(), image.width, image.height, 4));
      list.push_back(icons_.back().get());
    }
    window_->icons(list.data(), static_cast<int>(list.size()));
    input_ = &input;
  }

  void Update(const TavrelControl& c) {
    Fl_Widget*& w = widgets_[static_cast<std::size_t>(c.id)];
    if (w == nullptr) {
      const int x = Px(c.left), y = Px(c.top), width = Px(c.width), height = Px(c.height);
      w = c.button != 0 ? new FormButton(c.id, *input_, x, y, width, height)
                        : static_cast<Fl_Widget*>(new LabelBox(x, y, width, height));
      w->labelsize(window::FontPixels(dpi_));
      window_->add(w);
    }
    if (std::strcmp(c.caption, w->label() != nullptr ? w->label() : "") != 0) {
      w->copy_label(c.caption);
    }
    c.visible != 0 ? w->show() : w->hide();
    c.enabled != 0 ? w->activate() : w->deactivate();
  }

  void Show(bool shown, int focus) {
    if (shown && !window_->shown()) {
      window_->position(window::Centred(0, Fl::w(), window_->w()),
                        window::Centred(0, Fl::h(), window_->h()));
      ShowFixed(*window_);
    }
    if (!shown && window_->shown()) window_->hide();
    if (focus >= 0) widgets_[static_cast<std::size_t>(focus)]->take_focus();
    window_->redraw();
    Fl::flush();
  }

  void Beep() {
    fl_beep(FL_BEEP_DEFAULT);
    XFlush(fl_display);
  }

  void ShowMessageBox(const char* text, const char* title) {
    ShowFltkMessageBox(text, title, dpi_);
  }

  void Run() {
    while (!window_->closed) Fl::wait();
  }

 private:
  int Px(int twips) const { return window::TwipsToPixels(twips, dpi_); }

  const int dpi_;
  std::unique_ptr<FormWindow> window_;
  const TavrelInput* input_ = nullptr;
  std::array<Fl_Widget*, 5> widgets_{};
  const std::array<window::IconImage, 2> images_{window::DrawIcon(16), window::DrawIcon(32)};
  std::vector<std::unique_ptr<Fl_RGB_Image>> icons_;
};

}  // namespace
}  // namespace tavrel::platform

extern "C" __attribute__((visibility("default"))) int tavrel_open_toolkit(TavrelToolkit* toolkit,
                                                                          char* error,
                                                                          size_t size) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    const char* name = XDisplayName(nullptr);
    std::snprintf(error, size, "no X display%s%s", name != nullptr && *name ? " at " : "",
                  name != nullptr ? name : "");
    return 0;
  }
  fl_open_display(display);
  // Only real presses then reach the window: a held key repeats its key-down alone.
  XkbSetDetectableAutoRepeat(display, True, nullptr);
  // Never freed: the window lives until the program ends.
  static auto* host = new tavrel::platform::FltkHost();
  *toolkit = tavrel::window::ToolkitOf(*host);
  return 1;
}
