#pragma once

#include <string>

// Writes a report when the process dies of a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT) or through std::terminate, then lets it die of that signal as it would have.
// The report is an envelope whose event was rendered in advance from the current scope; the
// handler only appends the crash itself, using async-signal-safe calls on an alternate stack.
// There is one handler per process.
namespace sentry::CrashHandler {

// The report to write: its file path and the envelope text up to the event's last field,
// without the event's closing brace.
struct PreparedReport {
    std::string path;
    std::string head;
};

// Installs the handlers with the report to write; when installed already, only replaces the
// report (the scope changed).
void install(PreparedReport report);
// Puts back the handlers that were there before.
void uninstall();

} // namespace sentry::CrashHandler
