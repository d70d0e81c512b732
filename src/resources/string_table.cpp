#include "resources/string_table.h"

#include "resources/resource_ids.h"

namespace cdsetup::resources {

std::string_view LoadResourceString(int id) {
  switch (id) {
    case IDS_CANNOT_READ_DIRECTORY:
      // The resources are Polish, as the dialogs' own texts are.
      return "Nie mo\xC5\xBCna odczyta\xC4\x87 katalogu %s";
    default:
      return {};
  }
}

}  // namespace cdsetup::resources
