#include "platform/prefix/locale_table.h"

#include <cstdlib>

#include "base/ascii.h"

namespace cdsetup::platform {
namespace {

struct Entry {
  const char* language;   // ISO 639 code, lower case
  const char* territory;  // ISO 3166 code, upper case; "" for the main variant
  const char* modifier;   // "" unless the variant is named by one ("latin")
  std::uint16_t id;
  int code_page;
};

// The first entry of a language is its main variant. Languages that Windows
// writes only in Unicode have no ANSI code page of their own; like Windows we
// give them 1252 for the 8-bit side.
constexpr Entry kTable[] = {
    {"af", "", "", 0x0436, 1252},         {"am", "", "", 0x045E, 1252},
    {"ar", "SA", "", 0x0401, 1256},       {"ar", "IQ", "", 0x0801, 1256},
    {"ar", "EG", "", 0x0C01, 1256},       {"ar", "LY", "", 0x1001, 1256},
    {"ar", "DZ", "", 0x1401, 1256},       {"ar", "MA", "", 0x1801, 1256},
    {"ar", "TN", "", 0x1C01, 1256},       {"ar", "OM", "", 0x2001, 1256},
    {"ar", "YE", "", 0x2401, 1256},       {"ar", "SY", "", 0x2801, 1256},
    {"ar", "JO", "", 0x2C01, 1256},       {"ar", "LB", "", 0x3001, 1256},
    {"ar", "KW", "", 0x3401, 1256},       {"ar", "AE", "", 0x3801, 1256},
    {"ar", "BH", "", 0x3C01, 1256},       {"ar", "QA", "", 0x4001, 1256},
    {"az", "", "", 0x042C, 1254},         {"az", "", "cyrillic", 0x082C, 1251},
    {"be", "", "", 0x0423, 1251},         {"bg", "", "", 0x0402, 1251},
    {"bn", "", "", 0x0445, 1252},         {"bs", "", "", 0x141A, 1250},
    {"ca", "", "", 0x0403, 1252},         {"ca", "", "valencia", 0x0803, 1252},
    {"cs", "", "", 0x0405, 1250},         {"cy", "", "", 0x0452, 1252},
    {"da", "", "", 0x0406, 1252},         {"de", "DE", "", 0x0407, 1252},
    {"de", "CH", "", 0x0807, 1252},       {"de", "AT", "", 0x0C07, 1252},
    {"de", "LU", "", 0x1007, 1252},       {"de", "LI", "", 0x1407, 1252},
    {"el", "", "", 0x0408, 1253},         {"en", "US", "", 0x0409, 1252},
    {"en", "GB", "", 0x0809, 1252},       {"en", "AU", "", 0x0C09, 1252},
    {"en", "CA", "", 0x1009, 1252},       {"en", "NZ", "", 0x1409, 1252},
    {"en", "IE", "", 0x1809, 1252},       {"en", "ZA", "", 0x1C09, 1252},
    {"en", "JM", "", 0x2009, 1252},       {"en", "BZ", "", 0x2809, 1252},
    {"en", "TT", "", 0x2C09, 1252},       {"en", "ZW", "", 0x3009, 1252},
    {"en", "PH", "", 0x3409, 1252},       {"en", "IN", "", 0x4009, 1252},
    {"en", "MY", "", 0x4409, 1252},       {"en", "SG", "", 0x4809, 1252},
    {"es", "ES", "", 0x0C0A, 1252},       {"es", "MX", "", 0x080A, 1252},
    {"es", "GT", "", 0x100A, 1252},       {"es", "CR", "", 0x140A, 1252},
    {"es", "PA", "", 0x180A, 1252},       {"es", "DO", "", 0x1C0A, 1252},
    {"es", "VE", "", 0x200A, 1252},       {"es", "CO", "", 0x240A, 1252},
    {"es", "PE", "", 0x280A, 1252},       {"es", "AR", "", 0x2C0A, 1252},
    {"es", "EC", "", 0x300A, 1252},       {"es", "CL", "", 0x340A, 1252},
    {"es", "UY", "", 0x380A, 1252},       {"es", "PY", "", 0x3C0A, 1252},
    {"es", "BO", "", 0x400A, 1252},       {"es", "SV", "", 0x440A, 1252},
    {"es", "HN", "", 0x480A, 1252},       {"es", "NI", "", 0x4C0A, 1252},
    {"es", "PR", "", 0x500A, 1252},       {"es", "US", "", 0x540A, 1252},
    {"et", "", "", 0x0425, 1257},         {"eu", "", "", 0x042D, 1252},
    {"fa", "", "", 0x0429, 1256},         {"fi", "", "", 0x040B, 1252},
    {"fil", "", "", 0x0464, 1252},        {"fo", "", "", 0x0438, 1252},
    {"fr", "FR", "", 0x040C, 1252},       {"fr", "BE", "", 0x080C, 1252},
    {"fr", "CA", "", 0x0C0C, 1252},       {"fr", "CH", "", 0x100C, 1252},
    {"fr", "LU", "", 0x140C, 1252},       {"fr", "MC", "", 0x180C, 1252},
    {"fy", "", "", 0x0462, 1252},         {"ga", "", "", 0x083C, 1252},
    {"gd", "", "", 0x0491, 1252},         {"gl", "", "", 0x0456, 1252},
    {"gu", "", "", 0x0447, 1252},         {"he", "", "", 0x040D, 1255},
    {"iw", "", "", 0x040D, 1255},         {"hi", "", "", 0x0439, 1252},
    {"hr", "HR", "", 0x041A, 1250},       {"hr", "BA", "", 0x101A, 1250},
    {"hu", "", "", 0x040E, 1250},         {"hy", "", "", 0x042B, 1252},
    {"id", "", "", 0x0421, 1252},         {"is", "", "", 0x040F, 1252},
    {"it", "IT", "", 0x0410, 1252},       {"it", "CH", "", 0x0810, 1252},
    {"ja", "", "", 0x0411, 932},          {"ka", "", "", 0x0437, 1252},
    {"kk", "", "", 0x043F, 1251},         {"km", "", "", 0x0453, 1252},
    {"kn", "", "", 0x044B, 1252},         {"ko", "", "", 0x0412, 949},
    {"ky", "", "", 0x0440, 1251},         {"lb", "", "", 0x046E, 1252},
    {"lo", "", "", 0x0454, 1252},         {"lt", "", "", 0x0427, 1257},
    {"lv", "", "", 0x0426, 1257},         {"mk", "", "", 0x042F, 1251},
    {"ml", "", "", 0x044C, 1252},         {"mn", "", "", 0x0450, 1251},
    {"mr", "", "", 0x044E, 1252},         {"ms", "MY", "", 0x043E, 1252},
    {"ms", "BN", "", 0x083E, 1252},       {"mt", "", "", 0x043A, 1252},
    {"nb", "", "", 0x0414, 1252},         {"no", "", "", 0x0414, 1252},
    {"nn", "", "", 0x0814, 1252},         {"ne", "", "", 0x0461, 1252},
    {"nl", "NL", "", 0x0413, 1252},       {"nl", "BE", "", 0x0813, 1252},
    {"pa", "", "", 0x0446, 1252},         {"pl", "", "", 0x0415, 1250},
    {"ps", "", "", 0x0463, 1256},         {"pt", "PT", "", 0x0816, 1252},
    {"pt", "BR", "", 0x0416, 1252},       {"rm", "", "", 0x0417, 1252},
    {"ro", "", "", 0x0418, 1250},         {"ru", "", "", 0x0419, 1251},
    {"sa", "", "", 0x044F, 1252},         {"si", "", "", 0x045B, 1252},
    {"sk", "", "", 0x041B, 1250},         {"sl", "", "", 0x0424, 1250},
    {"sq", "", "", 0x041C, 1250},         {"sr", "", "", 0x0C1A, 1251},
    {"sr", "", "latin", 0x081A, 1250},    {"sv", "SE", "", 0x041D, 1252},
    {"sv", "FI", "", 0x081D, 1252},       {"sw", "", "", 0x0441, 1252},
    {"ta", "", "", 0x0449, 1252},         {"te", "", "", 0x044A, 1252},
    {"tg", "", "", 0x0428, 1251},         {"th", "", "", 0x041E, 874},
    {"tk", "", "", 0x0442, 1250},         {"tr", "", "", 0x041F, 1254},
    {"tt", "", "", 0x0444, 1251},         {"uk", "", "", 0x0422, 1251},
    {"ur", "", "", 0x0420, 1256},         {"uz", "", "", 0x0443, 1254},
    {"uz", "", "cyrillic", 0x0843, 1251}, {"vi", "", "", 0x042A, 1258},
    {"wo", "", "", 0x0488, 1252},         {"xh", "", "", 0x0434, 1252},
    {"yo", "", "", 0x046A, 1252},         {"zh", "CN", "", 0x0804, 936},
    {"zh", "TW", "", 0x0404, 950},        {"zh", "HK", "", 0x0C04, 950},
    {"zh", "SG", "", 0x1004, 936},        {"zh", "MO", "", 0x1404, 950},
    {"zu", "", "", 0x0435, 1252},
};

std::string ToUpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

bool IsLetters(std::string_view s) {
  for (char c : s) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  }
  return !s.empty();
}

}  // namespace

