#pragma once
// SIGTERM and SIGINT between the first instruction of main() and the main loop.
// By default either would kill the shell outright while it connects to the
// display and the bus (WebKit's allocator starts a thread before main(), so
// blocking them in main() alone doesn't keep them out). Held here, they wait
// for the loop and end in the quit handshake like any later one.

namespace nimbo::x11 {

// Replaces the default action of both signals with a note that one came, and
// blocks them in the calling thread so its start-up calls aren't interrupted.
// Call first thing in main().
void holdTerminationSignals();

// Unblocks them in the calling thread; call once the loop's own handlers are
// installed. Answers whether one came while only the note was there.
bool releaseTerminationSignals();

}  // namespace nimbo::x11
