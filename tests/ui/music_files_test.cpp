// The shipped background music: every playlist entry of the settings file is a
// MIDI file that the synthesizer plays to its end, audibly, in a sensible time.
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace kordalt {
namespace {

constexpr int kSampleRate = 44100;
constexpr int kBlock = 1024;
constexpr double kMaxSeconds = 300;

struct Rendered {
    double seconds = 0;
    float peak = 0;
    bool finished = false;
};

// Plays `file` through a synthesizer without an audio output.
Rendered Render(const std::string& file) {
    std::unique_ptr<fluid_settings_t, decltype(&delete_fluid_settings)> settings(new_fluid_settings(),
                                                                                 delete_fluid_settings);
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
    fluid_settings_setnum(settings.get(), "synth.sample-rate", kSampleRate);
    std::unique_ptr<fluid_synth_t, decltype(&delete_fluid_synth)> synth(new_fluid_synth(settings.get()),
                                                                        delete_fluid_synth);
    Rendered r;
    if (fluid_synth_sfload(synth.get(), "/usr/share/sounds/sf2/TimGM6mb.sf2", 1) == FLUID_FAILED) {
        ADD_FAILURE() << "no soundfont";
        return r;
    }
    std::unique_ptr<fluid_player_t, decltype(&delete_fluid_player)> player(new_fluid_player(synth.get()),
                                                                           delete_fluid_player);
    if (fluid_player_add(player.get(), file.c_str()) != FLUID_OK ||
        fluid_player_play(player.get()) != FLUID_OK)
        return r;
    std::vector<float> left(kBlock), right(kBlock);
    while (r.seconds < kMaxSeconds) {
        fluid_synth_write_float(synth.get(), kBlock, left.data(), 0, 1, right.data(), 0, 1);
        for (int i = 0; i < kBlock; ++i) r.peak = std::max({r.peak, std::fabs(left[i]), std::fabs(right[i])});
        r.seconds += static_cast<double>(kBlock) / kSampleRate;
        if (fluid_player_get_status(player.get()) == FLUID_PLAYER_DONE) {
            r.finished = true;
            break;
        }
    }
    return r;
}

TEST(MusicFiles, EveryPlaylistEntryPlaysToItsEnd) {
    const std::string folder = std::string(KORDALT_BIN_DIR) + "/";
    const TIniFile ini(folder + "kordalt.INI");
    const int count = ini.ReadInteger("Music", "Count", -1);
    ASSERT_GE(count, 2);
    for (int i = 0; i < count; ++i) {
        const std::string file = folder + ini.ReadString("Music", std::to_string(i), "");
        SCOPED_TRACE(file);
        ASSERT_TRUE(fluid_is_midifile(file.c_str()));
        const Rendered r = Render(file);
        EXPECT_TRUE(r.finished);
        EXPECT_GT(r.seconds, 20);
        EXPECT_GT(r.peak, 0.01f) << "silent";
    }
}

}  // namespace
}  // namespace kordalt
