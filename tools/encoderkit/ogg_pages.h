// Ogg page framing for fixtures: a writer over libogg for ordinary streams,
// a page builder for layouts libogg would never produce (a packet that ends
// mid-page on an end-of-stream page), and helpers to chain, multiplex and
// damage pages.
#pragma once

#include <ogg/ogg.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cdsetup::encoderkit {

/// One packet as the encoders hand it to the framing.
struct Packet {
  std::string data;
  std::int64_t granule = 0;
  bool eos = false;
};

/// Packs packets of one logical stream into pages through libogg.
class OggStreamWriter {
 public:
  explicit OggStreamWriter(int serial);
  ~OggStreamWriter();
  OggStreamWriter(const OggStreamWriter&) = delete;
  OggStreamWriter& operator=(const OggStreamWriter&) = delete;

  /// Queues a packet; the first one queued is the beginning of the stream.
  void Add(const Packet& packet);
  /// Ends the current page (libogg splits it when it is too long) and
  /// appends the finished pages to pages().
  void Flush();
  /// Appends the pages libogg finishes on its own (about 4 KB each).
  void PageOut();

  const std::vector<std::string>& pages() const { return pages_; }

 private:
  void Take(const ogg_page& page);

  ogg_stream_state state_;
  std::int64_t packet_number_ = 0;
  std::vector<std::string> pages_;
};

/// A page put together by hand. `pieces` are packet pieces in order; every
/// piece ends its packet except the last one when `last_continues` (its
/// length must then be a multiple of 255).
struct PageLayout {
  int serial = 0;
  std::uint32_t sequence = 0;
  std::int64_t granule = 0;
  bool continued = false;  // the first piece finishes a packet of the last page
  bool bos = false;
  bool eos = false;
  std::vector<std::string> pieces;
  bool last_continues = false;
};

/// The bytes of the page, with its lacing and checksum.
std::string BuildPage(const PageLayout& layout);

/// The pages laid end to end.
std::string Join(const std::vector<std::string>& pages);

/// Two streams multiplexed page by page: a0 b0 a1 b1 ..., then the rest of
/// the longer one.
std::string Interleave(const std::vector<std::string>& a, const std::vector<std::string>& b);

/// Offsets of every "OggS" capture pattern in `bytes`.
std::vector<std::size_t> PageOffsets(const std::string& bytes);

}  // namespace cdsetup::encoderkit
