#include "profile/profile_parse.h"

#include <algorithm>

namespace tavrel::profile {
namespace {

std::u16string_view Slice(std::u16string_view text, Span span) {
  return text.substr(span.begin, span.end - span.begin);
}

Span Trim(std::u16string_view text, Span span) {
  while (span.begin < span.end && IsProfileSpace(text[span.begin])) ++span.begin;
  while (span.end > span.begin && IsProfileSpace(text[span.end - 1])) --span.end;
  return span;
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

// Names compare as the platform's C strings do: up to a NUL, ignoring ASCII case.
bool SameName(std::u16string_view stored, std::u16string_view wanted) {
  stored = UpToNul(stored);
  return stored.size() == wanted.size() &&
         std::equal(stored.begin(), stored.end(), wanted.begin(),
                    [](char16_t a, char16_t b) { return AsciiLower(a) == AsciiLower(b); });
}

// Classifies one trimmed line: a section header, or a key with or without a value.
void Classify(std::u16string_view text, ProfileLine& line) {
  const Span body = Trim(text, line.content);
  if (body.begin == body.end) return;
  const std::u16string_view chars = Slice(text, body);
  const std::size_t close = chars.rfind(u']');
  if (chars.front() == u'[' && close != std::u16string_view::npos && close > 0) {
    line.kind = ProfileLine::Kind::Section;
    line.name = Trim(text, {body.begin + 1, body.begin + close});
    return;
  }
  line.kind = ProfileLine::Kind::Key;
  const std::size_t equals = chars.find(u'=');
  if (equals == std::u16string_view::npos) {
    line.name = body;
    return;
  }
  line.name = Trim(text, {body.begin, body.begin + equals});
  line.hasValue = true;
  line.value = Trim(text, {body.begin + equals + 1, body.end});
}

}  // namespace

bool IsProfileSpace(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

std::u16string_view TrimProfileSpace(std::u16string_view text) {
  return Slice(text, Trim(text, {0, text.size()}));
}

std::u16string_view UpToNul(std::u16string_view text) {
  return text.substr(0, std::min(text.find(u'\0'), text.size()));
}

ProfileLine ReadLine(std::u16string_view text, std::size_t at) {
  ProfileLine line;
  std::size_t end = at;
  while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
  line.content = {at, end};
  line.next = end;
  if (line.next < text.size() && text[line.next] == u'\r') ++line.next;
  if (line.next < text.size() && text[line.next] == u'\n') ++line.next;
  Classify(text, line);
  return line;
}

KeyLookup FindKey(std::u16string_view text, std::u16string_view section, std::u16string_view key) {
  KeyLookup found;
  section = TrimProfileSpace(section);
  key = TrimProfileSpace(key);
  for (std::size_t at = 0; at < text.size();) {
    const ProfileLine line = ReadLine(text, at);
    at = line.next;
    if (!found.section) {
      const bool match = line.kind == ProfileLine::Kind::Section && !section.empty() &&
                         SameName(Slice(text, line.name), section);
      if (match) found.section = found.lastInSection = line;
      continue;
    }
    if (line.kind == ProfileLine::Kind::Section) break;
    if (line.kind == ProfileLine::Kind::Blank) continue;
    found.lastInSection = line;
    if (!found.key && SameName(Slice(text, line.name), key)) found.key = line;
  }
  return found;
}

}  // namespace tavrel::profile
