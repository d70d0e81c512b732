// The operating-system services that the installer's logic needs, as the
// Windows side sees them: profile strings, registry, files, drives, locale and
// environment, processes and shell links. Abstract so that the logic runs over
// a Wine-style prefix, natively, or over a test's fake.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace cdsetup::platform {

/// A buffered stream that closes its file when it goes away.
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

/// One entry of a directory search.
struct FindData {
  std::string name;  // ANSI, as the directory holds it
  bool is_directory = false;
  bool is_hidden = false;
};

/// What is known of an existing file or directory.
struct FileInfo {
  bool is_directory = false;
  bool is_hidden = false;
  bool is_read_only = false;
  std::uint64_t size = 0;
  /// Which file or folder it is: equal in two infos of one that still
  /// exists, different once it was removed and made again. 0 and 0 where
  /// the platform cannot tell (a file, on Windows).
  std::uint64_t volume_id = 0;
  std::uint64_t file_id = 0;
  bool SameObject(const FileInfo& other) const {
    return volume_id == other.volume_id && file_id == other.file_id;
  }
};

/// A section or key of a profile file, in the order the file holds them.
struct ProfileEntry {
  std::string name;       // as written, blanks trimmed
  std::size_t line = 0;   // 1-based; 0 when the platform cannot tell
  bool repeated = false;  // a later one of a name already seen: no read finds it
};

enum class RegRoot { kLocalMachine, kCurrentUser };

/// An open registry key. 0 is never a valid handle.
using RegKey = std::uint32_t;

/// Drive types as GetDriveType numbers them.
enum class DriveType : int {
  kUnknown = 0,
  kNoRootDir = 1,
  kRemovable = 2,
  kFixed = 3,
  kRemote = 4,
  kCdRom = 5,
  kRamDisk = 6,
};

struct VolumeInfo {
  std::string name;  // ANSI; empty when the volume has no label
  std::uint32_t file_system_flags = 0;
  std::string file_system_name;
};

/// Free space in the cluster terms of GetDiskFreeSpace. The counts are 64-bit,
/// so their products stay right on volumes above 4 GiB and 2 TiB.
struct DiskSpace {
  std::uint32_t sectors_per_cluster = 0;
  std::uint32_t bytes_per_sector = 0;
  std::uint64_t free_clusters = 0;
  std::uint64_t total_clusters = 0;

  std::uint64_t FreeBytes() const { return free_clusters * sectors_per_cluster * bytes_per_sector; }
  std::uint64_t TotalBytes() const {
    return total_clusters * sectors_per_cluster * bytes_per_sector;
  }
};

enum class Wait { kNo, kYes };

/// The fields of a shell link that the installer writes.
struct ShellLinkSpec {
  std::string target;             // Windows path, ANSI
  std::string working_directory;  // Windows path, ANSI
  std::string description;        // ANSI; the installer leaves it empty
  std::string arguments;          // ANSI; optional
};

/// The platform. Every path argument is a Windows path in the name code page
/// (the system's ANSI one), with "\" (or "/") separators; relative paths
/// resolve against the current directory, and names match existing files
/// without regard to case. Below the medium's root the names are the
/// script's own, in the text code page (UseTextCodePage): the medium is
/// read, never written, and the game never opens its names.
/// Every call is made from the one user-interface thread.
class Platform {
 public:
  virtual ~Platform() = default;

  // --- Profile strings -----------------------------------------------------

