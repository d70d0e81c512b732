// The registry of a prefix: HKEY_LOCAL_MACHINE in system.reg and
// HKEY_CURRENT_USER in user.reg, in Wine's own text format. Keys are opened
// by handle; every change is written through at once, atomically, and only
// when no wineserver owns the files. Changes by several processes at once
// are made one after the other, each on the file as the one before left it.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/prefix/code_page.h"
#include "platform/prefix/unique_fd.h"
#include "platform/prefix/wine_registry.h"

namespace cdsetup::platform {

class PrefixRegistry {
 public:
  /// `find_server` names the folder of the wineserver that serves the prefix
  /// now, nullopt when none does; replaceable so that tests can play one.
  PrefixRegistry(std::string prefix_dir, const CodePage& code_page,
                 std::function<std::optional<std::string>()> find_server);

  /// Names and values cross this interface in the ANSI code page. A key path
  /// uses "\" between levels (one final "\" is allowed); Refused for an empty
  /// level or one longer than 255 characters.
  base::Result<RegKey> Open(RegRoot root, std::string_view subkey);
  /// Opens the key, creating it and its missing levels. Busy while a
  /// wineserver runs; Corrupt when the file could not be read whole.
  base::Result<RegKey> Create(RegRoot root, std::string_view subkey);
  /// The text of a REG_SZ or REG_EXPAND_SZ value. NotFound when the value is
  /// missing, Refused for a value of another type. Reads take no lock: a
  /// file is only ever replaced whole.
  base::Result<std::string> Query(RegKey key, std::string_view name);
  /// Sets a REG_SZ value, or deletes one (NotFound when it is not there).
  /// Each change holds the prefix's registry lock from the wineserver check
  /// through reading the file (again, when another process replaced it) to
  /// renaming the new one into place; it waits while another process holds
  /// the lock.
  /// Sets a string value; `value` is in `value_code_page` when given (a
  /// text), else in the registry's own code page.
  base::Status Set(RegKey key, std::string_view name, std::string_view value,
                   const CodePage* value_code_page = nullptr);
  base::Status Delete(RegKey key, std::string_view name);
  void Close(RegKey key);
  base::Status Writable();

  /// The document of a root as the file holds it now (re-read when the file
  /// changed). Fails when the file cannot be read, or is too large.
  base::Result<const RegistryDocument*> Document(RegRoot root);

 private:
  struct Hive {
    std::string path;
    std::string relative_to;
    // The file `doc` was read from, held open so that its inode cannot be
    // given to a new file: the same device and inode then mean the same file.
    UniqueFd file;
    struct stat seen = {};
    std::unique_ptr<RegistryDocument> doc;  // of a missing file when `file` is not valid
  };
  struct OpenKey {
    RegRoot root;
    std::u16string path;
  };

  base::Result<RegistryDocument*> Load(RegRoot root);
  base::Status Save(RegRoot root);
  base::Result<std::u16string> KeyPath(std::string_view subkey) const;
  base::Result<RegistryDocument*> ForWrite(RegRoot root);
  /// Applies `edit` to the current document of `root` under the registry
  /// lock and saves it when `edit` answers that it changed something.
  base::Status Change(RegRoot root,
                      const std::function<base::Result<bool>(RegistryDocument&)>& edit);
  Hive& HiveOf(RegRoot root) { return root == RegRoot::kLocalMachine ? machine_ : user_; }

  const CodePage* code_page_;
  std::function<std::optional<std::string>()> find_server_;
  std::string prefix_dir_;
  Hive machine_;
  Hive user_;
  std::map<RegKey, OpenKey> keys_;
  RegKey next_key_ = 1;
};

}  // namespace cdsetup::platform
