#include "app/own_texts.h"

#include "base/number_text.h"

namespace cdsetup::app {
namespace {

constexpr unsigned kPolish = 0x15;  // the primary language of 0x0415

std::string Megabytes(std::uint64_t bytes) {
  return base::FormatTenths(static_cast<double>(bytes) / (1024.0 * 1024.0)) + " MB";
}

}  // namespace

std::string NotEnoughSpaceText(unsigned language_id, const std::string& root, std::uint64_t needed,
                               std::uint64_t free) {
  if ((language_id & 0x3FF) == kPolish) {
    // Code page 1250: "mało", "kontynuować".
    return "Na dysku " + root + " jest za ma\xB3o miejsca: instalacja potrzebuje " +
           Megabytes(needed) + ", a wolne jest " + Megabytes(free) +
           ".\n\nCzy mimo to kontynuowa\xE6?";
  }
  return "There is not enough free space on " + root + ": the installation needs " +
         Megabytes(needed) + " and " + Megabytes(free) + " is free.\n\nContinue anyway?";
}

}  // namespace cdsetup::app