  /// Copies the value of `key` in `section` of the file `path`, or `def` when
  /// the file, section or key is missing, into `buffer`, cut to
  /// buffer.size() - 1 characters and NUL-terminated. Returns the count of
  /// characters copied (0 for an empty buffer).
  virtual std::size_t GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                               std::string_view def, std::span<char> buffer,
                                               std::string_view path) = 0;

  /// Every section header of `path` in file order, repeats included (marked);
  /// empty when the file is missing or has none.
  virtual std::vector<ProfileEntry> GetPrivateProfileSectionNamesA(std::string_view path) = 0;
  /// Every key of the first section named `section` in `path`, in file
  /// order, repeats included (marked); empty when the file or section is
  /// missing. Keys under a repeated section header are never read, and not
  /// listed.
  virtual std::vector<ProfileEntry> GetPrivateProfileSectionA(std::string_view section,
                                                              std::string_view path) = 0;

  /// Sets `key` in `section` of `path` to `value`, creating the file, the
  /// section and the key when missing. The file is replaced atomically.
  /// Fails (Refused) when the file is read-only.
  virtual base::Status WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                                  std::string_view value,
                                                  std::string_view path) = 0;

  // --- Registry --------------------------------------------------------------

  /// Opens an existing key. NotFound when it does not exist.
  virtual base::Result<RegKey> RegOpenKeyA(RegRoot root, std::string_view subkey) = 0;
  /// Opens a key, creating it with all missing levels. Busy when the registry
  /// cannot be written now (see RegistryWritable).
  virtual base::Result<RegKey> RegCreateKeyA(RegRoot root, std::string_view subkey) = 0;
  /// The REG_SZ value `name` ("" is the default value), as stored, in ANSI.
  /// NotFound when there is no such value; the caller's data is untouched.
  virtual base::Result<std::string> RegQueryValueA(RegKey key, std::string_view name) = 0;
  /// Sets the REG_SZ value `name`; written to storage before returning.
  virtual base::Status RegSetValueA(RegKey key, std::string_view name, std::string_view value) = 0;
  /// Removes the value `name`; NotFound when it was not there.
  virtual base::Status RegDeleteValueA(RegKey key, std::string_view name) = 0;
  virtual void RegCloseKey(RegKey key) = 0;
  /// Ok when registry writes can be made now; otherwise why not (Busy while
  /// another program owns the registry), in words for the user.
  virtual base::Status RegistryWritable() = 0;

  // --- Files -------------------------------------------------------------------

  // Every write below (a copy's target, attributes, deletion, a new
  // directory, a profile string, a file opened for writing, a shell link)
  // on a CD drive is Refused, as the access denied of a real CD.

  /// Copies a file, overwriting an existing target unless `fail_if_exists`.
  /// An existing target is replaced only by a whole copy (written beside it,
  /// then renamed over it): a failure leaves it as it was.
  virtual base::Status CopyFileA(std::string_view from, std::string_view to,
                                 bool fail_if_exists = false) = 0;
  /// Leaves the file with the archive attribute alone: not read-only, not
  /// hidden (on a POSIX host: writable by its owner again).
  virtual base::Status SetFileAttributesArchive(std::string_view path) = 0;
  virtual base::Status DeleteFileA(std::string_view path) = 0;
  /// Renames the file `from` to `to` on the same drive, replacing a file at
  /// `to` even when it is read-only: a reader sees the old file or the new
  /// one, never neither. NotFound without `from`; Refused for a directory
  /// at `to`.
  virtual base::Status MoveFileExA(std::string_view from, std::string_view to) = 0;
  /// Creates one directory; AlreadyExists when it is there, NotFound when its
  /// parent is missing, another kind for other failures.
  virtual base::Status CreateDirectoryA(std::string_view path) = 0;
  virtual base::Result<FileInfo> GetFileInfo(std::string_view path) = 0;

  /// The current directory as a full Windows path ("D:\" at a drive root).
  virtual std::string GetCurrentDirectoryA() = 0;
  /// Makes an existing directory current; NotFound when it is missing.
  virtual base::Status SetCurrentDirectoryA(std::string_view path) = 0;
  /// The full Windows path of the running installer.
  virtual std::string GetModuleFileNameA() = 0;

  /// Lists the entries that match `pattern`: a directory path, a separator
  /// and a last component that may hold "*" and "?" ("*.*" matches every
  /// name), or a plain path for that one entry. Below a drive root the
  /// entries "." and ".." come first, as on Windows. Stops after
  /// `max_entries`. NotFound when nothing matches or the directory is missing.
  virtual base::Result<std::vector<FindData>> FindFiles(std::string_view pattern,
                                                        std::size_t max_entries = SIZE_MAX) = 0;

  /// Opens a buffered stream; `mode` as for fopen ("rb", "wb", "r+b", "ab").
  virtual base::Result<FilePtr> OpenFile(std::string_view path, const char* mode) = 0;
  /// The host file system's name for a Windows path, for libraries that open
  /// files themselves. Missing trailing components are mapped as given.
  virtual base::Result<std::string> HostPath(std::string_view path) = 0;

  // --- Drives ------------------------------------------------------------------

  /// The type of the drive whose root is `root` ("c:\"); kNoRootDir for a
  /// letter without a target.
  virtual DriveType GetDriveTypeA(std::string_view root) = 0;
  /// Fails quietly (NotFound) for a drive without a medium.
  virtual base::Result<VolumeInfo> GetVolumeInformationA(std::string_view root) = 0;
  virtual base::Result<DiskSpace> GetDiskFreeSpaceA(std::string_view root) = 0;

  // --- Locale and environment --------------------------------------------------

  /// The system language id as 4 upper-case hexadecimal digits ("0415").
  virtual std::string GetSystemLanguageId() = 0;
  /// The code page of names (1250, 1252, ...): the system's ANSI one, in
  /// which paths and file names are given and returned.
  virtual int NameCodePage() = 0;
  /// `text` with every upper-case letter of the ANSI code page in lower case
  /// (accented letters included), as CharLower gives it.
  virtual std::string CharLowerA(std::string_view text) = 0;
  /// The ANSI code page Windows gives the language `language_id` (four
  /// hexadecimal digits: "0415" gives 1250); 0 for an id it does not know.
  virtual int LanguageCodePage(std::string_view language_id) = 0;
  /// The offset of the first byte of `text` that is no character of
  /// `code_page` (one the code page leaves undefined, or a lead byte without
  /// its trail byte); npos when there is none. A text that is valid UTF-8 and
  /// not plain ASCII is taken as UTF-8, as every text is, and has none.
  virtual std::size_t FindInvalidByte(std::string_view text, int code_page) = 0;
  /// An environment variable of the Windows side ("WINDIR"); empty when unset.
  virtual std::string GetEnvironmentVariableA(std::string_view name) = 0;

  // --- Processes ---------------------------------------------------------------

  /// Starts the program `path` with `args` (argv[1...], passed as given, never
  /// through a shell). With Wait::kYes returns its exit status after it ended;
  /// otherwise 0 once it started. A program that cannot be started is a failure.
  virtual base::Result<int> StartProcess(std::string_view path,
                                         const std::vector<std::string>& args, Wait wait) = 0;

  // --- Shell links -------------------------------------------------------------

  /// Writes the link file `link_path`, replacing one that exists. Fails when
  /// its directory is missing or the name is not allowed.
  virtual base::Status WriteShellLink(std::string_view link_path, const ShellLinkSpec& link) = 0;

  // --- Texts and names ----------------------------------------------------------

  // The pages' texts are in the text code page, the chosen language's, which
  // may differ from the system's. A text becomes a name only where the script
  // says so (the target folder, file lists, links), converted once.

  /// The code page of the texts and of the medium's names from now on (0:
  /// the name code page).
  virtual void UseTextCodePage(int code_page) { (void)code_page; }
  virtual int TextCodePage() { return NameCodePage(); }
  /// `text`, in code page `from`, in code page `to`. Refused, naming the
  /// letter, when `to` lacks one of its letters: never a near one ("L" for
  /// "Ł"), which would name another file.
  virtual base::Result<std::string> Recode(std::string_view text, int from, int to) {
    (void)from;
    (void)to;
    return std::string(text);
  }
  /// `text` as a name: in the name code page.
  base::Result<std::string> TextToName(std::string_view text) {
    return Recode(text, TextCodePage(), NameCodePage());
  }

  /// RegSetValueA for a value that is a text, such as DisplayName, which
  /// people read and the game never does. A platform whose registry is
  /// Unicode stores it from the text code page.
  virtual base::Status RegSetTextValueA(RegKey key, std::string_view name, std::string_view text) {
    return RegSetValueA(key, name, text);
  }
  /// The current user's Start-menu programs folder, a name; empty when the
  /// system has none. By default the Shell Folders value of the registry.
  virtual std::string ProgramsFolder();
};

/// In a path, marks where the names made from texts begin: the parts after
/// it are in the text code page. The Start-menu folder, its links and the
/// files of the install lists are named so: a platform whose names are
/// Unicode writes them as the texts read, whatever the system's own code
/// page. No name holds it (Windows refuses control characters in names).
inline constexpr char kTextNamesFollow = '\x01';

/// `base`, a name, then `text`, a relative path in the text code page.
std::string TextNamedPath(std::string_view base, std::string_view text);
/// `path` as it reads, without the mark of its text names.
std::string WithoutTextMark(std::string_view path);
/// The length of `path` as the system counts it: without the mark.
std::size_t PathLength(std::string_view path);

/// The refusal of Recode: `text` holds `letter` (both in the code page it
/// is in), which `code_page` lacks.
base::Status NameLacksLetter(std::string_view text, std::string_view letter, int code_page);

}  // namespace cdsetup::platform
