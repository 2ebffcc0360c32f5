#include "game/rules_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

#include "rules_fixture.h"

namespace kordalt {
namespace {

const char kDamaged[] = "У вас испорчен файл загрузки DIM.DAT";

// A rules file of 3 tactics and 2 troop types whose stored names must never show.
std::string SmallRulesFile() {
    auto dim = std::make_unique<TDimData>();
    std::memset(dim.get(), 0, sizeof *dim);
    dim->TacticCount = 3;
    dim->TroopTypeCount = 2;
    for (int t = 1; t <= 3; ++t) {
        dim->Tactics[t].Name.Assign("FILE");
        dim->Tactics[t].MinMastery = static_cast<uint8_t>(10 * t);
        dim->Tactics[t].MinCondition = static_cast<uint8_t>(10 * t + 1);
        dim->Tactics[t].MinMorale = static_cast<uint8_t>(10 * t + 2);
        for (int e = 1; e <= 3; ++e) {
            dim->TacticTexts[t][e].Assign("FILE");
            for (int k = 1; k <= 2; ++k)
                for (int c = 1; c <= 3; ++c)
                    dim->BattleTable[t][e][k][c] = 1000 * t + 100 * e + 10 * k + c + 0.5;
        }
    }
    dim->TroopNames[1].Assign("FILE");
    return std::string(reinterpret_cast<const char*>(dim.get()), sizeof *dim);
}

constexpr char kTexts[] =
    "dim.dat=rules.dat\n"
    "7051=Конница длинная\n"  // cut to 10 characters; 7050 is missing
    "7100=Атака\n"
    "7101=Обход с фланга и удар в тыл противнику всеми силами армии\n"  // cut to 40
    "7213=Первая строка|вторая\n";

class RulesData : public RulesTest {
protected:
    void WriteRules(const std::string& bytes) { test::WriteFile(language.Path("rules.dat"), bytes); }

