// A clean game state for tests of the rules, with a fake user interface and,
// when asked, a settings file of one language holding given texts.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "fake_game_ui.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/turn_report.h"
#include "platform/cp1251.h"
#include "platform/program_path.h"
#include "support/test_files.h"

namespace kordalt {

// LanguageFile over a scratch settings file whose one language holds `texts`
// ("id=text" lines, UTF-8), for the scope.
class TestLanguage {
public:
    explicit TestLanguage(std::string_view texts) : program_(dir_.Path("kordalt")) {
        test::WriteFile(dir_.Path("kordalt.INI"),
                        "[Languages]\nCount=1\nDefault=0\n0=Test\n[Test]\n" + std::string(texts) + "\n");
        CreateLanguageFile();
    }
    ~TestLanguage() { FreeLanguageFile(); }
    TestLanguage(const TestLanguage&) = delete;
    TestLanguage& operator=(const TestLanguage&) = delete;

    std::string Path(std::string_view name) const { return dir_.Path(name); }

private:
    test::ScratchDir dir_;
    ScopedProgramFileName program_;
};

// One turn-report record, readable.
struct Entry {
    int kind, gos;
    TColor color;
    std::string text;  // UTF-8
    bool operator==(const Entry&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const Entry& e) {
        return os << "{" << e.kind << ", " << e.gos << ", " << std::hex << e.color << std::dec << ", \""
                  << e.text << "\"}";
    }
};

class RulesTest : public ::testing::Test {
protected:
    RulesTest() {
        Game = GameState{};
        Messages.Clear();
        Rules.TroopTypeCount = 3;
        PlayMode.GameMode = kLocalGame;
        BattleAttacker = BattleDefender = 0;
    }
    ~RulesTest() override { Messages.Clear(); }

    static std::vector<Entry> Report() {
        std::vector<Entry> entries;
        for (int i = 0; i < Messages.Count(); ++i) {
            const TMessageRec& m = *Messages[i];
            entries.push_back({m.Kind, m.Gos, m.Color, Cp1251ToUtf8(m.Text.Str())});
        }
        return entries;
    }

    static void SetName(int gos, std::string_view utf8) { Game.mGos[gos].Name.AssignUtf8(utf8); }

    FakeGameUi ui;
};

}  // namespace kordalt
