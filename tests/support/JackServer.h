#pragma once

#include "support/Programs.h"

#include <chrono>
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

// Asks `done` every 20 ms until it holds or `limit` has passed; whether it held.
template <typename Condition>
bool WaitUntil(Condition done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A program the test started, its output in a log file; killed by its process id and
// reaped when the object goes, so that no test leaves a process behind.
class ChildProcess {
public:
    ChildProcess(std::vector<std::string> args, const std::filesystem::path& log) : log_(log) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() { Kill(SIGKILL); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Not yet ended, or ended and not yet reaped here.
    bool Running() {
        if (pid_ != 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_) pid_ = 0;
        return pid_ != 0;
    }
    pid_t Pid() const { return pid_; }
    // How the process ended, as waitpid() tells it, once reaped.
    int Status() const { return status_; }
    void Signal(int signal) {
        if (pid_ != 0) ::kill(pid_, signal);
    }
    // Sends `signal` and reaps the process, with SIGKILL if it has not ended within 5 s.
    void Kill(int signal) {
        if (pid_ == 0) return;
        ::kill(pid_, signal);
        if (WaitUntil([this] { return !Running(); }, std::chrono::seconds(5))) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
        pid_ = 0;
    }
    std::string Log() const {
        std::ostringstream text;
        text << std::ifstream(log_).rdbuf();
        return text.str();
    }

private:
    std::filesystem::path log_;
    pid_t pid_ = 0;
    int status_ = 0;
};

// A JACK server of the test's own: jackd on the dummy driver (no sound hardware, periods
// timed by the wall clock) under a name no other run uses, so it shares nothing with a
// desktop's server or another test. Up once the constructor returns with an empty
// Error(); stopped by its process id when the object goes.
class PrivateJackServer {
public:
    explicit PrivateJackServer(const std::filesystem::path& folder, int rate = 48000, int period = 256)
        : name_("zek8-test-" + std::to_string(::getpid()) + "-" + std::to_string(++count_)), folder_(folder),
          rate_(rate), period_(period) {
        Start();
    }
    // Starts the server (again, after Stop) under the same name.
    void Start() {
        server_ = std::make_unique<ChildProcess>(std::vector<std::string>{FindProgram("jackd"), "-n", name_, "-d",
                                                                          "dummy", "-r", std::to_string(rate_), "-p",
                                                                          std::to_string(period_)},
                                                 folder_ / (name_ + ".log"));
        error_.clear();
        // Up once a client can list its ports; ten seconds is long even on a busy machine.
        const auto answers = [this] { return !server_->Running() || RunProgram({"jack_lsp", "-s", name_}).ok; };
        if (!WaitUntil(answers, std::chrono::seconds(10)) || !server_->Running())
            error_ = "jackd (scripts/install-deps) did not come up:\n" + server_->Log();
    }
    ~PrivateJackServer() { Stop(); }

    const std::string& Error() const { return error_; }
    const std::string& Name() const { return name_; }
    bool Running() { return server_->Running(); }
    int Period() const { return period_; }
    // SIGSTOP and SIGCONT: a server that is up and does not answer.
    void Signal(int signal) { server_->Signal(signal); }
    // Ends the server the way it expects to be ended, and reaps it. The semaphores its
    // clients leave in /dev/shm go with it, so that runs do not pile them up.
    void Stop() {
        server_->Kill(SIGTERM);
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
            const std::string file = entry.path().filename().string();
            if (file.starts_with("jack_sem.") && file.find("_" + name_ + "_") != std::string::npos)
                std::filesystem::remove(entry.path(), error);
        }
    }

private:
    static inline int count_ = 0;
    std::string name_;
    std::filesystem::path folder_;
    int rate_, period_;
    std::unique_ptr<ChildProcess> server_;
    std::string error_;
};
