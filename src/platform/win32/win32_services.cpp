// The registry, drive, locale, environment and process groups of the Win32
// platform.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>
#include <shlobj.h>

#include <charconv>
#include <cstdio>

#include "base/ascii.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace cdsetup::platform {
namespace {

HKEY RootKey(RegRoot root) {
  return root == RegRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::string RootName(RegRoot root) {
  return root == RegRoot::kLocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
}

// One argument as the C runtime's command-line parser reads it back:
// quotes around blanks, backslashes doubled only before a quote.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"')
      quoted.append(backslashes * 2 + 1, L'\\');
    else
      quoted.append(backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

std::string FileNameOf(std::string_view path) {
  std::size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool IsValidUtf8(std::string_view text) {
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                             static_cast<int>(text.size()), nullptr, 0) > 0;
}

}  // namespace

// --- Registry ------------------------------------------------------------------

base::Result<RegKey> Win32Platform::RegOpenKeyA(RegRoot root, std::string_view subkey) {
  const std::string path(subkey);
  HKEY opened = nullptr;
  LONG error = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ | KEY_WRITE, &opened);
  // A key we may only read is still there to read.
  if (error == ERROR_ACCESS_DENIED) {
    error = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ, &opened);
  }
  if (error != ERROR_SUCCESS) {
    return Win32Status(static_cast<std::uint32_t>(error), "open " + RootName(root) + path);
  }
  keys_[next_key_] = opened;
  return next_key_++;
}

base::Result<RegKey> Win32Platform::RegCreateKeyA(RegRoot root, std::string_view subkey) {
  const std::string path(subkey);
  HKEY created = nullptr;
  LONG error = RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_READ | KEY_WRITE, nullptr, &created, nullptr);
  if (error != ERROR_SUCCESS) {
    return Win32Status(static_cast<std::uint32_t>(error), "create " + RootName(root) + path);
  }
  keys_[next_key_] = created;
  return next_key_++;
}

