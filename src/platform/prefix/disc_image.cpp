#include "platform/prefix/disc_image.h"

#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/ascii.h"
#include "platform/prefix/code_page.h"
#include "platform/prefix/host_file.h"

namespace cdsetup::platform {
namespace {

constexpr std::size_t kSector = ISO_BLOCKSIZE;
// The most sectors one read asks for: large enough that the library's
// per-call cost vanishes, small enough for the stack of a stream's buffer.
constexpr std::uint32_t kMostSectorsPerRead = 512;

// The library reports what it dislikes on standard error; our callers get
// every failure as a result, and the person's terminal stays clean.
void QuietLog(cdio_log_level_t, const char[]) {}

void SilenceLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { cdio_log_set_handler(QuietLog); });
}

// The largest folder read: a CD's folder of ten thousand files takes half a
// megabyte; a damaged record can claim four gigabytes.
constexpr std::uint64_t kMostFolderBytes = 16u << 20;

// Whether the System Use entries of a directory record (Rock Ridge's) lie
// within it, each as long as the fields the library reads of it: it trusts
// their lengths, and a damaged one would have it read past its buffer.
bool SystemUseIsSound(const unsigned char* area, std::size_t size) {
  while (size > 1) {
    if (size < 4) return false;
    const std::size_t length = area[2];
    if (length == 0) return true;  // the library stops there
    if (length < 4 || length > size) return false;
    std::size_t least = 4;
    const auto sig = [&](unsigned char a, unsigned char b) { return area[0] == a && area[1] == b; };
    if (sig('N', 'M')) least = 5;
    if (sig('S', 'P')) least = 7;
    if (sig('P', 'N')) least = 20;
    if (sig('C', 'E')) least = 28;
    if (sig('P', 'X')) least = 36;
    if (sig('E', 'R')) least = length >= 5 ? 8 + std::size_t{area[4]} : 8;
    if (sig('T', 'F') && length >= 5) {
      const bool long_form = (area[4] & 0x80) != 0;
      least =
          5 + static_cast<std::size_t>(__builtin_popcount(area[4] & 0x7F)) * (long_form ? 17 : 7);
    }
    if (length < least) return false;
    if (sig('S', 'L')) {
      if (length < 5) return false;
      std::size_t at = 5;
      while (length - at > 1) {
        if (at + 2 + area[at + 1] > length) return false;
        at += 2 + area[at + 1];
      }
    }
    area += length;
    size -= length;
  }
  return true;
}

// Whether every record of a folder's sectors is whole, walked as the
// library walks them: a zero length ends a sector, a record over a sector's
// end is skipped.
bool FolderRecordsAreSound(const std::vector<unsigned char>& sectors) {
  std::size_t offset = 0;
  while (offset < sectors.size()) {
    const std::size_t length = sectors[offset];
    const std::size_t in_sector = offset % kSector;
    if (length == 0 || in_sector + length > kSector) {
      offset += kSector - in_sector;
      continue;
    }
    if (length < 33) return false;
    const std::size_t name = sectors[offset + 32];
    if (33 + name > length) return false;
    std::size_t system_use = 33 + name;
    if (system_use % 2 == 1) ++system_use;
    if (system_use < length &&
        !SystemUseIsSound(sectors.data() + offset + system_use, length - system_use)) {
      return false;
    }
    offset += length;
  }
  return true;
}

// "README.TXT;1" as Windows shows it: "README.TXT"; "NOEXT.;1": "NOEXT".
std::string ShownName(const char* raw, bool plain_iso) {
  std::string name = raw;
  if (!plain_iso) return name;
  if (std::size_t semi = name.rfind(';'); semi != std::string::npos) name.resize(semi);
  if (name.size() > 1 && name.back() == '.') name.pop_back();
  return name;
}

struct ListFreer {
  void operator()(CdioList_t* list) const { iso9660_filelist_free(list); }
};
using ListPtr = std::unique_ptr<CdioList_t, ListFreer>;

}  // namespace

// The library's handle on the image, kept behind one small interface.
class DiscImage::Source {
 public:
  virtual ~Source() = default;
  virtual ListPtr ReadDir(const std::string& raw_path) = 0;
  virtual bool ReadSectors(void* buffer, std::uint32_t lsn, std::uint32_t count) = 0;
  virtual bool ReadPvd(iso9660_pvd_t* pvd) = 0;
  virtual std::string VolumeId() = 0;
  /// The Joliet level of the tree the library reads; 0 for the primary one.
  virtual int JolietLevel() = 0;
};

