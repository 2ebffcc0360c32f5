// The defeat screen's side of the turn report and the capture rule.
#include "game/capture.h"
#include "game/turn_report.h"
#include "ui/proc.h"
#include "ui/ui_support.h"

namespace kordalt {
namespace {

class TDefeatCaptureUi final : public TCaptureUi {
public:
    void SetChat(TCaptureUi* chat) { chat_ = chat; }
    void SendAllMessage(const std::string& text, TColor color) override {
        if (chat_) chat_->SendAllMessage(text, color);
    }
    void ShowLocalDefeat() override { TProc::ShowLocalDefeat(); }

private:
    TCaptureUi* chat_ = nullptr;
};

}  // namespace

std::vector<TBattleLine> BattleLinesOf(uint8_t gos) {
    std::vector<TBattleLine> lines;
    for (int i = 0; i < Messages.Count(); ++i) {
        const TMessageRec& rec = *Messages[i];
        if (rec.Gos != gos || rec.Kind != kBattleMessage) continue;
        const std::string text = rec.Text.Str();
        lines.push_back({Qs(text.substr(0, text.find('~'))), rec.Color});
    }
    return lines;
}

uint8_t CurrentBattleDefender() { return BattleDefender; }

void SetBattleDefender(uint8_t gos) { BattleDefender = gos; }

void InstallDefeatScreen() {
    static TDefeatCaptureUi screen;
    TCaptureUi* previous = SetCaptureUi(&screen);
    if (previous != &screen) screen.SetChat(previous);
}

}  // namespace kordalt
