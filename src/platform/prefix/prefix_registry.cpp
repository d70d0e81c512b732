#include "platform/prefix/prefix_registry.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "platform/prefix/file_lock.h"
#include "platform/prefix/host_file.h"
#include "platform/prefix/utf16.h"

namespace cdsetup::platform {
namespace {

// Wine's own files are a few megabytes; anything near this is not one.
constexpr std::uint64_t kMaxRegistryFile = 256u << 20;
constexpr std::size_t kMaxKeyNameLength = 255;

// Held by whichever process is changing the prefix's registry.
constexpr const char* kLockFileName = ".cdsetup-registry.lock";

// The same file, unchanged since it was read. The inode cannot be another
// file's while the hive holds it open; size and times catch edits in place.
bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

const char* RootName(RegRoot root) {
  return root == RegRoot::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

}  // namespace

PrefixRegistry::PrefixRegistry(std::string prefix_dir, const CodePage& code_page,
                               std::function<std::optional<std::string>()> find_server)
    : code_page_(&code_page),
      find_server_(std::move(find_server)),
      prefix_dir_(std::move(prefix_dir)) {
  machine_.path = prefix_dir_ + "/system.reg";
  machine_.relative_to = "REGISTRY\\\\Machine";
  user_.path = prefix_dir_ + "/user.reg";
  user_.relative_to = "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000";
}

base::Result<std::u16string> PrefixRegistry::KeyPath(std::string_view subkey) const {
  std::u16string path = Utf8ToUtf16(code_page_->ToUtf8(subkey));
  if (!path.empty() && path.back() == u'\\') path.pop_back();
  std::size_t level_start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != u'\\') continue;
    std::size_t length = i - level_start;
    if (!path.empty() && length == 0) {
      return base::Status::Refused("a registry key path with an empty level: " +
                                   std::string(subkey));
    }
    if (length > kMaxKeyNameLength) {
      return base::Status::Refused("a registry key name longer than 255 characters");
    }
    level_start = i + 1;
  }
  return path;
}

