// The program's own small pictures, drawn here as character art: one palette
// letter per pixel from the 16 colours of a classic display, '.' for a
// transparent pixel. Each table is checked at compile time.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "resources/image.h"
#include "resources/resource_ids.h"

namespace cdsetup::resources {
namespace {

template <std::size_t N>
using Art = std::array<std::string_view, N>;

constexpr std::string_view kLetters = ".krgyntpldRGYBMCw";
constexpr std::array<std::uint32_t, 17> kColours = {
    0x00000000,  // . transparent
    0xFF000000,  // k black
    0xFF800000,  // r dark red
    0xFF008000,  // g dark green
    0xFF808000,  // y olive
    0xFF000080,  // n navy
    0xFF008080,  // t teal
    0xFF800080,  // p purple
    0xFFC0C0C0,  // l light grey
    0xFF808080,  // d dark grey
    0xFFFF0000,  // R red
    0xFF00FF00,  // G green
    0xFFFFFF00,  // Y yellow
    0xFF0000FF,  // B blue
    0xFFFF00FF,  // M magenta
    0xFF00FFFF,  // C cyan
    0xFFFFFFFF,  // w white
};

// A table is square and uses only palette letters.
template <std::size_t N>
consteval bool Valid(const Art<N>& art) {
  for (std::string_view row : art) {
    if (row.size() != N) return false;
    for (char c : row) {
      if (kLetters.find(c) == std::string_view::npos) return false;
    }
  }
  return true;
}

// The pictures keep one row per line.
// clang-format off
// 155, CD-ROM drive: a compact disc over a drive.
constexpr Art<16> kCdRom = {
    "......dddd......",
    "....ddlllldd....",
    "...ddwwlllldd...",
    "...dwwwddllld...",
    "...dllddddlld...",
    "..dllld..dllld..",
    "...dllddddlld...",
    "...dlllddCCCd...",
    "...ddlllMMCdd...",
    "....ddllMMdd....",
    ".kkkkkddddkkkkk.",
    "kwwwwwwwwwwwwwwk",
    "kwGllkkkkkkkkkdk",
    "kwlllllllllllldk",
    "kddddddddddddddk",
    ".kkkkkkkkkkkkkk.",
};

// 156, floppy drive: a flat drive, its slot, and a red lamp at the left.
constexpr Art<16> kFloppy = {
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwwk",
    "kwRRlkkkkkkkkkdk",
    "kwlllllllllllldk",
    "kddddddddddddddk",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
    "................",
    "................",
};

// 157, compressed volume: a pink flattened disk between two arrows that squeeze it.
constexpr Art<16> kCompressed = {
    ".......kk.......",
    ".......kk.......",
    ".....kkkkkk.....",
    "......kkkk......",
    "................",
    "................",
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwpk",
    "kwMMppppppppMMpk",
    "kdpppppppppppppk",
    ".kkkkkkkkkkkkkk.",
    "................",
    "......kkkk......",
    ".....kkkkkk.....",
    ".......kk.......",
    ".......kk.......",
};

// 158, a subdirectory row: a closed yellow folder.
constexpr Art<16> kClosedFolder = {
    "................",
    "................",
    "..kkkk..........",
    ".kwYYYk.........",
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwwk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kyyyyyyyyyyyyyyk",
    ".kkkkkkkkkkkkkk.",
    "................",
};

// 159: a yellow folder with a sheet of paper in it, the third folder of the
// set, which the lists do not use.
constexpr Art<16> kFolderWithPaper = {
    "................",
    ".......kkkkkkk..",
    "..kkkk.kwwwwwk..",
    ".kwYYYkkwdddwk..",
    ".kkkkkkkwwwwwkk.",
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwwwwk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kwYYYYYYYYYYYYyk",
    "kyyyyyyyyyyyyyyk",
    ".kkkkkkkkkkkkkk.",
    "................",
};

// 160, a part of the current path: an open yellow folder.
constexpr Art<16> kOpenFolder = {
    "................",
    "................",
    "..kkkk..........",
    ".kYYYYkkkkkkk...",
    ".yyyyyyyyyyyyk..",
    "kyyyyyyyyyyyyk..",
    "kyyyyyyyyyyyyk..",
    "kyyykkkkkkkkkkkk",
    "kyyykwYYYYYYYYYk",
    "kyykwYYYYYYYYYk.",
    "kyykwYYYYYYYYYk.",
    "kykwYYYYYYYYYk..",
    "kykwYYYYYYYYYk..",
    "kkwYYYYYYYYYkk..",
    "kkkkkkkkkkkkkk..",
    "................",
};

// 161, RAM disk: a memory chip.
constexpr Art<16> kRamDisk = {
    "................",
    "................",
    "..l.l.l.l.l.l...",
    "..l.l.l.l.l.l...",
    ".kkkkkkkkkkkkkk.",
    ".kddddddddddddk.",
    ".kkkkkkkkkkkkkk.",
    "..kkkkkkkkkkkkk.",
    "..kkkkkkkkkkkkk.",
    ".kkdkkkkkkkkkkk.",
    ".kkkkkkkkkkkkkk.",
    ".kkkkkkkkkkkkkk.",
    "..l.l.l.l.l.l...",
    "..l.l.l.l.l.l...",
    "................",
    "................",
};

// 162, network drive: a drive standing on a network connector and its cable.
constexpr Art<16> kNetwork = {
    "................",
    "..kkkkkkkkkkkk..",
    ".kwwwwwwwwwwwwk.",
    ".kwlllllllllldk.",
    ".kwlkkkkkklGldk.",
    ".kwlwwwwwwllldk.",
    ".kwlllllllllldk.",
    ".kddddddddddddk.",
    "..kkkkkkkkkkkk..",
    ".......kk.......",
    ".......kk.......",
    ".....kkkkkk.....",
    ".....kddddk.....",
    "kkkkkkkkkkkkkkkk",
    "dddddddddddddddd",
    "................",
};

// 163, a drive of unknown kind: a question mark.
constexpr Art<16> kUnknown = {
    "................",
    ".....Bnnnnn.....",
    "....Bnnnnnnn....",
    "...Bnn....nnn...",
    "...Bn......nn...",
    "...........Bn...",
    "..........Bnn...",
    ".........Bnn....",
    "........Bnn.....",
    ".......Bnn......",
    ".......Bn.......",
    ".......Bn.......",
    "................",
    ".......Bn.......",
    ".......Bn.......",
    "................",
};

// 164, fixed disk: a drive with a slot and a green lamp at the right.
constexpr Art<16> kFixedDisk = {
    "................",
    "................",
    "................",
    "................",
    ".kkkkkkkkkkkkkk.",
    "kwwwwwwwwwwwwwwk",
    "kwlllllllllllldk",
    "kwlkkkkkkkllGGdk",
    "kwlwwwwwwwllggdk",
    "kwlllllllllllldk",
    "kwlllllllllllldk",
    "kddddddddddddddk",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
    "................",
};

// 128, the application icon: a disc going into an open box, with an arrow down.
constexpr Art<16> kAppSmall = {
    "....dddd........",
    "...dlllld.......",
    "..dwwlllld......",
    ".dwwwllllld.....",
    ".dllddddlld.....",
    ".dlld..dlld.....",
    ".dllddddlld.....",
    ".dllllMCCCd.....",
    "..dlllMMCd......",
    "...kkkkkkkkkkkkk",
    "...kwwwwwwwwwwyk",
    "...kYYYYYggYYYyk",
    "...kYYYYYggYYYyk",
    "...kYYYYggggYYyk",
    "...kyyyyyggyyyyk",
    "...kkkkkkkkkkkkk",
};

// 128 in its large form: the same picture at 32 x 32.
constexpr Art<32> kAppLarge = {
    ".........dddddd.................",
    ".......dddllllddd...............",
    ".....ddwwlllllllldd.............",
    "....ddwwwllllllllldd............",
    "...ddwwwwlllllllllldd...........",
    "...dwwwwwwlllllllllld...........",
    "..dlwwwwwwllllllllllld..........",
    "..dllwwwwwwlllllllllld..........",
    ".ddllllwwwddddllllllldd.........",
    ".dllllllldd..ddllllllld.........",
    ".dllllllld....dllllllld.........",
    ".dllllllld....dllllllld.........",
    ".dllllllldd..ddllllllld.........",
    ".ddlllllllddddCCClllldd.........",
    "..dlllllllllMMCCCCllld..........",
    "..dllllllllllMCCCCCCld..........",
    "...dlllllllllMMCCCCCd...........",
    "...ddllllllllMMCCCCdd...........",
    "....ddkkkkkkkkkkkkkkkkkkkkkkkkkk",
    ".....dkwwwwwwwwwwwwwwwwwwwwwwyyk",
    "......kwwwwwwwwwwwwwwwwwwwwwwyyk",
    "......kYYYYYYYYYYYYYYYYYYYYYYyyk",
    "......kYYYYYYYYYYYgggYYYYYYYYyyk",
    "......kYYYYYYYYYYYgggYYYYYYYYyyk",
    "......kYYYYYYYYYYYgggYYYYYYYYyyk",
    "......kYYYYYYYYYYYgggYYYYYYYYyyk",
    "......kYYYYYYYYgggggggggYYYYYyyk",
    "......kYYYYYYYYYgggggggYYYYYYyyk",
    "......kYYYYYYYYYYgggggYYYYYYYyyk",
    "......kyyyyyyyyyyygggyyyyyyyyyyk",
    "......kyyyyyyyyyyyygyyyyyyyyyyyk",
    "......kkkkkkkkkkkkkkkkkkkkkkkkkk",
};
// 141: the focus pattern, a checkerboard of black and cyan. It is a brush
// pattern, not an icon, and stays 8 x 8 and opaque.
constexpr Art<8> kFocusPattern = {
    "kCkCkCkC",
    "CkCkCkCk",
    "kCkCkCkC",
    "CkCkCkCk",
    "kCkCkCkC",
    "CkCkCkCk",
    "kCkCkCkC",
    "CkCkCkCk",
};
// clang-format on

static_assert(Valid(kCdRom) && Valid(kFloppy) && Valid(kCompressed) && Valid(kClosedFolder) &&
              Valid(kFolderWithPaper) && Valid(kOpenFolder) && Valid(kRamDisk) && Valid(kNetwork) &&
              Valid(kUnknown) && Valid(kFixedDisk) && Valid(kAppSmall) && Valid(kAppLarge) &&
              Valid(kFocusPattern));

template <std::size_t N>
Image Paint(const Art<N>& art) {
  Image image;
  image.width = static_cast<int>(N);
  image.height = static_cast<int>(N);
  image.pixels.reserve(N * N);
  for (std::string_view row : art) {
    for (char c : row) image.pixels.push_back(kColours[kLetters.find(c)]);
  }
  return image;
}

}  // namespace

Image LoadIconImage(int id, bool large) {
  switch (id) {
    case IDI_APP:
      return large ? Paint(kAppLarge) : Paint(kAppSmall);
    case IDB_FOCUS_PATTERN:
      return Paint(kFocusPattern);
    case IDI_CDROM:
      return Paint(kCdRom);
    case IDI_FLOPPY:
      return Paint(kFloppy);
    case IDI_COMPRESSED:
      return Paint(kCompressed);
    case IDI_CLOSED_FOLDER:
      return Paint(kClosedFolder);
    case IDI_FOLDER_WITH_PAPER:
      return Paint(kFolderWithPaper);
    case IDI_OPEN_FOLDER:
      return Paint(kOpenFolder);
    case IDI_RAM_DISK:
      return Paint(kRamDisk);
    case IDI_NETWORK:
      return Paint(kNetwork);
    case IDI_UNKNOWN_DRIVE:
      return Paint(kUnknown);
    case IDI_FIXED_DISK:
      return Paint(kFixedDisk);
    default:
      return Image();
  }
}

}  // namespace cdsetup::resources
