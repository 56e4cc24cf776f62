#include "platform/fltk/fltk_message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "platform/fltk/fltk_window.h"
#include "window/dpi.h"
#include "window/message_text.h"

namespace tavrel::platform {
namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

using Lines = std::vector<std::vector<std::string>>;

// Eight average characters, as the platform's tab stops.
int TabWidth() {
  const char* sample = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  return static_cast<int>(fl_width(sample) * 8 / 52);
}

// Draws (or, with draw false, measures) one line; returns its width.
int LayOutLine(const std::vector<std::string>& pieces, int x, int y, bool draw) {
  int end = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const int start = i == 0 ? 0 : window::NextTabStop(end, TabWidth());
    if (draw) fl_draw(pieces[i].c_str(), x + start, y);
    end = start + static_cast<int>(fl_width(pieces[i].c_str()));
  }
  return end;
}

class MessageText final : public Fl_Box {
 public:
  MessageText(const Lines& lines, int x, int y, int w, int h, int size)
      : Fl_Box(x, y, w, h), lines_(lines), size_(size) {}
  void draw() override {
    fl_font(FL_HELVETICA, size_);
    fl_color(FL_FOREGROUND_COLOR);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      LayOutLine(lines_[i], x(), y() + fl_height() * static_cast<int>(i + 1) - fl_descent(), true);
    }
  }

 private:
  const Lines& lines_;
  int size_;
};

class InfoIcon final : public Fl_Box {
 public:
  InfoIcon(int x, int y, int size) : Fl_Box(x, y, size, size) {}
  void draw() override {
    fl_color(FL_BLUE);
    fl_pie(x(), y(), w(), h(), 0, 360);
    fl_color(FL_WHITE);
    fl_font(FL_TIMES_BOLD, h() * 3 / 4);
    fl_draw("i", x(), y(), w(), h(), FL_ALIGN_CENTER);
  }
};

}  // namespace

void ShowFltkMessageBox(const std::string& text, const std::string& title, int dpi) {
  const auto scaled = [dpi](int pixels) { return window::ScaledPixels(pixels, dpi); };
  const int fontSize = window::FontPixels(dpi), margin = scaled(kMargin),
            iconSize = scaled(kIconSize), buttonWidth = scaled(kButtonWidth),
            buttonHeight = scaled(kButtonHeight);
  const Lines lines = window::MessageLines(text);
  fl_font(FL_HELVETICA, fontSize);
  int textWidth = 0;
  for (const auto& line : lines) textWidth = std::max(textWidth, LayOutLine(line, 0, 0, false));
  const int textHeight = fl_height() * static_cast<int>(lines.size());
  const int textLeft = margin * 2 + iconSize;
  const int width = std::max(textLeft + textWidth + margin * 2, buttonWidth + margin * 2);
  const int height = std::max(textHeight, iconSize) + margin * 3 + buttonHeight;

  Fl_Window box(width, height);
  box.copy_label(title.c_str());
  box.set_modal();
  box.xclass("tavrel");
  InfoIcon icon(margin, margin, iconSize);
  MessageText message(lines, textLeft, margin, textWidth, textHeight, fontSize);
  Fl_Button ok((width - buttonWidth) / 2, height - margin - buttonHeight, buttonWidth, buttonHeight,
               "OK");
  ok.labelsize(fontSize);
  ok.shortcut(FL_Enter);
  ok.callback([](Fl_Widget* button, void*) { button->window()->hide(); });
  box.end();
  box.position(window::Centred(0, Fl::w(), width), window::Centred(0, Fl::h(), height));
  ShowFixed(box);
  ok.take_focus();
  while (box.shown()) Fl::wait();
}

}  // namespace tavrel::platform
