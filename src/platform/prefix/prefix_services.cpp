// The registry, drive, locale, process and shell-link groups of the prefix
// platform.
#include <cstdlib>

#include "platform/prefix/prefix_platform.h"

namespace cdsetup::platform {

void PrefixPlatform::InitLocale() {
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

DriveType PrefixPlatform::GetDriveType(std::string_view root) {
  if (root.empty() || drives_.Target(root[0]) == nullptr) return DriveType::kNoRootDir;
  return drives_.IsMedium(root[0]) ? DriveType::kCdRom : DriveType::kFixed;
}
Result<VolumeInfo> PrefixPlatform::GetVolumeInformation(std::string_view) {
  return Status::Unsupported("volume information not available yet");
}
Result<DiskSpace> PrefixPlatform::GetDiskFreeSpace(std::string_view) {
  return Status::Unsupported("free space not available yet");
}

std::string PrefixPlatform::GetSystemLanguageId() {
  return language_id_;
}

std::string PrefixPlatform::GetEnvironmentVariable(std::string_view name) {
  std::string n(name);
  const char* v = std::getenv(n.c_str());
  return v ? std::string(v) : std::string();
}

Result<int> PrefixPlatform::StartProcess(std::string_view, const std::vector<std::string>&, Wait) {
  return Status::Unsupported("processes not available yet");
}

Status PrefixPlatform::WriteShellLink(std::string_view, const ShellLinkSpec&) {
  return Status::Unsupported("shell links not available yet");
}

}  // namespace cdsetup::platform
