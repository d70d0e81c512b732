// link_fields LINK...: prints the target, working directory and arguments of
// each shell link as the Windows shell reads them, for make test-windows to
// compare the links of two installations. Exit status 1 when one is unreadable.
#include <cstdio>

#include "platform/win32/win32_platform.h"

int main(int argc, char** argv) {
  auto opened = cdsetup::platform::Win32Platform::Open({});
  if (!opened.ok()) return 1;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    auto link = opened.value()->ReadShellLink(argv[i]);
    if (!link.ok()) {
      std::fprintf(stderr, "link_fields: %s\n", link.status().ToString().c_str());
      status = 1;
      continue;
    }
    std::printf("%s\n  target: %s\n  working directory: %s\n  arguments: %s\n", argv[i],
                link->target.c_str(), link->working_directory.c_str(), link->arguments.c_str());
  }
  return status;
}
