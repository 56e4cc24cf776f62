#include "control/gnu_options.h"

#include <algorithm>
#include <cstring>

#include "control/message_quote.h"
#include "setting/ini.h"
#include "setting/spaces.h"
#include "setting/system_profile.h"

namespace tavrel::control {
namespace {

constexpr std::size_t kHelpColumn = 14;  // where the descriptions of the usage start

const char* const kUsage =
    "Switches the proxy client on and off: key Disable of section\n"
    "[Microsoft Proxy Service] in win.ini, where 1 disables the client and 0 enables it.\n"
    "\n"
    "  /on         write Disable=0 and end, without a window or output\n"
    "  /off        write Disable=1 and end, without a window or output\n"
    "  /?          show the help box\n"
    "  (nothing)   open the window, which shows the state and switches it\n";
const char* const kRules =
    "\n"
    "The switches are found anywhere in the command line, case-sensitively, in the\n"
    "order /on, /off, /?. An option counts only when it is the whole command line\n"
    "(spaces around it aside); options need no display and write nothing.\n"
    "\n";
const char* const kExitStatus =
    "\n"
    "Exit status: 0 on success; 1 when /on or /off could not write the key or --state\n"
    "could not read the file (one line on standard error says why), or the output\n"
    "could not be written; 2 when a window or the help box was needed but no display\n"
    "could be opened; 3 when the window module (package tavrel-window) is not installed\n"
    "or cannot be loaded.\n";

std::string WithArgument(const GnuOptionRow& row) {
  return *row.argument != '\0' ? std::string(row.name) + " " + row.argument : row.name;
}

// The usage, its list of options made from their table.
std::string Usage() {
  std::string synopsis, options;
  for (const GnuOptionRow& row : kGnuOptions) {
    synopsis += (synopsis.empty() ? "" : " | ") + WithArgument(row);
    std::string names = "  " + (*row.alias != '\0' ? std::string(row.alias) + ", " : "");
    names += WithArgument(row);
    options += names + std::string(std::max(kHelpColumn, names.size() + 2) - names.size(), ' ');
    for (const char* c = row.help; *c != '\0'; ++c)
      options += *c == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, *c);
    options += '\n';
  }
  return "Usage: tavrel [/on | /off | '/?']\n       tavrel " + synopsis + "\n" + kUsage + options +
         kRules + setting::kWindowsDirectoryRule + kExitStatus;
}

const char* StateWord(setting::ProxyClientState state) {
  if (state == setting::ProxyClientState::Disabled) return "disabled\n";
  return state == setting::ProxyClientState::Enabled ? "enabled\n" : "unread\n";
}

// The option's answer for standard output, or, when it failed, its complaint.
struct Answer {
  std::string output;
  std::string complaint;
};

Answer AnswerOf(GnuOption option) {
  switch (option) {
    case GnuOption::Help:
      return {Usage(), ""};
    case GnuOption::Version:
      return {"tavrel " TAVREL_VERSION "\nLicense: MIT\n", ""};
    case GnuOption::State: {
      int error = 0;
      const setting::ProxyClientState state = setting::ReadProxyClientState(&error);
      if (error != 0) {
        return {"",
                "cannot read " + QuoteInMessage(setting::IniPath) + ": " + std::strerror(error)};
      }
      return {StateWord(state), ""};
    }
    case GnuOption::Path:
      return {setting::IniPath + "\n", ""};
    case GnuOption::None:
      break;
  }
  return {};
}

}  // namespace

GnuOption GnuOptionOf(const std::string& commandLine) {
  const std::string_view line = setting::TrimSpaces(commandLine);
  for (const GnuOptionRow& row : kGnuOptions) {
    if (line == row.name || (*row.alias != '\0' && line == row.alias)) return row.option;
  }
  return GnuOption::None;
}

std::optional<int> RunGnuOption(Runtime& runtime) {
  if (!runtime.TakesGnuOptions()) return std::nullopt;
  const GnuOption option = GnuOptionOf(runtime.CommandLine());
  if (option == GnuOption::None) return std::nullopt;
  const Answer answer = AnswerOf(option);
  if (!answer.complaint.empty()) {
    runtime.Complain(answer.complaint);
    return 1;
  }
  return runtime.Print(answer.output) ? 0 : 1;
}

}  // namespace tavrel::control
