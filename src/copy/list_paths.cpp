#include "copy/list_paths.h"

#include "base/ascii.h"
#include "copy/sound_archive_reader.h"

namespace cdsetup::copy {

namespace {

// The longest entry name of the archive `path`; 0 when it cannot be read.
std::size_t LongestEntryName(platform::Platform& platform, const std::string& path) {
  auto opened = platform.OpenFile(path, "rb");
  if (!opened.ok()) return 0;
  auto size = SoundArchiveReader::MeasureSize(opened.value().get());
  if (!size.ok()) return 0;
  SoundArchiveReader reader(opened.value().get(), *size);
  std::size_t longest = 0;
  while (!reader.AtEnd()) {
    auto header = reader.ReadHeader();
    if (!header.ok() || !reader.SkipData().ok()) break;
    longest = std::max(longest, header->name.size());
  }
  return longest;
}

}  // namespace

LongestPath LongestListPath(const script::LocalizedTexts& texts, const std::string& install_type) {
  const script::InstallScript& script = texts.script();
  const int count = script.ReadCount(install_type, "files", install_type);
  LongestPath longest;
  for (int n = 0; n < count; ++n) {
    const std::string source = script.ReadText(install_type, script::FamilyKey("%d", n));
    std::size_t length = source.size();
    const std::string lower = base::ToLowerAscii(source);
    if (lower.find(".snd") != std::string::npos) {
      const std::size_t slash = source.rfind('\\');
      const std::size_t folder = slash == std::string::npos ? 0 : slash + 1;
      length = folder + LongestEntryName(texts.platform(), lower);
    }
    if (length > longest.length) longest = {length, source};
  }
  return longest;
}

}  // namespace cdsetup::copy
