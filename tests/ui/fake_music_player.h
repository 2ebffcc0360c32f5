// A TMusicPlayer for tests: records what was opened and closed and lets the
// test finish the playing file.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/music.h"

namespace kordalt {

class FakeMusicPlayer final : public TMusicPlayer {
public:
    FakeMusicPlayer() : previous_(SetMusicPlayer(this)) {}
    ~FakeMusicPlayer() override { SetMusicPlayer(previous_); }

    int WaveDeviceCount() override { return waveDevices; }
    uint16_t Open(const std::string& fileName) override {
        const std::string name = std::filesystem::path(fileName).filename().string();
        opened.push_back(name);
        if (unplayable.count(name)) return 0;
        ++lastDevice_;
        return lastDevice_;
    }
    void Play(uint16_t device, std::function<void()> notify) override { playing[device] = std::move(notify); }
    void Close(uint16_t device) override {
        closed.push_back(device);
        playing.erase(device);
    }

    // The one playing file ends: its notice runs. False when nothing plays.
    bool FinishPlaying() {
        if (playing.size() != 1) return false;
        auto notice = playing.begin()->second;
        notice();
        return true;
    }

    int waveDevices = 1;
    std::set<std::string> unplayable;
    std::vector<std::string> opened;  // file names without folders, in order
    std::vector<uint16_t> closed;
    std::map<uint16_t, std::function<void()>> playing;

private:
    TMusicPlayer* previous_;
    uint16_t lastDevice_ = 0;
};

}  // namespace kordalt
