#include "game/saved_game.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include "compress/lzrw1.h"
#include "game/game_state.h"
#include "game/game_windows.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/owner_grid.h"
#include "game/rules_data.h"
#include "game/self_test.h"
#include "game/state_commit.h"
#include "game/turn_report.h"
#include "game/ui_hooks.h"
#include "game/validate.h"
#include "platform/atomic_file.h"
#include "platform/cp1251.h"
#include "platform/record_body.h"

namespace kordalt {

uint8_t SaveGuard = 0;

namespace {

constexpr size_t kChronicleString = 250;
constexpr size_t kChronicleFirstPart = 245;
// Bound of the decompressed body: far above any year's turn report.
constexpr uint32_t kMaxBodySize = 64u << 20;

// ---- checksum ----

int64_t SignedProduct(int64_t a, int64_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

uint64_t ResearchSum(const TGosRec& g) {
    uint64_t s = 0;
    for (int k = 0; k < ResearchBranchCount; ++k) {
        const TResearchRec& r = g.Research[k];
        s += static_cast<uint64_t>(SignedProduct(SignedProduct(r.Level, r.Points), r.Scientists));
        s += static_cast<uint64_t>(int64_t{r.Cost}) + static_cast<uint64_t>(k);
    }
    return s;
}

// The checksum of `s` on a map whose owners add up to `ownerSum`, counting
// `saves` saves; sums wrap.
int64_t ChecksumOf(const GameState& s, uint64_t ownerSum, uint16_t saves) {
    uint64_t sum = 0;
    for (int i = 1; i <= s.GosCount; ++i) {
        const TGosRec& g = s.mGos[i];
        sum += ResearchSum(g);
        sum += static_cast<uint64_t>(SignedProduct(g.Territory, g.Money));
        sum += uint64_t{g.Destroyed} * g.KordaltCount;
        sum += static_cast<uint64_t>(SignedProduct(g.FieldsSown, g.Grain));
        for (int32_t v : {g.Peasants, g.Scientists, g.Soldiers, g.Reserve, g.FreeScientists, g.Character})
            sum += static_cast<uint64_t>(int64_t{v});
    }
    for (int i = 1; i <= KordaltSlotCount; ++i) {
        const TKordaltRec& k = s.mKordalt[i];
        sum += uint64_t{k.Id} + k.Front + k.Owner + k.Age + k.Lifespan + k.Speed + k.Mastery + k.Condition +
               k.Mark;
    }
    sum -= ownerSum;
    sum -= static_cast<uint32_t>(uint32_t{s.Year} * s.MapSize *
                                 (uint32_t{s.GosCount} + s.AliveGosCount + saves));
    sum += 14;
    return static_cast<int64_t>(sum);
}

uint64_t OwnerSum(const TOwnerGrid& grid) {
    uint64_t sum = 0;
    for (uint8_t owner : grid) sum += owner;  // every byte outside the map is 0
    return sum;
}

// ---- body layout ----

// A body: the chronicle in two string[250], then the tables and counters.
struct SavedBody {
    GameState state;
    ShortString<kChronicleString> chronicle[2]{};
    TOwnerGrid grid{};
    uint8_t human = 0;  // CurrentHuman when saved, ResumeHuman when loaded
    int64_t checksum = 0;
    int32_t messageCount = 0;
    std::vector<TMessageRec> messages;

    template <class V, class Self>
    static void Describe(V& v, Self& b) {
        v.Field(b.chronicle);
        v.Field(b.state.GameGuid);
        v.Field(b.state.GameOnInternet);
        v.Field(b.state.AliveGosCount);
        v.Field(b.state.GosCount);
        v.Field(b.state.mGos);
        v.Field(b.state.mKordalt);
        v.Field(b.state.YearStats);
        v.Field(b.grid);
        v.Field(b.state.HumanCount);
        v.Field(b.human);
        v.Field(b.state.MapSize);
        v.Field(b.state.ResearchCostStep);
        v.Field(b.state.Year);
        v.Field(b.state.SaveCounter);
        v.Field(b.state.DifficultyLevel);
        v.Field(b.checksum);
        v.Field(b.messageCount);
        v.Sequence(b.messages, b.messageCount);
    }
};

std::string WriteBody(const SavedBody& body) {
    BodyWriter w;
    SavedBody::Describe(w, body);
    return std::move(w.Bytes());
}

std::string BuildBody() {
    if (PlayMode.GameMode != kLocalGame) Game.CurrentHuman = 0;
    ++Game.SaveCounter;
    auto body = std::make_unique<SavedBody>();
    body->state = Game;
    const std::string_view chronicle(Game.BattleChronicle);
    body->chronicle[0].Assign(chronicle.substr(0, kChronicleFirstPart));
    body->chronicle[1].Assign(
        chronicle.substr(std::min(chronicle.size(), kChronicleFirstPart), kChronicleString));
    MapToGrid(*Map, Game.MapSize, body->grid);
    body->human = Game.CurrentHuman;
    body->checksum = ChecksumOf(Game, OwnerSum(body->grid), Game.SaveCounter);
    for (int i = 0; i < Messages.Count(); ++i) body->messages.push_back(*Messages[i]);
    body->messageCount = static_cast<int32_t>(body->messages.size());
    return WriteBody(*body);
}

template <size_t N>
bool LengthFits(const ShortString<N>& s) {
    return s.Length <= N;
}

// The gate of the tables and the grid, and the counts, short strings and
// messages only a file carries.
TChecked<> CheckLoaded(const SavedBody& g) {
    const GameState& s = g.state;
    if (auto c = ValidateGame(s, g.grid); !c) return c;
    if (s.HumanCount > s.GosCount) return TRefused{"HumanCount above GosCount"};
    if (s.ResumeHuman > s.HumanCount) return TRefused{"saved CurrentHuman above HumanCount"};
    for (int i = 1; i <= s.GosCount; ++i) {
        const TGosRec& gos = s.mGos[i];
        if (!LengthFits(gos.Name) || !LengthFits(gos.PlayerName) || !LengthFits(gos.StartPlayerName))
            return TRefused{"mGos[" + std::to_string(i) + "] has a name longer than its capacity"};
    }
    for (int i = 1; i <= KordaltSlotCount; ++i)
        if (!LengthFits(s.mKordalt[i].Name))
            return TRefused{"mKordalt[" + std::to_string(i) + "].Name is too long"};
    for (const TMessageRec& m : g.messages)
        if (m.Gos > s.GosCount) return TRefused{"message of state " + std::to_string(m.Gos)};
    return {};
}

// Reads the items of a body into a copy of the running game; throws
// EBodyError when it is too short.
std::unique_ptr<SavedBody> ReadBody(std::string_view body) {
    auto b = std::make_unique<SavedBody>();
    b->state = Game;
    BodyReader r(body);
    SavedBody::Describe(r, *b);
    b->state.BattleChronicle.clear();
    for (const auto& part : b->chronicle) {
        if (!LengthFits(part)) throw EBodyError("chronicle length " + std::to_string(part.Length));
        b->state.BattleChronicle += part.Str();
    }
    b->state.ResumeHuman = b->human;
    return b;
}

std::unique_ptr<SavedBody> ParseBody(std::string_view body) {
    auto g = ReadBody(body);
    if (auto c = CheckLoaded(*g); !c) throw EBodyError(c.Why());
    return g;
}

// The text of the first kind check the file fails, or empty.
std::string KindMismatch(const GameState& s) {
    const bool local = PlayMode.GameMode == kLocalGame;
    if (s.ResumeHuman == 0 && local) return LangText(kNetworkGameFile);
    if (s.ResumeHuman > 0 && !local) return LangText(kLocalGameFile);
    if (s.GameOnInternet && !PlayMode.IsInternetGame) return LangText(kInternetGameFile);
    if (!s.GameOnInternet && PlayMode.IsInternetGame) return LangText(kNetworkGameFile);
    return {};
}

void Commit(SavedBody& g) {
    CommitMap(g.grid, g.state.MapSize, g.state.GosCount, true);
    CommitTables(std::move(g.state));
    Messages.Clear();
    for (const TMessageRec& m : g.messages) AddMessage(m.Kind, m.Gos, m.Color, m.Text.Str());
}

std::string Decompress(std::string_view compressed) {
    std::istringstream in{std::string(compressed)};
    std::ostringstream out;
    Tlzrw1 coder;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    coder.Decompress(kMaxBodySize);
    return std::move(out).str();
}

// Sort key of a cp1251 character: case folded, Ё after Е as in the Russian alphabet.
int SortKey(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF)) c += 32;  // Latin and А..Я
    if (c == 0xA8 || c == 0xB8) return 2 * 0xE5 + 1;                  // Ё, ё
    return 2 * c;
}

bool SortsBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return SortKey(static_cast<unsigned char>(x)) < SortKey(static_cast<unsigned char>(y));
    });
}

