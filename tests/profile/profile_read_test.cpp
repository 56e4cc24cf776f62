#include <gtest/gtest.h>

#include <string>

#include "profile/profile.h"

namespace tavrel::profile {
namespace {

using namespace std::string_literals;

struct ReadCase {
  const char* name;
  std::string file;
  std::string section;
  std::string key;
  std::size_t size;
  std::size_t count;
  std::string text;
  friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

std::string Utf16Le(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

const std::string kA49(49, 'a');

class ProfileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, DeliversWhatThePlatformDelivers) {
  const ReadCase& c = GetParam();
  const ProfileString read = GetProfileString(c.file, c.section, c.key, "dflt", c.size);
  EXPECT_EQ(read.count, c.count);
  EXPECT_EQ(read.text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileRead,
    testing::Values(ReadCase{"plain", "[s]\r\nk=1\r\n", "s", "k", 50, 1, "1"},
                    ReadCase{"case_blanks", "[ S\t]\n \tK \t=\t 1 \x1A\n", "s", "k", 50, 1, "1"},
                    ReadCase{"absent_key", "[s]\nj=1\n", "s", "k", 50, 4, "dflt"},
                    ReadCase{"absent_section", "[t]\nk=1\n", "s", "k", 50, 4, "dflt"},
                    ReadCase{"empty_file", "", "s", "k", 50, 4, "dflt"},
                    ReadCase{"empty_value", "[s]\nk=\n", "s", "k", 50, 0, ""},
                    ReadCase{"quotes_only", "[s]\nk=\"\"\n", "s", "k", 50, 0, ""},
                    ReadCase{"no_equals", "[s]\nk\n", "s", "k", 50, 4, "dflt"},
                    ReadCase{"quoted", "[s]\nk=\"1\"\n", "s", "k", 50, 1, "1"},
                    ReadCase{"single_quoted", "[s]\nk='1'\n", "s", "k", 50, 1, "1"},
                    ReadCase{"unmatched_quotes", "[s]\nk='1\"\n", "s", "k", 50, 3, "'1\""},
                    ReadCase{"lone_quote", "[s]\nk=\"\n", "s", "k", 50, 1, "\""},
                    ReadCase{"truncated", "[s]\nk=" + kA49 + "bcd\n", "s", "k", 50, 49, kA49},
                    ReadCase{"quoted_exact_fit", "[s]\nk=\"" + kA49 + "\"\n", "s", "k", 50, 48,
                             kA49.substr(1)},
                    ReadCase{"first_key_wins", "[s]\nk=1\nK=2\n", "s", "k", 50, 1, "1"},
                    ReadCase{"first_section_only", "[s]\nj=1\n[s]\nk=2\n", "s", "k", 50, 4, "dflt"},
                    ReadCase{"semicolon_is_no_comment", "[s]\n;k=1\nk=2\n", "s", ";k", 50, 1, "1"},
                    ReadCase{"cr_only", "[s]\rj=0\rk=1\r", "s", "k", 50, 1, "1"},
                    ReadCase{"nul_ends_value", "[s]\nk=1\0x\n"s, "s", "k", 50, 1, "1"},
                    ReadCase{"nul_ends_name", "[s\0x]\nk\0y=1\n"s, "s", "k", 50, 1, "1"},
                    ReadCase{"last_bracket", "[s]x]y\nk=1\n", "s]x", "k", 50, 1, "1"},
                    ReadCase{"open_header_is_key", "[s]\n[x=1\n", "s", "[x", 50, 1, "1"},
                    ReadCase{"key_before_sections", "k=1\n[s]\n", "", "k", 50, 4, "dflt"},
                    ReadCase{"second_equals_in_value", "[s]\nk = = 1\n", "s", "k", 50, 3, "= 1"},
                    ReadCase{"nbsp_is_not_blank",
                             "[s]\nk=\xA0"
                             "1\n",
                             "s", "k", 50, 2,
                             "\xA0"
                             "1"},
                    ReadCase{"utf8_mark", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", 50, 1, "1"},
                    ReadCase{"utf16le", Utf16Le(u"[s]\r\nk=1\r\n"), "s", "k", 50, 1, "1"},
                    ReadCase{"utf16le_odd", Utf16Le(u"[s]\r\nk=1\r\n") + "x", "s", "k", 50, 1, "1"},
                    ReadCase{"utf16be",
                             "\xFE\xFF\0[\0s\0]\0\n\0k\0=\0"
                             "2"s,
                             "s", "k", 50, 1, "2"},
                    ReadCase{"buffer_of_one", "[s]\nk=1\n", "s", "k", 1, 0, ""},
                    ReadCase{"buffer_of_none", "[s]\nk=1\n", "s", "k", 0, 0, ""}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace tavrel::profile
