#include "game/language_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fatal.h"
#include "platform/program_path.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

using namespace test;

constexpr char kSettings[] = R"(; test settings
[Languages]
Count=2
Default=1
0=English
1=Russian

[English]
Title=English
100=Hello

[Russian]
Title=Русский
100=a|b|c
101=Привет
FirstIDIntro1=500
FirstIDIntro2=500
CountIntro2=3
500=Строка 1
502=Строка 3
Image=menu.bmp
Image2=
Image4=setup.bmp
dim.dat=dim.dat
)";

// A program folder with the settings file kordalt.INI.
class LanguageFileTest : public ::testing::Test {
protected:
    LanguageFileTest() : program_(dir_.Path("kordalt")) { WriteFile(SettingsPath(), kSettings); }
    std::string SettingsPath() const { return dir_.Path("kordalt.INI"); }

    ScratchDir dir_;
    ScopedProgramFileName program_;
};

TEST_F(LanguageFileTest, LoadsTheLanguageList) {
    TLanguageFile file(SettingsPath());
    EXPECT_EQ(file.LanguageTitles, (std::vector<std::string>{"English", Cp("Русский")}));
    EXPECT_EQ(file.SectionNames, (std::vector<std::string>{"English", "Russian"}));
    EXPECT_EQ(file.LanguageIndex, 1);
    EXPECT_EQ(file.LanguageSection, "Russian");

    file.LoadLanguages();  // again: both lists start afresh
    EXPECT_EQ(file.LanguageTitles.size(), 2u);
    EXPECT_EQ(file.SectionNames.size(), 2u);
}

TEST_F(LanguageFileTest, TextsOfTheCurrentLanguage) {
    TLanguageFile file(SettingsPath());
    EXPECT_EQ(file.GetText(100, "default"), "a\r\nb\r\nc");
    EXPECT_EQ(file.GetTextRaw(100, "default"), "a|b|c");
    EXPECT_EQ(file.GetText(101, ""), Cp("Привет"));
    EXPECT_EQ(file.GetText(999, Cp("Музыка")), Cp("Музыка"));
    EXPECT_EQ(file.GetText(999, ""), "");
    EXPECT_EQ(file.GetText(999, "x||y"), "x\r\n\r\ny");
    EXPECT_EQ(file.GetTextRaw(999, "x||y"), "x||y");
}

TEST_F(LanguageFileTest, LoadIntroFillsMissingLinesWithError) {
    TLanguageFile file(SettingsPath());
    std::vector<std::string> lines = {"old"};
    file.LoadIntro(2, lines);
    EXPECT_EQ(lines, (std::vector<std::string>{Cp("Строка 1"), Cp("Ошибка"), Cp("Строка 3")}));

    lines = {"old"};
    file.LoadIntro(1, lines);  // no CountIntro1
    file.LoadIntro(0, lines);  // neither key
    EXPECT_EQ(lines, std::vector<std::string>{"old"});
}

TEST_F(LanguageFileTest, FileNamesGetTheProgramDirectory) {
    TLanguageFile file(SettingsPath());
    EXPECT_EQ(file.GetImageFileName(0), dir_.Dir() + "menu.bmp");
    EXPECT_EQ(file.GetImageFileName(4), dir_.Dir() + "setup.bmp");
    EXPECT_EQ(file.GetImageFileName(2), "");  // empty value
    EXPECT_EQ(file.GetImageFileName(3), "");  // missing key
    EXPECT_EQ(file.GetDataFileName(), dir_.Dir() + "dim.dat");
    EXPECT_EQ(file.GetHelpFileName(), dir_.Dir() + "kordalt.hlp");
}

TEST_F(LanguageFileTest, SetLanguageOutsideTheListChangesNothing) {
    TLanguageFile file(SettingsPath());
    for (int index : {-1, 2}) {
        file.SetLanguage(index);
        EXPECT_EQ(ReadFile(SettingsPath()), kSettings) << index;
        EXPECT_EQ(file.LanguageIndex, 1);
        EXPECT_EQ(file.LanguageSection, "Russian");
    }
}

TEST_F(LanguageFileTest, SetLanguageSwitchesAndStoresTheChoice) {
    TLanguageFile file(SettingsPath());
    file.SetLanguage(0);
    EXPECT_EQ(file.LanguageIndex, 0);
    EXPECT_EQ(file.GetText(100, ""), "Hello");
    EXPECT_EQ(file.ReadInteger("Languages", "Default", -1), 0);
    EXPECT_NE(ReadFile(SettingsPath()).find("Default=0\n"), std::string::npos);
    EXPECT_EQ(TLanguageFile(SettingsPath()).LanguageSection, "English");
}

TEST_F(LanguageFileTest, ADefaultOutsideTheListLeavesNoLanguage) {
    TIniFile(SettingsPath()).WriteInteger("Languages", "Default", 5);
    TLanguageFile file(SettingsPath());
    EXPECT_EQ(file.LanguageSection, "");
    EXPECT_EQ(file.LanguageIndex, 0);
    EXPECT_EQ(file.GetText(100, "built-in"), "built-in");
}

TEST_F(LanguageFileTest, CreateAndFreeTheGlobalInstance) {
    CreateLanguageFile();
    ASSERT_NE(LanguageFile, nullptr);
    EXPECT_EQ(LanguageFile->FileName(), SettingsPath());
    EXPECT_EQ(LanguageFile->GetTextRaw(101, ""), Cp("Привет"));
    FreeLanguageFile();
    EXPECT_EQ(LanguageFile, nullptr);
    FreeLanguageFile();  // when there is none
}

TEST_F(LanguageFileTest, LangTextTakesTheFileOrTheDefaultWithLineBreaks) {
    struct Case {
        bool file;
        int id;
        const char* defaultUtf8;
        std::string shown;
    };
    const Case cases[] = {
        {true, 100, "x", "a\r\nb\r\nc"},
        {true, 101, "", Cp("Привет")},
        {true, 999, "Раз|два", Cp("Раз\r\nдва")},
        {false, 101, "Раз|два", Cp("Раз\r\nдва")},
        {false, 999, "", ""},
    };
    std::unique_ptr<TLanguageFile> saved = std::move(LanguageFile);
    for (const Case& c : cases) {
        if (c.file)
            CreateLanguageFile();
        else
            FreeLanguageFile();
        EXPECT_EQ(LangText(TText{c.id, c.defaultUtf8}), c.shown)
            << c.id << (c.file ? " from the file" : " without a file");
    }
    LanguageFile = std::move(saved);
}

TEST_F(LanguageFileTest, NoLanguagesEndsTheProgramWithCode7) {
    for (const char* settings :
         {"[Languages]\nCount=0\n", "[Languages]\nCount=-1\n0=English\n", "", "[Languages]\nCount=x\n"}) {
        WriteFile(SettingsPath(), settings);
        ScopedFatalExitThrows hook;
        try {
            TLanguageFile file(SettingsPath());
            ADD_FAILURE() << "no exit for: " << settings;
        } catch (const FatalExitCalled& exit) {
            EXPECT_EQ(exit.code, 7) << settings;
        }
    }
    std::filesystem::remove(SettingsPath());
    EXPECT_EXIT(CreateLanguageFile(), ::testing::ExitedWithCode(7), "no languages");
}

}  // namespace
}  // namespace kordalt
