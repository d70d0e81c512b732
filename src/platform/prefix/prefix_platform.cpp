#include "platform/prefix/prefix_platform.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/limits.h"
#include "platform/prefix/host_file.h"
#include "platform/prefix/prefix_layout.h"
#include "platform/profile_file.h"

namespace cdsetup::platform {
namespace {

// A profile larger than this reads as empty: no install script comes near it,
// and reading it whole for every lookup would stall the installer.
constexpr std::uint64_t kMaxProfileSize = base::kMaxScriptFile;

bool StatPath(const std::string& host, struct stat* st) {
  return ::stat(host.c_str(), st) == 0;
}

// The name Wine gives the profile folder: $USER, else the password
// database's, so that Wine finds the folders made for it.
std::string LoginName() {
  if (const char* u = std::getenv("USER"); u != nullptr && *u != '\0') return u;
  if (const passwd* pw = ::getpwuid(::getuid())) return pw->pw_name;
  return "user";
}

// Windows wildcard matching over folded code points: "*" any run, "?" one.
bool WildcardMatch(const std::u32string& pattern, const std::u32string& name) {
  std::size_t p = 0, n = 0, star = std::u32string::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == U'*') {
      star = p++;
      mark = n;
    } else if (star != std::u32string::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

bool IsHiddenName(const std::string& name) {
  return name.size() > 1 && name[0] == '.' && name != "..";
}

}  // namespace

struct PrefixPlatform::CachedProfile {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  std::unique_ptr<ProfileIndex> index;
};

PrefixPlatform::PrefixPlatform(PrefixOptions options) : options_(std::move(options)) {}
PrefixPlatform::~PrefixPlatform() = default;

base::Result<std::unique_ptr<PrefixPlatform>> PrefixPlatform::Open(const PrefixOptions& options) {
  std::unique_ptr<PrefixPlatform> p(new PrefixPlatform(options));
  if (p->options_.user.empty()) p->options_.user = LoginName();
  struct stat st;
  if (DiscImage::IsImagePath(options.medium_dir)) {
    base::Result<std::unique_ptr<DiscImage>> disc = DiscImage::Open(options.medium_dir);
    if (!disc.ok()) return disc.status();
    p->disc_ = std::move(disc).value();
  } else if (!StatPath(options.medium_dir, &st) || !S_ISDIR(st.st_mode)) {
    return base::Status::NotFound("the medium " + options.medium_dir +
                                  " is neither a folder nor a CD image");
  }
  if (!p->options_.runner)
    p->options_.runner = std::make_shared<PosixProcessRunner>(options.aside_fd);
  PrefixMaking making{options.made_by_wine ? p->options_.runner.get() : nullptr, options.progress};
  base::Result<std::string> ensured = EnsurePrefix(options.prefix_dir, p->options_.user, making);
  if (!ensured.ok()) return ensured.status();
  p->prefix_note_ = std::move(ensured).value();
  p->drives_ = DriveMap::Load(options.prefix_dir);
  std::optional<char> cd = p->drives_.AddMedium(options.medium_dir);
  if (!cd) return base::Status::Refused("no free drive letter for the medium");
  p->cwd_.drive = *cd;
  p->InitLocale();
  p->InitRegistry();
  p->CompleteShellFolders();
  return p;
}

base::Result<WindowsPath> PrefixPlatform::Parse(std::string_view path) const {
  return WindowsPath::Parse(path, cwd_);
}

base::Result<WindowsPath> PrefixPlatform::ParseForWrite(std::string_view path) const {
  base::Result<WindowsPath> parsed = Parse(path);
  if (parsed.ok() && drives_.IsMedium(parsed->drive)) {
    return base::Status::Refused("access denied: " + parsed->ToString() + " is on the CD");
  }
  return parsed;
}

base::Result<std::string> PrefixPlatform::Resolve(std::string_view path, bool* exists) {
  base::Result<WindowsPath> parsed = Parse(path);
  if (!parsed.ok()) return parsed.status();
  return ResolveParsed(*parsed, exists);
}

void PrefixPlatform::NoteCreated(const std::string& host_path) {
  std::size_t slash = host_path.rfind('/');
  if (slash == std::string::npos) return;
  names_.NoteCreated(host_path.substr(0, slash), host_path.substr(slash + 1));
}

bool PrefixPlatform::StatOf(const std::string& host, const KnownStat& known, struct stat* st) {
  if (known.valid) {
    *st = known.st;
    return true;
  }
  return StatPath(host, st);
}

base::Result<std::string> PrefixPlatform::ResolveParsed(const WindowsPath& path, bool* exists,
                                                        KnownStat* known) {
  const std::string* root = drives_.Target(path.drive);
  if (root == nullptr) return base::Status::NotFound("no drive " + path.Root());
  // The image's files have no host path; its readers ask it directly.
  if (OnDisc(path)) return base::Status::Refused(path.ToString() + " is in the CD image");
  std::string host = *root;
  if (!host.empty() && host.back() == '/') host.pop_back();
  std::vector<std::string> names = Utf8Parts(path);

  // Most paths are spelt as they are stored, or differ in their last part
  // only (a file about to be made): one or two calls settle those.
  std::string exact = host;
  for (const std::string& name : names) exact += "/" + name;
  // A folder asked for in another spelling than the host's misses both
  // tries, and a list of files that all name it so would miss them on every
  // file: for the folder that missed them last, the tries are skipped, and
  // the folder the walk below found for it serves while it is valid. The
  // walk tries each spelling as given first, so its answer is the same.
  const std::size_t parent_size = names.size() > 1 ? exact.size() - names.back().size() - 1 : 0;
  const std::string_view asked_parent = std::string_view(exact).substr(0, parent_size);
  const bool tries_skipped = parent_size != 0 && misspelt_.Is(asked_parent);
  struct stat st;
  std::size_t start = 0;
  bool host_stat_valid = false;  // `st` holds the status of `host`
  bool as_spelt = true;          // every part so far matched exactly
  bool noting = false;           // the walk is noted in misspelt_
  if (!tries_skipped) {
    if (names.empty() || ::lstat(exact.c_str(), &st) == 0) {
      if (exists) *exists = true;
      if (known && !names.empty() && !S_ISLNK(st.st_mode)) *known = {true, st};
      return names.empty() ? *root : exact;
    }
    if (parent_size != 0) {
      std::string parent(asked_parent);
      if (::lstat(parent.c_str(), &st) == 0) {
        host = std::move(parent);
        start = names.size() - 1;
        host_stat_valid = true;
      } else {
        misspelt_.Begin(std::move(parent));
        noting = true;
      }
    }
  } else if (std::optional<std::string> folder = misspelt_.Resolved()) {
    host = std::move(*folder);
    start = names.size() - 1;
    as_spelt = false;
  } else {
    misspelt_.Begin(std::string(asked_parent));
    noting = true;
  }

  bool found = true;
  for (std::size_t i = start; i < names.size(); ++i) {
    std::string name = std::move(names[i]);
    if (found && noting) {
      if (i + 1 == names.size()) {
        misspelt_.Found(host);
      } else {
        // What the walk finds in this folder holds while its status does;
        // the status is read before the folder is looked into.
        if (!host_stat_valid || !S_ISDIR(st.st_mode))
          host_stat_valid = ::stat(host.c_str(), &st) == 0;
        if (host_stat_valid) {
          misspelt_.Looked(host, st);
        } else {
          misspelt_.Clear();
          noting = false;
        }
      }
    }
    if (found) {
      std::string candidate = host + "/" + name;
      // Below parts that matched exactly, the last part is known to be
      // missing as spelt (when it was tried): only its case may differ.
      bool known_missing = !tries_skipped && as_spelt && i + 1 == names.size();
      struct stat candidate_st;
      if (!known_missing && ::lstat(candidate.c_str(), &candidate_st) == 0) {
        st = candidate_st;
        host = std::move(candidate);
        host_stat_valid = true;
        if (known && i + 1 == names.size() && !S_ISLNK(st.st_mode)) *known = {true, st};
        continue;
      }
      found = false;
      if (std::optional<std::string> stored =
              names_.Find(host, name, host_stat_valid ? &st : nullptr)) {
        as_spelt = false;
        name = std::move(*stored);
        found = true;
      }
    }
    host_stat_valid = false;  // `st` was of the folder above
    host += "/" + name;
  }
  // Spelt as stored after all: the quick tries serve this folder again.
  if (tries_skipped && found && as_spelt) misspelt_.Clear();
  if (exists) *exists = found;
  return host;
}

const CodePage& PrefixPlatform::CodePageOf(const WindowsPath& path, std::size_t index) const {
  return index >= path.text_from || drives_.IsMedium(path.drive) ? *text_code_page_
                                                                 : *name_code_page_;
}

std::vector<std::string> PrefixPlatform::Utf8Parts(const WindowsPath& path) const {
  std::vector<std::string> names;
  names.reserve(path.parts.size());
  for (std::size_t i = 0; i < path.parts.size(); ++i) {
    names.push_back(CodePageOf(path, i).ToUtf8(path.parts[i]));
  }
  return names;
}

std::string PrefixPlatform::Utf8Of(const WindowsPath& path) const {
  std::string text = path.Root();
  const std::vector<std::string> names = Utf8Parts(path);
  for (std::size_t i = 0; i < names.size(); ++i) text += (i ? "\\" : "") + names[i];
  return text;
}

std::string PrefixPlatform::ToAnsi(std::string_view host_name) const {
  return name_code_page_->FromUtf8(host_name);
}

std::string PrefixPlatform::ToAnsiIn(const WindowsPath& folder, std::string_view host_name) const {
  return CodePageOf(folder, folder.parts.size()).FromUtf8(host_name);
}

// --- Profile strings -----------------------------------------------------------

const ProfileIndex* PrefixPlatform::LoadProfile(const std::string& host_path,
                                                const KnownStat& known) {
  struct stat st;
  if (!StatOf(host_path, known, &st) || !S_ISREG(st.st_mode)) return nullptr;
  std::unique_ptr<CachedProfile>& slot = profiles_[host_path];
  if (slot && slot->index && slot->dev == st.st_dev && slot->ino == st.st_ino &&
      slot->size == st.st_size && slot->mtime.tv_sec == st.st_mtim.tv_sec &&
      slot->mtime.tv_nsec == st.st_mtim.tv_nsec) {
    return slot->index.get();
  }
  base::Result<std::string> text = ReadHostFile(host_path, kMaxProfileSize);
  if (!text.ok()) return nullptr;
  if (!slot) slot = std::make_unique<CachedProfile>();
  slot->dev = st.st_dev;
  slot->ino = st.st_ino;
  slot->size = st.st_size;
  slot->mtime = st.st_mtim;
  slot->index = std::make_unique<ProfileIndex>(std::move(text).value());
  return slot->index.get();
}

const ProfileIndex* PrefixPlatform::ProfileAt(std::string_view path) {
  KnownStat known;
  base::Result<WindowsPath> parsed = Parse(path);
  if (parsed.ok() && OnDisc(*parsed)) return DiscProfileAt(*parsed);
  base::Result<std::string> host = parsed.ok() ? ResolveParsed(*parsed, nullptr, &known)
                                               : base::Result<std::string>(parsed.status());
  return host.ok() ? LoadProfile(*host, known) : nullptr;
}

std::size_t PrefixPlatform::GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                                     std::string_view def, std::span<char> buffer,
                                                     std::string_view path) {
  std::string_view value = def;
  if (const ProfileIndex* index = ProfileAt(path)) {
    if (auto found = index->Find(section, key)) value = *found;
  }
  return CopyToBuffer(value, buffer.data(), buffer.size());
}

std::vector<ProfileEntry> PrefixPlatform::GetPrivateProfileSectionNamesA(std::string_view path) {
  const ProfileIndex* index = ProfileAt(path);
  return index ? index->SectionNames() : std::vector<ProfileEntry>();
}

std::vector<ProfileEntry> PrefixPlatform::GetPrivateProfileSectionA(std::string_view section,
                                                                    std::string_view path) {
  const ProfileIndex* index = ProfileAt(path);
  return index ? index->Keys(section) : std::vector<ProfileEntry>();
}

base::Status PrefixPlatform::WritePrivateProfileStringA(std::string_view section,
                                                        std::string_view key,
                                                        std::string_view value,
                                                        std::string_view path) {
  base::Result<WindowsPath> parsed = ParseForWrite(path);
  if (!parsed.ok()) return parsed.status();
  bool exists = false;
  base::Result<std::string> host = ResolveParsed(*parsed, &exists);
  if (!host.ok()) return host.status();
  std::string text;
  if (exists) {
    struct stat st;
    if (StatPath(*host, &st) && (st.st_mode & S_IWUSR) == 0) {
      return base::Status::Refused("the file is read-only: " + std::string(path));
    }
    base::Result<std::string> old = ReadHostFile(*host, kMaxProfileSize);
    if (!old.ok()) return old.status();
    text = std::move(old).value();
  }
  base::Result<std::string> updated = ProfileSetValue(text, section, key, value);
  if (!updated.ok()) return updated.status();
  base::Status s = WriteHostFileAtomically(*host, *updated);
  profiles_.erase(*host);
  return s;
}

// --- Files -----------------------------------------------------------------------

base::Result<std::string> PrefixPlatform::ResolveFileToWrite(std::string_view path, bool* exists) {
  base::Result<WindowsPath> parsed = ParseForWrite(path);
  if (!parsed.ok()) return parsed.status();
  if (parsed->IsRoot() || HasWildcards(parsed->parts.back())) {
    return base::Status::Refused("not a file name: " + std::string(path));
  }
  return ResolveParsed(*parsed, exists);
}

base::Status PrefixPlatform::CheckInsideMedium(const WindowsPath& path, const std::string& host,
                                               const KnownStat& known) {
  if (!drives_.IsMedium(path.drive)) return base::Status::Ok();
  // A copy reads hundreds of files from a few folders: each folder's real
  // path is found once, and a file that is no link is inside where its
  // folder is.
  if (medium_real_root_.empty()) medium_real_root_ = RealHostPath(*drives_.Target(path.drive));
  const std::size_t slash = host.rfind('/');
  auto [folder, fresh] = medium_real_folders_.try_emplace(host.substr(0, slash));
  if (fresh) folder->second = RealHostPath(folder->first);
  // The resolution's status is of no link; without one, the file is asked.
  struct stat st = known.st;
  if (!known.valid && ::lstat(host.c_str(), &st) != 0) return base::Status::Ok();  // opening says
  std::string real;
  if (S_ISLNK(st.st_mode) || folder->second.empty()) {
    real = RealHostPath(host);
  } else {
    real = folder->second + host.substr(slash);
  }
  if (real.empty()) return base::Status::Ok();  // a dead link: opening it says so
  if (!medium_real_root_.empty() && IsHostPathBelow(real, medium_real_root_)) {
    return base::Status::Ok();
  }
  return base::Status::Refused("a link out of the CD: " + path.ToString());
}

base::Status PrefixPlatform::CopyFileA(std::string_view from, std::string_view to,
                                       bool fail_if_exists) {
  bool from_exists = false, to_exists = false;
  base::Result<WindowsPath> from_path = Parse(from);
  if (!from_path.ok()) return from_path.status();
  if (OnDisc(*from_path)) {
    base::Result<DiscEntry> file = FindOnDisc(*from_path);
    if (!file.ok() && file.status().kind() == base::Status::Kind::kNotFound) {
      return base::Status::NotFound("no such file: " + std::string(from));
    }
    if (!file.ok()) return file.status().WithContext("copy " + std::string(from));
    base::Result<std::string> dst = ResolveFileToWrite(to, &to_exists);
    if (!dst.ok()) return dst.status();
    if (to_exists && fail_if_exists) return base::Status::AlreadyExists(std::string(to));
    base::Status copied = CopyFromDisc(*file, *dst, to_exists);
    if (copied.ok() && !to_exists) NoteCreated(*dst);
    return copied.WithContext("copy " + std::string(from) + " to " + std::string(to));
  }
  KnownStat from_known;
  base::Result<std::string> src = ResolveParsed(*from_path, &from_exists, &from_known);
  if (!src.ok()) return src.status();
  if (!from_exists) return base::Status::NotFound("no such file: " + std::string(from));
  if (base::Status inside = CheckInsideMedium(*from_path, *src, from_known); !inside.ok())
    return inside;
  base::Result<std::string> dst = ResolveFileToWrite(to, &to_exists);
  if (!dst.ok()) return dst.status();
  if (to_exists && fail_if_exists) return base::Status::AlreadyExists(std::string(to));
  base::Status copied = CopyHostFile(*src, *dst, to_exists);
  if (copied.ok() && !to_exists) NoteCreated(*dst);
  return copied.WithContext("copy " + std::string(from) + " to " + std::string(to));
}

base::Status PrefixPlatform::SetFileAttributesArchive(std::string_view path) {
  bool exists = false;
  KnownStat known;
  base::Result<WindowsPath> parsed = ParseForWrite(path);
  if (!parsed.ok()) return parsed.status();
  base::Result<std::string> host = ResolveParsed(*parsed, &exists, &known);
  if (!host.ok()) return host.status();
  struct stat st;
  if (!exists || !StatOf(*host, known, &st)) return base::Status::NotFound(std::string(path));
  if ((st.st_mode & S_IWUSR) != 0) return base::Status::Ok();  // writable already
  if (::chmod(host->c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) {
    return base::Status::FromErrno(errno, "change the attributes of " + std::string(path));
  }
  return base::Status::Ok();
}

base::Status PrefixPlatform::DeleteFileA(std::string_view path) {
  base::Result<WindowsPath> parsed = ParseForWrite(path);
  if (!parsed.ok()) return parsed.status();
  bool exists = false;
  base::Result<std::string> host = ResolveParsed(*parsed, &exists);
  if (!host.ok()) return host.status();
  if (!exists) return base::Status::NotFound(std::string(path));
  struct stat st;
  if (::lstat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return base::Status::Refused("is a directory: " + std::string(path));
  }
  if (::unlink(host->c_str()) != 0)
    return base::Status::FromErrno(errno, "delete " + std::string(path));
  return base::Status::Ok();
}

base::Status PrefixPlatform::MoveFileExA(std::string_view from, std::string_view to) {
  bool from_exists = false, to_exists = false;
  base::Result<std::string> src = ResolveFileToWrite(from, &from_exists);
  if (!src.ok()) return src.status();
  if (!from_exists) return base::Status::NotFound("no such file: " + std::string(from));
  base::Result<std::string> dst = ResolveFileToWrite(to, &to_exists);
  if (!dst.ok()) return dst.status();
  struct stat st;
  if (to_exists && ::lstat(dst->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return base::Status::Refused("is a directory: " + std::string(to));
  }
  // rename() replaces in one step, whatever the old file's mode.
  if (::rename(src->c_str(), dst->c_str()) != 0) {
    return base::Status::FromErrno(errno, "rename " + std::string(from) + " to " + std::string(to));
  }
  if (!to_exists) NoteCreated(*dst);
  return base::Status::Ok();
}

base::Status PrefixPlatform::CreateDirectoryA(std::string_view path) {
  base::Result<WindowsPath> parsed = Parse(path);
  if (!parsed.ok()) return parsed.status();
  if (OnDisc(*parsed)) {
    if (FindOnDisc(*parsed).ok()) return base::Status::AlreadyExists(std::string(path));
    return ParseForWrite(parsed->ToString()).status();
  }
  bool exists = false;
  base::Result<std::string> host = ResolveParsed(*parsed, &exists);
  if (!host.ok()) return host.status();
  if (exists) return base::Status::AlreadyExists(std::string(path));
  if (HasWildcards(parsed->parts.back())) {
    return base::Status::Refused("not a directory name: " + std::string(path));
  }
  if (drives_.IsMedium(parsed->drive)) return ParseForWrite(parsed->ToString()).status();
  if (::mkdir(host->c_str(), 0777) != 0) {
    return base::Status::FromErrno(errno, "create the directory " + std::string(path));
  }
  NoteCreated(*host);
  return base::Status::Ok();
}

base::Result<FileInfo> PrefixPlatform::GetFileInfo(std::string_view path) {
  bool exists = false;
  KnownStat known;
  base::Result<WindowsPath> parsed = Parse(path);
  if (!parsed.ok()) return parsed.status();
  if (OnDisc(*parsed)) {
    base::Result<DiscEntry> entry = FindOnDisc(*parsed);
    if (!entry.ok()) return base::Status::NotFound(std::string(path));
    FileInfo info;
    info.is_directory = entry->is_directory;
    info.is_read_only = true;
    info.size = entry->size;
    info.volume_id = kDiscVolumeId;
    info.file_id = entry->lsn;
    return info;
  }
  base::Result<std::string> host = ResolveParsed(*parsed, &exists, &known);
  if (!host.ok()) return host.status();
  struct stat st;
  if (!exists || !StatOf(*host, known, &st)) return base::Status::NotFound(std::string(path));
  FileInfo info;
  info.is_directory = S_ISDIR(st.st_mode);
  info.is_read_only = (st.st_mode & S_IWUSR) == 0;
  info.size = static_cast<std::uint64_t>(st.st_size);
  info.volume_id = static_cast<std::uint64_t>(st.st_dev);
  info.file_id = static_cast<std::uint64_t>(st.st_ino);
  std::size_t slash = host->rfind('/');
  info.is_hidden = IsHiddenName(host->substr(slash + 1));
  return info;
}

std::string PrefixPlatform::GetCurrentDirectoryA() {
  return cwd_.ToString();
}

base::Status PrefixPlatform::SetCurrentDirectoryA(std::string_view path) {
  base::Result<WindowsPath> parsed = Parse(path);
  if (!parsed.ok()) return parsed.status();
  if (OnDisc(*parsed)) {
    base::Result<DiscEntry> entry = FindOnDisc(*parsed);
    if (!entry.ok() || !entry->is_directory) {
      return base::Status::NotFound("no such directory: " + std::string(path));
    }
    cwd_ = std::move(parsed).value();
    return base::Status::Ok();
  }
  bool exists = false;
  base::Result<std::string> host = ResolveParsed(*parsed, &exists);
  if (!host.ok()) return host.status();
  struct stat st;
  if (!exists || !StatPath(*host, &st) || !S_ISDIR(st.st_mode)) {
    return base::Status::NotFound("no such directory: " + std::string(path));
  }
  cwd_ = std::move(parsed).value();
  return base::Status::Ok();
}

std::string PrefixPlatform::GetModuleFileNameA() {
  WindowsPath module;
  module.drive = drives_.medium().value_or('d');
  module.parts.push_back(ToAnsiIn(module, options_.program_name));
  return module.ToString();
}

base::Result<std::vector<FindData>> PrefixPlatform::FindFiles(std::string_view pattern,
                                                              std::size_t max_entries) {
  base::Result<WindowsPath> parsed = Parse(pattern);
  if (!parsed.ok()) return parsed.status();
  if (parsed->IsRoot()) return base::Status::NotFound("nothing matches " + std::string(pattern));
  WindowsPath dir = *parsed;
  std::string last = dir.parts.back();
  dir.parts.pop_back();
  // The folder's names in UTF-8, and whether each is a folder.
  std::vector<std::pair<std::string, bool>> listed;
  if (OnDisc(dir)) {
    base::Result<std::vector<DiscEntry>> entries = ListOnDisc(dir);
    if (!entries.ok()) return base::Status::NotFound("no such directory: " + dir.ToString());
    for (const DiscEntry& entry : *entries) listed.emplace_back(entry.name, entry.is_directory);
  } else {
    bool exists = false;
    base::Result<std::string> host = ResolveParsed(dir, &exists);
    if (!host.ok()) return host.status();
    if (!exists) return base::Status::NotFound("no such directory: " + dir.ToString());
    DIR* d = ::opendir(host->c_str());
    if (d == nullptr) return base::Status::FromErrno(errno, "list " + dir.ToString());
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      struct stat st;
      bool is_dir = StatPath(*host + "/" + name, &st) && S_ISDIR(st.st_mode);
      listed.emplace_back(std::move(name), is_dir);
    }
    ::closedir(d);
  }

  const CodePage& names_page = CodePageOf(dir, dir.parts.size());
  std::u32string want = FoldedCodePoints(names_page.ToUtf8(last == "*.*" ? "*" : last));
  std::vector<FindData> found;
  auto consider = [&](const std::string& host_name, bool is_dir) {
    std::string ansi = names_page.FromUtf8(host_name);
    // A name the code page cannot hold, or one with a Windows separator,
    // could not be opened again by the name we would give back.
    if (ansi.find('\\') != std::string::npos || names_page.ToUtf8(ansi) != host_name) return;
    if (!WildcardMatch(want, FoldedCodePoints(host_name))) return;
    found.push_back({ansi, is_dir, IsHiddenName(host_name)});
  };
  if (!dir.IsRoot()) {
    consider(".", true);
    consider("..", true);
  }
  std::size_t fixed = found.size();
  for (const auto& [name, is_dir] : listed) consider(name, is_dir);
  // The host lists in no particular order; Windows file systems list by name.
  std::sort(found.begin() + static_cast<std::ptrdiff_t>(fixed), found.end(),
            [](const FindData& a, const FindData& b) {
              return FoldedCodePoints(a.name) < FoldedCodePoints(b.name);
            });
  if (found.size() > max_entries) found.resize(max_entries);
  if (found.empty()) return base::Status::NotFound("nothing matches " + std::string(pattern));
  return found;
}

base::Result<FilePtr> PrefixPlatform::OpenFile(std::string_view path, const char* mode) {
  const bool writes = std::string_view(mode).find_first_of("wa+") != std::string_view::npos;
  base::Result<WindowsPath> parsed = writes ? ParseForWrite(path) : Parse(path);
  if (!parsed.ok()) return parsed.status();
  if (parsed->IsRoot() || HasWildcards(parsed->parts.back())) {
    return base::Status::Refused("not a file name: " + std::string(path));
  }
  if (!writes && OnDisc(*parsed)) {
    base::Result<DiscEntry> file = FindOnDisc(*parsed);
    if (!file.ok()) return file.status().WithContext("open " + std::string(path));
    return disc_->OpenStream(*file);
  }
  bool exists = false;
  KnownStat known;
  base::Result<std::string> host = ResolveParsed(*parsed, &exists, &known);
  if (!host.ok()) return host.status();
  if (!writes) {
    if (base::Status inside = CheckInsideMedium(*parsed, *host, known); !inside.ok()) return inside;
    // Only a regular file is read: a pipe would hang, a device never end.
    base::Result<int> fd = OpenRegularHostFile(*host);
    if (!fd.ok()) return fd.status().WithContext("open " + std::string(path));
    FilePtr f(::fdopen(*fd, mode));
    if (!f) {
      ::close(*fd);
      return base::Status::FromErrno(errno, "open " + std::string(path));
    }
    return f;
  }
  FilePtr f(std::fopen(host->c_str(), mode));
  if (!f) return base::Status::FromErrno(errno, "open " + std::string(path));
  if (!exists) NoteCreated(*host);
  return f;
}

base::Result<std::string> PrefixPlatform::HostPath(std::string_view path) {
  return Resolve(path);
}

}  // namespace cdsetup::platform
