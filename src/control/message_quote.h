// Text from outside the program (a path, a loader's error) as it may appear in a message
// on standard error: always one line, with nothing that a terminal would act on.
#pragma once

#include <string>
#include <string_view>

namespace tavrel::control {

// The text itself when it holds only printable characters (valid UTF-8 included) and no
// quote or backslash; otherwise the text in double quotes with C escapes: \n, \t and the
// like, \" and \\, and \ooo (octal) for every other control character, for each byte of a
// C1 control, line or paragraph separator or bidirectional override, and for every byte
// that is not valid UTF-8 (GNU quotearg's c-maybe style).
std::string QuoteInMessage(std::string_view text);

}  // namespace tavrel::control
