// Writes a seed corpus for every fuzz target into DIR/<target>/, each file
// made by our own writers: the encoders, the sound archive writer, the demo
// medium, the registry document and the BMP layout. Starting from real files
// takes the search past signatures and headers it would hardly guess.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bmpkit/bmp_writer.h"
#include "cd_image/cd_image.h"
#include "demo_medium/demo_medium.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "platform/prefix/wine_registry.h"
#include "platform/profile_file.h"
#include "sndpack/sound_archive_writer.h"

namespace fs = std::filesystem;
namespace kit = cdsetup::encoderkit;
using cdsetup::platform::RegistryDocument;
using cdsetup::platform::RegistryValue;

namespace {

bool failed = false;

void Fail(const std::string& what) {
  std::fprintf(stderr, "make_fuzz_seeds: %s\n", what.c_str());
  failed = true;
}

void Write(const fs::path& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return Fail("cannot create " + path.string());
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) Fail("cannot write " + path.string());
}

std::string Read(const fs::path& path) {
  std::string bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    Fail("cannot read " + path.string());
    return bytes;
  }
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

struct AudioSeeds {
  std::vector<std::pair<std::string, std::string>> vorbis, speex;  // name, bytes
};

// Vorbis mono, stereo and chained; Speex in every band, mono and stereo.
// Short tones keep each a few kilobytes, so that the length limit libFuzzer
// takes from the largest seed stays small.
AudioSeeds EncodeAudio() {
  AudioSeeds seeds;
  kit::VorbisOptions v;
  v.rate = 8000;
  v.comments = {"TITLE=seed"};
  v.packets_per_page = 4;
  seeds.vorbis.emplace_back("mono.ogg", kit::EncodeVorbis(v, kit::SineTone(440, 0.3, 8000, 2000)));
  v.channels = 2;
  seeds.vorbis.emplace_back("stereo.ogg",
                            kit::EncodeVorbis(v, kit::StereoSineTone(440, 880, 0.3, 8000, 2000)));
  kit::VorbisOptions second = v;
  second.rate = 11025;
  second.serial = v.serial + 1;
  seeds.vorbis.emplace_back(
      "chained.ogg",
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
      seeds.speex.emplace_back("m" + std::to_string(mode) + "c" + std::to_string(channels) + ".spx",
                               kit::EncodeSpeex(s, tone));
    }
  }
  return seeds;
}

// Archives as the sndpack tool writes them: entries of every kind with short
// data, so that mutations fall on headers and names rather than on sound, a
// single entry, an empty one, and one real Vorbis entry.
void WriteArchives(const fs::path& dir, const AudioSeeds& audio) {
  auto archive = [&](const std::string& name, auto&& fill) {
    const fs::path path = dir / name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return Fail("cannot create " + path.string());
    fill(f);
    if (std::fclose(f) != 0) Fail("cannot write " + path.string());
  };
  auto append = [&](std::FILE* f, std::string_view name, const std::string& data) {
    if (!cdsetup::sndpack::AppendEntry(f, cdsetup::sndpack::KindForName(name), name, data).ok()) {
      Fail("cannot append " + std::string(name));
    }
  };
  archive("kinds.snd", [&](std::FILE* f) {
    append(f, "Intro.OGG", audio.vorbis[0].second.substr(0, 32));
    append(f, "Mowa_nb.spx", audio.speex[0].second.substr(0, 32));
    append(f, "czytaj.txt", "Gra demonstracyjna.\r\n");
    append(f, "pusty.dat", "");
  });
  archive("one.snd", [&](std::FILE* f) { append(f, "Temat.ogg", "OggS"); });
  archive("empty_entry.snd", [&](std::FILE* f) { append(f, "Koniec.spx", ""); });
  archive("vorbis.snd", [&](std::FILE* f) { append(f, "Temat.ogg", audio.vorbis[0].second); });
}

