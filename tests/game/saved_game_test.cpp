// Saved games: layout, checksum, kind checks, damaged files, atomic saves and
// autosave names.
#include "game/saved_game.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "compress/lzrw1.h"
#include "fake_game_windows.h"
#include "game/fronts.h"
#include "game/new_game.h"
#include "game/owner_grid.h"
#include "game/random.h"
#include "game/squares.h"
#include "rules_fixture.h"

namespace kordalt {
namespace {

constexpr char kOldVersion[] =
    "Эта сохраненная игра старой версии.\n\rС новой версией она работать не будет.";
constexpr char kNetworkFile[] = "Это сетевая игра. Попробуйте загрузить другую игру";
constexpr char kLocalFile[] = "Это одиночная игра. Попробуйте загрузить другую игру";
constexpr char kInternetFile[] = "Это Internet игра. Попробуйте загрузить другую игру";

constexpr size_t kCountOffset = 91169;  // the message count in the body
constexpr size_t kGosOffset = 521;

std::string Decompressed(const std::string& image) {
    std::istringstream in(image.substr(kSaveHeaderSize));
    std::ostringstream out;
    Tlzrw1 coder;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    coder.Decompress(1u << 30);
    return out.str();
}

std::string WithBody(const std::string& image, const std::string& body) {
    std::istringstream in(body);
    std::ostringstream out;
    out << image.substr(0, kSaveHeaderSize);
    Tlzrw1 coder;
    coder.CompressMode = TCompressMode::Fast;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    coder.Compress();
    return out.str();
}

template <class T>
std::string Bytes(const T& v) {
    return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}

// Everything a load replaces, as bytes.
std::string Tables() {
    std::string s = Bytes(Game.mGos) + Bytes(Game.mKordalt) + Bytes(Game.YearStats) + Bytes(Game.GameGuid);
    for (int v : std::initializer_list<int>{Game.GameOnInternet, Game.AliveGosCount, Game.GosCount,
                                            Game.HumanCount, Game.ResumeHuman, Game.MapSize, Game.Year,
                                            int{Game.SaveCounter}, Game.DifficultyLevel})
        s += std::to_string(v) + ",";
    s += Bytes(Game.ResearchCostStep) + Game.BattleChronicle + "|";
    for (int i = 0; i < Messages.Count(); ++i) s += Bytes(*Messages[i]);
    if (Map) {
        TOwnerGrid grid{};
        MapToGrid(*Map, Game.MapSize, grid);
        s += Bytes(grid);
        for (int x = 0; x < Game.MapSize; ++x)
            for (int y = 0; y < Game.MapSize; ++y)
                s += static_cast<char>(Map->GetSnapshotOwner(SquareId(x, y)));
    }
    return s;
}

class SavedGameTest : public RulesTest {
protected:
    SavedGameTest() {
        windows.states = 4;
        windows.mapSize = 50;
        GenerateNewGame();
        const int players[] = {1, 0, 2, 1};
        for (int i = 1; i <= 4; ++i) {
            TGosRec& g = Game.mGos[i];
            g.Player = static_cast<uint32_t>(players[i - 1]);
            g.PlayerName.Assign(players[i - 1] ? "P" + std::to_string(players[i - 1]) : "");
            g.Alive = 1;
            g.Money = 1000 * i;
            g.TimeSpent = 0.25 * i;
        }
        Game.GameGuid = {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
        Game.HumanCount = 2;
        Game.CurrentHuman = 2;
        Game.Year = 7;
        Game.DifficultyLevel = 1;
        CheckFronts();
        Game.mKordalt[3].Owner = 3;
        Game.YearStats[2][5].Harvest = 12345;
        AddMessage(kEventMessage, 1, clRed, "one");
        AddMessage(kBattleMessage, 3, clNavy, std::string(255, 'x'));
        Map->SnapshotOwners();
    }
    ~SavedGameTest() override {
        ReplaceMap(nullptr);
        PlayMode.IsInternetGame = false;
        SaveGuard = 0;
    }

    // A different running game, to see that a refused load leaves it alone.
    void RunningGameIsAnother() {
        Game.Year = 33;
        Game.mGos[2].Soldiers = Game.mGos[2].Reserve = 99;
        Game.BattleChronicle = "running";
        Messages.Clear();
        AddMessage(kEventMessage, 2, clBlack, "running");
    }

    // Loads `image` into another running game: refused with `text`, the tables untouched.
    void ExpectRefused(const std::string& image, const std::string& text) {
        ExpectRefusedWithOneOf(image, {text});
    }
    // A damaged compressed byte fails in the decoder or in the body's checks,
    // depending on what the byte held.
    void ExpectRefusedWithOneOf(const std::string& image, const std::vector<std::string>& texts) {
        RunningGameIsAnother();
        const std::string before = Tables();
        ui.messages.clear();
        EXPECT_FALSE(LoadGameImage(image));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(std::find(texts.begin(), texts.end(), ui.messages[0]), texts.end()) << ui.messages[0];
        EXPECT_TRUE(Tables() == before) << "the running tables changed";
    }

    FakeGameWindows windows;
    test::ScratchDir dir;
    ScopedSeed seed{8};
};

TEST_F(SavedGameTest, LoadIntoAFreshStateGivesTheSavedTables) {
    Game.BattleChronicle = std::string(300, 'c');
    const std::string image = SavedGameImage();
    EXPECT_EQ(Game.SaveCounter, 1);
    Game.ResumeHuman = Game.CurrentHuman;
    const std::string saved = Tables();

    Game = GameState{};
    ReplaceMap(nullptr);
    Messages.Clear();
    ASSERT_TRUE(LoadGameImage(image));
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(Game.ResumeHuman, 2);
    EXPECT_EQ(Tables(), saved);
}

TEST_F(SavedGameTest, ChronicleKeepsItsFirst495Characters) {
    struct Case {
        size_t length, kept;
    };
    for (const Case c : {Case{0, 0}, Case{245, 245}, Case{300, 300}, Case{495, 495}, Case{600, 495}}) {
        std::string chronicle;
        for (size_t i = 0; i < c.length; ++i) chronicle += static_cast<char>('a' + i % 26);
        Game.BattleChronicle = chronicle;
        const std::string image = SavedGameImage();
        const std::string body = Decompressed(image);
        EXPECT_EQ(static_cast<uint8_t>(body[0]), std::min<size_t>(c.length, 245));
        Game.BattleChronicle.clear();
        ASSERT_TRUE(LoadGameImage(image));
        EXPECT_EQ(Game.BattleChronicle, chronicle.substr(0, c.kept)) << c.length;
    }
}

TEST_F(SavedGameTest, HeaderIsTwoHundredReadableBytes) {
    const std::string text =
        Cp("Файл содежит сохраненную игру \"Kordalt\", версии 4.5d\n\rГод 7\n\rУровень сложности 1\n\r"
           "Стран 4 людей 2\n\rОдиночная игра\n\r");
    EXPECT_EQ(SaveHeader(), text + std::string(200 - text.size(), '\r'));
    PlayMode.GameMode = kServer;
    EXPECT_EQ(SavedGameImage().substr(0, 200).find(Cp("Сетевая игра\n\r\r")), text.size() - 16);
}

TEST_F(SavedGameTest, BodyFollowsTheLayout) {
    Game.BattleChronicle = "abc";
    const std::string body = Decompressed(SavedGameImage());
    ASSERT_EQ(body.size(), kCountOffset + 4 + 2 * 264);
    EXPECT_EQ(body.substr(0, 4), std::string("\x03"
                                             "abc"));
    EXPECT_EQ(body.substr(502, 16), Bytes(Game.GameGuid));
    EXPECT_EQ(static_cast<uint8_t>(body[520]), 4);
    EXPECT_EQ(body.substr(kGosOffset, 17600), Bytes(Game.mGos));
    EXPECT_EQ(body.substr(91150, 3), std::string("\x02\x02\x32"));  // humans, current human, map side
    EXPECT_EQ(static_cast<uint8_t>(body[91157]), 7);
    int64_t checksum;
    std::memcpy(&checksum, body.data() + 91161, 8);
    EXPECT_EQ(checksum, GameChecksum());
    EXPECT_EQ(body.substr(kCountOffset, 4), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(body.substr(kCountOffset + 4 + 264, 264), Bytes(*Messages[1]));
}

TEST_F(SavedGameTest, ChecksumOfASmallFixedGame) {
    Game = GameState{};
    Game.GosCount = 2;
    Game.AliveGosCount = 2;
    Game.MapSize = 50;
    Game.Year = 7;
    Game.SaveCounter = 3;
    auto map = std::make_unique<TSquares>(50, 50, false, 2);
    for (int x = 0; x < 50; ++x)
        for (int y = 0; y < 50; ++y) map->SetSquare(SquareId(x, y), x < 25 ? 1 : 2);
    ReplaceMap(std::move(map));
    TGosRec& a = Game.mGos[1];
    a.Research[0] = {2, 1.0f, 0.1f, 3, 10, 4};  // 2 * 3 * 4 = 24
    for (int k = 1; k < 6; ++k) a.Research[k].Cost = 10;
    a.Territory = 1250;
    a.Money = 2000000;  // 1250 * 2000000 wraps to -1794967296
    a.Destroyed = 1;
    a.KordaltCount = 3;
    a.FieldsSown = 10;
    a.Grain = 20;
    a.Peasants = 100;
    a.Scientists = 5;
    a.Soldiers = a.Reserve = 7;
    a.FreeScientists = 1;
    a.Character = 2;
    Game.mGos[2].Character = 1;
    TKordaltRec& k = Game.mKordalt[5];
    k = {5, {}, 1, 1, 30, 60, 50, 40, 100, 3, 3, 9};  // Name, Order and Unused are left out
    k.Name.Assign("Xyz");
    // Research: 24 + 6 * 10 + (0 + 1 + ... + 5) = 99 for state 1, 15 for state 2.
    EXPECT_EQ(ResearchChecksum(1), 99);
    EXPECT_EQ(ResearchChecksum(2), 15);
    // 99 - 1794967296 + 3 + 200 + 122 | 15 + 1 | 290 | - 3750 owners | - 7 * 50 * (2 + 2 + 3) | + 14
    EXPECT_EQ(GameChecksum(), -1794972752LL);
}

TEST_F(SavedGameTest, KindOfFileMustFitTheKindOfGame) {
    enum Kind { Local, Network, Internet };
    auto enter = [](Kind kind) {
        PlayMode.GameMode = kind == Local ? kLocalGame : 1;
        PlayMode.IsInternetGame = kind == Internet;
    };
    std::string files[3];
    for (Kind kind : {Local, Network, Internet}) {
        enter(kind);
        Game.GameOnInternet = kind == Internet;
        Game.CurrentHuman = 2;
        files[kind] = SavedGameImage();
    }
    struct Case {
        Kind file, game;
        const char* text;  // nullptr: loads
    };
    const Case cases[] = {
        {Local, Local, nullptr},         {Local, Network, kLocalFile},
        {Local, Internet, kLocalFile},   {Network, Local, kNetworkFile},
        {Network, Network, nullptr},     {Network, Internet, kNetworkFile},
        {Internet, Local, kNetworkFile}, {Internet, Network, kInternetFile},
        {Internet, Internet, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.file) + " in " + std::to_string(c.game));
        enter(c.game);
        if (c.text) {
            ExpectRefused(files[c.file], c.text);
        } else {
            ui.messages.clear();
            EXPECT_TRUE(LoadGameImage(files[c.file]));
            EXPECT_EQ(Game.ResumeHuman, c.file == Local ? 2 : 0);
            EXPECT_EQ(ui.messages, std::vector<std::string>{});
        }
    }
}

TEST_F(SavedGameTest, DamagedFilesAreRefusedAndTheTablesKept) {
    const std::string image = SavedGameImage();
    const std::string body = Decompressed(image);
    auto withInt32 = [&](size_t offset, int32_t v) {
        std::string b = body;
        std::memcpy(b.data() + offset, &v, 4);
        return WithBody(image, b);
    };
    const size_t soldiers = kGosOffset + 880 + offsetof(TGosRec, Fronts) + 4;  // state 2, front 1, type 1
    const size_t totalSoldiers = kGosOffset + 880 + offsetof(TGosRec, Soldiers);
    const size_t gosCount = 520;
    const size_t kordaltFront = 18121 + 25 * 4 + offsetof(TKordaltRec, Front);
    const size_t nameLength = kGosOffset + offsetof(TGosRec, Name);
    const size_t timeSpent = kGosOffset + offsetof(TGosRec, TimeSpent);
    struct Case {
        const char* what;
        std::string file;
        std::string text;
    };
    std::string sizeByte = image, blockByte = image, dataByte = image, nan = body, longName = body,
                outside = body, fewStates = body;
    sizeByte[205] ^= 0x5A;  // the stream's uncompressed size
    blockByte[240] ^= 0x5A;
    dataByte[455] ^= 0x5A;
    const double notANumber = std::nan("");
    std::memcpy(nan.data() + timeSpent, &notANumber, 8);
    longName[nameLength] = 14;
    outside[kordaltFront] = 9;
    fewStates[gosCount] = 1;
    const Case cases[] = {
        {"one soldier more in the total", withInt32(totalSoldiers, Game.mGos[2].Soldiers + 1), kOldVersion},
        {"one soldier more on a front", withInt32(soldiers, Game.mGos[2].Fronts[1].Soldiers[1] + 1),
         kOldVersion},
        {"one byte of the compressed body: size", sizeByte, ""},
        {"truncated file", image.substr(0, image.size() - 40), ""},
        {"header only", image.substr(0, 200), ""},
        {"huge message count", withInt32(kCountOffset, 0x7FFFFFFF), kOldVersion},
        {"negative message count", withInt32(kCountOffset, -1), kOldVersion},
        {"body cut inside a message", WithBody(image, body.substr(0, body.size() - 1)), kOldVersion},
        {"body cut in the tables", WithBody(image, body.substr(0, 30000)), kOldVersion},
        {"non-finite time", WithBody(image, nan), kOldVersion},
        {"name longer than its capacity", WithBody(image, longName), kOldVersion},
        {"Kordalt on a front beyond the states", WithBody(image, outside), kOldVersion},
        {"one state", WithBody(image, fewStates), kOldVersion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectRefused(c.file, c.text);
    }
    for (const std::string& file : {blockByte, dataByte}) ExpectRefusedWithOneOf(file, {"", kOldVersion});
}

// A game goes on from its saved year by computing it: the last year has no year after it.
TEST_F(SavedGameTest, AGameOfTheLastYearIsRefused) {
    Game.Year = YearCount;
    ExpectRefused(SavedGameImage(), kOldVersion);
}

TEST_F(SavedGameTest, SavingTwiceCountsTwoAndBothFilesLoad) {
    const std::string path = dir.Path("game.kordalt");
    SaveGame(path);
    const std::string first = test::ReadFile(path);
    SaveGame(path);
    EXPECT_EQ(Game.SaveCounter, 2);
    Game.SaveCounter = 0;
    ASSERT_TRUE(LoadGameFile(path));
    EXPECT_EQ(Game.SaveCounter, 2);
    EXPECT_TRUE(LoadGameImage(first));
    EXPECT_EQ(Game.SaveCounter, 1);
    EXPECT_EQ(SaveGuard, 0);
}

TEST_F(SavedGameTest, SaveWhileASaveRunsDoesNothing) {
    SaveGuard = 1;
    SaveGame(dir.Path("game.kordalt"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("game.kordalt")));
    EXPECT_EQ(Game.SaveCounter, 0);
}

// Writes past this many bytes fail, for the scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int);
};

TEST_F(SavedGameTest, InterruptedSaveLeavesTheOldFile) {
    const std::string path = dir.Path("game.kordalt");
    SaveGame(path);
    const std::string old = test::ReadFile(path);
    Game.Year = 8;
    {
        FileSizeLimit limit(1000);
        EXPECT_THROW(SaveGame(path), ESaveError);
    }
    EXPECT_EQ(test::ReadFile(path), old);
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.Dir()), std::filesystem::directory_iterator()),
        1);
    EXPECT_EQ(SaveGuard, 0);
    EXPECT_THROW(SaveGame(dir.Path("missing/game.kordalt")), ESaveError);
    SaveGame(path);  // the next save works
    ASSERT_TRUE(LoadGameFile(path));
    EXPECT_EQ(Game.Year, 8);
}