WindowsLocale LookUpWindowsLocale(std::string_view locale) {
  std::string_view modifier;
  if (std::size_t at = locale.find('@'); at != std::string_view::npos) {
    modifier = locale.substr(at + 1);
    locale = locale.substr(0, at);
  }
  if (std::size_t dot = locale.find('.'); dot != std::string_view::npos) {
    locale = locale.substr(0, dot);
  }
  std::string_view territory;
  if (std::size_t sep = locale.find_first_of("_-"); sep != std::string_view::npos) {
    territory = locale.substr(sep + 1);
    locale = locale.substr(0, sep);
  }
  std::string language = base::ToLowerAscii(locale);
  std::string country = ToUpperAscii(territory);
  std::string mod = base::ToLowerAscii(modifier);
  if (!IsLetters(language) || language.size() > 3 || (!country.empty() && !IsLetters(country))) {
    return {};
  }
  const Entry* main = nullptr;
  const Entry* with_modifier = nullptr;
  for (const Entry& e : kTable) {
    if (language != e.language) continue;
    if (!mod.empty() && mod == e.modifier) {
      if (!with_modifier) with_modifier = &e;
      continue;
    }
    if (*e.modifier != '\0') continue;
    if (!main) main = &e;
    if (country == e.territory) return {e.id, e.code_page};
  }
  const Entry* found = with_modifier ? with_modifier : main;
  if (!found) return {};
  return {found->id, found->code_page};
}

int AnsiCodePageOf(std::uint16_t language_id) {
  for (const Entry& e : kTable) {
    if (e.id == language_id) return e.code_page;
  }
  return 0;
}

std::string LocaleFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "";
}

std::string FormatLanguageId(std::uint16_t language_id) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(4, '0');
  for (int i = 3; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kDigits[language_id & 0xF];
    language_id = static_cast<std::uint16_t>(language_id >> 4);
  }
  return out;
}

}  // namespace cdsetup::platform
