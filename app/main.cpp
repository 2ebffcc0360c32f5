// The game: creates every window, starts the music and runs until the main
// menu closes.
#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "controls/classic.h"
#include "game/random.h"
#include "game/ui_hooks.h"
#include "platform/program_path.h"
#include "session/lobby_launch.h"
#include "session/peer_play.h"
#include "ui/help_window.h"
#include "ui/main_menu.h"
#include "ui/music.h"
#include "ui/ui_support.h"
#include "ui/windows.h"
#include "ui/wizard/wizard.h"

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
    SetApplicationExceptionHandler(ShowApplicationError);
    QApplication::setApplicationDisplayName("Kordalt");
    if (!InstallQtTranslations())
        std::fprintf(stderr, "kordalt: Qt's Russian translation is not installed\n");
    SetHelpFile("");

    // Autosaves, the hall of fame and the chat log land beside the program.
    std::error_code ec;
    std::filesystem::current_path(ProgramDirectory(), ec);
    if (ec)
        std::fprintf(stderr, "kordalt: cannot change to %s: %s\n", ProgramDirectory().c_str(),
                     ec.message().c_str());

    const std::unique_ptr<TMusicPlayer> player = CreateFluidSynthPlayer();
    SetMusicPlayer(player.get());
    SetGameUi(&QtGameUi());
    // A lobby launch comes as command-line options; otherwise the wizard asks.
    SetLobbyLaunch(ParseLobbyLaunch(std::vector<std::string>(argv + 1, argv + argc)));
    SetPeerPlayWizard(ShowPeerPlayWizard);

    if (!CreateWindowsReporting()) return 1;
    MainForm->PlayNextMusic();
    MainForm->show();
    const int status = app.exec();

    FreeWindows();
    SetGameUi(nullptr);
    SetMusicPlayer(nullptr);
    SetApplicationExceptionHandler(nullptr);
    return status;
}
