#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A named pipe that nobody writes to. A reader that waits in open() for a writer would
// hang its test for ever: after `patience` a writer comes and goes every few
// milliseconds, which ends such a wait (the reader then finds the pipe empty), and the
// pipe remembers that it held a reader.
class NamedPipe {
public:
    explicit NamedPipe(std::filesystem::path path, std::chrono::milliseconds patience = std::chrono::seconds(1))
        : path_(std::move(path)) {
        ::mkfifo(path_.c_str(), 0644);
        freer_ = std::thread([this, patience] {
            std::unique_lock lock(mutex_);
            if (done_.wait_for(lock, patience, [this] { return stop_; })) return;
            while (!done_.wait_for(lock, std::chrono::milliseconds(5), [this] { return stop_; })) {
                // Succeeds only while a reader has the pipe open or waits to.
                const int writer = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (writer >= 0) {
                    heldAReader_ = true;
                    ::close(writer);
                }
            }
        });
    }
    ~NamedPipe() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        done_.notify_all();
        freer_.join();
        std::filesystem::remove(path_);
    }
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    std::string Path() const { return path_.string(); }
    bool HeldAReader() const { return heldAReader_; }

private:
    std::filesystem::path path_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool stop_ = false;
    std::atomic<bool> heldAReader_ = false;
    std::thread freer_;
};
