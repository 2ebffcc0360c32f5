#include "platform/thread_ec.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>

namespace kordalt {
namespace {

// Nice values for the seven priority indexes. Without privileges a thread can
// only lower its priority, so the upper indexes usually stay at normal.
constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -20};

}  // namespace

TThreadEC::~TThreadEC() {
    StopRun();
    if (thread_.joinable()) thread_.join();
}

void TThreadEC::StartThread() {
    std::unique_lock lock(mutex_);
    if (running_) return;
    if (thread_.joinable()) thread_.join();  // the previous run has ended
    // The new thread waits for the lock, so it starts only once all is set.
    thread_ = std::thread(&TThreadEC::ThreadProc, this);
    running_ = true;
    starting_ = true;
    changed_.wait(lock, [this] { return threadId_ != 0 || !running_; });
    // A self-freeing thread may already have ended: it waits for this before it frees itself.
    starting_ = false;
    changed_.notify_all();
}

void TThreadEC::SetPriority(uint8_t p) {
    std::lock_guard lock(mutex_);
    priority_ = p;
    if (threadId_ != 0) ApplyPriority();
}

void TThreadEC::Terminate() {
    std::lock_guard lock(mutex_);
    terminated_ = true;
    changed_.notify_all();
}

bool TThreadEC::WaitFor(int timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto ended = [this] { return !running_; };
    if (timeoutMs < 0) {
        changed_.wait(lock, ended);
        return true;
    }
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ended);
}

void TThreadEC::Destroy() {
    StopRun();
    delete this;
}

void TThreadEC::StopRun() {
    if (Running()) {
        Terminate();
        WaitFor(-1);
    }
}

void TThreadEC::Execute() {
    std::unique_lock lock(mutex_);
    while (!terminated_) changed_.wait_for(lock, std::chrono::milliseconds(1000));
}

void TThreadEC::ApplyPriority() {
    if (priority_ < std::size(kNice))
        setpriority(PRIO_PROCESS, static_cast<id_t>(threadId_), kNice[priority_]);
}

void TThreadEC::ThreadProc() {
    {
        std::lock_guard lock(mutex_);
        threadId_ = gettid();
        ApplyPriority();
        changed_.notify_all();
    }
    try {
        Execute();
    } catch (...) {
    }
    bool freeSelf;
    {
        std::unique_lock lock(mutex_);
        terminated_ = false;
        threadId_ = 0;
        running_ = false;
        freeSelf = FreeOnTerminate;
        changed_.notify_all();
        if (freeSelf) {
            changed_.wait(lock, [this] { return !starting_; });
            thread_.detach();
        }
    }
    // Nothing of the object is touched past this point unless it frees itself.
    if (freeSelf) delete this;
}

}  // namespace kordalt
