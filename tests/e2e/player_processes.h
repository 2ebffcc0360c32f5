// Automatic players of a network game, each a process in its own folder:
// their year lines are read as they come, with the time each came.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kordalt::test {

using Clock = std::chrono::steady_clock;

// This process (which must have one thread) enters a user and network
// namespace of its own with only the loopback interface up: its players meet
// nobody else's and send no packet outside it. False when that fails.
bool EnterOwnNetwork();

struct YearLine {
    int year = 0;
    long long checksum = 0;
    Clock::time_point at;
};

class PlayerProcess {
public:
    // Starts kordalt_netplayer with `args` in `folder` (made when missing).
    PlayerProcess(std::string name, const std::string& folder, const std::vector<std::string>& args);
    ~PlayerProcess();  // kills the process when it still runs
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;

    const std::string& Name() const { return name_; }
    const std::vector<YearLine>& Years() const { return years_; }
    bool Running() const { return running_; }
    int ExitStatus() const { return status_; }  // -signal when killed
    std::string Errors() const;                 // its stderr
    int LastYear() const { return years_.empty() ? 0 : years_.back().year; }
    // The year it took the role of a server that died; 0 when it did not.
    int ServerInYear() const { return serverInYear_; }
    // The year and checksum of the game's end it saw; year 0 when none.
    const YearLine& GameEnd() const { return end_; }

    void Kill();
    // Stops (SIGSTOP) or resumes (SIGCONT) the process.
    void Freeze(bool stop);
    // Reads what the process wrote and notes whether it ended; fd for poll.
    void Read();
    int Fd() const { return fd_; }

private:
    void Reap(bool wait);

    std::string name_, folder_;
    int pid_ = -1, fd_ = -1;
    std::string partial_;
    std::vector<YearLine> years_;
    int serverInYear_ = 0;
    YearLine end_;
    bool running_ = true;
    int status_ = 0;
};

// Reads every player's output until `done` holds or `limit` passes; false then.
template <class Done>
bool ReadUntil(std::vector<std::unique_ptr<PlayerProcess>>& players, Done done,
               std::chrono::milliseconds limit);

// Each player's exit status, year lines and stderr, for a failure's message.
std::string Describe(const std::vector<std::unique_ptr<PlayerProcess>>& players);

bool PollPlayers(std::vector<std::unique_ptr<PlayerProcess>>& players, std::chrono::milliseconds slice);

template <class Done>
bool ReadUntil(std::vector<std::unique_ptr<PlayerProcess>>& players, Done done,
               std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= until) return false;
        PollPlayers(players, std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace kordalt::test