// The install script of the demo medium: whole, with the language the
// installer records written into it, and each of its sections alone, small
// enough for many runs a second.
void WriteProfiles(const fs::path& dir, const fs::path& medium) {
  const std::string ini = Read(medium / "install.ini");
  Write(dir / "install.ini", ini);
  auto chosen = cdsetup::platform::ProfileSetValue(ini, "Option", "Language", "Polski");
  if (!chosen.ok()) return Fail("cannot set the language in install.ini");
  Write(dir / "install_polski.ini", *chosen);
  int n = 0;
  for (std::size_t at = 0; at < ini.size();) {
    std::size_t next = ini.find("\r\n[", at);
    next = next == std::string::npos ? ini.size() : next + 2;
    Write(dir / ("section" + std::to_string(n++) + ".ini"), ini.substr(at, next - at));
    at = next;
  }
}

// Both hives as our registry document writes them, with every value type and
// a binary value long enough to go on over continuation lines.
void WriteRegistries(const fs::path& dir) {
  const std::int64_t now = 1700000000;
  RegistryDocument system = RegistryDocument::Empty("\\\\Machine");
  const std::u16string game = u"Software\\Torvanel\\Demo";
  system.SetValue(game, u"ProgramPath", RegistryValue::String(u"C:\\Gry\\Demo"), now);
  system.SetValue(game, u"", RegistryValue::String(u"Demo \u017b\u00f3\u0142w"), now);
  system.SetValue(game, u"Path", RegistryValue::String(u"%ProgramFiles%\\Demo", 2), now);
  system.SetValue(game, u"Version", RegistryValue{4, {1, 0, 2, 0}}, now);
  system.SetValue(game, u"Languages",
                  RegistryValue{7, {'P', 0, 'L', 0, 0, 0, 'E', 0, 'N', 0, 0, 0, 0, 0}}, now);
  std::vector<std::uint8_t> blob;
  for (int i = 0; i < 100; ++i) blob.push_back(static_cast<std::uint8_t>(i * 37));
  system.SetValue(game, u"Blob", RegistryValue{3, blob}, now);
  system.SetValue(u"Software\\Wine\\Drives", u"d:", RegistryValue::String(u"cdrom"), now);
  system.SetValue(u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo",
                  u"UninstallString", RegistryValue::String(u"C:\\Gry\\Demo\\odinstaluj.exe"), now);
  Write(dir / "system.reg", system.Serialize());

  RegistryDocument user = RegistryDocument::Empty("\\\\User\\\\S-1-5-21-0-0-0-1000");
  user.SetValue(u"Software\\Wine", u"Version", RegistryValue::String(u"win98"), now);
  user.SetValue(u"Control Panel\\International", u"Locale", RegistryValue::String(u"00000415"),
                now);
  Write(dir / "user.reg", user.Serialize());

  // Read back and changed: a deleted value and a value set over.
  RegistryDocument changed = RegistryDocument::Parse(system.Serialize());
  changed.DeleteValue(game, u"Blob", now + 1);
  changed.SetValue(game, u"ProgramPath", RegistryValue::String(u"D:\\Inne \"Gry\"\\Demo"), now + 1);
  Write(dir / "system_changed.reg", changed.Serialize());
}

// Pictures in every layout the decoder reads: each depth bottom-up and
// top-down, both run-length codings, the core header, the later headers with
// their masks, bit fields, and the demo medium's background.
void WriteBmps(const fs::path& dir, const fs::path& medium) {
  using namespace cdsetup::bmpkit;
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    for (bool top_down : {false, true}) {
      const Picture p = MakePicture(13, 7, bpp <= 8 ? 1 << bpp : 200);
      Write(dir / ("d" + std::to_string(bpp) + (top_down ? "_top.bmp" : ".bmp")),
            WriteBmp(PictureBmp(p, bpp, top_down)));
    }
  }
  for (bool four_bits : {false, true}) {
    const Picture p = MakePicture(20, 5, four_bits ? 16 : 256);
    Write(dir / (four_bits ? "rle4.bmp" : "rle8.bmp"), WriteBmp(RleBmp(p, four_bits)));
  }
  {
    const Picture p = MakePicture(5, 3, 16);
    BmpFile bmp;
    bmp.header_size = 12;
    bmp.width = 5;
    bmp.height = 3;
    bmp.bpp = 4;
    bmp.palette = p.colours;
    bmp.pixels = PackRows(p, 4, false);
    Write(dir / "core.bmp", WriteBmp(bmp));
  }
  for (std::uint32_t size : {108u, 124u}) {
    const Picture p = MakePicture(4, 2, 50);
    BmpFile bmp;
    bmp.header_size = size;
    bmp.width = 4;
    bmp.height = 2;
    bmp.bpp = 32;
    bmp.compression = 3;
    bmp.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    bmp.pixels = PackRows(p, 32, false);
    Write(dir / ("v" + std::to_string(size) + ".bmp"), WriteBmp(bmp));
  }
  {
    BmpFile bmp;
    bmp.width = 2;
    bmp.bpp = 16;
    bmp.compression = 3;  // 5-6-5
    bmp.masks = {0xF800, 0x07E0, 0x001F};
    bmp.pixels = std::string("\xE0\x07\x00\xF8", 4);
    Write(dir / "fields565.bmp", WriteBmp(bmp));
  }
  Write(dir / "tlo.bmp", Read(medium / "tlo.bmp"));
}