namespace {

// A CUE sheet is a few lines; anything much larger is no sheet.
constexpr std::size_t kMostCueSheetBytes = 64 * 1024;

std::string DirectoryOfPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

// The file of the sheet's first data track (MODE1 or MODE2, 2048 or 2352
// bytes a sector), which must start that file: the ISO 9660 file system is
// read from it. Its name is relative to the sheet, in any letter case, as
// sheets written on Windows spell it.
base::Result<CueTrack> DataTrackOfCueSheet(const std::string& cue_path) {
  std::FILE* f = std::fopen(cue_path.c_str(), "rb");
  if (f == nullptr) return base::Status::FromErrno(errno, "open the CUE sheet " + cue_path);
  std::string text(kMostCueSheetBytes + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  if (text.size() > kMostCueSheetBytes) {
    return base::Status::Corrupt(cue_path + " is too large to be a CUE sheet");
  }
  std::string file;
  bool file_has_tracks = false;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = base::TrimBlanks(std::string_view(text).substr(at, end - at));
    at = end + 1;
    if (line.size() > 5 && base::EqualsIgnoreCaseAscii(line.substr(0, 5), "FILE ")) {
      std::string_view rest = base::TrimBlanks(line.substr(5));
      std::size_t name_end;
      if (!rest.empty() && rest[0] == '"') {
        name_end = rest.find('"', 1);
        if (name_end == std::string_view::npos) break;
        file = std::string(rest.substr(1, name_end - 1));
      } else {
        name_end = rest.find(' ');
        file = std::string(rest.substr(0, name_end));
      }
      file_has_tracks = false;
    } else if (line.size() > 6 && base::EqualsIgnoreCaseAscii(line.substr(0, 6), "TRACK ")) {
      const std::string mode = base::ToLowerAscii(base::TrimBlanks(line.substr(line.rfind(' '))));
      const bool data = mode.rfind("mode1/", 0) == 0 || mode.rfind("mode2/", 0) == 0;
      if (data && !file.empty() && !file_has_tracks) {
        std::string path = file[0] == '/' ? file : DirectoryOfPath(cue_path) + "/" + file;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 && file[0] != '/') {
          // The sheet's spelling of the name may not be the folder's.
          const std::string folder = DirectoryOfPath(cue_path);
          if (DIR* d = ::opendir(folder.c_str())) {
            while (dirent* e = ::readdir(d)) {
              if (base::EqualsIgnoreCaseAscii(e->d_name, file)) {
                path = folder + "/" + e->d_name;
                break;
              }
            }
            ::closedir(d);
          }
        }
        return CueTrack{path, base::ToUpperAscii(mode)};
      }
      file_has_tracks = true;
    }
  }
  return base::Status::Corrupt(cue_path + " names no data track at the start of a file");
}

namespace {

std::string TakeLibraryString(char* text) {
  std::string s = text != nullptr ? text : "";
  cdio_free(text);
  return s;
}

class IsoSource : public DiscImage::Source {
 public:
  explicit IsoSource(iso9660_t* iso) : iso_(iso) {}
  ~IsoSource() override { iso9660_close(iso_); }
  ListPtr ReadDir(const std::string& raw_path) override {
    return ListPtr(iso9660_ifs_readdir(iso_, raw_path.c_str()));
  }
  bool ReadSectors(void* buffer, std::uint32_t lsn, std::uint32_t count) override {
    const long want = static_cast<long>(count * kSector);
    return iso9660_iso_seek_read(iso_, buffer, static_cast<lsn_t>(lsn), count) == want;
  }
  bool ReadPvd(iso9660_pvd_t* pvd) override { return iso9660_ifs_read_pvd(iso_, pvd); }
  std::string VolumeId() override {
    char* id = nullptr;
    return iso9660_ifs_get_volume_id(iso_, &id) ? TakeLibraryString(id) : std::string();
  }
  int JolietLevel() override { return iso9660_ifs_get_joliet_level(iso_); }

