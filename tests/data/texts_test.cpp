// Checks the shipped Russian texts against the inventory data/text_ids.tsv:
// presence, encoding, length limits, kept defaults, format arguments and the
// battle records that the game later splits into "~" fields. The texts are read
// through the language store from a program folder holding the settings file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/language_file.h"
#include "platform/cp1251.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "platform/support.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

using test::ReadFile;

const std::string kDataDir = KORDALT_SOURCE_DIR "/data/";

struct TextEntry {
    std::string purpose;
    std::optional<std::string> builtin;  // cp1251, line breaks as in the program
    std::optional<std::string> args;     // "s,d,..."; nullopt: never formatted
    std::size_t max = 255;
    std::string fields;
    bool replaced = false;
};

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return out;
}

std::map<int, TextEntry> LoadInventory() {
    std::istringstream lines(ReadFile(kDataDir + "text_ids.tsv"));
    std::string line;
    std::getline(lines, line);  // header
    std::map<int, TextEntry> inventory;
    while (std::getline(lines, line)) {
        const auto cells = Split(line, '\t');
        EXPECT_EQ(cells.size(), 8u) << line;
        if (cells.size() != 8) continue;
        TextEntry e;
        e.purpose = cells[2];
        if (cells[3] != "none") e.builtin = Utf8ToCp1251(Unescape(cells[3]));
        if (cells[4] != "-") e.args = cells[4];
        e.max = std::stoul(cells[5]);
        e.fields = cells[6];
        e.replaced = cells[7] == "yes";
        EXPECT_TRUE(inventory.emplace(std::stoi(cells[0]), e).second) << "duplicate id " << cells[0];
    }
    return inventory;
}

// The shipped settings file.
std::string ShippedSettings() { return ReadFile(kDataDir + "kordalt.INI"); }

// Any line-break sequence of a built-in default as the file writes it: "|".
std::string StoredForm(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c) ++i;
        out += '|';
    }
    return out;
}

// A program folder with the shipped settings file, opened by the language store.
class ShippedTexts : public ::testing::Test {
protected:
    ShippedTexts() : program_(dir_.Path("kordalt")) {
        test::WriteFile(dir_.Path("kordalt.INI"), ShippedSettings());
        store_ = std::make_unique<TLanguageFile>(dir_.Path("kordalt.INI"));
    }

    bool Shipped(int id) const { return store_->ValueExists(store_->LanguageSection, std::to_string(id)); }
    std::string Stored(int id) const { return store_->GetTextRaw(id, ""); }
    // As the program reads it; the file filter is read raw.
    std::string Text(int id) const { return id == 1174 ? Stored(id) : store_->GetText(id, ""); }

    const std::map<int, TextEntry> inventory_ = LoadInventory();
    test::ScratchDir dir_;
    ScopedProgramFileName program_;
    std::unique_ptr<TLanguageFile> store_;
};

using BattleRecords = ShippedTexts;
using RulesTexts = ShippedTexts;

// Argument kinds of a format text ("s", "d", "f" per placeholder), as the
// formatter takes %s %d %u %x %e %f %g with "-", width and precision.
// nullopt for a placeholder that needs more (an index, "*") or is malformed.
std::optional<std::string> PlaceholderKinds(const std::string& format) {
    std::string kinds;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        ++i;
        if (i < format.size() && format[i] == '%') continue;
        if (i < format.size() && format[i] == '-') ++i;
        while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) ++i;
        if (i < format.size() && format[i] == '.') {
            ++i;
            while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]))) ++i;
        }
        if (i == format.size()) return std::nullopt;
        switch (std::tolower(static_cast<unsigned char>(format[i]))) {
            case 's':
                kinds += 's';
                break;
            case 'd':
            case 'u':
            case 'x':
                kinds += 'd';
                break;
            case 'e':
            case 'f':
            case 'g':
                kinds += 'f';
                break;
            default:
                return std::nullopt;
        }
    }
    return kinds;
}

std::string Kinds(const std::string& args) {
    std::string kinds;
    for (char c : args)
        if (c != ',') kinds += c;
    return kinds;
}

