#include "controls/ex_timer.h"

#include <sched.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <chrono>

#include "controls/classic.h"

namespace kordalt {

namespace {

std::atomic<bool> applicationTerminating{false};

void WatchApplicationQuit() {
    static std::once_flag once;
    if (QCoreApplication::instance() == nullptr) return;
    std::call_once(once, [] {
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                         [] { applicationTerminating = true; });
    });
}

// Nice values: raising a thread above normal needs privileges and is tried only.
int NiceValue(TThreadPriority priority) {
    switch (priority) {
        case tpLowest:
            return 10;
        case tpLower:
            return 5;
        case tpHigher:
            return -5;
        case tpHighest:
            return -10;
        case tpTimeCritical:
            return -15;
        default:
            return 0;
    }
}

}  // namespace

// A call handed to the user-interface thread; the worker waits until it has run
// or was cancelled.
struct TExTimer::SyncJob {
    std::function<void()> method;
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    bool cancelled = false;
    std::exception_ptr error;

    void Run() {
        {
            std::lock_guard guard(lock);
            if (cancelled) return;
        }
        std::exception_ptr caught;
        try {
            method();
        } catch (...) {
            caught = std::current_exception();
        }
        {
            std::lock_guard guard(lock);
            error = caught;
            done = true;
        }
        finished.notify_all();
    }

    void Cancel() {
        {
            std::lock_guard guard(lock);
            cancelled = true;
        }
        finished.notify_all();
    }
};

TExTimer::TExTimer(QObject* owner) : QObject(owner) {
    WatchApplicationQuit();
    worker_ = std::thread([this] { RunWorker(); });
}

TExTimer::~TExTimer() {
    destroying_ = true;
    enabled_ = false;
    {
        std::lock_guard guard(handlerLock_);
        handler_ = nullptr;
    }
    std::shared_ptr<SyncJob> job;
    {
        std::lock_guard guard(lock_);
        terminate_ = true;
        job = pendingSync_;
    }
    wake_.notify_all();
    if (job) job->Cancel();
    worker_.join();
}

void TExTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    ApplyTimerState();
}

void TExTimer::SetInterval(unsigned milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    ApplyTimerState();
}

void TExTimer::SetThreaded(bool value) {
    if (value == threaded_) return;
    threaded_ = value;
    ApplyTimerState();
}

void TExTimer::SetThreadPriority(TThreadPriority value) {
    if (value == priority_) return;
    priority_ = value;
    if (threaded_) ApplyTimerState();
}

bool TExTimer::HasOnTimer() const {
    std::lock_guard guard(handlerLock_);
    return static_cast<bool>(handler_);
}

void TExTimer::SetOnTimer(TimerHandler handler) {
    bool had = HasOnTimer();
    {
        std::lock_guard guard(handlerLock_);
        handler_ = std::move(handler);
    }
    if (had != HasOnTimer()) ApplyTimerState();
}

bool TExTimer::Armed() const { return interval_ != 0 && enabled_ && HasOnTimer(); }

void TExTimer::ApplyTimerState() {
    const bool fire = Armed();
    {
        std::lock_guard guard(lock_);
        ++generation_;
        workerInterval_ = interval_;
        armed_ = threaded_ && fire;
        if (armed_) {
            workerPriority_ = priority_;
            priorityPending_ = true;
        }
    }
    wake_.notify_all();
    if (threaded_) {
        delete windowTimer_;
        windowTimer_ = nullptr;
        return;
    }
    if (windowTimer_ == nullptr) {
        windowTimer_ = new QTimer(this);
        connect(windowTimer_, &QTimer::timeout, this, [this] {
            try {
                Timer();
            } catch (...) {
                HandleApplicationException(this, std::current_exception());
            }
        });
    } else {
        windowTimer_->stop();
    }
    if (fire) windowTimer_->start(static_cast<int>(interval_));
}

// On the worker, for itself; lock_ held.
void TExTimer::ApplyPriority() {
    priorityPending_ = false;
    sched_param param{};
    sched_setscheduler(0, workerPriority_ == tpIdle ? SCHED_IDLE : SCHED_OTHER, &param);
    setpriority(PRIO_PROCESS, 0, NiceValue(workerPriority_));
}

void TExTimer::Timer() {
    if (!enabled_ || destroying_) return;
    TimerHandler handler;
    {
        std::lock_guard guard(handlerLock_);
        handler = handler_;
    }
    if (handler) handler(*this);
}

bool TExTimer::Synchronize(const std::function<void()>& method) {
    if (std::this_thread::get_id() != worker_.get_id()) {
        method();
        return true;
    }
    auto job = std::make_shared<SyncJob>();
    job->method = method;
    {
        std::lock_guard guard(lock_);
        if (terminate_) return false;
        pendingSync_ = job;
    }
    QMetaObject::invokeMethod(
        this, [job] { job->Run(); }, Qt::QueuedConnection);
    bool ran;
    std::exception_ptr error;
    {
        std::unique_lock guard(job->lock);
        job->finished.wait(guard, [&] { return job->done || job->cancelled; });
        ran = job->done;
        error = job->error;
    }
    {
        std::lock_guard guard(lock_);
        if (pendingSync_ == job) pendingSync_.reset();
    }
    if (error) std::rethrow_exception(error);
    return ran;
}

void TExTimer::RunWorker() {
    std::unique_lock guard(lock_);
    while (!terminate_) {
        if (!armed_ || applicationTerminating) {
            wake_.wait(guard);
            continue;
        }
        if (priorityPending_) ApplyPriority();
        const auto generation = generation_;
        const auto wait = std::chrono::milliseconds(workerInterval_);
        if (wake_.wait_for(guard, wait, [&] { return terminate_ || generation_ != generation; })) continue;
        if (applicationTerminating) continue;
        guard.unlock();
        if (enabled_) WorkerTick();
        guard.lock();
    }
}

void TExTimer::WorkerTick() {
    try {
        if (syncEvent_) {
            Synchronize([this] { Timer(); });
        } else {
            Timer();
        }
    } catch (...) {
        HandleTickException(std::current_exception());
    }
}

void TExTimer::HandleTickException(std::exception_ptr error) {
    QPointer<TExTimer> sender(this);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [sender, error] { HandleApplicationException(sender.data(), error); },
        Qt::QueuedConnection);
}

}  // namespace kordalt
