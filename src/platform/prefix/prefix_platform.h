// The platform over a Wine-style prefix on a POSIX host: Windows paths are
// mapped through the prefix's drive links (the medium appears as a CD-ROM
// drive), matched without regard to case, and converted from the name code
// page (the medium's names from the text code page).
#pragma once

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/prefix/code_page.h"
#include "platform/prefix/disc_image.h"
#include "platform/prefix/drive_map.h"
#include "platform/prefix/folded_name_cache.h"
#include "platform/prefix/misspelt_folder.h"
#include "platform/prefix/prefix_registry.h"
#include "platform/prefix/process_runner.h"
#include "platform/prefix/windows_path.h"

namespace cdsetup::platform {

class ProfileIndex;

struct PrefixOptions {
  std::string prefix_dir;    // host directory of the prefix; created when missing
  std::string medium_dir;    // the medium: a host folder, or a CD image or device
  std::string program_name;  // the installer's file name, for its module file name
  std::string user;          // the profile folder name; the login name when empty
  std::string locale;        // POSIX locale; from LC_ALL / LC_MESSAGES / LANG when empty
  int code_page = 0;         // the name code page; the locale's language's when 0
  // Host facts, replaceable for tests.
  std::string mountinfo_path = "/proc/self/mountinfo";
  std::string by_label_dir = "/dev/disk/by-label";
  // The one folder to look for the prefix's wineserver in; every place where
  // Wine keeps it, and the running processes, when empty.
  std::string wineserver_root;
  std::shared_ptr<ProcessRunner> runner;  // a PosixProcessRunner when empty
  // A missing prefix is made by Wine where it is installed; else (and in
  // tests, which need no whole Windows) the minimal one.
  bool made_by_wine = false;
  // Where Wine's own output goes (the log); nowhere when -1.
  int aside_fd = -1;
  // Told of a long step, such as Wine making the prefix.
  std::function<void(const std::string&)> progress;
};

class PrefixPlatform : public Platform {
 public:
  /// Opens (and when missing, creates) the prefix and shows the medium as a
  /// drive. The current directory starts at the medium's root. Fails when the
  /// prefix cannot be created or is not a prefix, or the medium is missing.
  static base::Result<std::unique_ptr<PrefixPlatform>> Open(const PrefixOptions& options);
  ~PrefixPlatform() override;

  /// Resolves a Windows path to its host path: existing components matched
  /// without regard to case, missing ones appended as given (in UTF-8).
  /// `exists` tells whether the whole path was found.
  base::Result<std::string> Resolve(std::string_view path, bool* exists = nullptr);

  /// What a resolution learnt of the file it found, so that callers need
  /// not ask again: valid when the last part was found as it is spelt and
  /// is not a symbolic link.
  struct KnownStat {
    bool valid = false;
    struct stat st;
  };

  const DriveMap& drives() const { return drives_; }
  /// The CD image the medium is read from; null for a folder.
  DiscImage* disc() const { return disc_.get(); }
  /// What opening the prefix made or repaired, for the log; empty when it
  /// was whole.
  const std::string& prefix_note() const { return prefix_note_; }
  /// Waits until the Wine server that this run's Wine programs started has
  /// ended, so that the next run finds the prefix free; not when a program
  /// was left running. Says what it did for the log (empty: nothing).
  std::string WaitForOwnWine();
  const std::string& prefix_dir() const { return options_.prefix_dir; }
  const CodePage& name_code_page() const { return *name_code_page_; }
  /// The texts' code page. References to it become invalid at the next
  /// UseTextCodePage.
  const CodePage& text_code_page() const { return *text_code_page_; }

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
  int NameCodePage() override { return name_code_page_->number(); }
  std::string CharLowerA(std::string_view text) override { return name_code_page_->Lower(text); }
  int LanguageCodePage(std::string_view language_id) override;
  std::size_t FindInvalidByte(std::string_view text, int code_page) override;
  std::string GetEnvironmentVariableA(std::string_view name) override;

  // Processes
  base::Result<int> StartProcess(std::string_view path, const std::vector<std::string>& args,
                                 Wait wait) override;

  // Texts and names. The current directory keeps its meaning when the text
  // code page changes.
  void UseTextCodePage(int code_page) override;
  int TextCodePage() override { return text_code_page_->number(); }
  base::Result<std::string> Recode(std::string_view text, int from, int to) override;
  base::Status RegSetTextValueA(RegKey key, std::string_view name, std::string_view text) override;

  // Shell links
  base::Status WriteShellLink(std::string_view link_path, const ShellLinkSpec& link) override;
  /// The fields of an existing link file, in ANSI. Corrupt when it is not one.
  base::Result<ShellLinkSpec> ReadShellLink(std::string_view link_path);
  /// Asks Wine to make the host desktop's menu entries for every link
  /// written so far, one `wine winemenubuilder <link>` each, waited for
  /// (without -w, which waits for ever on a program without an icon). Call it
  /// after the last registry write: the Wine it starts takes the registry
  /// files over. One line per link for the log, in UTF-8; one line when Wine
  /// is not installed.
  std::vector<std::string> MakeMenuEntries();
  /// Keeps the medium as the prefix's CD-ROM drive under the letter the
  /// install used (a dosdevices link and the drive's type in the registry),
  /// so that a game looking for its disc finds it. Says what it did, for the
  /// log. AlreadyExists when the prefix has that letter for another drive;
  /// Unsupported for a CD image, which Wine cannot show as a drive.
  base::Result<std::string> KeepMediumAsCdDrive();

