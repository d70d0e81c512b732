// What the terminal asks of the system it runs on: one definition per
// system, in terminal_posix.cpp or terminal_win32.cpp, which the build picks.
#pragma once

#include <csignal>
#include <cstdio>

namespace cdsetup::ui::console::system {

bool IsTerminal(std::FILE* stream);
/// Columns of the terminal `out` shows; 0 when the system cannot tell.
int Columns(std::FILE* out);
/// Discards the keys typed at the terminal `in` but not yet read.
void DropPendingInput(std::FILE* in);
/// Has Ctrl-C and termination requests call Interrupted instead of ending
/// the process.
void CatchInterrupts();
/// Sets the flag Interrupts::Raised reads; safe in a signal handler.
void Interrupted();

}  // namespace cdsetup::ui::console::system
