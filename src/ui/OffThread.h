#pragma once

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

// Runs `work` on a thread of its own and waits for it in a local event loop, so that the
// control cycle (a timer of the event loop), the window and the signals that end the
// program go on meanwhile. Returns nothing when the wait is cut off: `limit` passed,
// `stop` said so, or the program ending its event loops; `work` is then told through
// its flag and left to finish alone, holding only what it was given. What `work` throws
// is thrown here.
template <class Result>
std::optional<Result> RunOffThread(std::function<Result(const std::atomic<bool>& cutOff)> work,
                                   std::chrono::milliseconds limit, const std::function<bool()>& stop) {
    struct Shared {
        std::atomic<bool> done{false};
        std::atomic<bool> cutOff{false};
        std::optional<Result> result;
        std::exception_ptr failure;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, work = std::move(work)] {
        try {
            shared->result = work(shared->cutOff);
        } catch (...) {
            shared->failure = std::current_exception();
        }
        shared->done.store(true, std::memory_order_release);
    }).detach();

    const auto deadline = std::chrono::steady_clock::now() + limit;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const bool stopped = stop && stop();
        if (shared->done.load(std::memory_order_acquire) || stopped || std::chrono::steady_clock::now() >= deadline)
            loop.quit();
    });
    constexpr int PollMs = 10;
    poll.start(PollMs);
    loop.exec();
    if (!shared->done.load(std::memory_order_acquire)) {
        shared->cutOff = true;
        return std::nullopt;
    }
    if (shared->failure) std::rethrow_exception(shared->failure);
    return std::move(shared->result);
}
