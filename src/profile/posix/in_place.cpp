#include <cerrno>

#include "profile/posix/commit.h"
#include "profile/posix/hold.h"

namespace tavrel::profile {

int Overwrite(Target& file, std::string_view bytes, const Splice& splice) {
  const std::string_view now = bytes.substr(splice.begin, splice.end - splice.begin);
  const std::string_view want = splice.insert;
  std::size_t first = 0;
  while (first < want.size() && want[first] == now[first]) ++first;
  std::size_t last = want.size();
  while (last > first && want[last - 1] == now[last - 1]) --last;
  const std::size_t at = splice.begin + first;
  if (const int changed = StillAsRead(&file, bytes, at, splice.begin + last)) return changed;
  if (const int error =
          WriteAll(file.fd.get(), static_cast<off_t>(at), {want.substr(first, last - first)})) {
    return error;
  }
  return fdatasync(file.fd.get()) == 0 ? 0 : errno;
}

}  // namespace tavrel::profile
