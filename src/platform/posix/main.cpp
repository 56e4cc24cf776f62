#include <cerrno>
#include <cstdio>
#include <cstring>

#include "control/gnu_options.h"
#include "control/startup.h"
#include "platform/posix/posix_runtime.h"
#include "setting/ini.h"

namespace {

// Prints an option's output; 1 when it could not be written (a full disk, a closed pipe),
// so that a script never takes a lost answer for an empty one.
int Print(const std::string& text) {
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
  std::fprintf(stderr, "tavrel: cannot write the output: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const auto option = tavrel::control::GnuOptionOf(tavrel::platform::JoinArguments(argc, argv));
  if (option != tavrel::control::GnuOption::None) {
    // The options' start-up, as Form_Load is the window's: the one setting of IniPath.
    tavrel::setting::IniPath = tavrel::setting::FindIniPath();
    const tavrel::control::GnuOptionResult result = tavrel::control::GnuOptionOutput(option);
    if (!result.complaint.empty()) {
      std::fprintf(stderr, "tavrel: %s\n", result.complaint.c_str());
      return 1;
    }
    return Print(result.output);
  }
  tavrel::platform::PosixRuntime runtime(argc, argv);
  return tavrel::control::Run(runtime);
}
