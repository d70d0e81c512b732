#include "audio/speex_comments.h"

#include <gtest/gtest.h>

#include <string>

#include "encoderkit/speex_encoder.h"
#include "support/audio_fixture.h"

namespace cdsetup::audio {
namespace {

using encoderkit::SpeexCommentPacket;

std::string List(const std::string& packet) {
  testing::CapturedStream err;
  PrintSpeexComments(reinterpret_cast<const unsigned char*>(packet.data()),
                     static_cast<long>(packet.size()), err.get());
  return err.Text();
}

TEST(SpeexComments, ListsVendorThenEachComment) {
  EXPECT_EQ(List(SpeexCommentPacket("Encoder 1.2", {"TITLE=Intro", "ARTIST=Torvanel", ""})),
            "Encoder 1.2\nTITLE=Intro\nARTIST=Torvanel\n\n");
  EXPECT_EQ(List(SpeexCommentPacket("", {})), "\n");
}

TEST(SpeexComments, StopsAtTheFirstLengthThatRunsPastThePacket) {
  const std::string good = SpeexCommentPacket("vendor", {"A=1", "B=22"});
  struct Case {
    const char* name;
    std::string packet;
    const char* listing;
  };
  std::string long_vendor = good;
  long_vendor[0] = 100;
  std::string missing_count = good.substr(0, 4 + 6 + 2);
  std::string long_comment = good;
  long_comment[4 + 6 + 4 + 4 + 3] = 50;  // second comment's length
  std::string huge_count = SpeexCommentPacket("v", {"A=1"});
  huge_count[4 + 1 + 3] = '\x7F';  // claims 2^30 and more comments
  const Case cases[] = {
      {"shorter than 8 bytes", good.substr(0, 7), "Invalid/corrupted comments\n"},
      {"vendor too long", long_vendor, "Invalid/corrupted comments\n"},
      {"no room for the count", missing_count, "vendor\nInvalid/corrupted comments\n"},
      {"second comment too long", long_comment, "vendor\nA=1\nInvalid/corrupted comments\n"},
      {"count beyond the packet", huge_count, "v\nA=1\nInvalid/corrupted comments\n"},
      {"cut inside a length", good.substr(0, good.size() - 6),
       "vendor\nA=1\nInvalid/corrupted comments\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(List(c.packet), c.listing);
  }
}

}  // namespace
}  // namespace cdsetup::audio
