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

// The shell's link object, with the interface that saves and loads its file.
struct LinkObject {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;

  HRESULT Create() {
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.OutVoid());
    return FAILED(hr) ? hr : link->QueryInterface(IID_IPersistFile, file.OutVoid());
  }
};

}  // namespace

base::Status Win32Platform::WriteShellLink(std::string_view link_path,
                                           const ShellLinkSpec& wanted) {
  const std::string path = WithoutTextMark(link_path);
  if (path.size() > base::kMaxPath) {
    return base::Status::Refused("a link path longer than 259 characters: " + path);
  }
  return SaveShellLink(WidePath(link_path), path, wanted);
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
  const std::wstring target = WidePath(wanted.target);
  const std::wstring work =
      wanted.working_directory.empty() ? std::wstring() : WidePath(wanted.working_directory);
  if (FAILED(hr = object.link->SetPath(target.c_str())) ||
      FAILED(hr = object.link->SetWorkingDirectory(work.c_str())) ||
      FAILED(hr =
                 object.link->SetDescription(Widen(wanted.description, text_code_page_).c_str())) ||
      FAILED(hr = object.link->SetArguments(Widen(wanted.arguments, 0).c_str()))) {
    return ComStatus(hr, "fill in the link " + path);
  }
  if (FAILED(hr = object.file->Save(wide.c_str(), TRUE))) {
    return ComStatus(hr, "save the link " + path);
  }
  return base::Status::Ok();
}

base::Result<ShellLinkSpec> Win32Platform::ReadShellLink(std::string_view link_path) {
  const std::string path(link_path);
  if (GetFileAttributesW(WidePath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
    return base::Status::NotFound("no link " + path);
  }
  ComScope com;
  if (!com.ok()) return base::Status::Unsupported("COM is not available for the link " + path);
  LinkObject object;
  HRESULT hr = object.Create();
  if (FAILED(hr)) return ComStatus(hr, "open the link " + path);
  IShellLinkW* link = object.link.get();
  const std::wstring wide = WidePath(path);
  if (FAILED(hr = object.file->Load(wide.c_str(), STGM_READ))) {
    return base::Status::Corrupt(path + " is no shell link");
  }
  wchar_t text[INFOTIPSIZE + 1] = {};
  ShellLinkSpec fields;
  if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)))
    fields.target = Narrow(text, 0);
  if (fields.target.empty()) {
    // A link that names its target by item ids alone (as ours do, for any
    // locale) has no path string: the shell works it out from the ids.
    PIDLIST_ABSOLUTE ids = nullptr;
    if (SUCCEEDED(link->GetIDList(&ids)) && ids) {
      wchar_t from_ids[MAX_PATH] = {};
      if (SHGetPathFromIDListW(ids, from_ids)) fields.target = Narrow(from_ids, 0);
      CoTaskMemFree(ids);
    }
  }
  text[0] = L'\0';
  if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
    fields.working_directory = Narrow(text, 0);
  text[0] = L'\0';
  if (SUCCEEDED(link->GetDescription(text, INFOTIPSIZE))) {
    fields.description = Narrow(text, text_code_page_);
  }
  text[0] = L'\0';
  if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE))) fields.arguments = Narrow(text, 0);
  return fields;
}

}  // namespace cdsetup::platform
