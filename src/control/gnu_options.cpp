#include "control/gnu_options.h"

#include <cstring>

#include "control/message_quote.h"
#include "setting/ini.h"
#include "setting/system_profile.h"

namespace tavrel::control {
namespace {

const char* const kUsage =
    "Usage: tavrel [/on | /off | '/?']\n"
    "       tavrel --state | --path | --help | --version\n"
    "Switches the proxy client on and off: key Disable of section\n"
    "[Microsoft Proxy Service] in win.ini, where 1 disables the client and 0 enables it.\n"
    "\n"
    "  /on         write Disable=0 and end, without a window or output\n"
    "  /off        write Disable=1 and end, without a window or output\n"
    "  /?          show the help box\n"
    "  (nothing)   open the window, which shows the state and switches it\n"
    "  --state     print enabled, disabled or unread (the key holds no value);\n"
    "              a file or directory it cannot look at is an error\n"
    "  --path      print the path of the win.ini that the switches and --state use\n"
    "  -h, --help  print this text\n"
    "  --version   print the version\n"
    "\n"
    "The switches are found anywhere in the command line, case-sensitively, in the\n"
    "order /on, /off, /?. An option counts only when it is the whole command line;\n"
    "options need no display and write nothing.\n"
    "\n";
const char* const kExitStatus =
    "\n"
    "Exit status: 0 on success; 1 when /on or /off could not write the key or --state\n"
    "could not read the file (one line on standard error says why), or the output\n"
    "could not be written; 2 when a window or the help box was needed but no display\n"
    "could be opened.\n";

const char* StateWord(setting::ProxyClientState state) {
  if (state == setting::ProxyClientState::Disabled) return "disabled\n";
  return state == setting::ProxyClientState::Enabled ? "enabled\n" : "unread\n";
}

}  // namespace

GnuOption GnuOptionOf(const std::string& commandLine) {
  if (commandLine == "--help" || commandLine == "-h") return GnuOption::Help;
  if (commandLine == "--version") return GnuOption::Version;
  if (commandLine == "--state") return GnuOption::State;
  if (commandLine == "--path") return GnuOption::Path;
  return GnuOption::None;
}

GnuOptionResult GnuOptionOutput(GnuOption option) {
  switch (option) {
    case GnuOption::Help:
      return {std::string(kUsage) + setting::kWindowsDirectoryRule + kExitStatus, ""};
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

}  // namespace tavrel::control
