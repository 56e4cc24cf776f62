// Runs every case listed in golden/index: the switch read from NAME.ini with the buffer
// size given must be NAME.read; writing 1 (/off) and 0 (/on) must give the outcome given
// and, for a change, the bytes of NAME.off and NAME.on. The odd bytes live in data files.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "profile/profile.h"
#include "support/splice.h"
#include "support/temp_dir.h"

namespace tavrel::profile {
namespace {

using namespace std::string_view_literals;

const char *const kSection = "Microsoft Proxy Service", *const kKey = "Disable";
const char* const kOutcomes[] = {"changed", "unchanged", "refused"};

std::string Golden(const std::string& name) {
  return test::ReadBytes(TAVREL_PROFILE_GOLDEN "/" + name);
}

TEST(ProfileGolden, ReadsAndWritesEveryCase) {
  std::istringstream index(Golden("index"));
  std::string line, name, off, on;
  int cases = 0;
  while (std::getline(index, line)) {
    std::istringstream fields(line);
    std::size_t size = 0;
    if (line[0] == '#' || !(fields >> name >> size >> off >> on)) continue;
    SCOPED_TRACE(name);
    ++cases;
    const std::string ini = Golden(name + ".ini");
    EXPECT_EQ(GetProfileString(ini, kSection, kKey, "dflt", size), Golden(name + ".read"));
    for (const auto& [value, outcome, expected] :
         {std::tuple{"1", off, ".off"}, {"0", on, ".on"}}) {
      const Splice splice = SetProfileString(ini, kSection, kKey, value);
      EXPECT_EQ(kOutcomes[static_cast<int>(splice.outcome)], outcome) << "writing " << value;
      if (splice.outcome == SpliceOutcome::Changed) {
        EXPECT_EQ(test::Applied(ini, splice), Golden(name + expected)) << "writing " << value;
      }
    }
  }
  EXPECT_GT(cases, 40);
}

// Names match in either ASCII case, and only letters fold ('@' is not '`').
TEST(ProfileGolden, NamesFoldOnlyAsciiLetters) {
  EXPECT_EQ(GetProfileString("[az]\nZA=1\n", "AZ", "za", "", 50), "1");
  EXPECT_EQ(GetProfileString("[@]\nk=2\n", "`", "k", "", 50), "");
}

}  // namespace
}  // namespace tavrel::profile
