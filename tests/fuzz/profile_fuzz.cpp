// Fuzzes our profile-file code with arbitrary file bytes, section, key and value.
// After a write that was made: the read gives the value written, every line but the
// key's own is kept byte for byte, and writing the same value again changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "profile/profile.h"
#include "profile/profile_text.h"
#include "support/splice.h"

namespace {

using tavrel::profile::DecodeProfile;
using tavrel::profile::GetProfileString;
using tavrel::profile::SetProfileString;
using tavrel::profile::SpliceOutcome;

void Require(bool condition) {
  if (!condition) std::abort();
}

// The change from `before` to `after` is one run of text that holds no line break
// replaced by another: so no other line lost or changed a byte.
void RequireOneLineChanged(const std::u16string& before, const std::u16string& after) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  const std::u16string removed = before.substr(head, before.size() - head - tail);
  Require(removed.find_first_of(u"\r\n") == std::u16string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(40);
  const std::string key = input.ConsumeRandomLengthString(20);
  const std::string value = input.ConsumeRandomLengthString(20);
  const std::string file = input.ConsumeRemainingBytesAsString();

  GetProfileString(file, section, key, "0", 50);
  const auto first = SetProfileString(file, section, key, value);
  if (first.outcome == SpliceOutcome::Refused) return 0;
  const std::string written = tavrel::test::Applied(file, first);

  const auto read = GetProfileString(written, section, key, "", value.size() + 2);
  Require(read.text == value && read.count == value.size());
  RequireOneLineChanged(DecodeProfile(file).units, DecodeProfile(written).units);
  Require(DecodeProfile(file).mark == DecodeProfile(written).mark);
  Require(SetProfileString(written, section, key, value).outcome == SpliceOutcome::Unchanged);
  return 0;
}
