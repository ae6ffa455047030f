// Ctrl-C (SIGINT) and SIGTERM during a long command. The first signal
// interrupts the work: a watcher thread records it with the engine's
// interruption, which cancels the statements running on every open session
// (and keeps cancelling any that still run, every 200 ms); no statement but
// a rollback starts after it, and no output file is committed. The command
// then unwinds on its own error paths, rolls back what is open, closes its
// sessions, says what is complete and what is not, and exits 130 (143 for
// SIGTERM). A second signal ends the process at once.
//
// Thread-safe; the signal handler only writes one byte to a pipe (or ends
// the process).
#pragma once

#include <string_view>

namespace Dizezida::Rezizida {

/// Installs the handlers and starts the watcher thread (once per process).
void catch_interruptions();

/// 128 + the interrupting signal, or 0 while nothing interrupted.
int interrupted_status();

/// Prints "<command>: interrupted: <what>" to stderr; the exit status.
int report_interruption(std::string_view command, std::string_view what);

} // namespace Dizezida::Rezizida
