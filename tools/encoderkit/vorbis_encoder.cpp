#include "encoderkit/vorbis_encoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

#include "encoderkit/ogg_pages.h"

namespace cdsetup::encoderkit {

namespace {

Packet ToPacket(const ogg_packet& op) {
  return Packet{std::string(reinterpret_cast<const char*>(op.packet), op.bytes), op.granulepos,
                op.e_o_s != 0};
}

// Moves every packet the encoder has finished into the stream.
void DrainBlocks(vorbis_dsp_state& dsp, vorbis_block& block, int packets_per_page,
                 OggStreamWriter& writer, int& queued) {
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, nullptr);
    vorbis_bitrate_addblock(&block);
    ogg_packet op;
    while (vorbis_bitrate_flushpacket(&dsp, &op) == 1) {
      writer.Add(ToPacket(op));
      if (packets_per_page <= 0) {
        writer.PageOut();
      } else if (++queued == packets_per_page) {
        writer.Flush();
        queued = 0;
      }
    }
  }
}

}  // namespace

std::vector<std::string> EncodeVorbisPages(const VorbisOptions& options,
                                           const std::vector<float>& samples) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, options.channels, options.rate, options.quality) != 0) {
    vorbis_info_clear(&info);
    return {};
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  for (const std::string& c : options.comments) vorbis_comment_add(&comment, c.c_str());

  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);

  OggStreamWriter writer(options.serial);
  ogg_packet id, comments, codebooks;
  vorbis_analysis_headerout(&dsp, &comment, &id, &comments, &codebooks);
  writer.Add(ToPacket(id));
  writer.Flush();  // the identification header has a page of its own
  writer.Add(ToPacket(comments));
  writer.Add(ToPacket(codebooks));
  writer.Flush();

  const auto channels = static_cast<std::size_t>(options.channels);
  const std::size_t frames = samples.size() / channels;
  constexpr std::size_t kChunk = 1024;
  int queued = 0;
  for (std::size_t done = 0; done < frames; done += kChunk) {
    const std::size_t n = std::min(kChunk, frames - done);
    float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t c = 0; c < channels; ++c) buffer[c][i] = samples[(done + i) * channels + c];
    }
    vorbis_analysis_wrote(&dsp, static_cast<int>(n));
    DrainBlocks(dsp, block, options.packets_per_page, writer, queued);
  }
  vorbis_analysis_wrote(&dsp, 0);
  DrainBlocks(dsp, block, options.packets_per_page, writer, queued);
  writer.Flush();

  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return writer.pages();
}

std::string EncodeVorbis(const VorbisOptions& options, const std::vector<float>& samples) {
  return Join(EncodeVorbisPages(options, samples));
}

}  // namespace cdsetup::encoderkit