// Images of a small tree in every form the reader takes, without the
// padding genisoimage leaves at the end: mutations then reach the records.
void WriteDiscImages(const fs::path& dir, const std::string& scratch) {
  const fs::path tree = fs::path(scratch) / "disc-tree";
  std::error_code ec;
  fs::create_directories(tree / "Dane" / "Poziomy", ec);
  Write(tree / "install.ini", "[Option]\r\nLanguage=Polski\r\n");
  Write(tree / "Dane" / "Poziomy" / "poziom1.dat", std::string(5000, 'x'));
  Write(tree / "\xC5\xBC\xC3\xB3\xC5\x82w.txt", "zolw");
  const std::string iso = scratch + "/disc.iso";
  if (auto made = cdsetup::cdimage::MakeIsoImage(tree.string(), iso, "SEED"); !made.ok()) {
    return Fail("disc image: " + made.ToString());
  }
  auto trimmed = [](std::string bytes) {
    while (bytes.size() > 18 * 2048 &&
           bytes.find_first_not_of('\0', bytes.size() - 2048) == std::string::npos) {
      bytes.resize(bytes.size() - 2048);
    }
    return bytes;
  };
  Write(dir / "joliet_rock_ridge.iso", trimmed(Read(iso)));
  if (auto made = cdsetup::cdimage::MakeCueBin(iso, scratch + "/disc.cue", 2352); made.ok()) {
    Write(dir / "raw_mode1.bin", trimmed(Read(scratch + "/disc.bin")));
  } else {
    Fail("raw track: " + made.ToString());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
    return 2;
  }
  const fs::path root = argv[1];
  const char* targets[] = {"archive_fuzzer", "bmp_fuzzer",    "profile_fuzzer",   "registry_fuzzer",
                           "speex_fuzzer",   "vorbis_fuzzer", "disc_image_fuzzer"};
  std::error_code ec;
  for (const char* t : targets) {
    fs::create_directories(root / t, ec);
    if (ec) Fail("cannot create " + (root / t).string() + ": " + ec.message());
  }
  if (failed) return 1;

  // The demo medium, small, in a scratch directory: its script and picture
  // are seeds as they are.
  std::string scratch = (fs::temp_directory_path(ec) / "cdsetup-seeds-XXXXXX").string();
  if (::mkdtemp(scratch.data()) == nullptr) {
    Fail("cannot make a scratch directory");
    return 1;
  }
  cdsetup::demo::DemoOptions options;
  options.extra_files = 5;
  options.seconds = 0.1;
  if (auto s = cdsetup::demo::BuildDemoMedium(scratch, options); !s.ok()) {
    Fail("demo medium: " + s.ToString());
  }

  const AudioSeeds audio = EncodeAudio();
  for (const auto& [name, bytes] : audio.vorbis) Write(root / "vorbis_fuzzer" / name, bytes);
  for (const auto& [name, bytes] : audio.speex) Write(root / "speex_fuzzer" / name, bytes);
  WriteArchives(root / "archive_fuzzer", audio);
  WriteProfiles(root / "profile_fuzzer", scratch);
  WriteRegistries(root / "registry_fuzzer");
  WriteBmps(root / "bmp_fuzzer", scratch);
  WriteDiscImages(root / "disc_image_fuzzer", scratch);

  fs::remove_all(scratch, ec);
  return failed ? 1 : 0;
}
