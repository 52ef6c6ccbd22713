#include "hardware/jack/SpscRing.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <thread>

TEST(SpscRing, KeepsOrderAcrossTheEndAndRefusesWhatDoesNotFit) {
    SpscRing<int> ring(5); // rounded up to 8
    ASSERT_EQ(ring.Capacity(), 8U);
    std::array<int, 6> in{}, out{};
    int next = 0, expected = 0;
    for (int round = 0; round < 10; ++round) { // 60 elements through 8 places
        std::iota(in.begin(), in.end(), next);
        ASSERT_TRUE(ring.Write(in));
        next += 6;
        EXPECT_FALSE(ring.Write(in)); // 6 more do not fit beside 6: nothing is written
        EXPECT_EQ(ring.ReadAvailable(), 6U);
        ASSERT_EQ(ring.Read(std::span(out).first(4)), 4U);
        ASSERT_EQ(ring.Read(std::span(out).subspan(4)), 2U);
        for (const int value : out) EXPECT_EQ(value, expected++);
    }
    EXPECT_EQ(ring.Read(out), 0U);
}

TEST(SpscRing, CarriesEveryElementOnceBetweenTwoThreads) {
    constexpr int Count = 200000;
    SpscRing<int> ring(64);
    std::thread writer([&] {
        std::array<int, 7> chunk{};
        for (int next = 0; next < Count;) {
            const int n = std::min<int>(7, Count - next);
            std::iota(chunk.begin(), chunk.begin() + n, next);
            if (ring.Write(std::span(chunk).first(static_cast<std::size_t>(n))))
                next += n;
            else
                std::this_thread::yield();
        }
    });
    std::array<int, 5> chunk{};
    int outOfOrder = 0;
    for (int expected = 0; expected < Count;) {
        const std::size_t n = ring.Read(chunk);
        for (std::size_t i = 0; i < n; ++i) outOfOrder += chunk[i] != expected++ ? 1 : 0;
        if (n == 0) std::this_thread::yield();
    }
    writer.join();
    EXPECT_EQ(outOfOrder, 0);
}
