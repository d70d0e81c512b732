// The profile-string and file groups of the Win32 platform.
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "base/ascii.h"
#include "platform/profile_file.h"
#include "platform/read_whole_file.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_text.h"

namespace cdsetup::platform {
namespace {

// Profile files hold a few kilobytes; a listing that needs more than this is
// no install script.
constexpr DWORD kMaxProfileListing = 16u << 20;

std::string Str(std::string_view s) {
  return std::string(s);
}

// GetPrivateProfileString looks for a name without a folder in the Windows
// directory; the platform resolves every relative path against the current one.
std::string FullPath(std::string_view path) {
  const std::string given(path);
  char buffer[MAX_PATH * 4];
  DWORD n = GetFullPathNameA(given.c_str(), sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : given;
}

// The list of NUL-separated strings a profile call fills in, grown until it fits.
template <typename Call>
std::vector<std::string> ProfileList(Call call) {
  std::vector<char> buffer(4096);
  for (;;) {
    DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n + 2 < buffer.size() || buffer.size() >= kMaxProfileListing) {
      std::vector<std::string> items;
      std::size_t start = 0;
      for (std::size_t i = 0; i < n; ++i) {
        if (buffer[i] != '\0') continue;
        if (i > start) items.emplace_back(buffer.data() + start, i - start);
        start = i + 1;
      }
      if (start < n) items.emplace_back(buffer.data() + start, n - start);
      return items;
    }
    buffer.resize(buffer.size() * 4);
  }
}

// Names as Windows compares them: CharLower of the ANSI text.
std::string Folded(std::string name) {
  if (!name.empty()) CharLowerBuffA(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

std::vector<ProfileEntry> MarkRepeats(const std::vector<std::string>& names) {
  std::vector<ProfileEntry> entries;
  std::set<std::string> seen;
  for (const std::string& raw : names) {
    std::string name(base::TrimBlanks(raw));
    bool repeated = !seen.insert(Folded(name)).second;
    entries.push_back({std::move(name), 0, repeated});
  }
  return entries;
}

// The lines of the listed entries, where our own reading of the file lists
// the same names in the same order (the system's listing tells none).
std::vector<ProfileEntry> WithLines(std::vector<ProfileEntry> listed,
                                    const std::vector<ProfileEntry>& indexed) {
  if (listed.size() != indexed.size()) return listed;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (!base::EqualsIgnoreCaseAscii(listed[i].name, indexed[i].name)) return listed;
  }
  for (std::size_t i = 0; i < listed.size(); ++i) listed[i].line = indexed[i].line;
  return listed;
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

base::Result<std::unique_ptr<Win32Platform>> Win32Platform::Open(const Win32Options& options) {
  // No "insert a disk" box for an empty drive: the query fails and says so.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  std::unique_ptr<Win32Platform> platform(new Win32Platform(options));
  if (!options.medium_dir.empty()) {
    base::Status entered = platform->SetCurrentDirectoryA(options.medium_dir);
    if (!entered.ok()) return entered.WithContext("the medium");
    platform->options_.medium_dir = platform->GetCurrentDirectoryA();
  }
  return platform;
}

Win32Platform::~Win32Platform() {
  for (auto& [id, hkey] : keys_) ::RegCloseKey(static_cast<HKEY>(hkey));
}

// --- Profile strings ---------------------------------------------------------

std::size_t Win32Platform::GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                                    std::string_view def, std::span<char> buffer,
                                                    std::string_view path) {
  if (buffer.empty()) return 0;
  const DWORD size = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), MAXDWORD));
  return ::GetPrivateProfileStringA(Str(section).c_str(), Str(key).c_str(), Str(def).c_str(),
                                    buffer.data(), size, FullPath(path).c_str());
}

std::vector<ProfileEntry> Win32Platform::GetPrivateProfileSectionNamesA(std::string_view path) {
  const std::string file = FullPath(path);
  std::vector<ProfileEntry> listed = MarkRepeats(ProfileList([&](char* buffer, DWORD size) {
    return ::GetPrivateProfileSectionNamesA(buffer, size, file.c_str());
  }));
  if (listed.empty()) return listed;
  return WithLines(std::move(listed),
                   ProfileIndex(ReadWholeFile(*this, file, kMaxProfileListing)).SectionNames());
}

