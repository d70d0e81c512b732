// The Win32 platform as the platform-contract suite sees it: a fresh folder
// in the temporary directory, and the CD drive that make test-windows gives
// Wine (its letter in CDSETUP_TEST_CD_DRIVE).
#pragma once

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "platform/win32/win32_platform.h"

namespace cdsetup::testing {

class Win32ContractEnv {
 public:
  static constexpr const char* kName = "Win32Platform";

  Win32ContractEnv() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    std::random_device seed;
    for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
      std::string candidate =
          std::string(temp) + "cdsetup-contract-" + std::to_string(seed() % 1000000);
      if (CreateDirectoryA(candidate.c_str(), nullptr)) dir_ = candidate;
    }
    auto opened = platform::Win32Platform::Open({});
    if (opened.ok() && !dir_.empty()) platform_ = std::move(opened).value();
    GetCurrentDirectoryA(sizeof start_dir_, start_dir_);
  }

  ~Win32ContractEnv() {
    SetCurrentDirectoryA(start_dir_);
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(dir_, ec);
  }

  platform::Win32Platform* platform() { return platform_.get(); }
  std::string Dir() const { return dir_; }
  std::string CdRoot() const {
    const char* letter = std::getenv("CDSETUP_TEST_CD_DRIVE");
    return std::string(letter && *letter ? letter : "?:").substr(0, 2) + "\\";
  }
  std::string MissingRoot() const {
    const DWORD used = GetLogicalDrives();
    for (char letter = 'q'; letter <= 'y'; ++letter) {
      if ((used & (1u << (letter - 'a'))) == 0) return std::string(1, letter) + ":\\";
    }
    return "?:\\";
  }

  void MakeReadOnly(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  }

  std::optional<std::uint32_t> RegValueType(platform::RegRoot root, const std::string& key,
                                            const std::string& name) {
    HKEY hkey = nullptr;
    HKEY base = root == platform::RegRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    if (RegOpenKeyExA(base, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0;
    LONG error = RegQueryValueExA(hkey, name.c_str(), nullptr, &type, nullptr, nullptr);
    RegCloseKey(hkey);
    if (error != ERROR_SUCCESS) return std::nullopt;
    return type;
  }

  base::Result<platform::ShellLinkSpec> ReadLink(const std::string& path) {
    return platform_->ReadShellLink(path);
  }

  std::pair<std::string, std::vector<std::string>> ProgramExitingWith3() {
    char system[MAX_PATH + 1] = {};
    GetSystemDirectoryA(system, sizeof system);
    return {std::string(system) + "\\cmd.exe", {"/c", "exit 3"}};
  }

 private:
  std::string dir_;
  char start_dir_[MAX_PATH + 1] = {};
  std::unique_ptr<platform::Win32Platform> platform_;
};

}  // namespace cdsetup::testing
