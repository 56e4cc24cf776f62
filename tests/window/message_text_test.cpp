#include "window/message_text.h"

#include <gtest/gtest.h>

namespace tavrel::window {
namespace {

using Lines = std::vector<std::vector<std::string>>;

TEST(MessageText, SplitsLinesAndTabs) {
  EXPECT_EQ(MessageLines("a \r\nb\r\n\r\n/on\tx y\r\n/?\tz"),
            (Lines{{"a "}, {"b"}, {""}, {"/on", "x y"}, {"/?", "z"}}));
  EXPECT_EQ(MessageLines("a\nb\rc\t\td"), (Lines{{"a"}, {"b"}, {"c", "", "d"}}));
}

}  // namespace
}  // namespace tavrel::window
