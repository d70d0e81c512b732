// One of Wine's registry files (system.reg, user.reg) in memory: the keys and
// values it holds, read from Wine's text format, and the text written back.
// Lines that are not changed are written back byte for byte, so a rewrite
// keeps everything the installer did not touch exactly as Wine left it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/result.h"
#include "platform/prefix/registry_value.h"

namespace cdsetup::platform {

class RegistryDocument {
 public:
  /// Reads a registry file's text. Never fails: a file without Wine's header
  /// line has no keys; a line that cannot be read is skipped (and counted),
  /// and kept to be written back unchanged.
  static RegistryDocument Parse(std::string_view text);
  /// A new file whose keys are relative to `relative_to` (as Wine writes it,
  /// e.g. "\\\\Machine"), with Wine's header.
  static RegistryDocument Empty(std::string_view relative_to);

  /// Ok when the text was read whole; Corrupt, naming the first line that
  /// could not be read (or the missing header), otherwise. A document that is
  /// not intact must not be written back: Wine would drop what we skipped.
  base::Status Intact() const;
  std::size_t bad_lines() const { return bad_lines_; }

  /// Key paths use "\" between levels and match without regard to case. A
  /// key exists when the file names it or one of its subkeys.
  bool HasKey(std::u16string_view path) const;
  /// The value `name` ("" the default value); nullopt when the key or the
  /// value is missing. A value set twice in the file reads as its last one.
  std::optional<RegistryValue> GetValue(std::u16string_view path, std::u16string_view name) const;
  /// The key's values in file order, a name set twice once.
  std::vector<std::pair<std::u16string, RegistryValue>> Values(std::u16string_view path) const;
  /// The keys the file names, in file order, as written there.
  std::vector<std::u16string> KeyPaths() const;

  /// Adds the key when it does not exist (its parents are implied, as Wine
  /// reads them). `now` (seconds since 1970) stamps what changes.
  void CreateKey(std::u16string_view path, std::int64_t now);
  /// Sets a value, creating the key when missing.
  void SetValue(std::u16string_view path, std::u16string_view name, const RegistryValue& value,
                std::int64_t now);
  /// Removes the value; false when it was not there.
  bool DeleteValue(std::u16string_view path, std::u16string_view name, std::int64_t now);

  /// The file's text.
  std::string Serialize() const;

 private:
  struct Line {
    std::string text;  // verbatim with its line ends; continuation lines included
    enum Kind { kOther, kValue, kTime, kBad } kind = kOther;
    std::u16string name;  // for a value line
    std::u32string folded_name;
    RegistryValue value;
  };
  struct Block {
    std::string header;  // the "[key] time" line; empty for the lines before the first key
    std::u16string path;
    std::vector<Line> lines;
    bool readable = true;  // false for a block whose header could not be read
  };

  void MarkBad(std::size_t line_number);
  void IndexBlock(std::size_t block);
  std::size_t BlockForWrite(std::u16string_view path, std::int64_t now);
  void Touch(std::size_t block, std::int64_t now);
  const std::vector<std::size_t>* BlocksOf(std::u16string_view path) const;

  std::vector<Block> blocks_;  // blocks_[0] holds the header and whatever precedes the first key
  std::unordered_map<std::u32string, std::vector<std::size_t>> index_;  // folded path
  std::unordered_set<std::u32string> implied_;  // folded paths of the keys and their parents
  bool has_header_ = false;
  std::size_t bad_lines_ = 0;
  std::size_t first_bad_line_ = 0;
};

/// The folded form in which registry names compare (case-insensitive).
std::u32string FoldRegistryName(std::u16string_view name);

}  // namespace cdsetup::platform
