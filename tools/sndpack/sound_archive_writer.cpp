#include "sndpack/sound_archive_writer.h"

#include <cerrno>
#include <vector>

namespace cdsetup::sndpack {

using base::Status;

namespace {

void PutLe32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool EndsWithIgnoreCase(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    char c = s[s.size() - suffix.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != suffix[i]) return false;
  }
  return true;
}

base::Status WriteBytes(std::FILE* f, std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    return base::Status::IoError("cannot write the archive");
  }
  return base::Status::Ok();
}

base::Status CheckSizes(std::string_view name, std::uint64_t data_length) {
  if (name.size() > 259) return base::Status::Refused("entry name longer than 259 characters");
  if (data_length > 0xFFFFFFFFull) return base::Status::Refused("entry data of 4 GiB or more");
  return base::Status::Ok();
}

}  // namespace

std::uint32_t KindForName(std::string_view name) {
  if (EndsWithIgnoreCase(name, ".ogg")) return 0;
  if (EndsWithIgnoreCase(name, ".spx")) return 1;
  return 2;
}

std::string RawHeader(std::uint32_t kind, std::uint32_t data_length, std::uint32_t name_length) {
  std::string out;
  PutLe32(out, kind);
  PutLe32(out, data_length);
  PutLe32(out, name_length);
  return out;
}

std::string EntryBytes(std::uint32_t kind, std::string_view name, std::string_view data) {
  std::string out = RawHeader(kind, static_cast<std::uint32_t>(data.size()),
                              static_cast<std::uint32_t>(name.size()));
  out += name;
  out += data;
  return out;
}

base::Status AppendEntry(std::FILE* archive, std::uint32_t kind, std::string_view name,
                         std::string_view data) {
  base::Status s = CheckSizes(name, data.size());
  if (!s.ok()) return s;
  return WriteBytes(archive, EntryBytes(kind, name, data));
}

base::Status AppendFile(std::FILE* archive, std::uint32_t kind, std::string_view name,
                        const std::string& path) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return base::Status::FromErrno(errno, "open " + path);
  std::uint64_t size = 0;
  if (std::fseek(in, 0, SEEK_END) == 0) size = static_cast<std::uint64_t>(std::ftell(in));
  std::rewind(in);
  base::Status s = CheckSizes(name, size);
  if (s.ok()) {
    std::string header =
        RawHeader(kind, static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(name.size()));
    header += name;
    s = WriteBytes(archive, header);
  }
  std::vector<char> buf(1 << 16);
  std::uint64_t left = size;
  while (s.ok() && left > 0) {
    std::size_t want = left < buf.size() ? static_cast<std::size_t>(left) : buf.size();
    std::size_t got = std::fread(buf.data(), 1, want, in);
    if (got != want) s = base::Status::IoError("read error in " + path);
    if (s.ok()) s = WriteBytes(archive, std::string_view(buf.data(), got));
    left -= got;
  }
  std::fclose(in);
  return s;
}

}  // namespace cdsetup::sndpack
