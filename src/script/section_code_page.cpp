#include "script/section_code_page.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/ascii.h"

namespace cdsetup::script {
namespace {

struct NamedLanguage {
  const char* name;  // lower-case ASCII, or UTF-8 as the language writes it
  unsigned id;
};

// The names publishers give their language sections: the English name and
// the language's own, with and without its accents.
constexpr NamedLanguage kNames[] = {
    {"english", 0x0409},
    {"polski", 0x0415},
    {"polish", 0x0415},
    {"deutsch", 0x0407},
    {"german", 0x0407},
    {"francais", 0x040C},
    {"fran\xC3\xA7"
     "ais",
     0x040C},
    {"french", 0x040C},
    {"espanol", 0x0C0A},
    {"espa\xC3\xB1ol", 0x0C0A},
    {"spanish", 0x0C0A},
    {"italiano", 0x0410},
    {"italian", 0x0410},
    {"nederlands", 0x0413},
    {"dutch", 0x0413},
    {"portugues", 0x0816},
    {"portugu\xC3\xAAs", 0x0816},
    {"portuguese", 0x0816},
    {"svenska", 0x041D},
    {"swedish", 0x041D},
    {"dansk", 0x0406},
    {"danish", 0x0406},
    {"norsk", 0x0414},
    {"norwegian", 0x0414},
    {"suomi", 0x040B},
    {"finnish", 0x040B},
    {"cesky", 0x0405},
    {"cestina", 0x0405},
    {"\xC4\x8D"
     "e\xC5\xA1tina",
     0x0405},
    {"czech", 0x0405},
    {"slovensky", 0x041B},
    {"slovencina", 0x041B},
    {"slovak", 0x041B},
    {"magyar", 0x040E},
    {"hungarian", 0x040E},
    {"slovenscina", 0x0424},
    {"slovenian", 0x0424},
    {"hrvatski", 0x041A},
    {"croatian", 0x041A},
    {"romana", 0x0418},
    {"rom\xC3\xA2n\xC4\x83", 0x0418},
    {"romanian", 0x0418},
    {"russian", 0x0419},
    {"russkij", 0x0419},
    {"\xD1\x80\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9", 0x0419},
    {"ukrainian", 0x0422},
    {"bulgarian", 0x0402},
    {"greek", 0x0408},
    {"turkish", 0x041F},
    {"turkce", 0x041F},
    {"t\xC3\xBCrk\xC3\xA7"
     "e",
     0x041F},
    {"lithuanian", 0x0427},
    {"lietuviu", 0x0427},
    {"latvian", 0x0426},
    {"latviesu", 0x0426},
    {"estonian", 0x0425},
    {"eesti", 0x0425},
    {"japanese", 0x0411},
    {"chinese", 0x0804},
    {"korean", 0x0412},
};

}  // namespace

bool IsLanguageIdKey(std::string_view key) {
  if (key.size() != 4) return false;
  for (char c : key) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

unsigned LanguageIdOfName(std::string_view name) {
  name = base::TrimBlanks(name);
  for (const NamedLanguage& n : kNames) {
    if (base::EqualsIgnoreCaseAscii(name, n.name)) return n.id;
  }
  return 0;
}

namespace {

// The language ids [Language] maps to `section`, in the script's order.
std::vector<std::string> IdsMappedTo(const InstallScript& script, std::string_view section) {
  std::vector<std::string> ids;
  for (const platform::ProfileEntry& key :
       script.platform().GetPrivateProfileSectionA("Language", script.path())) {
    if (key.repeated || !IsLanguageIdKey(key.name)) continue;
    if (base::EqualsIgnoreCaseAscii(script.ReadText("Language", key.name), section)) {
      ids.push_back(key.name);
    }
  }
  return ids;
}

}  // namespace

unsigned SectionLanguageId(const InstallScript& script, std::string_view section) {
  // The same id the code page comes from: one no system knows is passed over.
  for (const std::string& id : IdsMappedTo(script, section)) {
    if (script.platform().LanguageCodePage(id) != 0) {
      return static_cast<unsigned>(std::strtoul(id.c_str(), nullptr, 16));
    }
  }
  return LanguageIdOfName(section);
}

int SectionCodePage(const InstallScript& script, std::string_view section) {
  platform::Platform& platform = script.platform();
  for (const std::string& id : IdsMappedTo(script, section)) {
    if (const int code_page = platform.LanguageCodePage(id); code_page != 0) return code_page;
  }
  if (const unsigned id = LanguageIdOfName(section); id != 0) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", id);
    return platform.LanguageCodePage(hex);
  }
  return 0;
}

}  // namespace cdsetup::script
