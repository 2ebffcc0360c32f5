#include "app/program_run.h"

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "controls/classic.h"
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

namespace kordalt {

TProgramRun::TProgramRun(const std::vector<std::string>& arguments) : player_(CreateFluidSynthPlayer()) {
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

    SetMusicPlayer(player_.get());
    SetGameUi(&QtGameUi());
    // A lobby launch comes as command-line options; otherwise the wizard asks.
    SetLobbyLaunch(ParseLobbyLaunch(arguments));
    SetPeerPlayWizard(ShowPeerPlayWizard);

    started_ = CreateWindowsReporting();
    if (!started_) return;
    MainForm->show();
    player_->WhenReady([] {
        if (MainForm) MainForm->PlayNextMusic();
    });
}

TProgramRun::~TProgramRun() {
    FreeWindows();
    SetGameUi(nullptr);
    SetMusicPlayer(nullptr);
    SetApplicationExceptionHandler(nullptr);
}

}  // namespace kordalt
