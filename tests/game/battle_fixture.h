// A small battle world for tests: rules tables of a few tactics, the battle
// texts of a test language, a map drawn from rows of digits, and helpers that
// man fronts and hire Kordalts while keeping the armies' totals consistent.
#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/capture.h"
#include "game/fronts.h"
#include "game/game_state.h"
#include "game/rules_data.h"
#include "game/squares.h"
#include "rules_fixture.h"

namespace kordalt {

inline constexpr std::string_view kBattleTexts =
    "3218=%s: опыт +%d единиц%s\n"
    "3219=%s умер\n"
    "3227=%s пал в походе\n"
    "3300=Битва %s и %s\n"
    "3301=Граница %s против %s\n"
    "3302=Отступать некуда\n"
    "3303=Дальше армия защиты\n"
    "3304=Ведёт %s\n"
    "3305=Новое сражение\n"
    "3306=Трубы\n"
    "3307=Защищает %s\n"
    "3308=Укреплено\n"
    "3309=Нет командира\n"
    "3310=Дядя Вася\n"
    "3311=Построились\n"
    "3312=Ходит %s\n"
    "3313=Ничья %s и %s\n"
    "3314=Нет тактики\n"
    "3315=Армия %s разбита\n"
    "3316=\"Потери: \"\n"
    "3317=\" мораль \"\n"
    "3318=%s берёт %d\n"
    "3319=%s уничтожено|\n"
    "3320=Правитель %s свергнут\n"
    "3322=%s (%s) - %s (%s): %s-%s, %d/%d, %d/%d, %d\n"
    "3323=%s (%s) - %s (%s): %s-%s, %d/%d, %d/%d, %d, взято %d\n";

// A capture interface that records what it is asked to do.
class FakeCaptureUi final : public TCaptureUi {
public:
    FakeCaptureUi() : scope_(*this) {}
    void Clear() {
        chat.clear();
        colors.clear();
        defeats.clear();
        defeatedStates.clear();
    }
    void SendAllMessage(const std::string& text, TColor color) override {
        chat.push_back(Cp1251ToUtf8(text));
        colors.push_back(color);
    }
    void ShowLocalDefeat() override {
        defeats.push_back(Cp1251ToUtf8(Game.CurrentPlayerName));
        defeatedStates.push_back(BattleDefender);
    }

    std::vector<std::string> chat;  // UTF-8
    std::vector<TColor> colors;
    std::vector<std::string> defeats;  // CurrentPlayerName at each defeat sequence
    std::vector<int> defeatedStates;   // BattleDefender, whose texts the defeat screen shows

private:
    ScopedCaptureUi scope_;
};

using Army = std::array<int32_t, 5>;

class BattleTest : public RulesTest {
protected:
    explicit BattleTest(std::string_view extraSettings = "")
        : language_(std::string(kBattleTexts) + std::string(extraSettings)) {
        Rules.BattleTable = {};
        Rules.TacticCount = 1;
        Rules.TroopTypeCount = 3;
        Rules.Tactics = {};
        Rules.TroopNames = {};
        Rules.TacticTexts = {};
        Rules.TroopNames[1].AssignUtf8("Пехота");
        Rules.TroopNames[2].AssignUtf8("Конница");
        Rules.TroopNames[3].AssignUtf8("Пушки");
    }
    ~BattleTest() override { Map = nullptr; }

    // Coefficients of tactic t against the enemy's previous tactic p, troop type k.
    static void SetTable(int t, int p, int k, double attack, double gain = 0, double loss = 0) {
        auto& c = Rules.BattleTable[t][p][k];
        c[1] = attack;
        c[2] = gain;
        c[3] = loss;
    }

    // States 1..n, alive, named in Russian; rows of digits give each square's owner.
    void MakeWorld(const std::vector<std::string>& rows) {
        const int height = static_cast<int>(rows.size());
        const int width = static_cast<int>(rows.front().size());
        int states = 0;
        for (const std::string& row : rows)
            for (char c : row) states = std::max(states, c - '0');
        map_ = std::make_unique<TSquares>(width, height, false, states);
        map_->InitRegions();
        int y = 0;
        for (const std::string& row : rows) {
            for (int x = 0; x < width; ++x)
                map_->SetSquare(SquareId(x, y), static_cast<uint8_t>(row[x] - '0'));
            ++y;
        }
        map_->RebuildRegions();
        Map = map_.get();
        Game.GosCount = static_cast<uint8_t>(states);
        for (int i = 1; i <= states; ++i) {
            TGosRec& g = Game.mGos[i];
            SetName(i, std::string(kStateNames[i - 1]));
            g.Alive = 1;
            g.Research[MilitaryTraining].Effect = 100;
            for (int j = 1; j <= states; ++j) g.Relations[j] = {100, 0};
        }
        Game.KordaltBaseNames[11] = Cp("Народ");
        Game.mKordalt[PeopleKordalt] = TKordaltRec{PeopleKordalt, {}, 0, 0, 0, 80, 1, 0, 100, 1, 2, 0};
        Game.mKordalt[PeopleKordalt].Name.AssignUtf8("Народ1");
    }

    // A clean game state and turn report, for the next case of a table.
    void Reset() {
        Game = GameState{};
        Messages.Clear();
        captureUi_.Clear();
    }

    // Neighbour flags and territories from the map.
    static void RecordBorders() { CheckFronts(); }

    // Adds soldiers to state a's front toward b (b = a: the home front).
    static void Man(int a, int b, const Army& soldiers) {
        TGosRec& g = Game.mGos[a];
        for (int k = 1; k <= 5; ++k) {
            g.Fronts[b].Soldiers[k] += soldiers[k - 1];
            g.Soldiers += soldiers[k - 1];
        }
    }

    struct Hire {
        int owner, front, order;
        int speed = 50, mastery = 0, condition = 100, mark = 1, age = 30, lifespan = 70;
    };
    // Hires slot `slot` as described; a front above 0 is put under his command.
    static TKordaltRec& HireKordalt(int slot, const Hire& h, std::string_view name) {
        TKordaltRec& k = Game.mKordalt[slot];
        k = TKordaltRec{static_cast<uint8_t>(slot),        {},
                        static_cast<uint8_t>(h.front),     static_cast<uint8_t>(h.owner),
                        static_cast<uint8_t>(h.age),       static_cast<uint8_t>(h.lifespan),
                        static_cast<uint8_t>(h.speed),     static_cast<uint8_t>(h.mastery),
                        static_cast<uint8_t>(h.condition), static_cast<uint8_t>(h.mark),
                        static_cast<uint8_t>(h.order),     0};
        k.Name.AssignUtf8(name);
        if (h.front > 0) Game.mGos[h.owner].Fronts[h.front].Kordalt = static_cast<uint8_t>(slot);
        ++Game.mGos[h.owner].KordaltCount;
        return k;
    }

    static Army ArmyOf(int a, int b) {
        const TFrontRec& f = Game.mGos[a].Fronts[b];
        return {f.Soldiers[1], f.Soldiers[2], f.Soldiers[3], f.Soldiers[4], f.Soldiers[5]};
    }

    static constexpr std::string_view kStateNames[] = {"Север", "Юг", "Запад", "Восток", "Остров"};

    TestLanguage language_;
    FakeCaptureUi captureUi_;
    std::unique_ptr<TSquares> map_;
};

}  // namespace kordalt
