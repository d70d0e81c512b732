// The target folder a language proposes, and the paths the copy builds below
// it: a path passes a 260-byte buffer (259 characters), a folder the
// directory creator's 256-byte one (255). A longer one is refused, so the
// copy would stop there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "check/medium.h"

namespace cdsetup::check {

/// The target folder `language` proposes, when it can be made: a full path
/// ("C:\Games\Demo") of at most 255 characters. Reports it otherwise; an
/// empty one is the texts' to report.
std::optional<std::string> CheckTargetDirectory(const Medium& medium,
                                                const LanguageSection& language);

/// Reports `relative`, a file as the copy names it below the target, when
/// below one of the proposed folders its path or its folder's path is longer
/// than a buffer holds; `what` names it.
void CheckTargetPath(const Medium& medium, std::size_t line, const std::string& what,
                     std::string_view relative);

}  // namespace cdsetup::check
