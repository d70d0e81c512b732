// What the terminal asks of the system it runs on: one definition per
// system, in terminal_posix.cpp or terminal_win32.cpp, which the build picks.
#pragma once

#include <csignal>
#include <cstdio>

namespace cdsetup::ui::console::system {

bool IsTerminal(std::FILE* stream);
/// Columns and rows of the terminal `out` shows; 0 when the system cannot tell.
int Columns(std::FILE* out);
int Rows(std::FILE* out);
/// Discards the keys typed at the terminal `in` but not yet read.
void DropPendingInput(std::FILE* in);
/// Has Ctrl-C and termination requests call Interrupted instead of ending
/// the process.
void CatchInterrupts();
/// Notes an interrupt (Ctrl-C) or, with `ends_run`, a request to end the
/// program (a kill, the console closed) for Interrupts::Take; safe in a
/// signal handler.
void Interrupted(bool ends_run);

}  // namespace cdsetup::ui::console::system