    TestLanguage language{kTexts};
};

TEST_F(RulesData, SmallFileTakesItsNamesFromTheLanguage) {
    WriteRules(SmallRulesFile());
    Rules.DimLoadFailed = 1;
    LoadRulesData();
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(Rules.DimLoadFailed, 0);
    EXPECT_EQ(Rules.TacticCount, 3);
    EXPECT_EQ(Rules.TroopTypeCount, 2);
    // At byte 8 * ((((3 - 1) * 10 + (2 - 1)) * 5 + (2 - 1)) * 3 + (3 - 1)) of the file.
    EXPECT_EQ(Rules.BattleTable[3][2][2][3], 3223.5);
    double atOffset;
    std::memcpy(&atOffset,
                SmallRulesFile().data() + 8 * ((((3 - 1) * 10 + (2 - 1)) * 5 + (2 - 1)) * 3 + (3 - 1)), 8);
    EXPECT_EQ(atOffset, 3223.5);
    EXPECT_EQ(Rules.Tactics[3].MinMastery, 30);
    EXPECT_EQ(Rules.Tactics[3].MinCondition, 31);
    EXPECT_EQ(Rules.Tactics[3].MinMorale, 32);

    EXPECT_EQ(Rules.TroopNames[1].Utf8(), "");  // no text 7050
    EXPECT_EQ(Rules.TroopNames[2].Utf8(), "Конница дл");
    EXPECT_EQ(Rules.Tactics[1].Name.Utf8(), "Атака");
    EXPECT_EQ(Rules.Tactics[2].Name.Utf8(), "Обход с фланга и удар в тыл противнику в");
    EXPECT_EQ(Rules.Tactics[3].Name.Utf8(), "");
    EXPECT_EQ(Rules.TacticTexts[3][2].Utf8(),
              "Первая строка\r\nвторая");  // own tactic 3 after enemy tactic 2
    EXPECT_EQ(Rules.TacticTexts[2][3].Utf8(), "");
}

TEST_F(RulesData, DamagedFilesAreRefusedAndTheTablesKept) {
    const std::string good = SmallRulesFile();
    const size_t tacticCount = offsetof(TDimData, TacticCount),
                 troopTypeCount = offsetof(TDimData, TroopTypeCount);
    auto setDouble = [](std::string& b, size_t at, double v) { std::memcpy(&b[at], &v, sizeof v); };
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"missing", [](std::string&) {}},
        {"empty", [](std::string& b) { b.clear(); }},
        {"one byte short", [](std::string& b) { b.pop_back(); }},
        {"no tactics", [&](std::string& b) { b[tacticCount] = 0; }},
        {"no troop types", [&](std::string& b) { b[troopTypeCount] = 0; }},
        {"11 tactics", [&](std::string& b) { b[tacticCount] = 11; }},
        {"6 troop types", [&](std::string& b) { b[troopTypeCount] = 6; }},
        {"255 tactics", [&](std::string& b) { b[tacticCount] = char(255); }},
        {"NaN coefficient",
         [&](std::string& b) { setDouble(b, 8, std::numeric_limits<double>::quiet_NaN()); }},
        {"infinite coefficient in an unused entry",
         [&](std::string& b) { setDouble(b, 11992, -std::numeric_limits<double>::infinity()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteRules(good);
        LoadRulesData();
        ASSERT_EQ(Rules.DimLoadFailed, 0);
        std::string bad = good;
        c.damage(bad);
        if (std::string(c.what) == "missing")
            std::remove(language.Path("rules.dat").c_str());
        else
            WriteRules(bad);
        ui.messages.clear();
        LoadRulesData();
        EXPECT_EQ(ui.messages, std::vector<std::string>{kDamaged});
        EXPECT_EQ(Rules.DimLoadFailed, 1);
        EXPECT_EQ(Rules.TacticCount, 3);
        EXPECT_EQ(Rules.TroopTypeCount, 2);
        EXPECT_EQ(Rules.BattleTable[1][1][1][1], 1111.5);
        EXPECT_EQ(Rules.Tactics[1].Name.Utf8(), "Атака");  // names still come from the language
    }
}

TEST_F(RulesData, BytesAfterTheRecordAreNotRead) {
    WriteRules(SmallRulesFile() + "trailing bytes");
    LoadRulesData();
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(Rules.DimLoadFailed, 0);
}

TEST_F(RulesData, NoRulesFileNamedInTheLanguage) {
    FreeLanguageFile();
    TestLanguage other("7100=Атака");
    LoadRulesData();
    EXPECT_EQ(ui.messages, std::vector<std::string>{kDamaged});
    EXPECT_EQ(Rules.DimLoadFailed, 1);
}

TEST_F(RulesData, ChangingTheLanguageReloadsFileAndTexts) {
    FreeLanguageFile();
    test::ScratchDir dir;
    ScopedProgramFileName program(dir.Path("kordalt"));
    test::WriteFile(dir.Path("kordalt.INI"),
                    "[Languages]\nCount=2\nDefault=0\n0=One\n1=Two\n"
                    "[One]\ndim.dat=one.dat\n7100=Один\n"
                    "[Two]\ndim.dat=two.dat\n7100=Два\n7101=Второй\n");
    std::string one = SmallRulesFile(), two = SmallRulesFile();
    two[offsetof(TDimData, TacticCount)] = 2;
    test::WriteFile(dir.Path("one.dat"), one);
    test::WriteFile(dir.Path("two.dat"), two);
    CreateLanguageFile();
    LoadRulesData();
    EXPECT_EQ(Rules.TacticCount, 3);
    EXPECT_EQ(Rules.Tactics[1].Name.Utf8(), "Один");
    LanguageFile->SetLanguage(1);
    LoadRulesData();
    EXPECT_EQ(Rules.TacticCount, 2);
    EXPECT_EQ(Rules.Tactics[1].Name.Utf8(), "Два");
    EXPECT_EQ(Rules.Tactics[2].Name.Utf8(), "Второй");
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    FreeLanguageFile();
}

// The rules of a game in progress: a file with fewer troop types than the
// armies use would leave soldiers outside every total.
TEST_F(RulesData, AFileWhoseTroopTypesBreakTheArmiesInPlayIsRefused) {
    WriteRules(SmallRulesFile());  // 2 troop types; the fixture's rules have 3
    Game.GosCount = 2;
    Game.mGos[1].Fronts[2].Soldiers[3] = 5;
    Game.mGos[1].Soldiers = 5;
    LoadRulesData();
    EXPECT_EQ(ui.messages, std::vector<std::string>{kDamaged});
    EXPECT_EQ(Rules.DimLoadFailed, 1);
    EXPECT_EQ(Rules.TroopTypeCount, 3);

    ui.messages.clear();
    Game.mGos[1].Fronts[2].Soldiers[3] = 0;
    Game.mGos[1].Fronts[2].Soldiers[2] = 5;
    LoadRulesData();
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(Rules.TroopTypeCount, 2);
}

}  // namespace
}  // namespace kordalt
