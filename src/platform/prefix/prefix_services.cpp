// The registry, drive, locale, process and shell-link groups of the prefix
// platform.
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "base/ascii.h"
#include "base/limits.h"
#include "base/utf8.h"
#include "platform/prefix/drive_info.h"
#include "platform/prefix/host_file.h"
#include "platform/prefix/locale_table.h"
#include "platform/prefix/prefix_layout.h"
#include "platform/prefix/prefix_platform.h"
#include "platform/prefix/program_icon.h"
#include "platform/prefix/shell_link.h"
#include "platform/prefix/utf16.h"
#include "platform/prefix/wineserver_probe.h"

namespace cdsetup::platform {
namespace {

// A link file's path, like every path the shell takes, fits in MAX_PATH.
// Link files are a few hundred bytes; this is far above any real one.
constexpr std::uint64_t kMaxLinkFile = 1u << 20;
// A program is searched for its icon only up to this size; a larger one's
// link is made without.
constexpr std::uint64_t kMaxIconSearch = 256u << 20;

}  // namespace

std::optional<DriveType> PrefixPlatform::ConfiguredDriveType(char letter) {
  base::Result<const RegistryDocument*> doc = registry_->Document(RegRoot::kLocalMachine);
  if (!doc.ok()) return std::nullopt;
  const char16_t name[] = {static_cast<char16_t>(letter), u':', 0};
  std::optional<RegistryValue> value = (*doc)->GetValue(u"Software\\Wine\\Drives", name);
  std::optional<std::u16string> text = value ? value->Text() : std::nullopt;
  if (!text) return std::nullopt;
  // The names Wine's own configuration writes there.
  std::string type = base::ToLowerAscii(Utf16ToUtf8(*text));
  if (type == "cdrom") return DriveType::kCdRom;
  if (type == "floppy") return DriveType::kRemovable;
  if (type == "hd") return DriveType::kFixed;
  if (type == "network") return DriveType::kRemote;
  if (type == "ramdisk") return DriveType::kRamDisk;
  return std::nullopt;
}

void PrefixPlatform::InitLocale() {
  runner_ =
      options_.runner ? options_.runner : std::make_shared<PosixProcessRunner>(options_.aside_fd);
  std::string locale = options_.locale.empty() ? LocaleFromEnvironment() : options_.locale;
  WindowsLocale windows = LookUpWindowsLocale(locale);
  language_id_ = FormatLanguageId(windows.language_id);
  const int names = options_.code_page ? options_.code_page : windows.ansi_code_page;
  name_code_page_ = std::make_unique<CodePage>(names);
  text_code_page_ = std::make_unique<CodePage>(names);
}

void PrefixPlatform::UseTextCodePage(int code_page) {
  if (code_page == 0) code_page = name_code_page_->number();
  if (code_page == text_code_page_->number()) return;
  auto next = std::make_unique<CodePage>(code_page);
  if (drives_.IsMedium(cwd_.drive)) {
    for (std::string& part : cwd_.parts) part = next->FromUtf8(text_code_page_->ToUtf8(part));
  }
  text_code_page_ = std::move(next);
}

base::Result<std::string> PrefixPlatform::Recode(std::string_view text, int from, int to) {
  // The run's two code pages are kept open; others are opened for the call.
  auto open = [this](int number, std::optional<CodePage>& made) -> const CodePage& {
    if (number == text_code_page_->number()) return *text_code_page_;
    if (number == name_code_page_->number()) return *name_code_page_;
    return made.emplace(number);
  };
  std::optional<CodePage> made_from, made_to;
  const CodePage& source = open(from, made_from);
  const CodePage& target = open(to, made_to);
  const std::string utf8 = source.ToUtf8(text);
  std::string recoded = target.FromUtf8(utf8);
  if (target.ToUtf8(recoded) == utf8) return recoded;
  // The first letter that does not come back, named as the text has it.
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    base::DecodeUtf8At(utf8, i);
    const std::string letter = utf8.substr(start, i - start);
    if (target.ToUtf8(target.FromUtf8(letter)) != letter) {
      // A text in UTF-8 is read as such: its letter is too.
      const bool utf8_text = !IsAscii(text) && IsValidUtf8(text);
      return NameLacksLetter(text, utf8_text ? letter : source.FromUtf8(letter), target.number());
    }
  }
  return NameLacksLetter(text, text, target.number());
}

