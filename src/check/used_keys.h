// The keys of install.ini that the installer reads, section by section: the
// texts its pages, messages and shortcuts show, with what each is for, the
// settings, and the numbered families. What a check asks of a script, and
// how it tells a key nothing reads (a misspelt one) from one that counts.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "script/section_code_page.h"

namespace cdsetup::check {

/// When a text is shown: always, or only when its page is switched on.
enum class Shown { kAlways, kWithLicence, kWithInstallType };

struct UsedText {
  std::string_view key;
  std::string_view use;  // what shows it, for the report
  Shown when;
};

/// Every IDS_ key of a language section that the installer reads.
std::span<const UsedText> UsedTexts();

/// The kinds of section the installer reads.
enum class SectionKind { kOption, kLanguageList, kLanguage, kInstallType };

/// True when the installer reads `key` in a section of `kind`, in any letter
/// case; numbered family members count whatever their number (their count
/// is checked on its own).
bool IsReadKey(SectionKind kind, std::string_view key);

/// n when `key` is `pattern` ("File%d") with its "%d" written as n, as the
/// installer forms the keys (no leading zeros, no sign); letter case aside.
std::optional<int> FamilyIndex(std::string_view pattern, std::string_view key);

using script::IsLanguageIdKey;

}  // namespace cdsetup::check