std::string SafeFileNamePart(std::string name) {
    for (char& c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
    return name;
}

}  // namespace

int64_t ResearchChecksum(uint8_t gos) { return static_cast<int64_t>(ResearchSum(Game.mGos[gos])); }

namespace {

int64_t CurrentChecksum(uint16_t saves) {
    TOwnerGrid grid{};
    MapToGrid(*Map, Game.MapSize, grid);
    return ChecksumOf(Game, OwnerSum(grid), saves);
}

}  // namespace

int64_t GameChecksum() { return CurrentChecksum(Game.SaveCounter); }

int64_t SharedGameChecksum() { return CurrentChecksum(0); }

std::string SaveHeader() {
    std::string h = Cp("Файл содежит сохраненную игру \"Kordalt\", версии 4.5d");
    h += LineBreak;
    h += Cp("Год ") + std::to_string(Game.Year);
    h += LineBreak;
    h += Cp("Уровень сложности ") + std::to_string(Game.DifficultyLevel);
    h += LineBreak;
    h += Cp("Стран ") + std::to_string(Game.GosCount) + Cp(" людей ") + std::to_string(Game.HumanCount);
    h += LineBreak;
    h += Cp(PlayMode.GameMode == kLocalGame ? "Одиночная игра" : "Сетевая игра");
    h += LineBreak;
    h.resize(kSaveHeaderSize, '\r');
    return h;
}

