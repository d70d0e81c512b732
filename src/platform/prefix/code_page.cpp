#include "platform/prefix/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <string>

#include "base/utf8.h"
#include "platform/prefix/utf16.h"

namespace cdsetup::platform {
namespace {

iconv_t Open(const std::string& to, const std::string& from) {
  return iconv_open(to.c_str(), from.c_str());
}

bool Usable(void* cd) {
  return cd != nullptr && cd != reinterpret_cast<void*>(-1);
}

// Runs one whole conversion; `bad` is written in place of each input byte (or
// well-formed UTF-8 character) that the target cannot hold.
std::string Convert(void* handle, std::string_view in, std::string_view bad) {
  std::string out;
  if (!Usable(handle)) return std::string(in);
  iconv_t cd = static_cast<iconv_t>(handle);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char* dst = out.data();
  std::size_t dst_left = out.size();
  while (src_left > 0) {
    std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      std::size_t used = static_cast<std::size_t>(dst - out.data());
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
      continue;
    }
    // EILSEQ or EINVAL: skip one input byte (for UTF-8 input, one whole
    // character when it is well-formed but unrepresentable).
    std::size_t skip = 1;
    unsigned char c = static_cast<unsigned char>(*src);
    if (errno == EILSEQ && c >= 0xC0) {
      std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
      if (n <= src_left && IsValidUtf8(std::string_view(src, n))) skip = n;
    }
    std::string_view replacement = bad;
    if (replacement.size() > dst_left) {
      std::size_t used = static_cast<std::size_t>(dst - out.data());
      out.resize(out.size() * 2 + replacement.size());
      dst = out.data() + used;
      dst_left = out.size() - used;
    }
    for (char ch : replacement) *dst++ = ch;
    dst_left -= replacement.size();
    src += skip;
    src_left -= skip;
  }
  out.resize(static_cast<std::size_t>(dst - out.data()));
  return out;
}

// Simple case folding to lower case for the scripts that game file names use.
char32_t FoldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0xC0) return c;
  if (c <= 0xDE && c != 0xD7) return c + 32;                 // Latin-1 capitals
  if (c >= 0x100 && c <= 0x137) return c | 1;                // pairs: even upper
  if (c >= 0x139 && c <= 0x148) return (c & 1) ? c + 1 : c;  // pairs: odd upper
  if (c >= 0x14A && c <= 0x177) return c | 1;
  if (c == 0x178) return 0xFF;
  if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c + 1 : c;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

bool IsDoubleByte(int cp) {
  return cp == 932 || cp == 936 || cp == 949 || cp == 950;
}

bool IsLeadByte(int cp, unsigned char c) {
  if (cp == 932) return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
  return c >= 0x81 && c <= 0xFE;
}

const char* IconvName(int cp) {
  switch (cp) {
    case 874:
      return "CP874";
    case 932:
      return "CP932";
    case 936:
      return "CP936";
    case 949:
      return "CP949";
    case 950:
      return "CP950";
    case 1250:
      return "CP1250";
    case 1251:
      return "CP1251";
    case 1253:
      return "CP1253";
    case 1254:
      return "CP1254";
    case 1255:
      return "CP1255";
    case 1256:
      return "CP1256";
    case 1257:
      return "CP1257";
    case 1258:
      return "CP1258";
    case 65001:  // UTF-8, which Windows numbers as a code page too
      return "UTF-8";
    default:
      return "CP1252";
  }
}

}  // namespace

CodePage::CodePage(int code_page) : number_(code_page) {
  std::string name = IconvName(code_page);
  if (name == "CP1252" && code_page != 1252) number_ = 1252;
  to_utf8_ = Open("UTF-8", name);
  from_utf8_ = Open(name, "UTF-8");
  BuildLowerTable();
}

// One table for the whole code page: each byte's character, folded, mapped
// back when the code page holds the lower-case form as one byte.
void CodePage::BuildLowerTable() {
  for (int b = 0; b < 256; ++b) lower_[b] = static_cast<unsigned char>(b);
  for (int b = 'A'; b <= 'Z'; ++b) lower_[b] = static_cast<unsigned char>(b + 32);
  if (IsDoubleByte(number_)) return;
  for (int b = 0x80; b < 256; ++b) {
    std::string utf8 = Convert(to_utf8_, std::string(1, static_cast<char>(b)), "");
    if (utf8.empty()) continue;
    std::size_t i = 0;
    char32_t cp = base::DecodeUtf8At(utf8, i);
    char32_t folded = FoldCase(cp);
    if (folded == cp || i != utf8.size()) continue;
    std::string lower_utf8;
    AppendUtf8(lower_utf8, folded);
    std::string back = Convert(from_utf8_, lower_utf8, "");
    if (back.size() == 1) lower_[b] = static_cast<unsigned char>(back[0]);
  }
}

std::string CodePage::Lower(std::string_view ansi) const {
  std::string out(ansi);
  if (IsDoubleByte(number_)) {
    // A trail byte may look like a Latin letter; only single bytes are letters.
    for (std::size_t i = 0; i < out.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(out[i]);
      if (IsLeadByte(number_, c)) {
        ++i;
      } else if (c >= 'A' && c <= 'Z') {
        out[i] = static_cast<char>(c + 32);
      }
    }
    return out;
  }
  for (char& c : out) c = static_cast<char>(lower_[static_cast<unsigned char>(c)]);
  return out;
}

std::size_t CodePage::FindInvalidByte(std::string_view ansi) const {
  if (IsAscii(ansi) || IsValidUtf8(ansi)) return std::string_view::npos;
  constexpr std::string_view kMark = "\xEF\xBF\xBD";  // no byte of a code page stands for it
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(ansi[i]);
    if (c < 0x80) continue;
    const std::size_t n = IsDoubleByte(number_) && IsLeadByte(number_, c) ? 2 : 1;
    if (i + n > ansi.size()) return i;
    if (Convert(to_utf8_, ansi.substr(i, n), kMark).find(kMark) != std::string::npos) return i;
    i += n - 1;
  }
  return std::string_view::npos;
}

CodePage::~CodePage() {
  if (Usable(to_utf8_)) iconv_close(static_cast<iconv_t>(to_utf8_));
  if (Usable(from_utf8_)) iconv_close(static_cast<iconv_t>(from_utf8_));
}

std::string CodePage::ToUtf8(std::string_view ansi) const {
  if (IsAscii(ansi) || IsValidUtf8(ansi)) return std::string(ansi);
  return Convert(to_utf8_, ansi, "\xEF\xBF\xBD");
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  if (IsAscii(utf8) || !IsValidUtf8(utf8)) return std::string(utf8);
  return Convert(from_utf8_, utf8, "?");
}

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsValidUtf8(std::string_view s) {
  return base::IsValidUtf8(s);
}

bool EqualsIgnoreCaseUtf8(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (FoldCase(base::DecodeUtf8At(a, i)) != FoldCase(base::DecodeUtf8At(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

std::u32string FoldedCodePoints(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) out += FoldCase(base::DecodeUtf8At(utf8, i));
  return out;
}

}  // namespace cdsetup::platform
