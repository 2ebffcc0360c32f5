// A TGameUi that records what the rules show, for tests.
#pragma once

#include <string>
#include <vector>

#include "game/ui_hooks.h"
#include "platform/cp1251.h"

namespace kordalt {

class FakeGameUi final : public TGameUi {
public:
    FakeGameUi() : scope_(*this) {}

    void ShowMessage(const std::string& text) override { messages.push_back(Cp1251ToUtf8(text)); }
    void StartProgress(TProgressBar bar, int max) override { progress.push_back({bar, true, max}); }
    void SetProgress(TProgressBar bar, int position) override { progress.push_back({bar, false, position}); }

    struct ProgressCall {
        TProgressBar bar;
        bool start;  // StartProgress(bar, value) or SetProgress(bar, value)
        int value;
        bool operator==(const ProgressCall&) const = default;
    };

    std::vector<std::string> messages;  // as UTF-8
    std::vector<ProgressCall> progress;

private:
    ScopedGameUi scope_;
};

}  // namespace kordalt
