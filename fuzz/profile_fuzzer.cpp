// Feeds arbitrary bytes to the profile engine: the index must build, every
// lookup stay inside the text, the listing give lines that are there, and a
// write keep the text readable.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  cdsetup::platform::ProfileIndex index(text);
  for (const char* section : {"Option", "Language", "std", ""}) {
    for (const char* key : {"files", "0", "Nr", "Language", ""}) {
      if (auto v = index.Find(section, key)) {
        volatile char sink = v->empty() ? 0 : (*v)[v->size() - 1];
        (void)sink;
      }
    }
  }
  // Every listed section finds its keys, each on a line of the text.
  const std::size_t lines = text.size() + 1;
  for (const cdsetup::platform::ProfileEntry& section : index.SectionNames()) {
    if (section.line == 0 || section.line > lines) __builtin_trap();
    for (const cdsetup::platform::ProfileEntry& key : index.Keys(section.name)) {
      if (key.line <= section.line && !section.repeated) __builtin_trap();
    }
  }
  auto written = cdsetup::platform::ProfileSetValue(text, "Option", "Language", "Polski");
  if (written.ok()) {
    cdsetup::platform::ProfileIndex again(*written);
    auto v = again.Find("Option", "Language");
    // The first [Option] section may be a later duplicate's shadow; the value
    // written is the one read back whenever the section was found.
    if (!v || *v != "Polski") __builtin_trap();
  }
  return 0;
}
