// Compares our profile-file code with the platform's own GetPrivateProfileStringA,
// run under Wine through a small probe: every fixture is read by both, written by
// ours, and read again through kernel32, key by key.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "profile/profile.h"
#include "support/splice.h"
#include "support/temp_dir.h"

namespace tavrel::profile {
namespace {

using namespace std::string_literals;

const std::string kSection = "Microsoft Proxy Service";
const std::string kKey = "Disable";
const std::string kFallback = "?default?";

struct Query {
  std::string section;
  std::string key;
  std::size_t size;
  // Why our read differs from the platform's here; empty where it must not.
  const char* differs = "";
};

struct Fixture {
  const char* name;
  std::string bytes;
  std::vector<Query> queries;  // besides the switch itself
};

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t c : text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return bytes;
}

const std::string k60(60, '6');
const std::string k49(49, '9');

const std::vector<Fixture> kFixtures = {
    {"crlf",
     "[windows]\r\nload=\r\n[Microsoft Proxy Service]\r\nDisable=0\r\nPort=80\r\n",
     {{"windows", "load", 50}}},
    {"lf", "[a]\nx=1\n[Microsoft Proxy Service]\nDisable=1\n", {}},
    {"cr", "[a]\rx=1\r[Microsoft Proxy Service]\rDisable=1\r[b]\ry=2\r", {}},
    {"mixed_breaks", "[a]\r\nx=1\n\n\r[Microsoft Proxy Service]\n\rA=1\r\r\nB=2\n", {}},
    {"no_final_break", "[a]\r\nx=1\r\n[Microsoft Proxy Service]\r\nA=1", {}},
    {"header_at_end", "[a]\r\nx=1\r\n[Microsoft Proxy Service]", {}},
    {"empty", "", {}},
    {"blank_lines_only", "\r\n \t\r\n\x1A", {}},
    {"quotes",
     "[Microsoft Proxy Service]\nDisable=\"1\"\nq='x'\nu=\"x'\nl=\"\ne=\"\"\n",
     {{kSection, "q", 50}, {kSection, "u", 50}, {kSection, "l", 50}, {kSection, "e", 50}}},
    {"blanks",
     " [ Microsoft Proxy Service ] \n \t Disable \t = \t 1 \x1A\x0B\x0C\n x = \" a \" \n",
     {{kSection, "x", 50}}},
    {"case", "[MICROSOFT proxy SERVICE]\r\ndisable=1\r\n", {}},
    {"duplicate_sections",
     "[Microsoft Proxy Service]\nA=1\n[microsoft proxy service]\nDisable=1\n",
     {{kSection, "A", 50}}},
    {"duplicate_keys", "[Microsoft Proxy Service]\nDisable=1\nDISABLE=0\n", {}},
    {"comments",
     "[Microsoft Proxy Service]\n;Disable=1\n#Disable=1\n// x\n",
     {{kSection, ";Disable", 50}, {kSection, "#Disable", 50}}},
    {"comment_after_value", "[Microsoft Proxy Service]\nDisable=1 ;was 0\n", {}},
    {"utf8_mark",
     "\xEF\xBB\xBF[a]\nx=plain\n[Microsoft Proxy Service]\nDisable=1\n",
     {{"a", "x", 50}}},
    {"utf8_mark_non_ascii",
     "\xEF\xBB\xBF[a]\nx=caf\xC3\xA9\n",
     {{"a", "x", 50, "the platform converts a Unicode file's value to the ANSI code page"}}},
    {"utf16_non_ascii",
     Utf16(u"[a]\r\nx=\u00e9\u0101\r\n", false),
     {{"a", "x", 50, "the platform converts a Unicode file's value to the ANSI code page"}}},
    {"utf16le",
     Utf16(u"[a]\r\nx=1\r\n[Microsoft Proxy Service]\r\nDisable=1\r\n", false),
     {{"a", "x", 50}}},
    {"utf16be", Utf16(u"[Microsoft Proxy Service]\r\nDisable=0\r\n", true), {}},
    // Read alike; our write refuses this file (the platform would drop the stray byte),
    // so the test expects it unchanged.
    {"utf16le_odd", Utf16(u"[Microsoft Proxy Service]\r\nDisable=1\r\n", false) + "x", {}},
    {"truncation",
     "[Microsoft Proxy Service]\nDisable=" + k60 + "\nq=\"" + k49 + "\"\n",
     {{kSection, "q", 50}, {kSection, kKey, 5}, {kSection, kKey, 1}}},
    {"empty_value", "[Microsoft Proxy Service]\r\nDisable=\r\n", {}},
    {"absent_key", "[Microsoft Proxy Service]\r\nPort=80\r\n\r\n[b]\r\nc=1\r\n", {}},
    {"absent_section", "[a]\r\nDisable=1\r\n", {{"a", kKey, 50}}},
    {"no_equals", "[Microsoft Proxy Service]\r\n  Disable  \r\nx=1\r\n", {}},
    {"odd_headers",
     "[Microsoft Proxy Service]junk\nx=1\n[Microsoft Proxy Service\n[]\ny=2\nz[a]\n",
     {{kSection, "x", 50}, {kSection, "[Microsoft Proxy Service", 50}, {"", "y", 50}}},
    {"last_bracket",
     "[Microsoft Proxy Service] ]\nDisable=1\n",
     {{"Microsoft Proxy Service]", kKey, 50}}},
    {"nul_bytes",
     "[Microsoft Proxy Service\0x]\nDisable\0y=1\0z\nk=\0\nv=a\0b\n"s,
     {{kSection, "k", 50}, {kSection, "v", 50}}},
    {"key_before_sections", "Disable=1\r\n[Microsoft Proxy Service]\r\nx=1\r\n", {}},
    {"high_bytes",
     "[Microsoft Proxy Service]\n\xA0x=\xA0\x80\xFF\nDisable=\xA0"
     "1\n",
     {{kSection, "\xA0x", 50}}},
    {"other_section_only",
     "[Proxy]\nDisable=1\n[Microsoft Proxy Service2]\nDisable=1\n",
     {{"Proxy", kKey, 50}}},
};

std::string Hex(const std::string& bytes) {
  if (bytes.empty()) return "-";
  std::string out;
  char buf[3];
  for (const char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(c));
    out += buf;
  }
  return out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

std::string WindowsPath(const std::string& path) {
  std::string out = "Z:" + path;
  for (char& c : out) c = c == '/' ? '\\' : c;
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return s;
}

// Every key the platform lists, by lower-case section and key, with what it reads.
using Dump = std::map<std::pair<std::string, std::string>, ProfileString>;

// Talks to the probe: queues commands, runs Wine once, hands out the answers in order.
class Probe {
 public:
  explicit Probe(const test::TempDir& dir) : dir_(dir) {}
  void Get(const std::string& file, const Query& q) {
    commands_ << "get " << Hex(WindowsPath(file)) << ' ' << Hex(q.section) << ' ' << Hex(q.key)
              << ' ' << q.size << '\n';
  }
  void Dump(const std::string& file) { commands_ << "dump " << Hex(WindowsPath(file)) << '\n'; }

