// The CD image reader over images that genisoimage makes of a small tree:
// every kind reads the same bytes by any spelling, and damaged ones fail the
// read of the file they damage, naming it.
#include "platform/prefix/disc_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>

#include "cd_image/cd_image.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::platform {
namespace {

using testing::ReadFile;
using testing::WriteFile;

// Bytes that differ from sector to sector, so a read from the wrong place
// shows.
std::string Pattern(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + i / 2048) & 0xFF);
  return s;
}

class DiscImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(temp_ / "tree/install.ini", "[Setup]\r\nName=Demo\r\n");
    WriteFile(temp_ / "tree/Dokumenty/\xC5\xBB\xC3\xB3\xC5\x82w.txt", "zolw");
    WriteFile(temp_ / "tree/sub/deep/part.bin", Pattern(5000));
    WriteFile(temp_ / "tree/big.dat", Pattern(3 * 1024 * 1024 + 77));
    WriteFile(temp_ / "tree/empty.txt", "");
    ASSERT_TRUE(cdimage::MakeIsoImage(temp_ / "tree", temp_ / "cd.iso", "DEMO_CD").ok());
  }
  std::unique_ptr<DiscImage> OpenOk(const std::string& path) {
    auto opened = DiscImage::Open(path);
    EXPECT_TRUE(opened.ok()) << path << ": " << opened.status().ToString();
    return opened.ok() ? std::move(opened).value() : nullptr;
  }
  static std::string ReadAll(DiscImage& disc, const DiscEntry& file) {
    std::string s(file.size, '\0');
    auto got = disc.Read(file, 0, s.data(), s.size());
    EXPECT_TRUE(got.ok()) << got.status().ToString();
    return got.ok() ? s.substr(0, *got) : "";
  }

  testing::ScopedTempDir temp_;
};

TEST_F(DiscImageTest, EveryKindOfImageReadsTheSameFilesByAnySpelling) {
  ASSERT_TRUE(cdimage::MakeCueBin(temp_ / "cd.iso", temp_ / "raw.cue", 2352).ok());
  ASSERT_TRUE(cdimage::MakeCueBin(temp_ / "cd.iso", temp_ / "cooked.cue", 2048).ok());
  const std::string big = Pattern(3 * 1024 * 1024 + 77);
  // A sheet written on Windows spells its track's name in other letters.
  WriteFile(temp_ / "windows.cue",
            "REM made elsewhere\r\nFILE \"RAW.BIN\" BINARY\r\n"
            "  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n");
  for (const char* kind : {"cd.iso", "raw.cue", "cooked.cue", "raw.bin", "windows.cue"}) {
    SCOPED_TRACE(kind);
    std::unique_ptr<DiscImage> disc = OpenOk(temp_ / kind);
    ASSERT_TRUE(disc);
    EXPECT_EQ(disc->volume_id(), "DEMO_CD");
    EXPECT_GE(disc->size(), big.size());

    auto root = disc->List({});
    ASSERT_TRUE(root.ok());
    std::set<std::string> names;
    for (const DiscEntry& e : *root) names.insert(e.name);
    EXPECT_EQ(names,
              (std::set<std::string>{"big.dat", "Dokumenty", "empty.txt", "install.ini", "sub"}));

    auto script = disc->Find({"INSTALL.INI"});
    ASSERT_TRUE(script.ok());
    EXPECT_EQ(ReadAll(*disc, *script), "[Setup]\r\nName=Demo\r\n");
    auto polish = disc->Find({"DOKUMENTY", "\xC5\xBB\xC3\x93\xC5\x81W.TXT"});  // "ŻÓŁW.TXT"
    ASSERT_TRUE(polish.ok()) << polish.status().ToString();
    EXPECT_EQ(polish->name, "\xC5\xBB\xC3\xB3\xC5\x82w.txt");
    EXPECT_EQ(ReadAll(*disc, *polish), "zolw");
    auto part = disc->Find({"Sub", "DEEP", "part.bin"});
    ASSERT_TRUE(part.ok());
    EXPECT_TRUE(ReadAll(*disc, *part) == Pattern(5000));  // no dump of the bytes
    auto big_file = disc->Find({"big.dat"});
    ASSERT_TRUE(big_file.ok());
    EXPECT_TRUE(ReadAll(*disc, *big_file) == big);
    auto empty = disc->Find({"empty.txt"});
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(ReadAll(*disc, *empty), "");

    // Pieces across sector boundaries, and past the end.
    char piece[3];
    auto got = disc->Read(*big_file, 2047, piece, 3);
    ASSERT_TRUE(got.ok());
    EXPECT_EQ(std::string(piece, *got), big.substr(2047, 3));
    got = disc->Read(*big_file, big.size() - 1, piece, 3);
    ASSERT_TRUE(got.ok());
    EXPECT_EQ(*got, 1u);
    EXPECT_FALSE(disc->Find({"sub", "missing"}).ok());
    EXPECT_FALSE(disc->Find({"big.dat", "under a file"}).ok());
    EXPECT_FALSE(disc->List({"big.dat"}).ok());

    // The stream the readers take seeks and reads the same bytes.
    auto stream = disc->OpenStream(*big_file);
    ASSERT_TRUE(stream.ok());
    ASSERT_EQ(std::fseek(stream->get(), 0, SEEK_END), 0);
    EXPECT_EQ(std::ftell(stream->get()), static_cast<long>(big.size()));
    ASSERT_EQ(std::fseek(stream->get(), 100000, SEEK_SET), 0);
    std::string middle(70000, '\0');
    ASSERT_EQ(std::fread(middle.data(), 1, middle.size(), stream->get()), middle.size());
    EXPECT_TRUE(middle == big.substr(100000, 70000));
    EXPECT_FALSE(disc->OpenStream(*disc->Find({"sub"})).ok());
  }
}

