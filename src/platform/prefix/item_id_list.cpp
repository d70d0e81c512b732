#include "platform/prefix/item_id_list.h"

#include <array>
#include <vector>

#include "base/ascii.h"
#include "base/byte_order.h"
#include "platform/prefix/utf16.h"

namespace cdsetup::platform {

using base::ByteReader;
using base::Put16;
using base::Put32;
using base::PutUtf16;

namespace {

// CLSID_MyComputer, 20D04FE0-3AEA-1069-A2D8-08002B30309D, in its byte order.
constexpr std::array<std::uint8_t, 16> kMyComputer = {
    0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
constexpr std::uint8_t kTypeRootFolder = 0x1F;
constexpr std::uint8_t kSortMyComputer = 0x50;
constexpr std::uint8_t kTypeDrive = 0x2F;
constexpr std::uint32_t kDriveItemSize = 0x19;
constexpr std::uint8_t kTypeFolder = 0x31;
constexpr std::uint8_t kTypeFile = 0x32;
// The extension block that carries a file system item's Unicode name, in
// the version Windows XP writes: its fixed fields are 0x14 bytes, the name
// follows, and the item ends with the block's offset in the item.
constexpr std::uint32_t kNameBlockSignature = 0xBEEF0004;
constexpr std::uint32_t kNameBlockVersion = 3;
constexpr std::uint32_t kNameBlockFixed = 0x14;
// The fixed part of an item before its ANSI name: size, type, a zero byte,
// file size, DOS date and time, attributes.
constexpr std::size_t kFileItemFixed = 14;

std::string_view AsBytes(const std::array<std::uint8_t, 16>& a) {
  return {reinterpret_cast<const char*>(a.data()), a.size()};
}

std::string FileItem(std::u16string_view name, std::string_view ansi, bool folder,
                     const ItemIdTarget& target) {
  std::string body;
  body += static_cast<char>(folder ? kTypeFolder : kTypeFile);
  body += '\0';
  Put32(body, folder ? 0 : target.file_size);
  Put16(body, 0);                                                      // DOS date
  Put16(body, 0);                                                      // DOS time
  Put16(body, folder ? 0x10 : 0x20 | (target.file_attributes & 0x1));  // read-only kept
  body += ansi;
  body += '\0';
  if ((2 + body.size()) % 2 != 0) body += '\0';  // the block is word-aligned
  const std::size_t block_offset = 2 + body.size();
  std::string block;
  Put16(block, static_cast<std::uint32_t>(kNameBlockFixed + 2 * (name.size() + 1) + 2));
  Put16(block, kNameBlockVersion);
  Put32(block, kNameBlockSignature);
  Put32(block, 0);                // created
  Put32(block, 0);                // accessed
  Put16(block, kNameBlockFixed);  // where the Unicode name starts
  Put16(block, 0);                // no localized name
  PutUtf16(block, name);
  Put16(block, 0);
  Put16(block, static_cast<std::uint32_t>(block_offset));
  std::string item;
  Put16(item, static_cast<std::uint32_t>(2 + body.size() + block.size()));
  return item + body + block;
}

// The Unicode name of a file system item, checked as Wine checks it: a
// word-aligned block after the fixed fields that ends the item exactly.
std::optional<std::u16string> UnicodeName(std::string_view item) {
  if (item.size() < 2 + kFileItemFixed + 2) return std::nullopt;
  ByteReader tail(item.substr(item.size() - 2));
  std::uint32_t offset = 0;
  tail.U16(&offset);
  if (offset % 2 != 0 || offset < 1 + kFileItemFixed ||
      offset + kNameBlockFixed + 4 > item.size()) {
    return std::nullopt;
  }
  ByteReader block(item.substr(offset));
  std::uint32_t size = 0, version = 0, signature = 0;
  if (!block.U16(&size) || !block.U16(&version) || !block.U32(&signature) ||
      offset + size != item.size() || signature != kNameBlockSignature || version < 3 ||
      !block.Skip(kNameBlockFixed - 8)) {
    return std::nullopt;
  }
  std::u16string name;
  std::uint32_t c = 0;
  while (block.pos() + 2 < size && block.U16(&c) && c != 0) name += static_cast<char16_t>(c);
  if (c != 0) return std::nullopt;
  return name;
}

}  // namespace

base::Result<std::string> EncodeItemIdList(const ItemIdTarget& target, const CodePage& code_page) {
  const std::string& path = target.path;
  if (path.size() < 3 || !base::IsAsciiAlpha(path[0]) || path[1] != ':' || path[2] != '\\') {
    return base::Status::Refused("a link target must be a full path on a drive: " + path);
  }
  std::vector<std::string> parts;
  for (std::size_t start = 3; start < path.size();) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  std::string items;
  Put16(items, 0x14);
  items += static_cast<char>(kTypeRootFolder);
  items += static_cast<char>(kSortMyComputer);
  items += AsBytes(kMyComputer);
  Put16(items, kDriveItemSize);
  items += static_cast<char>(kTypeDrive);
  items += path[0] >= 'a' && path[0] <= 'z' ? static_cast<char>(path[0] - 'a' + 'A') : path[0];
  items += ":\\";
  items.append(kDriveItemSize - 6, '\0');
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].empty()) return base::Status::Refused("a link target with an empty part: " + path);
    std::string ansi = code_page.FromUtf8(parts[i]);
    for (char& ch : ansi) {
      if (ch == '?') ch = '_';  // a letter the code page lacks; "?" is no file name
    }
    const bool folder = i + 1 < parts.size() || (target.file_attributes & 0x10) != 0;
    items += FileItem(Utf8ToUtf16(parts[i]), ansi, folder, target);
  }
  Put16(items, 0);
  std::string list;
  Put16(list, static_cast<std::uint32_t>(items.size()));
  return list + items;
}

std::optional<std::string> DecodeItemIdList(std::string_view items, const CodePage& code_page) {
  ByteReader r(items);
  std::string path;
  for (int n = 0;; ++n) {
    std::uint32_t size = 0;
    std::string_view item;
    if (!r.U16(&size)) return std::nullopt;
    if (size == 0) break;
    if (size < 3 || !r.Bytes(size - 2, &item)) return std::nullopt;
    const auto type = static_cast<std::uint8_t>(item[0]);
    if (n == 0) {
      if (type != kTypeRootFolder || item.size() < 18 ||
          item.substr(2, 16) != AsBytes(kMyComputer)) {
        return std::nullopt;
      }
    } else if (n == 1) {
      if ((type & 0x70) != 0x20 || item.size() < 4 || !base::IsAsciiAlpha(item[1]) ||
          item[2] != ':') {
        return std::nullopt;
      }
      path = std::string(1, item[1]) + ":";
    } else {
      if ((type & 0x70) != 0x30) return std::nullopt;
      std::string whole(items.substr(r.pos() - size, size));
      std::optional<std::u16string> wide = UnicodeName(whole);
      std::string name;
      if (wide) {
        name = Utf16ToUtf8(*wide);
      } else {
        const std::size_t end = item.find('\0', kFileItemFixed - 2);
        if (item.size() < kFileItemFixed - 2 || end == std::string_view::npos) return std::nullopt;
        name = code_page.ToUtf8(item.substr(kFileItemFixed - 2, end - (kFileItemFixed - 2)));
      }
      path += "\\" + name;
    }
  }
  if (path.empty()) return std::nullopt;
  return path.size() == 2 ? path + "\\" : path;
}

}  // namespace cdsetup::platform
