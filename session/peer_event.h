// Auto-reset events for the receive thread: the session service signals one
// when a message waits; a thread can wait for the first of several.
#pragma once

#include <initializer_list>

#include "platform/session/dplay.h"

namespace kordalt {

class TPeerEvent final : public dplay::IDPSignal {
public:
    TPeerEvent() = default;
    ~TPeerEvent() = default;
    TPeerEvent(const TPeerEvent&) = delete;
    TPeerEvent& operator=(const TPeerEvent&) = delete;

    void Set() override;

private:
    friend size_t WaitForAnyEvent(std::initializer_list<TPeerEvent*> events);
    bool signalled_ = false;
};

// Waits without limit until one of `events` is set, resets that one and returns
// its index (the first one set in list order when several are).
size_t WaitForAnyEvent(std::initializer_list<TPeerEvent*> events);

}  // namespace kordalt
