// The safe-synchronisation registry: slots and ids, sends from worker
// threads, time-outs, switched-off slots and exceptions in callbacks.

#include "serial/safesync.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "pty_helpers.h"
#include "serial/exceptiondisplay.h"

namespace tovrix {
namespace {

struct Recorder {
    std::atomic<int> calls{0};
    std::atomic<int> lastSlot{0};
    std::thread::id thread;
    std::function<void()> extra;
};

void record(void* object, std::int32_t slot) {
    auto* recorder = static_cast<Recorder*>(object);
    recorder->thread = std::this_thread::get_id();
    recorder->lastSlot = slot;
    ++recorder->calls;
    if (recorder->extra) {
        recorder->extra();
    }
}

// Registers a slot for the test's lifetime.
class SafeSyncTest : public ::testing::Test {
  protected:
    void SetUp() override {
        id = SafeSyncRegister(&record, &recorder);
        ASSERT_NE(id, 0U);
    }
    void TearDown() override { SafeSyncUnregister(id); }

    // Sends from a worker thread; the result arrives in the future.
    std::future<bool> sendFromWorker(std::int32_t timeoutMs) {
        return std::async(std::launch::async,
                          [this, timeoutMs] { return SafeSyncSend(id, timeoutMs); });
    }

    Recorder recorder;
    std::uint32_t id = 0;
};

TEST_F(SafeSyncTest, ASendRunsTheCallbackOnTheUserInterfaceThread) {
    ASSERT_TRUE(SafeSyncEnable(id, true));
    auto result = sendFromWorker(2000);
    ASSERT_TRUE(test::pumpUntil(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        2000));
    EXPECT_TRUE(result.get());
    EXPECT_EQ(recorder.calls.load(), 1);
    EXPECT_EQ(recorder.thread, std::this_thread::get_id());
    EXPECT_GE(recorder.lastSlot.load(), 1);
    EXPECT_LE(recorder.lastSlot.load(), kSafeSyncSlots);
}

TEST_F(SafeSyncTest, ANewSlotStartsDisabledAndSendsToItFailAtOnce) {
    const double start = test::nowMs();
    EXPECT_FALSE(SafeSyncSend(id, 2000));
    EXPECT_LT(test::nowMs() - start, 1000.0);  // not the 2000 ms time-out
    test::pumpFor(20);
    EXPECT_EQ(recorder.calls.load(), 0);
}

TEST_F(SafeSyncTest, IdsAreNotReusedAndAReusedSlotStartsDisabled) {
    ASSERT_TRUE(SafeSyncEnable(id, true));
    Recorder other;
    const std::uint32_t second = SafeSyncRegister(&record, &other);
    ASSERT_TRUE(SafeSyncUnregister(second));
    EXPECT_FALSE(SafeSyncUnregister(second));
    EXPECT_FALSE(SafeSyncEnable(second, true));
    const std::uint32_t third = SafeSyncRegister(&record, &other);
    EXPECT_NE(third, second);
    EXPECT_NE(third, 0U);
    EXPECT_FALSE(SafeSyncSend(third, 100));
    SafeSyncUnregister(third);
}

TEST_F(SafeSyncTest, TheIdCounterWrapsToOneNeverZero) {
    SafeSyncSetIdCounter(0xFFFFFFFEU);
    Recorder other;
    const std::uint32_t largest = SafeSyncRegister(&record, &other);
    const std::uint32_t wrapped = SafeSyncRegister(&record, &other);
    EXPECT_EQ(largest, 0xFFFFFFFFU);
    EXPECT_EQ(wrapped, 1U);
    EXPECT_TRUE(SafeSyncEnable(wrapped, true));
    SafeSyncUnregister(largest);
    SafeSyncUnregister(wrapped);
    SafeSyncSetIdCounter(1000);  // keep later ids clear of the ones in use
}

TEST_F(SafeSyncTest, SixtyFourSlotsAndNoMore) {
    Recorder other;
    std::vector<std::uint32_t> ids;
    for (;;) {
        const std::uint32_t next = SafeSyncRegister(&record, &other);
        if (next == 0) {
            break;
        }
        ids.push_back(next);
        ASSERT_LT(ids.size(), 100U);
    }
    EXPECT_EQ(ids.size() + 1, static_cast<std::size_t>(kSafeSyncSlots));  // one is the fixture's
    EXPECT_FALSE(SafeSyncEnable(0, true));
    EXPECT_FALSE(SafeSyncSend(0, 100));
    for (const auto taken : ids) {
        SafeSyncUnregister(taken);
    }
}

TEST_F(SafeSyncTest, ATimedOutSendIsNoErrorAndRunsLate) {
    ASSERT_TRUE(SafeSyncEnable(id, true));
    const double start = test::nowMs();
    // This thread does not run its event loop, so the worker times out.
    auto result = sendFromWorker(100);
    EXPECT_TRUE(result.get());
    const double took = test::nowMs() - start;
    EXPECT_GT(took, 90.0);
    EXPECT_LT(took, 1500.0);  // the time-out, not a wait for the event loop
    EXPECT_EQ(recorder.calls.load(), 0);
    ASSERT_TRUE(test::pumpUntil([&] { return recorder.calls.load() == 1; }, 1000));
}

TEST_F(SafeSyncTest, DisablingASlotReleasesAWaitingSenderThroughTheServicingWait) {
    ASSERT_TRUE(SafeSyncEnable(id, true));
    std::atomic<bool> done{false};
    std::promise<bool> outcome;
    std::thread worker([&] {
        outcome.set_value(SafeSyncSend(id, 5000));
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SafeSyncEnable(id, false);
    // Waiting for the worker the way the port waits for its threads: pending
    // sends are served meanwhile, so the worker is let go at once.
    const double start = test::nowMs();
    auto result = outcome.get_future();
    while (!done.load()) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        std::thread poke([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            [[maybe_unused]] auto n = ::write(pipeFds[1], "x", 1);
        });
        SafeSyncWaitReadable(pipeFds[0]);
        poke.join();
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
    }
    worker.join();
    EXPECT_FALSE(result.get());
    EXPECT_LT(test::nowMs() - start, 3000.0);  // not the sender's 5000 ms time-out
    EXPECT_EQ(recorder.calls.load(), 0);
}

TEST_F(SafeSyncTest, ACallbackMayUseTheRegistryItself) {
    ASSERT_TRUE(SafeSyncEnable(id, true));
    recorder.extra = [this] { SafeSyncEnable(id, false); };
    auto result = sendFromWorker(2000);
    ASSERT_TRUE(test::pumpUntil(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        2000));
    EXPECT_FALSE(result.get()) << "the slot was switched off by its own callback";
    EXPECT_EQ(recorder.calls.load(), 1);
}

TEST_F(SafeSyncTest, AnExceptionInACallbackIsShownAndGoesNoFurther) {
    std::vector<std::string> shown;
    const auto previous =
        setExceptionDisplay([&](const std::exception& error) { shown.emplace_back(error.what()); });
    ASSERT_TRUE(SafeSyncEnable(id, true));
    recorder.extra = [] { throw std::runtime_error("handler failed"); };
    auto result = sendFromWorker(2000);
    ASSERT_TRUE(test::pumpUntil(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        2000));
    EXPECT_TRUE(result.get());
    EXPECT_EQ(shown, std::vector<std::string>{"handler failed"});
    setExceptionDisplay(previous);
}

TEST_F(SafeSyncTest, PostedProceduresRunOnTheUserInterfaceThread) {
    std::thread::id ranOn;
    std::thread worker([&] { SafeSyncPostProc([&] { ranOn = std::this_thread::get_id(); }); });
    worker.join();
    ASSERT_TRUE(test::pumpUntil([&] { return ranOn != std::thread::id(); }, 2000));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

}  // namespace
}  // namespace tovrix
