// The prefix platform as the platform-contract suite sees it: a fresh prefix
// and medium in a temporary folder, the medium as the CD drive, code page 1250.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/prefix/prefix_platform.h"
#include "platform/prefix/utf16.h"
#include "platform/prefix/wine_registry.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::testing {

class PrefixContractEnv {
 public:
  static constexpr const char* kName = "PrefixPlatform";

  PrefixContractEnv() {
    MakeDirs(temp_ / "medium");
    platform::PrefixOptions o;
    o.prefix_dir = temp_ / "prefix";
    o.medium_dir = temp_ / "medium";
    o.program_name = "cdsetup";
    o.user = "tester";
    o.code_page = 1250;
    auto opened = platform::PrefixPlatform::Open(o);
    if (opened.ok()) platform_ = std::move(opened).value();
    // After the prefix is made: a folder there before would pass for a prefix.
    MakeDirs(temp_ / "prefix/drive_c/contract");
  }

  /// Null when the platform could not be opened.
  platform::PrefixPlatform* platform() { return platform_.get(); }
  /// A folder of our own on a fixed drive, as a Windows path.
  std::string Dir() const { return "C:\\contract"; }
  /// The root of the drive that holds the medium.
  std::string CdRoot() const {
    return std::string(1, platform_->drives().medium().value_or('d')) + ":\\";
  }
  /// A drive letter with nothing behind it.
  std::string MissingRoot() const { return "q:\\"; }

  void MakeReadOnly(const std::string& path) {
    auto host = platform_->HostPath(path);
    if (host.ok()) ::chmod(host->c_str(), 0444);
  }

  /// The type the registry stores the value with; nullopt when it is not there.
  std::optional<std::uint32_t> RegValueType(platform::RegRoot root, const std::string& key,
                                            const std::string& name) {
    const char* hive = root == platform::RegRoot::kLocalMachine ? "system.reg" : "user.reg";
    auto doc = platform::RegistryDocument::Parse(ReadFile(temp_ / "prefix" + "/" + hive));
    auto value = doc.GetValue(platform::Utf8ToUtf16(key), platform::Utf8ToUtf16(name));
    if (!value) return std::nullopt;
    return value->type;
  }

  base::Result<platform::ShellLinkSpec> ReadLink(const std::string& path) {
    return platform_->ReadShellLink(path);
  }

  /// A program and its arguments that end with exit status 3.
  std::pair<std::string, std::vector<std::string>> ProgramExitingWith3() {
    WriteFile(temp_ / "prefix/drive_c/contract/exit3.sh", "#!/bin/sh\nexit 3\n");
    ::chmod((temp_ / "prefix/drive_c/contract/exit3.sh").c_str(), 0755);
    return {"C:\\contract\\exit3.sh", {}};
  }

 private:
  ScopedTempDir temp_;
  std::unique_ptr<platform::PrefixPlatform> platform_;
};

}  // namespace cdsetup::testing
