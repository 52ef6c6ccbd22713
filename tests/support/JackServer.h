#pragma once

#include "support/Programs.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// A program the test started, with its output in a log file; killed by its process id and
// reaped when the object goes, so that no test leaves a process behind.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& args, const std::filesystem::path& log) : log_(log) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        const int failed = ::posix_spawn(&pid_, args.at(0).c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            error_ = "cannot start " + args[0] + ": " + std::strerror(failed);
            pid_ = 0;
        }
    }
    ~ChildProcess() { Kill(SIGKILL); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    const std::string& Error() const { return error_; }
    pid_t Pid() const { return pid_; }
    // Still running: not yet ended, or ended and not yet reaped here.
    bool Running() {
        if (pid_ == 0) return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) != pid_) return true;
        error_ = "ended: " + DescribeExit(status);
        pid_ = 0;
        return false;
    }
    // Sends `signal` and reaps the process; SIGKILL if it has not ended within 5 s.
    void Kill(int signal) {
        if (pid_ == 0) return;
        ::kill(pid_, signal);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (Running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (pid_ != 0) {
            ::kill(pid_, SIGKILL);
            while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
            }
            pid_ = 0;
        }
    }
    std::string Log() const {
        std::ifstream in(log_);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path log_;
    pid_t pid_ = 0;
    std::string error_;
};

// A JACK server of the test's own: jackd on the dummy driver (no sound hardware, the
// period timed by the wall clock) under a name no other run uses, so it shares nothing
// with a desktop's server or another test. Up once the constructor returns with an empty
// Error(); stopped by its process id when the object goes.
class PrivateJackServer {
public:
    explicit PrivateJackServer(const std::filesystem::path& folder, int rate = 48000, int period = 256)
        : name_("zek8-test-" + std::to_string(::getpid()) + "-" + std::to_string(++Count())) {
        const std::filesystem::path jackd = FindProgram("jackd");
        if (jackd.empty()) {
            error_ = "jackd is not installed (scripts/install-deps)";
            return;
        }
        server_ =
            std::make_unique<ChildProcess>(std::vector<std::string>{jackd.string(), "-n", name_, "-d", "dummy", "-r",
                                                                    std::to_string(rate), "-p", std::to_string(period)},
                                           folder / (name_ + ".log"));
        error_ = server_->Error();
        // It answers once a client can list its ports; ten seconds is long even on a busy machine.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (error_.empty()) {
            if (!server_->Running()) {
                error_ = "jackd " + server_->Error() + ":\n" + server_->Log();
            } else if (RunProgram({"jack_lsp", "-s", name_}).ok) {
                return;
            } else if (std::chrono::steady_clock::now() > deadline) {
                error_ = "jackd did not answer within 10 s:\n" + server_->Log();
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
    }

    ~PrivateJackServer() { Stop(); }
    PrivateJackServer(const PrivateJackServer&) = delete;
    PrivateJackServer& operator=(const PrivateJackServer&) = delete;

    const std::string& Error() const { return error_; }
    const std::string& Name() const { return name_; }
    bool Running() { return server_ && server_->Running(); }
    // Ends the server as its own signal handler expects, and reaps it.
    void Stop() {
        if (server_) server_->Kill(SIGTERM);
    }

private:
    static int& Count() {
        static int count = 0;
        return count;
    }

    std::string name_;
    std::unique_ptr<ChildProcess> server_;
    std::string error_;
};