std::vector<ProfileEntry> Win32Platform::GetPrivateProfileSectionA(std::string_view section,
                                                                   std::string_view path) {
  const std::string file = FullPath(path), name(section);
  std::vector<std::string> keys;
  for (const std::string& line : ProfileList([&](char*buffer, DWORD size) {
         return ::GetPrivateProfileSectionA(name.c_str(), buffer, size, file.c_str());
       })) {
    std::string key(base::TrimBlanks(std::string_view(line).substr(0, line.find('='))));
    if (!key.empty() && key[0] != ';') keys.push_back(std::move(key));
  }
  std::vector<ProfileEntry> listed = MarkRepeats(keys);
  if (listed.empty()) return listed;
  return WithLines(std::move(listed),
                   ProfileIndex(ReadWholeFile(*this, file, kMaxProfileListing)).Keys(section));
}

base::Status Win32Platform::WritePrivateProfileStringA(std::string_view section,
                                                       std::string_view key, std::string_view value,
                                                       std::string_view path) {
  const std::string file = FullPath(path);
  DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return base::Status::Refused("the file is read-only: " + file);
  }
  if (!::WritePrivateProfileStringA(Str(section).c_str(), Str(key).c_str(), Str(value).c_str(),
                                    file.c_str())) {
    return LastWin32Status("write [" + Str(section) + "] " + Str(key) + " in " + file);
  }
  return base::Status::Ok();
}

// --- Files -------------------------------------------------------------------

base::Status Win32Platform::CopyFileA(std::string_view from, std::string_view to,
                                      bool fail_if_exists) {
  const std::string source(from), target(to);
  const bool replace =
      !fail_if_exists && ::GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!replace) {
    if (::CopyFileA(source.c_str(), target.c_str(), fail_if_exists ? TRUE : FALSE)) {
      return base::Status::Ok();
    }
    return LastWin32Status("copy " + source + " to " + target);
  }
  // A file there is replaced only by a whole copy: written beside it under a
  // name the system makes unique, then renamed over it.
  const std::size_t slash = target.find_last_of("\\/");
  const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash);
  char temp[MAX_PATH];
  if (!::GetTempFileNameA(dir.c_str(), "cds", 0, temp)) {
    return LastWin32Status("copy " + source + " to " + target);
  }
  if (!::CopyFileA(source.c_str(), temp, FALSE)) {
    base::Status failed = LastWin32Status("copy " + source + " to " + target);
    ::DeleteFileA(temp);
    return failed;
  }
  // The copy of a read-only file is read-only too; MoveFileExA replaces the
  // old one even so.
  base::Status moved = MoveFileExA(temp, target);
  if (!moved.ok()) ::DeleteFileA(temp);
  return moved;
}

base::Status Win32Platform::SetFileAttributesArchive(std::string_view path) {
  const std::string file(path);
  if (!::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_ARCHIVE)) {
    return LastWin32Status("change the attributes of " + file);
  }
  return base::Status::Ok();
}

base::Status Win32Platform::DeleteFileA(std::string_view path) {
  const std::string file(path);
  if (IsDirectory(file)) return base::Status::Refused("is a directory: " + file);
  if (!::DeleteFileA(file.c_str())) return LastWin32Status("delete " + file);
  return base::Status::Ok();
}

