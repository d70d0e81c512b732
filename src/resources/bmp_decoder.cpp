// Reads Windows BMP files from memory. Every field is checked before it is
// used: offsets and sizes against the bytes at hand, dimensions against fixed
// bounds, all size arithmetic in 64 bits after those bounds.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/byte_order.h"
#include "resources/image.h"

namespace cdsetup::resources {
namespace {

using base::Result;
using base::Status;

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

// Compression values of the info header.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

constexpr std::uint32_t kOpaque = 0xFF000000u;

// Little-endian reads that fail instead of reading past the end.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  std::uint64_t size() const { return data_.size(); }
  bool Has(std::uint64_t offset, std::uint64_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }
  // Callers check Has() first; these never look outside the bytes regardless.
  std::uint8_t U8(std::uint64_t at) const {
    return at < data_.size() ? static_cast<std::uint8_t>(data_[at]) : 0;
  }
  std::uint16_t U16(std::uint64_t at) const { return Has(at, 2) ? base::LoadLe16(At(at)) : 0; }
  std::uint32_t U32(std::uint64_t at) const { return Has(at, 4) ? base::LoadLe32(At(at)) : 0; }
  std::int32_t I32(std::uint64_t at) const { return static_cast<std::int32_t>(U32(at)); }

 private:
  const unsigned char* At(std::uint64_t at) const {
    return reinterpret_cast<const unsigned char*>(data_.data()) + at;
  }
  std::string_view data_;
};

std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return kOpaque | static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | b;
}

// One colour channel given by a bit mask, widened or narrowed to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;  // the largest value under the mask, after the shift

  std::uint32_t Extract(std::uint32_t pixel, std::uint32_t absent) const {
    if (mask == 0) return absent;
    std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint32_t>((value * 255 + max / 2) / max);
  }
};

// A mask must be one run of bits; anything else has no meaning as a channel.
bool MakeChannel(std::uint32_t mask, Channel* channel) {
  channel->mask = mask;
  if (mask == 0) return true;
  channel->shift = std::countr_zero(mask);
  std::uint32_t run = mask >> channel->shift;
  if ((run & (run + 1)) != 0) return false;
  channel->max = run;
  return true;
}

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // positive; see top_down
  bool top_down = false;
  std::uint32_t bpp = 0;
  std::uint32_t compression = kRgb;
  std::uint64_t palette_offset = 0;
  std::uint64_t palette_entry_size = 4;
  std::uint64_t palette_count = 0;
  std::uint64_t pixel_offset = 0;
  Channel red, green, blue, alpha;
};

base::Status Corrupt(const std::string& what) {
  return base::Status::Corrupt("BMP: " + what);
}

base::Status ReadMasks(const Bytes& in, std::uint64_t at, bool with_alpha, Header* h) {
  std::uint64_t count = with_alpha ? 4 : 3;
  if (!in.Has(at, count * 4)) return Corrupt("colour masks past the end");
  bool ok = MakeChannel(in.U32(at), &h->red) && MakeChannel(in.U32(at + 4), &h->green) &&
            MakeChannel(in.U32(at + 8), &h->blue) &&
            (!with_alpha || MakeChannel(in.U32(at + 12), &h->alpha));
  return ok ? base::Status::Ok() : Corrupt("a colour mask is not one run of bits");
}

