#pragma once

// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl-C, a closed terminal) end the program the
// way its Quit does, so that what the quit saves (settings changes still waiting for another
// process's lock among them) is saved: the handler only writes to a pipe, which the main loop
// reads before it quits the application.
namespace Parlowen::TerminationSignals {

// Once the application exists, on the main thread.
void quitApplicationOnSignal();

} // namespace Parlowen::TerminationSignals