base::Status Win32Platform::MoveFileExA(std::string_view from, std::string_view to) {
  const std::string source(from), target(to);
  if (IsDirectory(target)) return base::Status::Refused("is a directory: " + target);
  // The system refuses to replace a read-only file: what the installer put
  // there before (a file from the CD arrives read-only) is replaced anyway.
  const DWORD attributes = ::GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    ::SetFileAttributesA(target.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  if (::MoveFileExA(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return base::Status::Ok();
  }
  return LastWin32Status("rename " + source + " to " + target);
}

base::Status Win32Platform::CreateDirectoryA(std::string_view path) {
  const std::string dir(path);
  if (dir.find_first_of("*?") != std::string::npos) {
    return base::Status::Refused("not a directory name: " + dir);
  }
  if (!::CreateDirectoryA(dir.c_str(), nullptr)) {
    return LastWin32Status("create the directory " + dir);
  }
  return base::Status::Ok();
}

std::wstring Win32Platform::TextNamed(std::string_view base, std::string_view text) const {
  return Widen(base, 0) + Widen(text, text_code_page_);
}

base::Status Win32Platform::CreateTextNamedDirectory(std::string_view base, std::string_view text) {
  const std::string shown = std::string(base) + std::string(text);
  if (text.find_first_of("*?") != std::string_view::npos) {
    return base::Status::Refused("not a directory name: " + shown);
  }
  if (!::CreateDirectoryW(TextNamed(base, text).c_str(), nullptr)) {
    return LastWin32Status("create the directory " + shown);
  }
  return base::Status::Ok();
}

base::Result<FileInfo> Win32Platform::GetFileInfo(std::string_view path) {
  const std::string file(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) {
    return LastWin32Status(file);
  }
  FileInfo info;
  info.is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.is_hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  info.is_read_only = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (info.is_directory) {
    // A folder's identity, so that a copy notices one removed and made anew.
    HANDLE dir = ::CreateFileA(file.c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION id;
    if (dir != INVALID_HANDLE_VALUE) {
      if (::GetFileInformationByHandle(dir, &id)) {
        info.volume_id = id.dwVolumeSerialNumber;
        info.file_id = (static_cast<std::uint64_t>(id.nFileIndexHigh) << 32) | id.nFileIndexLow;
      }
      ::CloseHandle(dir);
    }
  }
  return info;
}

std::string Win32Platform::GetCurrentDirectoryA() {
  std::string dir(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetCurrentDirectoryA(static_cast<DWORD>(dir.size()), dir.data());
    if (n == 0) return std::string();
    if (n < dir.size()) {
      dir.resize(n);
      return dir;
    }
    dir.resize(n);
  }
}

base::Status Win32Platform::SetCurrentDirectoryA(std::string_view path) {
  const std::string dir(path);
  if (!::SetCurrentDirectoryA(dir.c_str())) {
    base::Status failed = LastWin32Status("no such directory: " + dir);
    // A file of that name is no directory either.
    return failed.IsRefused() ? base::Status::NotFound(failed.message()) : failed;
  }
  return base::Status::Ok();
}

std::string Win32Platform::GetModuleFileNameA() {
  std::string module(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (n == 0) return std::string();
    if (n < module.size()) {
      module.resize(n);
      break;
    }
    module.resize(module.size() * 2);
  }
  if (options_.medium_dir.empty()) return module;
  std::string dir = options_.medium_dir;
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir + module.substr(module.rfind('\\') + 1);
}

base::Result<std::vector<FindData>> Win32Platform::FindFiles(std::string_view pattern,
                                                             std::size_t max_entries) {
  const std::string wanted(pattern);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(wanted.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    base::Status failed = LastWin32Status("nothing matches " + wanted);
    return failed.IsRefused() ? base::Status::NotFound(failed.message()) : failed;
  }
  std::vector<FindData> found;
  do {
    const std::string name = data.cFileName;
    // A name the code page cannot hold comes back with '?': no path we
    // could build from it would open the file.
    if (name.find('?') != std::string::npos) continue;
    found.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                     (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0});
  } while (FindNextFileA(find, &data));
  FindClose(find);
  // "." and ".." first, then by name, whatever order the file system keeps.
  auto dots = std::stable_partition(found.begin(), found.end(), [](const FindData& f) {
    return f.name == "." || f.name == "..";
  });
  std::sort(dots, found.end(), [](const FindData& a, const FindData& b) {
    return lstrcmpiA(a.name.c_str(), b.name.c_str()) < 0;
  });
  if (found.size() > max_entries) found.resize(max_entries);
  if (found.empty()) return base::Status::NotFound("nothing matches " + wanted);
  return found;
}

base::Result<FilePtr> Win32Platform::OpenFile(std::string_view path, const char* mode) {
  const std::string file(path);
  if (file.find_first_of("*?") != std::string::npos || IsDirectory(file)) {
    return base::Status::Refused("not a file name: " + file);
  }
  FilePtr f(std::fopen(file.c_str(), mode));
  if (!f) return base::Status::FromErrno(errno, "open " + file);
  return f;
}

base::Result<std::string> Win32Platform::HostPath(std::string_view path) {
  return FullPath(path);
}

}  // namespace cdsetup::platform
