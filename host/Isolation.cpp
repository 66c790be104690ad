#include "Isolation.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <system_error>

namespace host {

namespace {

// Ends a completed child's payload: marker bytes and the exit code.
constexpr char kTrailer[] = {'\x7f', 'E', 'N', 'D'};
constexpr std::size_t kTrailerSize = sizeof(kTrailer) + 1;

void FlushAll() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

}  // namespace

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void ChildWriter::Write(const void* data, std::size_t size) { WriteAll(fd_, data, size); }

std::string SignalName(int signal) {
    switch (signal) {
        case SIGSEGV: return "SIGSEGV";
        case SIGBUS: return "SIGBUS";
        case SIGFPE: return "SIGFPE";
        case SIGILL: return "SIGILL";
        case SIGABRT: return "SIGABRT";
        case SIGKILL: return "SIGKILL";
        case SIGTERM: return "SIGTERM";
        case SIGPIPE: return "SIGPIPE";
        case SIGTRAP: return "SIGTRAP";
        default: return "signal " + std::to_string(signal);
    }
}

std::string ChildStatus::Describe() const {
    if (completed) return "";
    if (signal != 0) return "killed by signal " + std::to_string(signal) + " (" + SignalName(signal) + ")";
    return "ended abnormally with exit status " + std::to_string(rawExit);
}

SpawnedChild SpawnChild(const std::function<int(int fd)>& body) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int e = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        throw std::system_error(e, std::generic_category(), "fork");
    }
    if (pid == 0) {
        ::close(fds[0]);
        ::_exit(body(fds[1]) & 0xff);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

ChildStatus RunIsolated(const std::function<int(ChildWriter& out)>& body) {
    FlushAll();
    const SpawnedChild child = SpawnChild([&](int fd) {
        ChildWriter out(fd);
        int code = 2;
        try {
            code = body(out);
        } catch (const std::exception& e) {
            FlushAll();
            std::cerr << "scrhost: " << e.what() << "\n";
        } catch (...) {
            FlushAll();
            std::cerr << "scrhost: unknown error\n";
        }
        FlushAll();
        char trailer[kTrailerSize];
        std::memcpy(trailer, kTrailer, sizeof(kTrailer));
        trailer[sizeof(kTrailer)] = static_cast<char>(code & 0xff);
        WriteAll(fd, trailer, sizeof(trailer));
        return code;
    });
    ChildStatus status;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(child.fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        status.payload.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(child.fd);
    int wstatus = 0;
    while (::waitpid(child.pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    const std::string& p = status.payload;
    const bool trailer = p.size() >= kTrailerSize &&
                         p.compare(p.size() - kTrailerSize, sizeof(kTrailer), kTrailer, sizeof(kTrailer)) == 0;
    if (WIFSIGNALED(wstatus)) {
        status.signal = WTERMSIG(wstatus);
    } else if (WIFEXITED(wstatus)) {
        status.rawExit = WEXITSTATUS(wstatus);
        if (trailer && static_cast<unsigned char>(p.back()) == status.rawExit) {
            status.completed = true;
            status.exitCode = status.rawExit;
        }
    }
    if (trailer) status.payload.resize(p.size() - kTrailerSize);
    return status;
}

}  // namespace host
