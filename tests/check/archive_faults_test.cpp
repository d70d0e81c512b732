// The check on media whose sound archive has one fault each: entries the
// copy refuses or skips, two that become one WAV, streams that do not decode
// cleanly, an archive cut short; and the size its WAV files will take.
#include <gtest/gtest.h>

#include "check/check_fixture.h"
#include "encoderkit/ogg_pages.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "sndpack/sound_archive_writer.h"

namespace cdsetup::check {
namespace {

using encoderkit::SineTone;
using sndpack::EntryBytes;

class ArchiveFaults : public CheckFixture {
 protected:
  // One second of mono Ogg Vorbis at 22050 Hz.
  static std::string Vorbis() {
    encoderkit::VorbisOptions options;
    options.rate = 22050;
    return encoderkit::EncodeVorbis(options, SineTone(440, 0.3, 22050, 22050));
  }
  // The archive the min list names, in place of the demo's.
  void WriteArchive(const std::string& bytes) {
    testing::WriteFile(medium("Dane/Mowa.snd"), bytes);
  }
  std::string Problem(const std::string& text) {
    return At("3=Dane\\Mowa.snd") + ": " + kWhat + text;
  }

  static constexpr const char* kWhat = "[min] 3=Dane\\Mowa.snd: ";
};

TEST_F(ArchiveFaults, EntriesTheCopyRefusesOrSkips) {
  const std::string stops = ": the copy would stop there";
  struct Case {
    const char* name;
    std::string archive;
    std::string problem;
  };
  const Case cases[] = {
      {"a kind of its own",
       EntryBytes(7, "Notatki.txt", "hello") + EntryBytes(0, "a.ogg", Vorbis()),
       "entry 0 Notatki.txt: kind 7 is neither Ogg Vorbis (0) nor Ogg Speex (1): the copy skips "
       "it"},
      {"a name with a folder", EntryBytes(0, "a\\b.ogg", Vorbis()),
       "entry 0: entry name with a directory: a\\b.ogg" + stops},
      {"no extension of its kind", EntryBytes(0, "Intro.wav", Vorbis()),
       "entry 0 Intro.wav (Ogg Vorbis): the name lacks .ogg" + stops},
      {"two entries, one WAV",
       EntryBytes(0, "Intro.ogg", Vorbis()) + EntryBytes(0, "INTRO.ogg", Vorbis()),
       "entry 1 INTRO.ogg: becomes intro.wav, as an entry before it does: it replaces that sound"},
      {"cut short", EntryBytes(0, "a.ogg", Vorbis()) + sndpack::RawHeader(0, 1000, 5) + "b.ogg",
       "entry 1 at byte " + std::to_string(EntryBytes(0, "a.ogg", Vorbis()).size()) +
           ": archive entry runs past the end of the archive" + stops},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteArchive(c.archive);
    EXPECT_EQ(Problems(), std::vector<std::string>{Problem(c.problem)});
  }
}

TEST_F(ArchiveFaults, StreamsThatDoNotDecodeCleanly) {
  encoderkit::VorbisOptions vorbis;
  vorbis.packets_per_page = 8;
  std::string damaged = encoderkit::EncodeVorbis(vorbis, SineTone(440, 0.3, 44100, 100000));
  const auto pages = encoderkit::PageOffsets(damaged);
  ASSERT_GT(pages.size(), 6u);
  damaged[pages[4] + 40] ^= 0x55;  // its checksum fails: a hole
  encoderkit::SpeexOptions speex;
  encoderkit::SpeexPackets packets =
      encoderkit::EncodeSpeexPackets(speex, SineTone(440, 0.3, 8000, 8000));
  packets.audio[1] = "\x48";  // sub-mode 9 does not exist
  const std::string bad_speex = encoderkit::Join(encoderkit::FrameSpeex(speex, packets));

  struct Case {
    const char* name;
    std::string archive;
    std::string problem;
  };
  const Case cases[] = {
      {"not Ogg at all", EntryBytes(0, "Intro.ogg", "not an Ogg stream"),
       "entry 0 Intro.ogg (Ogg Vorbis): Input does not appear to be an Ogg bitstream."},
      {"a damaged Speex frame", EntryBytes(1, "Mowa.spx", bad_speex),
       "entry 0 Mowa.spx (Ogg Speex): Decoding error: corrupted stream?"},
      {"Vorbis given as Speex", EntryBytes(1, "Mowa.spx", Vorbis()),
       "entry 0 Mowa.spx (Ogg Speex): Cannot read header"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteArchive(c.archive);
    EXPECT_EQ(Problems(), std::vector<std::string>{Problem(c.problem)});
  }

  WriteArchive(EntryBytes(0, "Intro.ogg", damaged));
  const std::vector<std::string> problems = Problems();
  ASSERT_EQ(problems.size(), 1u);
  const std::string head = Problem("entry 0 Intro.ogg (Ogg Vorbis): decoded ");
  const std::string tail = " samples of the 100000 its stream declares: damaged pages were skipped";
  EXPECT_EQ(problems[0].rfind(head, 0), 0u) << problems[0];
  EXPECT_EQ(problems[0].substr(problems[0].size() - tail.size()), tail) << problems[0];
}

TEST_F(ArchiveFaults, TheSizeOfTheWavFiles) {
  // One second of mono samples: a 44-byte header and 2 bytes a sample.
  WriteArchive(EntryBytes(0, "Intro.ogg", Vorbis()));
  Report report = Check();
  ASSERT_TRUE(report.clean()) << report.Lines()[0];
  EXPECT_EQ(report.notes()[0],
            "min: 3 files of 20174 bytes and 1 WAV files of 44144 bytes: 64318 bytes (0.1 MB)");
  EXPECT_EQ(report.notes()[3].rfind("sounds: 2 archives become 3 WAV files of ", 0), 0u)
      << report.notes()[3];
}

TEST_F(ArchiveFaults, AnEntryPathLongerThanItsBuffer) {
  // Below a folder of 239 characters, "dane\" and a name of 24 pass 259.
  const std::string dir = "C:\\" + std::string(236, 'g');
  EditScript("IDS_DOMYSLNY_KATALOG=C:\\Games\\Demo", "IDS_DOMYSLNY_KATALOG=" + dir);
  WriteArchive(EntryBytes(0, std::string(20, 'n') + ".ogg", Vorbis()));
  const std::vector<std::string> problems = Problems();
  const std::string expected = Problem("entry 0 " + std::string(20, 'n') + ".ogg: below " + dir +
                                       " its path is 269 characters: a path holds 259");
  EXPECT_NE(std::find(problems.begin(), problems.end(), expected), problems.end())
      << problems.size();
}

}  // namespace
}  // namespace cdsetup::check
