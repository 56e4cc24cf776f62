#include "setting/proxy_client_state.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tavrel::setting {

// A failure names the states.
void PrintTo(ProxyClientState state, std::ostream* out) { *out << NameOf(state); }

namespace {

TEST(ProxyClientState, ReadsTheLeadingNumber) {
  const auto D = ProxyClientState::Disabled, E = ProxyClientState::Enabled,
             U = ProxyClientState::Unread;
  // The value, the decimal separator, the state. Nothing read (the empty value) is Unread.
  const std::tuple<std::string, const char*, ProxyClientState> cases[] = {
      {"1", ".", D},   {"01", ".", D},      {"+1", ".", D},   {" 1 ", ".", D},
      {"1.0", ".", D}, {"1 ;note", ".", D}, {"1,00", ",", D}, {"1x", ".", D},
      {"0", ".", E},   {"2", ".", E},       {"-1", ".", E},   {"1.5", ".", E},
      {"1,5", ",", E}, {"11", ".", E},      {"10", ".", E},   {"abc", ".", E},
      {"\t1", ".", E}, {"+-1", ".", E},     {".1", ".", E},   {"C:/windows/win.ini", ".", E},
      {"", ".", U},
  };
  for (const auto& [value, separator, state] : cases) {
    EXPECT_EQ(StateFromValue({value.size(), value}, separator), state) << value;
  }
}

}  // namespace
}  // namespace tavrel::setting
