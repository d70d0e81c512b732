// The registry, drive, locale, process and shell-link groups of the prefix
// platform.
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/ascii.h"
#include "platform/prefix/drive_info.h"
#include "platform/prefix/host_file.h"
#include "platform/prefix/prefix_platform.h"

namespace cdsetup::platform {
namespace {

std::string RealPathOf(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> real(::realpath(path.c_str(), nullptr), &free);
  return real ? std::string(real.get()) : std::string();
}

}  // namespace

std::optional<DriveType> PrefixPlatform::ConfiguredDriveType(char) {
  return std::nullopt;
}

void PrefixPlatform::InitLocale() {
  runner_ = options_.runner ? options_.runner : std::make_shared<PosixProcessRunner>();
  language_id_ = "0409";
  code_page_ = std::make_unique<CodePage>(options_.code_page ? options_.code_page : 1252);
}

Result<RegKey> PrefixPlatform::RegOpenKey(RegRoot, std::string_view) {
  return Status::Unsupported("registry not available yet");
}
Result<RegKey> PrefixPlatform::RegCreateKey(RegRoot, std::string_view) {
  return Status::Unsupported("registry not available yet");
}
Result<std::string> PrefixPlatform::RegQueryValue(RegKey, std::string_view) {
  return Status::Unsupported("registry not available yet");
}
Status PrefixPlatform::RegSetValue(RegKey, std::string_view, std::string_view) {
  return Status::Unsupported("registry not available yet");
}
Status PrefixPlatform::RegDeleteValue(RegKey, std::string_view) {
  return Status::Unsupported("registry not available yet");
}
void PrefixPlatform::RegCloseKey(RegKey) {}
Status PrefixPlatform::RegistryWritable() {
  return Status::Unsupported("registry not available yet");
}

std::optional<std::string> PrefixPlatform::DriveRoot(std::string_view root) const {
  if (root.size() < 2 || root[1] != ':') return std::nullopt;
  const std::string* target = drives_.Target(root[0]);
  struct stat st;
  if (target == nullptr || ::stat(target->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return std::nullopt;  // no link, or a dead one: no medium in the drive
  }
  return *target;
}

DriveType PrefixPlatform::GetDriveType(std::string_view root) {
  std::optional<std::string> host = DriveRoot(root);
  if (!host) return DriveType::kNoRootDir;
  char letter = ToLowerAscii(root[0]);
  if (std::optional<DriveType> configured = ConfiguredDriveType(letter)) return *configured;
  if (letter == 'a' || letter == 'b') return DriveType::kRemovable;
  if (drives_.IsMedium(letter)) return DriveType::kCdRom;
  Result<std::string> mounts = ReadHostFile(options_.mountinfo_path, 16u << 20);
  if (!mounts.ok()) return DriveType::kFixed;
  std::string real = RealPathOf(*host);
  std::optional<MountEntry> mount = FindMount(*mounts, real.empty() ? *host : real);
  return mount ? DriveTypeForFileSystem(mount->fs_type) : DriveType::kFixed;
}

Result<VolumeInfo> PrefixPlatform::GetVolumeInformation(std::string_view root) {
  std::optional<std::string> host = DriveRoot(root);
  if (!host) return Status::NotFound("no medium in drive " + std::string(root));
  VolumeInfo info;
  DriveType type = GetDriveType(root);
  bool cd = type == DriveType::kCdRom;
  Result<std::string> mounts = ReadHostFile(options_.mountinfo_path, 16u << 20);
  if (mounts.ok()) {
    std::string real = RealPathOf(*host);
    if (auto mount = FindMount(*mounts, real.empty() ? *host : real)) {
      info.name = ToAnsi(LabelOfDevice(mount->source, options_.by_label_dir));
    }
  }
  if (info.name.empty()) {
    Result<std::string> label = ReadHostFile(*host + "/.windows-label", 4096);
    if (label.ok()) {
      std::string text = std::move(label).value();
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      info.name = ToAnsi(text);
    }
  }
  // Case-preserved names and Unicode on disk, read-only on a CD, as Wine says.
  info.file_system_flags = 0x2 | 0x4 | (cd ? 0x80000u : 0u);
  info.file_system_name = cd ? "CDFS" : "NTFS";
  return info;
}

Result<DiskSpace> PrefixPlatform::GetDiskFreeSpace(std::string_view root) {
  std::optional<std::string> host = DriveRoot(root);
  if (!host) return Status::NotFound("no medium in drive " + std::string(root));
  struct statvfs st;
  if (::statvfs(host->c_str(), &st) != 0) {
    return Status::FromErrno(errno, "free space of " + std::string(root));
  }
  return DiskSpaceFromBlocks(st.f_frsize, st.f_bavail, st.f_blocks);
}

std::string PrefixPlatform::GetSystemLanguageId() {
  return language_id_;
}

std::string PrefixPlatform::GetEnvironmentVariable(std::string_view name) {
  std::string n(name);
  const char* v = std::getenv(n.c_str());
  return v ? std::string(v) : std::string();
}

Result<int> PrefixPlatform::StartProcess(std::string_view path,
                                         const std::vector<std::string>& args, Wait wait) {
  bool exists = false;
  Result<std::string> host = Resolve(path, &exists);
  if (!host.ok()) return host.status();
  std::vector<std::pair<std::string, std::string>> env = {{"WINEPREFIX", options_.prefix_dir}};
  std::vector<std::string> argv;
  std::size_t slash = host->rfind('/');
  std::string base = ToLowerAscii(host->substr(slash + 1));
  if (!exists) {
    // A prefix without Wine's explorer still shows the folder, in the host's
    // file manager.
    if (base != "explorer.exe" || args.empty()) {
      return Status::NotFound("no such program: " + std::string(path));
    }
    Result<std::string> folder = Resolve(args.back());
    if (!folder.ok()) return folder.status();
    argv = {"xdg-open", *folder};
  } else {
    char magic[2] = {0, 0};
    if (Result<FilePtr> f = OpenFile(path, "rb"); f.ok()) {
      if (std::fread(magic, 1, 2, f->get()) != 2) magic[0] = 0;
    }
    if (magic[0] == 'M' && magic[1] == 'Z') {
      if (!runner_->HasProgram("wine")) {
        return Status::NotFound("cannot start " + std::string(path) + ": wine is not installed");
      }
      argv = {"wine", *host};
    } else if (::access(host->c_str(), X_OK) == 0) {
      argv = {*host};
    } else if (magic[0] == '#' && magic[1] == '!') {
      argv = {"/bin/sh", *host};  // a script from a medium that keeps no x bits
    } else {
      return Status::Refused("not a program: " + std::string(path));
    }
    argv.insert(argv.end(), args.begin(), args.end());
  }
  return runner_->Run(argv, env, wait);
}

Status PrefixPlatform::WriteShellLink(std::string_view, const ShellLinkSpec&) {
  return Status::Unsupported("shell links not available yet");
}

}  // namespace cdsetup::platform
