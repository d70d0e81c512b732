// The platform on the real Win32 API: Windows itself matches names without
// regard to case, resolves relative paths, reads and writes profile files and
// the registry, and refuses writes to a CD. What the logic needs beyond the
// plain calls (the listing of a script's sections, a cut to the caller's
// buffer, results as statuses) is made from them here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace cdsetup::platform {

struct Win32Options {
  /// The folder of the installation medium as a Windows path; when set, the
  /// module file name lies in it (the installer as if started from there)
  /// and it is the current directory at start. Empty: the running program's
  /// own folder, and the current directory as it was.
  std::string medium_dir;
};

class Win32Platform : public Platform {
 public:
  /// Turns critical-error boxes off (a drive without a medium fails quietly)
  /// and applies the options. Fails when the medium folder cannot be made
  /// current.
  static base::Result<std::unique_ptr<Win32Platform>> Open(const Win32Options& options);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // Profile strings
  std::size_t GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                       std::string_view def, std::span<char> buffer,
                                       std::string_view path) override;
  std::vector<ProfileEntry> GetPrivateProfileSectionNamesA(std::string_view path) override;
  std::vector<ProfileEntry> GetPrivateProfileSectionA(std::string_view section,
                                                      std::string_view path) override;
  base::Status WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                          std::string_view value, std::string_view path) override;

  // Registry
  base::Result<RegKey> RegOpenKeyA(RegRoot root, std::string_view subkey) override;
  base::Result<RegKey> RegCreateKeyA(RegRoot root, std::string_view subkey) override;
  base::Result<std::string> RegQueryValueA(RegKey key, std::string_view name) override;
  base::Status RegSetValueA(RegKey key, std::string_view name, std::string_view value) override;
  base::Status RegDeleteValueA(RegKey key, std::string_view name) override;
  void RegCloseKey(RegKey key) override;
  base::Status RegistryWritable() override;

  // Files
  base::Status CopyFileA(std::string_view from, std::string_view to,
                         bool fail_if_exists = false) override;
  base::Status SetFileAttributesArchive(std::string_view path) override;
  base::Status DeleteFileA(std::string_view path) override;
  base::Status MoveFileExA(std::string_view from, std::string_view to) override;
  base::Status CreateDirectoryA(std::string_view path) override;
  base::Result<FileInfo> GetFileInfo(std::string_view path) override;
  std::string GetCurrentDirectoryA() override;
  base::Status SetCurrentDirectoryA(std::string_view path) override;
  std::string GetModuleFileNameA() override;
  base::Result<std::vector<FindData>> FindFiles(std::string_view pattern,
                                                std::size_t max_entries = SIZE_MAX) override;
  base::Result<FilePtr> OpenFile(std::string_view path, const char* mode) override;
  base::Result<std::string> HostPath(std::string_view path) override;

  // Drives
  DriveType GetDriveTypeA(std::string_view root) override;
  base::Result<VolumeInfo> GetVolumeInformationA(std::string_view root) override;
  base::Result<DiskSpace> GetDiskFreeSpaceA(std::string_view root) override;

  // Locale and environment
  std::string GetSystemLanguageId() override;
  int NameCodePage() override;
  std::string CharLowerA(std::string_view text) override;
  int LanguageCodePage(std::string_view language_id) override;
  std::size_t FindInvalidByte(std::string_view text, int code_page) override;
  std::string GetEnvironmentVariableA(std::string_view name) override;

  // Processes
  base::Result<int> StartProcess(std::string_view path, const std::vector<std::string>& args,
                                 Wait wait) override;

  // Shell links
  base::Status WriteShellLink(std::string_view link_path, const ShellLinkSpec& link) override;

  // Texts and names. Every file call goes through the wide functions: the
  // medium's names and a path's text names from the texts' code page, the
  // rest from the ANSI one.
  void UseTextCodePage(int code_page) override {
    text_code_page_ = static_cast<unsigned>(code_page);
  }
  int TextCodePage() override;
  base::Result<std::string> Recode(std::string_view text, int from, int to) override;
  base::Status RegSetTextValueA(RegKey key, std::string_view name, std::string_view text) override;
  /// FOLDERID_Programs, as the shell knows it; a name the ANSI code page
  /// cannot spell is given in its short form.
  std::string ProgramsFolder() override;
  /// The fields of an existing link file, as the shell reads them back.
  base::Result<ShellLinkSpec> ReadShellLink(std::string_view link_path);

 private:
  explicit Win32Platform(Win32Options options) : options_(std::move(options)) {}

  /// `path` in UTF-16, each part from the code page it is in.
  std::wstring WidePath(std::string_view path) const;
  /// `path` as the ANSI functions take it: its short form where the ANSI
  /// code page cannot spell it.
  std::string AnsiPath(std::string_view path) const;
  /// Whether `path` (UTF-16, full or relative) lies on the medium.
  bool OnMedium(std::wstring_view path) const;
  /// MoveFileExA of UTF-16 paths; `shown` names the move in a failure.
  base::Status MoveWide(const std::wstring& source, const std::wstring& target,
                        const std::string& shown);
  base::Status SaveShellLink(const std::wstring& path, const std::string& shown,
                             const ShellLinkSpec& link);

  Win32Options options_;
  unsigned text_code_page_ = 0;       // 0: the ANSI code page
  std::wstring medium_;               // the medium's folder, without a final "\\"
  std::size_t medium_name_size_ = 0;  // its length as the ANSI path gives it
  bool cwd_on_medium_ = false;
  // Open keys by our handle number: HKEYs are pointers, RegKey is 32 bits.
  std::map<RegKey, void*> keys_;
  RegKey next_key_ = 1;
};

}  // namespace cdsetup::platform
