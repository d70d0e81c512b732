#include "check/scratch_dir.h"

#include <filesystem>
#include <random>

namespace cdsetup::check {

namespace fs = std::filesystem;

base::Result<ScratchDir> ScratchDir::Make(const std::string& parent) {
  std::error_code ec;
  const fs::path base = parent.empty() ? fs::temp_directory_path(ec) : fs::path(parent);
  if (ec) return base::Status::IoError("no temporary directory: " + ec.message());
  // A name nobody else holds: create_directory fails on one that exists.
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = base / ("cdsetup-check-" + std::to_string(random() % 1000000));
    if (fs::create_directory(candidate, ec)) return ScratchDir(candidate.string());
    if (ec) break;
  }
  return base::Status::IoError("cannot make a scratch directory in " + base.string() +
                               (ec ? ": " + ec.message() : ""));
}

ScratchDir::~ScratchDir() {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace cdsetup::check
