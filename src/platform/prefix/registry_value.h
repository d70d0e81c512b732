// One value of a Wine registry file: its type and bytes as Windows stores
// them, and the line that holds it in the file ("name"=data), read and
// written in each of the forms Wine uses.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cdsetup::platform {

/// Registry value types as Windows numbers them (the ones the file format
/// treats apart; any other number is kept as it is).
enum RegistryType : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegMultiSz = 7,
};

/// A value as Windows stores it: a type and bytes; string types hold UTF-16LE
/// code units with their terminating NUL.
struct RegistryValue {
  std::uint32_t type = kRegSz;
  std::vector<std::uint8_t> data;

  /// A string value of `type` holding `text` and its terminator.
  static RegistryValue String(std::u16string_view text, std::uint32_t type = kRegSz);
  /// The text of a REG_SZ or REG_EXPAND_SZ value, up to its first NUL;
  /// nullopt for other types and for data that is not whole UTF-16.
  std::optional<std::u16string> Text() const;

  bool operator==(const RegistryValue&) const = default;
};

/// Encodes one value line as Wine writes it ("\"name\"=...\n"): REG_SZ as a
/// quoted string, other string types as str(N), a 4-byte REG_DWORD as dword,
/// everything else (and strings that are not whole UTF-16) as a hex list.
std::string EncodeRegistryValueLine(std::u16string_view name, const RegistryValue& value);

/// Reads a value line without its line end, leading blanks removed. A hex
/// list that ends in "\" goes on on the lines `next_line` gives (nullopt at
/// the end of the file). nullopt when the line is not a value line.
std::optional<std::pair<std::u16string, RegistryValue>> ParseRegistryValueLine(
    std::string_view body, const std::function<std::optional<std::string_view>()>& next_line);

}  // namespace cdsetup::platform
