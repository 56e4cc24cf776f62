#include <algorithm>
#include <string>
#include <vector>

#include "profile/profile.h"

namespace tavrel::profile {
namespace {

constexpr std::size_t kContext = 3;  // lines of context around a change, as diff -u shows

// Where the line holding byte `at` starts: lines end after each LF, as diff reads them.
std::size_t LineStart(std::string_view text, std::size_t at) {
  const std::size_t lf = at == 0 ? std::string_view::npos : text.rfind('\n', at - 1);
  return lf == std::string_view::npos ? 0 : lf + 1;
}

// Where the line after the one holding byte `at` starts; the text's size after the last.
std::size_t NextLine(std::string_view text, std::size_t at) {
  const std::size_t lf = text.find('\n', at);
  return lf == std::string_view::npos ? text.size() : lf + 1;
}

// The lines with their LF; the last one without it when the text does not end in one.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t next = NextLine(text, at);
    lines.push_back(text.substr(at, next - at));
    at = next;
  }
  return lines;
}

// A side of a hunk: its first line and its count, as unified diffs write them (an empty side
// names the line before it).
std::string Range(std::size_t before, std::size_t count) {
  std::string range = std::to_string(count == 0 ? before : before + 1);
  return count == 1 ? range : range + "," + std::to_string(count);
}

void AppendLine(char mark, std::string_view line, std::string* diff) {
  *diff += mark;
  diff->append(line);
  if (line.empty() || line.back() != '\n') *diff += "\n\\ No newline at end of file\n";
}

}  // namespace

// Only the lines around the splice are compared: those before the line it starts in and
// those after the line it ends in are the same in both files, so a large file costs no
// more than a small one beyond finding its line number.
std::string UnifiedDiff(std::string_view bytes, const Splice& splice, const std::string& from,
                        const std::string& to) {
  if (splice.outcome != SpliceOutcome::Changed) return "";
  std::size_t begin = LineStart(bytes, splice.begin);
  std::size_t end = splice.end < bytes.size() ? NextLine(bytes, splice.end) : bytes.size();
  for (std::size_t i = 0; i < kContext; ++i) {
    begin = begin == 0 ? 0 : LineStart(bytes, begin - 1);
    end = NextLine(bytes, end);
  }
  std::string changed(bytes.substr(begin, splice.begin - begin));
  changed += splice.insert;
  changed += bytes.substr(splice.end, end - splice.end);
  const std::vector<std::string_view> a = Lines(bytes.substr(begin, end - begin)),
                                      b = Lines(changed);
  // One region changes: the lines that differ lie between those the two share at each end.
  std::size_t same = 0;
  while (same < a.size() && same < b.size() && a[same] == b[same]) ++same;
  std::size_t tail = 0;
  while (tail < a.size() - same && tail < b.size() - same &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
    ++tail;
  }
  const std::size_t first = same - std::min(same, kContext);
  const std::size_t after = std::min(tail, kContext);
  const std::size_t line = static_cast<std::size_t>(
      std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(begin), '\n'));
  std::string diff = "--- " + from + "\n+++ " + to + "\n@@ -" +
                     Range(line + first, a.size() - tail + after - first) + " +" +
                     Range(line + first, b.size() - tail + after - first) + " @@\n";
  for (std::size_t i = first; i < same; ++i) AppendLine(' ', a[i], &diff);
  for (std::size_t i = same; i < a.size() - tail; ++i) AppendLine('-', a[i], &diff);
  for (std::size_t i = same; i < b.size() - tail; ++i) AppendLine('+', b[i], &diff);
  for (std::size_t i = a.size() - tail; i < a.size() - tail + after; ++i)
    AppendLine(' ', a[i], &diff);
  return diff;
}

}  // namespace tavrel::profile
