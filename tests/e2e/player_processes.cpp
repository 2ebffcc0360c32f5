#include "e2e/player_processes.h"

#include <fcntl.h>
#include <net/if.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kordalt::test {
namespace {

bool WriteFile(const char* path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    out.close();
    return out.good();
}

}  // namespace

bool EnterOwnNetwork() {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
    if (!WriteFile("/proc/self/setgroups", "deny") ||
        !WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
        return false;
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) return false;
    ifreq ifr{};
    std::snprintf(ifr.ifr_name, IFNAMSIZ, "lo");
    bool up = ioctl(s, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags |= IFF_UP;
    up = up && ioctl(s, SIOCSIFFLAGS, &ifr) == 0;
    close(s);
    return up;
}

PlayerProcess::PlayerProcess(std::string name, const std::string& folder,
                             const std::vector<std::string>& args)
    : name_(std::move(name)), folder_(folder) {
    std::filesystem::create_directories(folder_);
    const std::string program = KORDALT_BIN_DIR "/kordalt_netplayer";
    const std::string errors = folder_ + "/stderr.txt";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (chdir(folder_.c_str()) != 0 || err < 0 || dup2(out[1], 1) < 0 || dup2(err, 2) < 0) _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    if (pid_ < 0) {
        close(out[0]);
        throw std::runtime_error("fork");
    }
    fd_ = out[0];
    fcntl(fd_, F_SETFL, O_NONBLOCK);
}

PlayerProcess::~PlayerProcess() {
    if (running_) Kill();
    if (fd_ >= 0) close(fd_);
}

std::string PlayerProcess::Errors() const {
    std::ifstream in(folder_ + "/stderr.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void PlayerProcess::Kill() {
    if (!running_) return;
    kill(pid_, SIGKILL);
    Reap(true);
}

void PlayerProcess::Freeze(bool stop) {
    if (running_) kill(pid_, stop ? SIGSTOP : SIGCONT);
}

void PlayerProcess::Reap(bool wait) {
    int status = 0;
    if (waitpid(pid_, &status, wait ? 0 : WNOHANG) != pid_) return;
    running_ = false;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

void PlayerProcess::Read() {
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd_, buffer, sizeof buffer)) > 0) {
        partial_.append(buffer, static_cast<size_t>(n));
        size_t end;
        while ((end = partial_.find('\n')) != std::string::npos) {
            YearLine line;
            if (std::sscanf(partial_.c_str(), "year %d checksum %lld", &line.year, &line.checksum) == 2) {
                line.at = Clock::now();
                years_.push_back(line);
            }
            std::sscanf(partial_.c_str(), "server in year %d", &serverInYear_);
            std::sscanf(partial_.c_str(), "game over in year %d checksum %lld", &end_.year, &end_.checksum);
            partial_.erase(0, end + 1);
        }
    }
    if (n == 0 && running_)
        Reap(true);
    else if (running_)
        Reap(false);
}

std::string Describe(const std::vector<std::unique_ptr<PlayerProcess>>& players) {
    std::string text;
    for (auto& p : players) {
        text += "\n" + p->Name() + ": status " + std::to_string(p->ExitStatus()) + ", years";
        for (const YearLine& y : p->Years())
            text += " " + std::to_string(y.year) + ":" + std::to_string(y.checksum);
        text += "\n" + p->Errors();
    }
    return text;
}

bool PollPlayers(std::vector<std::unique_ptr<PlayerProcess>>& players, std::chrono::milliseconds slice) {
    std::vector<pollfd> fds;
    for (auto& p : players) fds.push_back({p->Running() ? p->Fd() : -1, POLLIN, 0});
    const int ready = poll(fds.data(), fds.size(), static_cast<int>(slice.count()));
    for (auto& p : players) p->Read();
    return ready > 0;
}

}  // namespace kordalt::test
