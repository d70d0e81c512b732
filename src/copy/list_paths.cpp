#include "copy/list_paths.h"

#include <algorithm>

#include "base/ascii.h"
#include "copy/sound_archive_reader.h"
#include "copy/wav_estimate.h"

namespace cdsetup::copy {

namespace {

// An entry's first and last bytes hold what its WAV size is found from.
constexpr std::size_t kEntryEnds = 64 * 1024;

class Measurer {
 public:
  Measurer(platform::Platform& platform, const std::string& target_dir)
      : platform_(platform), target_dir_(target_dir) {
    // A new target replaces nothing: no file of it is looked for.
    auto folder = platform_.GetFileInfo(target_dir_);
    target_exists_ = folder.ok() && folder->is_directory;
  }

  // `written` bytes go to `path` below the target.
  void Add(const std::string& path, std::uint64_t written) {
    added_ += written;
    if (!target_exists_) return;
    auto there = platform_.GetFileInfo(platform::TextNamedPath(target_dir_, path));
    const std::uint64_t replaced = there.ok() && !there->is_directory ? there->size : 0;
    freed_ += std::min(replaced, written);
  }

  // The WAV files of the archive `path`; returns its longest entry name.
  std::size_t AddArchive(const std::string& path, const std::string& folder) {
    auto opened = platform_.OpenFile(path, "rb");
    if (!opened.ok()) return 0;
    auto size = SoundArchiveReader::MeasureSize(opened.value().get());
    if (!size.ok()) return 0;
    SoundArchiveReader reader(opened.value().get(), *size);
    std::size_t longest = 0;
    std::string head, tail;
    while (!reader.AtEnd()) {
      auto header = reader.ReadHeader();
      if (!header.ok() || !reader.SkipDataKeepingEnds(kEntryEnds, head, tail).ok()) break;
      longest = std::max(longest, header->name.size());
      const std::string_view extension = header->kind == kKindVorbis ? ".ogg" : ".spx";
      std::string wav = platform_.CharLowerA(header->name);
      if (wav.size() > 4 && wav.compare(wav.size() - 4, 4, extension) == 0) {
        wav.replace(wav.size() - 4, 4, ".wav");
        Add(folder + wav, EstimateWavBytes(header->kind, head, tail));
      }
    }
    return longest;
  }

  std::uint64_t bytes() const { return added_ - freed_; }

 private:
  platform::Platform& platform_;
  const std::string& target_dir_;
  bool target_exists_ = false;
  std::uint64_t added_ = 0;
  std::uint64_t freed_ = 0;
};

}  // namespace

ListMeasure MeasureList(const script::LocalizedTexts& texts, const std::string& install_type,
                        const std::string& target_dir) {
  const script::InstallScript& script = texts.script();
  platform::Platform& platform = texts.platform();
  const int count = script.ReadCount(install_type, "files", install_type);
  ListMeasure measure;
  Measurer measurer(platform, target_dir);
  for (int n = 0; n < count; ++n) {
    const std::string source = script.ReadText(install_type, script::FamilyKey("%d", n));
    std::size_t length = source.size();
    const std::string lower = base::ToLowerAscii(source);
    if (lower.find(".snd") != std::string::npos) {
      const std::size_t slash = source.rfind('\\');
      const std::string folder = slash == std::string::npos ? "" : source.substr(0, slash + 1);
      length = folder.size() + measurer.AddArchive(lower, folder);
    } else if (auto info = platform.GetFileInfo(lower); info.ok() && !info->is_directory) {
      measurer.Add(source, info->size);
    }
    if (length > measure.longest) {
      measure.longest = length;
      measure.longest_entry = source;
    }
  }
  measure.bytes = measurer.bytes();
  return measure;
}

}  // namespace cdsetup::copy
