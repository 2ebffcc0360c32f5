// Replacing files: read-only targets and stale temporaries.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "support/test_files.h"

namespace kordalt {
namespace {

// A pid that no process has: a child that has ended and been reaped.
pid_t EndedPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST(AtomicFile, AReadOnlyFileIsRefusedAndKept) {
    test::ScratchDir dir;
    const std::string path = dir.Path("save.kordalt");
    test::WriteFile(path, "old");
    chmod(path.c_str(), 0444);
    EXPECT_EQ(WriteFileAtomically(path, "new"), EACCES);  // also for root
    EXPECT_EQ(test::ReadFile(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()), {}), 1);

    chmod(path.c_str(), 0640);
    EXPECT_EQ(WriteFileAtomically(path, "new"), 0);
    EXPECT_EQ(test::ReadFile(path), "new");
    struct stat st {};
    stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicFile, StaleTemporariesOfTheSameNameGoAtTheNextWrite) {
    test::ScratchDir dir;
    const std::string ended = std::to_string(EndedPid());
    const std::string running = std::to_string(getppid());
    const struct {
        std::string name;
        bool kept;
    } files[] = {
        {".save.kordalt.tmp" + ended + ".0", false},  {".save.kordalt.tmp" + ended + ".17", false},
        {".save.kordalt.tmp" + running + ".3", true},  // its writer still runs
        {".other.kordalt.tmp" + ended + ".0", true},   // another file's
        {".save.kordalt.tmp" + ended + ".x", true},    // not a temporary's name
        {"save.kordalt.tmp" + ended + ".0", true},
    };
    for (const auto& f : files) test::WriteFile(dir.Path(f.name), "half");
    ASSERT_EQ(WriteFileAtomically(dir.Path("save.kordalt"), "whole"), 0);
    for (const auto& f : files) EXPECT_EQ(std::filesystem::exists(dir.Path(f.name)), f.kept) << f.name;
    EXPECT_EQ(test::ReadFile(dir.Path("save.kordalt")), "whole");
}

}  // namespace
}  // namespace kordalt
