// The Windows language of a POSIX locale: its language id (LANGID) and the
// ANSI code page Windows uses for it, from a table of the languages Windows
// ships with their country variants.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cdsetup::platform {

struct WindowsLocale {
  std::uint16_t language_id = 0x0409;
  int ansi_code_page = 1252;
};

/// The locale for a POSIX locale name "language[_TERRITORY][.codeset][@modifier]"
/// ("pl_PL.UTF-8", "sr_RS@latin"; "-" is taken for "_" too). A language
/// without its territory in the table gets the language's main variant
/// (pl_DE gives Polish). Empty, "C", "POSIX" and anything not in the table
/// give US English, 0409, with code page 1252.
WindowsLocale LookUpWindowsLocale(std::string_view posix_locale);

/// The ANSI code page Windows gives the language `language_id`; 0 for an id
/// the table does not hold.
int AnsiCodePageOf(std::uint16_t language_id);

/// The locale name the process runs under: the first of LC_ALL, LC_MESSAGES
/// and LANG that is set and not empty; "" when none is.
std::string LocaleFromEnvironment();

/// A language id as Windows reports it: four upper-case hex digits ("0415").
std::string FormatLanguageId(std::uint16_t language_id);

}  // namespace cdsetup::platform
