#include "check/page_files.h"

#include <algorithm>
#include <cstdio>

#include "copy/copy_engine.h"
#include "pages/licence_dlg.h"
#include "platform/read_whole_file.h"
#include "resources/image.h"
#include "resources/resource_ids.h"

namespace cdsetup::check {

namespace {

// The file's bytes, as the page reads them; reports what keeps it from them.
std::optional<std::string> ReadShown(const Medium& medium, std::size_t line,
                                     const std::string& what, const std::string& name,
                                     std::uint64_t max_size, const char* without) {
  platform::Platform& platform = medium.platform();
  auto info = platform.GetFileInfo(name);
  if (!info.ok() || info->is_directory) {
    medium.report.Add(line, what +
                                (info.ok() ? ": a folder, not a file"
                                           : ": no such file on "
                                             "the medium") +
                                without);
    return std::nullopt;
  }
  if (info->size > max_size) {
    medium.report.Add(line, what + ": " + std::to_string(info->size) + " bytes: more than the " +
                                std::to_string(max_size) + " read" + without);
    return std::nullopt;
  }
  std::string bytes = platform::ReadWholeFile(platform, name, max_size);
  if (bytes.size() != info->size) {
    medium.report.Add(line, what + ": cannot be read whole" + without);
    return std::nullopt;
  }
  return bytes;
}

void CheckLicence(const Medium& medium, const LanguageSection& language) {
  constexpr std::string_view kKey = "IDS_LICENCE_FILE_NAME";
  const std::string name = medium.script.Text(language.name, kKey);
  if (name.empty()) return;  // the texts' to report
  const std::size_t line = medium.script.Line(language.name, kKey);
  const std::string what = KeyName(language.name, kKey, name);
  std::optional<std::string> text =
      ReadShown(medium, line, what, name, pages::CLicenceDlg::kMaxAgreementSize,
                ": the licence box would be empty");
  if (!text) return;
  if (const std::size_t zero = text->find('\0'); zero != std::string::npos) {
    medium.report.Add(line, what + ": a zero byte at byte " + std::to_string(zero) +
                                " ends the text shown there");
    text->resize(zero);
  }
  const std::size_t bad = medium.platform().FindInvalidByte(*text, language.code_page);
  if (bad != std::string::npos) {
    const auto text_line = std::count(text->begin(), text->begin() + bad, '\n') + 1;
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>((*text)[bad]));
    medium.report.Add(line, what + ": byte " + byte + " on its line " + std::to_string(text_line) +
                                " is no character of code page " +
                                std::to_string(language.code_page));
  }
}

void CheckBackground(const Medium& medium, const LanguageSection& language) {
  constexpr std::string_view kKey = "Bitmap";
  const std::string name = medium.script.Text(language.name, kKey);
  const std::size_t line = medium.script.Line(language.name, kKey);
  const char* without = ": the main dialog would show no picture";
  if (name.empty()) {
    medium.report.Add(
        line, (medium.script.Has(language.name, kKey) ? KeyName(language.name, kKey) + " is empty"
                                                      : "[" + language.name + "] has no Bitmap") +
                  without);
    return;
  }
  const std::string what = KeyName(language.name, kKey, name);
  if (base::Status inside = copy::CheckListEntry(name); !inside.ok()) {
    medium.report.Add(line,
                      what + ": its copy would not land inside the target: " + inside.message());
  }
  std::optional<std::string> bytes =
      ReadShown(medium, line, what, name, resources::kMaxBackgroundFile, without);
  if (!bytes) return;
  auto image = resources::DecodeBmp(*bytes);
  if (!image.ok()) {
    medium.report.Add(line, what + ": not a picture the decoder reads (" +
                                image.status().message() + ")" + without);
  } else if (image->width != resources::kBackgroundWidth ||
             image->height != resources::kBackgroundHeight) {
    medium.report.Add(line, what + ": " + std::to_string(image->width) + " x " +
                                std::to_string(image->height) + " pixels: it is shown " +
                                std::to_string(resources::kBackgroundWidth) + " x " +
                                std::to_string(resources::kBackgroundHeight) + ", stretched");
  }
}

}  // namespace

void CheckPageFiles(const Medium& medium, const LanguageSection& language) {
  if (medium.licence_shown) CheckLicence(medium, language);
  CheckBackground(medium, language);
}

}  // namespace cdsetup::check
