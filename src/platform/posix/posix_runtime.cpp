#include "platform/posix/posix_runtime.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "control/message_quote.h"

namespace tavrel::platform {
namespace {

constexpr int kNoWindowStatus = 2;
constexpr const char* kModuleName = "tavrel-fltk.so";

// Absolute places only: a relative one would load whatever the current directory holds.
std::vector<std::string> ModulePaths() {
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0 || path[0] != '/') return {std::string(TAVREL_MODULE_DIR "/") + kModuleName};
  path.resize(static_cast<std::size_t>(n));
  const std::string dir = path.substr(0, path.rfind('/'));
  return {dir + "/" + kModuleName, dir + "/../lib/tavrel/" + kModuleName};
}

// Loads the window backend beside the program, or where it is installed.
std::unique_ptr<WindowHost> LoadHost(std::string* error) {
  void* module = nullptr;
  for (const std::string& path : ModulePaths()) {
    module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module != nullptr) break;
    if (const char* reason = dlerror()) *error = reason;
  }
  if (module == nullptr) return nullptr;
  const auto open = reinterpret_cast<OpenWindowHost>(dlsym(module, kOpenWindowHostSymbol));
  if (open == nullptr) {
    *error = "the window module has no entry point";
    return nullptr;
  }
  return std::unique_ptr<WindowHost>(open(error));
}

}  // namespace

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

WindowHost& PosixRuntime::Host() {
  if (!host_) {
    std::string error;
    host_ = LoadHost(&error);
    if (!host_) {
      std::fprintf(stderr, "tavrel: cannot open a window (%s); use /on or /off without one\n",
                   control::QuoteInMessage(error).c_str());
      End(kNoWindowStatus);
    }
  }
  return *host_;
}

void PosixRuntime::ShowMessageBox(const std::string& text, const std::string& title) {
  Host().ShowMessageBox(text, title);
}

void PosixRuntime::Beep() { Host().Beep(); }

void PosixRuntime::Complain(const std::string& text) {
  std::fprintf(stderr, "tavrel: %s\n", text.c_str());
}

void PosixRuntime::End(int status) { std::exit(status); }

void PosixRuntime::RenderWindow(const window::FormState& state) { Host().Render(state); }

void PosixRuntime::RunWindow(window::FormInput& input) { Host().Run(input); }

}  // namespace tavrel::platform