base::Result<RegistryDocument*> PrefixRegistry::Load(RegRoot root) {
  Hive& hive = HiveOf(root);
  UniqueFd fd(::open(hive.path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno != ENOENT) return base::Status::FromErrno(errno, "read " + hive.path);
    // A prefix without this file yet: Wine would start it empty too.
    if (!hive.doc || hive.file.valid()) {
      hive.doc = std::make_unique<RegistryDocument>(RegistryDocument::Empty(hive.relative_to));
      hive.file.Reset();
    }
    return hive.doc.get();
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return base::Status::FromErrno(errno, "stat " + hive.path);
  if (hive.doc && hive.file.valid() && SameFile(hive.seen, st)) return hive.doc.get();
  hive.doc.reset();
  hive.file.Reset();
  base::Result<std::string> text = ReadOpenHostFile(fd.get(), hive.path, kMaxRegistryFile);
  if (!text.ok()) return text.status();
  hive.doc = std::make_unique<RegistryDocument>(
      text->empty() ? RegistryDocument::Empty(hive.relative_to) : RegistryDocument::Parse(*text));
  hive.file = std::move(fd);
  hive.seen = st;
  return hive.doc.get();
}

base::Result<const RegistryDocument*> PrefixRegistry::Document(RegRoot root) {
  base::Result<RegistryDocument*> doc = Load(root);
  if (!doc.ok()) return doc.status();
  return static_cast<const RegistryDocument*>(*doc);
}

base::Status PrefixRegistry::Writable() {
  std::optional<std::string> server = find_server_ ? find_server_() : std::nullopt;
  if (server) {
    return base::Status::Busy("Wine is running for the prefix " + prefix_dir_ +
                              ": its wineserver (" + *server +
                              ") owns the prefix's registry; close the prefix's Wine programs "
                              "first (or end them with \"WINEPREFIX='" +
                              prefix_dir_ + "' wineserver -k\"), then try again");
  }
  return base::Status::Ok();
}

base::Result<RegistryDocument*> PrefixRegistry::ForWrite(RegRoot root) {
  base::Status writable = Writable();
  if (!writable.ok()) return writable;
  base::Result<RegistryDocument*> doc = Load(root);
  if (!doc.ok()) return doc.status();
  base::Status intact = (*doc)->Intact();
  if (!intact.ok()) {
    return base::Status::Corrupt(HiveOf(root).path + ": " + intact.message() +
                                 "; it is not rewritten, so that nothing in it is lost");
  }
  return doc;
}

base::Status PrefixRegistry::Save(RegRoot root) {
  Hive& hive = HiveOf(root);
  base::Status s = WriteHostFileAtomically(hive.path, hive.doc->Serialize());
  if (!s.ok()) {
    hive.doc.reset();  // memory must not hold what the file does not
    hive.file.Reset();
    return s.WithContext(std::string("write the registry of ") + RootName(root));
  }
  // Under the lock no other installer can have replaced it since the rename.
  UniqueFd fd(::open(hive.path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (fd.valid() && ::fstat(fd.get(), &st) == 0) {
    hive.file = std::move(fd);
    hive.seen = st;
  } else {
    hive.doc.reset();
    hive.file.Reset();
  }
  return base::Status::Ok();
}

base::Status PrefixRegistry::Change(
    RegRoot root, const std::function<base::Result<bool>(RegistryDocument&)>& edit) {
  // The hives are replaced by rename, so a lock on one would be a lock on a
  // file that is gone after the first write: the lock has a file of its own.
  base::Result<FileLock> lock = FileLock::Exclusive(prefix_dir_ + "/" + kLockFileName);
  if (!lock.ok()) {
    return lock.status().WithContext(std::string("write the registry of ") + RootName(root));
  }
  base::Result<RegistryDocument*> doc = ForWrite(root);
  if (!doc.ok()) return doc.status();
  base::Result<bool> changed = edit(**doc);
  if (!changed.ok()) return changed.status();
  return *changed ? Save(root) : base::Status::Ok();
}

base::Result<RegKey> PrefixRegistry::Open(RegRoot root, std::string_view subkey) {
  base::Result<std::u16string> path = KeyPath(subkey);
  if (!path.ok()) return path.status();
  base::Result<RegistryDocument*> doc = Load(root);
  if (!doc.ok()) return doc.status();
  if (!(*doc)->HasKey(*path)) {
    return base::Status::NotFound(std::string("no registry key ") + RootName(root) + "\\" +
                                  std::string(subkey));
  }
  RegKey key = next_key_++;
  keys_[key] = {root, std::move(path).value()};
  return key;
}

base::Result<RegKey> PrefixRegistry::Create(RegRoot root, std::string_view subkey) {
  base::Result<std::u16string> path = KeyPath(subkey);
  if (!path.ok()) return path.status();
  base::Status writable = Writable();
  if (!writable.ok()) return writable;
  base::Result<RegistryDocument*> doc = Load(root);
  if (!doc.ok()) return doc.status();
  if (!(*doc)->HasKey(*path)) {
    base::Status s = Change(root, [&](RegistryDocument& current) -> base::Result<bool> {
      // Another process may have made it meanwhile.
      if (current.HasKey(*path)) return false;
      current.CreateKey(*path, std::time(nullptr));
      return true;
    });
    if (!s.ok()) return s;
  }
  RegKey key = next_key_++;
  keys_[key] = {root, std::move(path).value()};
  return key;
}

base::Result<std::string> PrefixRegistry::Query(RegKey key, std::string_view name) {
  auto it = keys_.find(key);
  if (it == keys_.end()) return base::Status::Refused("not an open registry key");
  base::Result<RegistryDocument*> doc = Load(it->second.root);
  if (!doc.ok()) return doc.status();
  std::optional<RegistryValue> value =
      (*doc)->GetValue(it->second.path, Utf8ToUtf16(code_page_->ToUtf8(name)));
  if (!value) return base::Status::NotFound("no registry value " + std::string(name));
  std::optional<std::u16string> text = value->Text();
  if (!text)
    return base::Status::Refused("the registry value " + std::string(name) + " is no string");
  return code_page_->FromUtf8(Utf16ToUtf8(*text));
}

base::Status PrefixRegistry::Set(RegKey key, std::string_view name, std::string_view value,
                                 const CodePage* value_code_page) {
  auto it = keys_.find(key);
  if (it == keys_.end()) return base::Status::Refused("not an open registry key");
  const CodePage& from = value_code_page ? *value_code_page : *code_page_;
  const RegistryValue v = RegistryValue::String(Utf8ToUtf16(from.ToUtf8(value)));
  const std::u16string value_name = Utf8ToUtf16(code_page_->ToUtf8(name));
  return Change(it->second.root, [&](RegistryDocument& doc) -> base::Result<bool> {
    doc.SetValue(it->second.path, value_name, v, std::time(nullptr));
    return true;
  });
}

base::Status PrefixRegistry::Delete(RegKey key, std::string_view name) {
  auto it = keys_.find(key);
  if (it == keys_.end()) return base::Status::Refused("not an open registry key");
  const std::u16string value_name = Utf8ToUtf16(code_page_->ToUtf8(name));
  return Change(it->second.root, [&](RegistryDocument& doc) -> base::Result<bool> {
    if (!doc.DeleteValue(it->second.path, value_name, std::time(nullptr))) {
      return base::Status::NotFound("no registry value " + std::string(name));
    }
    return true;
  });
}

void PrefixRegistry::Close(RegKey key) {
  keys_.erase(key);
}

}  // namespace cdsetup::platform
