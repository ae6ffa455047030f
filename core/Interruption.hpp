// The process-wide interruption of running work: the front end records the
// signal that asked for it (Ctrl-C, SIGTERM) and every registered canceller
// runs, so that statements running on every open session stop. Sessions
// register a canceller while they are open; jobs and file writers read the
// flag to stop at their next step and to keep what they have not finished
// from looking done.
//
// Thread-safe. `request` and `cancel_running` run the cancellers under the
// registry's lock, so a canceller is never called after its removal
// returned; cancellers must not add or remove cancellers. Not for use inside
// a signal handler (the front end hands signals to a thread first).
#pragma once

#include <cstdint>
#include <functional>

namespace Dizezida::Core::Interruption {

/// The signal of the interruption, 0 while there is none.
int signal();
/// Whether an interruption was requested.
inline bool requested() { return signal() != 0; }
/// Records the interruption (the first signal is kept) and runs every canceller.
void request(int signal);
/// Runs every canceller again (a statement may have started just as the
/// interruption came).
void cancel_running();
/// Forgets the interruption (tests, and a front end that runs commands in turn).
void reset();

using Canceller = std::function<void()>;
/// Registers a canceller; the number removes it.
std::uint64_t add_canceller(Canceller canceller);
void remove_canceller(std::uint64_t id);

} // namespace Dizezida::Core::Interruption
