// A runtime that records beeps, message boxes, the window and the end, so the
// procedures of frmMain can be driven without a toolkit.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control/runtime.h"

namespace tavrel::test {

// Thrown by End, so that no code of the program runs after it.
struct Ended {
  int status;
};

class FakeRuntime final : public control::Runtime {
 public:
  explicit FakeRuntime(std::string commandLine) : commandLine_(std::move(commandLine)) {}

  std::string CommandLine() override { return commandLine_; }
  void ShowMessageBox(const std::string& text, const std::string& title) override {
    messages.push_back(title + "|" + text);
  }
  void Beep() override { ++beeps; }
  void Complain(const std::string& text) override { complaints.push_back(text); }
  [[noreturn]] void End(int status) override { throw Ended{status}; }
  void RenderWindow(const window::FormState& state) override {
    if (state.shown) everShown = true;
    shown = state.shown;
  }
  void RunWindow(window::FormInput&) override { ++runs; }

  std::vector<std::string> messages;
  std::vector<std::string> complaints;
  int beeps = 0;
  int runs = 0;
  bool shown = false;
  bool everShown = false;

 private:
  std::string commandLine_;
};

}  // namespace tavrel::test