  void Run() {
    test::WriteBytes(dir_ / "commands", commands_.str());
    const std::string command = "wine \"" + std::string(std::getenv("TAVREL_PROBE")) + "\" '" +
                                WindowsPath(dir_ / "commands") + "' > '" + (dir_ / "answers") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    answers_.str(test::ReadBytes(dir_ / "answers"));
  }

  ProfileString NextGet() {
    std::size_t count = 0;
    std::string hex;
    answers_ >> count >> hex;
    return {count, Unhex(hex)};
  }

  profile::Dump NextDump() {
    profile::Dump dump;
    std::string tag, section, key, hex;
    while (answers_ >> tag && tag != "E") {
      if (tag == "S") {
        answers_ >> hex;
        section = Lower(Unhex(hex));
      } else {
        answers_ >> key;
        const ProfileString value = NextGet();
        dump.emplace(std::make_pair(section, Lower(Unhex(key))), value);
      }
    }
    return dump;
  }

 private:
  const test::TempDir& dir_;
  std::ostringstream commands_;
  std::istringstream answers_;
};

struct Written {
  std::string file;
  std::string value;
  bool changed;
};

TEST(ProfileDifferential, ReadsAndWritesAgreeWithKernel32) {
  ASSERT_NE(std::getenv("TAVREL_PROBE"), nullptr) << "run through ctest";
  test::TempDir dir;
  Probe probe(dir);
  std::vector<std::vector<Query>> queries;
  std::vector<std::vector<Written>> writes;
  for (std::size_t i = 0; i < kFixtures.size(); ++i) {
    const Fixture& f = kFixtures[i];
    const std::string original = dir / (std::string(f.name) + ".ini");
    test::WriteBytes(original, f.bytes);
    queries.push_back(f.queries);
    queries.back().push_back({kSection, kKey, 50});
    for (const Query& q : queries.back()) probe.Get(original, q);
    probe.Dump(original);
    writes.emplace_back();
    for (const char* value : {"0", "1"}) {
      const Splice splice = SetProfileString(f.bytes, kSection, kKey, value);
      const std::string file = dir / (std::string(f.name) + "-" + value + ".ini");
      test::WriteBytes(file, test::Applied(f.bytes, splice));
      writes.back().push_back({file, value, splice.outcome != SpliceOutcome::Refused});
      probe.Get(file, {kSection, kKey, 50});
      probe.Dump(file);
    }
  }
  probe.Run();

  for (std::size_t i = 0; i < kFixtures.size(); ++i) {
    const Fixture& f = kFixtures[i];
    SCOPED_TRACE(f.name);
    std::set<std::pair<std::string, std::string>> differing;
    for (const Query& q : queries[i]) {
      const ProfileString platform = probe.NextGet();
      const ProfileString ours = GetProfileString(f.bytes, q.section, q.key, kFallback, q.size);
      if (std::string(q.differs).empty()) {
        EXPECT_EQ(ours, platform) << "[" << q.section << "] " << q.key;
      } else {
        EXPECT_FALSE(ours == platform) << "listed as a difference, but agrees";
        differing.emplace(Lower(q.section), Lower(q.key));
      }
    }
    Dump before = probe.NextDump();
    for (const auto& [name, platform] : before) {
      const ProfileString ours = GetProfileString(f.bytes, name.first, name.second, kFallback, 50);
      if (differing.count(name) == 0) {
        EXPECT_EQ(ours, platform) << "[" << name.first << "] " << name.second;
      }
    }
    for (const Written& w : writes[i]) {
      const ProfileString key = probe.NextGet();
      Dump after = probe.NextDump();
      if (!w.changed) {
        EXPECT_EQ(test::ReadBytes(w.file), f.bytes);
        continue;
      }
      EXPECT_EQ(key, (ProfileString{1, w.value})) << "written " << w.value;
      Dump expected = before;
      expected[{Lower(kSection), Lower(kKey)}] = {1, w.value};
      after[{Lower(kSection), Lower(kKey)}] = {1, w.value};
      EXPECT_EQ(after, expected) << "other keys changed by writing " << w.value;
    }
  }
}

}  // namespace

void PrintTo(const ProfileString& s, std::ostream* os) { *os << s.count << " \"" << s.text << '"'; }

}  // namespace tavrel::profile
