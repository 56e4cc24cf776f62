#include "platform/posix/posix_runtime.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// Opens the window backend beside the program, or where it is installed.
bool OpenToolkit(TavrelToolkit* toolkit, std::string* error) {
  void* module = nullptr;
  for (const std::string& path : ModulePaths()) {
    module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module != nullptr) break;
    if (const char* reason = dlerror()) *error = reason;
  }
  if (module == nullptr) return false;
  const auto open = reinterpret_cast<TavrelOpenToolkit>(dlsym(module, window::kOpenToolkitSymbol));
  if (open == nullptr) {
    *error = "the window module has no entry point";
    return false;
  }
  char reason[256] = "";
  if (open(toolkit, reason, sizeof reason) != 0) return true;
  *error = reason;
  return false;
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

window::NativeWindow& PosixRuntime::Window() {
  if (!window_) {
    TavrelToolkit toolkit{};
    std::string error;
    if (!OpenToolkit(&toolkit, &error)) {
      std::fprintf(stderr, "tavrel: cannot open a window (%s); use /on or /off without one\n",
                   control::QuoteInMessage(error).c_str());
      End(kNoWindowStatus);
    }
    window_.emplace(toolkit);
  }
  return *window_;
}

// Flushed at once: a full disk or a closed pipe shows only then, and a script must never
// take a lost answer for an empty one.
bool PosixRuntime::Print(const std::string& text) {
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return true;
  std::fprintf(stderr, "tavrel: cannot write the output: %s\n", std::strerror(errno));
  return false;
}

void PosixRuntime::Complain(const std::string& text) {
  std::fprintf(stderr, "tavrel: %s\n", text.c_str());
}

void PosixRuntime::End(int status) { std::exit(status); }

}  // namespace tavrel::platform
