#include "encoderkit/ogg_pages.h"

#include <algorithm>
#include <cstdlib>

namespace cdsetup::encoderkit {

OggStreamWriter::OggStreamWriter(int serial) {
  ogg_stream_init(&state_, serial);
}

OggStreamWriter::~OggStreamWriter() {
  ogg_stream_clear(&state_);
}

void OggStreamWriter::Add(const Packet& packet) {
  ogg_packet op{};
  op.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(packet.data.data()));
  op.bytes = static_cast<long>(packet.data.size());
  op.b_o_s = packet_number_ == 0 ? 1 : 0;
  op.e_o_s = packet.eos ? 1 : 0;
  op.granulepos = packet.granule;
  op.packetno = packet_number_++;
  if (ogg_stream_packetin(&state_, &op) != 0) std::abort();
}

void OggStreamWriter::Flush() {
  ogg_page page;
  while (ogg_stream_flush(&state_, &page) != 0) Take(page);
}

void OggStreamWriter::PageOut() {
  ogg_page page;
  while (ogg_stream_pageout(&state_, &page) != 0) Take(page);
}

void OggStreamWriter::Take(const ogg_page& page) {
  std::string bytes(reinterpret_cast<const char*>(page.header), page.header_len);
  bytes.append(reinterpret_cast<const char*>(page.body), page.body_len);
  pages_.push_back(std::move(bytes));
}

std::string BuildPage(const PageLayout& layout) {
  std::string lacing;
  std::string body;
  for (std::size_t i = 0; i < layout.pieces.size(); ++i) {
    const std::string& piece = layout.pieces[i];
    const bool open_end = layout.last_continues && i + 1 == layout.pieces.size();
    std::size_t left = piece.size();
    while (left >= 255) {
      lacing.push_back(static_cast<char>(255));
      left -= 255;
    }
    if (!open_end) {
      lacing.push_back(static_cast<char>(left));
    } else if (left != 0) {
      std::abort();  // an open piece must fill whole segments
    }
    body += piece;
  }
  if (lacing.size() > 255) std::abort();

  std::string header(27, '\0');
  header.replace(0, 4, "OggS");
  header[5] =
      static_cast<char>((layout.continued ? 1 : 0) | (layout.bos ? 2 : 0) | (layout.eos ? 4 : 0));
  const auto granule = static_cast<std::uint64_t>(layout.granule);
  for (int i = 0; i < 8; ++i) header[6 + i] = static_cast<char>(granule >> (8 * i));
  const auto serial = static_cast<std::uint32_t>(layout.serial);
  for (int i = 0; i < 4; ++i) {
    header[14 + i] = static_cast<char>(serial >> (8 * i));
    header[18 + i] = static_cast<char>(layout.sequence >> (8 * i));
  }
  header[26] = static_cast<char>(lacing.size());
  header += lacing;

  ogg_page page;
  page.header = reinterpret_cast<unsigned char*>(header.data());
  page.header_len = static_cast<long>(header.size());
  page.body = reinterpret_cast<unsigned char*>(body.data());
  page.body_len = static_cast<long>(body.size());
  ogg_page_checksum_set(&page);
  return header + body;
}

std::string Join(const std::vector<std::string>& pages) {
  std::string out;
  for (const std::string& p : pages) out += p;
  return out;
}

std::string Interleave(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::string out;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    if (i < a.size()) out += a[i];
    if (i < b.size()) out += b[i];
  }
  return out;
}

std::vector<std::size_t> PageOffsets(const std::string& bytes) {
  std::vector<std::size_t> offsets;
  for (std::size_t at = bytes.find("OggS"); at != std::string::npos;
       at = bytes.find("OggS", at + 1)) {
    offsets.push_back(at);
  }
  return offsets;
}

}  // namespace cdsetup::encoderkit
