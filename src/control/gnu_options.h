// The options that scripts and shells expect of a Linux program. Each counts only when
// it is the whole command line, so every other command line keeps its meaning.
#pragma once

#include <string>

namespace tavrel::control {

enum class GnuOption { None, Help, Version, State, Path };

// The option that the command line (the arguments joined by spaces) is exactly; None
// for any other command line.
GnuOption GnuOptionOf(const std::string& commandLine);

// What an option gives: the text for standard output, or, when it failed, the complaint
// (one line, without the program's name) for standard error and status 1.
struct GnuOptionResult {
  std::string output;
  std::string complaint;
};

// Carries out the option on the win.ini that IniPath names; none writes. State reads the
// key as the window does, but only a file that could be looked at answers: a Windows
// directory that is missing or not one, or a file that cannot be read, is a complaint.
GnuOptionResult GnuOptionOutput(GnuOption option);

}  // namespace tavrel::control
