// A year of a 20-state, side-100 game in mid-game as the player waits for it:
// from the click on "Дальше" to the first picture of the next turn banner,
// through the program's real windows (run it under an X server, or with
// QT_QPA_PLATFORM=offscreen). The same year without windows is measured in the
// same run (BM_Year here: one human, nineteen computers), and BM_WindowYear
// reports both and their ratio.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "controls/speed_button.h"
#include "game/fake_game_windows.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/random.h"
#include "game/rules_data.h"
#include "game/saved_game.h"
#include "game/self_test.h"
#include "game/ui_hooks.h"
#include "platform/program_path.h"
#include "ui/main_menu.h"
#include "ui/main_screen.h"
#include "ui/select_man.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

constexpr int kMidGameYear = 50;
constexpr uint64_t kSeed = 41;

class TSilentUi final : public TGameUi {
public:
    void ShowMessage(const std::string&) override {}
    void StartProgress(TProgressBar, int) override {}
    void SetProgress(TProgressBar, int) override {}
};

// The program's windows over the program folder's settings and rules data;
// autosaves go to a scratch folder.
class Program {
public:
    Program() {
        QDir::setCurrent(QStringLiteral(KORDALT_BIN_DIR));
        SetGameUi(&QtGameUi());
        CreateWindows();
        std::filesystem::create_directories(scratch_);
        QDir::setCurrent(QString::fromStdString(scratch_.string()));
        MainForm->show();
    }
    ~Program() {
        FreeWindows();
        SetGameUi(nullptr);
        std::filesystem::remove_all(scratch_);
    }

private:
    ScopedProgramFileName program_{KORDALT_BIN_DIR "/kordalt"};
    std::filesystem::path scratch_ = std::filesystem::temp_directory_path() / "window_year_bench";
};

// One human (state chosen first) among 20 states; his turns pass, so the
// computer plays him, until the start of year 50: the file of that turn.
std::string MidGameImage() {
    PlayMode.GameMode = kLocalGame;
    TSilentUi ui;
    ScopedGameUi uiScope(ui);
    ScopedSeed seed(kSeed);
    std::string image;
    FakeGameWindows windows;
    windows.states = 20;
    windows.mapSize = 100;
    windows.humans = 1;
    windows.onMainScreen = [&] {
        if (Game.Year < kMidGameYear) return TTurnResult::Pass;
        image = SavedGameImage();
        return TTurnResult::Quit;
    };
    GenerateNewGame();
    HandOutStates();
    return image;
}

// Loads the mid-game file: the year-50 turn ends with "Дальше", the year-51
// turn quits.
void Restore(const std::string& image) {
    if (!LoadGameImage(image)) throw std::runtime_error("the mid-game file did not load");
    SeedRandom(kSeed);
}

// Seconds of the headless year.
double HeadlessYear(const std::string& image) {
    Restore(image);
    TSilentUi ui;
    ScopedGameUi uiScope(ui);
    FakeGameWindows windows;
    QElapsedTimer clock;
    windows.onMainScreen = [&] {
        if (Game.Year == kMidGameYear) {
            clock.start();
            return TTurnResult::Next;
        }
        return TTurnResult::Quit;
    };
    windows.onShowYear = [] {};
    GameLoop();
    return static_cast<double>(clock.nsecsElapsed()) * 1e-9;
}

// Plays the human on the real windows: the banner is confirmed, the year-50
// turn sows nothing and ends with "Дальше", the next turn quits. Measures from
// the click on "Дальше" to the first paint of the next banner.
class Player : public QObject {
public:
    Player() {
        SelectMan->installEventFilter(this);
        Main->installEventFilter(this);
    }
    ~Player() override {
        SelectMan->removeEventFilter(this);
        Main->removeEventFilter(this);
    }

    double Seconds() const { return static_cast<double>(year_) * 1e-9; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) painted_ = false;
        if (event->type() != QEvent::Paint || painted_) return false;
        painted_ = true;
        if (watched == SelectMan) {
            if (clock_.isValid() && year_ == 0) year_ = clock_.nsecsElapsed();
            QTimer::singleShot(0, SelectMan, [] { SelectMan->OkButton->Click(); });
        } else if (watched == Main) {
            QTimer::singleShot(0, Main, [this] { PlayTurn(); });
        }
        return false;
    }

private:
    void PlayTurn() {
        if (Game.Year != kMidGameYear) {
            Main->ExitButton->click();  // the question is answered yes
            return;
        }
        Main->Economy.Actions[epSow].TrackBar->setValue(0);
        Main->SowClick();
        clock_.start();
        Main->NextButton->click();
    }

    bool painted_ = false;
    QElapsedTimer clock_;
    qint64 year_ = 0;
};

// The real windows' year, one per iteration.
double WindowYear(const std::string& image) {
    Restore(image);
    Start->show();
    Player player;
    GameLoop();
    if (player.Seconds() == 0) throw std::runtime_error("the next banner never showed");
    return player.Seconds();
}

struct Fixture {
    Fixture() : image(MidGameImage()) {}
    Program program;
    ScopedMessageBoxHook boxes{[](TMsgType type, const QString&) {
        return type == TMsgType::Confirmation ? TMsgButton::Yes : TMsgButton::Ok;
    }};
    std::string image;
};

// Made on first use and freed by main before the application object.
std::optional<Fixture> fixture;

Fixture& Shared() {
    if (!fixture) fixture.emplace();
    return *fixture;
}

void BM_Year(benchmark::State& state) {
    const std::string& image = Shared().image;
    for (auto _ : state) state.SetIterationTime(HeadlessYear(image));
}
BENCHMARK(BM_Year)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_WindowYear(benchmark::State& state) {
    const std::string& image = Shared().image;
    double headless = 0, windowed = 0;
    for (auto _ : state) {
        const double year = WindowYear(image);
        windowed += year;
        state.SetIterationTime(year);
        state.PauseTiming();
        headless += HeadlessYear(image);
        state.ResumeTiming();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["headless_ms"] = headless / n * 1e3;
    state.counters["window_ms"] = windowed / n * 1e3;
    state.counters["ratio"] = windowed / headless;
}
BENCHMARK(BM_WindowYear)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kordalt

// The windows need the application object for their whole life, so it lives
// here rather than in a static that ends after Qt's own.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    kordalt::fixture.reset();
    return 0;
}