base::Status PrefixPlatform::RegSetTextValueA(RegKey key, std::string_view name,
                                              std::string_view text) {
  return registry_->Set(key, name, text, text_code_page_.get());
}

int PrefixPlatform::LanguageCodePage(std::string_view language_id) {
  std::uint16_t id = 0;
  const char* end = language_id.data() + language_id.size();
  auto [stop, error] = std::from_chars(language_id.data(), end, id, 16);
  if (language_id.size() != 4 || error != std::errc() || stop != end) return 0;
  return AnsiCodePageOf(id);
}

std::size_t PrefixPlatform::FindInvalidByte(std::string_view text, int code_page) {
  if (code_page == name_code_page_->number()) return name_code_page_->FindInvalidByte(text);
  return CodePage(code_page).FindInvalidByte(text);
}

void PrefixPlatform::CompleteShellFolders() {
  // A prefix whose user.reg lacks the value (a bare drive_c made by hand)
  // would have the Start-menu folder made from the root of the current drive.
  const char kShellFolders[] =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  base::Result<RegKey> key = registry_->Open(RegRoot::kCurrentUser, kShellFolders);
  if (key.ok()) {
    const bool known = registry_->Query(*key, "Programs").ok();
    registry_->Close(*key);
    if (known) return;
  }
  if (!registry_->Writable().ok()) return;  // Wine's server keeps it; the run stops on that
  key = registry_->Create(RegRoot::kCurrentUser, kShellFolders);
  if (!key.ok()) return;
  if (registry_->Set(*key, "Programs", ProgramsFolderFor(ToAnsi(options_.user))).ok()) {
    prefix_note_ +=
        (prefix_note_.empty() ? "" : "; ") + std::string("completed the Start-menu folder value");
  }
  registry_->Close(*key);
}

void PrefixPlatform::InitRegistry() {
  std::string root = options_.wineserver_root;
  std::string prefix = options_.prefix_dir;
  // The places are worked out at each question: a server started after us
  // may record a folder in the prefix that was not there before.
  registry_ = std::make_unique<PrefixRegistry>(prefix, *name_code_page_, [prefix, root] {
    return FindWineServer(
        prefix, root.empty() ? DefaultWineServerSearch(prefix) : WineServerSearch{{root}, ""});
  });
}

base::Result<RegKey> PrefixPlatform::RegOpenKeyA(RegRoot root, std::string_view subkey) {
  return registry_->Open(root, subkey);
}
base::Result<RegKey> PrefixPlatform::RegCreateKeyA(RegRoot root, std::string_view subkey) {
  return registry_->Create(root, subkey);
}
base::Result<std::string> PrefixPlatform::RegQueryValueA(RegKey key, std::string_view name) {
  return registry_->Query(key, name);
}
base::Status PrefixPlatform::RegSetValueA(RegKey key, std::string_view name,
                                          std::string_view value) {
  return registry_->Set(key, name, value);
}
base::Status PrefixPlatform::RegDeleteValueA(RegKey key, std::string_view name) {
  return registry_->Delete(key, name);
}
void PrefixPlatform::RegCloseKey(RegKey key) {
  registry_->Close(key);
}
base::Status PrefixPlatform::RegistryWritable() {
  return registry_->Writable();
}

