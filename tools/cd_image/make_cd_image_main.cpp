// make_cd_image: a CD image of a medium folder, to install from or to press.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "cd_image.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Makes a CD image of a medium folder: an ISO 9660 image with Joliet and Rock "
      "Ridge names, or with --cue a CUE sheet and its BIN track."};
  std::string folder, image, volume = "CDROM";
  int sector = 0;
  app.add_option("folder", folder, "The medium folder")->required()->check(CLI::ExistingDirectory);
  app.add_option("image", image, "The image to write (.iso, or .cue with --cue)")->required();
  app.add_option("--volume", volume, "The volume id, the drive's name under Windows");
  app.add_option("--cue", sector, "Write a CUE sheet and a BIN track of this sector size")
      ->check(CLI::IsMember({2048, 2352}));
  CLI11_PARSE(app, argc, argv);
  const std::string iso = sector == 0 ? image : image + ".iso-tmp";
  cdsetup::base::Status made = cdsetup::cdimage::MakeIsoImage(folder, iso, volume);
  if (made.ok() && sector != 0) {
    made = cdsetup::cdimage::MakeCueBin(iso, image, sector);
    std::remove(iso.c_str());
  }
  if (!made.ok()) {
    std::fprintf(stderr, "make_cd_image: %s\n", made.ToString().c_str());
    return 1;
  }
  return 0;
}
