#include "setting/proxy_client_state.h"

#include <gtest/gtest.h>

namespace tavrel::setting {
namespace {

struct StateCase {
  std::string value;
  std::string separator;
  ProxyClientState state;
};

TEST(ProxyClientState, ReadsTheLeadingNumber) {
  const StateCase cases[] = {
      {"1", ".", ProxyClientState::Disabled},
      {"01", ".", ProxyClientState::Disabled},
      {"+1", ".", ProxyClientState::Disabled},
      {" 1 ", ".", ProxyClientState::Disabled},
      {"1.0", ".", ProxyClientState::Disabled},
      {"1 ;note", ".", ProxyClientState::Disabled},
      {"1,00", ",", ProxyClientState::Disabled},
      {"1x", ".", ProxyClientState::Disabled},
      {"0", ".", ProxyClientState::Enabled},
      {"2", ".", ProxyClientState::Enabled},
      {"-1", ".", ProxyClientState::Enabled},
      {"1.5", ".", ProxyClientState::Enabled},
      {"1,5", ",", ProxyClientState::Enabled},
      {"11", ".", ProxyClientState::Enabled},
      {"10", ".", ProxyClientState::Enabled},
      {"abc", ".", ProxyClientState::Enabled},
      {"\t1", ".", ProxyClientState::Enabled},
      {"+-1", ".", ProxyClientState::Enabled},
      {".1", ".", ProxyClientState::Enabled},
      {"C:/windows/win.ini", ".", ProxyClientState::Enabled},
  };
  for (const StateCase& c : cases) {
    EXPECT_EQ(StateFromValue({c.value.size(), c.value}, c.separator), c.state) << c.value;
  }
}

TEST(ProxyClientState, NothingReadIsUnread) {
  EXPECT_EQ(StateFromValue({0, ""}, "."), ProxyClientState::Unread);
}

}  // namespace
}  // namespace tavrel::setting
