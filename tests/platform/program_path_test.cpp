#include "platform/program_path.h"

#include <gtest/gtest.h>

namespace kordalt {
namespace {

TEST(ProgramPath, IniFileNameReplacesTheLastExtension) {
    EXPECT_EQ(IniFileNameFor("C:/Games/kordalt.exe"), "kordalt.INI");
    EXPECT_EQ(IniFileNameFor("/opt/a.b.exe"), "a.b.INI");
    EXPECT_EQ(IniFileNameFor("/usr/games/kordalt"), "kordalt.INI");
    EXPECT_EQ(IniFileNameFor("/home/x.y/kordalt"), "kordalt.INI");  // a dot in the directory is no extension
}

TEST(ProgramPath, ComesFromTheRunningProgramUnlessSet) {
    EXPECT_EQ(DefaultIniFileName(), "platform_tests.INI");
    const std::string self = ProgramFileName();
    EXPECT_EQ(ProgramDirectory() + "platform_tests", self);
    {
        ScopedProgramFileName scoped("/srv/game/kordalt");
        EXPECT_EQ(ProgramDirectory(), "/srv/game/");
        EXPECT_EQ(DefaultIniFileName(), "kordalt.INI");
    }
    EXPECT_EQ(ProgramFileName(), self);
}

}  // namespace
}  // namespace kordalt
