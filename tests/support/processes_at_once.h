// Runs one piece of work in several processes that start together.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace kordalt::test {

// Forks `count` children that wait until all exist, then run `work(i)` and end;
// true when every child ended with exit code 0 (work returning normally).
inline bool RunInProcessesAtOnce(int count, const std::function<void(int)>& work) {
    int start[2];
    if (pipe(start) != 0) return false;
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            close(start[1]);
            char byte;
            while (read(start[0], &byte, 1) > 0) {
            }
            try {
                work(i);
            } catch (...) {
                _exit(1);
            }
            _exit(0);
        }
        if (child > 0) children.push_back(child);
    }
    close(start[0]);
    close(start[1]);  // end of file: every child starts
    bool ok = static_cast<int>(children.size()) == count;
    for (const pid_t child : children) {
        int status = 0;
        ok = waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

}  // namespace kordalt::test
