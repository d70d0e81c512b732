// The check of an installation medium for the people who make the CD: reads
// it exactly as the installer does (the same script reader, case-insensitive
// lookups, archive reader and converters) and reports every mistake that
// would make an installation fail or silently do less, without writing to
// the medium or to any prefix.
#pragma once

#include <string>

#include "base/result.h"
#include "check/report.h"
#include "platform/platform.h"

namespace cdsetup::check {

struct CheckOptions {
  /// Every text is held to this code page; when 0, each language to the one
  /// of its language id (else the platform's).
  int code_page = 0;
  /// Where the scratch directory for the sounds goes; the system's temporary
  /// directory when empty. It is removed before the check returns.
  std::string scratch_parent;
};

/// Checks the medium that `platform` shows as the installer's CD: the script
/// beside the installer, its file lists and archives, the files its pages,
/// shortcuts and closing steps use. The report holds every problem found and
/// the sizes of the install types and the sounds. IoError when no scratch
/// directory can be made.
base::Result<Report> CheckMedium(platform::Platform& platform, const CheckOptions& options = {});

}  // namespace cdsetup::check
