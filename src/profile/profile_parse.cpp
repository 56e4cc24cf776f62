#include "profile/profile_parse.h"

namespace tavrel::profile {
namespace {

constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);

// The platform's blanks: TAB, LF, VT, FF, CR, space and the DOS end-of-file mark.
bool IsProfileSpace(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

Span Trim(const UnitView& text, Span span) {
  while (span.begin < span.end && IsProfileSpace(text.At(span.begin))) ++span.begin;
  while (span.end > span.begin && IsProfileSpace(text.At(span.end - 1))) --span.end;
  return span;
}

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// Names compare as the platform's C strings do: up to a NUL, ignoring ASCII case.
bool SameName(const UnitView& text, Span stored, std::string_view wanted) {
  stored.end = text.Find(u'\0', stored.begin, stored.end);
  if (stored.end - stored.begin != wanted.size()) return false;
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    const auto c = static_cast<char16_t>(static_cast<unsigned char>(wanted[i]));
    if (AsciiLower(text.At(stored.begin + i)) != AsciiLower(c)) return false;
  }
  return true;
}

// Whether the text after a header's '[' may start the wanted name: a cheap look that
// spares reading every other section's header in full.
bool CouldName(const UnitView& text, std::size_t at, std::string_view wanted) {
  while (at < text.size() && IsProfileSpace(text.At(at)) && !IsLineBreak(text.At(at))) ++at;
  const auto c = static_cast<char16_t>(static_cast<unsigned char>(wanted[0]));
  return at < text.size() && AsciiLower(text.At(at)) == AsciiLower(c);
}

// Classifies one line: a section header (up to its last ']'), or a key with or without
// a value.
void Classify(const UnitView& text, ProfileLine& line) {
  const Span body = Trim(text, line.content);
  if (body.begin == body.end) return;
  std::size_t close = body.end - 1;
  while (close > body.begin && text.At(close) != u']') --close;
  if (text.At(body.begin) == u'[' && close > body.begin) {
    line.kind = ProfileLine::Kind::Section;
    line.name = Trim(text, {body.begin + 1, close});
    return;
  }
  line.kind = ProfileLine::Kind::Key;
  const std::size_t equals = text.Find(u'=', body.begin, body.end);
  if (equals == body.end) {
    line.name = body;
    return;
  }
  line.name = Trim(text, {body.begin, equals});
  line.hasValue = true;
  line.value = Trim(text, {equals + 1, body.end});
}

// Reads lines at increasing positions. Remembers the next LF and the next CR before it,
// so that no part of the file is searched twice for either.
class LineReader {
 public:
  explicit LineReader(const UnitView& text) : text_(text) {}

  ProfileLine Read(std::size_t at) {
    if (lf_ == kUnknown || lf_ < at) lf_ = text_.Find(u'\n', at, text_.size());
    if (cr_ == kUnknown || cr_ < at) cr_ = text_.Find(u'\r', at, lf_);
    ProfileLine line;
    line.content = {at, cr_ < lf_ ? cr_ : lf_};
    line.next = line.content.end;
    if (line.next < text_.size() && text_.At(line.next) == u'\r') ++line.next;
    if (line.next < text_.size() && text_.At(line.next) == u'\n') ++line.next;
    Classify(text_, line);
    return line;
  }

 private:
  const UnitView& text_;
  std::size_t lf_ = kUnknown;
  std::size_t cr_ = kUnknown;  // the first CR from where it was sought up to lf_, or lf_
};

}  // namespace

std::string_view TrimProfileSpace(std::string_view text) {
  while (!text.empty() && IsProfileSpace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsProfileSpace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

KeyLookup FindKey(const UnitView& text, std::string_view section, std::string_view key) {
  KeyLookup found;
  section = TrimProfileSpace(section);
  key = TrimProfileSpace(key);
  if (section.empty()) return found;
  LineReader lines(text);
  const std::size_t size = text.size();
  for (std::size_t open = text.Find(u'[', 0, size); open < size;
       open = text.Find(u'[', open + 1, size)) {
    std::size_t start = open;
    while (start > 0 && IsProfileSpace(text.At(start - 1)) && !IsLineBreak(text.At(start - 1))) {
      --start;
    }
    if (start > 0 && !IsLineBreak(text.At(start - 1))) continue;
    if (!CouldName(text, open + 1, section)) continue;
    const ProfileLine line = lines.Read(start);
    if (line.kind == ProfileLine::Kind::Section && SameName(text, line.name, section)) {
      found.section = found.lastInSection = line;
      break;
    }
  }
  if (!found.section) return found;
  for (std::size_t at = found.section->next; at < size;) {
    const ProfileLine line = lines.Read(at);
    at = line.next;
    if (line.kind == ProfileLine::Kind::Section) break;
    if (line.kind == ProfileLine::Kind::Blank) continue;
    found.lastInSection = line;
    if (!found.key && SameName(text, line.name, key)) found.key = line;
  }
  return found;
}

}  // namespace tavrel::profile
