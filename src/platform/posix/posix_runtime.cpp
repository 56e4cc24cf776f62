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

constexpr int kNoDisplayStatus = 2;
constexpr int kNoModuleStatus = 3;
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

// Opens the window backend beside the program, or where it is installed: 0, or the exit
// status of why not, with `reason` and what the user can do about it (`fix`) filled in.
int OpenToolkit(TavrelToolkit* toolkit, std::string* reason, std::string* fix) {
  *reason = "the package tavrel-window is not installed";
  *fix = "install it, or ";
  void* module = nullptr;
  for (const std::string& path : ModulePaths()) {
    if (access(path.c_str(), F_OK) != 0 && errno == ENOENT) continue;
    module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module != nullptr) break;
    const char* error = dlerror();
    *reason = "the window module of the package tavrel-window cannot be loaded (" +
              control::QuoteInMessage(error != nullptr ? error : "") + ")";
    *fix = "reinstall it, or ";
  }
  if (module == nullptr) return kNoModuleStatus;
  const auto open = reinterpret_cast<TavrelOpenToolkit>(dlsym(module, window::kOpenToolkitSymbol));
  if (open == nullptr) {
    *reason = "the window module of the package tavrel-window has no entry point";
    return kNoModuleStatus;
  }
  char error[256] = "";
  if (open(toolkit, error, sizeof error) != 0) return 0;
  *reason = control::QuoteInMessage(error);
  fix->clear();
  return kNoDisplayStatus;
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

window::NativeWindow& PosixRuntime::Open(const char* what, const char* instead) {
  if (!window_) {
    TavrelToolkit toolkit{};
    std::string reason, fix;
    if (const int status = OpenToolkit(&toolkit, &reason, &fix); status != 0) {
      std::fprintf(stderr, "tavrel: cannot %s: %s; %s%s\n", what, reason.c_str(), fix.c_str(),
                   instead);
      End(status);
    }
    window_.emplace(toolkit);
  }
  return *window_;
}

window::NativeWindow& PosixRuntime::Window() {
  return Open("open a window", "use /on or /off, which need none");
}

void PosixRuntime::ShowMessageBox(const std::string& text, const std::string& title) {
  Open("show the help box", "see tavrel --help").ShowMessageBox(text, title);
}

// Flushed at once: a full disk or a closed pipe shows only then, and a script must never
// take a lost answer for an empty one.
bool PosixRuntime::Print(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
    return true;
  std::fprintf(stderr, "tavrel: cannot write the output: %s\n", std::strerror(errno));
  return false;
}

bool PosixRuntime::PrintsToTerminal() const { return isatty(STDOUT_FILENO) == 1; }

void PosixRuntime::Complain(const std::string& text) {
  std::fprintf(stderr, "tavrel: %s\n", text.c_str());
}

void PosixRuntime::End(int status) { std::exit(status); }

}  // namespace tavrel::platform
