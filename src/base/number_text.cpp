#include "base/number_text.h"

#include <charconv>

namespace cdsetup::base {

std::string FormatTenths(double value) {
  char text[64];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
  return error == std::errc() ? std::string(text, end) : std::string("?");
}

}  // namespace cdsetup::base
