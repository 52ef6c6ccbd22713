#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <span>
#include <vector>

// A lock-free ring between one writer thread and one reader thread. The storage is made
// once, at construction, so neither side allocates, locks or calls the system: the
// audio thread may write or read it. Each side moves only its own index, and publishes
// it after the elements it covers are written or read.
template <class T>
class SpscRing {
public:
    // Holds `capacity` elements (rounded up to a power of two).
    explicit SpscRing(std::size_t capacity) : storage_(std::bit_ceil(std::max<std::size_t>(capacity, 2))) {}

    std::size_t Capacity() const { return storage_.size(); }
    std::size_t ReadAvailable() const {
        return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_relaxed);
    }
    std::size_t WriteAvailable() const {
        return Capacity() - (written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire));
    }

    // Writes all of `items` or, without room for all, nothing; true when written.
    bool Write(std::span<const T> items) {
        if (items.size() > WriteAvailable()) return false;
        const std::size_t at = written_.load(std::memory_order_relaxed);
        for (std::size_t i = 0; i < items.size(); ++i) storage_[(at + i) & (Capacity() - 1)] = items[i];
        written_.store(at + items.size(), std::memory_order_release);
        return true;
    }

    // Reads up to `into.size()` of the oldest elements; returns how many.
    std::size_t Read(std::span<T> into) {
        const std::size_t count = std::min(into.size(), ReadAvailable());
        const std::size_t at = read_.load(std::memory_order_relaxed);
        for (std::size_t i = 0; i < count; ++i) into[i] = storage_[(at + i) & (Capacity() - 1)];
        read_.store(at + count, std::memory_order_release);
        return count;
    }

private:
    std::vector<T> storage_;
    // Elements ever written and ever read; their difference is the fill. They never
    // wrap in practice (2^64 elements).
    std::atomic<std::size_t> written_{0};
    std::atomic<std::size_t> read_{0};
};
