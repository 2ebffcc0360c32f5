#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "support/processes_at_once.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

using namespace test;

struct ReadCase {
    const char* what;
    std::string file;  // bytes on disk
    std::string section, key;
    std::string expected;  // cp1251
};

TEST(IniFile, ReadsValuesAsThePlatformDoes) {
    const std::string cyrillic = "[Раздел]\nКлюч=Значение, с запятой\n";
    const std::vector<ReadCase> cases = {
        {"commas stay in the value", "[S]\nk=a, b,c\n", "S", "k", "a, b,c"},
        {"value after the first =", "[S]\nk=x=y\n", "S", "k", "x=y"},
        {"blanks trimmed", "[S]\n  k \t=   v w \t\n", "S", "k", "v w"},
        {"CR LF lines", "[S]\r\nk=v\r\n", "S", "k", "v"},
        {"no line end at the end", "[S]\nk=v", "S", "k", "v"},
        {"key with dots", "[S]\ndim.dat=rules.dat\n", "S", "DIM.DAT", "rules.dat"},
        {"case-insensitive names", "[SeCtIoN]\nKeY=v\n", "section", "KEY", "v"},
        {"first duplicate key wins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
        {"first duplicate section wins", "[S]\na=1\n[s]\nb=2\n", "S", "b", "missing"},
        {"double quotes stripped", "[S]\nk=\"  padded  \"\n", "S", "k", "  padded  "},
        {"single quotes stripped", "[S]\nk='x'\n", "S", "k", "x"},
        {"one pair only", "[S]\nk=\"\"x\"\"\n", "S", "k", "\"x\""},
        {"unmatched quotes kept", "[S]\nk=\"x'\n", "S", "k", "\"x'"},
        {"inner quote kept", "[S]\nk=say \"hi\"\n", "S", "k", "say \"hi\""},
        {"comment line", "[S]\n;k=v\n  ; j=w\n", "S", "k", "missing"},
        {"no inline comments", "[S]\nk=v ; note\n", "S", "k", "v ; note"},
        {"keys before any section belong to none", "k=v\n[S]\n", "S", "k", "missing"},
        {"line without = is no key", "[S]\nk\n", "S", "k", "missing"},
        {"empty value", "[S]\nk=\n", "S", "k", ""},
        {"section ends at the next header", "[A]\n[B]\nk=v\n", "A", "k", "missing"},
        {"Cyrillic, UTF-8", cyrillic, Cp("раздел"), Cp("КЛЮЧ"), Cp("Значение, с запятой")},
        {"Cyrillic, UTF-8 with BOM", "\xEF\xBB\xBF" + cyrillic, Cp("Раздел"), Cp("ключ"),
         Cp("Значение, с запятой")},
        {"Cyrillic, cp1251", Cp(cyrillic), Cp("РАЗДЕЛ"), Cp("Ключ"), Cp("Значение, с запятой")},
        {"Ё folds", Cp("[Ёлка]\nk=v\n"), Cp("ёлка"), "k", "v"},
    };
    ScratchDir dir;
    for (size_t i = 0; i < cases.size(); ++i) {
        const ReadCase& c = cases[i];
        const std::string path = dir.Path("case" + std::to_string(i) + ".ini");
        WriteFile(path, c.file);
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString(c.section, c.key, "missing"), c.expected) << c.what;
    }
}

