#include "session/peer_event.h"

#include <condition_variable>
#include <mutex>

namespace kordalt {
namespace {

// One lock for every event, so that a thread can wait for several at once.
std::mutex eventsMutex;
std::condition_variable eventsChanged;

}  // namespace

void TPeerEvent::Set() {
    std::lock_guard lock(eventsMutex);
    signalled_ = true;
    eventsChanged.notify_all();
}

size_t WaitForAnyEvent(std::initializer_list<TPeerEvent*> events) {
    std::unique_lock lock(eventsMutex);
    for (;;) {
        size_t index = 0;
        for (TPeerEvent* e : events) {
            if (e->signalled_) {
                e->signalled_ = false;
                return index;
            }
            ++index;
        }
        eventsChanged.wait(lock);
    }
}

}  // namespace kordalt
