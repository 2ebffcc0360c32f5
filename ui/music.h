// The sequencer the main menu plays its playlist on: FluidSynth through the
// first audio output that opens, or a silent player when none is installed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace kordalt {

class TMusicPlayer {
public:
    virtual ~TMusicPlayer() = default;
    // Number of audio outputs; 0 when none could be opened.
    virtual int WaveDeviceCount() = 0;
    // Opens a MIDI file on a new device; the device's id, or 0 when the file
    // cannot be played.
    virtual uint16_t Open(const std::string& fileName) = 0;
    // Starts the device; `notify` runs once on the user-interface thread when
    // the file has finished or failed. A closed device notifies nobody.
    virtual void Play(uint16_t device, std::function<void()> notify) = 0;
    virtual void Close(uint16_t device) = 0;
};

// The installed player; without one, a player without audio outputs.
TMusicPlayer& MusicPlayer();
// Installs `player` (nullptr restores the silent one); returns the previous one.
TMusicPlayer* SetMusicPlayer(TMusicPlayer* player);

// Plays through FluidSynth with the installed General-MIDI soundfont. String
// `settings` of FluidSynth are set first; when they name "audio.driver", only
// that driver is tried.
std::unique_ptr<TMusicPlayer> CreateFluidSynthPlayer(const std::map<std::string, std::string>& settings = {});

}  // namespace kordalt
