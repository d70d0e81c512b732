// The files the pages show: the licence agreement (when its page is shown)
// and the background picture of the main dialog. Each must be a file of the
// medium that the page reads whole; the licence text of the language's code
// page, the picture one the decoder reads, of 350 x 250 pixels.
#pragma once

#include "check/medium.h"

namespace cdsetup::check {

/// Reports what the licence and background files of `language` lack. The
/// picture is also copied into the target, so its name must stay inside it.
void CheckPageFiles(const Medium& medium, const LanguageSection& language);

}  // namespace cdsetup::check