 private:
  iso9660_t* iso_;
};

// A track of raw 2352-byte frames, read through the library's disc driver,
// which takes each sector's data out of its frame. The driver opens only a
// sheet whose track file shares its name, so it is given a sheet of its own
// in a scratch folder, beside a link to the track.
class RawTrackSource : public DiscImage::Source {
 public:
  static std::unique_ptr<RawTrackSource> Open(const std::string& track, const std::string& mode) {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/cdsetup-disc.XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) return nullptr;
    const std::string real = RealHostPath(track);
    const std::string sheet =
        "FILE \"disc.bin\" BINARY\n  TRACK 01 " + mode + "\n    INDEX 01 00:00:00\n";
    CdIo_t* cdio = nullptr;
    if (!real.empty() && ::symlink(real.c_str(), (folder + "/disc.bin").c_str()) == 0 &&
        WriteHostFileAtomically(folder + "/disc.cue", sheet).ok()) {
      cdio = cdio_open_cue((folder + "/disc.cue").c_str());
    }
    if (cdio != nullptr && !iso9660_fs_read_superblock(cdio, ISO_EXTENSION_ALL)) {
      cdio_destroy(cdio);
      cdio = nullptr;
    }
    if (cdio == nullptr) {
      RemoveHostTree(folder);
      return nullptr;
    }
    return std::unique_ptr<RawTrackSource>(new RawTrackSource(cdio, std::move(folder)));
  }
  ~RawTrackSource() override {
    cdio_destroy(cdio_);
    RemoveHostTree(folder_);
  }
  ListPtr ReadDir(const std::string& raw_path) override {
    return ListPtr(iso9660_fs_readdir(cdio_, raw_path.c_str()));
  }
  bool ReadSectors(void* buffer, std::uint32_t lsn, std::uint32_t count) override {
    return cdio_read_data_sectors(cdio_, buffer, static_cast<lsn_t>(lsn), kSector, count) ==
           DRIVER_OP_SUCCESS;
  }
  bool ReadPvd(iso9660_pvd_t* pvd) override { return iso9660_fs_read_pvd(cdio_, pvd); }
  std::string VolumeId() override {
    iso9660_pvd_t pvd;
    return ReadPvd(&pvd) ? TakeLibraryString(iso9660_get_volume_id(&pvd)) : std::string();
  }
  int JolietLevel() override { return cdio_get_joliet_level(cdio_); }

 private:
  RawTrackSource(CdIo_t* cdio, std::string folder) : cdio_(cdio), folder_(std::move(folder)) {}
  CdIo_t* cdio_;
  std::string folder_;
};

// The mode of a track file of raw frames, from its first frame's sync and
// header; "" for a file of 2048-byte sectors.
std::string RawTrackMode(const std::string& path) {
  unsigned char head[16] = {};
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return "";
  const std::size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  static const unsigned char kSync[12] = {0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
  if (got != sizeof head || std::memcmp(head, kSync, sizeof kSync) != 0) return "";
  return head[15] == 2 ? "MODE2/2352" : "MODE1/2352";
}

}  // namespace

bool DiscImage::IsImagePath(const std::string& host_path) {
  struct stat st;
  return ::stat(host_path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode));
}

base::Result<std::unique_ptr<DiscImage>> DiscImage::Open(const std::string& host_path) {
  SilenceLibrary();
  struct stat st;
  if (::stat(host_path.c_str(), &st) != 0) {
    return base::Status::FromErrno(errno, "open the CD image " + host_path);
  }
  CueTrack track{host_path, ""};
  const bool cue =
      host_path.size() > 4 &&
      base::EqualsIgnoreCaseAscii(std::string_view(host_path).substr(host_path.size() - 4), ".cue");
  if (cue) {
    base::Result<CueTrack> sheet = DataTrackOfCueSheet(host_path);
    if (!sheet.ok()) return sheet.status();
    track = std::move(sheet).value();
  } else {
    track.mode = RawTrackMode(host_path);
  }
  std::unique_ptr<Source> source;
  const bool cooked = track.mode.empty() || base::ToLowerAscii(track.mode).ends_with("/2048");
  if (cooked) {
    if (iso9660_t* iso = iso9660_open_ext(track.file.c_str(), ISO_EXTENSION_ALL)) {
      source = std::make_unique<IsoSource>(iso);
    }
  } else {
    source = RawTrackSource::Open(track.file, track.mode);
  }
  if (!source) {
    return base::Status::Corrupt(track.file +
                                 " is no CD image that can be read (no ISO 9660 file system)");
  }
  std::unique_ptr<DiscImage> image(new DiscImage(std::move(source)));
  iso9660_pvd_t pvd;
  if (image->source_->ReadPvd(&pvd)) {
    image->size_ =
        static_cast<std::uint64_t>(std::max(0, iso9660_get_pvd_space_size(&pvd))) * kSector;
  }
  std::string id = image->source_->VolumeId();
  while (!id.empty() && (id.back() == ' ' || id.back() == '\0')) id.pop_back();
  image->volume_id_ = std::move(id);
  if (!image->FindRoot() || image->FolderAt("/", image->root_) == nullptr) {
    return base::Status::Corrupt("the root folder of the CD image " + host_path +
                                 " cannot be read");
  }
  return image;
}

