// Checks the shipped Russian texts against the inventory data/text_ids.tsv:
// presence, encoding, length limits, kept defaults, format arguments and the
// battle records that the game later splits into "~" fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/support.h"
#include "platform/cp1251.h"

namespace kordalt {
namespace {

const std::string kSourceDir = KORDALT_SOURCE_DIR;

struct TextEntry {
  int id = 0;
  std::string purpose;
  std::optional<std::string> builtin;  // cp1251, line breaks as in the program
  std::optional<std::string> args;     // "s,d,..."; nullopt: never formatted
  std::size_t max = 255;
  std::string fields;
  bool replaced = false;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

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

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::map<int, TextEntry> LoadInventory() {
  std::istringstream lines(ReadFile(kSourceDir + "/data/text_ids.tsv"));
  std::string line;
  std::getline(lines, line);  // header
  std::map<int, TextEntry> inventory;
  while (std::getline(lines, line)) {
    const auto cells = Split(line, '\t');
    EXPECT_EQ(cells.size(), 8u) << line;
    if (cells.size() != 8) continue;
    TextEntry e;
    e.id = std::stoi(cells[0]);
    e.purpose = cells[2];
    if (cells[3] != "none") e.builtin = Utf8ToCp1251(Unescape(cells[3]));
    if (cells[4] != "-") e.args = cells[4];
    e.max = std::stoul(cells[5]);
    e.fields = cells[6];
    e.replaced = cells[7] == "yes";
    EXPECT_TRUE(inventory.emplace(e.id, e).second) << "duplicate id " << e.id;
  }
  return inventory;
}

// The [Russian] section as the program sees it: keys in lower case, values
// trimmed and unquoted as the settings engine reads them, in cp1251.
std::map<std::string, std::string> LoadSection() {
  std::istringstream lines(ReadFile(kSourceDir + "/data/texts_ru.ini"));
  std::map<std::string, std::string> section;
  std::string line;
  bool inside = false;
  while (std::getline(lines, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      inside = Lower(line) == "[russian]";
      continue;
    }
    const auto eq = line.find('=');
    if (!inside || eq == std::string::npos) continue;
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == value.back() && (value[0] == '"' || value[0] == '\''))
      value = value.substr(1, value.size() - 2);
    section.emplace(Lower(Trim(line.substr(0, eq))), Utf8ToCp1251(value));
  }
  return section;
}

// GetText form: every "|" stands for CR LF.
std::string LineBreaks(const std::string& stored) {
  std::string out;
  for (char c : stored) out += c == '|' ? std::string("\r\n") : std::string(1, c);
  return out;
}

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

struct Fixture {
  std::map<int, TextEntry> inventory = LoadInventory();
  std::map<std::string, std::string> section = LoadSection();

  const std::string* Stored(int id) const {
    const auto it = section.find(std::to_string(id));
    return it == section.end() ? nullptr : &it->second;
  }
  std::string Text(int id) const {
    const std::string* stored = Stored(id);
    EXPECT_NE(stored, nullptr) << "text " << id;
    if (stored == nullptr) return {};
    return id == 1174 ? *stored : LineBreaks(*stored);  // the file filter is read raw
  }
};

const Fixture& Texts() {
  static const Fixture fixture;
  return fixture;
}

// Argument kinds of a format text ("s", "d", "f" per placeholder), as the
// formatter understands %s %d %u %x %e %f %g with flags, width and precision.
// nullopt for a placeholder the formatter cannot take.
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
      case 's': kinds += 's'; break;
      case 'd': case 'u': case 'x': kinds += 'd'; break;
      case 'e': case 'f': case 'g': kinds += 'f'; break;
      default: return std::nullopt;
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

// Fills every placeholder with its argument's text; nullopt when the format
// does not take exactly these arguments.
std::optional<std::string> Fill(const std::string& format, const std::vector<std::string>& args,
                                const std::string& kinds) {
  if (PlaceholderKinds(format) != kinds || kinds.size() != args.size()) return std::nullopt;
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
    } else if (format[i + 1] == '%') {
      out += '%';
      ++i;
    } else {
      i = format.find_first_of("sdSDuUxXeEfFgG", i + 1);
      out += args[next++];
    }
  }
  return out;
}

// Widest values the battle records are built from.
const std::string kLongName(13, '\xC6');  // 13 times cp1251 "Ж"
const std::string kLongNumber = "4294967295";

