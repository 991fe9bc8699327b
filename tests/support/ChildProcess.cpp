#include "tests/support/ChildProcess.h"

#include <csignal>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnel::testing {

namespace {

constexpr int HeldStatus = 0;
constexpr int BrokenStatus = 1;
constexpr int NotAllowedStatus = 77;

} // namespace

ChildOutcome RunInChild(const std::function<bool()>& check) {
    const pid_t child = fork();
    if (child < 0) {
        return ChildOutcome::NotAllowed;
    }
    if (child == 0) {
        bool held = false;
        try {
            held = check();
        } catch (...) {
            held = false;
        }
        _exit(held ? HeldStatus : BrokenStatus);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    if (!WIFEXITED(status)) {
        return ChildOutcome::Broken;
    }
    switch (WEXITSTATUS(status)) {
    case HeldStatus:
        return ChildOutcome::Held;
    case NotAllowedStatus:
        return ChildOutcome::NotAllowed;
    default:
        return ChildOutcome::Broken;
    }
}

void ExitNotAllowed() {
    _exit(NotAllowedStatus);
}

void MountTinyTmpfs(const char* folder, unsigned long bytes) {
    // Without the right to mount as root, a user namespace may still grant it.
    if (unshare(CLONE_NEWNS) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        ExitNotAllowed();
    }
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        ExitNotAllowed();
    }
    const std::string options = "size=" + std::to_string(bytes);
    if (mount("tarnel-test", folder, "tmpfs", 0, options.c_str()) != 0) {
        ExitNotAllowed();
    }
}

void RemountReadOnly(const char* folder) {
    if (mount("tarnel-test", folder, "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        ExitNotAllowed();
    }
}

void LimitFileSize(unsigned long bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        ExitNotAllowed();
    }
}

} // namespace tarnel::testing
