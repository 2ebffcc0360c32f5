// The settings file shipped in the program folder.
#include <gtest/gtest.h>

#include "game/language_file.h"
#include "platform/cp1251.h"
#include "platform/program_path.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

const std::string kShipped = std::string(KORDALT_BIN_DIR) + "/kordalt.INI";

TEST(ShippedSettings, IsUtf8AndOffersRussian) {
    const std::string bytes = test::ReadFile(kShipped);
    ASSERT_FALSE(bytes.empty()) << kShipped;
    EXPECT_TRUE(IsValidUtf8(bytes));

    ScopedProgramFileName program(std::string(KORDALT_BIN_DIR) + "/kordalt");
    const TLanguageFile file(kShipped);
    ASSERT_EQ(file.LanguageTitles.size(), 1u);
    EXPECT_EQ(file.LanguageTitles[0], Utf8ToCp1251("Русский"));
    EXPECT_EQ(file.LanguageIndex, 0);
    for (const char* key : {"FontName", "TTFFontName", "Charset", "dim.dat", "help", "Image", "Image2",
                            "Image3", "Image4", "Image5"})
        EXPECT_NE(file.ReadString(file.LanguageSection, key, ""), "") << key;
}

TEST(ShippedSettings, PreferencesHoldTheirDefaults) {
    const TIniFile ini(kShipped);
    struct Key {
        const char* name;
        const char* value;
    };
    const Key keys[] = {
        {"Music", "1"},
        {"SinglePlayer", "0"},
        {"HideGraphics", "0"},
        {"ShowHint", "0"},
        {"ShowScrollHelp", "0"},
        {"ConfirmSaveGame", "0"},
        {"DeadAfterMove", "0"},
        {"InternetServer", ""},
        {"RememberPage", "1"},
        {"SaveChat", "0"},
        {"ChatFileName", "kordaltchat.txt"},
        {"TimeStamp", "yyyy.mm.dd hh:nn:ss"},
        {"PlayerName", ""},
        {"FontDefence", "1"},
    };
    for (const Key& key : keys) {
        EXPECT_TRUE(ini.ValueExists("Preferences", key.name)) << key.name;
        EXPECT_EQ(ini.ReadString("Preferences", key.name, "?"), key.value) << key.name;
    }
}

}  // namespace
}  // namespace kordalt
