// The options that scripts and shells expect of a Linux program. Each counts only when
// it is the whole command line, so every other command line keeps its meaning.
#pragma once

#include <string>

namespace tavrel::control {

enum class GnuOption { None, Help, Version, State };

// The option that the command line (the arguments joined by spaces) is exactly; None
// for any other command line.
GnuOption GnuOptionOf(const std::string& commandLine);

// What the option prints on standard output. State reads the key as the window does and
// never writes.
std::string GnuOptionOutput(GnuOption option);

}  // namespace tavrel::control
