#include "platform/prefix/wine_registry.h"

#include <algorithm>
#include <cstdio>

#include "platform/prefix/code_page.h"
#include "platform/prefix/registry_text.h"
#include "platform/prefix/utf16.h"

namespace cdsetup::platform {
namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
// Seconds between 1601-01-01 (the FILETIME epoch) and 1970-01-01.
constexpr std::int64_t kFileTimeEpochOffset = 11644473600;

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

bool IsBlank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

std::string KeyHeader(std::u16string_view path, std::int64_t now) {
  return "[" + EscapeRegistryText(path, ']') + "] " + std::to_string(now) + "\n";
}

std::string TimeLine(std::int64_t now) {
  unsigned long long ticks =
      static_cast<unsigned long long>(now + kFileTimeEpochOffset) * 10000000u;
  char hex[32];
  std::snprintf(hex, sizeof hex, "%llx", ticks);
  return std::string("#time=") + hex + "\n";
}

}  // namespace

std::u32string FoldRegistryName(std::u16string_view name) {
  return FoldedCodePoints(Utf16ToUtf8(name));
}

void RegistryDocument::MarkBad(std::size_t line_number) {
  if (bad_lines_++ == 0) first_bad_line_ = line_number;
}

RegistryDocument RegistryDocument::Parse(std::string_view text) {
  RegistryDocument doc;
  doc.blocks_.emplace_back();
  // Physical lines with their line ends.
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t nl = text.find('\n', pos);
    std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  if (lines.empty() || WithoutLineEnd(lines[0]) != kHeader) {
    // Not a registry file we know: kept whole, nothing read from it.
    doc.blocks_[0].lines.push_back({std::string(text), Line::kBad, {}, {}, {}});
    doc.MarkBad(1);
    return doc;
  }
  doc.has_header_ = true;
  doc.blocks_[0].lines.push_back({std::string(lines[0]), Line::kOther, {}, {}, {}});

  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::size_t line_number = i + 1;
    std::string_view body = TrimLeft(WithoutLineEnd(lines[i]));
    Block& block = doc.blocks_.back();
    Line line;
    line.text = std::string(lines[i]);
    if (body.empty() || body[0] == ';') {
      line.kind = Line::kOther;
    } else if (body[0] == '#') {
      line.kind =
          body.substr(0, 6) == "#time=" && !block.header.empty() ? Line::kTime : Line::kOther;
    } else if (body[0] == '[') {
      Block next;
      next.header = std::move(line.text);
      std::size_t end = 0;
      auto path = UnescapeRegistryText(body.substr(1), ']', &end);
      if (path) {
        next.path = std::move(*path);
      } else {
        next.readable = false;
        doc.MarkBad(line_number);
      }
      doc.blocks_.push_back(std::move(next));
      if (doc.blocks_.back().readable) doc.IndexBlock(doc.blocks_.size() - 1);
      continue;
    } else if (body[0] == '"' || body[0] == '@') {
      auto next_line = [&]() -> std::optional<std::string_view> {
        if (i + 1 >= lines.size()) return std::nullopt;
        ++i;
        line.text += lines[i];
        return WithoutLineEnd(lines[i]);
      };
      auto parsed = ParseRegistryValueLine(body, next_line);
      if (parsed && !block.header.empty() && block.readable) {
        line.kind = Line::kValue;
        line.folded_name = FoldRegistryName(parsed->first);
        line.name = std::move(parsed->first);
        line.value = std::move(parsed->second);
      } else {
        line.kind = Line::kBad;
        doc.MarkBad(line_number);
      }
    } else {
      line.kind = Line::kBad;
      doc.MarkBad(line_number);
    }
    block.lines.push_back(std::move(line));
  }
  return doc;
}

RegistryDocument RegistryDocument::Empty(std::string_view relative_to) {
  std::string text = std::string(kHeader) + "\n;; All keys relative to " +
                     std::string(relative_to) + "\n\n#arch=win64\n";
  return Parse(text);
}

base::Status RegistryDocument::Intact() const {
  if (!has_header_)
    return base::Status::Corrupt("not a Wine registry file (its first line is not \"" +
                                 std::string(kHeader) + "\")");
  if (bad_lines_ > 0) {
    return base::Status::Corrupt(std::to_string(bad_lines_) +
                                 " line(s) cannot be read, the first at line " +
                                 std::to_string(first_bad_line_));
  }
  return base::Status::Ok();
}

void RegistryDocument::IndexBlock(std::size_t block) {
  const std::u16string& path = blocks_[block].path;
  std::u32string folded = FoldRegistryName(path);
  index_[folded].push_back(block);
  implied_.insert(folded);
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (folded[i] == U'\\') implied_.insert(folded.substr(0, i));
  }
}

const std::vector<std::size_t>* RegistryDocument::BlocksOf(std::u16string_view path) const {
  auto it = index_.find(FoldRegistryName(path));
  return it == index_.end() ? nullptr : &it->second;
}

bool RegistryDocument::HasKey(std::u16string_view path) const {
  return path.empty() || implied_.count(FoldRegistryName(path)) > 0;
}