TEST(ShippedTexts, EveryInventoryIdIsShippedAndNoOther) {
  const auto& t = Texts();
  for (const auto& [id, entry] : t.inventory) EXPECT_NE(t.Stored(id), nullptr) << "missing text " << id;
  for (const auto& [key, value] : t.section) {
    if (key.rfind("firstidintro", 0) == 0 || key.rfind("countintro", 0) == 0) continue;
    EXPECT_EQ(t.inventory.count(std::stoi(key)), 1u) << "text " << key << " is not in the inventory";
  }
  EXPECT_GE(t.inventory.size(), 500u);
}

TEST(ShippedTexts, FileIsUtf8AndEveryCharacterHasACp1251Byte) {
  const std::string file = ReadFile(kSourceDir + "/data/texts_ru.ini");
  ASSERT_TRUE(IsValidUtf8(file));
  EXPECT_EQ(Cp1251ToUtf8(Utf8ToCp1251(file)), file) << "a character outside cp1251 would show as '?'";
}

TEST(ShippedTexts, TextsKeepTheirLengthLimitsAndAreNotEmpty) {
  const auto& t = Texts();
  for (const auto& [id, entry] : t.inventory) {
    const std::string text = t.Text(id);
    EXPECT_FALSE(text.empty()) << "text " << id;
    EXPECT_LE(text.size(), entry.max) << "text " << id << " is longer than " << entry.max;
  }
}

TEST(ShippedTexts, BuiltInDefaultsAreKeptUnlessMarkedReplaced) {
  const auto& t = Texts();
  int compared = 0;
  for (const auto& [id, entry] : t.inventory) {
    if (!entry.builtin || entry.replaced || t.Stored(id) == nullptr) continue;
    EXPECT_EQ(*t.Stored(id), StoredForm(*entry.builtin)) << "text " << id << " differs from its default";
    ++compared;
  }
  EXPECT_GT(compared, 100);
}

TEST(ShippedTexts, FormatTextsTakeExactlyTheirArguments) {
  const auto& t = Texts();
  for (const auto& [id, entry] : t.inventory) {
    const std::string text = t.Text(id);
    if (entry.args) {
      EXPECT_EQ(PlaceholderKinds(text), Kinds(*entry.args)) << "text " << id << ": " << entry.purpose;
    } else if (id != 1174) {
      // Never formatted: a placeholder here would show as it stands.
      EXPECT_EQ(text.find('%'), std::string::npos) << "text " << id;
    }
  }
}

