#include "app/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

namespace Parlowen::TerminationSignals {

namespace {

using Nanoseconds = std::chrono::nanoseconds::rep;

constexpr std::array kinds{SIGTERM, SIGINT, SIGHUP};

// A repeat this soon after the first signal of its kind is the same request sent twice: a
// closing terminal's shell passes SIGHUP on to its job and the kernel sends another as the
// shell ends; `timeout` passes SIGTERM on to its command and then to its whole group. Those
// come within milliseconds, which a loaded machine may stretch many times over; a person who
// presses Ctrl-C again to insist takes half a second or more.
constexpr Nanoseconds sameRequest =
    std::chrono::nanoseconds(std::chrono::milliseconds(250)).count();

// When the first signal of each kind was handled, on the monotonic clock; `none` before. Any
// thread may take a signal, so the handlers agree through lock-free atomics.
constexpr Nanoseconds none = -1;
std::array<std::atomic<Nanoseconds>, kinds.size()> firstHandled{none, none, none};
static_assert(std::atomic<Nanoseconds>::is_always_lock_free);

int signalPipe[2] = {-1, -1};

Nanoseconds monotonicNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::chrono::nanoseconds(std::chrono::seconds(now.tv_sec)).count() + now.tv_nsec;
}

// Only async-signal-safe calls.
void noteSignal(int signal) {
    const int saved = errno;
    std::size_t kind = 0;
    while (kinds[kind] != signal) {
        ++kind;
    }
    const Nanoseconds now = monotonicNow();
    Nanoseconds first = none;
    if (firstHandled[kind].compare_exchange_strong(first, now)) {
        const char byte = 1;
        // A full pipe already holds a quit to come.
        [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
    } else if (now - first > sameRequest) {
        // Asked again: the signal's default action ends the process as the handler returns
        // (the signal stays blocked until then), also while the end waits for a settings lock.
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        ::sigaction(signal, &byDefault, nullptr);
        ::raise(signal);
    }
    errno = saved;
}

} // namespace

void quitApplicationOnSignal() {
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        std::array<char, 64> bytes{};
        while (::read(signalPipe[0], bytes.data(), bytes.size()) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kinds) {
        struct sigaction inherited {};
        if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

} // namespace Parlowen::TerminationSignals
