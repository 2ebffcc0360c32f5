// The user-interface thread of a program without windows: tasks posted from
// other threads run while the main thread waits for something.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "session/ui_thread.h"

namespace kordalt {

class HeadlessUiThread final : public IUiThread {
public:
    void Post(std::function<void()> task) override;
    // Writes the exception's text to stderr.
    void ShowException(std::exception_ptr error) override;

    // Runs posted tasks until `done` holds; false when `limit` passed first.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace kordalt
