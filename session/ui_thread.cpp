#include "session/ui_thread.h"

#include <memory>
#include <mutex>

namespace kordalt {
namespace {

struct Request {
    enum class State { kPending, kRunning, kDone, kCancelled };
    std::mutex m;
    State state = State::kPending;
    std::function<void()> work;
    TPeerEvent done;

    void RunIfPending() {
        {
            std::lock_guard lock(m);
            if (state != State::kPending) return;
            state = State::kRunning;
        }
        struct Finish {
            Request& r;
            ~Finish() {
                {
                    std::lock_guard lock(r.m);
                    r.state = State::kDone;
                }
                r.done.Set();
            }
        } finish{*this};
        work();
    }

    // True when the request had not begun; it then never will.
    bool Cancel() {
        std::lock_guard lock(m);
        if (state != State::kPending) return false;
        state = State::kCancelled;
        return true;
    }
};

}  // namespace

bool Synchronize(IUiThread& ui, std::function<void()> work, TPeerEvent& stop) {
    auto request = std::make_shared<Request>();
    request->work = std::move(work);
    ui.Post([request] { request->RunIfPending(); });
    if (WaitForAnyEvent({&request->done, &stop}) == 0) return true;
    if (!request->Cancel()) WaitForAnyEvent({&request->done});
    return false;
}

}  // namespace kordalt