DiscImage::DiscImage(std::unique_ptr<Source> source)
    : source_(std::move(source)), bounce_(kSector) {}
DiscImage::~DiscImage() = default;

bool DiscImage::FindRoot() {
  // The volume descriptors from sector 16 on: the primary one's root, or
  // the Joliet one's where the library reads the Joliet tree.
  const bool joliet = source_->JolietLevel() > 0;
  std::vector<unsigned char> sector(kSector);
  for (std::uint32_t lsn = 16; lsn < 16 + 64; ++lsn) {
    if (!source_->ReadSectors(sector.data(), lsn, 1)) return false;
    if (std::memcmp(sector.data() + 1, "CD001", 5) != 0 || sector[0] == 255) return false;
    const bool escape = sector[88] == '%' && sector[89] == '/' &&
                        (sector[90] == '@' || sector[90] == 'C' || sector[90] == 'E');
    if ((sector[0] == 1 && !joliet) || (sector[0] == 2 && joliet && escape)) {
      const unsigned char* root = sector.data() + 156;
      root_.is_directory = true;
      root_.lsn =
          root[2] | (root[3] << 8) | (root[4] << 16) | (static_cast<std::uint32_t>(root[5]) << 24);
      root_.size = root[10] | (root[11] << 8) | (root[12] << 16) |
                   (static_cast<std::uint32_t>(root[13]) << 24);
      root_.mode = 0555;
      return true;
    }
  }
  return false;
}

const DiscImage::Folder* DiscImage::FolderAt(const std::string& raw_path, const DiscEntry& entry) {
  if (auto known = folders_.find(raw_path); known != folders_.end()) return &known->second;
  // The library trusts the records; they are looked at first.
  if (entry.size == 0 || entry.size > kMostFolderBytes) return nullptr;
  std::vector<unsigned char> sectors((entry.size + kSector - 1) / kSector * kSector);
  if (!source_->ReadSectors(sectors.data(), entry.lsn,
                            static_cast<std::uint32_t>(sectors.size() / kSector)) ||
      !FolderRecordsAreSound(sectors)) {
    return nullptr;
  }
  ListPtr list = source_->ReadDir(raw_path);
  if (!list) return nullptr;
  const bool joliet = source_->JolietLevel() > 0;
  Folder folder;
  CdioListNode_t* node;
  _CDIO_LIST_FOREACH(node, list.get()) {
    const auto* st = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
    if (st == nullptr) continue;
    const std::string raw = st->filename;
    // The records of the folder itself and its parent, and names no path
    // could spell, are no entries.
    if (raw.empty() || raw == "." || raw == ".." || raw.find('/') != std::string::npos ||
        raw.find('\\') != std::string::npos) {
      continue;
    }
    DiscEntry entry;
    const bool rock = st->rr.b3_rock == yep;
    entry.name = ShownName(raw.c_str(), !joliet && !rock);
    if (entry.name.empty()) continue;
    entry.is_directory = st->type == iso9660_stat_s::_STAT_DIR;
    entry.lsn = static_cast<std::uint32_t>(st->lsn);
    entry.size = st->size;
    entry.is_link = rock && S_ISLNK(st->rr.st_mode);
    entry.mode = rock ? (st->rr.st_mode & 0777) : (entry.is_directory ? 0555u : 0444u);
    folder.folded.push_back(FoldedCodePoints(entry.name));
    folder.raw_names.push_back(raw);
    folder.entries.push_back(std::move(entry));
  }
  return &folders_.emplace(raw_path, std::move(folder)).first->second;
}

base::Status DiscImage::Walk(const std::vector<std::string>& parts, DiscEntry* entry,
                             std::string* raw_path) {
  DiscEntry current = root_;
  std::string path = "/";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!current.is_directory) return base::Status::NotFound("no folder " + path + " on the CD");
    const Folder* folder = FolderAt(path, current);
    if (folder == nullptr) {
      return base::Status::IoError("the CD image is damaged: the folder " + path +
                                   " cannot be read");
    }
    const std::u32string want = FoldedCodePoints(parts[i]);
    auto it = std::find(folder->folded.begin(), folder->folded.end(), want);
    if (it == folder->folded.end()) return base::Status::NotFound("no " + parts[i] + " on the CD");
    const auto at = static_cast<std::size_t>(it - folder->folded.begin());
    current = folder->entries[at];
    if (path.back() != '/') path += '/';
    path += folder->raw_names[at];
  }
  *entry = std::move(current);
  *raw_path = std::move(path);
  return base::Status::Ok();
}

