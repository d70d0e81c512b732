// The profile-string and file groups of the Win32 platform.
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <optional>
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

// Relative to the current directory, or to the current drive's root.
template <typename Char>
bool IsRelative(std::basic_string_view<Char> path) {
  return !(path.size() >= 2 && path[1] == Char(':')) &&
         !(!path.empty() && (path[0] == Char('\\') || path[0] == Char('/')));
}

// UTF-16 of `text` in `code_page`, or nullopt when it does not come back the
// same: a letter the code page lacks.
std::optional<std::string> NarrowExactly(std::wstring_view wide, unsigned code_page) {
  std::string narrow = Narrow(wide, code_page);
  if (Widen(narrow, code_page) != wide) return std::nullopt;
  return narrow;
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

bool IsDirectory(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
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
    std::string_view medium = platform->options_.medium_dir;
    while (!medium.empty() && medium.back() == '\\') medium.remove_suffix(1);
    platform->medium_ = Widen(medium, 0);
    platform->medium_name_size_ = medium.size();
    platform->cwd_on_medium_ = true;
  }
  return platform;
}

bool Win32Platform::OnMedium(std::wstring_view path) const {
  if (medium_.empty()) return false;
  if (IsRelative(path)) return cwd_on_medium_;
  return path.size() >= medium_.size() &&
         _wcsnicmp(path.data(), medium_.c_str(), medium_.size()) == 0 &&
         (path.size() == medium_.size() || path[medium_.size()] == L'\\' ||
          path[medium_.size()] == L'/');
}

std::wstring Win32Platform::WidePath(std::string_view path) const {
  // A mark of text names splits the path: the part before it is a name.
  const std::size_t mark = path.find(kTextNamesFollow);
  if (mark == std::string_view::npos && text_code_page_ == 0) return Widen(path, 0);
  std::string_view names = path.substr(0, mark);
  std::wstring wide = Widen(names, 0);
  if (text_code_page_ != 0 && OnMedium(wide)) {
    // The medium's folder is the system's name; below it, the script's.
    const std::size_t below = IsRelative(names) ? 0 : medium_name_size_;
    wide = Widen(names.substr(0, std::min(below, names.size())), 0) +
           Widen(names.substr(std::min(below, names.size())), text_code_page_);
  }
  if (mark != std::string_view::npos) wide += Widen(path.substr(mark + 1), text_code_page_);
  return wide;
}

std::string Win32Platform::AnsiPath(std::string_view path) const {
  // GetPrivateProfileString looks for a name without a folder in the Windows
  // directory: every path is made full first.
  const std::wstring wide = WidePath(path);
  wchar_t buffer[MAX_PATH * 4];
  DWORD n = GetFullPathNameW(wide.c_str(), MAX_PATH * 4, buffer, nullptr);
  const std::wstring full = n > 0 && n < MAX_PATH * 4 ? std::wstring(buffer, n) : wide;
  if (std::optional<std::string> ansi = NarrowExactly(full, 0)) return *ansi;
  n = GetShortPathNameW(full.c_str(), buffer, MAX_PATH * 4);
  if (n > 0 && n < MAX_PATH * 4) return Narrow(std::wstring_view(buffer, n), 0);
  // A file about to be made has no short name yet: its folder has.
  const std::size_t slash = full.find_last_of(L"\\/");
  if (slash != std::wstring::npos) {
    n = GetShortPathNameW(full.substr(0, slash).c_str(), buffer, MAX_PATH * 4);
    if (n > 0 && n < MAX_PATH * 4) {
      return Narrow(std::wstring_view(buffer, n), 0) + Narrow(full.substr(slash), 0);
    }
  }
  return Narrow(full, 0);
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
                                    buffer.data(), size, AnsiPath(path).c_str());
}

std::vector<ProfileEntry> Win32Platform::GetPrivateProfileSectionNamesA(std::string_view path) {
  const std::string file = AnsiPath(path);
  std::vector<ProfileEntry> listed = MarkRepeats(ProfileList([&](char* buffer, DWORD size) {
    return ::GetPrivateProfileSectionNamesA(buffer, size, file.c_str());
  }));
  if (listed.empty()) return listed;
  return WithLines(std::move(listed),
                   ProfileIndex(ReadWholeFile(*this, file, kMaxProfileListing)).SectionNames());
}

