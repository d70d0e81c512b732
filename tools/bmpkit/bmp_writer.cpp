#include "bmpkit/bmp_writer.h"

namespace cdsetup::bmpkit {

void Put16(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

std::string WriteBmp(const BmpFile& bmp) {
  std::string header(14 + bmp.header_size, '\0');
  header[0] = 'B';
  header[1] = 'M';
  Put32(header, 14, bmp.header_size);
  if (bmp.header_size == 12) {
    Put16(header, 18, static_cast<std::uint32_t>(bmp.width));
    Put16(header, 20, static_cast<std::uint32_t>(bmp.height));
    Put16(header, 22, 1);
    Put16(header, 24, bmp.bpp);
  } else {
    Put32(header, kWidthAt, static_cast<std::uint32_t>(bmp.width));
    Put32(header, kHeightAt, static_cast<std::uint32_t>(bmp.height));
    Put16(header, kPlanesAt, 1);
    Put16(header, kBppAt, bmp.bpp);
    Put32(header, 30, bmp.compression);
    Put32(header, 34, static_cast<std::uint32_t>(bmp.pixels.size()));
    // A short palette is announced, as writers do.
    std::uint32_t used = bmp.colours_used;
    if (used == 0 && bmp.bpp <= 8 && bmp.palette.size() < (1u << bmp.bpp)) {
      used = static_cast<std::uint32_t>(bmp.palette.size());
    }
    Put32(header, kColoursUsedAt, used);
  }
  std::string extra;
  if (bmp.header_size == 40) {
    extra.resize(bmp.masks.size() * 4);
    for (std::size_t i = 0; i < bmp.masks.size(); ++i) Put32(extra, i * 4, bmp.masks[i]);
  } else {
    for (std::size_t i = 0; i < bmp.masks.size(); ++i) Put32(header, 54 + i * 4, bmp.masks[i]);
  }
  const std::size_t entry = bmp.header_size == 12 ? 3 : 4;
  std::string palette(bmp.palette.size() * entry, '\0');
  for (std::size_t i = 0; i < bmp.palette.size(); ++i) {
    palette[i * entry] = static_cast<char>(bmp.palette[i] & 0xFF);
    palette[i * entry + 1] = static_cast<char>(bmp.palette[i] >> 8 & 0xFF);
    palette[i * entry + 2] = static_cast<char>(bmp.palette[i] >> 16 & 0xFF);
  }
  std::string file = header + extra + palette;
  Put32(file, kOffBitsAt, static_cast<std::uint32_t>(file.size()));
  file += bmp.pixels;
  Put32(file, 2, static_cast<std::uint32_t>(file.size()));
  return file;
}

Picture MakePicture(int width, int height, int colour_count) {
  Picture p{width, height, {}, {}};
  for (int i = 0; i < colour_count; ++i) {
    p.colours.push_back(static_cast<std::uint32_t>(i * 0x3B1F07 + 0x102030) & 0xFFFFFF);
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.index.push_back((x * 3 + y * 5 + x * y) % colour_count);
  }
  return p;
}

std::string PackRows(const Picture& p, int bpp, bool top_down) {
  const std::size_t stride = (static_cast<std::size_t>(p.width) * bpp + 31) / 32 * 4;
  std::string out;
  for (int row = 0; row < p.height; ++row) {
    const int y = top_down ? row : p.height - 1 - row;
    std::string line(stride, '\0');
    for (int x = 0; x < p.width; ++x) {
      const int i = p.index[y * p.width + x];
      const std::uint32_t c = p.colours[static_cast<std::size_t>(i)];
      if (bpp <= 8) {
        const int bit = x * bpp;
        line[static_cast<std::size_t>(bit / 8)] |= static_cast<char>(i << (8 - bpp - bit % 8));
      } else {
        for (int b = 0; b < bpp / 8; ++b) {
          line[x * bpp / 8 + b] = static_cast<char>(c >> (8 * b) & 0xFF);
        }
      }
    }
    out += line;
  }
  return out;
}

std::string PackRle(const Picture& p, bool four_bits) {
  std::string out;
  for (int y = p.height - 1; y >= 0; --y) {
    const int* row = &p.index[y * p.width];
    for (int x = 0; x < p.width;) {
      int n = 1;
      while (x + n < p.width && row[x + n] == row[x] && n < 255) ++n;
      out += static_cast<char>(n);
      out += static_cast<char>(four_bits ? row[x] << 4 | row[x] : row[x]);
      x += n;
    }
    out += std::string("\0\0", 2);
  }
  out += std::string("\0\1", 2);
  return out;
}

BmpFile PictureBmp(const Picture& p, int bpp, bool top_down) {
  BmpFile bmp;
  bmp.width = p.width;
  bmp.height = top_down ? -p.height : p.height;
  bmp.bpp = static_cast<std::uint16_t>(bpp);
  if (bpp <= 8) bmp.palette = p.colours;
  bmp.pixels = PackRows(p, bpp, top_down);
  return bmp;
}

BmpFile RleBmp(const Picture& p, bool four_bits) {
  BmpFile bmp;
  bmp.width = p.width;
  bmp.height = p.height;
  bmp.bpp = four_bits ? 4 : 8;
  bmp.compression = four_bits ? 2 : 1;
  bmp.palette = p.colours;
  bmp.pixels = PackRle(p, four_bits);
  return bmp;
}

}  // namespace cdsetup::bmpkit
