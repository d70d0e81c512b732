// Shell links through the shell's own COM object: IShellLinkA takes the
// fields, IPersistFile writes and reads the .lnk file.
#include <windows.h>
// The shell's COM headers need <windows.h> first.
#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shlobj.h>

#include <vector>

#include "base/limits.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace cdsetup::platform {
namespace {

// COM for the length of one call; a thread where it is on already keeps it.
class ComScope {
 public:
  ComScope() : result_(CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool ok() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void** OutVoid() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

base::Status ComStatus(HRESULT result, const std::string& context) {
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
    return Win32Status(static_cast<std::uint32_t>(HRESULT_CODE(result)), context);
  }
  char code[16];
  wsprintfA(code, "0x%08lX", static_cast<unsigned long>(result));
  return base::Status::IoError(context + ": COM error " + code);
}

std::wstring Wide(const std::string& ansi) {
  return Widen(ansi, 0);
}

DWORD Attributes(const std::string& path) {
  return GetFileAttributesA(path.c_str());
}

// The shell's link object, with the interface that saves and loads its file.
struct LinkObject {
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;

  HRESULT Create() {
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.OutVoid());
    return FAILED(hr) ? hr : link->QueryInterface(IID_IPersistFile, file.OutVoid());
  }
};

}  // namespace

base::Status Win32Platform::WriteShellLink(std::string_view link_path,
                                           const ShellLinkSpec& wanted) {
  const std::string path(link_path);
  if (path.size() > base::kMaxPath) {
    return base::Status::Refused("a link path longer than 259 characters: " + path);
  }
  return SaveShellLink(Wide(path), path, wanted);
}

base::Status Win32Platform::WriteTextNamedShellLink(std::string_view base, std::string_view text,
                                                    const ShellLinkSpec& wanted) {
  const std::string shown = std::string(base) + std::string(text);
  if (shown.size() > base::kMaxPath) {
    return base::Status::Refused("a link path longer than 259 characters: " + shown);
  }
  return SaveShellLink(TextNamed(base, text), shown, wanted);
}

// `wide` is the link's path; `path` names it in statuses.
base::Status Win32Platform::SaveShellLink(const std::wstring& wide, const std::string& path,
                                          const ShellLinkSpec& wanted) {
  const std::size_t slash = wide.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash + 1 == wide.size() ||
      wide.find_first_of(L"*?", slash) != std::wstring::npos) {
    return base::Status::Refused("not a file name: " + path);
  }
  const DWORD folder = GetFileAttributesW(wide.substr(0, slash == 2 ? 3 : slash).c_str());
  if (folder == INVALID_FILE_ATTRIBUTES || (folder & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return base::Status::NotFound("no folder for the link " + path);
  }
  const DWORD existing = GetFileAttributesW(wide.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return base::Status::Refused("a folder has the link's name: " + path);
  }

  ComScope com;
  if (!com.ok()) return base::Status::Unsupported("COM is not available for the link " + path);
  LinkObject object;
  HRESULT hr = object.Create();
  if (FAILED(hr)) return ComStatus(hr, "create the link " + path);
  if (FAILED(hr = object.link->SetPath(wanted.target.c_str())) ||
      FAILED(hr = object.link->SetWorkingDirectory(wanted.working_directory.c_str())) ||
      FAILED(hr = object.link->SetDescription(wanted.description.c_str())) ||
      FAILED(hr = object.link->SetArguments(wanted.arguments.c_str()))) {
    return ComStatus(hr, "fill in the link " + path);
  }
  if (FAILED(hr = object.file->Save(wide.c_str(), TRUE))) {
    return ComStatus(hr, "save the link " + path);
  }
  return base::Status::Ok();
}

base::Result<ShellLinkSpec> Win32Platform::ReadShellLink(std::string_view link_path) {
  const std::string path(link_path);
  if (Attributes(path) == INVALID_FILE_ATTRIBUTES) {
    return base::Status::NotFound("no link " + path);
  }
  ComScope com;
  if (!com.ok()) return base::Status::Unsupported("COM is not available for the link " + path);
  LinkObject object;
  HRESULT hr = object.Create();
  if (FAILED(hr)) return ComStatus(hr, "open the link " + path);
  IShellLinkA* link = object.link.get();
  const std::wstring wide = Wide(path);
  if (FAILED(hr = object.file->Load(wide.c_str(), STGM_READ))) {
    return base::Status::Corrupt(path + " is no shell link");
  }
  char text[INFOTIPSIZE + 1] = {};
  ShellLinkSpec fields;
  if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) fields.target = text;
  if (fields.target.empty()) {
    // A link that names its target by item ids alone (as ours do, for any
    // locale) has no path string: the shell works it out from the ids.
    PIDLIST_ABSOLUTE ids = nullptr;
    if (SUCCEEDED(link->GetIDList(&ids)) && ids) {
      char from_ids[MAX_PATH] = {};
      if (SHGetPathFromIDListA(ids, from_ids)) fields.target = from_ids;
      CoTaskMemFree(ids);
    }
  }
  text[0] = '\0';
  if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) fields.working_directory = text;
  text[0] = '\0';
  if (SUCCEEDED(link->GetDescription(text, INFOTIPSIZE))) fields.description = text;
  text[0] = '\0';
  if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE))) fields.arguments = text;
  return fields;
}

}  // namespace cdsetup::platform
