#include "control/gnu_options.h"

#include <algorithm>
#include <cerrno>
#include <utility>

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
    "Exit status: 0 on success; 1 when /on or /off could not write the key, --state or\n"
    "--diff could not read the file, --diff or --user was given wrong (one line on\n"
    "standard error says why), or the output could not be written; 2 when a window or the help box "
    "was needed but no display\n"
    "could be opened; 3 when the window module (package tavrel-window) is not installed\n"
    "or cannot be loaded.\n";

const char* const kUserGoesWith = "--user USER goes before /on, /off, --state, --path or --diff";

// The first word and the rest, without the spaces between them.
std::pair<std::string_view, std::string_view> FirstWord(std::string_view line) {
  const std::size_t space = std::min(line.find(' '), line.size());
  return {line.substr(0, space), setting::TrimSpaces(line.substr(space))};
}

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

// What the switch /on or /off would change, as a unified diff.
Answer DiffOf(const GnuCommand& command) {
  if ((command.argument != "/on" && command.argument != "/off") || !command.rest.empty()) {
    return {"", "--diff takes /on or /off"};
  }
  setting::ProfileReport report;
  std::string diff = setting::DisableSettingDiff(command.argument == "/on" ? "0" : "1", &report);
  if (report.error == 0) return {std::move(diff), ""};
  // A change the switch would refuse is its write's failure; anything else, the read's.
  const char* what = report.error == EILSEQ ? "cannot write " : "cannot read ";
  return {"", what + QuoteInMessage(setting::IniPath) + ": " + QuoteInMessage(report.reason)};
}

Answer AnswerOf(const GnuCommand& command) {
  switch (command.option) {
    case GnuOption::Help:
      return {Usage(), ""};
    case GnuOption::Version:
      return {"tavrel " TAVREL_VERSION "\nLicense: MIT\n", ""};
    case GnuOption::State: {
      setting::ProfileReport report;
      const setting::ProxyClientState state = setting::ReadProxyClientState(&report);
      if (report.error != 0) {
        return {"", "cannot read " + QuoteInMessage(setting::IniPath) + ": " +
                        QuoteInMessage(report.reason)};
      }
      return {StateWord(state), ""};
    }
    case GnuOption::Path:
      return {setting::IniPath + "\n", ""};
    case GnuOption::Diff:
      return DiffOf(command);
    case GnuOption::User:  // taken on at start-up; here only when given twice
      return {"", kUserGoesWith};
    case GnuOption::None:
      break;
  }
  return {};
}

}  // namespace

GnuCommand GnuCommandOf(const std::string& commandLine) {
  const auto [word, rest] = FirstWord(setting::TrimSpaces(commandLine));
  for (const GnuOptionRow& row : kGnuOptions) {
    if (word != row.name && (*row.alias == '\0' || word != row.alias)) continue;
    if (*row.argument == '\0') return rest.empty() ? GnuCommand{row.option, "", ""} : GnuCommand{};
    const auto [argument, after] = FirstWord(rest);
    return {row.option, std::string(argument), std::string(after)};
  }
  return {};
}

std::optional<int> TakeGnuUser(Runtime& runtime) {
  if (!runtime.TakesGnuOptions()) return std::nullopt;
  const GnuCommand command = GnuCommandOf(runtime.CommandLine());
  if (command.option != GnuOption::User) return std::nullopt;
  const GnuCommand then = GnuCommandOf(command.rest);
  const bool goesWith = then.option == GnuOption::None
                            ? command.rest == "/on" || command.rest == "/off"
                            : then.option == GnuOption::State || then.option == GnuOption::Path ||
                                  then.option == GnuOption::Diff;
  std::string refused = command.argument.empty() || !goesWith ? kUserGoesWith : "";
  if (refused.empty()) refused = setting::ActAs(command.argument);
  if (refused.empty()) return std::nullopt;
  runtime.Complain(refused);
  return 1;
}

std::optional<int> RunGnuOption(Runtime& runtime) {
  if (!runtime.TakesGnuOptions()) return std::nullopt;
  GnuCommand command = GnuCommandOf(runtime.CommandLine());
  // The user was taken on at start-up: the command is what follows.
  if (command.option == GnuOption::User) command = GnuCommandOf(command.rest);
  if (command.option == GnuOption::None) return std::nullopt;
  const Answer answer = AnswerOf(command);
  if (!answer.complaint.empty()) {
    runtime.Complain(answer.complaint);
    return 1;
  }
  return runtime.Print(answer.output) ? 0 : 1;
}

}  // namespace tavrel::control
