#include "ui/music.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>
#include <utility>
#include <vector>

namespace kordalt {
namespace {

class SilentPlayer final : public TMusicPlayer {
public:
    int WaveDeviceCount() override { return 0; }
    uint16_t Open(const std::string&) override { return 0; }
    void Play(uint16_t, std::function<void()>) override {}
    void Close(uint16_t) override {}
};

SilentPlayer silentPlayer;
TMusicPlayer* installedPlayer = nullptr;

constexpr const char* kSoundFonts[] = {"/usr/share/sounds/sf2/default-GM.sf2",
                                       "/usr/share/sounds/sf2/TimGM6mb.sf2"};
// Tried after the settings' default driver.
constexpr const char* kAudioDrivers[] = {"pulseaudio", "alsa"};
constexpr int kPollMilliseconds = 200;

// ALSA reports every output it fails to open on stderr; a machine without
// sound is told once, in our own words.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

class FluidSynthPlayer final : public TMusicPlayer {
public:
    explicit FluidSynthPlayer(std::map<std::string, std::string> settings)
        : extraSettings_(std::move(settings)) {
        timer_.setInterval(kPollMilliseconds);
        QObject::connect(&timer_, &QTimer::timeout, [this] { NotifyFinished(); });
    }

    ~FluidSynthPlayer() override {
        if (prober_.joinable()) prober_.join();
        while (!devices_.empty()) Close(devices_.begin()->first);
        if (driver_) delete_fluid_audio_driver(driver_);
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
    }

    void WhenReady(std::function<void()> ready) override {
        if (probed_) {
            ready();
            return;
        }
        waiting_.push_back(std::move(ready));
        if (prober_.joinable()) return;
        prober_ = std::thread([this] {
            Probe();
            // Dropped with the timer when the player goes first.
            QMetaObject::invokeMethod(
                &timer_, [this] { EndProbe(); }, Qt::QueuedConnection);
        });
    }

    int WaveDeviceCount() override {
        if (prober_.joinable()) return 0;
        if (!probed_) {
            Probe();
            probed_ = true;
        }
        return driver_ ? 1 : 0;
    }

    uint16_t Open(const std::string& fileName) override {
        if (WaveDeviceCount() == 0 || !fluid_is_midifile(fileName.c_str())) return 0;
        fluid_player_t* player = new_fluid_player(synth_);
        if (!player) return 0;
        if (fluid_player_add(player, fileName.c_str()) != FLUID_OK) {
            delete_fluid_player(player);
            return 0;
        }
        do ++lastId_;
        while (lastId_ == 0 || devices_.count(lastId_));
        devices_[lastId_] = Device{player, {}, false};
        return lastId_;
    }

    void Play(uint16_t device, std::function<void()> notify) override {
        auto it = devices_.find(device);
        if (it == devices_.end()) return;
        it->second.notify = std::move(notify);
        it->second.failed = fluid_player_play(it->second.player) != FLUID_OK;
        timer_.start();
    }

    void Close(uint16_t device) override {
        auto it = devices_.find(device);
        if (it == devices_.end()) return;
        fluid_player_stop(it->second.player);
        fluid_player_join(it->second.player);
        delete_fluid_player(it->second.player);
        devices_.erase(it);
        fluid_synth_system_reset(synth_);
        if (devices_.empty()) timer_.stop();
    }

private:
    struct Device {
        fluid_player_t* player;
        std::function<void()> notify;
        bool failed = false;  // a start that failed notifies like a finished file
    };

    void Probe() {
        settings_ = new_fluid_settings();
        if (!settings_) return;
        for (const auto& [name, value] : extraSettings_)
            fluid_settings_setstr(settings_, name.c_str(), value.c_str());
        synth_ = new_fluid_synth(settings_);
        if (!synth_) return;
        if (!OpenAudioDriver()) {
            std::fputs("kordalt: no audio output opens, the music stays off\n", stderr);
            return;
        }
        if (!LoadSoundFont()) {
            std::fputs("kordalt: no General MIDI soundfont is installed, the music stays off\n", stderr);
            delete_fluid_audio_driver(driver_);
            driver_ = nullptr;
        }
    }

    void EndProbe() {
        prober_.join();
        probed_ = true;
        for (auto& ready : std::exchange(waiting_, {})) ready();
    }

    // The settings' driver, else the first of kAudioDrivers that opens.
    bool OpenAudioDriver() {
        fluid_log_function_t err = fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
        fluid_log_function_t warn = fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        snd_lib_error_set_handler(IgnoreAlsaError);
        char* preferred = nullptr;
        fluid_settings_dupstr(settings_, "audio.driver", &preferred);
        const std::string tried = preferred ? preferred : "";
        fluid_free(preferred);
        driver_ = new_fluid_audio_driver(settings_, synth_);
        for (const char* name : kAudioDrivers) {
            if (driver_ || extraSettings_.count("audio.driver")) break;
            if (name == tried || fluid_settings_setstr(settings_, "audio.driver", name) != FLUID_OK) continue;
            driver_ = new_fluid_audio_driver(settings_, synth_);
        }
        snd_lib_error_set_handler(nullptr);
        fluid_set_log_function(FLUID_ERR, err, nullptr);
        fluid_set_log_function(FLUID_WARN, warn, nullptr);
        return driver_ != nullptr;
    }

    bool LoadSoundFont() {
        for (const char* path : kSoundFonts) {
            std::error_code ec;
            if (std::filesystem::exists(path, ec) && fluid_synth_sfload(synth_, path, 1) != FLUID_FAILED)
                return true;
        }
        return false;
    }

    // Runs the notice of every device that has finished since the last look.
    // A notice may close other devices; theirs then stay silent.
    void NotifyFinished() {
        std::vector<uint16_t> finished;
        for (auto& [id, device] : devices_) {
            if (device.notify &&
                (device.failed || fluid_player_get_status(device.player) == FLUID_PLAYER_DONE))
                finished.push_back(id);
        }
        for (uint16_t id : finished) {
            auto it = devices_.find(id);
            if (it != devices_.end() && it->second.notify) std::exchange(it->second.notify, {})();
        }
    }

    std::map<std::string, std::string> extraSettings_;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_audio_driver_t* driver_ = nullptr;
    bool probed_ = false;
    std::thread prober_;  // runs Probe for WhenReady
    std::vector<std::function<void()>> waiting_;
    std::map<uint16_t, Device> devices_;
    uint16_t lastId_ = 0;
    QTimer timer_;
};

}  // namespace

TMusicPlayer& MusicPlayer() { return installedPlayer ? *installedPlayer : silentPlayer; }

TMusicPlayer* SetMusicPlayer(TMusicPlayer* player) { return std::exchange(installedPlayer, player); }

std::unique_ptr<TMusicPlayer> CreateFluidSynthPlayer(const std::map<std::string, std::string>& settings) {
    return std::make_unique<FluidSynthPlayer>(settings);
}

}  // namespace kordalt
