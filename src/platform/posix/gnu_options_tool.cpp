// Build tool: what the options' table (control/gnu_options.h) makes beyond the usage.
//   gnu_options_tool names                    every name, one a line, as the tests want them
//   gnu_options_tool completion TEMPLATE OUT  the bash completion: TEMPLATE with @OPTIONS@,
//                                             @ARGUMENTS@ (an option's argument) and
//                                             @AFTER_USER@ (what may follow --user) filled in
//   gnu_options_tool manual PAGE              fails, saying what differs, unless the manual
//                                             page's list of options is the table's
#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "control/gnu_options.h"

namespace {

using tavrel::control::GnuOptionRow;
using tavrel::control::kGnuOptions;

// Each row's alias (where it has one), then its name.
std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (const GnuOptionRow& row : kGnuOptions) {
    if (*row.alias != '\0') names.emplace_back(row.alias);
    names.emplace_back(row.name);
  }
  return names;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

std::string Read(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Replace(std::string* text, const std::string& marker, const std::string& by) {
  const std::size_t at = text->find(marker);
  if (at != std::string::npos) text->replace(at, marker.size(), by);
}

bool Completion(const char* templatePath, const char* outPath) {
  std::string arguments, afterUser = "/on /off";
  for (const GnuOptionRow& row : kGnuOptions) {
    if (row.withUser) afterUser += " " + std::string(row.name);
    if (*row.argument == '\0') continue;
    arguments += "    " + std::string(row.name) + ") mapfile -t COMPREPLY < <(compgen " +
                 row.words + " -- \"$word\"); return ;;\n";
  }
  std::string text = Read(templatePath);
  Replace(&text, "@OPTIONS@", Joined(Names()));
  Replace(&text, "@ARGUMENTS@\n", arguments);
  Replace(&text, "@AFTER_USER@", afterUser);
  return static_cast<bool>(std::ofstream(outPath, std::ios::binary) << text);
}

// The options a roff line names (\-\-state is --state), in order; not the hyphens inside
// a word (tavrel\-window).
std::vector<std::string> OptionsIn(const std::string& line) {
  static const std::regex kOption(R"((^|[^A-Za-z0-9])((\\-){1,2}[A-Za-z0-9]+(\\-[A-Za-z0-9]+)*))");
  std::vector<std::string> found;
  for (std::sregex_iterator at(line.begin(), line.end(), kOption), end; at != end; ++at)
    found.push_back(std::regex_replace(at->str(2), std::regex(R"(\\-)"), "-"));
  return found;
}

// The entries of section OPTIONS (the line after each .TP) name the table's options in its
// order; SYNOPSIS names every option; no line names one that the table does not have
// (literal displays, .nf to .fi, aside: a diff's lines start with hyphens too).
bool Manual(const char* path) {
  const std::vector<std::string> names = Names();
  std::vector<std::string> listed, synopsis, unknown;
  std::istringstream page(Read(path));
  std::string line, section;
  bool tag = false, literal = false;
  while (std::getline(page, line)) {
    if (line.rfind(".SH ", 0) == 0) section = line.substr(4);
    if (line == ".nf" || line == ".fi") literal = line == ".nf";
    if (literal) continue;
    for (const std::string& option : OptionsIn(line)) {
      if (tag && section == "OPTIONS") listed.push_back(option);
      if (section == "SYNOPSIS") synopsis.push_back(option);
      if (std::find(names.begin(), names.end(), option) == names.end()) unknown.push_back(option);
    }
    tag = line == ".TP";
  }
  bool agree = listed == names && unknown.empty();
  for (const GnuOptionRow& row : kGnuOptions)
    agree = agree && std::find(synopsis.begin(), synopsis.end(), row.name) != synopsis.end();
  if (!agree) {
    std::cerr << path << ": the options are " << Joined(names) << "; OPTIONS lists "
              << Joined(listed) << ", SYNOPSIS names " << Joined(synopsis)
              << ", unknown: " << Joined(unknown) << "\n";
  }
  return agree;
}

int Run(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "names" && argc == 2) {
    for (const std::string& name : Names()) std::cout << name << "\n";
    return 0;
  }
  if (command == "completion" && argc == 4) return Completion(argv[2], argv[3]) ? 0 : 1;
  if (command == "manual" && argc == 3) return Manual(argv[2]) ? 0 : 1;
  std::cerr << "usage: gnu_options_tool names | completion TEMPLATE OUT | manual PAGE\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (...) {
    return 1;
  }
}