TEST(ShippedTexts, PlaceholderCheckRejectsWhatTheFormatterCannotFill) {
  struct Case {
    const char* format;
    const char* kinds;
    bool fits;
  };
  const Case cases[] = {
      {"%s and %d", "sd", true},       {"%-5s %.2f %%", "sf", true},  {"%d", "s", false},
      {"%s %s", "s", false},           {"100%", "", false},           {"%q", "", false},
      {"no placeholder", "", true},   {"%x %u", "dd", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlaceholderKinds(c.format) == std::optional<std::string>(c.kinds), c.fits) << c.format;
}

TEST(ShippedTexts, TextsInsideSplitRecordsHoldNoSeparator) {
  const auto& t = Texts();
  int checked = 0;
  for (const auto& [id, entry] : t.inventory) {
    for (const char separator : {'~', ';'}) {
      if (entry.fields.find(separator) == std::string::npos || entry.fields == "header") continue;
      EXPECT_EQ(t.Text(id).find(separator), std::string::npos) << "text " << id;
      ++checked;
    }
  }
  EXPECT_GT(checked, 150);
}

TEST(BattleRecords, BattleStartTextIsUniqueAmongBattleTexts) {
  const auto& t = Texts();
  const std::string start = t.Text(3305);
  ASSERT_FALSE(start.empty());
  for (const auto& [id, entry] : t.inventory)
    if (id != 3305) EXPECT_NE(t.Text(id), start) << "text " << id << " would open a battle";
  // A tactic text goes out as two messages: before the CR, and after CR LF.
  for (int id = 7201; id <= 7300; ++id) {
    const auto halves = Split(t.Text(id), '\r');
    EXPECT_NE(halves.front(), start);
    EXPECT_NE(halves.back().substr(1), start);
  }
}

TEST(BattleRecords, OpeningRecordIsTheFiveFieldBattleHeader) {
  const auto& t = Texts();
  const std::string attacker = kLongName, defender = "\xC1";  // "Б"
  const auto opening = Fill(t.Text(3300), {attacker, defender}, "ss");
  ASSERT_TRUE(opening);
  const std::string record = *opening + "~" + attacker + "~" + defender;
  ASSERT_LE(record.size(), 255u);
  ASSERT_EQ(CountParEC(record, "~"), 5) << "the battle view reads a header as five fields";
  EXPECT_FALSE(TrimEC(GetParEC(record, 0, "~")).empty()) << "the defeat screen shows field 0";
  EXPECT_EQ(GetParEC(record, 1, "~"), attacker);
  EXPECT_EQ(GetParEC(record, 2, "~"), defender);
}

TEST(BattleRecords, ResultRecordsKeepTheirBattleNumberAtFullWidth) {
  const auto& t = Texts();
  std::vector<std::string> args = {kLongName, kLongName, kLongName, kLongName, "0.5", "0.5"};
  for (int i = 0; i < 5; ++i) args.push_back(kLongNumber);
  for (const int id : {3322, 3323}) {
    if (id == 3323) args.push_back(kLongNumber);
    const auto title = Fill(t.Text(id), args, Kinds(t.inventory.at(id).args.value_or("")));
    ASSERT_TRUE(title) << "text " << id;
    const std::string record = *title + "~201";
    EXPECT_LE(record.size(), 255u) << "text " << id << ": the cut would lose the battle number";
    EXPECT_EQ(CountParEC(record, "~"), 2) << "text " << id;
  }
}

TEST(BattleRecords, StatusRecordKeepsNineFieldsAtFullWidth) {
  const auto& t = Texts();
  const std::string morale = t.Text(3317);
  std::string side = kLongName + ": ";
  for (int k = 7050; k <= 7052; ++k) side += t.Text(k) + ": 40000, ";
  std::string record = "\n" + side + morale + "100%\n" + side + morale + "100%\n";
  for (int i = 0; i < 8; ++i) record += "~40000";
  EXPECT_LE(record.size(), 255u) << "the numbers at the end would be cut";
  EXPECT_EQ(CountParEC(record, "~"), 9);
}

TEST(BattleRecords, ChronicleEntriesEndWithALineBreakAndMatchTheAlarmPattern) {
  const auto& t = Texts();
  for (const int id : {3319, 3320}) {
    const std::string text = t.Text(id);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.back(), '\n') << "text " << id << " is appended to the chronicle without a separator";
  }
  const std::string pattern = TrimEC(t.Text(3319));
  const auto mark = pattern.find("%s");
  ASSERT_NE(mark, std::string::npos);
  const std::string prefix = TrimEC(pattern.substr(0, mark)), suffix = TrimEC(pattern.substr(mark + 2));
  ASSERT_FALSE(prefix.empty() && suffix.empty());
  const auto line = Fill(t.Text(3319), {kLongName}, "s");
  ASSERT_TRUE(line);
  EXPECT_NE(line->find(prefix), std::string::npos);
  EXPECT_NE(line->find(suffix), std::string::npos);
}

TEST(RulesTexts, EveryTacticTextHasItsTwoLinesAndEveryNameIsSet) {
  const auto& t = Texts();
  for (int own = 1; own <= 10; ++own) {
    EXPECT_FALSE(t.Text(7099 + own).empty());
    for (int previous = 1; previous <= 10; ++previous) {
      const int id = 7200 + 10 * (previous - 1) + own;
      const auto halves = Split(t.Text(id), '\r');
      ASSERT_EQ(halves.size(), 2u) << "text " << id;
      EXPECT_FALSE(Trim(halves[0]).empty()) << "text " << id;
      EXPECT_TRUE(halves[1].size() > 1 && halves[1][0] == '\n') << "text " << id;
    }
  }
  for (int k = 7050; k <= 7052; ++k) EXPECT_FALSE(t.Text(k).empty());
}

TEST(ShippedTexts, IntroGroupsPointAtShippedLines) {
  const auto& t = Texts();
  std::set<int> lines;
  for (int group = 0; group <= 3; ++group) {
    const auto first = t.section.find("firstidintro" + std::to_string(group));
    const auto count = t.section.find("countintro" + std::to_string(group));
    ASSERT_NE(first, t.section.end());
    ASSERT_NE(count, t.section.end());
    const int from = std::stoi(first->second), n = std::stoi(count->second);
    EXPECT_GE(n, 5) << "intro " << group;
    for (int id = from; id < from + n; ++id) {
      EXPECT_EQ(t.inventory.count(id), 1u) << "intro " << group << " line " << id;
      EXPECT_TRUE(lines.insert(id).second) << "line " << id << " belongs to two intros";
    }
  }
}

}  // namespace
}  // namespace kordalt
