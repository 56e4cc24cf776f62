// What a read of the switch means.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel::setting {

enum class ProxyClientState { Disabled, Enabled, Unread };

// The state as --state prints it: "disabled", "enabled" or "unread".
const char* NameOf(ProxyClientState state);

// What a read delivered: the count of characters placed in the buffer and the text.
struct ProfileString {
  std::size_t count = 0;
  std::string text;
  friend bool operator==(const ProfileString& a, const ProfileString& b) {
    return a.count == b.count && a.text == b.text;
  }
};

// What a read or a write of the profile file has to tell besides its result.
struct ProfileReport {
  int error = 0;       // 0 when it succeeded, else the platform's number for why not
  std::string reason;  // why not, in words
  std::string notice;  // worth telling even when it succeeded
};

// Nothing read is Unread. Otherwise the value's leading number (optional sign, digits,
// optionally `decimalSeparator` and digits) after trimming spaces decides: exactly 1 is
// Disabled, any other number Enabled. Text after the number is ignored; text without a
// leading number counts as 0.
ProxyClientState StateFromValue(const ProfileString& read, std::string_view decimalSeparator);

}  // namespace tavrel::setting
