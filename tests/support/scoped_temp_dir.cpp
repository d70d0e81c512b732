#include "support/scoped_temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>
#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace cdsetup::testing {

ScopedTempDir::ScopedTempDir() {
#if defined(_WIN32)
  // No mkdtemp: a random name that create_directory finds free.
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  std::random_device seed;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    std::filesystem::path candidate = base / ("cdsetup-test-" + std::to_string(seed() % 1000000));
    if (std::filesystem::create_directory(candidate, ec)) path_ = candidate.string();
  }
  if (path_.empty()) std::abort();
#else
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/cdsetup-test-XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data()) == nullptr) std::abort();
  path_ = buf.data();
#endif
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ec;
  // Read-only files and folders inside must not keep the tree alive.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(
        it->path(), std::filesystem::perms::owner_all,
        std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::string ScopedTempDir::operator/(std::string_view relative) const {
  return path_ + "/" + std::string(relative);
}

void MakeDirs(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
}

void WriteFile(const std::string& path, std::string_view content) {
  MakeDirs(std::filesystem::path(path).parent_path().string());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

std::map<std::string, std::string> FilesWithBytes(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    if (e.is_regular_file()) {
      files[std::filesystem::relative(e.path(), dir).string()] = ReadFile(e.path().string());
    }
  }
  return files;
}

}  // namespace cdsetup::testing
