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

using namespace tavrel::profile;

void Require(bool condition) {
  if (!condition) std::abort();
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
  Require(read == value);
  // Only whole units of the key's own line are replaced: no line break, not the mark.
  const UnitView view(file);
  const std::size_t unit = view.ByteOffset(1) - view.ByteOffset(0), mark = view.MarkSize();
  const bool changed = first.outcome == SpliceOutcome::Changed;
  Require(!changed || (first.begin >= mark && (first.begin - mark) % unit == 0 &&
                       (first.end - mark) % unit == 0));
  for (std::size_t i = (first.begin - mark) / unit; changed && i < (first.end - mark) / unit; ++i) {
    Require(view.At(i) != u'\r' && view.At(i) != u'\n');
  }
  Require(SetProfileString(written, section, key, value).outcome == SpliceOutcome::Unchanged);
  return 0;
}