// A recognisable argument of each kind: argument i is shown as "<i>" in its way.
std::vector<FormatArg> SampleArgs(const std::string& kinds) {
    std::vector<FormatArg> args;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const int n = 901 + static_cast<int>(i);
        if (kinds[i] == 's')
            args.emplace_back("#" + std::to_string(n));
        else if (kinds[i] == 'd')
            args.emplace_back(n);
        else
            args.emplace_back(n + 0.5);
    }
    return args;
}

// Widest values the battle records are built from.
const std::string kLongName(13, '\xC6');  // 13 times cp1251 "Ж"
constexpr uint32_t kLongNumber = 4294967295u;

TEST_F(ShippedTexts, EveryInventoryIdIsShippedAndNoOther) {
    for (const auto& [id, entry] : inventory_) EXPECT_TRUE(Shipped(id)) << "missing text " << id;
    for (const auto& key : store_->ReadSection(store_->LanguageSection)) {
        if (key.empty() || !std::isdigit(static_cast<unsigned char>(key[0]))) continue;  // Title, Image ...
        EXPECT_EQ(inventory_.count(std::stoi(key)), 1u) << "text " << key << " is not in the inventory";
    }
    EXPECT_GE(inventory_.size(), 500u);
}

TEST_F(ShippedTexts, FileIsUtf8AndEveryCharacterHasACp1251Byte) {
    const std::string file = ShippedSettings();
    ASSERT_TRUE(IsValidUtf8(file));
    EXPECT_EQ(Cp1251ToUtf8(Utf8ToCp1251(file)), file) << "a character outside cp1251 would show as '?'";
}

TEST_F(ShippedTexts, TextsKeepTheirLengthLimitsAndAreNotEmpty) {
    for (const auto& [id, entry] : inventory_) {
        const std::string text = Text(id);
        EXPECT_FALSE(text.empty()) << "text " << id;
        EXPECT_LE(text.size(), entry.max) << "text " << id << " is longer than " << entry.max;
    }
}

