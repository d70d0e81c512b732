#include "platform/read_whole_file.h"

#include <cstdio>

namespace cdsetup::platform {

std::string ReadWholeFile(Platform& platform, const std::string& path, std::uint64_t max_size) {
  auto opened = platform.OpenFile(path, "rb");
  if (!opened.ok()) return {};
  std::FILE* f = opened->get();
  if (std::fseek(f, 0, SEEK_END) != 0) return {};
  const long size = std::ftell(f);
  if (size < 0 || static_cast<std::uint64_t>(size) > max_size) return {};
  std::rewind(f);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  return bytes;
}

}  // namespace cdsetup::platform
