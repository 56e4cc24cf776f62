// The options that scripts and shells expect of a Linux program. Each counts only when
// it is the whole command line, spaces around it aside, so every other command line
// keeps its meaning.
#pragma once

#include <optional>
#include <string>

#include "control/runtime.h"

namespace tavrel::control {

enum class GnuOption { None, State, Path, Help, Version };

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
    {GnuOption::Help, "--help", "-h", "", "", "print this text"},
    {GnuOption::Version, "--version", "", "", "", "print the version"},
};

// The option whose name or alias the command line (the arguments joined by spaces) is,
// spaces around it aside; None for any other command line. An option with an argument
// reads it from the command line itself.
GnuOption GnuOptionOf(const std::string& commandLine);

// Where the runtime takes options and the command line is one: carries it out on the
// win.ini that IniPath names, writing nothing, and gives the exit status. Its answer goes
// to standard output; a complaint (State: a Windows directory that is missing or not one,
// or a file that cannot be read) to standard error, with status 1. Nothing for any other
// command line.
std::optional<int> RunGnuOption(Runtime& runtime);

}  // namespace tavrel::control
