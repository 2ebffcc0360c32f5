// The sequencer the main menu plays its playlist on: FluidSynth through the
// first audio output that opens, or a silent player when none is installed.
// FluidSynth finds its output and loads its soundfont on a worker thread, so
// the program does not wait for it at start-up.
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
    // Looks for the audio output, on a worker thread when that takes time;
    // `ready` runs on the user-interface thread once it is found or known to be
    // missing (at once when there is nothing to look for).
    virtual void WhenReady(std::function<void()> ready) { ready(); }
    // Number of audio outputs; 0 when none could be opened, or while the look
    // that WhenReady started runs.
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