base::Result<Header> ReadHeader(const Bytes& in) {
  if (!in.Has(0, kFileHeaderSize + 4)) return Corrupt("file shorter than its headers");
  if (in.U8(0) != 'B' || in.U8(1) != 'M') return Corrupt("no BM signature");
  Header h;
  h.pixel_offset = in.U32(10);
  const std::uint32_t info_size = in.U32(kFileHeaderSize);
  const std::uint64_t info = kFileHeaderSize;
  if (!in.Has(info, info_size)) return Corrupt("bitmap header past the end");

  std::uint64_t planes = 0;
  std::uint64_t colours_used = 0;
  if (info_size == kCoreHeaderSize) {
    // The old core header: unsigned 16-bit sizes, always bottom-up, and
    // three-byte palette entries.
    h.width = in.U16(info + 4);
    h.height = in.U16(info + 6);
    planes = in.U16(info + 8);
    h.bpp = in.U16(info + 10);
    h.palette_entry_size = 3;
  } else if (info_size == kInfoHeaderSize || info_size == 52 || info_size == 56 ||
             info_size == 108 || info_size == 124) {
    h.width = in.I32(info + 4);
    const std::int64_t height = in.I32(info + 8);
    planes = in.U16(info + 12);
    h.bpp = in.U16(info + 14);
    h.compression = in.U32(info + 16);
    colours_used = in.U32(info + 32);
    h.top_down = height < 0;
    h.height = height < 0 ? -height : height;
  } else {
    return base::Status::Unsupported("BMP: header of " + std::to_string(info_size) + " bytes");
  }
  if (planes != 1) return Corrupt("plane count is not 1");
  if (h.width <= 0 || h.height <= 0) return Corrupt("width or height not positive");
  if (h.width > kMaxImageSide || h.height > kMaxImageSide ||
      static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height) * 4 >
          kMaxImageBytes) {
    return base::Status::Refused("BMP: " + std::to_string(h.width) + " x " +
                                 std::to_string(h.height) + " is too large");
  }

  const std::uint32_t c = h.compression;
  const std::uint32_t b = h.bpp;
  const bool supported =
      (c == kRgb && (b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32)) ||
      (c == kRle8 && b == 8) || (c == kRle4 && b == 4) ||
      ((c == kBitFields || c == kAlphaBitFields) && (b == 16 || b == 32));
  if (!supported) {
    return base::Status::Unsupported("BMP: " + std::to_string(b) +
                                     " bits per pixel with compression " + std::to_string(c));
  }
  if (info_size == kCoreHeaderSize && b == 16) return Corrupt("16 bits in a core header");
  if ((c == kRle8 || c == kRle4) && h.top_down) return Corrupt("top-down RLE bitmap");

  std::uint64_t after_header = info + info_size;
  if (c == kBitFields || c == kAlphaBitFields) {
    if (info_size == kInfoHeaderSize) {
      // The plain info header keeps its masks just behind it.
      base::Status masks = ReadMasks(in, after_header, c == kAlphaBitFields, &h);
      if (!masks.ok()) return masks;
      after_header += c == kAlphaBitFields ? 16 : 12;
    } else {
      base::Status masks = ReadMasks(in, info + 40, info_size >= 56, &h);
      if (!masks.ok()) return masks;
    }
  } else if (b == 16) {
    // Uncompressed 16 bits are 5-5-5.
    (void)MakeChannel(0x7C00, &h.red);
    (void)MakeChannel(0x03E0, &h.green);
    (void)MakeChannel(0x001F, &h.blue);
  }

  if (b <= 8) {
    const std::uint64_t full = std::uint64_t{1} << b;
    h.palette_count = colours_used == 0 || colours_used > full ? full : colours_used;
    h.palette_offset = after_header;
    if (!in.Has(h.palette_offset, h.palette_count * h.palette_entry_size)) {
      return Corrupt("palette past the end");
    }
  }
  if (h.pixel_offset < info + info_size || h.pixel_offset > in.size()) {
    return Corrupt("pixel data offset outside the file");
  }
  return h;
}

class Decoder {
 public:
  Decoder(const Bytes& in, const Header& h) : in_(in), h_(h) {
    for (std::uint64_t i = 0; i < h.palette_count; ++i) {
      std::uint64_t at = h.palette_offset + i * h.palette_entry_size;
      palette_[i] = Rgb(in.U8(at + 2), in.U8(at + 1), in.U8(at));
    }
  }

  base::Status Decode() {
    const bool rle = h_.compression == kRle8 || h_.compression == kRle4;
    // Uncompressed data must all be there before the picture is allocated, so
    // a short file cannot ask for a large block of memory.
    if (!rle && !in_.Has(h_.pixel_offset, Stride() * static_cast<std::uint64_t>(h_.height))) {
      return Corrupt("pixel data past the end");
    }
    image_.width = static_cast<int>(h_.width);
    image_.height = static_cast<int>(h_.height);
    // Pixels that RLE data leaves out stay transparent.
    image_.pixels.assign(static_cast<std::size_t>(h_.width * h_.height), 0);
    return rle ? DecodeRle(h_.compression == kRle4) : DecodeRows();
  }

  Image Take() { return std::move(image_); }

 private:
  std::uint32_t Colour(std::uint32_t index) const {
    return index < h_.palette_count ? palette_[index] : kOpaque;
  }

  // Row `y` counted as stored in the file: from the bottom unless top-down.
  std::uint32_t* Row(std::int64_t stored_y) {
    std::int64_t y = h_.top_down ? stored_y : h_.height - 1 - stored_y;
    return image_.pixels.data() + y * h_.width;
  }

  // Bytes per stored row: whole 32-bit words.
  std::uint64_t Stride() const {
    return (static_cast<std::uint64_t>(h_.width) * h_.bpp + 31) / 32 * 4;
  }

