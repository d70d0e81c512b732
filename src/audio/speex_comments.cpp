#include "audio/speex_comments.h"

#include <cstdint>

#include "base/byte_order.h"

namespace cdsetup::audio {

void PrintSpeexComments(const unsigned char* packet, long length, std::FILE* err) {
  auto corrupted = [err] { std::fputs("Invalid/corrupted comments\n", err); };
  if (packet == nullptr || length < 8) return corrupted();
  const unsigned char* c = packet;
  const unsigned char* const end = packet + length;
  // Lengths are compared with what is left, never added to a pointer first.
  auto left = [&c, end] { return static_cast<std::uint64_t>(end - c); };

  const std::uint32_t vendor_length = base::LoadLe32(c);
  c += 4;
  if (vendor_length > left()) return corrupted();
  std::fwrite(c, 1, vendor_length, err);
  std::fputs("\n", err);
  c += vendor_length;

  if (left() < 4) return corrupted();
  const std::uint32_t count = base::LoadLe32(c);
  c += 4;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (left() < 4) return corrupted();
    const std::uint32_t comment_length = base::LoadLe32(c);
    c += 4;
    if (comment_length > left()) return corrupted();
    std::fwrite(c, 1, comment_length, err);
    std::fputs("\n", err);
    c += comment_length;
  }
}

}  // namespace cdsetup::audio