TEST(IniFile, IntegersAndBooleans) {
    struct Case {
        const char* text;
        int32_t expected;  // with default 99
    };
    const Case cases[] = {
        {"12", 12},         {"-7", -7},
        {"+5", 5},          {"0x1F", 31},
        {"0X1f", 31},       {"$1F", 31},
        {"-$10", -16},      {"$FFFFFFFF", -1},
        {"$100000000", 99}, {"2147483647", 2147483647},
        {"2147483648", 99}, {"-2147483648", INT32_MIN},
        {"12abc", 99},      {"1.5", 99},
        {"", 99},           {"0x", 99},
        {"$", 99},          {"- 1", 99},
        {"\"42\"", 42},     {"  13  ", 13},
    };
    ScratchDir dir;
    std::string file = "[N]\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        file += "k" + std::to_string(i) + "=" + cases[i].text + "\n";
    file += "[B]\none=1\nzero=0\ntwo=2\nminus=-1\nword=true\n";
    WriteFile(dir.Path("n.ini"), file);
    TIniFile ini(dir.Path("n.ini"));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInteger("N", "k" + std::to_string(i), 99), cases[i].expected) << cases[i].text;
    EXPECT_EQ(ini.ReadInteger("N", "absent", -3), -3);
    EXPECT_TRUE(ini.ReadBool("B", "one", false));
    EXPECT_FALSE(ini.ReadBool("B", "zero", true));
    EXPECT_TRUE(ini.ReadBool("B", "two", false));
    EXPECT_TRUE(ini.ReadBool("B", "minus", false));
    EXPECT_FALSE(ini.ReadBool("B", "word", false));
    EXPECT_TRUE(ini.ReadBool("B", "word", true));
    EXPECT_TRUE(ini.ReadBool("B", "absent", true));
}