base::Result<std::string> Win32Platform::RegQueryValueA(RegKey key, std::string_view name) {
  auto it = keys_.find(key);
  if (it == keys_.end()) return base::Status::Refused("not an open registry key");
  const std::string value_name(name);
  HKEY hkey = static_cast<HKEY>(it->second);
  DWORD type = 0, size = 0;
  LONG error = RegQueryValueExA(hkey, value_name.c_str(), nullptr, &type, nullptr, &size);
  if (error == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
    return base::Status::Refused("the registry value " + value_name + " is no string");
  }
  std::string data(size, '\0');
  if (error == ERROR_SUCCESS && size > 0) {
    error = RegQueryValueExA(hkey, value_name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size);
    data.resize(size);
  }
  if (error != ERROR_SUCCESS) {
    base::Status failed = Win32Status(static_cast<std::uint32_t>(error), "query " + value_name);
    if (error == ERROR_FILE_NOT_FOUND) {
      return base::Status::NotFound("no registry value " + value_name);
    }
    return failed;
  }
  while (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}

base::Status Win32Platform::RegSetValueA(RegKey key, std::string_view name,
                                         std::string_view value) {
  auto it = keys_.find(key);
  if (it == keys_.end()) return base::Status::Refused("not an open registry key");
  const std::string value_name(name), data(value);
  HKEY hkey = static_cast<HKEY>(it->second);
  LONG error = RegSetValueExA(hkey, value_name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>(data.size() + 1));
  if (error == ERROR_SUCCESS) error = RegFlushKey(hkey);
  if (error != ERROR_SUCCESS) {
    return Win32Status(static_cast<std::uint32_t>(error), "set the registry value " + value_name);
  }
  return base::Status::Ok();
}

base::Status Win32Platform::RegSetTextValueA(RegKey key, std::string_view name,
                                             std::string_view text) {
  auto it = keys_.find(key);
  if (it == keys_.end()) return base::Status::Refused("not an open registry key");
  const std::wstring value_name = Widen(name, 0), data = Widen(text, text_code_page_);
  HKEY hkey = static_cast<HKEY>(it->second);
  LONG error = RegSetValueExW(hkey, value_name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  if (error == ERROR_SUCCESS) error = RegFlushKey(hkey);
  if (error != ERROR_SUCCESS) {
    return Win32Status(static_cast<std::uint32_t>(error),
                       "set the registry value " + std::string(name));
  }
  return base::Status::Ok();
}

base::Status Win32Platform::RegDeleteValueA(RegKey key, std::string_view name) {
  auto it = keys_.find(key);
  if (it == keys_.end()) return base::Status::Refused("not an open registry key");
  const std::string value_name(name);
  LONG error = ::RegDeleteValueA(static_cast<HKEY>(it->second), value_name.c_str());
  if (error != ERROR_SUCCESS) {
    return Win32Status(static_cast<std::uint32_t>(error),
                       "delete the registry value " + value_name);
  }
  return base::Status::Ok();
}

void Win32Platform::RegCloseKey(RegKey key) {
  auto it = keys_.find(key);
  if (it == keys_.end()) return;
  ::RegCloseKey(static_cast<HKEY>(it->second));
  keys_.erase(it);
}

base::Status Win32Platform::RegistryWritable() {
  // Windows serves the registry to every program at once.
  return base::Status::Ok();
}

// --- Drives ------------------------------------------------------------------------

DriveType Win32Platform::GetDriveTypeA(std::string_view root) {
  const UINT type = ::GetDriveTypeA(std::string(root).c_str());
  return type <= DRIVE_RAMDISK ? static_cast<DriveType>(type) : DriveType::kUnknown;
}

base::Result<VolumeInfo> Win32Platform::GetVolumeInformationA(std::string_view root) {
  const std::string drive(root);
  char name[MAX_PATH + 1] = {}, file_system[MAX_PATH + 1] = {};
  DWORD serial = 0, max_component = 0, flags = 0;
  if (!::GetVolumeInformationA(drive.c_str(), name, sizeof name, &serial, &max_component, &flags,
                               file_system, sizeof file_system)) {
    base::Status failed = LastWin32Status("no medium in drive " + drive);
    return failed.IsNotFound() ? failed : base::Status::NotFound(failed.message());
  }
  VolumeInfo info;
  info.name = name;
  info.file_system_flags = flags;
  info.file_system_name = file_system;
  return info;
}

base::Result<DiskSpace> Win32Platform::GetDiskFreeSpaceA(std::string_view root) {
  const std::string drive(root);
  DWORD sectors = 0, bytes = 0, free_clusters = 0, total_clusters = 0;
  if (!::GetDiskFreeSpaceA(drive.c_str(), &sectors, &bytes, &free_clusters, &total_clusters)) {
    return LastWin32Status("free space of " + drive);
  }
  DiskSpace space{sectors, bytes, free_clusters, total_clusters};
  // The cluster counts of GetDiskFreeSpace stop at 32 bits; the byte counts
  // of the Ex call give the true ones on large volumes.
  ULARGE_INTEGER available, total, total_free;
  const std::uint64_t cluster = static_cast<std::uint64_t>(sectors) * bytes;
  if (cluster > 0 && GetDiskFreeSpaceExA(drive.c_str(), &available, &total, &total_free)) {
    space.free_clusters = available.QuadPart / cluster;
    space.total_clusters = total.QuadPart / cluster;
  }
  return space;
}

// --- Locale and environment ------------------------------------------------------------

std::string Win32Platform::GetSystemLanguageId() {
  char id[16] = {};
  if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_ILANGUAGE, id, sizeof id) == 0) {
    std::snprintf(id, sizeof id, "%04X", static_cast<unsigned>(GetUserDefaultLangID()));
  }
  std::string text = id;
  for (char& c : text) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

int Win32Platform::NameCodePage() {
  return static_cast<int>(GetACP());
}

int Win32Platform::TextCodePage() {
  return text_code_page_ != 0 ? static_cast<int>(text_code_page_) : NameCodePage();
}

base::Result<std::string> Win32Platform::Recode(std::string_view text, int from, int to) {
  const unsigned source = static_cast<unsigned>(from), target = static_cast<unsigned>(to);
  const std::wstring wide = Widen(text, source);
  // A letter comes back as itself or not at all: Narrow's best fit would
  // make "L" of "Ł", and name another folder.
  const std::string recoded = Narrow(wide, target);
  if (Widen(recoded, target) == wide) return recoded;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const std::size_t length = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() ? 2 : 1;
    const std::wstring letter = wide.substr(i, length);
    if (Widen(Narrow(letter, target), target) != letter) {
      return NameLacksLetter(text, Narrow(letter, source), to);
    }
    i += length - 1;
  }
  return NameLacksLetter(text, text, to);
}

