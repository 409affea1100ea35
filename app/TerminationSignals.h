#pragma once

// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl-C, a closed terminal) end the program the
// way its Quit does, so that what the quit saves (settings changes still waiting for another
// process's lock among them) is saved: the handler only writes to a pipe, which the main loop
// reads before it quits the application.
//
// A signal that the process was started with ignored stays ignored (`nohup` ignores SIGHUP, a
// background job of a non-interactive shell SIGINT), as shells and daemons expect. A repeat of
// the same signal within a quarter second is the same request (a closed terminal sends SIGHUP
// twice, `timeout` passes SIGTERM on twice) and changes nothing; a later one, a person asking
// again, ends the process at once by that signal, so that an end waiting for a held settings
// lock, or a main loop that hangs, can still be stopped. Each kind counts apart: a logout's
// SIGTERM and SIGHUP together still end the program as Quit does.
namespace Parlowen::TerminationSignals {

// Once the application exists, on the main thread.
void quitApplicationOnSignal();

} // namespace Parlowen::TerminationSignals
