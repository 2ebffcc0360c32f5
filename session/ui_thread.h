// Handing work from a worker thread to the user-interface thread.
#pragma once

#include <exception>
#include <functional>

#include "session/peer_event.h"

namespace kordalt {

class IUiThread {
public:
    // Queues `task` to run later on the user-interface thread; any thread may call.
    virtual void Post(std::function<void()> task) = 0;
    // Shows an exception with the application's standard display (user-interface thread).
    virtual void ShowException(std::exception_ptr error) = 0;

protected:
    ~IUiThread() = default;
};

// Runs `work` on the user-interface thread and waits until it has finished.
// When `stop` is set first, returns false at once and `work` never runs; when
// `stop` is set while `work` runs, waits for it to finish and returns false.
bool Synchronize(IUiThread& ui, std::function<void()> work, TPeerEvent& stop);

}  // namespace kordalt
