#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

// Runs each body in a child process of its own, all at the same time, and answers whether every
// child ran its body to a true answer. Children leave with _exit, so nothing of the test runs
// twice.
inline bool runInChildProcesses(const std::vector<std::function<bool()>>& bodies) {
    std::vector<pid_t> children;
    bool succeeded = true;
    for (const auto& body : bodies) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(body() ? 0 : 1);
        }
        if (child < 0) {
            succeeded = false;
        } else {
            children.push_back(child);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        succeeded = ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0 && succeeded;
    }
    return succeeded;
}