TEST_F(ShippedTexts, BuiltInDefaultsAreKeptUnlessMarkedReplaced) {
    int compared = 0;
    for (const auto& [id, entry] : inventory_) {
        if (!entry.builtin || entry.replaced) continue;
        EXPECT_EQ(Stored(id), StoredForm(*entry.builtin)) << "text " << id << " differs from its default";
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

TEST_F(ShippedTexts, FormatTextsShowEveryArgumentTheyAreGiven) {
    for (const auto& [id, entry] : inventory_) {
        const std::string text = Text(id);
        if (!entry.args) {
            // Never formatted: a placeholder here would show as it stands.
            if (id != 1174) {
                EXPECT_EQ(text.find('%'), std::string::npos) << "text " << id;
            }
            continue;
        }
        const std::string kinds = Kinds(*entry.args);
        EXPECT_EQ(PlaceholderKinds(text), kinds) << "text " << id << ": " << entry.purpose;
        const auto args = SampleArgs(kinds);
        const std::string shown = FormatText(text, args);
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            const std::string value = std::to_string(901 + i);
            EXPECT_NE(shown.find(value), std::string::npos) << "text " << id << " drops argument " << i + 1;
        }
    }
}

TEST_F(ShippedTexts, PlaceholderCheckRejectsWhatTheFormatterCannotFill) {
    struct Case {
        const char* format;
        const char* kinds;
        bool fits;
    };
    const Case cases[] = {
        {"%s and %d", "sd", true}, {"%-5s %.2f %%", "sf", true}, {"%x %u", "dd", true}, {"plain", "", true},
        {"%d", "s", false},        {"%s %s", "s", false},        {"100%", "", false},   {"%q", "", false},
        {"%0:s", "s", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceholderKinds(c.format) == std::optional<std::string>(c.kinds), c.fits) << c.format;
}

TEST_F(ShippedTexts, TextsInsideSplitRecordsHoldNoSeparator) {
    int checked = 0;
    for (const auto& [id, entry] : inventory_) {
        for (const char separator : {'~', ';'}) {
            if (entry.fields.find(separator) == std::string::npos) continue;
            EXPECT_EQ(Text(id).find(separator), std::string::npos) << "text " << id;
            ++checked;
        }
    }
    EXPECT_GT(checked, 150);
}

TEST_F(ShippedTexts, IntroGroupsPointAtShippedLines) {
    std::set<int> seen;
    for (int group = 0; group <= 3; ++group) {
        std::vector<std::string> lines;
        store_->LoadIntro(group, lines);
        EXPECT_GE(lines.size(), 5u) << "intro " << group;
        const int first =
            store_->ReadInteger(store_->LanguageSection, "FirstIDIntro" + std::to_string(group), -1);
        for (int id = first; id < first + static_cast<int>(lines.size()); ++id) {
            EXPECT_TRUE(Shipped(id)) << "intro " << group << " line " << id;
            EXPECT_EQ(inventory_.count(id), 1u) << "intro " << group << " line " << id;
            EXPECT_TRUE(seen.insert(id).second) << "line " << id << " belongs to two intros";
        }
    }
}

TEST_F(BattleRecords, BattleStartTextIsUniqueAmongBattleTexts) {
    const std::string start = Text(3305);
    ASSERT_FALSE(start.empty());
    for (const auto& [id, entry] : inventory_) {
        if (id != 3305) {
            EXPECT_NE(Text(id), start) << "text " << id << " would open a battle";
        }
    }
    // A tactic text goes out as two messages: before the CR, and after CR LF.
    for (int id = 7201; id <= 7300; ++id) {
        const auto halves = Split(Text(id), '\r');
        EXPECT_NE(halves.front(), start);
        EXPECT_NE(halves.back().substr(std::min<std::size_t>(1, halves.back().size())), start);
    }
}

TEST_F(BattleRecords, OpeningRecordIsTheFiveFieldBattleHeader) {
    const std::string attacker = kLongName, defender = "\xC1";  // cp1251 "Б"
    const std::string record = FormatText(Text(3300), {attacker, defender}) + "~" + attacker + "~" + defender;
    ASSERT_LE(record.size(), 255u);
    ASSERT_EQ(CountParEC(record, "~"), 5) << "the battle view reads a header as five fields";
    EXPECT_FALSE(TrimEC(GetParEC(record, 0, "~")).empty()) << "the defeat screen shows field 0";
    EXPECT_EQ(GetParEC(record, 1, "~"), attacker);
    EXPECT_EQ(GetParEC(record, 2, "~"), defender);
}

TEST_F(BattleRecords, ResultRecordsKeepTheirBattleNumberAtFullWidth) {
    std::vector<FormatArg> args = {kLongName, kLongName, kLongName, kLongName, "0.5", "0.5"};
    for (int i = 0; i < 5; ++i) args.emplace_back(kLongNumber);
    for (const int id : {3322, 3323}) {
        if (id == 3323) args.emplace_back(kLongNumber);
        const std::string record = FormatText(Text(id), args) + "~201";
        EXPECT_LE(record.size(), 255u) << "text " << id << ": the cut would lose the battle number";
        EXPECT_EQ(CountParEC(record, "~"), 2) << "text " << id;
    }
}

TEST_F(BattleRecords, StatusRecordKeepsNineFieldsAtFullWidth) {
    const std::string morale = Text(3317);
    std::string side = kLongName + ": ";
    for (int k = 7050; k <= 7052; ++k) side += Text(k) + ": 40000, ";
    std::string record = "\n" + side + morale + "100%\n" + side + morale + "100%\n";
    for (int i = 0; i < 8; ++i) record += "~40000";
    EXPECT_LE(record.size(), 255u) << "the numbers at the end would be cut";
    EXPECT_EQ(CountParEC(record, "~"), 9);
}

TEST_F(BattleRecords, ChronicleEntriesEndWithALineBreakAndMatchTheAlarmPattern) {
    for (const int id : {3319, 3320}) {
        const std::string text = Text(id);
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.back(), '\n') << "text " << id << " is appended to the chronicle without a separator";
    }
    const std::string pattern = TrimEC(Text(3319));
    const auto mark = pattern.find("%s");
    ASSERT_NE(mark, std::string::npos);
    const std::string prefix = TrimEC(pattern.substr(0, mark)), suffix = TrimEC(pattern.substr(mark + 2));
    ASSERT_FALSE(prefix.empty() && suffix.empty());
    const std::string line = FormatText(Text(3319), {kLongName});
    EXPECT_NE(line.find(prefix), std::string::npos);
    EXPECT_NE(line.find(suffix), std::string::npos);
}

TEST_F(RulesTexts, EveryTacticTextHasItsTwoLinesAndEveryNameIsSet) {
    for (int own = 1; own <= 10; ++own) {
        EXPECT_FALSE(Text(7099 + own).empty());
        for (int previous = 1; previous <= 10; ++previous) {
            const int id = 7200 + 10 * (previous - 1) + own;
            const auto halves = Split(Text(id), '\r');
            ASSERT_EQ(halves.size(), 2u) << "text " << id;
            EXPECT_FALSE(TrimEC(halves[0]).empty()) << "text " << id;
            EXPECT_FALSE(TrimEC(halves[1]).empty()) << "text " << id;
            EXPECT_EQ(halves[1][0], '\n') << "text " << id;
        }
    }
    for (int k = 7050; k <= 7052; ++k) EXPECT_FALSE(Text(k).empty());
}

// One named text of game/texts.h as its source writes it: a range stands for
// `count` ids from `id`.
struct NamedText {
    std::string name;
    int id = 0;
    int count = 1;
    std::string builtin;  // cp1251
};

// The C++ string literals of `source` joined, escapes resolved.
std::string Literals(const std::string& source) {
    static const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
    std::string text;
    for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end; ++it)
        text += Unescape((*it)[1]);
    return text;
}

