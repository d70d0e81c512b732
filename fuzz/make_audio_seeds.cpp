// Writes a small seed corpus for the converter fuzz targets into two
// directories: Ogg Vorbis files and Ogg Speex files of every kind the
// installer meets, encoded in-process.
#include <cstdio>
#include <string>

#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"

namespace kit = cdsetup::encoderkit;

namespace {

void Write(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_audio_seeds VORBIS_DIR SPEEX_DIR\n");
    return 2;
  }
  const std::string vorbis = argv[1], speex = argv[2];
  kit::VorbisOptions v;
  v.rate = 8000;
  v.comments = {"TITLE=seed"};
  v.packets_per_page = 4;
  Write(vorbis + "/mono.ogg", kit::EncodeVorbis(v, kit::SineTone(440, 0.3, 8000, 2000)));
  v.channels = 2;
  Write(vorbis + "/stereo.ogg",
        kit::EncodeVorbis(v, kit::StereoSineTone(440, 880, 0.3, 8000, 2000)));
  kit::VorbisOptions second = v;
  second.rate = 11025;
  second.serial = v.serial + 1;
  Write(vorbis + "/chained.ogg",
        kit::EncodeVorbis(v, kit::StereoSineTone(440, 880, 0.3, 8000, 2000)) +
            kit::EncodeVorbis(second, kit::StereoSineTone(440, 880, 0.3, 11025, 1000)));

  for (int mode = 0; mode < 3; ++mode) {
    for (int channels = 1; channels <= 2; ++channels) {
      kit::SpeexOptions s;
      s.mode = mode;
      s.channels = channels;
      s.frames_per_packet = 1 + mode;
      s.comments = {"TITLE=seed"};
      s.extra_header_packets = mode == 2 ? 1 : 0;
      const int rate = 8000 << mode;
      const auto tone = channels == 1 ? kit::SineTone(440, 0.3, rate, 160u << mode * 4)
                                      : kit::StereoSineTone(440, 0, 0.3, rate, 160u << mode * 4);
      Write(speex + "/m" + std::to_string(mode) + "c" + std::to_string(channels) + ".spx",
            kit::EncodeSpeex(s, tone));
    }
  }
  return 0;
}
