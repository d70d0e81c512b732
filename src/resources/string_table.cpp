#include "resources/string_table.h"

namespace cdsetup::resources {

std::string_view LoadResourceString(int id) {
  switch (id) {
    case kIdsCannotReadDirectory:
      // The resources are Polish, as the dialogs' own texts are.
      return "Nie mo\xC5\xBCna odczyta\xC4\x87 katalogu %s";
    default:
      return {};
  }
}

}  // namespace cdsetup::resources