std::vector<NamedText> NamedTexts() {
    const std::string source = ReadFile(KORDALT_SOURCE_DIR "/game/texts.h");
    static const std::regex entry(
        R"re(inline constexpr (TText|TTextRange) (k\w+)\{\s*(\d+),\s*(?:(\d+),\s*)?((?:"(?:[^"\\]|\\.)*"\s*)+)\};)re");
    std::vector<NamedText> texts;
    for (std::sregex_iterator it(source.begin(), source.end(), entry), end; it != end; ++it) {
        const std::smatch& m = *it;
        NamedText t{m[2], std::stoi(m[3]), m[1] == "TTextRange" ? std::stoi(m[4]) : 1,
                    Utf8ToCp1251(Literals(m[5]))};
        texts.push_back(t);
    }
    std::size_t declared = 0;
    for (std::size_t at = source.find("inline constexpr TText"); at != std::string::npos;
         at = source.find("inline constexpr TText", at + 1))
        ++declared;
    EXPECT_EQ(texts.size(), declared) << "a named text the check cannot read";
    return texts;
}

TEST(NamedTexts, EachIdIsNamedOnceWithTheInventorysDefault) {
    const std::map<int, TextEntry> inventory = LoadInventory();
    const std::vector<NamedText> texts = NamedTexts();
    EXPECT_GT(texts.size(), 250u);
    std::map<int, std::string> named;
    for (const NamedText& t : texts) {
        EXPECT_EQ(inventory.count(t.id), 1u) << t.name << " " << t.id << " is not in the inventory";
        for (int id = t.id; id < t.id + t.count; ++id) {
            const auto [at, added] = named.emplace(id, t.name);
            EXPECT_TRUE(added) << "text " << id << " is named " << at->second << " and " << t.name;
            const auto listed = inventory.find(id);
            if (listed == inventory.end() || !listed->second.builtin) continue;
            EXPECT_EQ(StoredForm(t.builtin), StoredForm(*listed->second.builtin))
                << t.name << " " << id << " has another default than the inventory";
        }
    }
}

}  // namespace
}  // namespace kordalt
