// Text from outside the program (a path, a loader's error, a file's lines) as it may reach
// a terminal: a message always on one line, an answer with nothing that a terminal would
// act on.
#pragma once

#include <string>
#include <string_view>

namespace tavrel::control {

// The text itself when it holds only printable characters (valid UTF-8 included) and no
// quote or backslash; otherwise the text in double quotes with C escapes: \n, \t and the
// like, \" and \\, and \ooo (octal) for every other control character, for each byte of a
// C1 control, line or paragraph separator or bidirectional override, and for every byte
// that is not valid UTF-8 (GNU quotearg's c-maybe style). Empty text is "" in quotes.
std::string QuoteInMessage(std::string_view text);

// "cannot VERB PATH: REASON" about win.ini (setting::IniPath), each quoted as above.
std::string AboutIni(const char* verb, const std::string& reason);

// An answer as a terminal should show it, as less shows a file: each control character but
// TAB, LF and a CR before LF in caret notation (^[, ^@, ^M, ^? for DEL), a C1 control,
// separator or override as <U+XXXX>, a byte that is not valid UTF-8 as <XX>.
std::string ShownOnTerminal(std::string_view text);

}  // namespace tavrel::control