std::optional<std::string> PrefixPlatform::DriveRoot(std::string_view root) const {
  if (root.size() < 2 || root[1] != ':') return std::nullopt;
  const std::string* target = drives_.Target(root[0]);
  if (disc_ && drives_.IsMedium(root[0])) return *target;  // the image is the disc
  struct stat st;
  if (target == nullptr || ::stat(target->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return std::nullopt;  // no link, or a dead one: no medium in the drive
  }
  return *target;
}

DriveType PrefixPlatform::GetDriveTypeA(std::string_view root) {
  std::optional<std::string> host = DriveRoot(root);
  if (!host) return DriveType::kNoRootDir;
  char letter = base::ToLowerAscii(root[0]);
  if (std::optional<DriveType> configured = ConfiguredDriveType(letter)) return *configured;
  if (letter == 'a' || letter == 'b') return DriveType::kRemovable;
  if (drives_.IsMedium(letter)) return DriveType::kCdRom;
  base::Result<std::string> mounts = ReadHostFile(options_.mountinfo_path, 16u << 20);
  if (!mounts.ok()) return DriveType::kFixed;
  std::string real = RealHostPath(*host);
  std::optional<MountEntry> mount = FindMount(*mounts, real.empty() ? *host : real);
  return mount ? DriveTypeForFileSystem(mount->fs_type) : DriveType::kFixed;
}

base::Result<VolumeInfo> PrefixPlatform::GetVolumeInformationA(std::string_view root) {
  std::optional<std::string> host = DriveRoot(root);
  if (!host) return base::Status::NotFound("no medium in drive " + std::string(root));
  VolumeInfo info;
  DriveType type = GetDriveTypeA(root);
  bool cd = type == DriveType::kCdRom;
  const bool image = disc_ && drives_.IsMedium(root[0]);
  if (image) info.name = ToAnsi(disc_->volume_id());
  base::Result<std::string> mounts =
      image ? base::Result<std::string>(base::Status::NotFound("an image"))
            : ReadHostFile(options_.mountinfo_path, 16u << 20);
  if (mounts.ok()) {
    std::string real = RealHostPath(*host);
    if (auto mount = FindMount(*mounts, real.empty() ? *host : real)) {
      info.name = ToAnsi(LabelOfDevice(mount->source, options_.by_label_dir));
    }
  }
  if (info.name.empty() && !image) {
    base::Result<std::string> label = ReadHostFile(*host + "/.windows-label", 4096);
    if (label.ok()) {
      std::string text = std::move(label).value();
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      info.name = ToAnsi(text);
    }
  }
  // Case-preserved names and Unicode on disk, read-only on a CD, as Wine says.
  info.file_system_flags = 0x2 | 0x4 | (cd ? 0x80000u : 0u);
  info.file_system_name = cd ? "CDFS" : "NTFS";
  return info;
}

base::Result<DiskSpace> PrefixPlatform::GetDiskFreeSpaceA(std::string_view root) {
  std::optional<std::string> host = DriveRoot(root);
  if (!host) return base::Status::NotFound("no medium in drive " + std::string(root));
  if (disc_ && drives_.IsMedium(root[0])) return DiskSpaceFromBlocks(2048, 0, disc_->size() / 2048);
  struct statvfs st;
  if (::statvfs(host->c_str(), &st) != 0) {
    return base::Status::FromErrno(errno, "free space of " + std::string(root));
  }
  return DiskSpaceFromBlocks(st.f_frsize, st.f_bavail, st.f_blocks);
}

std::string PrefixPlatform::GetSystemLanguageId() {
  return language_id_;
}

std::string PrefixPlatform::GetEnvironmentVariableA(std::string_view name) {
  const char* v = std::getenv(std::string(name).c_str());
  if (base::EqualsIgnoreCaseAscii(name, "WINDIR")) {
    // The prefix's own Windows directory, which Windows always has in the
    // environment. A host value is taken only when it is a Windows path: a
    // host directory or an empty value would send the files elsewhere.
    const bool windows_path =
        v != nullptr && base::IsAsciiAlpha(v[0]) && v[1] == ':' && (v[2] == '\\' || v[2] == '/');
    return windows_path ? ToAnsi(v) : "C:\\windows";
  }
  return v != nullptr ? ToAnsi(v) : std::string();
}

base::Result<int> PrefixPlatform::StartProcess(std::string_view path,
                                               const std::vector<std::string>& args, Wait wait) {
  bool exists = false;
  base::Result<WindowsPath> parsed = Parse(path);
  if (!parsed.ok()) return parsed.status();
  // A program of a CD image runs from a copy of its folder, removed after it.
  std::string scratch;
  base::Result<std::string> host =
      OnDisc(*parsed) ? ProgramFromDisc(*parsed, &scratch) : ResolveParsed(*parsed, &exists);
  if (!host.ok()) return host.status();
  if (!scratch.empty()) exists = true;
  std::vector<std::pair<std::string, std::string>> env = {{"WINEPREFIX", options_.prefix_dir}};
  std::vector<std::string> argv;
  std::size_t slash = host->rfind('/');
  const std::string program = base::ToLowerAscii(host->substr(slash + 1));
  if (!exists) {
    // A prefix without Wine's explorer still shows the folder, in the host's
    // file manager.
    if (program != "explorer.exe" || args.empty()) {
      return base::Status::NotFound("no such program: " + std::string(path));
    }
    base::Result<std::string> folder = Resolve(args.back());
    if (!folder.ok()) return folder.status();
    argv = {"xdg-open", *folder};
  } else {
    char magic[2] = {0, 0};
    if (base::Result<FilePtr> f = OpenFile(path, "rb"); f.ok()) {
      if (std::fread(magic, 1, 2, f->get()) != 2) magic[0] = 0;
    }
    if (magic[0] == 'M' && magic[1] == 'Z') {
      if (!runner_->HasProgram("wine")) {
        return base::Status::NotFound("cannot start " + std::string(path) +
                                      ": wine is not installed");
      }
      argv = {"wine", *host};
    } else if (::access(host->c_str(), X_OK) == 0) {
      argv = {*host};
    } else if (magic[0] == '#' && magic[1] == '!') {
      argv = {"/bin/sh", *host};  // a script from a medium that keeps no x bits
    } else {
      return base::Status::Refused("not a program: " + std::string(path));
    }
    // Host programs, wine among them, take their arguments in UTF-8.
    for (const std::string& arg : args) argv.push_back(name_code_page_->ToUtf8(arg));
  }
  if (argv[0] == "wine") (wait == Wait::kYes ? ran_wine_ : left_wine_running_) = true;
  base::Result<int> ran = runner_->Run(argv, env, wait, Output::kAside);
  if (!scratch.empty() && wait == Wait::kYes) RemoveHostTree(scratch);
  return ran;
}

base::Status PrefixPlatform::WriteShellLink(std::string_view link_path,
                                            const ShellLinkSpec& wanted) {
  base::Result<WindowsPath> parsed = ParseForWrite(link_path);
  if (!parsed.ok()) return parsed.status();
  if (parsed->IsRoot() || HasWildcards(parsed->parts.back())) {
    return base::Status::Refused("not a file name: " + std::string(link_path));
  }
  if (parsed->ToString().size() > base::kMaxPath) {
    return base::Status::Refused("a link path longer than 259 characters: " +
                                 std::string(link_path));
  }
  WindowsPath folder = *parsed;
  folder.parts.pop_back();
  bool folder_exists = false;
  base::Result<std::string> host_folder = ResolveParsed(folder, &folder_exists);
  struct stat st;
  if (!host_folder.ok() || !folder_exists || ::stat(host_folder->c_str(), &st) != 0 ||
      !S_ISDIR(st.st_mode)) {
    return base::Status::NotFound("no folder for the link " + std::string(link_path));
  }
  bool exists = false;
  base::Result<std::string> host = ResolveParsed(*parsed, &exists);
  if (!host.ok()) return host.status();
  if (exists && ::stat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return base::Status::Refused("a folder has the link's name: " + std::string(link_path));
  }

  base::Result<WindowsPath> target = Parse(wanted.target);
  if (!target.ok()) return target.status().WithContext("link target");
  ShellLink link;
  link.target = Utf8Of(*target);
  if (!wanted.working_directory.empty()) {
    base::Result<WindowsPath> work = Parse(wanted.working_directory);
    if (!work.ok()) return work.status().WithContext("link working directory");
    link.working_directory = Utf8Of(*work);
  }
  link.arguments = name_code_page_->ToUtf8(wanted.arguments);
  link.description = text_code_page_->ToUtf8(wanted.description);
  bool target_exists = false;
  base::Result<std::string> host_target = ResolveParsed(*target, &target_exists);
  if (host_target.ok() && target_exists && ::stat(host_target->c_str(), &st) == 0) {
    // What Windows records of the target, so that a moved one can be found.
    link.file_attributes = S_ISDIR(st.st_mode) ? 0x10u : 0x20u;
    if ((st.st_mode & S_IWUSR) == 0) link.file_attributes |= 0x1u;
    link.file_size = static_cast<std::uint32_t>(st.st_size);
    link.write_time = (static_cast<std::uint64_t>(st.st_mtim.tv_sec) + 11644473600ull) * 10000000u +
                      static_cast<std::uint64_t>(st.st_mtim.tv_nsec) / 100u;
    // A game whose program holds an icon gets it on its link, and through
    // the link in the desktop's menu.
    if (S_ISREG(st.st_mode)) {
      base::Result<std::string> image = ReadHostFile(*host_target, kMaxIconSearch);
      if (image.ok() && HasProgramIcon(*image)) link.icon_location = link.target;
    }
  }
  base::Result<std::string> bytes = EncodeShellLink(link, *name_code_page_);
  RemoveStaleTemporariesOf(*host);  // of an earlier run killed while it wrote
  if (!bytes.ok()) return bytes.status();
  base::Status saved =
      WriteHostFileAtomically(*host, *bytes).WithContext("save the link " + std::string(link_path));
  // Each file once, however its name was spelt.
  if (saved.ok() && std::none_of(links_.begin(), links_.end(),
                                 [&](const auto& known) { return known.first == *host; })) {
    links_.emplace_back(*host, Utf8Of(*parsed));
  }
  return saved;
}

std::vector<std::string> PrefixPlatform::MakeMenuEntries() {
  std::vector<std::string> lines;
  if (links_.empty()) return lines;
  if (!runner_->HasProgram("wine")) {
    lines.push_back("no menu entries for the links: wine is not installed");
    return lines;
  }
  ran_wine_ = true;
  for (const auto& [host, link] : links_) {
    // Wine's own notices (a first start updating the prefix, its debug
    // lines) would land on the person's terminal after the closing words.
    base::Result<int> ran =
        runner_->Run({"wine", "winemenubuilder", link}, {{"WINEPREFIX", options_.prefix_dir}},
                     Wait::kYes, Output::kAside);
    if (!ran.ok()) {
      lines.push_back("no menu entry for " + link + ": " + ran.status().ToString());
    } else if (*ran != 0) {
      lines.push_back("no menu entry for " + link + ": winemenubuilder ended with status " +
                      std::to_string(*ran));
    } else {
      lines.push_back("menu entry for " + link);
    }
  }
  links_.clear();
  return lines;
}

std::string PrefixPlatform::WaitForOwnWine() {
  // A program started and not waited for (the Start-menu folder, open on
  // the desktop) keeps the server for as long as the person wants it.
  if (!ran_wine_ || left_wine_running_) return std::string();
  const std::string root = options_.wineserver_root;
  const std::string& prefix = options_.prefix_dir;
  if (!FindWineServer(
          prefix, root.empty() ? DefaultWineServerSearch(prefix) : WineServerSearch{{root}, ""})) {
    return std::string();
  }
  base::Result<int> waited =
      runner_->Run({"wineserver", "-w"}, {{"WINEPREFIX", prefix}}, Wait::kYes, Output::kAside);
  ran_wine_ = false;
  return waited.ok() ? "waited for the Wine server of the prefix to end"
                     : "cannot wait for the Wine server: " + waited.status().ToString();
}

base::Result<ShellLinkSpec> PrefixPlatform::ReadShellLink(std::string_view link_path) {
  bool exists = false;
  base::Result<std::string> host = Resolve(link_path, &exists);
  if (!host.ok()) return host.status();
  if (!exists) return base::Status::NotFound("no link " + std::string(link_path));
  base::Result<std::string> bytes = ReadHostFile(*host, kMaxLinkFile);
  if (!bytes.ok()) return bytes.status();
  base::Result<ShellLink> link = DecodeShellLink(*bytes, *name_code_page_);
  if (!link.ok()) return link.status().WithContext(std::string(link_path));
  ShellLinkSpec fields;
  fields.target = ToAnsi(link->target);
  fields.working_directory = ToAnsi(link->working_directory);
  fields.description = text_code_page_->FromUtf8(link->description);
  fields.arguments = ToAnsi(link->arguments);
  return fields;
}

}  // namespace cdsetup::platform
