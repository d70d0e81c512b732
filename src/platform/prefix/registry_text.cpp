#include "platform/prefix/registry_text.h"

#include "platform/prefix/utf16.h"

namespace cdsetup::platform {
namespace {

// The C escape letter of each control character that has one.
char ControlEscape(char16_t c) {
  switch (c) {
    case 7:
      return 'a';
    case 8:
      return 'b';
    case 9:
      return 't';
    case 10:
      return 'n';
    case 11:
      return 'v';
    case 12:
      return 'f';
    case 13:
      return 'r';
    case 27:
      return 'e';
    default:
      return 0;
  }
}

char16_t ControlOfEscape(char c) {
  switch (c) {
    case 'a':
      return 7;
    case 'b':
      return 8;
    case 't':
      return 9;
    case 'n':
      return 10;
    case 'v':
      return 11;
    case 'f':
      return 12;
    case 'r':
      return 13;
    case 'e':
      return 27;
    default:
      return 0;
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsOctal(char16_t c) {
  return c >= '0' && c <= '7';
}

void AppendNumber(std::string& out, unsigned value, unsigned base, std::size_t min_digits) {
  static const char kDigits[] = "0123456789abcdef";
  char buf[16];
  std::size_t n = 0;
  do {
    buf[n++] = kDigits[value % base];
    value /= base;
  } while (value != 0 && n < sizeof buf);
  while (n < min_digits && n < sizeof buf) buf[n++] = '0';
  while (n > 0) out += buf[--n];
}

}  // namespace

std::string EscapeRegistryText(std::u16string_view text, char delim) {
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool has_next = i + 1 < text.size();
    char16_t next = has_next ? text[i + 1] : 0;
    if (c > 0x7E) {
      // Four digits when the next character could be read as a fifth one.
      bool hex_follows = has_next && next < 0x80 && HexValue(static_cast<char>(next)) >= 0;
      out += "\\x";
      AppendNumber(out, c, 16, hex_follows ? 4 : 1);
    } else if (c < 0x20) {
      if (char e = ControlEscape(c)) {
        out += '\\';
        out += e;
      } else {
        out += '\\';
        AppendNumber(out, c, 8, has_next && IsOctal(next) ? 3 : 1);
      }
    } else {
      if (c == '\\' || c == static_cast<unsigned char>(delim)) out += '\\';
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::u16string> UnescapeRegistryText(std::string_view in, char delim,
                                                   std::size_t* end) {
  std::u16string out;
  std::string raw;  // unescaped bytes, decoded together so UTF-8 stays whole
  auto flush = [&] {
    if (!raw.empty()) out += Utf8ToUtf16(raw);
    raw.clear();
  };
  std::size_t i = 0;
  while (i < in.size()) {
    char c = in[i];
    if (c == delim) {
      flush();
      if (end) *end = i;
      return out;
    }
    if (c != '\\') {
      raw += c;
      ++i;
      continue;
    }
    flush();
    if (++i >= in.size()) break;
    char e = in[i];
    if (e == 'x') {
      unsigned value = 0;
      std::size_t digits = 0;
      while (digits < 4 && i + 1 + digits < in.size() && HexValue(in[i + 1 + digits]) >= 0) {
        value = value * 16 + static_cast<unsigned>(HexValue(in[i + 1 + digits]));
        ++digits;
      }
      out += digits ? static_cast<char16_t>(value) : u'x';
      i += 1 + digits;
    } else if (e >= '0' && e <= '7') {
      unsigned value = 0;
      std::size_t digits = 0;
      while (digits < 3 && i + digits < in.size() && in[i + digits] >= '0' &&
             in[i + digits] <= '7') {
        value = value * 8 + static_cast<unsigned>(in[i + digits] - '0');
        ++digits;
      }
      out += static_cast<char16_t>(value);
      i += digits;
    } else if (char16_t control = ControlOfEscape(e)) {
      out += control;
      ++i;
    } else {
      raw += e;  // "\\", "\"", "\]" and any other escaped character
      ++i;
    }
  }
  return std::nullopt;
}

void AppendHexList(std::string& out, const std::vector<std::uint8_t>& bytes, std::size_t column) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    AppendNumber(out, bytes[i], 16, 2);
    column += 2;
    if (i + 1 < bytes.size()) {
      out += ',';
      if (++column > 76) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
}

std::optional<bool> ParseHexList(std::string_view text, std::vector<std::uint8_t>* bytes) {
  std::size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r')) ++i;
  };
  skip_blanks();
  while (i < text.size()) {
    if (text[i] == '\\') {
      ++i;
      skip_blanks();
      if (i != text.size()) return std::nullopt;
      return true;
    }
    int hi = HexValue(text[i]);
    if (hi < 0) return std::nullopt;
    int lo = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
    if (lo >= 0) {
      bytes->push_back(static_cast<std::uint8_t>(hi * 16 + lo));
      i += 2;
    } else {
      bytes->push_back(static_cast<std::uint8_t>(hi));
      i += 1;
    }
    skip_blanks();
    if (i < text.size() && text[i] == ',') {
      ++i;
      skip_blanks();
    } else if (i < text.size() && text[i] != '\\') {
      return std::nullopt;
    }
  }
  return false;
}

}  // namespace cdsetup::platform
