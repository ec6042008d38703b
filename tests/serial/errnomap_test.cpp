// Small pure pieces of the port core: errno judgement, deadlines, priorities.

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "serial/deadline.h"
#include "serial/errnomap.h"
#include "serial/threadpriority.h"
#include "serial/waitevent.h"

namespace tovrix {
namespace {

struct ErrnoCase {
    int error;
    SysErrorKind kind;
    const char* openText;
    PortFailure cause;
};

class ErrnoMapping : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoMapping, KindOpenTextAndCause) {
    const ErrnoCase& c = GetParam();
    EXPECT_EQ(classifyErrno(c.error), c.kind);
    const EComPortCoreError error = openError(c.error, 3, "/dev/ttyUSB7");
    EXPECT_STREQ(error.what(), c.openText);
    EXPECT_EQ(error.Cause(), c.cause);
    EXPECT_EQ(error.Errno(), c.error);
    EXPECT_EQ(error.Device(), "/dev/ttyUSB7");
}

constexpr const char* kInvalid = "Invalid port number (COM3)";
constexpr const char* kCantOpen = "Can't open device COM3";

INSTANTIATE_TEST_SUITE_P(
    Rows, ErrnoMapping,
    ::testing::Values(ErrnoCase{ENOENT, SysErrorKind::NoDevice, kInvalid, PortFailure::NotPresent},
                      ErrnoCase{ENXIO, SysErrorKind::NoDevice, kInvalid, PortFailure::NotPresent},
                      ErrnoCase{ENODEV, SysErrorKind::NoDevice, kInvalid, PortFailure::NotPresent},
                      ErrnoCase{EBUSY, SysErrorKind::Other, kCantOpen, PortFailure::InUse},
                      ErrnoCase{EACCES, SysErrorKind::Other, kCantOpen, PortFailure::NoPermission},
                      ErrnoCase{EPERM, SysErrorKind::Other, kCantOpen, PortFailure::NoPermission},
                      ErrnoCase{EIO, SysErrorKind::Gone, kCantOpen, PortFailure::Other},
                      ErrnoCase{ENOTTY, SysErrorKind::NotSupported, kCantOpen,
                                PortFailure::NotSerial},
                      ErrnoCase{EAGAIN, SysErrorKind::TryAgain, kCantOpen, PortFailure::InUse},
                      ErrnoCase{EINTR, SysErrorKind::Interrupted, kCantOpen, PortFailure::Other}));

TEST(Deadline, RemainingTimeIsRoundedUpAndNeverNegative) {
    EXPECT_EQ(Deadline::never().remainingMs(), -1);
    EXPECT_FALSE(Deadline::never().expired());
    const Deadline soon = Deadline::after(50);
    EXPECT_GT(soon.remainingMs(), 0);
    EXPECT_LE(soon.remainingMs(), 50);
    EXPECT_EQ(Deadline::after(-5).remainingMs(), 0);
    EXPECT_TRUE(Deadline::after(0).expired());
}

TEST(Deadline, PollUntilEndsAtTheDeadline) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    pollfd entry{fds[0], POLLIN, 0};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(pollUntil(&entry, 1, Deadline::after(60)), 0);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
    EXPECT_GE(took, 59);
    EXPECT_LT(took, 2000);  // only a wait that does not end at its deadline
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    EXPECT_EQ(pollUntil(&entry, 1, Deadline::never()), 1);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(WaitEvent, AutoResetEventsAreConsumedByTheWaitManualOnesAreNot) {
    WaitEvent automatic(WaitEvent::Mode::AutoReset);
    WaitEvent manual(WaitEvent::Mode::ManualReset);
    EXPECT_FALSE(automatic.WaitFor(0));
    automatic.Set();
    automatic.Set();
    EXPECT_TRUE(automatic.WaitFor(0));
    EXPECT_FALSE(automatic.WaitFor(0));
    manual.Set();
    EXPECT_TRUE(manual.WaitFor(0));
    EXPECT_TRUE(manual.WaitFor(0));
    manual.Reset();
    EXPECT_FALSE(manual.WaitFor(0));
}

TEST(ThreadPriority, HigherPrioritiesGetLowerNiceValues) {
    const TThreadPriority order[] = {tpIdle,   tpLowest,  tpLower,       tpNormal,
                                     tpHigher, tpHighest, tpTimeCritical};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        EXPECT_LT(niceForPriority(order[i]), niceForPriority(order[i - 1]));
    }
    EXPECT_EQ(niceForPriority(tpNormal), 0);
    EXPECT_GE(niceForPriority(tpTimeCritical), -20);
    EXPECT_LE(niceForPriority(tpIdle), 19);
}

}  // namespace
}  // namespace tovrix
