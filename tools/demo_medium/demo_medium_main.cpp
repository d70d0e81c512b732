// make_demo_medium DIR: writes the demo installation medium into DIR.
#include <cstdio>

#include "demo_medium/demo_medium.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_medium DIR\n");
    return 1;
  }
  cdsetup::base::Status s = cdsetup::demo::BuildDemoMedium(argv[1]);
  if (!s.ok()) {
    std::fprintf(stderr, "make_demo_medium: %s\n", s.ToString().c_str());
    return 1;
  }
  std::printf("demo medium written to %s\n", argv[1]);
  return 0;
}
