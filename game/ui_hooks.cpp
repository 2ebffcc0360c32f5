#include "game/ui_hooks.h"

#include <cstdio>
#include <utility>

#include "platform/cp1251.h"

namespace kordalt {
namespace {

class THeadlessUi final : public TGameUi {
public:
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "kordalt: %s\n", Cp1251ToUtf8(text).c_str());
    }
    void StartProgress(TProgressBar, int) override {}
    void SetProgress(TProgressBar, int) override {}
};

THeadlessUi headlessUi;
TGameUi* installedUi = nullptr;

}  // namespace

TGameUi& GameUi() { return installedUi ? *installedUi : headlessUi; }

TGameUi* SetGameUi(TGameUi* ui) { return std::exchange(installedUi, ui); }

void ShowMessage(const std::string& text) { GameUi().ShowMessage(text); }

}  // namespace kordalt
