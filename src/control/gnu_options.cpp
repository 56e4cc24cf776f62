#include "control/gnu_options.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "control/message_quote.h"
#include "setting/ini.h"
#include "setting/spaces.h"
#include "setting/system_profile.h"

namespace tavrel::control {
namespace {

constexpr std::size_t kHelpColumn = 17;  // where the descriptions of the usage start
constexpr int kWrongStatus = 2;

const char* const kUsage =
    "\nSwitches the proxy client on and off: key Disable of section\n"
    "[Microsoft Proxy Service] in win.ini, where 1 disables the client and 0 enables\n"
    "it.\n"
    "\n"
    "  /on            write Disable=0 and end, without a window or output\n"
    "  /off           write Disable=1 and end, without a window or output\n"
    "  /?             show the help box\n"
    "  (nothing)      open the window, which shows the state and switches it\n";
const char* const kRules =
    "\n"
    "A command line whose first word begins with -- or is -h is read as options, as\n"
    "getopt_long reads them: --diff=/on or --diff /on, --stat for --state; an\n"
    "unknown option, or one given wrong, is an error. Options need no display, and\n"
    "none but a switch after --user writes. In any other command line the switches\n"
    "are found anywhere, case-sensitively, in the order /on, /off, /?.\n"
    "\n";
const char* const kExitStatus =
    "\n"
    "Exit status: 0 on success; 1 when /on or /off could not write the key, --state\n"
    "or --diff could not read the file, --user could not act as the account, or the\n"
    "output could not be written (one line on standard error says why); 2 when the\n"
    "options were given wrong, or a window or the help box was needed but no\n"
    "display could be opened; 3 when the window module (package tavrel-window) is\n"
    "not installed or cannot be loaded.\n";

std::string WithArgument(const GnuOptionRow& row) {
  return *row.argument != '\0' ? std::string(row.name) + " " + row.argument : row.name;
}

// The usage, its synopsis and list of options made from their table.
std::string Usage() {
  std::string withUser = "/on | /off", alone, options;
  for (const GnuOptionRow& row : kGnuOptions) {
    if (row.withUser) withUser += " | " + WithArgument(row);
    if (!row.withUser && row.option != GnuOption::User)
      alone += (alone.empty() ? "" : " | ") + WithArgument(row);
    std::string names = "  " + (*row.alias != '\0' ? std::string(row.alias) + ", " : "");
    names += WithArgument(row);
    options += names + std::string(std::max(kHelpColumn, names.size() + 1) - names.size(), ' ');
    for (const char* c = row.help; *c != '\0'; ++c)
      options += *c == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, *c);
    options += '\n';
  }
  return "Usage: tavrel [/on | /off | '/?']\n       tavrel [--user USER] {" + withUser +
         "}\n       tavrel " + alone + "\n" + kUsage + options + kRules +
         setting::kWindowsDirectoryRule + kExitStatus;
}

const GnuOptionRow& RowOf(GnuOption option) {
  return *std::find_if(std::begin(kGnuOptions), std::end(kGnuOptions),
                       [option](const GnuOptionRow& row) { return row.option == option; });
}

// The words between single spaces, as the arguments were joined.
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  for (std::size_t at = 0;;) {
    const std::size_t space = std::min(line.find(' ', at), line.size());
    words.emplace_back(line.substr(at, space - at));
    if (space == line.size()) return words;
    at = space + 1;
  }
}

// The option a word names: in full, by its alias, or by a prefix of "--" and more that fits
// only it; nullptr with why not.
const GnuOptionRow* Named(std::string_view word, std::string* wrong) {
  const GnuOptionRow* found = nullptr;
  int fits = 0;
  for (const GnuOptionRow& row : kGnuOptions) {
    if (word == row.name || word == row.alias) return &row;
    const bool prefix = word.size() > 2 && word[1] == '-' &&
                        std::string_view(row.name).substr(0, word.size()) == word;
    if (prefix) found = &row, ++fits;
  }
  if (fits == 1) return found;
  *wrong = (fits == 0 ? "unrecognized option " : "ambiguous option ") + QuoteInMessage(word);
  return nullptr;
}

// What is wrong with an option line read to its end that asks for `thing` (a switch or
// an option's name; "" for nothing): --user only before what may follow it, --diff's switch.
std::string Check(const GnuCommand& command, const std::string& thing) {
  std::string goesWith = "--user USER goes with /on, /off, --state, --path or --diff";
  if (command.asUser && thing.empty()) return goesWith;
  if (thing.empty()) return "give a switch or an option";
  if (command.asUser && command.option != GnuOption::None && !RowOf(command.option).withUser)
    return goesWith.append(", not ").append(thing);
  if (command.option == GnuOption::Diff && command.argument != "/on" &&
      command.argument != "/off") {
    return "--diff takes /on or /off, not " + QuoteInMessage(command.argument);
  }
  return "";
}

