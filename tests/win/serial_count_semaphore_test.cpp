// The class library's counting semaphore: counts and limits, the wait with a
// stop event, and the token passed between two threads.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "WCountSemaphore.h"
#include "WHandle.h"

namespace {

using WaitResult = WCountSemaphore::WaitResult;

TEST(WCountSemaphoreTest, CountsBetweenZeroAndTheMaximum)
{
    struct Case {
        long initial;
        long maximum;
    };
    const Case cases[] = {{1, 1}, {0, 1}, {2, 3}, {0, 5}};
    for (const Case& c : cases) {
        WCountSemaphore semaphore(nullptr, c.initial, c.maximum);
        ASSERT_TRUE(semaphore.IsValid());
        for (long taken = 0; taken < c.initial; ++taken) {
            EXPECT_EQ(semaphore.Wait(0), WaitResult::Taken);
        }
        EXPECT_EQ(semaphore.Wait(0), WaitResult::TimedOut) << "initial " << c.initial;
        EXPECT_TRUE(semaphore.Release(c.maximum));
        EXPECT_FALSE(semaphore.Release(1)) << "above the maximum " << c.maximum;
        EXPECT_TRUE(semaphore.Wait());
    }
}

TEST(WCountSemaphoreTest, ReleaseAboveTheMaximumChangesNothing)
{
    WCountSemaphore token(nullptr, 1, 1);
    EXPECT_FALSE(token.Release());
    EXPECT_EQ(token.Wait(0), WaitResult::Taken);
    EXPECT_EQ(token.Wait(0), WaitResult::TimedOut);
}

TEST(WCountSemaphoreTest, StopEventEndsTheWaitAndWinsOverAFreeToken)
{
    WKernelHandle stop(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    WCountSemaphore token(nullptr, 0, 1);
    EXPECT_EQ(token.WaitOrStop(stop.Get(), 0), WaitResult::TimedOut);

    std::thread stopper([&] { SetEvent(stop.Get()); });
    EXPECT_EQ(token.WaitOrStop(stop.Get(), 5000), WaitResult::Stopped);
    stopper.join();

    ASSERT_TRUE(token.Release());
    EXPECT_EQ(token.WaitOrStop(stop.Get(), 0), WaitResult::Stopped);
    ResetEvent(stop.Get());
    EXPECT_EQ(token.WaitOrStop(stop.Get(), 0), WaitResult::Taken) << "the token stayed free";
}

TEST(WCountSemaphoreTest, TokenPassesBetweenThreads)
{
    constexpr int kRounds = 1000;
    WCountSemaphore toWorker(nullptr, 0, 1);
    WCountSemaphore toMain(nullptr, 0, 1);
    int shared = 0;
    std::thread worker([&] {
        for (int round = 0; round < kRounds; ++round) {
            if (toWorker.Wait(5000) != WaitResult::Taken) {
                return;
            }
            ++shared;
            toMain.Release();
        }
    });
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_TRUE(toWorker.Release());
        ASSERT_EQ(toMain.Wait(5000), WaitResult::Taken) << "round " << round;
        ASSERT_EQ(shared, round + 1);
    }
    worker.join();
}

TEST(WCountSemaphoreTest, ObjectsOfOneNameShareTheCount)
{
    WCountSemaphore first("Leitungsfuchs-test-semaphore", 1, 1);
    WCountSemaphore second("Leitungsfuchs-test-semaphore", 1, 1);
    ASSERT_TRUE(first.IsValid());
    ASSERT_TRUE(second.IsValid());
    EXPECT_EQ(first.Wait(0), WaitResult::Taken);
    EXPECT_EQ(second.Wait(0), WaitResult::TimedOut);
    EXPECT_TRUE(second.Release());
    EXPECT_EQ(first.Wait(0), WaitResult::Taken);
}

TEST(WCountSemaphoreTest, FailedCreationFailsEveryOperation)
{
    WCountSemaphore broken(nullptr, 2, 1); // initial above maximum
    EXPECT_FALSE(broken.IsValid());
    EXPECT_FALSE(broken.Wait());
    EXPECT_EQ(broken.Wait(0), WaitResult::Failed);
    EXPECT_FALSE(broken.Release());
}

} // namespace