base::Result<DiscEntry> DiscImage::Find(const std::vector<std::string>& parts) {
  std::lock_guard<std::mutex> lock(mutex_);
  DiscEntry entry;
  std::string raw;
  if (base::Status walked = Walk(parts, &entry, &raw); !walked.ok()) return walked;
  return entry;
}

base::Result<std::vector<DiscEntry>> DiscImage::List(const std::vector<std::string>& parts) {
  std::lock_guard<std::mutex> lock(mutex_);
  DiscEntry entry;
  std::string raw;
  if (base::Status walked = Walk(parts, &entry, &raw); !walked.ok()) return walked;
  if (!entry.is_directory) return base::Status::NotFound("not a folder: " + raw);
  const Folder* folder = FolderAt(raw, entry);
  if (folder == nullptr) {
    return base::Status::IoError("the CD image is damaged: the folder " + raw + " cannot be read");
  }
  return folder->entries;
}

base::Result<std::size_t> DiscImage::Read(const DiscEntry& file, std::uint64_t offset, void* buffer,
                                          std::size_t size) {
  if (file.is_directory || file.is_link) {
    return base::Status::Refused("not a file: " + file.name);
  }
  if (offset >= file.size) return std::size_t{0};
  size = static_cast<std::size_t>(std::min<std::uint64_t>(size, file.size - offset));
  std::lock_guard<std::mutex> lock(mutex_);
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const std::uint64_t at = offset + done;
    const std::uint64_t sector = file.lsn + at / kSector;
    const std::size_t skip = static_cast<std::size_t>(at % kSector);
    const std::size_t left = size - done;
    if (sector > UINT32_MAX) return base::Status::IoError("the CD image ends before " + file.name);
    bool read = false;
    std::size_t got = 0;
    if (skip == 0 && left >= kSector) {
      // Whole sectors go straight to the caller.
      const auto count =
          static_cast<std::uint32_t>(std::min<std::uint64_t>(left / kSector, kMostSectorsPerRead));
      read = source_->ReadSectors(out + done, static_cast<std::uint32_t>(sector), count);
      got = count * kSector;
    } else {
      read = source_->ReadSectors(bounce_.data(), static_cast<std::uint32_t>(sector), 1);
      got = std::min(left, kSector - skip);
      if (read) std::memcpy(out + done, bounce_.data() + skip, got);
    }
    if (!read) {
      return base::Status::IoError("the CD image is damaged or cut short: " + file.name +
                                   " cannot be read");
    }
    done += got;
  }
  return done;
}

namespace {

struct StreamState {
  DiscImage* image;
  DiscEntry file;
  std::uint64_t position = 0;
};

ssize_t StreamRead(void* cookie, char* buffer, std::size_t size) {
  auto* state = static_cast<StreamState*>(cookie);
  base::Result<std::size_t> got = state->image->Read(state->file, state->position, buffer, size);
  if (!got.ok()) {
    errno = EIO;
    return -1;
  }
  state->position += *got;
  return static_cast<ssize_t>(*got);
}

int StreamSeek(void* cookie, off64_t* offset, int whence) {
  auto* state = static_cast<StreamState*>(cookie);
  std::int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<std::int64_t>(state->position);
  if (whence == SEEK_END) base = static_cast<std::int64_t>(state->file.size);
  const std::int64_t to = base + *offset;
  if (to < 0) {
    errno = EINVAL;
    return -1;
  }
  state->position = static_cast<std::uint64_t>(to);
  *offset = to;
  return 0;
}

int StreamClose(void* cookie) {
  delete static_cast<StreamState*>(cookie);
  return 0;
}

}  // namespace

base::Result<FilePtr> DiscImage::OpenStream(const DiscEntry& file) {
  if (file.is_directory) return base::Status::Refused("is a directory: " + file.name);
  if (file.is_link) return base::Status::Refused("a link on the CD: " + file.name);
  auto* state = new StreamState{this, file};
  cookie_io_functions_t io{StreamRead, nullptr, StreamSeek, StreamClose};
  FilePtr stream(::fopencookie(state, "rb", io));
  if (!stream) {
    delete state;
    return base::Status::FromErrno(errno, "open " + file.name);
  }
  // Sound archives are read in large pieces; whole sectors avoid the bounce.
  std::setvbuf(stream.get(), nullptr, _IOFBF, 64 * kSector);
  return stream;
}

}  // namespace cdsetup::platform
