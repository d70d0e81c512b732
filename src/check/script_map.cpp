#include "check/script_map.h"

#include <memory>

#include "base/ascii.h"

namespace cdsetup::check {

namespace {

// Values longer than this are not expected in a script; one this long is
// reported as too long all the same.
constexpr std::size_t kWholeValueBuffer = 64 * 1024;

}  // namespace

ScriptMap::ScriptMap(platform::Platform& platform, std::string path)
    : script_(platform, std::move(path)),
      sections_(platform.GetPrivateProfileSectionNamesA(script_.path())) {}

const std::vector<platform::ProfileEntry>& ScriptMap::Keys(std::string_view section) const {
  const std::string lower = base::ToLowerAscii(section);
  auto it = keys_.find(lower);
  if (it == keys_.end()) {
    it = keys_.emplace(lower, platform().GetPrivateProfileSectionA(section, script_.path())).first;
  }
  return it->second;
}

const platform::ProfileEntry* ScriptMap::FindSection(std::string_view section) const {
  for (const platform::ProfileEntry& s : sections_) {
    if (base::EqualsIgnoreCaseAscii(s.name, section)) return &s;
  }
  return nullptr;
}

const platform::ProfileEntry* ScriptMap::FindKey(std::string_view section,
                                                 std::string_view key) const {
  for (const platform::ProfileEntry& k : Keys(section)) {
    if (base::EqualsIgnoreCaseAscii(k.name, key)) return &k;
  }
  return nullptr;
}

std::size_t ScriptMap::SectionLine(std::string_view section) const {
  const platform::ProfileEntry* s = FindSection(section);
  return s ? s->line : 0;
}

std::size_t ScriptMap::Line(std::string_view section, std::string_view key) const {
  const platform::ProfileEntry* k = FindKey(section, key);
  return k ? k->line : SectionLine(section);
}

std::string ScriptMap::WholeText(std::string_view section, std::string_view key) const {
  auto buffer = std::make_unique<char[]>(kWholeValueBuffer);
  const std::size_t n = platform().GetPrivateProfileStringA(
      section, key, "", std::span<char>(buffer.get(), kWholeValueBuffer), script_.path());
  return std::string(buffer.get(), n);
}

std::string KeyName(std::string_view section, std::string_view key, std::string_view value) {
  std::string out = "[" + std::string(section) + "] " + std::string(key);
  if (!value.empty()) out += "=" + std::string(value);
  return out;
}

}  // namespace cdsetup::check
