// bare_decode: the bare library loop of bench_support as a command, so that
// its instructions can be counted as a whole process beside ours; with an
// output it writes the samples there, as the converters do.
#include <cstdio>
#include <cstring>

#include "bench_support.h"

int main(int argc, char** argv) {
  if ((argc != 3 && argc != 4) ||
      (std::strcmp(argv[1], "vorbis") != 0 && std::strcmp(argv[1], "speex") != 0)) {
    std::fputs("usage: bare_decode vorbis|speex INPUT [OUTPUT]\n", stderr);
    return 3;
  }
  const char* output = argc == 4 ? argv[3] : nullptr;
  if (std::strcmp(argv[1], "vorbis") == 0) {
    cdsetup::bench::BareVorbis(argv[2], output);
  } else {
    cdsetup::bench::BareSpeex(argv[2], output);
  }
  return 0;
}
