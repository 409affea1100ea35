#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

// Starts each body in a child process of its own, all at the same time; answers their pids
// (-1 for one that could not be made). Children leave with _exit, so nothing of the test runs
// twice.
inline std::vector<pid_t> startChildProcesses(const std::vector<std::function<bool()>>& bodies) {
    std::vector<pid_t> children;
    for (const auto& body : bodies) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(body() ? 0 : 1);
        }
        children.push_back(child);
    }
    return children;
}

// Waits for every child and answers whether each ran its body to a true answer.
inline bool waitForChildProcesses(const std::vector<pid_t>& children) {
    bool succeeded = true;
    for (const pid_t child : children) {
        int status = 0;
        succeeded = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0 && succeeded;
    }
    return succeeded;
}

// Runs each body in a child process of its own, all at the same time, and answers whether every
// child ran its body to a true answer.
inline bool runInChildProcesses(const std::vector<std::function<bool()>>& bodies) {
    return waitForChildProcesses(startChildProcesses(bodies));
}

// Starts a child that runs `take` and, when it answers true, stays until it is killed: a holder
// of a lock or a name that the test then finds held. Answers the child's pid once `take` is
// done, -1 when the child could not be made or `take` failed (that child is gone then).
inline pid_t startHoldingChild(const std::function<bool()>& take) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        if (!take() || ::write(ready[1], "x", 1) != 1) {
            ::_exit(1);
        }
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool held = child > 0 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (child > 0 && !held) {
        ::waitpid(child, nullptr, 0);
    }
    return held ? child : -1;
}
