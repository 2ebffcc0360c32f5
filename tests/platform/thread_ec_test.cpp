#include "platform/thread_ec.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>

namespace kordalt {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// Polls `done` for at most five seconds.
template <class F>
bool Eventually(F done) {
    const auto limit = Clock::now() + std::chrono::seconds(5);
    while (!done() && Clock::now() < limit) std::this_thread::sleep_for(Ms(1));
    return done();
}

template <class T>
using ThreadPtr = std::unique_ptr<T, TThreadEC::Deleter>;

// Records each run, then waits like the base thread until asked to stop.
class CountingThread : public TThreadEC {
public:
    std::atomic<int> runs{0};
    std::atomic<bool> terminatedAtStart{true};
    std::atomic<int> niceInRun{-100};

protected:
    void Execute() override {
        terminatedAtStart = Terminated();
        niceInRun = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        ++runs;
        TThreadEC::Execute();
    }
};

class ThrowingThread : public TThreadEC {
public:
    std::atomic<int> runs{0};

protected:
    void Execute() override {
        ++runs;
        throw std::runtime_error("lost");
    }
};

class SelfFreeingThread : public TThreadEC {
public:
    SelfFreeingThread(std::promise<void>* freed, Ms work) : freed_(freed), work_(work) {
        FreeOnTerminate = true;
    }

protected:
    ~SelfFreeingThread() override { freed_->set_value(); }
    void Execute() override { std::this_thread::sleep_for(work_); }

private:
    std::promise<void>* freed_;
    Ms work_;
};

TEST(ThreadEC, WaitForWithoutThreadReturnsAtOnce) {
    ThreadPtr<CountingThread> t(new CountingThread);
    const auto start = Clock::now();
    EXPECT_TRUE(t->WaitFor(5000));
    EXPECT_TRUE(t->WaitFor(-1));
    EXPECT_LT(Clock::now() - start, Ms(100));
    EXPECT_FALSE(t->Running());
    EXPECT_EQ(t->ThreadId(), 0);
    EXPECT_EQ(t->Priority(), 0);
}

TEST(ThreadEC, StartWhileRunningDoesNothingAndWaitTimesOut) {
    ThreadPtr<CountingThread> t(new CountingThread);
    t->StartThread();
    ASSERT_TRUE(t->Running());
    const pid_t id = t->ThreadId();
    EXPECT_NE(id, 0);
    t->StartThread();
    EXPECT_EQ(t->ThreadId(), id);

    const auto start = Clock::now();
    EXPECT_FALSE(t->WaitFor(50));
    EXPECT_GE(Clock::now() - start, Ms(50));
    EXPECT_EQ(t->runs, 1);

    t->Terminate();
    EXPECT_TRUE(t->WaitFor(5000));
    EXPECT_FALSE(t->Running());
    EXPECT_EQ(t->ThreadId(), 0);
    EXPECT_EQ(t->runs, 1);
}

TEST(ThreadEC, RestartsWithTerminatedCleared) {
    ThreadPtr<CountingThread> t(new CountingThread);
    for (int run = 1; run <= 3; ++run) {
        t->StartThread();
        ASSERT_TRUE(Eventually([&] { return t->runs == run; })) << run;
        t->Terminate();
        ASSERT_TRUE(t->WaitFor(5000)) << run;
        EXPECT_FALSE(t->terminatedAtStart) << run;
        EXPECT_FALSE(t->Terminated()) << "cleared when the run ends";
    }
}

TEST(ThreadEC, RunsAtTheIdlePriorityUnlessTold) {
    const int ownNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    const struct {
        uint8_t index;
        int nice;
    } cases[] = {{0, 19}, {3, ownNice}};
    for (const auto& c : cases) {
        ThreadPtr<CountingThread> t(new CountingThread);
        t->SetPriority(c.index);
        t->StartThread();
        t->Terminate();
        ASSERT_TRUE(t->WaitFor(5000));
        EXPECT_EQ(t->niceInRun, c.nice) << int{c.index};
    }
}

TEST(ThreadEC, DestroyStopsTheBaseThreadWithinASecond) {
    auto* t = new TThreadEC;
    t->StartThread();
    std::this_thread::sleep_for(Ms(20));
    const auto start = Clock::now();
    t->Destroy();
    EXPECT_LT(Clock::now() - start, Ms(1500));
}

TEST(ThreadEC, ExceptionFromExecuteIsDroppedAndTheObjectRestarts) {
    ThreadPtr<ThrowingThread> t(new ThrowingThread);
    t->StartThread();
    ASSERT_TRUE(t->WaitFor(5000));
    t->StartThread();
    ASSERT_TRUE(t->WaitFor(5000));
    EXPECT_EQ(t->runs, 2);
    EXPECT_FALSE(t->Running());
}

TEST(ThreadEC, FreeOnTerminateFreesTheObject) {
    std::promise<void> freed;
    auto done = freed.get_future();
    (new SelfFreeingThread(&freed, Ms(20)))->StartThread();
    EXPECT_EQ(done.wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

// A run that ends at once must not free the object while StartThread still uses it
// (the sanitizer reports the use after free).
TEST(ThreadEC, SelfFreeingThreadThatEndsAtOnce) {
    for (int i = 0; i < 200; ++i) {
        std::promise<void> freed;
        auto done = freed.get_future();
        (new SelfFreeingThread(&freed, Ms(0)))->StartThread();
        ASSERT_EQ(done.wait_for(std::chrono::seconds(5)), std::future_status::ready) << i;
    }
}

}  // namespace
}  // namespace kordalt
