// bare_decode: the bare library loop of bench_support as a command, so that
// its instructions can be counted as a whole process beside ours.
#include <cstdio>
#include <cstring>

#include "bench_support.h"

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "vorbis") != 0 && std::strcmp(argv[1], "speex") != 0)) {
    std::fputs("usage: bare_decode vorbis|speex INPUT\n", stderr);
    return 3;
  }
  if (std::strcmp(argv[1], "vorbis") == 0) {
    cdsetup::bench::BareVorbis(argv[2]);
  } else {
    cdsetup::bench::BareSpeex(argv[2]);
  }
  return 0;
}
