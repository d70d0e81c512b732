#include "script/install_script.h"

#include <algorithm>
#include <array>
#include <climits>

#include "base/ascii.h"

namespace cdsetup::script {

std::string InstallScript::ReadText(std::string_view section, std::string_view key,
                                    std::size_t* count) const {
  std::array<char, base::kTextBuffer> buffer{};
  std::size_t n = platform_->GetPrivateProfileStringA(section, key, "", buffer, path_);
  if (count) *count = n;
  return std::string(buffer.data(), n);
}

int InstallScript::ReadNumber(std::string_view section, std::string_view key) const {
  return ParseNumber(ReadText(section, key));
}

int InstallScript::ReadCount(std::string_view section, std::string_view key,
                             std::string_view family_section) const {
  const int count = ReadNumber(section, key);
  if (count <= 0) return 0;
  const std::size_t keys = platform_->GetPrivateProfileSectionA(family_section, path_).size();
  return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(count), keys));
}

bool InstallScript::ReadSwitch(std::string_view section, std::string_view key) const {
  return base::EqualsIgnoreCaseAscii(ReadText(section, key), "true");
}

std::vector<std::string> InstallScript::ReadFamily(std::string_view section,
                                                   std::string_view pattern, int count) const {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(ReadText(section, FamilyKey(pattern, i)));
  return out;
}

int ParseNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string FamilyKey(std::string_view pattern, int n) {
  std::string out(pattern);
  std::size_t at = out.find("%d");
  if (at == std::string::npos) return out + std::to_string(n);
  out.replace(at, 2, std::to_string(n));
  return out;
}

}  // namespace cdsetup::script
