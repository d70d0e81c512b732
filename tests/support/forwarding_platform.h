// A platform that passes every call on to another one. Tests derive from it to
// record the calls they care about or to make chosen calls fail, over a real
// prefix or any other platform.
#pragma once

#include "platform/platform.h"

namespace cdsetup::testing {

class ForwardingPlatform : public platform::Platform {
 public:
  explicit ForwardingPlatform(platform::Platform& inner) : inner_(inner) {}

  std::size_t GetPrivateProfileStringA(std::string_view s, std::string_view k, std::string_view d,
                                       std::span<char> b, std::string_view p) override {
    return inner_.GetPrivateProfileStringA(s, k, d, b, p);
  }
  std::vector<platform::ProfileEntry> GetPrivateProfileSectionNamesA(std::string_view p) override {
    return inner_.GetPrivateProfileSectionNamesA(p);
  }
  std::vector<platform::ProfileEntry> GetPrivateProfileSectionA(std::string_view s,
                                                                std::string_view p) override {
    return inner_.GetPrivateProfileSectionA(s, p);
  }
  base::Status WritePrivateProfileStringA(std::string_view s, std::string_view k,
                                          std::string_view v, std::string_view p) override {
    return inner_.WritePrivateProfileStringA(s, k, v, p);
  }
  base::Result<platform::RegKey> RegOpenKeyA(platform::RegRoot r, std::string_view k) override {
    return inner_.RegOpenKeyA(r, k);
  }
  base::Result<platform::RegKey> RegCreateKeyA(platform::RegRoot r, std::string_view k) override {
    return inner_.RegCreateKeyA(r, k);
  }
  base::Result<std::string> RegQueryValueA(platform::RegKey k, std::string_view n) override {
    return inner_.RegQueryValueA(k, n);
  }
  base::Status RegSetValueA(platform::RegKey k, std::string_view n, std::string_view v) override {
    return inner_.RegSetValueA(k, n, v);
  }
  base::Status RegDeleteValueA(platform::RegKey k, std::string_view n) override {
    return inner_.RegDeleteValueA(k, n);
  }
  void RegCloseKey(platform::RegKey k) override { inner_.RegCloseKey(k); }
  base::Status RegistryWritable() override { return inner_.RegistryWritable(); }

  base::Status CopyFileA(std::string_view f, std::string_view t, bool e = false) override {
    return inner_.CopyFileA(f, t, e);
  }
  base::Status SetFileAttributesArchive(std::string_view p) override {
    return inner_.SetFileAttributesArchive(p);
  }
  base::Status DeleteFileA(std::string_view p) override { return inner_.DeleteFileA(p); }
  base::Status MoveFileExA(std::string_view f, std::string_view t) override {
    return inner_.MoveFileExA(f, t);
  }
  base::Status CreateDirectoryA(std::string_view p) override { return inner_.CreateDirectoryA(p); }
  base::Result<platform::FileInfo> GetFileInfo(std::string_view p) override {
    return inner_.GetFileInfo(p);
  }
  std::string GetCurrentDirectoryA() override { return inner_.GetCurrentDirectoryA(); }
  base::Status SetCurrentDirectoryA(std::string_view p) override {
    return inner_.SetCurrentDirectoryA(p);
  }
  std::string GetModuleFileNameA() override { return inner_.GetModuleFileNameA(); }
  base::Result<std::vector<platform::FindData>> FindFiles(std::string_view p,
                                                          std::size_t m = SIZE_MAX) override {
    return inner_.FindFiles(p, m);
  }
  base::Result<platform::FilePtr> OpenFile(std::string_view p, const char* m) override {
    return inner_.OpenFile(p, m);
  }
  base::Result<std::string> HostPath(std::string_view p) override { return inner_.HostPath(p); }

  platform::DriveType GetDriveTypeA(std::string_view r) override { return inner_.GetDriveTypeA(r); }
  base::Result<platform::VolumeInfo> GetVolumeInformationA(std::string_view r) override {
    return inner_.GetVolumeInformationA(r);
  }
  base::Result<platform::DiskSpace> GetDiskFreeSpaceA(std::string_view r) override {
    return inner_.GetDiskFreeSpaceA(r);
  }

  std::string GetSystemLanguageId() override { return inner_.GetSystemLanguageId(); }
  int NameCodePage() override { return inner_.NameCodePage(); }
  std::string CharLowerA(std::string_view t) override { return inner_.CharLowerA(t); }
  int LanguageCodePage(std::string_view id) override { return inner_.LanguageCodePage(id); }
  std::size_t FindInvalidByte(std::string_view t, int cp) override {
    return inner_.FindInvalidByte(t, cp);
  }
  std::string GetEnvironmentVariableA(std::string_view n) override {
    return inner_.GetEnvironmentVariableA(n);
  }

  base::Result<int> StartProcess(std::string_view p, const std::vector<std::string>& a,
                                 platform::Wait w) override {
    return inner_.StartProcess(p, a, w);
  }
  base::Status WriteShellLink(std::string_view p, const platform::ShellLinkSpec& l) override {
    return inner_.WriteShellLink(p, l);
  }

 protected:
  platform::Platform& inner_;
};

}  // namespace cdsetup::testing
