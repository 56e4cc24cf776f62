#include "setting/proxy_client_state.h"

#include "setting/spaces.h"

namespace tavrel::setting {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TakeDigits(std::string_view& text) {
  std::size_t n = 0;
  while (n < text.size() && IsDigit(text[n])) ++n;
  const std::string_view digits = text.substr(0, n);
  text.remove_prefix(n);
  return digits;
}

// Whether the text's leading number equals 1, compared as a number of any length.
bool LeadingNumberIsOne(std::string_view text, std::string_view decimalSeparator) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  std::string_view whole = TakeDigits(text);
  std::string_view fraction;
  if (!decimalSeparator.empty() && text.substr(0, decimalSeparator.size()) == decimalSeparator) {
    text.remove_prefix(decimalSeparator.size());
    fraction = TakeDigits(text);
  }
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  return !negative && whole == "1" && fraction.find_first_not_of('0') == std::string_view::npos;
}

}  // namespace

const char* NameOf(ProxyClientState state) {
  if (state == ProxyClientState::Disabled) return "disabled";
  return state == ProxyClientState::Enabled ? "enabled" : "unread";
}

ProxyClientState StateFromValue(const ProfileString& read, std::string_view decimalSeparator) {
  if (read.count == 0) return ProxyClientState::Unread;
  const std::string_view text = TrimSpaces(read.text);
  return LeadingNumberIsOne(text, decimalSeparator) ? ProxyClientState::Disabled
                                                    : ProxyClientState::Enabled;
}

}  // namespace tavrel::setting
