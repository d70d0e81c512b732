// A real Windows program made by the tests themselves, standing in for a
// game that Wine starts from our links: no compiler for Windows is needed.
#pragma once

#include <string>

namespace cdsetup::testing {

/// The bytes of an x86-64 Windows program (a GUI one, so that Wine makes no
/// console for it) that writes its working directory, in UTF-16 as
/// "cmd /u /c cd" prints it, to "ran.txt" in that directory, and ends.
std::string WorkingDirectoryRecorder();

/// The text WorkingDirectoryRecorder writes for the folder `utf8`
/// ("C:\Gry\Żółw"): UTF-16LE, with the CR LF cmd ends its line with.
std::string RecordedDirectory(const std::string& utf8);

}  // namespace cdsetup::testing
