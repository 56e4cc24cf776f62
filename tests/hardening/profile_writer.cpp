// Writes one key of a profile file through our profile code, once for each value
// given, in order: profile_writer FILE SECTION KEY VALUE... Exit status 1 when a
// write failed.
#include "profile/posix/profile_file.h"

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  int failed = 0;
  for (int i = 4; i < argc; ++i) {
    failed += tavrel::profile::WriteValue(argv[1], argv[2], argv[3], argv[i]).error == 0 ? 0 : 1;
  }
  return failed == 0 ? 0 : 1;
}
