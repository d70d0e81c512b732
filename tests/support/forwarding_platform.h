// A platform that passes every call on to another one. Tests derive from it to
// record the calls they care about or to make chosen calls fail, over a real
// prefix or any other platform.
#pragma once

#include "platform/Platform.h"

namespace cdsetup::testing {

class ForwardingPlatform : public platform::Platform {
 public:
  explicit ForwardingPlatform(platform::Platform& inner) : inner_(inner) {}

  std::size_t GetPrivateProfileString(std::string_view s, std::string_view k, std::string_view d,
                                      std::span<char> b, std::string_view p) override {
    return inner_.GetPrivateProfileString(s, k, d, b, p);
  }
  platform::Status WritePrivateProfileString(std::string_view s, std::string_view k,
                                             std::string_view v, std::string_view p) override {
    return inner_.WritePrivateProfileString(s, k, v, p);
  }
  platform::Result<platform::RegKey> RegOpenKey(platform::RegRoot r, std::string_view k) override {
    return inner_.RegOpenKey(r, k);
  }
  platform::Result<platform::RegKey> RegCreateKey(platform::RegRoot r,
                                                  std::string_view k) override {
    return inner_.RegCreateKey(r, k);
  }
  platform::Result<std::string> RegQueryValue(platform::RegKey k, std::string_view n) override {
    return inner_.RegQueryValue(k, n);
  }
  platform::Status RegSetValue(platform::RegKey k, std::string_view n,
                               std::string_view v) override {
    return inner_.RegSetValue(k, n, v);
  }
  platform::Status RegDeleteValue(platform::RegKey k, std::string_view n) override {
    return inner_.RegDeleteValue(k, n);
  }
  void RegCloseKey(platform::RegKey k) override { inner_.RegCloseKey(k); }
  platform::Status RegistryWritable() override { return inner_.RegistryWritable(); }

  platform::Status CopyFile(std::string_view f, std::string_view t, bool e = false) override {
    return inner_.CopyFile(f, t, e);
  }
  platform::Status SetFileAttributesArchive(std::string_view p) override {
    return inner_.SetFileAttributesArchive(p);
  }
  platform::Status DeleteFile(std::string_view p) override { return inner_.DeleteFile(p); }
  platform::Status CreateDirectory(std::string_view p) override {
    return inner_.CreateDirectory(p);
  }
  platform::Result<platform::FileInfo> GetFileInfo(std::string_view p) override {
    return inner_.GetFileInfo(p);
  }
  std::string GetCurrentDirectory() override { return inner_.GetCurrentDirectory(); }
  platform::Status SetCurrentDirectory(std::string_view p) override {
    return inner_.SetCurrentDirectory(p);
  }
  std::string GetModuleFileName() override { return inner_.GetModuleFileName(); }
  platform::Result<std::vector<platform::FindData>> FindFiles(std::string_view p,
                                                              std::size_t m = SIZE_MAX) override {
    return inner_.FindFiles(p, m);
  }
  platform::Result<platform::FilePtr> OpenFile(std::string_view p, const char* m) override {
    return inner_.OpenFile(p, m);
  }
  platform::Result<std::string> HostPath(std::string_view p) override { return inner_.HostPath(p); }

  platform::DriveType GetDriveType(std::string_view r) override { return inner_.GetDriveType(r); }
  platform::Result<platform::VolumeInfo> GetVolumeInformation(std::string_view r) override {
    return inner_.GetVolumeInformation(r);
  }
  platform::Result<platform::DiskSpace> GetDiskFreeSpace(std::string_view r) override {
    return inner_.GetDiskFreeSpace(r);
  }

  std::string GetSystemLanguageId() override { return inner_.GetSystemLanguageId(); }
  int AnsiCodePage() override { return inner_.AnsiCodePage(); }
  std::string CharLower(std::string_view t) override { return inner_.CharLower(t); }
  std::string GetEnvironmentVariable(std::string_view n) override {
    return inner_.GetEnvironmentVariable(n);
  }

  platform::Result<int> StartProcess(std::string_view p, const std::vector<std::string>& a,
                                     platform::Wait w) override {
    return inner_.StartProcess(p, a, w);
  }
  platform::Status WriteShellLink(std::string_view p, const platform::ShellLinkSpec& l) override {
    return inner_.WriteShellLink(p, l);
  }

 protected:
  platform::Platform& inner_;
};

}  // namespace cdsetup::testing
