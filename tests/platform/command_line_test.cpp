#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace tavrel::platform {
namespace {

TEST(CommandLine, IsWhatFollowsTheProgramsName) {
  const std::pair<const char*, const char*> cases[] = {
      {"Tavrel.exe", ""},
      {"Tavrel.exe /off", "/off"},
      {"Tavrel.exe\t/on", "\t/on"},
      {"Tavrel.exe   /off  ", "/off"},
      {"Tavrel.exe   ", ""},
      {"\"C:\\Program Files\\Tavrel\\Tavrel.exe\" /on /off", "/on /off"},
      {"\"C:\\Program Files\\Tavrel\\Tavrel.exe\"", ""},
      {"\"C:\\Tavrel.exe\"/off", "/off"},
      {"Tavrel.exe \"   \"", "\"   \""},
      {"\"C:\\unterminated /on", ""},
      {"", ""},
  };
  for (const auto& [line, arguments] : cases) EXPECT_EQ(ArgumentsOf(line), arguments) << line;
}

}  // namespace
}  // namespace tavrel::platform
