#include "copy/sound_archive_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sndpack/sound_archive_writer.h"

namespace cdsetup::copy {
namespace {

using sndpack::EntryBytes;
using sndpack::RawHeader;

// An archive held in a temporary stream, as the engine reads one from disk.
class ArchiveStream {
 public:
  explicit ArchiveStream(const std::string& bytes) : file_(std::tmpfile()) {
    std::fwrite(bytes.data(), 1, bytes.size(), file_.get());
    std::rewind(file_.get());
  }
  SoundArchiveReader Reader() {
    auto size = SoundArchiveReader::MeasureSize(file_.get());
    EXPECT_TRUE(size.ok());
    return SoundArchiveReader(file_.get(), size.value());
  }

 private:
  platform::FilePtr file_;
};

std::string Drain(SoundArchiveReader& reader) {
  platform::FilePtr out(std::tmpfile());
  EXPECT_TRUE(reader.CopyData(out.get()).ok());
  std::string data(static_cast<std::size_t>(std::ftell(out.get())), '\0');
  std::rewind(out.get());
  EXPECT_EQ(std::fread(data.data(), 1, data.size(), out.get()), data.size());
  return data;
}

TEST(SoundArchiveReader, ReadsEveryEntryInOrderUntilTheEnd) {
  std::string big(700 * 1024, '\0');  // more than two pieces
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  ArchiveStream stream(EntryBytes(0, "Intro.OGG", "vorbis") + EntryBytes(7, "x.bin", "") +
                       EntryBytes(1, "mowa.spx", big));
  SoundArchiveReader reader = stream.Reader();

  auto first = reader.ReadHeader();
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(first.value().kind, 0u);
  EXPECT_EQ(first.value().name, "Intro.OGG");
  EXPECT_EQ(first.value().Span(), 12u + 9u + 6u);
  EXPECT_EQ(Drain(reader), "vorbis");

  auto second = reader.ReadHeader();
  ASSERT_TRUE(second.ok());
  EXPECT_EQ(second.value().kind, 7u);
  EXPECT_TRUE(reader.SkipData().ok());

  auto third = reader.ReadHeader();
  ASSERT_TRUE(third.ok());
  EXPECT_EQ(third.value().data_length, big.size());
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(Drain(reader), big);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.consumed(), reader.size());
}

TEST(SoundArchiveReader, EmptyArchiveIsAtEndAtOnce) {
  ArchiveStream stream("");
  EXPECT_TRUE(stream.Reader().AtEnd());
}

TEST(SoundArchiveReader, DamagedArchivesAreCorruptAndReadNothingOutside) {
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"header cut short", EntryBytes(0, "a.ogg", "x") + "\x01\x00\x00"},
      {"name length 260", RawHeader(0, 0, 260) + std::string(300, 'n')},
      {"name length huge", RawHeader(0, 0, 0xFFFFFFFF) + "abc"},
      {"name past the end", RawHeader(0, 0, 10) + "short"},
      {"data length bogus", RawHeader(0, 0xFFFFFFFF, 5) + "a.ogg" + "tiny"},
      {"data one byte short", RawHeader(1, 5, 5) + "a.spx" + "1234"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ArchiveStream stream(c.bytes);
    SoundArchiveReader reader = stream.Reader();
    base::Status got;
    while (!reader.AtEnd()) {
      auto entry = reader.ReadHeader();
      if (!entry.ok()) {
        got = entry.status();
        break;
      }
      ASSERT_TRUE(reader.SkipData().ok());
    }
    EXPECT_TRUE(got.IsCorrupt()) << got.ToString();
    // A broken reader stays broken.
    EXPECT_TRUE(reader.ReadHeader().status().IsCorrupt());
  }
}

TEST(SoundArchiveReader, DataMustBeTakenBeforeTheNextHeader) {
  ArchiveStream stream(EntryBytes(0, "a.ogg", "1") + EntryBytes(0, "b.ogg", "2"));
  SoundArchiveReader reader = stream.Reader();
  ASSERT_TRUE(reader.ReadHeader().ok());
  EXPECT_TRUE(reader.ReadHeader().status().IsCorrupt());
}

TEST(SoundArchiveReader, WriteFailureIsAnIoError) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  platform::FilePtr out(full);
  ArchiveStream stream(EntryBytes(0, "a.ogg", std::string(600 * 1024, 'z')));
  SoundArchiveReader reader = stream.Reader();
  ASSERT_TRUE(reader.ReadHeader().ok());
  EXPECT_TRUE(reader.CopyData(out.get()).IsIoError());
  EXPECT_FALSE(reader.AtEnd());
}

TEST(CheckEntryName, RefusesNamesThatLeaveTheirDirectory) {
  for (const char* bad : {"", ".", "..", "a\\b.ogg", "..\\x.ogg", "a/b.ogg", "/etc/passwd",
                          "c:x.ogg", "C:", "tab\there.ogg", "nl\n.ogg", "del\x7f.ogg"}) {
    SCOPED_TRACE(bad);
    EXPECT_TRUE(CheckEntryName(bad).IsRefused());
  }
  for (const char* good : {"intro.ogg", "...ogg", "..x.spx",
                           "\xA3\xF3"
                           "d\x9F.ogg",
                           "a b.wav"}) {
    SCOPED_TRACE(good);
    EXPECT_TRUE(CheckEntryName(good).ok());
  }
}

}  // namespace
}  // namespace cdsetup::copy
