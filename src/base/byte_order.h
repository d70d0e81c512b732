// Little-endian numbers in the binary formats we read and write (sound
// archives, WAV and BMP headers, shell links): loads and stores at a pointer,
// appends to a byte string, and a reader that never runs past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cdsetup::base {

inline std::uint16_t LoadLe16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t LoadLe32(const unsigned char* p) {
  return static_cast<std::uint32_t>(LoadLe16(p)) | static_cast<std::uint32_t>(LoadLe16(p + 2))
                                                       << 16;
}
inline void StoreLe16(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void StoreLe32(unsigned char* p, std::uint32_t v) {
  StoreLe16(p, v);
  StoreLe16(p + 2, v >> 16);
}

inline void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
inline void Put64(std::string& out, std::uint64_t v) {
  Put32(out, static_cast<std::uint32_t>(v));
  Put32(out, static_cast<std::uint32_t>(v >> 32));
}
inline void PutUtf16(std::string& out, std::u16string_view s) {
  for (char16_t c : s) Put16(out, c);
}

/// Reads little-endian fields from a byte string; every read fails, and
/// moves nothing, when it would run past the end.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  bool Has(std::size_t n) const { return pos_ <= bytes_.size() && bytes_.size() - pos_ >= n; }
  std::size_t pos() const { return pos_; }
  bool Skip(std::size_t n) {
    if (!Has(n)) return false;
    pos_ += n;
    return true;
  }
  bool U16(std::uint32_t* v) {
    if (!Has(2)) return false;
    *v = Byte(pos_) | (Byte(pos_ + 1) << 8);
    pos_ += 2;
    return true;
  }
  bool U32(std::uint32_t* v) {
    std::uint32_t lo = 0, hi = 0;
    if (!Has(4)) return false;
    U16(&lo);
    U16(&hi);
    *v = lo | (hi << 16);
    return true;
  }
  bool U64(std::uint64_t* v) {
    std::uint32_t lo = 0, hi = 0;
    if (!Has(8)) return false;
    U32(&lo);
    U32(&hi);
    *v = lo | (static_cast<std::uint64_t>(hi) << 32);
    return true;
  }
  bool Bytes(std::size_t n, std::string_view* out) {
    if (!Has(n)) return false;
    *out = bytes_.substr(pos_, n);
    pos_ += n;
    return true;
  }

 private:
  std::uint32_t Byte(std::size_t i) const { return static_cast<unsigned char>(bytes_[i]); }
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace cdsetup::base