// Files crafted with a correct checksum: what the gate refuses could end the
// program at the next self-test.
TEST_F(SavedGameTest, CraftedFilesThatBreakAnInvariantAreRefused) {
    const std::string image = SavedGameImage();
    const std::string body = Decompressed(image);
    auto gos = [](int i, size_t field) { return kGosOffset + 880 * static_cast<size_t>(i - 1) + field; };
    auto front = [&](int i, int j, size_t field) {
        return gos(i, offsetof(TGosRec, Fronts) + 28 * static_cast<size_t>(j - 1) + field);
    };
    auto kordalt = [](int slot, size_t field) { return 18121 + 25 * static_cast<size_t>(slot - 1) + field; };
    const size_t kordaltField = offsetof(TFrontRec, Kordalt), kordaltFront = offsetof(TKordaltRec, Front),
                 kordaltOwner = offsetof(TKordaltRec, Owner);
    struct Change {
        size_t offset;
        uint8_t value;
    };
    const struct {
        const char* what;
        std::vector<Change> changes;
    } cases[] = {
        // The home front names an own slot whose Kordalt records another front.
        {"home front link",
         {{front(1, 1, kordaltField), 21}, {kordalt(21, kordaltOwner), 1}, {kordalt(21, kordaltFront), 2}}},
        // The same on a front that is no neighbour now but may become one.
        {"link of a front without a border",
         {{front(1, 3, 0), 0},
          {front(1, 3, kordaltField), 41},
          {kordalt(41, kordaltOwner), 1},
          {kordalt(41, kordaltFront), 1}}},
        {"front of a Kordalt hired by another state",
         {{front(1, 1, kordaltField), 21}, {kordalt(21, kordaltOwner), 2}, {kordalt(21, kordaltFront), 1}}},
        {"Kordalt on a front that another commands",
         {{kordalt(61, kordaltOwner), 1}, {kordalt(61, kordaltFront), 1}}},
        {"army total", {{gos(2, offsetof(TGosRec, Soldiers)), 77}}},
        {"negative peasants", {{gos(3, offsetof(TGosRec, Peasants) + 3), 0x80}}},
        {"negative soldiers on a front", {{front(4, 4, offsetof(TFrontRec, Soldiers) + 3), 0xFF}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string crafted = body;
        for (const Change& change : c.changes) crafted[change.offset] = static_cast<char>(change.value);
        ASSERT_TRUE(ResealSavedBody(crafted));
        ExpectRefused(SavedGameFile(crafted), kOldVersion);
    }
    std::string resealed = body;
    ASSERT_TRUE(ResealSavedBody(resealed));
    EXPECT_EQ(resealed, body);
    EXPECT_TRUE(LoadGameImage(SavedGameFile(body)));
}

TEST_F(SavedGameTest, OnlyAWrittenSaveCountsAndAReadOnlyFileIsKept) {
    const std::string path = dir.Path("game.kordalt");
    SaveGame(path);
    ASSERT_EQ(Game.SaveCounter, 1);
    {
        FileSizeLimit limit(1000);
        EXPECT_THROW(SaveGame(path), ESaveError);
    }
    EXPECT_EQ(Game.SaveCounter, 1);
    EXPECT_THROW(SaveGame(dir.Path("missing/game.kordalt")), ESaveError);
    EXPECT_EQ(Game.SaveCounter, 1);

    const std::string old = test::ReadFile(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    try {
        SaveGame(path);
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const ESaveError& e) {
        EXPECT_EQ(Cp1251ToUtf8(e.what()),
                  "Не удалось сохранить игру в файл \"" + path + "\": нет права на запись");
    }
    EXPECT_EQ(test::ReadFile(path), old);
    EXPECT_EQ(Game.SaveCounter, 1);
    EXPECT_EQ(SaveGuard, 0);
}

TEST_F(SavedGameTest, OpenDialogCancelledOrFileMissingFailsSilently) {
    windows.openFileName = "";
    EXPECT_FALSE(LoadGame());
    windows.openFileName = dir.Path("none.kordalt");
    EXPECT_FALSE(LoadGame());
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    SaveGame(dir.Path("game.kordalt"));
    windows.openFileName = dir.Path("game.kordalt");
    EXPECT_TRUE(LoadGame());
}

TEST_F(SavedGameTest, AutosaveNameListsTheLivingHumansInOrder) {
    struct Case {
        std::vector<std::string> names;  // "" for a computer state
        std::vector<int> alive;
        std::string expected;
    };
    const Case cases[] = {
        {{"Zeta", "alpha", "Beta", ""}, {1, 1, 1, 1}, "autosave_alpha_Beta_Zeta"},
        {{"", "", "", ""}, {1, 1, 1, 1}, "autosave"},
        {{"Zeta", "alpha", "Beta", "Gamma"}, {1, 0, 1, 0}, "autosave_Beta_Zeta"},
        {{"борис", "Анна", "ёж", "Яков"}, {1, 1, 1, 1}, "autosave_Анна_борис_ёж_Яков"},
        {{"a/b", "c\\d", std::string("e\0f", 3), "g\x01h"}, {1, 1, 1, 1}, "autosave_a_b_c_d_e_f_g_h"},
    };
    for (const Case& c : cases) {
        for (int i = 1; i <= 4; ++i) {
            TGosRec& g = Game.mGos[i];
            g.PlayerName.Assign(Cp(c.names[i - 1]));
            g.Player = c.names[i - 1].empty() ? 0 : 1;
            g.Alive = static_cast<uint8_t>(c.alive[i - 1]);
        }
        std::string name = "old";
        MakeAutosaveName(name);
        EXPECT_EQ(Cp1251ToUtf8(name), c.expected);
    }
}

}  // namespace
}  // namespace kordalt
