#include "controls/ex_timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

#include "controls/classic.h"

namespace kordalt {
namespace {

using namespace std::chrono_literals;

struct TickCounter {
    std::atomic<int> ticks{0};
    std::atomic<int> offUiThread{0};
    TExTimer::TimerHandler Handler() {
        return [this](TExTimer&) {
            if (QThread::currentThread() != QCoreApplication::instance()->thread()) ++offUiThread;
            ++ticks;
        };
    }
};

bool WaitFor(const std::function<bool()>& done, int ms = 3000) { return QTest::qWaitFor(done, ms); }

// Collects what the application's exception handling is given.
struct ReportedExceptions {
    std::atomic<int> count{0};
    ReportedExceptions() {
        SetApplicationExceptionHandler([this](QObject*, std::exception_ptr) { ++count; });
    }
    ~ReportedExceptions() {
        QCoreApplication::processEvents();  // reports the freed timer posted
        SetApplicationExceptionHandler(nullptr);
    }
};

TEST(ExTimer, TicksOnTheWorkerOrTheUserInterfaceThread) {
    for (bool sync : {false, true}) {
        SCOPED_TRACE(sync ? "SyncEvent on" : "SyncEvent off");
        TickCounter counter;
        TExTimer timer;
        timer.SetSyncEvent(sync);
        timer.SetInterval(5);
        timer.SetOnTimer(counter.Handler());
        ASSERT_TRUE(WaitFor([&] { return counter.ticks >= 3; }));
        EXPECT_EQ(counter.offUiThread > 0, !sync);
        timer.SetEnabled(false);
        QTest::qWait(30);
        const int stopped = counter.ticks;
        QTest::qWait(60);
        EXPECT_EQ(counter.ticks, stopped);
    }
}

TEST(ExTimer, WindowTimerModeTicksOnTheUserInterfaceThread) {
    TickCounter counter;
    TExTimer timer;
    timer.SetThreaded(false);
    timer.SetInterval(5);
    timer.SetOnTimer(counter.Handler());
    ASSERT_TRUE(WaitFor([&] { return counter.ticks >= 3; }));
    EXPECT_EQ(counter.offUiThread, 0);
    timer.SetThreaded(true);  // back to the worker
    const int before = counter.ticks;
    timer.SetSyncEvent(false);
    ASSERT_TRUE(WaitFor([&] { return counter.offUiThread >= 2; }));
    EXPECT_GT(counter.ticks, before);
}

TEST(ExTimer, DisarmedTimerNeverTicks) {
    struct Case {
        const char* name;
        unsigned interval;
        bool enabled;
        bool clearHandler;
    } cases[] = {
        {"interval 0", 0, true, false}, {"disabled", 5, false, false}, {"handler cleared", 5, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TickCounter counter;
        TExTimer timer;
        timer.SetSyncEvent(false);
        timer.SetEnabled(c.enabled);
        timer.SetInterval(c.interval);
        timer.SetOnTimer(counter.Handler());
        if (c.clearHandler) timer.SetOnTimer(nullptr);
        QTest::qWait(80);
        EXPECT_EQ(counter.ticks, 0);
    }
}

TEST(ExTimer, ReplacingTheHandlerKeepsTheRunningWait) {
    TExTimer timer;
    timer.SetSyncEvent(false);
    timer.SetInterval(600);
    std::atomic<int> first{0};
    std::atomic<qint64> secondAt{-1};
    QElapsedTimer clock;
    clock.start();
    timer.SetOnTimer([&](TExTimer&) { ++first; });
    QTest::qWait(300);
    timer.SetOnTimer([&](TExTimer&) {
        if (secondAt < 0) secondAt = clock.elapsed();
    });
    ASSERT_TRUE(WaitFor([&] { return secondAt >= 0; }));
    EXPECT_EQ(first, 0);
    EXPECT_LT(secondAt, 850);  // a restarted wait would tick at 900 ms
}

TEST(ExTimer, TickWaitingForTheUserInterfaceThreadSeesEnabledOff) {
    TickCounter counter;
    TExTimer timer;
    timer.SetInterval(1);
    timer.SetOnTimer(counter.Handler());
    std::this_thread::sleep_for(50ms);  // the worker now waits for this thread
    timer.SetEnabled(false);
    QTest::qWait(50);
    EXPECT_EQ(counter.ticks, 0);
}

TEST(ExTimer, FreeingCancelsATickWaitingForTheUserInterfaceThread) {
    TickCounter counter;
    QElapsedTimer clock;
    {
        TExTimer timer;
        timer.SetInterval(1);
        timer.SetOnTimer(counter.Handler());
        std::this_thread::sleep_for(50ms);
        clock.start();
    }
    EXPECT_LT(clock.elapsed(), 1000);
    QTest::qWait(50);  // a posted tick must not reach the freed timer
    EXPECT_EQ(counter.ticks, 0);
}

TEST(ExTimer, FreeingWhileTickingOnTheWorkerJoinsIt) {
    std::atomic<bool> inTick{false};
    std::atomic<bool> tickDone{false};
    {
        TExTimer timer;
        timer.SetSyncEvent(false);
        timer.SetInterval(1);
        timer.SetOnTimer([&](TExTimer&) {
            inTick = true;
            std::this_thread::sleep_for(40ms);
            tickDone = true;
        });
        ASSERT_TRUE(WaitFor([&] { return inTick.load(); }));
    }
    EXPECT_TRUE(tickDone);
}

TEST(ExTimer, TickExceptionsAreReportedAndTickingGoesOn) {
    for (bool sync : {false, true}) {
        SCOPED_TRACE(sync ? "SyncEvent on" : "SyncEvent off");
        ReportedExceptions reported;
        std::atomic<int> ticks{0};
        TExTimer timer;
        timer.SetSyncEvent(sync);
        timer.SetInterval(5);
        timer.SetOnTimer([&](TExTimer&) {
            ++ticks;
            throw std::runtime_error("tick failed");
        });
        ASSERT_TRUE(WaitFor([&] { return reported.count >= 3 && ticks >= 3; }));
    }
}

TEST(ExTimer, SilentAbortIsNotReported) {
    ReportedExceptions reported;
    std::atomic<int> ticks{0};
    TExTimer timer;
    timer.SetSyncEvent(false);
    timer.SetInterval(5);
    timer.SetOnTimer([&](TExTimer&) {
        ++ticks;
        throw EAbort();
    });
    ASSERT_TRUE(WaitFor([&] { return ticks >= 3; }));
    QTest::qWait(20);
    EXPECT_EQ(reported.count, 0);
}

TEST(ExTimer, SynchronizeFromTheWorkerRunsOnTheUserInterfaceThread) {
    TExTimer timer;
    timer.SetSyncEvent(false);
    timer.SetInterval(5);
    std::atomic<int> onUi{0};
    std::atomic<int> calls{0};
    timer.SetOnTimer([&](TExTimer& sender) {
        sender.Synchronize([&] {
            if (QThread::currentThread() == QCoreApplication::instance()->thread()) ++onUi;
            ++calls;
        });
    });
    ASSERT_TRUE(WaitFor([&] { return calls >= 3; }));
    EXPECT_EQ(onUi, calls);
    bool ranHere = false;
    EXPECT_TRUE(timer.Synchronize([&] { ranHere = true; }));
    EXPECT_TRUE(ranHere);
}

}  // namespace
}  // namespace kordalt
