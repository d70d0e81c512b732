#include "copy/wav_estimate.h"

#include <optional>

#include "audio/wav_header.h"
#include "base/byte_order.h"
#include "copy/sound_archive_reader.h"

namespace cdsetup::copy {
namespace {

constexpr std::size_t kPageHeader = 27;

struct Page {
  std::uint64_t granule = 0;
  std::uint32_t serial = 0;
  std::string_view first_packet;  // as far as the page holds it
};

const unsigned char* Bytes(std::string_view data, std::size_t at) {
  return reinterpret_cast<const unsigned char*>(data.data() + at);
}

// The whole page that starts at `at`, when one does.
std::optional<Page> PageAt(std::string_view data, std::size_t at) {
  if (data.size() - at < kPageHeader || data.substr(at, 4) != "OggS" || data[at + 4] != 0) {
    return std::nullopt;
  }
  const std::size_t segments = Bytes(data, at)[26];
  if (data.size() - at - kPageHeader < segments) return std::nullopt;
  std::size_t body = 0, first = 0;
  bool first_ended = false;
  for (std::size_t i = 0; i < segments; ++i) {
    const std::size_t lace = Bytes(data, at + kPageHeader)[i];
    body += lace;
    if (!first_ended) first += lace;
    first_ended = first_ended || lace < 255;
  }
  const std::size_t start = at + kPageHeader + segments;
  if (data.size() - start < body) return std::nullopt;
  Page page;
  const unsigned char* header = Bytes(data, at);
  page.granule = base::LoadLe32(header + 6) | std::uint64_t{base::LoadLe32(header + 10)} << 32;
  page.serial = base::LoadLe32(header + 14);
  page.first_packet = data.substr(start, first);
  return page;
}

}  // namespace

std::uint64_t EstimateWavBytes(std::uint32_t kind, std::string_view head, std::string_view tail) {
  const std::optional<Page> first = PageAt(head, 0);
  if (!first) return 0;
  const std::string_view id = first->first_packet;
  std::uint64_t channels = 0;
  std::uint64_t packet_samples = 1;  // what the decoder writes at least per packet
  if (kind == kKindVorbis && id.size() >= 12 && id.substr(0, 7) == "\x01vorbis") {
    channels = Bytes(id, 11)[0];
  } else if (kind == kKindSpeex && id.size() >= 68 && id.substr(0, 8) == "Speex   ") {
    channels = base::LoadLe32(Bytes(id, 48));
    // Whole packets are decoded, past the last page's position.
    packet_samples = std::uint64_t{base::LoadLe32(Bytes(id, 56))} * base::LoadLe32(Bytes(id, 64));
  }
  if (channels == 0 || channels > 2 || packet_samples == 0 || packet_samples > (1u << 20)) return 0;
  // The last whole page of the stream's in the last bytes tells how far it goes.
  const std::string_view end = tail.empty() ? head : tail;
  std::uint64_t samples = 0;
  for (std::size_t at = end.rfind("OggS"); at != std::string_view::npos;
       at = at == 0 ? std::string_view::npos : end.rfind("OggS", at - 1)) {
    const std::optional<Page> page = PageAt(end, at);
    if (page && page->serial == first->serial && page->granule != ~std::uint64_t{0}) {
      samples = page->granule;
      break;
    }
  }
  if (samples > (std::uint64_t{1} << 40)) return 0;
  samples = (samples + packet_samples - 1) / packet_samples * packet_samples;
  if (kind == kKindSpeex) samples += packet_samples;  // a last packet's frames past its position
  return audio::kWavHeaderSize + samples * channels * 2;
}

}  // namespace cdsetup::copy
