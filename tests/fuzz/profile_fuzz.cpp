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

using tavrel::profile::GetProfileString;
using tavrel::profile::SetProfileString;
using tavrel::profile::SpliceOutcome;
using tavrel::profile::UnitView;

void Require(bool condition) {
  if (!condition) std::abort();
}

// The change from `before` to `after` is one run of text that holds no line break
// replaced by another: so no other line lost or changed a byte.
void RequireOneLineChanged(const UnitView& before, const UnitView& after) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before.At(head) == after.At(head)) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before.At(before.size() - 1 - tail) == after.At(after.size() - 1 - tail)) {
    ++tail;
  }
  const std::size_t removed = before.size() - tail;
  Require(before.Find(u'\r', head, removed) == removed &&
          before.Find(u'\n', head, removed) == removed);
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
  const UnitView before(file), after(written);
  RequireOneLineChanged(before, after);
  Require(before.encoding() == after.encoding() &&
          file.substr(0, before.MarkSize()) == written.substr(0, after.MarkSize()));
  Require(SetProfileString(written, section, key, value).outcome == SpliceOutcome::Unchanged);
  return 0;
}
