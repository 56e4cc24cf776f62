// The options that scripts and shells expect of a Linux program. A command line whose
// first word begins with "--" or is "-h" (spaces around it aside) is read as options, as
// getopt_long reads arguments; every other command line keeps the switches' meaning.
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
  bool withUser;         // whether it may go with --user USER, as /on and /off may
  const char* name;      // "--state"
  const char* alias;     // a short name ("-h"), or ""
  const char* argument;  // the word after it, as the usage calls it ("USER"), or ""
  const char* words;     // what bash offers for that word: compgen's options ("-u"), or ""
  const char* help;      // the usage's description; each '\n' starts a further line
};

inline constexpr GnuOptionRow kGnuOptions[] = {
    {GnuOption::State, true, "--state", "", "", "",
     "print enabled, disabled or unread (the key holds no value);\n"
     "a file or directory it cannot look at is an error"},
    {GnuOption::Path, true, "--path", "", "", "",
     "print the path of the win.ini that switches and --state use"},
    {GnuOption::Diff, true, "--diff", "", "SWITCH", "-W '/on /off'",
     "print the change that the switch /on or /off would make,\n"
     "byte for byte as diff -u prints it, writing nothing"},
    {GnuOption::User, false, "--user", "", "USER", "-u",
     "act as the account USER from the start, with its rights and\n"
     "its home (only root may name another account than its own)"},
    {GnuOption::Help, false, "--help", "-h", "", "", "print this text"},
    {GnuOption::Version, false, "--version", "", "", "", "print the version"},
};

// An option line as read: what it asks for (None: the switch `switchOn` says), the switch
// after --diff, the account after --user (`user`, when `asUser`), or why it cannot be
// carried out as given (`wrong`, naming the option or word at fault).
struct GnuCommand {
  GnuOption option = GnuOption::None;
  bool switchOn = false;
  std::string argument;
  bool asUser = false;
  std::string user;
  std::string wrong;
};

// Whether the command line is an option line: its first word, spaces before it aside,
// begins with "--" or is "-h".
bool IsOptionLine(const std::string& commandLine);

// Reads an option line: its words are those between single spaces (so `--user ""` names
// an empty account), each option named in full or by a prefix that fits no other, with its
// argument after '=' or as the next word; "--" ends the options; the one other word it may
// hold is /on or /off, alone or after --user.
GnuCommand GnuCommandOf(const std::string& commandLine);

// Carries out an option line where the runtime takes options: first --user (setting::ActAs),
// then the option, on the win.ini that IniPath then names, writing nothing. The exit status;
// nothing when what is left to do is the switch `switchOn`, which writes. The answer goes to
// standard output, escaped where that is a terminal; a complaint to standard error: status 2
// for an option line given wrong (naming what, pointing to --help), 1 for a failure.
std::optional<int> RunOptionLine(Runtime& runtime, bool* switchOn);

}  // namespace tavrel::control
