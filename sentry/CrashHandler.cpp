#include "sentry/CrashHandler.h"

#include <cxxabi.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

namespace sentry::CrashHandler {

namespace {

// Names and descriptions as JSON texts, ready to be written by the handler.
struct FatalSignal {
    int number;
    const char* name;
    const char* description;
};

constexpr FatalSignal fatalSignals[] = {
    {SIGSEGV, "\"SIGSEGV\"", "\"Segmentation fault\""},
    {SIGBUS, "\"SIGBUS\"", "\"Bus error\""},
    {SIGILL, "\"SIGILL\"", "\"Illegal instruction\""},
    {SIGFPE, "\"SIGFPE\"", "\"Floating-point exception\""},
    {SIGABRT, "\"SIGABRT\"", "\"Abort\""},
};
constexpr std::size_t signalCount = std::size(fatalSignals);
constexpr int maxFrames = 64;

// Shared with the handlers: plain atomics and memory that is never freed while installed.
std::atomic<const PreparedReport*> current{nullptr};
std::atomic<bool> installed{false};
std::atomic_flag reporting = ATOMIC_FLAG_INIT;

// Guarded by `lifecycle`: everything the installing thread owns.
std::mutex lifecycle;
std::vector<std::unique_ptr<PreparedReport>> reports; // the current one and those replaced
struct sigaction previousActions[signalCount];
std::terminate_handler previousTerminate = nullptr;
alignas(16) char alternateStack[64 * 1024];

// Output that only uses write(2) and fixed buffers.
class SignalSafeWriter {
public:
    explicit SignalSafeWriter(int descriptor) : descriptor_(descriptor) {}

    void text(const char* text) { bytes(text, std::strlen(text)); }
    void bytes(const char* data, std::size_t length) {
        while (length > 0) {
            const auto written = ::write(descriptor_, data, length);
            if (written <= 0) {
                return;
            }
            data += written;
            length -= static_cast<std::size_t>(written);
        }
    }
    void decimal(unsigned long long value) {
        char digits[24];
        std::size_t count = 0;
        do {
            digits[sizeof digits - ++count] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        bytes(digits + sizeof digits - count, count);
    }
    void hexadecimal(std::uintptr_t value) {
        char digits[2 + 2 * sizeof value];
        std::size_t count = 0;
        do {
            digits[sizeof digits - ++count] = "0123456789abcdef"[value & 0xf];
            value >>= 4;
        } while (value != 0);
        text("0x");
        bytes(digits + sizeof digits - count, count);
    }

private:
    int descriptor_;
};

// Writes the report of this crash; `type` and `value` are JSON texts; `signal` is the fatal
// signal, or none for std::terminate.
void writeReport(const char* type, const char* value, const FatalSignal* signal) {
    const PreparedReport* report = current.load();
    if (!report) {
        return;
    }
    const int descriptor =
        ::open(report->path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return;
    }
    void* frames[maxFrames];
    const int frameCount = ::backtrace(frames, maxFrames);
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);

    SignalSafeWriter out(descriptor);
    out.bytes(report->head.data(), report->head.size());
    out.text(",\"level\":\"fatal\",\"timestamp\":");
    out.decimal(static_cast<unsigned long long>(now.tv_sec));
    out.text(",\"exception\":{\"values\":[{\"type\":");
    out.text(type);
    out.text(",\"value\":");
    out.text(value);
    if (signal) {
        out.text(",\"mechanism\":{\"type\":\"signalhandler\",\"handled\":false,"
                 "\"meta\":{\"signal\":{\"number\":");
        out.decimal(static_cast<unsigned long long>(signal->number));
        out.text(",\"name\":");
        out.text(signal->name);
        out.text("}}}");
    } else {
        out.text(",\"mechanism\":{\"type\":\"terminate\",\"handled\":false}");
    }
    out.text(",\"stacktrace\":{\"frames\":[");
    // Outermost caller first, as the server expects.
    for (int i = frameCount - 1; i >= 0; --i) {
        out.text("{\"instruction_addr\":\"");
        out.hexadecimal(reinterpret_cast<std::uintptr_t>(frames[i]));
        out.text(i > 0 ? "\"}," : "\"}");
    }
    out.text("]}}]}}\n");
    ::fsync(descriptor);
    ::close(descriptor);
}

void resetAndRaise(int signalNumber) {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signalNumber, &defaultAction, nullptr);
    // Blocked while this handler runs, so it is delivered on return: the process dies of it
    // (a fault re-runs its instruction and raises it again).
    ::raise(signalNumber);
}

void onFatalSignal(int signalNumber, siginfo_t*, void*) {
    if (!reporting.test_and_set()) {
        for (const auto& fatal : fatalSignals) {
            if (fatal.number == signalNumber) {
                writeReport(fatal.name, fatal.description, &fatal);
            }
        }
    }
    resetAndRaise(signalNumber);
}

// The uncaught exception's type and message, if there is one.
std::pair<std::string, std::string> currentException() {
    const auto exception = std::current_exception();
    if (!exception) {
        return {"std::terminate", "terminate called without an active exception"};
    }
    std::string type = "unknown exception";
    if (const auto* info = abi::__cxa_current_exception_type()) {
        int status = 0;
        std::unique_ptr<char, decltype(&std::free)> demangled(
            abi::__cxa_demangle(info->name(), nullptr, nullptr, &status), std::free);
        type = status == 0 && demangled ? demangled.get() : info->name();
    }
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& caught) {
        return {type, caught.what()};
    } catch (...) {
        return {type, "uncaught exception"};
    }
}

[[noreturn]] void onTerminate() {
    if (!reporting.test_and_set()) {
        const auto [type, message] = currentException();
        const auto escaped = [](const std::string& text) {
            return nlohmann::json(text).dump(-1, ' ', false,
                                             nlohmann::json::error_handler_t::replace);
        };
        writeReport(escaped(type).c_str(), escaped(message).c_str(), nullptr);
    }
    // SIGABRT finds `reporting` set and only lets the process die.
    std::abort();
}

void publish(PreparedReport report) {
    reports.push_back(std::make_unique<PreparedReport>(std::move(report)));
    current.store(reports.back().get());
}

} // namespace

void install(PreparedReport report) {
    std::lock_guard lock(lifecycle);
    publish(std::move(report));
    if (installed.exchange(true)) {
        return;
    }
    reporting.clear();
    // Resolve the unwinder now: its first use may allocate, which a handler must not.
    void* warmUp[1];
    ::backtrace(warmUp, 1);

    stack_t existing{};
    if (::sigaltstack(nullptr, &existing) == 0 && (existing.ss_flags & SS_DISABLE)) {
        stack_t stack{};
        stack.ss_sp = alternateStack;
        stack.ss_size = sizeof alternateStack;
        ::sigaltstack(&stack, nullptr);
    }
    struct sigaction action {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < signalCount; ++i) {
        ::sigaction(fatalSignals[i].number, &action, &previousActions[i]);
    }
    previousTerminate = std::set_terminate(onTerminate);
}

void uninstall() {
    std::lock_guard lock(lifecycle);
    if (!installed.exchange(false)) {
        return;
    }
    for (std::size_t i = 0; i < signalCount; ++i) {
        ::sigaction(fatalSignals[i].number, &previousActions[i], nullptr);
    }
    std::set_terminate(previousTerminate);
    current.store(nullptr);
    reports.clear();
}

} // namespace sentry::CrashHandler
