#include "platform/prefix/program_icon.h"

#include <cstdint>

#include "base/byte_order.h"

namespace cdsetup::platform {

using base::ByteReader;

namespace {

constexpr std::uint32_t kGroupIcon = 14;  // RT_GROUP_ICON
constexpr std::uint32_t kResourceDirectory = 2;

// The file offset of the image address `rva`, through the section table.
bool FileOffset(std::string_view image, std::size_t sections, std::uint32_t count,
                std::uint32_t rva, std::uint32_t* offset) {
  for (std::uint32_t n = 0; n < count; ++n) {
    ByteReader s(image);
    std::uint32_t virtual_size = 0, address = 0, raw_size = 0, raw = 0;
    if (!s.Skip(sections + 40 * n + 8) || !s.U32(&virtual_size) || !s.U32(&address) ||
        !s.U32(&raw_size) || !s.U32(&raw)) {
      return false;
    }
    const std::uint32_t size = virtual_size > raw_size ? virtual_size : raw_size;
    if (rva >= address && rva - address < size) {
      *offset = raw + (rva - address);
      return true;
    }
  }
  return false;
}

}  // namespace

bool HasProgramIcon(std::string_view image) {
  ByteReader r(image);
  std::uint32_t pe = 0, signature = 0, sections = 0, optional_size = 0, magic = 0;
  if (image.substr(0, 2) != "MZ" || !r.Skip(0x3C) || !r.U32(&pe)) return false;
  r = ByteReader(image);
  if (!r.Skip(pe) || !r.U32(&signature) || signature != 0x4550 || !r.Skip(2) || !r.U16(&sections) ||
      !r.Skip(12) || !r.U16(&optional_size) || !r.Skip(2)) {
    return false;
  }
  const std::size_t optional = r.pos();
  if (!r.U16(&magic)) return false;
  const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
  std::uint32_t count = 0, rva = 0;
  ByteReader d(image);
  if (!d.Skip(directories - 4) || !d.U32(&count) || count <= kResourceDirectory ||
      !d.Skip(8 * kResourceDirectory) || !d.U32(&rva) || rva == 0) {
    return false;
  }
  std::uint32_t root = 0;
  if (!FileOffset(image, optional + optional_size, sections, rva, &root)) return false;
  ByteReader dir(image);
  std::uint32_t named = 0, ids = 0;
  if (!dir.Skip(root + 12) || !dir.U16(&named) || !dir.U16(&ids) || !dir.Skip(8 * named)) {
    return false;
  }
  for (std::uint32_t n = 0; n < ids; ++n) {
    std::uint32_t id = 0, data = 0;
    if (!dir.U32(&id) || !dir.U32(&data)) return false;
    if (id == kGroupIcon) return true;
  }
  return false;
}

}  // namespace cdsetup::platform
