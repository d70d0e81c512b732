// The item id list of a shell link: the target as the shell names it, item
// by item from My Computer through the drive to the file, each folder and
// file with its name in UTF-16. Wine and Windows both resolve it without a
// code page, unlike a LinkInfo's ANSI path, which Wine reads in its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/prefix/code_page.h"

namespace cdsetup::platform {

/// What the file item of the target records.
struct ItemIdTarget {
  std::string path;  // full Windows path in UTF-8: "C:\Gry\Żółw\demo.exe"
  std::uint32_t file_size = 0;
  std::uint32_t file_attributes = 0;  // 0x10 marks a folder
};

/// The list (its u16 size, the items and the closing zero) for `target`.
/// Each item also carries its name in `code_page`, "_" for a letter the
/// code page lacks, for readers that take no Unicode. Refused for a path
/// that is not on a drive ("X:\...") or has an empty part.
base::Result<std::string> EncodeItemIdList(const ItemIdTarget& target, const CodePage& code_page);

/// The full path the items name (without the leading u16 size), in UTF-8;
/// nullopt when they are not My Computer, a drive and file system items.
/// Names without a readable Unicode part are read in `code_page`.
std::optional<std::string> DecodeItemIdList(std::string_view items, const CodePage& code_page);

}  // namespace cdsetup::platform
