#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// Command-line tools that tests run, without a shell so that no path needs quoting.

// `name` on PATH, or in the administrators' folders that the PATH of a test run often
// lacks; empty if it is nowhere.
inline std::filesystem::path FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    const std::string dirs = std::string(path ? path : "") + ":/usr/local/sbin:/usr/sbin:/sbin";
    std::size_t start = 0;
    while (start < dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::filesystem::path candidate = std::filesystem::path(dirs.substr(start, end - start)) / name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

// How a child that waitpid() reported on ended.
inline std::string DescribeExit(int status) {
    if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return std::string("was killed by ") + ::strsignal(WTERMSIG(status));
    return "stopped";
}

struct ProgramRun {
    bool ok = false; // found, started and exited with status 0
    std::string out;
    std::string err; // the program's stderr, or why it could not be run
};

// Runs args[0] to its end and collects what it wrote. Both pipes are drained together,
// so a program that fills one while the other is read does not stall.
inline ProgramRun RunProgram(const std::vector<std::string>& args) {
    ProgramRun run;
    const std::filesystem::path program = FindProgram(args.at(0));
    if (program.empty()) {
        run.err = args[0] + " is not installed";
        return run;
    }
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) {
        run.err = std::string("pipe: ") + std::strerror(errno);
        return run;
    }
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        run.err = std::string("pipe: ") + std::strerror(errno);
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);

    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0) ::close(fd.fd);
    }
    if (spawned != 0) {
        run.err = "cannot start " + program.string() + ": " + std::strerror(spawned);
        return run;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.ok && run.err.empty()) run.err = program.string() + " " + DescribeExit(status);
    return run;
}
