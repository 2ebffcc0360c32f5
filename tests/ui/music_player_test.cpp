// The FluidSynth player, writing to a file instead of a sound card: files that
// are no MIDI do not open, a finished file notifies once, a closed one never.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <memory>
#include <string>

#include "support/test_files.h"
#include "ui/music.h"

namespace kordalt {
namespace {

// A MIDI file of one note of `ticks` (480 a quarter, 120 beats a minute).
std::string OneNote(int ticks) {
    std::string track = std::string("\x00\xC0\x00\x00\x90\x3C\x60", 7);
    track += static_cast<char>(0x80 | (ticks >> 7));
    track += static_cast<char>(ticks & 0x7F);
    track += std::string("\x80\x3C\x40\x00\xFF\x2F\x00", 7);
    std::string file = std::string("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0MTrk\x00\x00\x00", 21);
    file += static_cast<char>(track.size());
    return file + track;
}

class FluidSynthPlayerTest : public ::testing::Test {
protected:
    FluidSynthPlayerTest() {
        test::WriteFile(dir.Path("short.mid"), OneNote(96));   // a tenth of a second
        test::WriteFile(dir.Path("long.mid"), OneNote(9600));  // ten seconds
        test::WriteFile(dir.Path("text.mid"), "not a MIDI file");
    }

    test::ScratchDir dir;
    std::unique_ptr<TMusicPlayer> player = CreateFluidSynthPlayer(
        {{"audio.driver", "file"}, {"audio.file.type", "raw"}, {"audio.file.name", dir.Path("out.raw")}});
};

TEST_F(FluidSynthPlayerTest, OnlyMidiFilesOpen) {
    ASSERT_EQ(player->WaveDeviceCount(), 1);
    EXPECT_EQ(player->Open(dir.Path("text.mid")), 0);
    EXPECT_EQ(player->Open(dir.Path("missing.mid")), 0);
    const uint16_t a = player->Open(dir.Path("short.mid"));
    const uint16_t b = player->Open(dir.Path("short.mid"));
    EXPECT_NE(a, 0);
    EXPECT_NE(b, 0);
    EXPECT_NE(a, b);
    player->Close(a);
    player->Close(b);
}

TEST_F(FluidSynthPlayerTest, FinishedFileNotifiesOnceAndAClosedOneNever) {
    ASSERT_EQ(player->WaveDeviceCount(), 1);
    int finished = 0, closed = 0;
    const uint16_t playing = player->Open(dir.Path("short.mid"));
    const uint16_t stopped = player->Open(dir.Path("long.mid"));
    ASSERT_NE(playing, 0);
    ASSERT_NE(stopped, 0);
    player->Play(playing, [&] { ++finished; });
    player->Play(stopped, [&] { ++closed; });
    player->Close(stopped);
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished > 0; }, 20000));
    QTest::qWait(500);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(closed, 0);
    player->Close(playing);
}

TEST_F(FluidSynthPlayerTest, NoticeThatClosesTheOtherDeviceSilencesIt) {
    ASSERT_EQ(player->WaveDeviceCount(), 1);
    const uint16_t a = player->Open(dir.Path("short.mid"));
    const uint16_t b = player->Open(dir.Path("short.mid"));
    int notices = 0;
    player->Play(a, [&] { ++notices, player->Close(b); });
    player->Play(b, [&] { ++notices, player->Close(a); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return notices > 0; }, 20000));
    QTest::qWait(500);
    EXPECT_EQ(notices, 1);
    player->Close(a);
    player->Close(b);
}

TEST_F(FluidSynthPlayerTest, LooksForItsOutputOnAWorkerAndTellsWhenReady) {
    int ready = 0;
    player->WhenReady([&] { ++ready; });
    player->WhenReady([&] { ++ready; });
    EXPECT_EQ(ready, 0);
    EXPECT_EQ(player->WaveDeviceCount(), 0);  // still looking
    EXPECT_TRUE(QTest::qWaitFor([&] { return ready == 2; }, 20000));
    EXPECT_EQ(player->WaveDeviceCount(), 1);
    player->WhenReady([&] { ++ready; });
    EXPECT_EQ(ready, 3);
}

TEST_F(FluidSynthPlayerTest, APlayerFreedWhileLookingNeverTells) {
    int ready = 0;
    player->WhenReady([&] { ++ready; });
    player.reset();
    QTest::qWait(300);
    EXPECT_EQ(ready, 0);
}

// A machine whose sound card cannot be opened: one line on stderr, no music.
TEST(FluidSynthPlayerWithoutSound, SaysSoInOneLine) {
    const auto player = CreateFluidSynthPlayer({{"audio.driver", "alsa"}, {"audio.alsa.device", "hw:99"}});
    testing::internal::CaptureStderr();
    const int outputs = player->WaveDeviceCount();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(outputs, 0);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST(SilentPlayer, HasNoOutputAndOpensNothing) {
    EXPECT_EQ(MusicPlayer().WaveDeviceCount(), 0);
    EXPECT_EQ(MusicPlayer().Open(std::string(KORDALT_BIN_DIR) + "/march.mid"), 0);
}

}  // namespace
}  // namespace kordalt