std::optional<RegistryValue> RegistryDocument::GetValue(std::u16string_view path,
                                                        std::u16string_view name) const {
  const std::vector<std::size_t>* blocks = BlocksOf(path);
  if (blocks == nullptr) return std::nullopt;
  std::u32string folded = FoldRegistryName(name);
  std::optional<RegistryValue> found;
  for (std::size_t b : *blocks) {
    for (const Line& line : blocks_[b].lines) {
      if (line.kind == Line::kValue && line.folded_name == folded) found = line.value;
    }
  }
  return found;
}

std::vector<std::pair<std::u16string, RegistryValue>> RegistryDocument::Values(
    std::u16string_view path) const {
  std::vector<std::pair<std::u16string, RegistryValue>> out;
  std::vector<std::u32string> folded_names;
  const std::vector<std::size_t>* blocks = BlocksOf(path);
  if (blocks == nullptr) return out;
  for (std::size_t b : *blocks) {
    for (const Line& line : blocks_[b].lines) {
      if (line.kind != Line::kValue) continue;
      auto it = std::find(folded_names.begin(), folded_names.end(), line.folded_name);
      if (it != folded_names.end()) {
        out[static_cast<std::size_t>(it - folded_names.begin())].second = line.value;
      } else {
        folded_names.push_back(line.folded_name);
        out.emplace_back(line.name, line.value);
      }
    }
  }
  return out;
}

std::vector<std::u16string> RegistryDocument::KeyPaths() const {
  std::vector<std::u16string> out;
  for (std::size_t b = 1; b < blocks_.size(); ++b) {
    if (blocks_[b].readable) out.push_back(blocks_[b].path);
  }
  return out;
}

void RegistryDocument::Touch(std::size_t block, std::int64_t now) {
  Block& b = blocks_[block];
  b.header = KeyHeader(b.path, now);
  for (Line& line : b.lines) {
    if (line.kind == Line::kTime) {
      line.text = TimeLine(now);
      return;
    }
  }
  b.lines.insert(b.lines.begin(), Line{TimeLine(now), Line::kTime, {}, {}, {}});
}

std::size_t RegistryDocument::BlockForWrite(std::u16string_view path, std::int64_t now) {
  if (const std::vector<std::size_t>* blocks = BlocksOf(path)) return blocks->back();
  // Wine writes a blank line before every key.
  Block& last = blocks_.back();
  if (last.lines.empty() || !IsBlank(WithoutLineEnd(last.lines.back().text))) {
    last.lines.push_back({"\n", Line::kOther, {}, {}, {}});
  }
  Block block;
  block.path = std::u16string(path);
  blocks_.push_back(std::move(block));
  IndexBlock(blocks_.size() - 1);
  Touch(blocks_.size() - 1, now);
  return blocks_.size() - 1;
}

void RegistryDocument::CreateKey(std::u16string_view path, std::int64_t now) {
  if (path.empty() || HasKey(path)) return;
  BlockForWrite(path, now);
}

void RegistryDocument::SetValue(std::u16string_view path, std::u16string_view name,
                                const RegistryValue& value, std::int64_t now) {
  std::u32string folded = FoldRegistryName(name);
  Line* existing = nullptr;
  std::size_t owner = 0;
  if (const std::vector<std::size_t>* blocks = BlocksOf(path)) {
    for (std::size_t b : *blocks) {
      for (Line& line : blocks_[b].lines) {
        if (line.kind == Line::kValue && line.folded_name == folded) {
          existing = &line;
          owner = b;
        }
      }
    }
  }
  Line line{EncodeRegistryValueLine(name, value), Line::kValue, std::u16string(name), folded,
            value};
  if (existing != nullptr) {
    line.name = existing->name;  // the name keeps the case it was written in
    line.text = EncodeRegistryValueLine(line.name, value);
    *existing = std::move(line);
    Touch(owner, now);
    return;
  }
  std::size_t b = BlockForWrite(path, now);
  std::vector<Line>& lines = blocks_[b].lines;
  // After the key's last value or option, before the blank lines that lead
  // to the next key.
  std::size_t at = lines.size();
  while (at > 0 && lines[at - 1].kind == Line::kOther &&
         IsBlank(WithoutLineEnd(lines[at - 1].text))) {
    --at;
  }
  if (at > 0 && !lines[at - 1].text.empty() && lines[at - 1].text.back() != '\n') {
    lines[at - 1].text += '\n';
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  Touch(b, now);
}

bool RegistryDocument::DeleteValue(std::u16string_view path, std::u16string_view name,
                                   std::int64_t now) {
  const std::vector<std::size_t>* blocks = BlocksOf(path);
  if (blocks == nullptr) return false;
  std::u32string folded = FoldRegistryName(name);
  bool removed = false;
  for (std::size_t b : *blocks) {
    std::vector<Line>& lines = blocks_[b].lines;
    auto gone = std::remove_if(lines.begin(), lines.end(), [&](const Line& l) {
      return l.kind == Line::kValue && l.folded_name == folded;
    });
    if (gone != lines.end()) {
      lines.erase(gone, lines.end());
      removed = true;
      Touch(b, now);
    }
  }
  return removed;
}

std::string RegistryDocument::Serialize() const {
  std::string out;
  auto put = [&out](const std::string& text) {
    // Only a file's very last line can lack its line end.
    if (!out.empty() && out.back() != '\n') out += '\n';
    out += text;
  };
  for (const Block& block : blocks_) {
    if (!block.header.empty()) put(block.header);
    for (const Line& line : block.lines) put(line.text);
  }
  return out;
}

}  // namespace cdsetup::platform