  base::Status DecodeRows() {
    const std::uint64_t stride = Stride();
    const std::uint32_t opaque_if_no_alpha = h_.alpha.mask == 0 ? kOpaque : 0;
    for (std::int64_t y = 0; y < h_.height; ++y) {
      const std::uint64_t row = h_.pixel_offset + static_cast<std::uint64_t>(y) * stride;
      std::uint32_t* out = Row(y);
      for (std::int64_t x = 0; x < h_.width; ++x) {
        const std::uint64_t ux = static_cast<std::uint64_t>(x);
        switch (h_.bpp) {
          case 1:
            out[x] = Colour(in_.U8(row + ux / 8) >> (7 - ux % 8) & 1);
            break;
          case 4:
            out[x] = Colour(in_.U8(row + ux / 2) >> (ux % 2 == 0 ? 4 : 0) & 0xF);
            break;
          case 8:
            out[x] = Colour(in_.U8(row + ux));
            break;
          case 24:
            out[x] = Rgb(in_.U8(row + ux * 3 + 2), in_.U8(row + ux * 3 + 1), in_.U8(row + ux * 3));
            break;
          case 16:
          case 32: {
            if (h_.bpp == 32 && h_.compression == kRgb) {
              // The fourth byte is reserved in plain 32-bit data.
              out[x] = kOpaque | (in_.U32(row + ux * 4) & 0xFFFFFF);
              break;
            }
            const std::uint32_t p = h_.bpp == 16 ? in_.U16(row + ux * 2) : in_.U32(row + ux * 4);
            out[x] = opaque_if_no_alpha | h_.alpha.Extract(p, 0) << 24 |
                     h_.red.Extract(p, 0) << 16 | h_.green.Extract(p, 0) << 8 |
                     h_.blue.Extract(p, 0);
            break;
          }
          default:
            return Corrupt("bit depth");
        }
      }
    }
    return base::Status::Ok();
  }

  // Run-length data: pairs of (count, value), or an escape (0, code): end of
  // line, end of bitmap, a move, or a run of literal pixels padded to 16 bits.
  // A run that leaves the image makes the file corrupt rather than clipped.
  base::Status DecodeRle(bool four_bits) {
    std::uint64_t at = h_.pixel_offset;
    const std::uint64_t end = in_.size();
    std::int64_t x = 0;
    std::int64_t y = 0;
    auto put = [&](std::uint32_t index) { Row(y)[x++] = Colour(index); };
    auto room = [&](std::int64_t n) { return y < h_.height && n <= h_.width - x; };
    while (true) {
      if (end - at < 2) {
        // Some writers leave out the final end-of-bitmap; accept that only when
        // every line was reached.
        if (y >= h_.height || (y == h_.height - 1 && x == h_.width)) return base::Status::Ok();
        return Corrupt("RLE data ends early");
      }
      const std::uint8_t count = in_.U8(at);
      const std::uint8_t value = in_.U8(at + 1);
      at += 2;
      if (count > 0) {
        if (!room(count)) return Corrupt("RLE run past the edge of the image");
        for (int i = 0; i < count; ++i) {
          put(four_bits ? (i % 2 == 0 ? value >> 4 : value & 0xF) : value);
        }
        continue;
      }
      switch (value) {
        case 0:  // end of line
          x = 0;
          ++y;
          break;
        case 1:  // end of bitmap
          return base::Status::Ok();
        case 2: {  // move right and up
          if (end - at < 2) return Corrupt("RLE move cut off");
          x += in_.U8(at);
          y += in_.U8(at + 1);
          at += 2;
          // Standing just past the last pixel of a line, or at the start of the
          // line above the image, is where plain end-of-line would also lead.
          if (x > h_.width || y > h_.height || (y == h_.height && x > 0)) {
            return Corrupt("RLE move past the edge of the image");
          }
          break;
        }
        default: {  // literal pixels
          const std::uint64_t n = value;
          std::uint64_t bytes = four_bits ? (n + 1) / 2 : n;
          bytes += bytes % 2;
          if (end - at < bytes) return Corrupt("RLE literal run cut off");
          if (!room(value)) return Corrupt("RLE literal run past the edge of the image");
          for (std::uint64_t i = 0; i < n; ++i) {
            const std::uint8_t byte = in_.U8(at + (four_bits ? i / 2 : i));
            put(four_bits ? (i % 2 == 0 ? byte >> 4 : byte & 0xF) : byte);
          }
          at += bytes;
          break;
        }
      }
    }
  }

  const Bytes& in_;
  const Header& h_;
  std::uint32_t palette_[256] = {};
  Image image_;
};

}  // namespace

base::Result<Image> DecodeBmp(std::string_view bytes) {
  const Bytes in(bytes);
  base::Result<Header> header = ReadHeader(in);
  if (!header.ok()) return header.status();
  Decoder decoder(in, header.value());
  base::Status decoded = decoder.Decode();
  if (!decoded.ok()) return decoded;
  return decoder.Take();
}

}  // namespace cdsetup::resources
