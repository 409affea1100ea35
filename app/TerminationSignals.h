#pragma once

// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl-C, a closed terminal) end the program the
// way its Quit does, so that what the quit saves (settings changes still waiting for another
// process's lock among them) is saved: the handler only writes to a pipe, which the main loop
// reads before it quits the application.
//
// A signal that the process was started with ignored stays ignored (`nohup` ignores SIGHUP, a
// background job of a non-interactive shell SIGINT), as shells and daemons expect. Each handler
// runs once: a second signal of the same kind ends the process at once, so that an end waiting
// for a held settings lock, or a main loop that hangs, can still be stopped.
namespace Parlowen::TerminationSignals {

// Once the application exists, on the main thread.
void quitApplicationOnSignal();

} // namespace Parlowen::TerminationSignals