// The option's answer for standard output, or, when it failed, its complaint; and what the
// read had to tell besides (a journal it settled), for standard error.
struct Answer {
  std::string output;
  std::string complaint;
  std::string notice;
};

Answer AnswerOf(const GnuCommand& command) {
  switch (command.option) {
    case GnuOption::Help:
      return {Usage(), "", ""};
    case GnuOption::Version:
      return {"tavrel " TAVREL_VERSION "\nLicense: MIT\n", "", ""};
    case GnuOption::State: {
      setting::ProfileReport report;
      const setting::ProxyClientState state = setting::ReadProxyClientState(&report);
      if (report.error != 0) return {"", AboutIni("read", report.reason), report.notice};
      return {std::string(setting::NameOf(state)) + "\n", "", report.notice};
    }
    case GnuOption::Path:
      return {setting::IniPath + "\n", "", ""};
    case GnuOption::Diff: {
      setting::ProfileReport report;
      std::string diff =
          setting::DisableSettingDiff(command.argument == "/on" ? "0" : "1", &report);
      if (report.error == 0) return {std::move(diff), "", report.notice};
      // A change the switch would refuse is its write's failure; anything else, the read's.
      return {"", AboutIni(report.error == EILSEQ ? "write" : "read", report.reason),
              report.notice};
    }
    case GnuOption::User:
    case GnuOption::None:
      break;
  }
  return {};
}

}  // namespace

bool IsOptionLine(const std::string& commandLine) {
  const std::string_view line = setting::TrimSpaces(commandLine);
  return line.substr(0, 2) == "--" || line.substr(0, line.find(' ')) == "-h";
}

GnuCommand GnuCommandOf(const std::string& commandLine) {
  const std::vector<std::string> words = Words(setting::TrimSpaces(commandLine));
  GnuCommand command;
  std::string thing;  // what the line asks for: a switch, or the option's name
  bool options = true;
  // Each word, until one is wrong: takes its argument, or is one more thing to do.
  for (std::size_t i = 0; i < words.size() && command.wrong.empty(); ++i) {
    const std::string& word = words[i];
    std::string did;
    if (options && word == "--") {
      options = false;
    } else if (!options || word.size() < 2 || word[0] != '-') {
      if (word != "/on" && word != "/off") command.wrong = "unexpected " + QuoteInMessage(word);
      command.switchOn = word == "/on", did = word;
    } else {
      const std::size_t equals = word[1] == '-' ? word.find('=') : std::string::npos;
      const std::string name = word.substr(0, equals);
      const GnuOptionRow* row = Named(name, &command.wrong);
      if (row == nullptr) break;
      const bool takes = *row->argument != '\0';
      std::string argument = equals != std::string::npos ? word.substr(equals + 1) : "";
      if (!takes && equals != std::string::npos) {
        command.wrong = "option " + std::string(row->name) + " takes no argument";
      } else if (takes && equals == std::string::npos && i + 1 < words.size()) {
        argument = words[++i];
      } else if (takes && equals == std::string::npos) {
        command.wrong = "option " + std::string(row->name) + " needs " + row->argument;
      }
      if (row->option == GnuOption::User && command.asUser) command.wrong = "--user given twice";
      if (row->option == GnuOption::User) {
        command.asUser = true, command.user = argument;
      } else {
        command.option = row->option, command.argument = argument, did = row->name;
      }
    }
    if (!did.empty() && !thing.empty() && command.wrong.empty())
      command.wrong = thing.append(" and ").append(did).append(" cannot go together");
    if (!did.empty()) thing = did;
  }
  if (command.wrong.empty()) command.wrong = Check(command, thing);
  return command;
}

std::optional<int> RunOptionLine(Runtime& runtime, bool* switchOn) {
  const GnuCommand command = GnuCommandOf(runtime.CommandLine());
  if (!command.wrong.empty()) {
    runtime.Complain(command.wrong + "; see tavrel --help");
    return kWrongStatus;
  }
  if (command.asUser) {
    if (const int error = setting::ActAs(command.user); error != 0) {
      runtime.Complain(error == EPERM ? "only root may act as another account than its own"
                                      : "no such user: " + QuoteInMessage(command.user));
      return 1;
    }
  }
  setting::IniPath = setting::FindIniPath();
  if (command.option == GnuOption::None) {
    *switchOn = command.switchOn;
    return std::nullopt;
  }
  const Answer answer = AnswerOf(command);
  if (!answer.notice.empty()) runtime.Complain(QuoteInMessage(answer.notice));
  if (!answer.complaint.empty()) {
    runtime.Complain(answer.complaint);
    return 1;
  }
  return runtime.Print(runtime.PrintsToTerminal() ? ShownOnTerminal(answer.output) : answer.output)
             ? 0
             : 1;
}

}  // namespace tavrel::control
