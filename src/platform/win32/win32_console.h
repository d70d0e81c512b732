// The console of a program built for the Windows subsystem: it has none of
// its own, so the runs that talk on a console borrow the one of the program
// that started them (cmd.exe, PowerShell) or open one.
#pragma once

namespace cdsetup::platform {

/// Connects each standard stream that has no handle to the console of the
/// parent process, when it has one. Streams redirected to a file or a pipe
/// are left as they are.
void BorrowParentConsole();

/// Opens a console of the program's own when none is connected, and
/// connects the standard streams that have no handle to it.
void OpenOwnConsole();

/// Lets go of a console borrowed by BorrowParentConsole, so that closing the
/// window of the program that started this one no longer ends it.
void ReleaseBorrowedConsole();

}  // namespace cdsetup::platform
