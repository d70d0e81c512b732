#include "platform/prefix/drive_info.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <memory>
#include <sstream>
#include <vector>

#include "platform/prefix/host_file.h"

namespace cdsetup::platform {
namespace {

// Mount table fields escape blanks and backslashes as three octal digits.
std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' && s[i + 2] >= '0' &&
        s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
      out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The same escape with hexadecimal digits, as udev writes label names.
std::string UnescapeHex(const std::string& s) {
  std::string out;
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' && hex(s[i + 2]) >= 0 &&
        hex(s[i + 3]) >= 0) {
      out += static_cast<char>(hex(s[i + 2]) * 16 + hex(s[i + 3]));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

std::vector<MountEntry> ListMounts(const std::string& mountinfo_text) {
  std::vector<MountEntry> mounts;
  std::istringstream in(mountinfo_text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    std::string word;
    while (fields >> word) f.push_back(word);
    // id parent major:minor root mount-point options [optional...] - type source ...
    std::size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") ++dash;
    if (f.size() < 5 || dash + 1 >= f.size()) continue;
    mounts.push_back(
        {Unescape(f[4]), f[dash + 1], dash + 2 < f.size() ? Unescape(f[dash + 2]) : ""});
  }
  return mounts;
}

std::vector<std::string> CdRootsInMountTable(const std::string& mountinfo_text) {
  std::vector<std::string> roots;
  for (MountEntry& mount : ListMounts(mountinfo_text)) {
    if (DriveTypeForFileSystem(mount.fs_type) == DriveType::kCdRom) {
      roots.push_back(std::move(mount.mount_point));
    }
  }
  return roots;
}

std::optional<MountEntry> FindMount(const std::string& mountinfo_text,
                                    const std::string& host_path) {
  std::optional<MountEntry> best;
  for (MountEntry& e : ListMounts(mountinfo_text)) {
    if (!IsHostPathBelow(host_path, e.mount_point)) continue;
    if (!best || e.mount_point.size() >= best->mount_point.size()) best = std::move(e);
  }
  return best;
}

DriveType DriveTypeForFileSystem(const std::string& fs) {
  if (fs == "iso9660" || fs == "udf") return DriveType::kCdRom;
  if (fs == "nfs" || fs == "nfs4" || fs == "cifs" || fs == "smb3" || fs == "smbfs" ||
      fs == "sshfs" || fs == "fuse.sshfs") {
    return DriveType::kRemote;
  }
  if (fs == "tmpfs" || fs == "ramfs") return DriveType::kRamDisk;
  return DriveType::kFixed;
}

DiskSpace DiskSpaceFromBlocks(std::uint64_t block_size, std::uint64_t free_blocks,
                              std::uint64_t total_blocks) {
  DiskSpace d;
  if (block_size >= 512 && block_size % 512 == 0) {
    d.bytes_per_sector = 512;
    d.sectors_per_cluster = static_cast<std::uint32_t>(block_size / 512);
  } else {
    d.bytes_per_sector = static_cast<std::uint32_t>(block_size ? block_size : 512);
    d.sectors_per_cluster = 1;
  }
  d.free_clusters = free_blocks;
  d.total_clusters = total_blocks;
  return d;
}

std::string LabelOfDevice(const std::string& source, const std::string& by_label_dir) {
  if (source.empty() || source[0] != '/') return "";
  std::string device = RealHostPath(source);
  if (device.empty()) return "";
  DIR* dir = ::opendir(by_label_dir.c_str());
  if (dir == nullptr) return "";
  std::string label;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (RealHostPath(by_label_dir + "/" + name) == device) {
      label = UnescapeHex(name);
      break;
    }
  }
  ::closedir(dir);
  return label;
}

}  // namespace cdsetup::platform
