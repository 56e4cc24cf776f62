#include <gtest/gtest.h>

#include <string>

#include "profile/profile.h"
#include "support/splice.h"

namespace tavrel::profile {
namespace {

using namespace std::string_literals;

const char* const kSection = "Microsoft Proxy Service";
const char* const kKey = "Disable";

struct WriteCase {
  const char* name;
  std::string before;
  std::string value;
  SpliceOutcome outcome;
  std::string after;
  friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class ProfileWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, ChangesOnlyTheKey) {
  const WriteCase& c = GetParam();
  const Splice splice = SetProfileString(c.before, kSection, kKey, c.value);
  ASSERT_EQ(splice.outcome, c.outcome);
  if (c.outcome == SpliceOutcome::Refused) return;
  const std::string after = test::Applied(c.before, splice);
  EXPECT_EQ(after, c.after);
  EXPECT_EQ(GetProfileString(after, kSection, kKey, "", 50).text, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Splices, ProfileWrite,
    testing::Values(
        WriteCase{"new_file", "", "1", SpliceOutcome::Changed,
                  "[Microsoft Proxy Service]\r\nDisable=1\r\n"},
        WriteCase{"replace_keeps_spacing",
                  "[a]\r\nx=1\r\n[microsoft proxy service]\r\n disable \t= 0 ;c\r\n", "1",
                  SpliceOutcome::Changed,
                  "[a]\r\nx=1\r\n[microsoft proxy service]\r\n disable \t= 1\r\n"},
        WriteCase{"replace_quoted", "[Microsoft Proxy Service]\nDisable=\"0\"\n", "1",
                  SpliceOutcome::Changed, "[Microsoft Proxy Service]\nDisable=1\n"},
        WriteCase{"replace_empty", "[Microsoft Proxy Service]\nDisable=  \n", "0",
                  SpliceOutcome::Changed, "[Microsoft Proxy Service]\nDisable=0  \n"},
        WriteCase{"key_without_equals", "[Microsoft Proxy Service]\n Disable \nX=1\n", "1",
                  SpliceOutcome::Changed, "[Microsoft Proxy Service]\n Disable=1 \nX=1\n"},
        WriteCase{"same_value", "[Microsoft Proxy Service]\r\nDisable=1\r\n", "1",
                  SpliceOutcome::Unchanged, "[Microsoft Proxy Service]\r\nDisable=1\r\n"},
        WriteCase{"add_after_last_key_lf", "[Microsoft Proxy Service]\nA=1\n\n;end\n\n[b]\nc=2\n",
                  "1", SpliceOutcome::Changed,
                  "[Microsoft Proxy Service]\nA=1\n\n;end\nDisable=1\n\n[b]\nc=2\n"},
        WriteCase{"add_after_header_cr", "[Microsoft Proxy Service]\r[b]\r", "0",
                  SpliceOutcome::Changed, "[Microsoft Proxy Service]\rDisable=0\r[b]\r"},
        WriteCase{"add_without_final_break", "[Microsoft Proxy Service]\r\nA=1", "1",
                  SpliceOutcome::Changed, "[Microsoft Proxy Service]\r\nA=1\r\nDisable=1"},
        WriteCase{
            "add_to_first_of_duplicates",
            "[Microsoft Proxy Service]\nA=1\n[Microsoft Proxy Service]\nDisable=0\n", "1",
            SpliceOutcome::Changed,
            "[Microsoft Proxy Service]\nA=1\nDisable=1\n[Microsoft Proxy Service]\nDisable=0\n"},
        WriteCase{"append_section_lf", "[a]\nx=1\n", "1", SpliceOutcome::Changed,
                  "[a]\nx=1\n[Microsoft Proxy Service]\nDisable=1\n"},
        WriteCase{"append_section_no_final_break", "[a]\r\nx=1", "0", SpliceOutcome::Changed,
                  "[a]\r\nx=1\r\n[Microsoft Proxy Service]\r\nDisable=0\r\n"},
        WriteCase{"nul_bytes_elsewhere_kept", "k=\0\n[Microsoft Proxy Service]\nDisable=0\0x\n"s,
                  "1", SpliceOutcome::Changed, "k=\0\n[Microsoft Proxy Service]\nDisable=1\n"s},
        WriteCase{"utf8_mark_kept", "\xEF\xBB\xBF[a]\nx=\xC3\xA9\n", "1", SpliceOutcome::Changed,
                  "\xEF\xBB\xBF[a]\nx=\xC3\xA9\n[Microsoft Proxy Service]\nDisable=1\n"},
        WriteCase{"utf16le", "\xFF\xFE[\0a\0]\0\r\0\n\0"s, "1", SpliceOutcome::Changed,
                  "\xFF\xFE[\0a\0]\0\r\0\n\0[\0M\0i\0c\0r\0o\0s\0o\0f\0t\0 \0P\0r\0o\0x\0y\0 \0"
                  "S\0e\0r\0v\0i\0c\0e\0]\0\r\0\n\0D\0i\0s\0a\0b\0l\0e\0=\0"
                  "1\0\r\0\n\0"s},
        WriteCase{"utf16_odd_length_refused", "\xFF\xFE[\0a\0]\0x"s, "1", SpliceOutcome::Refused,
                  ""},
        WriteCase{"value_with_break_refused", "", "1\r\nX=2", SpliceOutcome::Refused, ""},
        WriteCase{"quoted_value_refused", "", "\"1\"", SpliceOutcome::Refused, ""},
        WriteCase{"non_ascii_value_refused", "\xFF\xFE", "\xFF", SpliceOutcome::Refused, ""}),
    [](const auto& test) { return std::string(test.param.name); });

// Every line but the key's keeps its bytes, whatever the value written.
TEST(ProfileWrite, KeepsEveryOtherKey) {
  const std::string file =
      "; header\r\n[Other]\r\nDisable=7\r\n[Microsoft Proxy Service]\r\nPort = 80\r\n"
      "Disable=0\r\nHost=\"a b\"\r\n";
  const Splice splice = SetProfileString(file, kSection, kKey, "1");
  ASSERT_EQ(splice.outcome, SpliceOutcome::Changed);
  const std::string after = test::Applied(file, splice);
  EXPECT_EQ(GetProfileString(after, "Other", kKey, "", 50).text, "7");
  EXPECT_EQ(GetProfileString(after, kSection, "Port", "", 50).text, "80");
  EXPECT_EQ(GetProfileString(after, kSection, "Host", "", 50).text, "a b");
  std::string expected = file;
  expected.replace(expected.find("Disable=0") + 8, 1, "1");
  EXPECT_EQ(after, expected);
}

}  // namespace
}  // namespace tavrel::profile
