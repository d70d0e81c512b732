// The prefix platform's reading of a medium given as a CD image: the files
// have no host paths, so each read asks the image.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "base/limits.h"
#include "platform/prefix/host_file.h"
#include "platform/prefix/prefix_platform.h"
#include "platform/profile_file.h"

namespace cdsetup::platform {
namespace {

// One read of a copy: whole sectors, large enough that the image's reads
// run at the speed of the disk.
constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

}  // namespace

base::Result<DiscEntry> PrefixPlatform::FindOnDisc(const WindowsPath& path) const {
  return disc_->Find(Utf8Parts(path));
}

base::Result<std::vector<DiscEntry>> PrefixPlatform::ListOnDisc(const WindowsPath& folder) const {
  return disc_->List(Utf8Parts(folder));
}

base::Status PrefixPlatform::CopyFromDisc(const DiscEntry& file, const std::string& to,
                                          bool replace) {
  if (file.is_directory) return base::Status::Refused("is a directory: " + file.name);
  if (file.is_link) return base::Status::Refused("a link on the CD: " + file.name);
  return WriteHostFileFrom(to, replace, file.mode, [&](int out) {
    std::vector<char> buffer(
        std::min<std::uint64_t>(kCopyChunk, std::max<std::uint64_t>(file.size, 1)));
    std::uint64_t done = 0;
    while (done < file.size) {
      base::Result<std::size_t> got = disc_->Read(file, done, buffer.data(), buffer.size());
      if (!got.ok()) return got.status();
      if (*got == 0) break;
      if (base::Status s = WriteAllToHostFile(out, buffer.data(), *got, to); !s.ok()) return s;
      done += *got;
    }
    return base::Status::Ok();
  });
}

const ProfileIndex* PrefixPlatform::DiscProfileAt(const WindowsPath& path) {
  base::Result<DiscEntry> file = FindOnDisc(path);
  if (!file.ok() || file->is_directory || file->is_link || file->size > base::kMaxScriptFile) {
    return nullptr;
  }
  std::unique_ptr<ProfileIndex>& slot = disc_profiles_[file->lsn];
  if (slot) return slot.get();  // a CD does not change
  std::string text(static_cast<std::size_t>(file->size), '\0');
  base::Result<std::size_t> got = disc_->Read(*file, 0, text.data(), text.size());
  if (!got.ok()) return nullptr;
  text.resize(*got);
  slot = std::make_unique<ProfileIndex>(std::move(text));
  return slot.get();
}

base::Result<std::string> PrefixPlatform::ProgramFromDisc(const WindowsPath& program,
                                                          std::string* scratch) {
  base::Result<DiscEntry> entry = FindOnDisc(program);
  if (!entry.ok()) return base::Status::NotFound("no such program: " + program.ToString());
  if (entry->is_directory) return base::Status::Refused("not a program: " + program.ToString());
  base::Result<std::string> temp = Resolve("c:\\windows\\temp");
  if (!temp.ok()) return temp.status();
  ::mkdir(temp->c_str(), 0777);
  std::string folder = *temp + "/cdsetup-cd.XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) {
    return base::Status::FromErrno(errno, "make a folder for " + program.ToString());
  }
  base::Result<std::string> copied = CopyProgramFolder(program, *entry, folder);
  if (copied.ok()) {
    *scratch = folder;
  } else {
    RemoveHostTree(folder);
  }
  return copied;
}

base::Result<std::string> PrefixPlatform::CopyProgramFolder(const WindowsPath& program,
                                                            const DiscEntry& entry,
                                                            const std::string& folder) {
  // A setup program finds its other files beside it: its whole folder goes,
  // unless that is the CD's root, which would be the whole CD.
  WindowsPath from = program;
  from.parts.pop_back();
  std::vector<std::pair<WindowsPath, std::string>> todo;
  if (from.parts.empty()) {
    base::Status copied = CopyFromDisc(entry, folder + "/" + entry.name, false);
    if (!copied.ok()) return copied.WithContext("copy " + program.ToString());
    return folder + "/" + entry.name;
  }
  todo.emplace_back(from, folder);
  while (!todo.empty()) {
    auto [dir, host] = std::move(todo.back());
    todo.pop_back();
    base::Result<std::vector<DiscEntry>> listed = ListOnDisc(dir);
    if (!listed.ok()) return listed.status();
    for (const DiscEntry& item : *listed) {
      const std::string to = host + "/" + item.name;
      if (item.is_directory) {
        if (::mkdir(to.c_str(), 0777) != 0) return base::Status::FromErrno(errno, "create " + to);
        WindowsPath sub = dir;
        sub.parts.push_back(ToAnsiIn(dir, item.name));
        todo.emplace_back(std::move(sub), to);
      } else if (!item.is_link) {
        base::Status copied = CopyFromDisc(item, to, false);
        if (!copied.ok()) return copied.WithContext("copy " + item.name);
      }
    }
  }
  return folder + "/" + entry.name;
}

}  // namespace cdsetup::platform

namespace cdsetup::platform {

base::Result<std::string> PrefixPlatform::KeepMediumAsCdDrive() {
  const std::optional<char> letter = drives_.medium();
  if (!letter) return base::Status::NotFound("the medium has no drive letter");
  const std::string drive = std::string(1, static_cast<char>(std::toupper(*letter))) + ":";
  if (disc_) {
    return base::Status::Unsupported("the CD image " + options_.medium_dir +
                                     " is no folder Wine can show as drive " + drive);
  }
  const std::string link = options_.prefix_dir + "/dosdevices/" + std::string(1, *letter) + ":";
  const std::string medium = RealHostPath(*drives_.Target(*letter));
  struct stat st;
  if (::lstat(link.c_str(), &st) == 0) {
    if (RealHostPath(link) == medium)
      return "the prefix shows the CD as drive " + drive + " already";
    return base::Status::AlreadyExists("drive " + drive + " of the prefix is taken");
  }
  if (base::Status writable = registry_->Writable(); !writable.ok()) return writable;
  if (::symlink(medium.c_str(), link.c_str()) != 0) {
    return base::Status::FromErrno(errno, "link " + link);
  }
  // Without the type, Wine would take the folder for a fixed disk.
  base::Result<RegKey> key = RegCreateKeyA(RegRoot::kLocalMachine, "Software\\Wine\\Drives");
  base::Status typed = key.ok() ? RegSetValueA(*key, drive, "cdrom") : key.status();
  if (key.ok()) RegCloseKey(*key);
  if (!typed.ok()) {
    ::unlink(link.c_str());
    return typed.WithContext("make drive " + drive + " a CD-ROM drive");
  }
  return "the prefix keeps the CD (" + medium + ") as its CD-ROM drive " + drive +
         ", so the game finds its disc";
}

}  // namespace cdsetup::platform
