#include "platform/profile_file.h"

#include <cstring>

#include "base/ascii.h"

namespace cdsetup::platform {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

using base::TrimBlanks;

std::string Lower(std::string_view s) {
  return base::ToLowerAscii(s);
}

// One line of the text: [begin, end) without its line end, and the line end.
struct Line {
  std::size_t begin;
  std::size_t end;
  std::size_t eol_end;  // end + length of "\r\n", "\n", "\r" or nothing
};

std::vector<Line> SplitLines(std::string_view text, std::size_t start) {
  std::vector<Line> lines;
  std::size_t pos = start;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    std::size_t eol = end;
    if (eol < text.size()) {
      if (text[eol] == '\r' && eol + 1 < text.size() && text[eol + 1] == '\n') {
        eol += 2;
      } else {
        eol += 1;
      }
    }
    lines.push_back({pos, end, eol});
    pos = eol;
  }
  return lines;
}

enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;
  std::string_view value;
  std::size_t equals = 0;  // offset of "=" within the line, for keys
};

ParsedLine ParseLine(std::string_view line) {
  ParsedLine p;
  std::string_view s = TrimBlanks(line);
  if (s.empty() || s.front() == ';') return p;
  if (s.front() == '[') {
    std::size_t close = s.rfind(']');
    if (close != std::string_view::npos) {
      p.kind = LineKind::kSection;
      p.name = TrimBlanks(s.substr(1, close - 1));
      return p;
    }
  }
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return p;
  p.kind = LineKind::kKey;
  p.equals = eq;
  p.name = TrimBlanks(line.substr(0, eq));
  std::string_view v = TrimBlanks(line.substr(eq + 1));
  if (v.size() > 1 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  p.value = v;
  return p;
}

std::size_t BodyStart(std::string_view text) {
  return text.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
}

bool HasBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

ProfileIndex::ProfileIndex(std::string text) : text_(std::move(text)) {
  std::string_view view(text_);
  Section* current = nullptr;  // lines before the first section are ignored
  std::size_t number = 0;
  for (const Line& line : SplitLines(view, BodyStart(view))) {
    ++number;
    ParsedLine p = ParseLine(view.substr(line.begin, line.end - line.begin));
    if (p.kind == LineKind::kSection) {
      auto [it, inserted] = section_index_.emplace(Lower(p.name), sections_.size());
      headers_.push_back({p.name, number, !inserted});
      if (inserted) {
        sections_.emplace_back();
        current = &sections_.back();
      } else {
        current = nullptr;  // a later duplicate section is never read
      }
    } else if (p.kind == LineKind::kKey && current != nullptr) {
      bool first = current->keys.emplace(Lower(p.name), p.value).second;  // first key wins
      current->listed.push_back({p.name, number, !first});
    }
  }
}

std::vector<ProfileEntry> ProfileIndex::Entries(const std::vector<Listed>& listed) {
  std::vector<ProfileEntry> out;
  out.reserve(listed.size());
  for (const Listed& l : listed) out.push_back({std::string(l.name), l.line, l.repeated});
  return out;
}

std::vector<ProfileEntry> ProfileIndex::SectionNames() const {
  return Entries(headers_);
}

std::vector<ProfileEntry> ProfileIndex::Keys(std::string_view section) const {
  auto s = section_index_.find(Lower(section));
  if (s == section_index_.end()) return {};
  return Entries(sections_[s->second].listed);
}

std::optional<std::string_view> ProfileIndex::Find(std::string_view section,
                                                   std::string_view key) const {
  auto s = section_index_.find(Lower(section));
  if (s == section_index_.end()) return std::nullopt;
  const Section& sec = sections_[s->second];
  auto k = sec.keys.find(Lower(key));
  if (k == sec.keys.end()) return std::nullopt;
  return k->second;
}

base::Result<std::string> ProfileSetValue(std::string_view text, std::string_view section,
                                          std::string_view key, std::string_view value) {
  if (HasBreakOrNul(section) || HasBreakOrNul(key) || HasBreakOrNul(value)) {
    return base::Status::Refused("profile names and values cannot hold line breaks");
  }
  std::string_view tkey = TrimBlanks(key);
  if (tkey.empty() || tkey.find('=') != std::string_view::npos || tkey.front() == '[' ||
      tkey.front() == ';') {
    return base::Status::Refused("not a usable profile key: " + std::string(key));
  }
  if (section.find(']') != std::string_view::npos) {
    return base::Status::Refused("not a usable profile section: " + std::string(section));
  }
  const std::string new_line = std::string(tkey) + "=" + std::string(value);

  std::vector<Line> lines = SplitLines(text, BodyStart(text));
  std::string want_section = Lower(TrimBlanks(section));
  std::string want_key = Lower(tkey);
  bool in_section = false;
  bool found_section = false;
  std::size_t insert_after = 0;  // end of the line after which a new key goes
  std::size_t insert_line = SIZE_MAX;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    ParsedLine p = ParseLine(text.substr(line.begin, line.end - line.begin));
    if (p.kind == LineKind::kSection) {
      if (in_section) break;  // the section ended without the key
      if (Lower(p.name) == want_section) {
        in_section = found_section = true;
        insert_line = i;
      }
    } else if (in_section && p.kind == LineKind::kKey) {
      if (Lower(p.name) == want_key) {
        std::string out(text.substr(0, line.begin + p.equals + 1));
        out += value;
        out += text.substr(line.end);
        return out;
      }
      insert_line = i;
    }
  }

  std::string out;
  if (found_section) {
    const Line& line = lines[insert_line];
    insert_after = line.eol_end;
    out.assign(text.substr(0, insert_after));
    if (line.eol_end == line.end) out += "\r\n";  // the last line had no line end
    out += new_line;
    out += "\r\n";
    out += text.substr(insert_after);
    return out;
  }
  out.assign(text);
  if (out.size() > BodyStart(text) && out.back() != '\n' && out.back() != '\r') out += "\r\n";
  out += "[";
  out += TrimBlanks(section);
  out += "]\r\n";
  out += new_line;
  out += "\r\n";
  return out;
}

std::size_t CopyToBuffer(std::string_view value, char* buffer, std::size_t size) {
  if (size == 0 || buffer == nullptr) return 0;
  std::size_t n = value.size() < size - 1 ? value.size() : size - 1;
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return n;
}

}  // namespace cdsetup::platform
