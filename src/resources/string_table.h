// The program's string table: texts the controls need that the install
// script does not supply. UTF-8, converted to the ANSI code page on use.
#pragma once

#include <string_view>

#include "resources/resource_ids.h"

namespace cdsetup::resources {

/// The string with `id`, or an empty text when the table has none.
std::string_view LoadResourceString(int id);

}  // namespace cdsetup::resources