std::string Win32Platform::ProgramsFolder() {
  PWSTR known = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &known)) || !known) {
    if (known) CoTaskMemFree(known);
    return Platform::ProgramsFolder();
  }
  const std::wstring folder = known;
  CoTaskMemFree(known);
  // The user's own folder, even where the user's name is not ANSI: the
  // short form of the path, which every Windows file system gives.
  std::string narrow = Narrow(folder, 0);
  if (Widen(narrow, 0) == folder) return narrow;
  wchar_t buffer[MAX_PATH * 4];
  const DWORD n = GetShortPathNameW(folder.c_str(), buffer, MAX_PATH * 4);
  return n > 0 && n < MAX_PATH * 4 ? Narrow(std::wstring_view(buffer, n), 0) : narrow;
}

std::string Win32Platform::CharLowerA(std::string_view text) {
  std::string lower(text);
  if (!lower.empty()) CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
  return lower;
}

int Win32Platform::LanguageCodePage(std::string_view language_id) {
  unsigned id = 0;
  const char* end = language_id.data() + language_id.size();
  auto [stop, error] = std::from_chars(language_id.data(), end, id, 16);
  if (language_id.size() != 4 || error != std::errc() || stop != end) return 0;
  char code_page[16] = {};
  const LCID locale = MAKELCID(static_cast<WORD>(id), SORT_DEFAULT);
  if (!IsValidLocale(locale, LCID_SUPPORTED) ||
      GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, code_page, sizeof code_page) == 0) {
    return 0;
  }
  return std::atoi(code_page);
}

std::size_t Win32Platform::FindInvalidByte(std::string_view text, int code_page) {
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii || IsValidUtf8(text)) return std::string_view::npos;
  const UINT cp = static_cast<UINT>(code_page);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) continue;
    const int length = IsDBCSLeadByteEx(cp, byte) ? 2 : 1;
    if (i + static_cast<std::size_t>(length) > text.size()) return i;
    wchar_t wide[2] = {};
    int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, text.data() + i, length, wide, 2);
    // A byte a single-byte code page leaves undefined comes back as the
    // C1 control of the same number, or is refused outright.
    if (n != 1 || (length == 1 && wide[0] >= 0x80 && wide[0] <= 0x9F)) return i;
    i += static_cast<std::size_t>(length - 1);
  }
  return std::string_view::npos;
}

std::string Win32Platform::GetEnvironmentVariableA(std::string_view name) {
  const std::string variable(name);
  std::string value(256, '\0');
  for (;;) {
    DWORD n =
        ::GetEnvironmentVariableA(variable.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n < value.size()) {
      value.resize(n);
      break;
    }
    value.resize(n);
  }
  if (value.empty() && base::EqualsIgnoreCaseAscii(variable, "WINDIR")) {
    char dir[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    if (n > 0 && n < sizeof dir) value.assign(dir, n);
  }
  return value;
}

// --- Processes -------------------------------------------------------------------------

base::Result<int> Win32Platform::StartProcess(std::string_view path,
                                              const std::vector<std::string>& args, Wait wait) {
  const std::string program(path);
  if (base::EqualsIgnoreCaseAscii(FileNameOf(program), "explorer.exe") && args.size() == 1 &&
      wait == Wait::kNo) {
    // A folder for the user to see: the shell opens it in Explorer.
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "explore", args[0].c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
      return Win32Status(static_cast<std::uint32_t>(result <= 1 ? ERROR_FILE_NOT_FOUND : result),
                         "open the folder " + args[0]);
    }
    return 0;
  }
  // A program on the medium may have a name of the script's own code page.
  const std::wstring wide_program = WidePath(path);
  std::wstring command = QuoteArgument(wide_program);
  for (const std::string& arg : args) {
    command += L' ';
    command += QuoteArgument(Widen(arg, 0));
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(wide_program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return LastWin32Status("cannot start " + WithoutTextMark(program));
  }
  CloseHandle(process.hThread);
  DWORD status = 0;
  if (wait == Wait::kYes) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
  }
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

}  // namespace cdsetup::platform
