#include <string>
#include <vector>

#include "profile/profile.h"
#include "profile/profile_parse.h"
#include "profile/profile_text.h"

namespace tavrel::profile {
namespace {

// The file's lines as a caller reads them (UTF-8 for a UTF-16 file), without their breaks:
// CR, LF or CRLF, as the profile functions read lines.
std::vector<std::string> Lines(std::string_view bytes) {
  const UnitView view(bytes);
  const std::string text = view.Text(0, view.size());
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

// A side of a hunk: its first line and its count, as unified diffs write them (an empty side
// names the line before it).
std::string Range(std::size_t before, std::size_t count) {
  std::string range = std::to_string(count == 0 ? before : before + 1);
  return count == 1 ? range : range + "," + std::to_string(count);
}

}  // namespace

std::string UnifiedDiff(std::string_view bytes, const Splice& splice, const std::string& from,
                        const std::string& to) {
  if (splice.outcome != SpliceOutcome::Changed) return "";
  std::string changed(bytes.substr(0, splice.begin));
  changed += splice.insert;
  changed += bytes.substr(splice.end);
  const std::vector<std::string> a = Lines(bytes), b = Lines(changed);
  // One region changes: the lines that differ lie between those the two share at each end.
  std::size_t same = 0;
  while (same < a.size() && same < b.size() && a[same] == b[same]) ++same;
  std::size_t tail = 0;
  while (tail < a.size() - same && tail < b.size() - same &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
    ++tail;
  }
  const std::size_t removed = a.size() - same - tail, added = b.size() - same - tail;
  std::string heading;
  for (std::size_t i = same; i-- > 0 && heading.empty();) {
    if (TrimProfileSpace(b[i]).substr(0, 1) == "[") heading = " " + b[i];
  }
  std::string diff = "--- " + from + "\n+++ " + to + "\n@@ -" + Range(same, removed) + " +" +
                     Range(same, added) + " @@" + heading + "\n";
  for (std::size_t i = same; i < same + removed; ++i) diff += "-" + a[i] + "\n";
  for (std::size_t i = same; i < same + added; ++i) diff += "+" + b[i] + "\n";
  return diff;
}

}  // namespace tavrel::profile
