// Scratch directories and whole-file helpers for tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/cp1251.h"

namespace kordalt::test {

// cp1251 text from a UTF-8 literal.
inline std::string Cp(std::string_view utf8) { return Utf8ToCp1251(utf8); }

// A fresh directory for the running test, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        name += "." + std::to_string(getpid());
        for (char& c : name)
            if (c == '/') c = '_';
        dir_ = std::filesystem::path(KORDALT_TEST_TMP) / name;
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The directory with a trailing '/'.
    std::string Dir() const { return dir_.string() + "/"; }
    std::string Path(std::string_view name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kordalt::test
