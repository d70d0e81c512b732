#include "copy/sound_archive_reader.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "base/ascii.h"
#include "base/byte_order.h"

namespace cdsetup::copy {

using base::Result;
using base::Status;

base::Status CheckEntryName(std::string_view name) {
  if (name.empty()) return base::Status::Refused("an archive entry has no name");
  if (name == "." || name == "..")
    return base::Status::Refused("unsafe entry name " + std::string(name));
  if (name.size() >= 2 && name[1] == ':') {
    return base::Status::Refused("entry name with a drive: " + std::string(name));
  }
  if (base::EqualsIgnoreCaseAscii(name.substr(0, kTempPrefix.size()), kTempPrefix)) {
    return base::Status::Refused("entry name of the installer's temporary files: " +
                                 std::string(name));
  }
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '/')
      return base::Status::Refused("entry name with a directory: " + std::string(name));
    if (u < 0x20 || u == 0x7F) return base::Status::Refused("entry name with a control character");
  }
  return base::Status::Ok();
}

base::Result<std::uint64_t> SoundArchiveReader::MeasureSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0)
    return base::Status::FromErrno(errno, "seek in the archive");
  long end = std::ftell(file);
  if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
    return base::Status::FromErrno(errno, "seek in the archive");
  }
  return static_cast<std::uint64_t>(end);
}

base::Result<ArchiveEntry> SoundArchiveReader::ReadHeader() {
  if (broken_ || pending_span_ != 0) return base::Status::Corrupt("archive read out of order");
  auto fail = [this](std::string why) {
    broken_ = true;
    return base::Status::Corrupt(std::move(why));
  };
  std::uint64_t left = size_ - consumed_;
  if (left < kEntryHeaderSize) return fail("archive entry header cut short");
  unsigned char header[kEntryHeaderSize];
  if (std::fread(header, 1, sizeof header, file_) != sizeof header) {
    return fail("archive entry header cut short");
  }
  ArchiveEntry entry;
  entry.kind = base::LoadLe32(header);
  entry.data_length = base::LoadLe32(header + 4);
  std::uint32_t name_length = base::LoadLe32(header + 8);
  if (name_length > kMaxEntryName) return fail("archive entry name too long");
  if (kEntryHeaderSize + name_length + std::uint64_t{entry.data_length} > left) {
    return fail("archive entry runs past the end of the archive");
  }
  entry.name.resize(name_length);
  if (std::fread(entry.name.data(), 1, name_length, file_) != name_length) {
    return fail("archive entry name cut short");
  }
  pending_ = entry.data_length;
  pending_span_ = entry.Span();
  return entry;
}

base::Status SoundArchiveReader::CopyData(std::FILE* out) {
  if (broken_ || pending_span_ == 0) return base::Status::Corrupt("no archive entry to copy");
  std::unique_ptr<char[]> piece(new char[kPieceSize]);
  while (pending_ > 0) {
    std::size_t want = pending_ < kPieceSize ? static_cast<std::size_t>(pending_) : kPieceSize;
    std::size_t got = std::fread(piece.get(), 1, want, file_);
    if (got != want) {
      broken_ = true;
      return base::Status::IoError("read error in the archive");
    }
    if (out != nullptr && std::fwrite(piece.get(), 1, got, out) != got) {
      broken_ = true;
      return base::Status::IoError("write failed (is the disk full?)");
    }
    pending_ -= got;
  }
  consumed_ += pending_span_;
  pending_span_ = 0;
  return base::Status::Ok();
}

base::Status SoundArchiveReader::SkipData() {
  return CopyData(nullptr);
}

base::Status SoundArchiveReader::SkipDataKeepingEnds(std::size_t each, std::string& head,
                                                     std::string& tail) {
  if (broken_ || pending_span_ == 0) return base::Status::Corrupt("no archive entry to read");
  head.clear();
  tail.clear();
  auto read = [this](std::string& into, std::uint64_t n) {
    into.resize(static_cast<std::size_t>(n));
    if (std::fread(into.data(), 1, into.size(), file_) != into.size()) {
      broken_ = true;
      return false;
    }
    pending_ -= n;
    return true;
  };
  if (pending_ <= 2 * std::uint64_t{each}) {
    if (!read(head, pending_)) return base::Status::IoError("read error in the archive");
  } else {
    if (!read(head, each)) return base::Status::IoError("read error in the archive");
    // In steps a 32-bit long holds.
    for (std::uint64_t middle = pending_ - each; middle > 0;) {
      const std::uint64_t step = std::min<std::uint64_t>(middle, 1u << 30);
      if (std::fseek(file_, static_cast<long>(step), SEEK_CUR) != 0) {
        broken_ = true;
        return base::Status::IoError("read error in the archive");
      }
      middle -= step;
      pending_ -= step;
    }
    if (!read(tail, each)) return base::Status::IoError("read error in the archive");
  }
  consumed_ += pending_span_;
  pending_span_ = 0;
  return base::Status::Ok();
}

}  // namespace cdsetup::copy