std::string SavedGameImage() {
    CheckGameState(Cp("При сохранении игры:"));
    return SavedGameFile(BuildBody());
}

std::string SavedGameBody() { return BuildBody(); }

bool ResealSavedBody(std::string& body) {
    try {
        const auto b = ReadBody(body);
        b->checksum = ChecksumOf(b->state, OwnerSum(b->grid), b->state.SaveCounter);
        body = WriteBody(*b);
        return true;
    } catch (const EBodyError&) {
        return false;
    }
}

std::string SavedGameFile(std::string_view body) {
    std::istringstream in{std::string(body)};
    std::ostringstream out;
    out << SaveHeader();
    Tlzrw1 coder;
    coder.CompressMode = TCompressMode::Fast;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    coder.Compress();
    return std::move(out).str();
}

void SaveGame(const std::string& fileName) {
    if (SaveGuard) return;
    SaveGuard = 1;
    // Only a save that was written counts.
    struct Release {
        uint16_t counter = Game.SaveCounter;
        bool written = false;
        ~Release() {
            if (!written) Game.SaveCounter = counter;
            SaveGuard = 0;
        }
    } release;
    if (const int err = WriteFileAtomically(fileName, SavedGameImage()))
        throw ESaveError(Cp("Не удалось сохранить игру в файл \"") + Utf8ToCp1251(fileName) +
                         "\": " + Cp(FileErrorText(err)));
    release.written = true;
}

bool LoadGameImage(std::string_view image) {
    std::string body;
    try {
        if (image.size() < kSaveHeaderSize) throw ELzrw1Exception("no compressed body");
        body = Decompress(image.substr(kSaveHeaderSize));
    } catch (const ELzrw1Exception&) {
        // A body that does not decompress has the settings file's text only.
        ShowMessage(LangText(kDamagedSavedGame.WithoutDefault()));
        return false;
    }
    std::unique_ptr<SavedBody> loaded;
    try {
        loaded = ParseBody(body);
    } catch (const EBodyError&) {
        ShowMessage(LangText(kDamagedSavedGame));
        return false;
    }
    const TOwnerGrid& grid = loaded->grid;
    if (ChecksumOf(loaded->state, OwnerSum(grid), loaded->state.SaveCounter) != loaded->checksum) {
        ShowMessage(LangText(kDamagedSavedGame));
        return false;
    }
    if (std::string text = KindMismatch(loaded->state); !text.empty()) {
        ShowMessage(text);
        return false;
    }
    Commit(*loaded);
    return true;
}

bool LoadGameFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return false;
    const std::string image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return false;
    return LoadGameImage(image);
}

bool LoadGame() {
    std::string fileName;
    if (!GameWindows().OpenGameDialog(fileName)) return false;
    return LoadGameFile(fileName);
}

void MakeAutosaveName(std::string& name) {
    std::vector<std::string> entries;
    for (int i = 1; i <= Game.GosCount; ++i) {
        const TGosRec& g = Game.mGos[i];
        entries.push_back(g.Alive && g.Player > 0 ? g.PlayerName.Str() : std::string());
    }
    for (size_t i = 0; i < entries.size(); ++i)
        for (size_t j = 0; j < entries.size(); ++j)
            if (SortsBefore(entries[i], entries[j])) std::swap(entries[i], entries[j]);
    name = "autosave";
    for (const std::string& entry : entries)
        if (!entry.empty()) name += "_" + SafeFileNamePart(entry);
}

}  // namespace kordalt
