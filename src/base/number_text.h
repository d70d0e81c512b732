// Numbers as the program shows them, the same in every locale: a toolkit
// that sets the process's locale from the desktop would otherwise turn
// "66.0" into "66,0" in some texts and not others.
#pragma once

#include <string>

namespace cdsetup::base {

/// `value` with one digit after a "." (rounded), whatever the C locale.
std::string FormatTenths(double value);

}  // namespace cdsetup::base
