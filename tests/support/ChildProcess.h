#pragma once

#include <functional>

namespace tarnel::testing {

// How a check run in a child process came out.
enum class ChildOutcome {
    Held,       // the check returned true
    Broken,     // the check returned false, or the child died
    NotAllowed, // the child could not set up what the check needs (the test is skipped)
};

// Runs `check` in a forked child, so that limits and mounts it sets up never reach the test
// process. `check` returns its verdict; it may call ExitNotAllowed() when the system refuses
// what it needs. Call only while the test process runs no other thread.
ChildOutcome RunInChild(const std::function<bool()>& check);

// Ends the child at once with the outcome NotAllowed.
[[noreturn]] void ExitNotAllowed();

// In a child: gives the calling process a private mount namespace and mounts a tmpfs of
// `bytes` bytes on `folder`. Calls ExitNotAllowed() when the system does not allow it.
void MountTinyTmpfs(const char* folder, unsigned long bytes);

// In a child, after MountTinyTmpfs(folder, …): makes that tmpfs read-only, for everyone.
void RemountReadOnly(const char* folder);

// In a child: makes every file write beyond `bytes` fail with EFBIG instead of a signal.
void LimitFileSize(unsigned long bytes);

} // namespace tarnel::testing
