// The program's start-up as the player waits for it: from starting the process
// to the first paint of the main menu, beside a bare Qt window of six buttons
// in the same run. Each start is a child process of this program (run it under
// an X server, or with QT_QPA_PLATFORM=offscreen); BM_StartUp reports both
// times and their ratio.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/program_run.h"
#include "game/random.h"
#include "platform/program_path.h"
#include "ui/main_menu.h"
#include "ui/windows.h"

extern char** environ;

namespace kordalt {
namespace {

constexpr const char* kChildOption = "--start-child=";
constexpr int kMenuButtons = 6;

int64_t MonotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

// Writes the clock at the window's first paint and ends the event loop.
class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            std::printf("%lld\n", static_cast<long long>(MonotonicNs()));
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
        return false;
    }

private:
    bool seen_ = false;
};

int RunProgram(int argc, char** argv) {
    Randomize();
    QApplication app(argc, argv);
    const ScopedProgramFileName program(KORDALT_BIN_DIR "/kordalt");
    FirstPaint paint;
    const TProgramRun run({});
    if (!run.Started()) return 1;
    MainForm->installEventFilter(&paint);
    return app.exec();
}

int RunBareWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstPaint paint;
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    for (int i = 1; i <= kMenuButtons; ++i) column->addWidget(new QPushButton(QString("Кнопка %1").arg(i)));
    window.installEventFilter(&paint);
    window.show();
    return app.exec();
}

// Milliseconds from spawning the child to its first paint; negative on failure.
double StartChild(const std::string& kind) {
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string self = "/proc/self/exe";
    std::string option = kChildOption + kind;
    char* argv[] = {const_cast<char*>("startup_bench"), option.data(), nullptr};
    pid_t child = 0;
    const int64_t start = MonotonicNs();
    const int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[64];
    ssize_t n;
    while (spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    if (spawned == 0) waitpid(child, &status, 0);
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty()) return -1;
    return static_cast<double>(std::stoll(text) - start) / 1e6;
}

void BM_StartUp(benchmark::State& state) {
    double program = 0, bare = 0;
    for (auto _ : state) {
        const double p = StartChild("program");
        const double b = StartChild("bare");
        if (p < 0 || b < 0) {
            state.SkipWithError("a start failed (is there an X server, or QT_QPA_PLATFORM=offscreen?)");
            return;
        }
        state.SetIterationTime(p / 1e3);
        program += p;
        bare += b;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["program_ms"] = program / n;
    state.counters["bare_ms"] = bare / n;
    state.counters["ratio"] = program / bare;
}
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kordalt

int main(int argc, char** argv) {
    if (argc == 2 && std::strncmp(argv[1], kordalt::kChildOption, std::strlen(kordalt::kChildOption)) == 0) {
        const std::string kind = argv[1] + std::strlen(kordalt::kChildOption);
        int childArgc = 1;
        return kind == "program" ? kordalt::RunProgram(childArgc, argv)
                                 : kordalt::RunBareWindow(childArgc, argv);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
