// The user-interface thread of the Qt application.
#pragma once

#include "session/ui_thread.h"

namespace kordalt {

class QtUiThread final : public IUiThread {
public:
    void Post(std::function<void()> task) override;
    void ShowException(std::exception_ptr error) override;
};

// The one instance.
QtUiThread& ApplicationUiThread();

}  // namespace kordalt
