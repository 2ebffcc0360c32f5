// A timer that ticks on a worker thread of its own (handing each tick to the
// user-interface thread unless SyncEvent is off), or on a plain Qt timer when
// Threaded is off.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QTimer;

namespace kordalt {

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TExTimer : public QObject {
    Q_OBJECT

public:
    using TimerHandler = std::function<void(TExTimer& sender)>;

    explicit TExTimer(QObject* owner = nullptr);
    // Cancels a tick waiting for the user-interface thread, wakes and joins the worker.
    ~TExTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds);
    bool SyncEvent() const { return syncEvent_; }
    void SetSyncEvent(bool value) { syncEvent_ = value; }
    bool Threaded() const { return threaded_; }
    void SetThreaded(bool value);
    TThreadPriority ThreadPriority() const { return priority_; }
    void SetThreadPriority(TThreadPriority value);
    bool HasOnTimer() const;
    void SetOnTimer(TimerHandler handler);

    // Runs `method` on the user-interface thread and waits for it when called on the
    // worker; elsewhere runs it directly. Returns false when the timer was freed
    // before it ran. An exception of `method` passes to the caller.
    bool Synchronize(const std::function<void()>& method);

protected:
    // Calls OnTimer while enabled, not being freed and assigned. Runs on the worker
    // with SyncEvent off: a subclass that overrides it disables the timer in its own
    // destructor.
    virtual void Timer();

private:
    struct SyncJob;

    void ApplyTimerState();
    bool Armed() const;
    void RunWorker();
    void WorkerTick();
    void HandleTickException(std::exception_ptr error);
    void ApplyPriority();

    std::atomic<bool> enabled_{true};
    std::atomic<bool> syncEvent_{true};
    std::atomic<bool> destroying_{false};
    unsigned interval_ = 1000;
    bool threaded_ = true;
    TThreadPriority priority_ = tpNormal;

    mutable std::mutex handlerLock_;
    TimerHandler handler_;

    // Worker state, guarded by lock_.
    std::mutex lock_;
    std::condition_variable wake_;
    bool armed_ = false;
    bool terminate_ = false;
    unsigned workerInterval_ = 1000;
    unsigned long long generation_ = 0;
    std::shared_ptr<SyncJob> pendingSync_;

    TThreadPriority workerPriority_ = tpNormal;
    bool priorityPending_ = false;
    std::thread worker_;
    QTimer* windowTimer_ = nullptr;
};

}  // namespace kordalt
