#include "game/turn_report.h"

#include <algorithm>

#include "game/game_state.h"

namespace kordalt {

TMesList Messages;
TMessageRec* CurMessage = nullptr;
uint8_t BattleAttacker = 0;
uint8_t BattleDefender = 0;

TMessageRec* TMesList::Add(const TMessageRec& rec) {
    items_.push_back(std::make_unique<TMessageRec>(rec));
    return items_.back().get();
}

void TMesList::Clear() {
    for (const auto& item : items_)
        if (item.get() == CurMessage) CurMessage = nullptr;
    items_.clear();
}

void AddMessage(uint8_t kind, uint8_t gos, TColor color, const std::string& text) {
    TMessageRec rec{};
    rec.Kind = kind;
    rec.Gos = gos;
    rec.Color = color;
    rec.Text.Assign(text);
    CurMessage = Messages.Add(rec);
}

void AddBattleMessage(TColor color, const std::string& text) {
    for (const uint8_t side : {BattleAttacker, BattleDefender})
        if (side >= 1 && side <= MaxGos && Game.mGos[side].Player != 0)
            AddMessage(kBattleMessage, side, color, text);
}

void AddBattleText(const std::string& text) {
    const size_t cr = text.find('\r');
    if (cr == std::string::npos) {
        AddBattleMessage(clGreen, text);
        AddBattleMessage(clNavy, "");
        return;
    }
    AddBattleMessage(clGreen, text.substr(0, cr));
    AddBattleMessage(clNavy, text.substr(std::min(cr + 2, text.size())));
}

std::string RecordField(const std::string& name) {
    std::string field = name;
    std::replace(field.begin(), field.end(), '~', '-');
    return field;
}

}  // namespace kordalt
