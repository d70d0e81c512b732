// Feeds arbitrary bytes to the sound archive reader as a whole archive: every
// entry it accepts must lie inside the bytes, and its names must be safe to
// join to a directory once CheckEntryName passed them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "copy/sound_archive_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using cdsetup::copy::SoundArchiveReader;
  if (size == 0) return 0;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(
      ::fmemopen(const_cast<uint8_t*>(data), size, "rb"), &std::fclose);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::fopen("/dev/null", "wb"), &std::fclose);
  if (!in || !sink) return 0;
  SoundArchiveReader reader(in.get(), size);
  std::uint64_t seen = 0;
  bool copy = true;
  while (!reader.AtEnd()) {
    auto entry = reader.ReadHeader();
    if (!entry.ok()) break;
    seen += entry.value().Span();
    if (seen > size) __builtin_trap();  // an accepted entry ran past the archive
    if (cdsetup::copy::CheckEntryName(entry.value().name).ok()) {
      for (char c : entry.value().name) {
        if (c == '\\' || c == '/' || static_cast<unsigned char>(c) < 0x20) __builtin_trap();
      }
    }
    // Alternate the two ways of taking the data.
    auto taken = copy ? reader.CopyData(sink.get()) : reader.SkipData();
    copy = !copy;
    if (!taken.ok()) break;
    if (reader.consumed() != seen) __builtin_trap();
  }
  return 0;
}
