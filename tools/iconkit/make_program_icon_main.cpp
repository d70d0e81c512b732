// make_program_icon FILE: writes the program's icon, the pictures it draws
// itself, as an icon file for the Windows build's resources.
#include <cstdio>
#include <vector>

#include "iconkit/ico_writer.h"
#include "resources/image.h"
#include "resources/resource_ids.h"

int main(int argc, char** argv) {
  using namespace cdsetup;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_program_icon FILE.ico\n");
    return 2;
  }
  const resources::Image small = resources::LoadIconImage(resources::IDI_APP, false);
  const resources::Image large = resources::LoadIconImage(resources::IDI_APP, true);
  // The large picture doubled, pixel for pixel, for Explorer's large views
  // and the elevation prompt on a screen of high density.
  const std::vector<resources::Image> images = {small, large, resources::Scale(large, 64, 64)};
  const std::string ico = iconkit::WriteIco(images);
  std::FILE* out = std::fopen(argv[1], "wb");
  if (ico.empty() || !out) {
    std::fprintf(stderr, "make_program_icon: cannot write %s\n", argv[1]);
    if (out) std::fclose(out);
    return 1;
  }
  const bool written = std::fwrite(ico.data(), 1, ico.size(), out) == ico.size();
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "make_program_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
