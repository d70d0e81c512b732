#include "platform/prefix/registry_value.h"

#include <algorithm>

#include "platform/prefix/registry_text.h"

namespace cdsetup::platform {
namespace {

bool IsBlank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

// The data as UTF-16 when it is whole code units ending in a NUL.
std::optional<std::u16string> TerminatedUtf16(const std::vector<std::uint8_t>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::u16string out;
  out.reserve(data.size() / 2);
  for (std::size_t i = 0; i < data.size(); i += 2) {
    out += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  if (out.back() != 0) return std::nullopt;
  return out;
}

// Reads a hexadecimal number of at most `max_digits` at s[*i].
std::optional<std::uint32_t> ParseHexNumber(std::string_view s, std::size_t* i,
                                            std::size_t max_digits) {
  std::uint32_t value = 0;
  std::size_t digits = 0;
  while (*i < s.size() && digits < max_digits) {
    char c = s[*i];
    int d = (c >= '0' && c <= '9')   ? c - '0'
            : (c >= 'a' && c <= 'f') ? c - 'a' + 10
            : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                     : -1;
    if (d < 0) break;
    value = value * 16 + static_cast<std::uint32_t>(d);
    ++digits;
    ++*i;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

std::string HexNumber(std::uint64_t value, std::size_t min_digits) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  do {
    out += kDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  while (out.size() < min_digits) out += '0';
  return std::string(out.rbegin(), out.rend());
}

struct ParsedValue {
  std::u16string name;
  RegistryValue value;
};

// A string's data: the text between quotes at s[*i], then nothing but blanks.
std::optional<std::u16string> QuotedRest(std::string_view s, std::size_t i) {
  if (i >= s.size() || s[i] != '"') return std::nullopt;
  std::size_t end = 0;
  auto text = UnescapeRegistryText(s.substr(i + 1), '"', &end);
  if (!text || !IsBlank(s.substr(i + 1 + end + 1))) return std::nullopt;
  return text;
}

}  // namespace

RegistryValue RegistryValue::String(std::u16string_view text, std::uint32_t type) {
  RegistryValue v;
  v.type = type;
  v.data = Utf16Bytes(text);
  v.data.push_back(0);
  v.data.push_back(0);
  return v;
}

std::optional<std::u16string> RegistryValue::Text() const {
  if (type != kRegSz && type != kRegExpandSz) return std::nullopt;
  std::optional<std::u16string> text = TerminatedUtf16(data);
  if (!text) return std::nullopt;
  return text->substr(0, text->find(u'\0'));
}

std::string EncodeRegistryValueLine(std::u16string_view name, const RegistryValue& value) {
  std::string out = name.empty() ? "@=" : "\"" + EscapeRegistryText(name, '"') + "\"=";
  bool string_type =
      value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz;
  if (string_type) {
    if (std::optional<std::u16string> text = TerminatedUtf16(value.data)) {
      if (value.type != kRegSz) out += "str(" + HexNumber(value.type, 1) + "):";
      text->pop_back();  // the terminator is implied
      return out + "\"" + EscapeRegistryText(*text, '"') + "\"\n";
    }
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    std::uint32_t d = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                      (static_cast<std::uint32_t>(value.data[3]) << 24);
    return out + "dword:" + HexNumber(d, 8) + "\n";
  }
  out += value.type == kRegBinary ? "hex:" : "hex(" + HexNumber(value.type, 1) + "):";
  AppendHexList(out, value.data, out.size());
  return out + "\n";
}

std::optional<std::pair<std::u16string, RegistryValue>> ParseRegistryValueLine(
    std::string_view body, const std::function<std::optional<std::string_view>()>& next_line) {
  std::optional<std::pair<std::u16string, RegistryValue>> parsed;
  if (body.empty() || (body[0] != '@' && body[0] != '"')) return parsed;
  std::size_t pos = 0;
  ParsedValue pv;
  bool name_ok = false;
  if (body[0] == '@') {
    pos = 1;
    name_ok = true;
  } else if (auto name = UnescapeRegistryText(body.substr(1), '"', &pos)) {
    pv.name = std::move(*name);
    pos += 2;
    name_ok = true;
  }
  std::string_view rest;
  if (name_ok && pos < body.size() && body[pos] == '=') rest = body.substr(pos + 1);
  if (!rest.empty()) {
    std::size_t k = 0;
    if (rest[0] == '"') {
      if (auto t = QuotedRest(rest, 0)) {
        pv.value = RegistryValue::String(*t, kRegSz);
        parsed.emplace(std::move(pv.name), std::move(pv.value));
      }
    } else if (rest.substr(0, 4) == "str(") {
      k = 4;
      auto type = ParseHexNumber(rest, &k, 8);
      if (type && rest.substr(k, 2) == "):") {
        if (auto t = QuotedRest(rest, k + 2)) {
          pv.value = RegistryValue::String(*t, *type);
          parsed.emplace(std::move(pv.name), std::move(pv.value));
        }
      }
    } else if (rest.substr(0, 6) == "dword:") {
      k = 6;
      auto d = ParseHexNumber(rest, &k, 8);
      if (d && IsBlank(rest.substr(k))) {
        pv.value.type = kRegDword;
        pv.value.data = {static_cast<std::uint8_t>(*d), static_cast<std::uint8_t>(*d >> 8),
                         static_cast<std::uint8_t>(*d >> 16), static_cast<std::uint8_t>(*d >> 24)};
        parsed.emplace(std::move(pv.name), std::move(pv.value));
      }
    } else if (rest.substr(0, 3) == "hex") {
      std::optional<std::uint32_t> type = kRegBinary;
      k = 3;
      if (rest.substr(k, 1) == "(") {
        ++k;
        type = ParseHexNumber(rest, &k, 8);
        if (rest.substr(k, 1) != ")") type.reset();
        ++k;
      }
      if (type && rest.substr(k, 1) == ":") {
        pv.value.type = *type;
        std::optional<bool> more = ParseHexList(rest.substr(k + 1), &pv.value.data);
        // A list ending in "\" goes on on the following lines.
        while (more && *more) {
          std::optional<std::string_view> next = next_line();
          if (!next) {
            more.reset();  // cut off in the middle of the list
            break;
          }
          more = ParseHexList(*next, &pv.value.data);
        }
        if (more) parsed.emplace(std::move(pv.name), std::move(pv.value));
      }
    }
  }
  return parsed;
}

}  // namespace cdsetup::platform
