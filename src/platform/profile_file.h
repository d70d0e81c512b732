// Our profile (INI) engine with the Windows semantics: names without regard to
// case, the first section and the first key win, ";" comment lines, values
// trimmed and unquoted. Reads build an index once (it also knows the line of
// every section and key); writes edit the text in place and keep every other
// line and its line end.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/result.h"
#include "platform/platform.h"

namespace cdsetup::platform {

/// A parsed profile text. Holds its own copy of the text; lookups are cheap.
class ProfileIndex {
 public:
  explicit ProfileIndex(std::string text);
  ProfileIndex(const ProfileIndex&) = delete;
  ProfileIndex& operator=(const ProfileIndex&) = delete;

  /// The value of `key` in the first section named `section`, trimmed of
  /// blanks and of one pair of matching outer quotes; nullopt when the section
  /// or the key is missing. Valid while the index lives.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  /// Every section header in file order with its line, a later header of a
  /// name already seen marked repeated.
  std::vector<ProfileEntry> SectionNames() const;
  /// Every key line of the first section named `section`, in file order with
  /// its line, a key already seen in it marked repeated; empty when the
  /// section is missing.
  std::vector<ProfileEntry> Keys(std::string_view section) const;

 private:
  // A name as written, on its 1-based line; it points into text_.
  struct Listed {
    std::string_view name;
    std::size_t line;
    bool repeated;
  };
  static std::vector<ProfileEntry> Entries(const std::vector<Listed>& listed);

  struct Section {
    std::unordered_map<std::string, std::string_view> keys;  // lower-case name
    std::vector<Listed> listed;
  };
  std::string text_;
  std::vector<Section> sections_;
  std::vector<Listed> headers_;
  std::unordered_map<std::string, std::size_t> section_index_;  // lower-case name
};

/// Returns `text` with `key` of `section` set to `value`: an existing key's
/// line keeps everything up to its "=" and gets the new value; a new key goes
/// after the last key of its section; a new section goes at the end. New lines
/// are "key=value" with CR LF. Refused when a name or the value holds a line
/// break or NUL, a key holds "=" or starts with "[" or ";", or a section name
/// holds "]".
base::Result<std::string> ProfileSetValue(std::string_view text, std::string_view section,
                                          std::string_view key, std::string_view value);

/// Copies `value` into `buffer`, cut to size - 1 and NUL-terminated; returns
/// the count copied (0 and nothing written for an empty buffer).
std::size_t CopyToBuffer(std::string_view value, char* buffer, std::size_t size);

}  // namespace cdsetup::platform
