// What the installer never reads, though the script holds it: a section it
// does not know, a repeated section header or key (the first one wins), and
// a key no read asks for, which is most often a misspelt one.
#pragma once

#include "check/medium.h"

namespace cdsetup::check {

void CheckUnreadKeys(const Medium& medium);

}  // namespace cdsetup::check
