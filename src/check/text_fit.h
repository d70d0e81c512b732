// Whether the texts of a language section fit the controls that show them:
// each is measured in the font that stands in for its template's (the Qt
// windows' font, which has Arial's widths) against its control's size at 96
// dpi, in the units the template's font gives a dialog on Windows.
#pragma once

#include <string_view>

#include "check/medium.h"

namespace cdsetup::check {

/// Reports each text of `language` that its control would show clipped,
/// naming the control.
void CheckTextsFit(const Medium& medium, const LanguageSection& language);

/// The width in pixels of `utf8` in the stand-in font at 8 points and 96
/// dpi, bold for a window's caption.
int TextWidth(std::string_view utf8, bool bold = false);

}  // namespace cdsetup::check
