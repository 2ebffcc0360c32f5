// A minimal worker thread: a subclass overrides Execute; the owner starts it,
// may ask it to stop and may wait for it with a time-out. An object can be
// started again after its run has ended, and can free itself when it ends.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kordalt {

class TThreadEC {
public:
    TThreadEC() = default;
    TThreadEC(const TThreadEC&) = delete;
    TThreadEC& operator=(const TThreadEC&) = delete;

    // Nothing when a thread runs; otherwise runs Execute on a new thread.
    void StartThread();
    // Index 0..6: idle, lowest, lower, normal, higher, highest, time-critical.
    void SetPriority(uint8_t p);
    // Asks Execute to return.
    void Terminate();
    bool Running() const { return running_; }
    // True when no thread runs or it ended in time; a negative time-out waits without limit.
    bool WaitFor(int timeoutMs);
    // Stops a running thread (Terminate, then WaitFor without limit) and frees the object.
    // The only way to free a thread object that is not FreeOnTerminate.
    void Destroy();

    uint8_t Priority() const { return priority_; }
    bool Terminated() const { return terminated_; }
    // The running thread's system id, 0 when none.
    pid_t ThreadId() const { return threadId_; }

    // Set before StartThread: the object frees itself when its run ends, and the
    // creator must not touch it after StartThread.
    std::atomic<bool> FreeOnTerminate{false};

    struct Deleter {
        void operator()(TThreadEC* t) const { t->Destroy(); }
    };

protected:
    // Freed through Destroy, which stops the run before any part of the object
    // goes away; subclasses keep their destructors protected too.
    virtual ~TThreadEC();
    // The work. The base version waits until Terminated is set, looking at least
    // once a second. An exception that escapes it is dropped.
    virtual void Execute();

private:
    void ThreadProc();
    void StopRun();
    void ApplyPriority();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> terminated_{false};
    std::atomic<uint8_t> priority_{0};
    std::atomic<pid_t> threadId_{0};
    bool starting_ = false;  // StartThread still uses the object (guarded by mutex_)
};

}  // namespace kordalt
