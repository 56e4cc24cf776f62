#include "control/gnu_options.h"

#include "setting/dirs.h"
#include "setting/ini.h"

namespace tavrel::control {
namespace {

const char* const kUsage =
    "Usage: tavrel [/on | /off | '/?']\n"
    "       tavrel --state | --help | --version\n"
    "Switches the proxy client on and off: key Disable of section\n"
    "[Microsoft Proxy Service] in win.ini, where 1 disables the client and 0 enables it.\n"
    "\n"
    "  /on         write Disable=0 and end, without a window or output\n"
    "  /off        write Disable=1 and end, without a window or output\n"
    "  /?          show the help box\n"
    "  (nothing)   open the window, which shows the state and switches it\n"
    "  --state     print enabled, disabled or unread (the key holds no value)\n"
    "  -h, --help  print this text\n"
    "  --version   print the version\n"
    "\n"
    "The switches are found anywhere in the command line, case-sensitively, in the\n"
    "order /on, /off, /?. An option counts only when it is the whole command line;\n"
    "options need no display and write nothing.\n"
    "\n"
    "win.ini is the one in $WINDIR when set and not empty, else in\n"
    "$WINEPREFIX/drive_c/windows, with WINEPREFIX defaulting to $HOME/.wine and\n"
    "HOME, when unset or empty, to the account's home directory; with none, /win.ini.\n"
    "\n"
    "Exit status: 0 on success; 1 when /on or /off could not write the key (one line\n"
    "on standard error says why) or the output could not be written; 2 when a window\n"
    "or the help box was needed but no display could be opened.\n";

const char* StateWord(setting::ProxyClientState state) {
  switch (state) {
    case setting::ProxyClientState::Disabled:
      return "disabled\n";
    case setting::ProxyClientState::Enabled:
      return "enabled\n";
    case setting::ProxyClientState::Unread:
      break;
  }
  return "unread\n";
}

}  // namespace

GnuOption GnuOptionOf(const std::string& commandLine) {
  if (commandLine == "--help" || commandLine == "-h") return GnuOption::Help;
  if (commandLine == "--version") return GnuOption::Version;
  if (commandLine == "--state") return GnuOption::State;
  return GnuOption::None;
}

std::string GnuOptionOutput(GnuOption option) {
  switch (option) {
    case GnuOption::Help:
      return kUsage;
    case GnuOption::Version:
      return "tavrel " TAVREL_VERSION "\nLicense: MIT\n";
    case GnuOption::State:
      setting::IniPath = setting::WindowsDir() + "win.ini";
      return StateWord(setting::ReadProxyClientState());
    case GnuOption::None:
      break;
  }
  return "";
}

}  // namespace tavrel::control
