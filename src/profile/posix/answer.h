// What every phase of a read or a write gives back: an error number, the system's or one
// of the run's own below, and in an Answer whatever it has to say besides.
#pragma once

#include <string>

namespace tavrel::profile {

// The run's own error numbers, beyond the system's (see ErrorText).
constexpr int kChangedWhileRead = 4096;  // another program changed win.ini at every try
constexpr int kRefused = 4097;           // the rules of a run as root refuse a name (rights.h)
constexpr int kPending = 4098;           // an interrupted write is pending, not recoverable here
constexpr int kReadOnlyFile = 4099;      // win.ini has no write bit for anyone

struct Answer {
  std::string out;     // a value read, or a diff
  std::string why;     // why it failed, where the error number alone does not tell
  std::string notice;  // worth telling even when nothing failed
};

}  // namespace tavrel::profile