 private:
  struct CachedProfile;

  explicit PrefixPlatform(PrefixOptions options);
  base::Result<WindowsPath> Parse(std::string_view path) const;
  /// Whether `path` is read from the CD image rather than a host folder.
  bool OnDisc(const WindowsPath& path) const { return disc_ && drives_.IsMedium(path.drive); }
  /// The code page of `path`'s part `index`: the texts' on the medium and
  /// from the path's text_from on, else the names'.
  const CodePage& CodePageOf(const WindowsPath& path, std::size_t index) const;
  /// The parts of `path` in UTF-8, as the host and the CD image name them.
  std::vector<std::string> Utf8Parts(const WindowsPath& path) const;
  /// The whole of `path` in UTF-8, for the log and the links.
  std::string Utf8Of(const WindowsPath& path) const;

  /// The entry of the CD image at `path`, and the entries of its folder.
  base::Result<DiscEntry> FindOnDisc(const WindowsPath& path) const;
  base::Result<std::vector<DiscEntry>> ListOnDisc(const WindowsPath& folder) const;
  /// Copies a file of the CD image to the host file `to`.
  base::Status CopyFromDisc(const DiscEntry& file, const std::string& to, bool replace);
  /// Makes a program of the CD image runnable: its folder (only the program
  /// when that is the root), copied to a new scratch folder of the prefix,
  /// `scratch`, which the caller removes. Returns the program's host path.
  base::Result<std::string> ProgramFromDisc(const WindowsPath& program, std::string* scratch);
  /// ProgramFromDisc's copy into `folder`.
  base::Result<std::string> CopyProgramFolder(const WindowsPath& program, const DiscEntry& entry,
                                              const std::string& folder);
  /// The index of a profile file of the CD image; null when it cannot be read.
  const ProfileIndex* DiscProfileAt(const WindowsPath& path);
  // What files of the CD image give for the volume in their FileInfo.
  static constexpr std::uint64_t kDiscVolumeId = UINT64_MAX;
  /// Parse for a path about to be written: the medium is a CD, and like a
  /// real one it refuses every write (access denied).
  base::Result<WindowsPath> ParseForWrite(std::string_view path) const;
  base::Result<std::string> ResolveParsed(const WindowsPath& path, bool* exists,
                                          KnownStat* known = nullptr);
  /// The host path of a file about to be written: ParseForWrite, refused
  /// for a drive root or a name with wildcards, then resolved.
  base::Result<std::string> ResolveFileToWrite(std::string_view path, bool* exists);
  /// Refused for a file of the medium whose host file, links followed, lies
  /// outside the medium's folder: a CD holds no links to the host's files.
  base::Status CheckInsideMedium(const WindowsPath& path, const std::string& host,
                                 const KnownStat& known);
  /// The file's status: the one `known` holds, else asked of the host.
  static bool StatOf(const std::string& host, const KnownStat& known, struct stat* st);
  /// Keeps the name cache's listing of the host file's folder valid after
  /// this process created the file there.
  void NoteCreated(const std::string& host_path);
  const ProfileIndex* LoadProfile(const std::string& host_path, const KnownStat& known);
  /// The index of the profile file at the Windows path `path`; null when it
  /// cannot be read.
  const ProfileIndex* ProfileAt(std::string_view path);
  /// A host name as a name of the Windows side; on the medium, in the text
  /// code page.
  std::string ToAnsi(std::string_view host_name) const;
  std::string ToAnsiIn(const WindowsPath& folder, std::string_view host_name) const;
  void InitLocale();
  void InitRegistry();
  /// Sets the Start-menu folder's Shell Folders value where the prefix lacks it.
  void CompleteShellFolders();
  /// The host directory of the drive root `root` ("c:\"), when it is there.
  std::optional<std::string> DriveRoot(std::string_view root) const;
  /// The type set for a drive in HKLM\Software\Wine\Drives, when set.
  std::optional<DriveType> ConfiguredDriveType(char letter);

  PrefixOptions options_;
  std::string prefix_note_;
  std::unique_ptr<DiscImage> disc_;
  // The install script and other profiles of the CD image, by first sector.
  std::unordered_map<std::uint32_t, std::unique_ptr<ProfileIndex>> disc_profiles_;
  // The medium's real path, and its folders' by their host paths: a CD does
  // not change under the copy.
  std::string medium_real_root_;
  std::unordered_map<std::string, std::string> medium_real_folders_;
  bool ran_wine_ = false;           // Wine programs ran and were waited for
  bool left_wine_running_ = false;  // one was started and left running
  std::unique_ptr<CodePage> name_code_page_;
  std::unique_ptr<CodePage> text_code_page_;
  DriveMap drives_;
  WindowsPath cwd_;
  std::string language_id_;
  std::shared_ptr<ProcessRunner> runner_;
  std::unique_ptr<PrefixRegistry> registry_;
  std::unordered_map<std::string, std::unique_ptr<CachedProfile>> profiles_;
  FoldedNameCache names_;
  MisspeltFolder misspelt_;
  // The links written: host path, and Windows path in UTF-8.
  std::vector<std::pair<std::string, std::string>> links_;
};

}  // namespace cdsetup::platform
