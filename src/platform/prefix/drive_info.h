// What the host knows of the file system behind a drive: its type from the
// mount table, its label, and its free space in the cluster terms of Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace cdsetup::platform {

struct MountEntry {
  std::string mount_point;
  std::string fs_type;
  std::string source;  // the device or remote name
};

/// Every mount in `mountinfo_text` (the format of /proc/self/mountinfo), in
/// its order.
std::vector<MountEntry> ListMounts(const std::string& mountinfo_text);

/// The mount points of the CD and DVD file systems in `mountinfo_text`.
std::vector<std::string> CdRootsInMountTable(const std::string& mountinfo_text);

/// The mount in `mountinfo_text` (the format of /proc/self/mountinfo) that
/// holds `host_path`: the one with the longest mount point above it, the last
/// listed on a tie (it is mounted over the others). nullopt when none does.
std::optional<MountEntry> FindMount(const std::string& mountinfo_text,
                                    const std::string& host_path);

/// The drive type a file system type stands for: iso9660 and udf CD-ROM; nfs,
/// cifs, smb3, sshfs (fuse.sshfs) remote; tmpfs and ramfs RAM disk; anything
/// else fixed.
DriveType DriveTypeForFileSystem(const std::string& fs_type);

/// Splits byte counts into clusters: 512-byte sectors, as many per cluster as
/// the block size holds. The counts are 64-bit, so nothing is cut above 4 GiB
/// or 2 TiB.
DiskSpace DiskSpaceFromBlocks(std::uint64_t block_size, std::uint64_t free_blocks,
                              std::uint64_t total_blocks);

/// The label of the device `source` from /dev/disk/by-label (`by_label_dir`),
/// or "" when it has none there.
std::string LabelOfDevice(const std::string& source, const std::string& by_label_dir);

}  // namespace cdsetup::platform
