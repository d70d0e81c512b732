// sndpack: creates, lists and unpacks the installer's sound archives.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "copy/sound_archive_reader.h"
#include "platform/platform.h"
#include "sndpack/sound_archive_writer.h"

namespace {

using cdsetup::platform::FilePtr;
namespace base = cdsetup::base;

int Report(const base::Status& status) {
  std::fprintf(stderr, "sndpack: %s\n", status.message().c_str());
  return 1;
}

FilePtr Open(const std::string& path, const char* mode) {
  return FilePtr(std::fopen(path.c_str(), mode));
}

// Closes with a check: a full disk often shows only when the buffer is flushed.
base::Status CloseWritten(FilePtr file, const std::string& path) {
  if (std::fclose(file.release()) != 0) return base::Status::FromErrno(errno, "write " + path);
  return base::Status::Ok();
}

// ARCHIVE then files, each optionally preceded by --kind N and --name NAME,
// which apply to the next file only.
int Create(const std::vector<std::string>& args) {
  if (args.empty()) return Report(base::Status::Refused("create: no archive named"));
  const std::string& archive_path = args[0];
  struct Item {
    std::string path;
    std::string name;
    long kind = -1;
  };
  std::vector<Item> items;
  Item next;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--kind" || a == "--name") {
      if (i + 1 >= args.size()) return Report(base::Status::Refused(a + " needs a value"));
      const std::string& value = args[++i];
      if (a == "--name") {
        next.name = value;
        continue;
      }
      char* end = nullptr;
      errno = 0;
      unsigned long kind = std::strtoul(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || errno != 0 || kind > 0xFFFFFFFFul || value[0] == '-') {
        return Report(
            base::Status::Refused("--kind takes a number from 0 to 4294967295, not " + value));
      }
      next.kind = static_cast<long>(kind);
      continue;
    }
    if (a.size() > 1 && a[0] == '-' && a != "-") {
      return Report(base::Status::Refused("create: unknown option " + a));
    }
    next.path = a;
    if (next.name.empty()) next.name = std::filesystem::path(a).filename().string();
    items.push_back(next);
    next = Item();
  }
  if (!next.name.empty() || next.kind >= 0) {
    return Report(base::Status::Refused("--kind or --name given without a file after it"));
  }
  if (items.empty()) return Report(base::Status::Refused("create: no files to pack"));
  for (const Item& item : items) {
    if (base::Status safe = cdsetup::copy::CheckEntryName(item.name); !safe.ok())
      return Report(safe);
  }

  FilePtr archive = Open(archive_path, "wb");
  if (!archive) return Report(base::Status::FromErrno(errno, "create " + archive_path));
  for (const Item& item : items) {
    std::uint32_t kind = item.kind >= 0 ? static_cast<std::uint32_t>(item.kind)
                                        : cdsetup::sndpack::KindForName(item.name);
    base::Status s = cdsetup::sndpack::AppendFile(archive.get(), kind, item.name, item.path);
    if (!s.ok()) {
      archive.reset();
      std::remove(archive_path.c_str());
      return Report(s);
    }
  }
  if (base::Status s = CloseWritten(std::move(archive), archive_path); !s.ok()) {
    std::remove(archive_path.c_str());
    return Report(s);
  }
  return 0;
}

// Walks every entry; `each` gets the entry and takes its data (copy or skip).
template <typename Each>
int Walk(const std::string& archive_path, Each each) {
  FilePtr archive = Open(archive_path, "rb");
  if (!archive) return Report(base::Status::FromErrno(errno, "open " + archive_path));
  auto size = cdsetup::copy::SoundArchiveReader::MeasureSize(archive.get());
  if (!size.ok()) return Report(size.status());
  cdsetup::copy::SoundArchiveReader reader(archive.get(), size.value());
  while (!reader.AtEnd()) {
    auto entry = reader.ReadHeader();
    if (!entry.ok()) return Report(entry.status().WithContext(archive_path));
    if (base::Status s = each(reader, entry.value()); !s.ok()) return Report(s);
  }
  return 0;
}

int List(const std::string& archive_path) {
  return Walk(archive_path, [](cdsetup::copy::SoundArchiveReader& reader,
                               const cdsetup::copy::ArchiveEntry& entry) {
    std::printf("%u %u %s\n", entry.kind, entry.data_length, entry.name.c_str());
    return reader.SkipData();
  });
}

int Extract(const std::string& archive_path, const std::string& dir) {
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    return Report(base::Status::NotFound("extract: " + dir + " is not a directory"));
  }
  return Walk(archive_path, [&dir](cdsetup::copy::SoundArchiveReader& reader,
                                   const cdsetup::copy::ArchiveEntry& entry) {
    if (base::Status safe = cdsetup::copy::CheckEntryName(entry.name); !safe.ok()) return safe;
    std::string path = (std::filesystem::path(dir) / entry.name).string();
    FilePtr out = Open(path, "wb");
    if (!out) return base::Status::FromErrno(errno, "create " + path);
    base::Status s = reader.CopyData(out.get());
    if (s.ok()) s = CloseWritten(std::move(out), path);
    if (!s.ok()) std::remove(path.c_str());  // no half-written entry left behind
    return s.WithContext(path);
  });
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Creates, lists and unpacks sound archives (.snd) of the cdsetup installer."};
  app.require_subcommand(1);
  app.footer(
      "Each entry holds its kind (0 Ogg Vorbis, 1 Ogg Speex, other kinds are skipped by the "
      "installer), its data length and its name.\nExit status: 0 on success, 1 on any failure.");

  std::vector<std::string> create_args;
  auto* create = app.add_subcommand(
      "create",
      "Write ARCHIVE from the FILEs, in order: create ARCHIVE [--kind N] [--name NAME] FILE "
      "...\nThe kind comes from the extension (.ogg 0, .spx 1, else 2) unless --kind N "
      "precedes the file; the entry name is the file's base name unless --name NAME precedes "
      "it.");
  create->prefix_command();

  std::string list_archive;
  auto* list = app.add_subcommand("list", "Print one line per entry: kind, data length, name.");
  list->add_option("ARCHIVE", list_archive, "the sound archive")->required();

  std::string extract_archive, extract_dir;
  auto* extract = app.add_subcommand(
      "extract", "Write every entry as a file in DIR; unsafe entry names are refused.");
  extract->add_option("ARCHIVE", extract_archive, "the sound archive")->required();
  extract->add_option("DIR", extract_dir, "an existing directory")->required();

  CLI11_PARSE(app, argc, argv);
  if (create->parsed()) return Create(create->remaining());
  if (list->parsed()) return List(list_archive);
  if (extract->parsed()) return Extract(extract_archive, extract_dir);
  return 1;
}