std::vector<ProfileEntry> Win32Platform::GetPrivateProfileSectionA(std::string_view section,
                                                                   std::string_view path) {
  const std::string file = AnsiPath(path), name(section);
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
  const std::string file = AnsiPath(path);
  DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
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
  const std::wstring source = WidePath(from), target = WidePath(to);
  const std::string shown = "copy " + WithoutTextMark(from) + " to " + WithoutTextMark(to);
  const bool replace =
      !fail_if_exists && ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!replace) {
    if (::CopyFileW(source.c_str(), target.c_str(), fail_if_exists ? TRUE : FALSE)) {
      return base::Status::Ok();
    }
    return LastWin32Status(shown);
  }
  // A file there is replaced only by a whole copy: written beside it under a
  // name the system makes unique, then renamed over it.
  const std::size_t slash = target.find_last_of(L"\\/");
  const std::wstring dir = slash == std::wstring::npos ? L"." : target.substr(0, slash);
  wchar_t temp[MAX_PATH];
  if (!::GetTempFileNameW(dir.c_str(), L"cds", 0, temp)) return LastWin32Status(shown);
  if (!::CopyFileW(source.c_str(), temp, FALSE)) {
    base::Status failed = LastWin32Status(shown);
    ::DeleteFileW(temp);
    return failed;
  }
  // The copy of a read-only file is read-only too; the move replaces the
  // old one even so.
  base::Status moved = MoveWide(temp, target, shown);
  if (!moved.ok()) ::DeleteFileW(temp);
  return moved;
}

base::Status Win32Platform::SetFileAttributesArchive(std::string_view path) {
  if (!::SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_ARCHIVE)) {
    return LastWin32Status("change the attributes of " + WithoutTextMark(path));
  }
  return base::Status::Ok();
}

base::Status Win32Platform::DeleteFileA(std::string_view path) {
  const std::wstring file = WidePath(path);
  if (IsDirectory(file)) return base::Status::Refused("is a directory: " + WithoutTextMark(path));
  if (!::DeleteFileW(file.c_str())) return LastWin32Status("delete " + WithoutTextMark(path));
  return base::Status::Ok();
}

base::Status Win32Platform::MoveFileExA(std::string_view from, std::string_view to) {
  return MoveWide(WidePath(from), WidePath(to),
                  "rename " + WithoutTextMark(from) + " to " + WithoutTextMark(to));
}

base::Status Win32Platform::MoveWide(const std::wstring& source, const std::wstring& target,
                                     const std::string& shown) {
  if (IsDirectory(target)) return base::Status::Refused("is a directory: " + shown);
  // The system refuses to replace a read-only file: what the installer put
  // there before (a file from the CD arrives read-only) is replaced anyway.
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    ::SetFileAttributesW(target.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  if (::MoveFileExW(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return base::Status::Ok();
  }
  return LastWin32Status(shown);
}

base::Status Win32Platform::CreateDirectoryA(std::string_view path) {
  const std::string shown = WithoutTextMark(path);
  if (shown.find_first_of("*?") != std::string::npos) {
    return base::Status::Refused("not a directory name: " + shown);
  }
  if (!::CreateDirectoryW(WidePath(path).c_str(), nullptr)) {
    return LastWin32Status("create the directory " + shown);
  }
  return base::Status::Ok();
}

base::Result<FileInfo> Win32Platform::GetFileInfo(std::string_view path) {
  const std::wstring file = WidePath(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) {
    return LastWin32Status(WithoutTextMark(path));
  }
  FileInfo info;
  info.is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.is_hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  info.is_read_only = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (info.is_directory) {
    // A folder's identity, so that a copy notices one removed and made anew.
    HANDLE dir = ::CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
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
  const std::wstring dir = WidePath(path);
  if (!::SetCurrentDirectoryW(dir.c_str())) {
    base::Status failed = LastWin32Status("no such directory: " + WithoutTextMark(path));
    // A file of that name is no directory either.
    return failed.IsRefused() ? base::Status::NotFound(failed.message()) : failed;
  }
  wchar_t now[MAX_PATH * 4];
  const DWORD n = ::GetCurrentDirectoryW(MAX_PATH * 4, now);
  cwd_on_medium_ = n > 0 && n < MAX_PATH * 4 && OnMedium(std::wstring_view(now, n));
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
  const std::string wanted = WithoutTextMark(pattern);
  const std::wstring wide = WidePath(pattern);
  // Names below the medium are the script's; elsewhere, the system's.
  const unsigned names_page = text_code_page_ != 0 && OnMedium(wide) ? text_code_page_ : 0;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(wide.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    base::Status failed = LastWin32Status("nothing matches " + wanted);
    return failed.IsRefused() ? base::Status::NotFound(failed.message()) : failed;
  }
  std::vector<FindData> found;
  do {
    // A name the code page cannot hold: no path we could build from it
    // would open the file.
    const std::optional<std::string> name = NarrowExactly(data.cFileName, names_page);
    if (!name) continue;
    found.push_back({*name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                     (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0});
  } while (FindNextFileW(find, &data));
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
  const std::string file = WithoutTextMark(path);
  const std::wstring wide = WidePath(path);
  if (file.find_first_of("*?") != std::string::npos || IsDirectory(wide)) {
    return base::Status::Refused("not a file name: " + file);
  }
  FilePtr f(_wfopen(wide.c_str(), Widen(mode, 0).c_str()));
  if (!f) return base::Status::FromErrno(errno, "open " + file);
  return f;
}

base::Result<std::string> Win32Platform::HostPath(std::string_view path) {
  return AnsiPath(path);
}

}  // namespace cdsetup::platform
