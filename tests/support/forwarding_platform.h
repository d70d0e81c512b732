// A platform that passes every call on to another one. Tests derive from it to
// record the calls they care about or to make chosen calls fail, over a real
// prefix or any other platform.
#pragma once

#include "platform/platform.h"

namespace cdsetup::testing {

class ForwardingPlatform : public platform::Platform {
 public:
  explicit ForwardingPlatform(platform::Platform& inner) : inner_(inner) {}

  std::size_t GetPrivateProfileString(std::string_view s, std::string_view k, std::string_view d,
                                      std::span<char> b, std::string_view p) override {
    return inner_.GetPrivateProfileString(s, k, d, b, p);
  }
  base::Status WritePrivateProfileString(std::string_view s, std::string_view k, std::string_view v,
                                         std::string_view p) override {
    return inner_.WritePrivateProfileString(s, k, v, p);
  }
  base::Result<platform::RegKey> RegOpenKey(platform::RegRoot r, std::string_view k) override {
    return inner_.RegOpenKey(r, k);
  }
  base::Result<platform::RegKey> RegCreateKey(platform::RegRoot r, std::string_view k) override {
    return inner_.RegCreateKey(r, k);
  }
  base::Result<std::string> RegQueryValue(platform::RegKey k, std::string_view n) override {
    return inner_.RegQueryValue(k, n);
  }
  base::Status RegSetValue(platform::RegKey k, std::string_view n, std::string_view v) override {
    return inner_.RegSetValue(k, n, v);
  }
  base::Status RegDeleteValue(platform::RegKey k, std::string_view n) override {
    return inner_.RegDeleteValue(k, n);
  }
  void RegCloseKey(platform::RegKey k) override { inner_.RegCloseKey(k); }
  base::Status RegistryWritable() override { return inner_.RegistryWritable(); }

  base::Status CopyFile(std::string_view f, std::string_view t, bool e = false) override {
    return inner_.CopyFile(f, t, e);
  }
  base::Status SetFileAttributesArchive(std::string_view p) override {
    return inner_.SetFileAttributesArchive(p);
  }
  base::Status DeleteFile(std::string_view p) override { return inner_.DeleteFile(p); }
  base::Status CreateDirectory(std::string_view p) override { return inner_.CreateDirectory(p); }
  base::Result<platform::FileInfo> GetFileInfo(std::string_view p) override {
    return inner_.GetFileInfo(p);
  }
  std::string GetCurrentDirectory() override { return inner_.GetCurrentDirectory(); }
  base::Status SetCurrentDirectory(std::string_view p) override {
    return inner_.SetCurrentDirectory(p);
  }
  std::string GetModuleFileName() override { return inner_.GetModuleFileName(); }
  base::Result<std::vector<platform::FindData>> FindFiles(std::string_view p,
                                                          std::size_t m = SIZE_MAX) override {
    return inner_.FindFiles(p, m);
  }
  base::Result<platform::FilePtr> OpenFile(std::string_view p, const char* m) override {
    return inner_.OpenFile(p, m);
  }
  base::Result<std::string> HostPath(std::string_view p) override { return inner_.HostPath(p); }

  platform::DriveType GetDriveType(std::string_view r) override { return inner_.GetDriveType(r); }
  base::Result<platform::VolumeInfo> GetVolumeInformation(std::string_view r) override {
    return inner_.GetVolumeInformation(r);
  }
  base::Result<platform::DiskSpace> GetDiskFreeSpace(std::string_view r) override {
    return inner_.GetDiskFreeSpace(r);
  }

  std::string GetSystemLanguageId() override { return inner_.GetSystemLanguageId(); }
  int AnsiCodePage() override { return inner_.AnsiCodePage(); }
  std::string CharLower(std::string_view t) override { return inner_.CharLower(t); }
  std::string GetEnvironmentVariable(std::string_view n) override {
    return inner_.GetEnvironmentVariable(n);
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