TEST(IniFile, SectionsKeysAndExistence) {
    ScratchDir dir;
    WriteFile(dir.Path("s.ini"), "; head\n[One]\nb=1\na=2\nB=3\n\n[Two]\n[one]\nc=4\n[Three]\nx=\n");
    TIniFile ini(dir.Path("s.ini"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(ini.ReadSection("ONE"), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(ini.ReadSection("Two").empty());
    EXPECT_TRUE(ini.ReadSection("Four").empty());
    EXPECT_TRUE(ini.SectionExists("two"));
    EXPECT_FALSE(ini.SectionExists("Four"));
    EXPECT_TRUE(ini.ValueExists("Three", "X"));  // empty value still exists
    EXPECT_FALSE(ini.ValueExists("One", "c"));   // in the second [one], which is hidden
}

TEST(IniFile, WritesKeepEveryOtherLine) {
    struct Case {
        const char* what;
        std::string before;
        std::string section, key, value;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"value replaced in place", "; c1\n[A]\n; c2\nkey = old \nz=1\n\n[B]\nk=v\n", "a", "KEY", "new",
         "; c1\n[A]\n; c2\nkey=new\nz=1\n\n[B]\nk=v\n"},
        {"missing key after the last key of its section", "[A]\nx=1\n\n; about B\n[B]\nk=v\n", "A", "y", "2",
         "[A]\nx=1\ny=2\n\n; about B\n[B]\nk=v\n"},
        {"missing key in a keyless section", "[A]\n\n[B]\n", "A", "y", "2", "[A]\ny=2\n\n[B]\n"},
        {"missing section at the end of the file", "[A]\nx=1\n; tail\n", "New", "k", "v",
         "[A]\nx=1\n; tail\n[New]\nk=v\n"},
        {"file without a final line end", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
        {"CR LF file stays CR LF", "[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        {"only the first duplicate changes", "[A]\nk=1\nk=2\n[a]\nk=3\n", "A", "k", "9",
         "[A]\nk=9\nk=2\n[a]\nk=3\n"},
        {"new file", "", "S", "k", "v", "[S]\nk=v\n"},
        {"line breaks in a value stay on one line", "[A]\n", "A", "k", "a\r\n[Languages]\nCount=0",
         "[A]\nk=a  [Languages] Count=0\n"},
    };
    ScratchDir dir;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const std::string path = dir.Path("w" + std::to_string(i) + ".ini");
        if (!c.before.empty()) WriteFile(path, c.before);
        TIniFile ini(path);
        ini.WriteString(c.section, c.key, c.value);
        EXPECT_EQ(ReadFile(path), c.after) << c.what;
    }
}

TEST(IniFile, WritesBackInTheEncodingItRead) {
    ScratchDir dir;
    const std::string utf8 = "; комментарий 中文\n[Раздел]\nимя=Иван\n";
    const std::string cp1251 = Cp("[Раздел]\nимя=Иван\n");
    WriteFile(dir.Path("utf8.ini"), utf8);
    WriteFile(dir.Path("bom.ini"), "\xEF\xBB\xBF" + utf8);
    WriteFile(dir.Path("cp1251.ini"), cp1251);

    TIniFile(dir.Path("utf8.ini")).WriteString(Cp("раздел"), Cp("имя"), Cp("Пётр"));
    // The comment, which has no cp1251 form, is kept byte for byte.
    EXPECT_EQ(ReadFile(dir.Path("utf8.ini")), "; комментарий 中文\n[Раздел]\nимя=Пётр\n");

    TIniFile(dir.Path("bom.ini")).WriteString(Cp("Новый"), "k", Cp("ё"));
    EXPECT_EQ(ReadFile(dir.Path("bom.ini")), "\xEF\xBB\xBF" + utf8 + "[Новый]\nk=ё\n");

    TIniFile(dir.Path("cp1251.ini")).WriteString(Cp("Раздел"), "k", Cp("Ёж"));
    EXPECT_EQ(ReadFile(dir.Path("cp1251.ini")), Cp("[Раздел]\nимя=Иван\nk=Ёж\n"));
}

TEST(IniFile, MissingKeysArriveAndThePlayersValuesStay) {
    ScratchDir dir;
    WriteFile(dir.Path("shipped.ini"),
              "[Languages]\nDefault=0\n[Русский]\n1000=Kordalt\n1001=Новый текст|\n"
              "[Preferences]\nMusic=1\nTimeStamp=yyyy\n[Icons]\nCount=2\n");
    WriteFile(dir.Path("player.ini"),
              "; his notes\n[languages]\ndefault=1\n[Русский]\n1000=Старое\n"
              "[Preferences]\nMusic=0\nPlayerName=Иван\n");
    TIniFile player(dir.Path("player.ini"));
    AddMissingKeys(TIniFile(dir.Path("shipped.ini")), player);
    EXPECT_EQ(ReadFile(dir.Path("player.ini")),
              "; his notes\n[languages]\ndefault=1\n[Русский]\n1000=Старое\n1001=Новый текст|\n"
              "[Preferences]\nMusic=0\nPlayerName=Иван\nTimeStamp=yyyy\n[Icons]\nCount=2\n");
}

TEST(IniFile, IntegersAndBooleansAreWrittenAsText) {
    ScratchDir dir;
    TIniFile ini(dir.Path("n.ini"));
    ini.WriteInteger("S", "n", -42);
    ini.WriteBool("S", "yes", true);
    ini.WriteBool("S", "no", false);
    EXPECT_EQ(ReadFile(dir.Path("n.ini")), "[S]\nn=-42\nyes=1\nno=0\n");
}

TEST(IniFile, EraseSectionAndDeleteKey) {
    ScratchDir dir;
    WriteFile(dir.Path("e.ini"), "[A]\nk=1\nj=2\nK=3\n; note\n[B]\nk=4\n[a]\nm=5\n[C]\n");
    TIniFile ini(dir.Path("e.ini"));
    ini.DeleteKey("a", "K");
    EXPECT_EQ(ReadFile(dir.Path("e.ini")), "[A]\nj=2\n; note\n[B]\nk=4\n[a]\nm=5\n[C]\n");
    ini.EraseSection("A");
    EXPECT_EQ(ReadFile(dir.Path("e.ini")), "[B]\nk=4\n[C]\n");
    EXPECT_FALSE(ini.SectionExists("a"));
    ini.DeleteKey("B", "absent");
    ini.EraseSection("absent");
    EXPECT_EQ(ReadFile(dir.Path("e.ini")), "[B]\nk=4\n[C]\n");
}

TEST(IniFile, EveryObjectSeesAWriteAtOnce) {
    ScratchDir dir;
    WriteFile(dir.Path("shared.ini"), "[Languages]\nDefault=0\n");
    std::filesystem::create_symlink(dir.Path("shared.ini"), dir.Path("link.ini"));
    TIniFile first(dir.Path("shared.ini"));
    ASSERT_EQ(first.ReadInteger("Languages", "Default", -1), 0);
    {
        TIniFile second(dir.Dir() + "./link.ini");
        second.WriteInteger("languages", "default", 1);
    }
    EXPECT_EQ(first.ReadInteger("Languages", "Default", -1), 1);
    EXPECT_EQ(ReadFile(dir.Path("shared.ini")), "[Languages]\nDefault=1\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.ini")));  // the link was written through
}

