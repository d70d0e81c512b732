// Scratch space for tests: a fresh directory removed with everything in it
// when the test ends, whether its checks passed or not; and small file helpers.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace cdsetup::testing {

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::string& path() const { return path_; }
  /// path() + "/" + relative.
  std::string operator/(std::string_view relative) const;

 private:
  std::string path_;
};

/// Writes `content` to `path`, creating missing parent directories.
void WriteFile(const std::string& path, std::string_view content);
/// The whole content of `path`; "" when it cannot be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeDirs(const std::string& path);
/// Every regular file below `dir` with its bytes, by path relative to it.
std::map<std::string, std::string> FilesWithBytes(const std::string& dir);

}  // namespace cdsetup::testing
