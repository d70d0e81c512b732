// The registry of a prefix: HKEY_LOCAL_MACHINE in system.reg and
// HKEY_CURRENT_USER in user.reg, in Wine's own text format. Keys are opened
// by handle; every change is written through at once, atomically, and only
// when no wineserver owns the files.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/prefix/code_page.h"
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
  /// missing, Refused for a value of another type.
  base::Result<std::string> Query(RegKey key, std::string_view name);
  base::Status Set(RegKey key, std::string_view name, std::string_view value);
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
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{};
    std::unique_ptr<RegistryDocument> doc;
  };
  struct OpenKey {
    RegRoot root;
    std::u16string path;
  };

  base::Result<RegistryDocument*> Load(RegRoot root);
  base::Status Save(RegRoot root);
  base::Result<std::u16string> KeyPath(std::string_view subkey) const;
  base::Result<RegistryDocument*> ForWrite(RegRoot root);
  Hive& HiveOf(RegRoot root) { return root == RegRoot::kLocalMachine ? machine_ : user_; }

  const CodePage& code_page_;
  std::function<std::optional<std::string>()> find_server_;
  std::string prefix_dir_;
  Hive machine_;
  Hive user_;
  std::map<RegKey, OpenKey> keys_;
  RegKey next_key_ = 1;
};

}  // namespace cdsetup::platform