// Reads look at the disk at most once per check interval; writes always read the
// file again first, so nothing written meanwhile by another program is lost.
TEST(IniFile, ChangesMadeOutsideAreSeenAndKept) {
    struct Case {
        const char* what;
        bool waitTheInterval;
        bool writeAfterwards;
        std::string expectedFile;
    } cases[] = {
        {"read after the interval", true, false, "[S]\nk=changed by another program\n"},
        {"written at once", false, true, "[S]\nk=changed by another program\nmine=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        WriteFile(dir.Path("x.ini"), "[S]\nk=old\n");
        TIniFile ini(dir.Path("x.ini"));
        ASSERT_EQ(ini.ReadString("S", "k", ""), "old");
        WriteFile(dir.Path("x.ini.new"), "[S]\nk=changed by another program\n");
        std::filesystem::rename(dir.Path("x.ini.new"), dir.Path("x.ini"));
        if (c.waitTheInterval) std::this_thread::sleep_for(kIniChangeCheckInterval);
        if (c.writeAfterwards) ini.WriteInteger("S", "mine", 1);
        if (c.waitTheInterval) EXPECT_EQ(ini.ReadString("S", "k", ""), "changed by another program");
        EXPECT_EQ(ReadFile(dir.Path("x.ini")), c.expectedFile);
    }
}

TEST(IniFile, TwoProcessesWritingAtOnceLoseNothing) {
    ScratchDir dir;
    const std::string path = dir.Path("kordalt.INI");
    WriteFile(path, "[Languages]\nCount=1\n");
    constexpr int kKeys = 100;
    ASSERT_TRUE(RunInProcessesAtOnce(2, [&](int process) {
        TIniFile ini(path);
        for (int i = 0; i < kKeys; ++i) ini.WriteInteger("P" + std::to_string(process), std::to_string(i), i);
    }));
    TIniFile ini(path);
    for (int process = 0; process < 2; ++process) {
        EXPECT_EQ(ini.ReadSection("P" + std::to_string(process)).size(), size_t{kKeys}) << process;
    }
    EXPECT_EQ(ini.ReadInteger("Languages", "Count", 0), 1);
}

TEST(IniFile, AFailedWriteRaisesAndLeavesTheFile) {
    ScratchDir dir;
    TIniFile nowhere(dir.Path("no such dir/x.ini"));
    try {
        nowhere.WriteString("S", "k", "v");
        ADD_FAILURE() << "no error";
    } catch (const EIniFileError& e) {
        EXPECT_NE(std::string(e.what()).find("no such dir/x.ini"), std::string::npos) << e.what();
    }

    // A file-size limit makes the write of a long value fail half way.
    const std::string original = "; keep me\n[S]\nk=v\n";
    WriteFile(dir.Path("full.ini"), original);
    TIniFile ini(dir.Path("full.ini"));
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(ini.WriteString("S", "k", std::string(1000, 'x')), EIniFileError);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(ReadFile(dir.Path("full.ini")), original);
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()), {}), 1);  // no temporary left
}

TEST(IniFile, AFileThatCannotBeReadIsNeverOverwritten) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.Path("a directory.ini"));
    TIniFile ini(dir.Path("a directory.ini"));
    EXPECT_EQ(ini.ReadString("S", "k", "default"), "default");
    EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniFileError);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("a directory.ini")));
}

TEST(IniFile, IntegerParserTakesHexAsThirtyTwoBits) {
    int32_t v = 0;
    EXPECT_TRUE(ParseIniInteger("$80000000", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(ParseIniInteger("-0x1", v));
    EXPECT_EQ(v, -1);
    EXPECT_FALSE(ParseIniInteger("99999999999999999999", v));
}

}  // namespace
}  // namespace kordalt
