// Compares our profile-file code with the platform's own GetPrivateProfileStringA, run
// under Wine through a small probe: every golden file is read by both, written by ours,
// and read again through kernel32, key by key. A Unicode file's non-ASCII values differ
// by design: the platform converts them to the ANSI code page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <vector>

#include "profile/profile.h"
#include "profile/profile_text.h"
#include "setting/proxy_client_state.h"
#include "support/splice.h"
#include "support/temp_dir.h"

namespace tavrel::profile {
namespace {

using setting::ProfileString;

const std::string kSection = "Microsoft Proxy Service", kKey = "Disable";

struct Query {
  std::string section, key;
  std::size_t size;
};

std::string Env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out = bytes.empty() ? "-" : "";
  for (const char c : bytes) out += {kDigits[(c >> 4) & 15], kDigits[c & 15]};
  return out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

std::string WindowsPath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

std::string Lower(std::string s) {
  for (char& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return s;
}

ProfileString NextRead(std::istream& answers) {
  std::size_t count = 0;
  std::string hex;
  answers >> count >> hex;
  return {count, Unhex(hex)};
}

// Every key the platform lists, by lower-case section and key, with what it reads.
using Dump = std::map<std::pair<std::string, std::string>, ProfileString>;

Dump NextDump(std::istream& answers) {
  Dump dump;
  std::string tag, section, name;
  while (answers >> tag && tag != "E" && answers >> name) {
    if (tag == "S") section = Lower(Unhex(name));
    if (tag == "K") dump.emplace(std::make_pair(section, Lower(Unhex(name))), NextRead(answers));
  }
  return dump;
}

// The golden cases, each with its read of the switch and any further reads listed.
std::map<std::string, std::vector<Query>> Cases() {
  std::map<std::string, std::vector<Query>> cases;
  std::istringstream index(test::ReadBytes(Env("TAVREL_GOLDEN") + "/index"));
  std::istringstream more(test::ReadBytes(Env("TAVREL_GOLDEN") + "/differential_queries"));
  std::string line, name, section, key, size;
  while (std::getline(index, line)) {
    std::istringstream fields(line);
    if (line[0] != '#' && fields >> name >> size)
      cases[name].push_back({kSection, kKey, std::stoul(size)});
  }
  while (std::getline(more, line)) {
    std::istringstream fields(line);
    if (line[0] != '#' && std::getline(fields, name, '|') && std::getline(fields, section, '|') &&
        std::getline(fields, key, '|') && std::getline(fields, size)) {
      cases.at(name).push_back({section, key, std::stoul(size)});
    }
  }
  return cases;
}

TEST(ProfileDifferential, ReadsAndWritesAgreeWithKernel32) {
  ASSERT_FALSE(Env("TAVREL_PROBE").empty()) << "run through ctest";
  const auto cases = Cases();
  ASSERT_GT(cases.size(), 40u);
  test::TempDir dir;
  std::ostringstream commands;
  const auto get = [&](const std::string& file, const Query& q) {
    commands << "get " << Hex(WindowsPath(file)) << ' ' << Hex(q.section) << ' ' << Hex(q.key)
             << ' ' << q.size << '\n';
  };
  for (const auto& [name, queries] : cases) {
    const std::string bytes = test::ReadBytes(Env("TAVREL_GOLDEN") + "/" + name + ".ini");
    test::WriteBytes(dir / (name + ".ini"), bytes);
    for (const Query& q : queries) get(dir / (name + ".ini"), q);
    for (const char* value : {"0", "1"}) {
      const std::string file = dir / (name + "-" + value + ".ini");
      test::WriteBytes(file, test::Applied(bytes, SetProfileString(bytes, kSection, kKey, value)));
      get(file, {kSection, kKey, 50});
    }
  }
  test::WriteBytes(dir / "commands", commands.str());
  const std::string wine = "wine \"" + Env("TAVREL_PROBE") + "\" '" +
                           WindowsPath(dir / "commands") + "' > '" + (dir / "answers") + "'";
  ASSERT_EQ(std::system(wine.c_str()), 0) << wine;
  std::istringstream answers(test::ReadBytes(dir / "answers"));

  for (const auto& [name, queries] : cases) {
    SCOPED_TRACE(name);
    const std::string bytes = test::ReadBytes(dir / (name + ".ini"));
    const auto agree = [&](const Query& q, const ProfileString& platform) {
      const std::string text = GetProfileString(bytes, q.section, q.key, "?default?", q.size);
      const ProfileString ours{text.size(), text};
      const bool converted =
          UnitView(bytes).MarkSize() > 0 &&
          std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
      if (!converted) {
        EXPECT_EQ(ours, platform) << "[" << q.section << "] " << q.key << ' ' << q.size;
      }
    };
    Dump before;
    for (const Query& q : queries) {
      agree(q, NextRead(answers));
      before = NextDump(answers);
    }
    for (const auto& [where, platform] : before) agree({where.first, where.second, 50}, platform);
    for (const char* value : {"0", "1"}) {
      const ProfileString read = NextRead(answers);
      Dump after = NextDump(answers);
      if (SetProfileString(bytes, kSection, kKey, value).outcome == SpliceOutcome::Refused)
        continue;
      EXPECT_EQ(read, (ProfileString{1, value})) << "written " << value;
      Dump expected = before;
      expected[{Lower(kSection), Lower(kKey)}] = after[{Lower(kSection), Lower(kKey)}] = read;
      EXPECT_EQ(after, expected) << "other keys changed by writing " << value;
    }
  }
}

}  // namespace

}  // namespace tavrel::profile

namespace tavrel::setting {

void PrintTo(const ProfileString& s, std::ostream* os) { *os << s.count << " \"" << s.text << '"'; }

}  // namespace tavrel::setting
