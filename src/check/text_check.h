// The texts of one language section: every IDS_ text the pages, messages and
// shortcuts use must be there and not empty, no value may be longer than the
// 259 characters a read keeps, and every value must be text of the
// section's code page.
#pragma once

#include "check/medium.h"

namespace cdsetup::check {

/// Reports what is wrong with the texts of `language`. The texts of the
/// licence and install type pages count only when the page is shown.
void CheckTexts(const Medium& medium, const LanguageSection& language);

/// Reports a value (`whole`, as the file holds it) longer than a read keeps,
/// or with a byte that is no character of `code_page`; `what` names it.
void CheckValue(const Medium& medium, std::size_t line, const std::string& what,
                const std::string& whole, int code_page);

}  // namespace cdsetup::check
