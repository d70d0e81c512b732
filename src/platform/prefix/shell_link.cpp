#include "platform/prefix/shell_link.h"

#include <array>

#include "base/byte_order.h"
#include "base/limits.h"
#include "platform/prefix/item_id_list.h"
#include "platform/prefix/utf16.h"

namespace cdsetup::platform {

using base::ByteReader;
using base::Put16;
using base::Put32;
using base::Put64;
using base::PutUtf16;

namespace {

constexpr std::uint32_t kHeaderSize = 0x4C;
// CLSID_ShellLink, 00021401-0000-0000-C000-000000000046, in its byte order.
constexpr std::array<std::uint8_t, 16> kLinkClsid = {
    0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kLinkInfoHeaderWithUnicode = 0x24;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;

std::u16string Utf16Of(std::string_view bytes) {
  std::u16string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return out;
}

// A NUL-terminated string at `offset` of `block`; nullopt when it runs out.
std::optional<std::string_view> AnsiAt(std::string_view block, std::uint32_t offset) {
  if (offset >= block.size()) return std::nullopt;
  std::size_t end = block.find('\0', offset);
  if (end == std::string_view::npos) return std::nullopt;
  return block.substr(offset, end - offset);
}

std::optional<std::u16string> Utf16At(std::string_view block, std::uint32_t offset) {
  std::u16string out;
  for (std::size_t i = offset; i + 1 < block.size(); i += 2) {
    char16_t c = static_cast<char16_t>(static_cast<unsigned char>(block[i]) |
                                       (static_cast<unsigned char>(block[i + 1]) << 8));
    if (c == 0) return out;
    out += c;
  }
  return std::nullopt;
}

base::Status Truncated(const char* what) {
  return base::Status::Corrupt(std::string("shell link cut off in its ") + what);
}

}  // namespace

base::Result<std::string> EncodeShellLink(const ShellLink& link, const CodePage& code_page) {
  std::u16string target = Utf8ToUtf16(link.target);
  std::u16string work = Utf8ToUtf16(link.working_directory);
  std::u16string args = Utf8ToUtf16(link.arguments);
  std::u16string name = Utf8ToUtf16(link.description);
  std::u16string icon = Utf8ToUtf16(link.icon_location);
  if (target.empty()) return base::Status::Refused("a shell link needs a target");
  if (target.size() > base::kMaxPath || work.size() > base::kMaxPath ||
      icon.size() > base::kMaxPath) {
    return base::Status::Refused("a shell link path longer than 259 characters");
  }
  if (args.size() > 0xFFFF || name.size() > 0xFFFF) {
    return base::Status::Refused("a shell link text longer than 65535 characters");
  }
  base::Result<std::string> items =
      EncodeItemIdList(ItemIdTarget{link.target, link.file_size, link.file_attributes}, code_page);
  if (!items.ok()) return items.status();
  // The target travels in the item id list alone: Wine takes a LinkInfo's
  // path whenever there is one, and reads it in its own ANSI code page.
  std::uint32_t flags = kLinkHasTargetIdList | kLinkIsUnicode;
  if (!name.empty()) flags |= kLinkHasName;
  if (!work.empty()) flags |= kLinkHasWorkingDir;
  if (!args.empty()) flags |= kLinkHasArguments;
  if (!icon.empty()) flags |= kLinkHasIconLocation;

  std::string out;
  Put32(out, kHeaderSize);
  out.append(reinterpret_cast<const char*>(kLinkClsid.data()), kLinkClsid.size());
  Put32(out, flags);
  Put32(out, link.file_attributes);
  Put64(out, link.write_time);  // creation
  Put64(out, link.write_time);  // access
  Put64(out, link.write_time);  // write
  Put32(out, link.file_size);
  Put32(out, 0);  // icon index
  Put32(out, link.show_command);
  Put16(out, 0);         // hot key
  out.append(10, '\0');  // reserved
  out += *items;

  for (const std::u16string* s : {&name, &work, &args, &icon}) {
    if (s->empty()) continue;
    Put16(out, static_cast<std::uint32_t>(s->size()));
    PutUtf16(out, *s);
  }
  Put32(out, 0);  // terminal extra data block
  return out;
}

base::Result<ShellLink> DecodeShellLink(std::string_view bytes, const CodePage& code_page) {
  ByteReader r(bytes);
  ShellLink link;
  std::uint32_t header_size = 0;
  std::string_view clsid;
  if (!r.U32(&header_size) || header_size != kHeaderSize || !r.Bytes(16, &clsid) ||
      clsid != std::string_view(reinterpret_cast<const char*>(kLinkClsid.data()), 16)) {
    return base::Status::Corrupt("not a shell link (wrong header size or class id)");
  }
  std::uint64_t created = 0, accessed = 0;
  std::uint32_t icon = 0;
  if (!r.U32(&link.link_flags) || !r.U32(&link.file_attributes) || !r.U64(&created) ||
      !r.U64(&accessed) || !r.U64(&link.write_time) || !r.U32(&link.file_size) || !r.U32(&icon) ||
      !r.U32(&link.show_command) || !r.Skip(12)) {
    return Truncated("header");
  }
  bool unicode = (link.link_flags & kLinkIsUnicode) != 0;
  if (link.link_flags & kLinkHasTargetIdList) {
    std::uint32_t size = 0;
    std::string_view items;
    if (!r.U16(&size) || !r.Bytes(size, &items)) return Truncated("item id list");
    // A LinkInfo that follows names the target again and wins, as in Wine.
    if (std::optional<std::string> path = DecodeItemIdList(items, code_page)) link.target = *path;
  }
  if (link.link_flags & kLinkHasLinkInfo) {
    std::size_t start = r.pos();
    std::uint32_t size = 0, info_header = 0, info_flags = 0, volume = 0, path = 0, net = 0,
                  suffix = 0, path_w = 0, suffix_w = 0;
    if (!r.U32(&size) || size < 0x1C || !r.U32(&info_header) || !r.U32(&info_flags) ||
        !r.U32(&volume) || !r.U32(&path) || !r.U32(&net) || !r.U32(&suffix)) {
      return Truncated("link info");
    }
    if (info_header >= kLinkInfoHeaderWithUnicode && (!r.U32(&path_w) || !r.U32(&suffix_w))) {
      return Truncated("link info");
    }
    std::string_view block;
    ByteReader whole(bytes);
    if (!whole.Skip(start) || !whole.Bytes(size, &block)) return Truncated("link info");
    if (info_flags & kVolumeIdAndLocalBasePath) {
      std::optional<std::u16string> wide = path_w ? Utf16At(block, path_w) : std::nullopt;
      std::optional<std::u16string> wide_suffix =
          suffix_w ? Utf16At(block, suffix_w) : std::u16string();
      if (wide && wide_suffix) {
        link.target = Utf16ToUtf8(*wide + *wide_suffix);
      } else {
        std::optional<std::string_view> base = AnsiAt(block, path);
        std::optional<std::string_view> tail = suffix ? AnsiAt(block, suffix) : "";
        if (!base || !tail) return Truncated("local path");
        link.target = code_page.ToUtf8(std::string(*base) + std::string(*tail));
      }
      std::uint32_t volume_size = 0, drive_type = 0;
      ByteReader v(block);
      if (v.Skip(volume) && v.U32(&volume_size) && v.U32(&drive_type)) {
        link.drive_type = drive_type;
      }
    }
    r = ByteReader(bytes);
    if (!r.Skip(start + size)) return Truncated("link info");
  }
  std::string* fields[] = {&link.description, &link.relative_path, &link.working_directory,
                           &link.arguments, &link.icon_location};
  const std::uint32_t field_flags[] = {kLinkHasName, kLinkHasRelativePath, kLinkHasWorkingDir,
                                       kLinkHasArguments, kLinkHasIconLocation};
  for (std::size_t i = 0; i < 5; ++i) {
    if ((link.link_flags & field_flags[i]) == 0) continue;
    std::uint32_t count = 0;
    std::string_view chars;
    if (!r.U16(&count) || !r.Bytes(unicode ? count * 2u : count, &chars)) {
      return Truncated("string data");
    }
    *fields[i] = unicode ? Utf16ToUtf8(Utf16Of(chars)) : code_page.ToUtf8(chars);
  }
  return link;
}

}  // namespace cdsetup::platform
