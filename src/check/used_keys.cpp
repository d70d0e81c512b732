#include "check/used_keys.h"

#include <charconv>

#include "base/ascii.h"

namespace cdsetup::check {

namespace {

constexpr UsedText kTexts[] = {
    {"IDS_NAZWA_GRY2", "the main dialog's caption and the closing message's", Shown::kAlways},
    {"IDS_DALEJ", "the install and next buttons", Shown::kAlways},
    {"IDS_WYJSCIE", "the main dialog's exit button", Shown::kAlways},
    {"IDS_POWROT", "the back buttons of the install type and target pages", Shown::kAlways},
    {"IDS_NAZWA_GRY", "the caption of the questions, errors and target page", Shown::kAlways},
    {"IDS_KONIEC_INST", "the closing message", Shown::kAlways},
    {"IDS_E_DIR_DOESNOT_EXIST", "the question whether to create the target folder", Shown::kAlways},
    {"IDS_E_CREATING_DIR", "the error when the target folder cannot be made", Shown::kAlways},
    {"IDS_E_COPYING_FILES", "the caption of the copy error", Shown::kAlways},
    {"IDS_E_CREATING_SHORTCUT", "the error when the shortcuts cannot be made", Shown::kAlways},
    {"IDS_INST_DX", "the question whether to install DirectX", Shown::kAlways},
    {"IDS_DXINSTALL_PATH", "the DirectX installer on the CD", Shown::kAlways},
    {"IDS_DOMYSLNY_KATALOG", "the target folder proposed", Shown::kAlways},
    {"IDS_COMPANY_NAME", "the first level of the Start-menu folder", Shown::kAlways},
    {"IDS_PROGRAM_NAME", "the Start-menu folder and the name among installed programs",
     Shown::kAlways},
    {"IDS_DYSK", "the drive label of the target page", Shown::kAlways},
    {"IDS_KATALOG_NAME", "the folder label of the target page", Shown::kAlways},
    {"IDS_KOPIOWANIE_PLIKOW", "the copy page's caption", Shown::kAlways},
    {"IDS_PRZERWIJ", "the copy page's abort button", Shown::kAlways},
    {"IDS_KOPIUJE_TERAZ_PLIK", "the copy page's line before each file", Shown::kAlways},
    {"IDS_E_WRITEOFILE", "the copy error's text", Shown::kAlways},
    {"IDS_LICENCJA", "the licence page's caption", Shown::kWithLicence},
    {"IDS_AKCEPT_UMOWE", "the licence page's accept button", Shown::kWithLicence},
    {"IDS_NIE", "the licence page's back button", Shown::kWithLicence},
    {"IDS_LICENCE_FILE_NAME", "the licence file", Shown::kWithLicence},
    {"IDS_RODZAJ_INST", "the install type page's caption", Shown::kWithInstallType},
    {"IDS_WYBIERZ_INST", "the install type page's group label", Shown::kWithInstallType},
    {"IDS_WERSJA_MIN", "the minimal install choice", Shown::kWithInstallType},
    {"IDS_WERSJA_STD", "the standard install choice", Shown::kWithInstallType},
    {"IDS_WERSJA_MAX", "the full install choice", Shown::kWithInstallType},
};

constexpr std::string_view kOptionKeys[] = {"PROGRAM_NAME", "DEINSTALLEXE_NAME", "show_licence",
                                            "show_install_mode",
                                            // written into the target's copy; harmless here
                                            "Language"};
constexpr std::string_view kLanguageKeys[] = {"Bitmap", "Shortcuts", "OTHERFILES"};
constexpr std::string_view kLanguageFamilies[] = {"Description%d", "File%d", "Work%d", "Message%d",
                                                  "Exe%d"};

bool OneOf(std::span<const std::string_view> names, std::string_view key) {
  for (std::string_view n : names) {
    if (base::EqualsIgnoreCaseAscii(n, key)) return true;
  }
  return false;
}

bool AnyFamily(std::span<const std::string_view> patterns, std::string_view key) {
  for (std::string_view p : patterns) {
    if (FamilyIndex(p, key)) return true;
  }
  return false;
}

}  // namespace

std::span<const UsedText> UsedTexts() {
  return kTexts;
}

bool IsReadKey(SectionKind kind, std::string_view key) {
  switch (kind) {
    case SectionKind::kOption:
      return OneOf(kOptionKeys, key);
    case SectionKind::kLanguageList:
      return base::EqualsIgnoreCaseAscii(key, "Nr") || FamilyIndex("%d", key) ||
             IsLanguageIdKey(key);
    case SectionKind::kLanguage:
      for (const UsedText& t : kTexts) {
        if (base::EqualsIgnoreCaseAscii(t.key, key)) return true;
      }
      return OneOf(kLanguageKeys, key) || AnyFamily(kLanguageFamilies, key);
    case SectionKind::kInstallType:
      return base::EqualsIgnoreCaseAscii(key, "files") || FamilyIndex("%d", key);
  }
  return false;
}

std::optional<int> FamilyIndex(std::string_view pattern, std::string_view key) {
  const std::size_t at = pattern.find("%d");
  const std::string_view head = pattern.substr(0, at);
  const std::string_view tail = pattern.substr(at + 2);
  if (key.size() <= head.size() + tail.size()) return std::nullopt;
  if (!base::EqualsIgnoreCaseAscii(key.substr(0, head.size()), head) ||
      !base::EqualsIgnoreCaseAscii(key.substr(key.size() - tail.size()), tail)) {
    return std::nullopt;
  }
  const std::string_view digits = key.substr(head.size(), key.size() - head.size() - tail.size());
  if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
  int n = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (error != std::errc() || end != digits.data() + digits.size() || n < 0) return std::nullopt;
  return n;
}

}  // namespace cdsetup::check
