#include "platform/program_path.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace kordalt {
namespace {

std::mutex overrideMutex;
std::string& Override() {
    static std::string path;
    return path;
}

std::string ReadSelfExe() {
    std::string buf(256, '\0');
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) throw std::runtime_error(std::string("/proc/self/exe: ") + std::strerror(errno));
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::string_view WithoutDirectory(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ProgramFileName() {
    {
        std::lock_guard lock(overrideMutex);
        if (!Override().empty()) return Override();
    }
    static const std::string self = ReadSelfExe();
    return self;
}

std::string ProgramDirectory() {
    const std::string file = ProgramFileName();
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string("./") : file.substr(0, slash + 1);
}

void SetProgramFileName(std::string path) {
    std::lock_guard lock(overrideMutex);
    Override() = std::move(path);
}

std::string IniFileNameFor(std::string_view programFile) {
    const std::string_view name = WithoutDirectory(programFile);
    const size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot)) + ".INI";
}

std::string DefaultIniFileName() { return IniFileNameFor(ProgramFileName()); }

ScopedProgramFileName::ScopedProgramFileName(std::string path) {
    std::lock_guard lock(overrideMutex);
    previous_ = std::exchange(Override(), std::move(path));
}

ScopedProgramFileName::~ScopedProgramFileName() { SetProgramFileName(std::move(previous_)); }

}  // namespace kordalt
