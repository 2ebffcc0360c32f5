// The game: creates every window, starts the music and runs until the main
// menu closes.
#include <QApplication>
#include <exception>
#include <string>
#include <vector>

#include "app/program_run.h"
#include "controls/classic.h"
#include "game/random.h"

namespace {

// An exception that a handler let through is shown like any other, and the
// program goes on.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            kordalt::HandleApplicationException(receiver, std::current_exception());
            return false;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    using namespace kordalt;
    Randomize();
    TApplication app(argc, argv);
    const TProgramRun run(std::vector<std::string>(argv + 1, argv + argc));
    if (!run.Started()) return 1;
    return app.exec();
}
