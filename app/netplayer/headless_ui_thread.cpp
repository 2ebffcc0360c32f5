#include "app/netplayer/headless_ui_thread.h"

#include <cstdio>
#include <exception>

namespace kordalt {

void HeadlessUiThread::Post(std::function<void()> task) {
    {
        std::lock_guard lock(m_);
        tasks_.push_back(std::move(task));
    }
    cv_.notify_one();
}

void HeadlessUiThread::ShowException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kordalt_netplayer: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "kordalt_netplayer: unknown exception\n");
    }
}

bool HeadlessUiThread::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    // Checked at least this often: a condition may change without a task.
    constexpr std::chrono::milliseconds kPoll{20};
    while (!done()) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_);
            const auto now = std::chrono::steady_clock::now();
            if (now >= until) return false;
            cv_.wait_until(lock, std::min(until, now + kPoll), [this] { return !tasks_.empty(); });
            if (tasks_.empty()) continue;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
    return true;
}

}  // namespace kordalt
