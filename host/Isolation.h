// Running plug-in code in a forked child process, so that a plug-in that
// crashes takes only the child with it.
//
// The child inherits the parent's memory as it was at the fork, so a
// plug-in loaded (and never initialized) in the parent is pristine in
// every child: one load serves any number of children.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace host {

// How a child ended.
struct ChildStatus {
    bool completed = false;  // the body returned and the child exited by itself
    int exitCode = 0;        // the body's result when completed
    int signal = 0;          // the signal that killed the child, or 0
    int rawExit = -1;        // exit status of a child that ended otherwise (a sanitizer's report, say)
    std::string payload;     // what the body wrote through its writer

    // "", or "killed by signal 11 (SIGSEGV)" / "ended abnormally with exit status 1".
    std::string Describe() const;
};

// Writes to the parent; usable only inside the child's body.
class ChildWriter {
public:
    explicit ChildWriter(int fd) : fd_(fd) {}
    void Write(const void* data, std::size_t size);
    void Write(const std::string& s) { Write(s.data(), s.size()); }

private:
    int fd_;
};

// A started child and the read end of the pipe it writes to.
struct SpawnedChild {
    int pid;
    int fd;
};

// Forks a child that runs body with the pipe's write end and _exit()s with
// its result (no destructors, no flushing of stdio buffers). The caller
// reads the pipe and reaps the child. Throws std::system_error when the
// child cannot be started.
SpawnedChild SpawnChild(const std::function<int(int fd)>& body);

// Forks; the child runs body (its result is the exit code; an exception
// is reported on stderr and gives exit code 2), flushes stdout and
// stderr, and _exit()s without running destructors. The parent collects
// the payload and reaps the child. Throws std::system_error when the
// child cannot be started.
ChildStatus RunIsolated(const std::function<int(ChildWriter& out)>& body);

// Writes all bytes to a file descriptor, retrying after interrupts;
// false on an error.
bool WriteAll(int fd, const void* data, std::size_t size);

// Name of a signal ("SIGSEGV"), or "signal N".
std::string SignalName(int signal);

}  // namespace host
