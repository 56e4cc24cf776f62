#include "control/message_quote.h"

#include <gtest/gtest.h>

namespace tavrel::control {
namespace {

TEST(QuoteInMessage, KeepsPrintableTextAndEscapesTheRestOnOneLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"/home/ann/.wine/drive_c/windows/win.ini", "/home/ann/.wine/drive_c/windows/win.ini"},
      {"", "\"\""},
      {"/srv/My Prefix/'x'", "/srv/My Prefix/'x'"},
      {"/srv/caf\xC3\xA9/\xE2\x82\xAC/\xF0\x9F\x8D\xB7",
       "/srv/caf\xC3\xA9/\xE2\x82\xAC/\xF0\x9F\x8D\xB7"},
      {"/a\nb", "\"/a\\nb\""},
      {"/a\r\t\a\b\f\v", "\"/a\\r\\t\\a\\b\\f\\v\""},
      {"/\x1B[2J/\x7F", "\"/\\033[2J/\\177\""},
      {std::string("/\0/", 3), "\"/\\000/\""},
      {"/q\"/b\\", "\"/q\\\"/b\\\\\""},
      {"/\xFF\xC3", "\"/\\377\\303\""},  // invalid bytes, a truncated sequence
      {"/\xC0\xAF/\xED\xA0\x80", "\"/\\300\\257/\\355\\240\\200\""},  // overlong, surrogate
      {"/\xC2\x9B", "\"/\\302\\233\""},                               // C1 control CSI
      {"/\xE2\x80\xA8/\xE2\x80\xAE",
       "\"/\\342\\200\\250/\\342\\200\\256\""},  // separator, override
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(QuoteInMessage(text), quoted) << text;
}

}  // namespace
}  // namespace tavrel::control
