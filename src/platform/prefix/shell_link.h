// Shell link (.lnk) files in the documented binary format that Windows and
// Wine read: the header, the target as an item id list whose items carry
// their names in UTF-16, and the string data. No LinkInfo is written: Wine
// reads its path in Wine's own ANSI code page, so a link to a Polish folder
// would start nothing outside a Polish locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/prefix/code_page.h"

namespace cdsetup::platform {

/// Link flags of the header that we write or look at.
enum ShellLinkFlags : std::uint32_t {
  kLinkHasTargetIdList = 0x1,
  kLinkHasLinkInfo = 0x2,
  kLinkHasName = 0x4,
  kLinkHasRelativePath = 0x8,
  kLinkHasWorkingDir = 0x10,
  kLinkHasArguments = 0x20,
  kLinkHasIconLocation = 0x40,
  kLinkIsUnicode = 0x80,
};

/// The fields of a link. Texts are UTF-8; paths are full Windows paths.
struct ShellLink {
  std::string target;
  std::string working_directory;  // "" for none
  std::string arguments;          // "" for none
  std::string description;        // "" for none
  std::string relative_path;      // read only
  std::string icon_location;      // "" for none; the icon is the file's first
  // What the header tells of the target, so a moved target can be found.
  std::uint32_t file_attributes = 0;
  std::uint32_t file_size = 0;
  std::uint64_t write_time = 0;  // FILETIME: 100 ns since 1601
  std::uint32_t drive_type = 3;  // read only: a LinkInfo's volume, as GetDriveType numbers it
  std::uint32_t show_command = 1;
  std::uint32_t link_flags = 0;  // as read; set by EncodeShellLink from the fields
};

/// The bytes of a link file. Flags say which strings are present: the working
/// directory, arguments, description and icon location only when not empty. Refused when the
/// target is empty or not on a drive, or a path is longer than 259 characters.
base::Result<std::string> EncodeShellLink(const ShellLink& link, const CodePage& code_page);

/// Reads a link file's bytes. Corrupt when the header is not a shell link's or
/// a structure runs past the end; ANSI strings are read in `code_page`. The
/// target is the LinkInfo's local path (the Unicode one when present), else
/// the path the item id list names.
base::Result<ShellLink> DecodeShellLink(std::string_view bytes, const CodePage& code_page);

}  // namespace cdsetup::platform
