// The options that scripts and shells expect of a Linux program. Each counts only when
// it is the whole command line, spaces around it aside, so every other command line
// keeps its meaning.
#pragma once

#include <optional>
#include <string>

#include "control/runtime.h"

namespace tavrel::control {

enum class GnuOption { None, State, Path, Diff, User, Help, Version };

// One option. The usage (--help) is made from these rows, and so, by the build, are the
// bash completion and the check of the manual page's list of options
// (platform/posix/gnu_options_tool.cpp): a new option is a row here and an entry there.
struct GnuOptionRow {
  GnuOption option;
  const char* name;      // "--state"
  const char* alias;     // a short name ("-h"), or ""
  const char* argument;  // the word after it, as the usage calls it ("USER"), or ""
  const char* words;     // what bash offers for that word: compgen's options ("-u"), or ""
  const char* help;      // the usage's description; each '\n' starts a further line
};

inline constexpr GnuOptionRow kGnuOptions[] = {
    {GnuOption::State, "--state", "", "", "",
     "print enabled, disabled or unread (the key holds no value);\n"
     "a file or directory it cannot look at is an error"},
    {GnuOption::Path, "--path", "", "", "",
     "print the path of the win.ini that the switches and --state use"},
    {GnuOption::Diff, "--diff", "", "SWITCH", "-W '/on /off'",
     "print the change that the switch /on or /off would make,\n"
     "as a unified diff, writing nothing"},
    {GnuOption::User, "--user", "", "USER", "-u",
     "before /on, /off, --state, --path or --diff: act as the\n"
     "account USER from the start, with its rights and its home\n"
     "(root only)"},
    {GnuOption::Help, "--help", "-h", "", "", "print this text"},
    {GnuOption::Version, "--version", "", "", "", "print the version"},
};

// A command line read as an option: which one, the word after it for an option that takes
// one, and for --user the command that follows.
struct GnuCommand {
  GnuOption option = GnuOption::None;
  std::string argument;
  std::string rest;
};

// The option that the command line (the arguments joined by spaces) is, spaces around it
// aside; None for any other command line. One that takes an argument counts whenever it
// starts the command line, so that a mistyped --diff never reads as a switch.
GnuCommand GnuCommandOf(const std::string& commandLine);

// At start-up, before anything else: a command line that begins with --user USER makes
// the rest of the run act as USER (setting::ActAs). A status to end with when it cannot,
// or when what follows is not a switch or an option it goes with.
std::optional<int> TakeGnuUser(Runtime& runtime);

// Where the runtime takes options and the command line is one: carries it out on the
// win.ini that IniPath names, writing nothing, and gives the exit status. Its answer goes
// to standard output; a complaint (State: a Windows directory that is missing or not one,
// or a file that cannot be read) to standard error, with status 1. Nothing for any other
// command line.
std::optional<int> RunGnuOption(Runtime& runtime);

}  // namespace tavrel::control
