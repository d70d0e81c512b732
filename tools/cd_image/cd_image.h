// CD images of a medium folder, as a publisher or a player makes them: an
// ISO 9660 image with Joliet and Rock Ridge names (through genisoimage), and
// the same as a CUE sheet with a BIN track of 2048- or 2352-byte sectors.
#pragma once

#include <string>

#include "base/result.h"

namespace cdsetup::cdimage {

/// Makes `iso` from the folder `folder`, with the volume id `volume_id`.
base::Status MakeIsoImage(const std::string& folder, const std::string& iso,
                          const std::string& volume_id);

/// Writes the ISO image `iso` as the CUE sheet `cue` and, beside it, its BIN
/// track (the sheet's name with ".bin"): MODE1/2048 sectors as they are, or
/// MODE1/2352 raw sectors (sync, header, data, EDC; the ECC bytes zero, which
/// readers of a data track do not check).
base::Status MakeCueBin(const std::string& iso, const std::string& cue, int sector_size);

}  // namespace cdsetup::cdimage
