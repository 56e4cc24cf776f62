// The file that a splice describes, for tests that compare whole files.
#pragma once

#include <string>
#include <string_view>

#include "profile/profile.h"

namespace tavrel::test {

inline std::string Applied(std::string_view bytes, const profile::Splice& splice) {
  if (splice.outcome != profile::SpliceOutcome::Changed) return std::string(bytes);
  return std::string(bytes.substr(0, splice.begin)) + splice.insert +
         std::string(bytes.substr(splice.end));
}

}  // namespace tavrel::test
