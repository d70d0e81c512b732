#include "cd_image.h"

#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

extern char** environ;

namespace cdsetup::cdimage {
namespace {

constexpr std::size_t kData = 2048;
constexpr std::size_t kRaw = 2352;

// The EDC of a Mode 1 sector: CRC-32 with the polynomial
// x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x + 1, bit-reversed, over the sync,
// header and data.
std::uint32_t SectorEdc(const unsigned char* bytes, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t edc = i;
      for (int bit = 0; bit < 8; ++bit) edc = (edc >> 1) ^ ((edc & 1) != 0 ? 0xD8018001u : 0u);
      t[i] = edc;
    }
    return t;
  }();
  std::uint32_t edc = 0;
  for (std::size_t i = 0; i < size; ++i) edc = (edc >> 8) ^ table[(edc ^ bytes[i]) & 0xFF];
  return edc;
}

unsigned char Bcd(unsigned value) {
  return static_cast<unsigned char>(((value / 10) << 4) | (value % 10));
}

}  // namespace

base::Status MakeIsoImage(const std::string& folder, const std::string& iso,
                          const std::string& volume_id) {
  std::vector<std::string> args = {"genisoimage", "-quiet", "-J",      "-R", "-input-charset",
                                   "utf-8",       "-V",     volume_id, "-o", iso,
                                   folder};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (int e = ::posix_spawnp(&pid, "genisoimage", nullptr, nullptr, argv.data(), environ); e != 0) {
    return base::Status::FromErrno(e, "start genisoimage (apt-get install genisoimage)");
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return base::Status::FromErrno(errno, "wait for genisoimage");
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return base::Status::IoError("genisoimage could not make " + iso);
  }
  return base::Status::Ok();
}

base::Status MakeCueBin(const std::string& iso, const std::string& cue, int sector_size) {
  if (sector_size != 2048 && sector_size != 2352) {
    return base::Status::Refused("a sector holds 2048 or 2352 bytes");
  }
  const std::string bin = cue.substr(0, cue.rfind('.')) + ".bin";
  std::ifstream in(iso, std::ios::binary);
  if (!in) return base::Status::NotFound("cannot read " + iso);
  std::ofstream out(bin, std::ios::binary | std::ios::trunc);
  if (!out) return base::Status::IoError("cannot write " + bin);
  std::array<unsigned char, kRaw> raw{};
  unsigned char* data = sector_size == 2352 ? raw.data() + 16 : raw.data();
  for (std::uint32_t lsn = 0;; ++lsn) {
    in.read(reinterpret_cast<char*>(data), kData);
    if (in.gcount() == 0) break;
    std::fill(data + in.gcount(), data + kData, 0);
    if (sector_size == 2352) {
      raw[0] = 0;
      std::fill(raw.begin() + 1, raw.begin() + 11, 0xFF);
      raw[11] = 0;
      const std::uint32_t frame = lsn + 150;  // the address counts the 2 s lead-in
      raw[12] = Bcd(frame / (75 * 60));
      raw[13] = Bcd(frame / 75 % 60);
      raw[14] = Bcd(frame % 75);
      raw[15] = 1;  // Mode 1
      const std::uint32_t edc = SectorEdc(raw.data(), 16 + kData);
      for (int i = 0; i < 4; ++i) raw[16 + kData + i] = static_cast<unsigned char>(edc >> (8 * i));
      std::fill(raw.begin() + 16 + kData + 4, raw.end(), 0);
    }
    out.write(reinterpret_cast<const char*>(raw.data()), sector_size);
    if (!in) break;
  }
  out.close();
  if (!out) return base::Status::IoError("cannot write " + bin);
  std::ofstream sheet(cue, std::ios::trunc);
  const std::string name = bin.substr(bin.rfind('/') + 1);
  sheet << "FILE \"" << name << "\" BINARY\r\n  TRACK 01 MODE1/" << sector_size
        << "\r\n    INDEX 01 00:00:00\r\n";
  sheet.close();
  if (!sheet) return base::Status::IoError("cannot write " + cue);
  return base::Status::Ok();
}

}  // namespace cdsetup::cdimage