// Replaces every both-endian copy of `value` (a directory record's extent)
// in the image's first sectors with `with`.
void PatchExtent(std::string& image, std::uint32_t value, std::uint32_t with) {
  unsigned char from[8], to[8];
  for (int i = 0; i < 4; ++i) {
    from[i] = static_cast<unsigned char>(value >> (8 * i));
    from[7 - i] = from[i];
    to[i] = static_cast<unsigned char>(with >> (8 * i));
    to[7 - i] = to[i];
  }
  const std::size_t end = std::min<std::size_t>(image.size(), 64 * 2048);
  for (std::size_t at = 16 * 2048; at + 8 <= end; ++at) {
    if (std::memcmp(image.data() + at, from, 8) == 0) std::memcpy(image.data() + at, to, 8);
  }
}

TEST_F(DiscImageTest, ADamagedImageFailsTheReadOfTheFileItDamagesAndNoOther) {
  const std::string good = ReadFile(temp_ / "cd.iso");
  auto disc = OpenOk(temp_ / "cd.iso");
  ASSERT_TRUE(disc);
  auto big = disc->Find({"big.dat"});
  ASSERT_TRUE(big.ok());
  const std::uint32_t big_lsn = big->lsn;

  std::string past_end = good;
  PatchExtent(past_end, big_lsn, 0x00F00000);
  struct Case {
    const char* what;
    std::string bytes;
  } damaged[] = {
      {"cut short in the big file", good.substr(0, (big_lsn + 10) * 2048)},
      {"the big file's record points past the end", past_end},
  };
  const std::vector<std::vector<std::string>> others = {
      {"install.ini"}, {"sub", "deep", "part.bin"}, {"Dokumenty", "\xC5\xBB\xC3\xB3\xC5\x82w.txt"}};
  for (const Case& c : damaged) {
    SCOPED_TRACE(c.what);
    WriteFile(temp_ / "damaged.iso", c.bytes);
    std::unique_ptr<DiscImage> opened = OpenOk(temp_ / "damaged.iso");
    ASSERT_TRUE(opened);
    auto file = opened->Find({"big.dat"});
    ASSERT_TRUE(file.ok());
    std::string all(file->size, '\0');
    auto got = opened->Read(*file, 0, all.data(), all.size());
    ASSERT_FALSE(got.ok());
    EXPECT_NE(got.status().message().find("big.dat"), std::string::npos) << got.status().ToString();
    // The files wholly inside what is left read as they are.
    for (const auto& path : others) {
      auto other = opened->Find(path);
      ASSERT_TRUE(other.ok()) << path.back();
      std::string bytes(other->size, '\0');
      auto read = opened->Read(*other, 0, bytes.data(), bytes.size());
      const bool inside = (other->lsn + other->size / 2048 + 1) * 2048 <= c.bytes.size();
      EXPECT_EQ(read.ok(), inside) << path.back();
      if (!read.ok()) {
        EXPECT_NE(read.status().message().find(path.back()), std::string::npos);
      }
    }
  }

  // A record whose name runs past its end: the folder is refused whole,
  // never handed on, and the rest of the disc still reads.
  const std::string joliet_name("\0p\0a\0r\0t\0.\0b\0i\0n", 16);
  const std::size_t name_at = good.find(joliet_name);
  ASSERT_NE(name_at, std::string::npos);
  std::string long_name = good;
  long_name[name_at - 1] = '\xF0';
  WriteFile(temp_ / "damaged.iso", long_name);
  std::unique_ptr<DiscImage> opened = OpenOk(temp_ / "damaged.iso");
  ASSERT_TRUE(opened);
  auto deep = opened->List({"sub", "deep"});
  ASSERT_FALSE(deep.ok());
  EXPECT_NE(deep.status().message().find("damaged"), std::string::npos) << deep.status().ToString();
  auto in_deep = opened->Find({"sub", "deep", "part.bin"});
  ASSERT_FALSE(in_deep.ok());
  EXPECT_EQ(in_deep.status().kind(), base::Status::Kind::kIoError);
  EXPECT_TRUE(opened->Find({"install.ini"}).ok());

  // What holds no file system at all is refused when opened.
  for (const std::string& bytes :
       {std::string(), std::string(40 * 2048, 'x'), good.substr(0, 17 * 2048)}) {
    WriteFile(temp_ / "junk.iso", bytes);
    EXPECT_FALSE(DiscImage::Open(temp_ / "junk.iso").ok()) << bytes.size();
  }
  EXPECT_FALSE(DiscImage::Open(temp_ / "missing.iso").ok());
}

}  // namespace
}  // namespace cdsetup::platform
