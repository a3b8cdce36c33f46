#include "core/imaging/filters/ParallelRows.h"

#include <QThreadPool>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace {

// At least two threads, so that bands really run on the pool beside the caller.
struct PoolOfAtLeastTwo {
    int before = QThreadPool::globalInstance()->maxThreadCount();
    PoolOfAtLeastTwo() { QThreadPool::globalInstance()->setMaxThreadCount(std::max(before, 2)); }
    ~PoolOfAtLeastTwo() { QThreadPool::globalInstance()->setMaxThreadCount(before); }
};

} // namespace

// A band that throws on a pool thread must neither end the program nor let the call return
// while other bands still run on the caller's stack: the error arrives on the caller, after
// every band that started has finished, and no band starts after it.
TEST(ParallelBands, AnExceptionOnAPoolThreadArrivesOnTheCallerAfterEveryBand) {
    const PoolOfAtLeastTwo pool;
    const auto caller = std::this_thread::get_id();
    std::atomic<int> inside{0}, helperBands{0}, startedAfterFailure{0};
    std::atomic<bool> failed{false};
    const auto body = [&](int, int) {
        if (failed) ++startedAfterFailure;
        ++inside;
        if (std::this_thread::get_id() != caller) {
            ++helperBands;
            failed = true;
            --inside;
            throw std::runtime_error("band failed");
        }
        // The caller's band waits for a helper to take a band, then lingers past its failure.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (helperBands == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        --inside;
    };
    try {
        parallelBands(4000, 1, body);
        FAIL() << "the band's exception was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "band failed");
    }
    EXPECT_EQ(inside, 0) << "the call returned while a band was still running";
    EXPECT_GE(helperBands, 1);
    // Bands claimed before the failure was seen may still have started; after it, none claims.
    EXPECT_LE(startedAfterFailure, 2);
}

TEST(ParallelBands, AnExceptionOnTheCallerWaitsForTheHelpers) {
    const PoolOfAtLeastTwo pool;
    const auto caller = std::this_thread::get_id();
    std::atomic<int> inside{0};
    std::atomic<bool> helperStarted{false};
    EXPECT_THROW(parallelBands(4000, 1,
                               [&](int, int) {
                                   ++inside;
                                   if (std::this_thread::get_id() == caller) {
                                       const auto deadline =
                                           std::chrono::steady_clock::now() + std::chrono::seconds(10);
                                       while (!helperStarted && std::chrono::steady_clock::now() < deadline)
                                           std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                       --inside;
                                       throw std::length_error("caller band failed");
                                   }
                                   helperStarted = true;
                                   std::this_thread::sleep_for(std::chrono::milliseconds(30));
                                   --inside;
                               }),
                 std::length_error);
    EXPECT_EQ(inside, 0) << "the call returned while a helper was still inside its band";
    // And the pool is fit for the next call.
    std::atomic<int> covered{0};
    parallelBands(1000, 1, [&](int begin, int end) { covered += end - begin; });
    EXPECT_EQ(covered, 1000);
}
