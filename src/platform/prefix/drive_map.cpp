#include "platform/prefix/drive_map.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "platform/prefix/host_file.h"

namespace cdsetup::platform {
namespace {}  // namespace

int DriveMap::Index(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

DriveMap DriveMap::Load(const std::string& prefix_dir) {
  DriveMap map;
  std::string dos = prefix_dir + "/dosdevices";
  DIR* dir = ::opendir(dos.c_str());
  if (dir == nullptr) return map;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name.size() != 2 || name[1] != ':' || Index(name[0]) < 0) continue;
    char buf[PATH_MAX];
    ssize_t n = ::readlink((dos + "/" + name).c_str(), buf, sizeof buf - 1);
    if (n <= 0) continue;
    std::string target(buf, static_cast<std::size_t>(n));
    if (target.front() != '/') {
      target = std::filesystem::path(dos + "/" + target).lexically_normal().string();
      if (target.size() > 1 && target.back() == '/') target.pop_back();
    }
    map.Set(name[0], std::move(target));
  }
  ::closedir(dir);
  return map;
}

std::optional<char> DriveMap::AddMedium(const std::string& medium_dir) {
  std::string want = RealHostPath(medium_dir);
  if (!want.empty()) {
    for (int i = 0; i < 26; ++i) {
      if (targets_[i] && RealHostPath(*targets_[i]) == want) {
        medium_ = static_cast<char>('a' + i);
        return medium_;
      }
    }
  }
  for (int i = 3; i < 26; ++i) {
    if (!targets_[i]) {
      targets_[i] = want.empty() ? medium_dir : want;
      medium_ = static_cast<char>('a' + i);
      return medium_;
    }
  }
  return std::nullopt;
}

const std::string* DriveMap::Target(char letter) const {
  int i = Index(letter);
  if (i < 0 || !targets_[i]) return nullptr;
  return &*targets_[i];
}

void DriveMap::Set(char letter, std::string host_dir) {
  int i = Index(letter);
  if (i >= 0) targets_[i] = std::move(host_dir);
}

bool DriveMap::IsMedium(char letter) const {
  return medium_ && Index(letter) == Index(*medium_);
}

}  // namespace cdsetup::platform
