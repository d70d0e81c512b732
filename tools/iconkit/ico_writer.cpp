// Icon directory, then one BITMAPINFOHEADER image per entry: its height
// counts the colour rows and the mask rows, both stored bottom-up.
#include "iconkit/ico_writer.h"

#include <cstddef>
#include <cstdint>

namespace cdsetup::iconkit {
namespace {

void Put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kDirectoryEntry = 16;
constexpr std::size_t kInfoHeader = 40;

// Each mask row is padded to 32 bits.
std::size_t MaskRowBytes(int width) {
  return static_cast<std::size_t>((width + 31) / 32) * 4;
}

std::string ImageData(const resources::Image& image) {
  const int side = image.width;
  std::string out;
  Put32(out, kInfoHeader);
  Put32(out, static_cast<std::uint32_t>(side));
  Put32(out, static_cast<std::uint32_t>(side * 2));  // colour rows, then mask rows
  Put16(out, 1);                                     // planes
  Put16(out, 32);                                    // bits per pixel
  for (int i = 0; i < 6; ++i) Put32(out, 0);         // BI_RGB, sizes, palette
  for (int y = side - 1; y >= 0; --y) {
    for (int x = 0; x < side; ++x) Put32(out, image.at(x, y));  // 0xAARRGGBB: B, G, R, A
  }
  const std::size_t row_bytes = MaskRowBytes(side);
  for (int y = side - 1; y >= 0; --y) {
    std::string row(row_bytes, '\0');
    for (int x = 0; x < side; ++x) {
      if ((image.at(x, y) >> 24) == 0) row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }
    out += row;
  }
  return out;
}

}  // namespace

std::string WriteIco(const std::vector<resources::Image>& images) {
  if (images.empty() || images.size() > 0xFFFF) return {};
  for (const resources::Image& image : images) {
    if (image.width != image.height || image.width < 1 || image.width > 256 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
      return {};
    }
  }
  std::string directory;
  Put16(directory, 0);  // reserved
  Put16(directory, 1);  // an icon, not a cursor
  Put16(directory, static_cast<std::uint32_t>(images.size()));
  std::string data;
  std::size_t offset = kDirectoryHeader + kDirectoryEntry * images.size();
  for (const resources::Image& image : images) {
    const std::string bits = ImageData(image);
    const auto side = static_cast<char>(image.width == 256 ? 0 : image.width);  // 0 says 256
    directory.push_back(side);
    directory.push_back(side);
    directory.push_back(0);  // no palette
    directory.push_back(0);  // reserved
    Put16(directory, 1);     // planes
    Put16(directory, 32);    // bits per pixel
    Put32(directory, static_cast<std::uint32_t>(bits.size()));
    Put32(directory, static_cast<std::uint32_t>(offset));
    offset += bits.size();
    data += bits;
  }
  return directory + data;
}

}  // namespace cdsetup::iconkit
