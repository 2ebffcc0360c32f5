// The main menu: the program's main window, from which every game starts, and
// the player of the background music.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

class QLabel;

namespace kordalt {

class TExSpeedButton;

// The program's version, shown by the menu.
inline constexpr const char* kGameVersion = "4.5d";

class TMainForm : public QWidget {
    Q_OBJECT

public:
    // Runs the creation handler: language file, texts, glyphs, playlist.
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    void Localize();
    void LoadGlyphs();

    // Music.
    void LoadMusicList();
    void PlayNextMusic();
    void StopMusic();
    // The device's notice: the file finished or failed.
    void MMMciNotify();

    void NewGameClick();
    void LoadGameClick();
    void ExitClick();
    void HelpClick();
    void AboutClick();
    void HallOfFameClick();
    void NetworkGameClick();
    void InternetGameClick();
    void SettingsClick();

    std::vector<std::string> MusicList;  // full paths, in playing order
    int32_t MusicIndex = 0;
    uint16_t MusicDevice = 0;
    bool MusicOn = false;

    QLabel* BackgroundImage = nullptr;
    TExSpeedButton* InternetGameButton = nullptr;
    TExSpeedButton* NetworkGameButton = nullptr;
    TExSpeedButton* NewGameButton = nullptr;
    TExSpeedButton* LoadGameButton = nullptr;
    TExSpeedButton* HallOfFameButton = nullptr;
    TExSpeedButton* SettingsButton = nullptr;
    TExSpeedButton* HelpButton = nullptr;
    TExSpeedButton* AboutButton = nullptr;
    TExSpeedButton* ExitButton = nullptr;
    QLabel* LabelGameVersion = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void DrawBackground();
};

// Creates the program's windows in their fixed order, the main menu first.
void CreateWindows();
// CreateWindows; a failure (a missing picture bitmap, say) is written to
// standard error and shown in a message box, and the result is false.
bool CreateWindowsReporting();
// Frees the windows made by CreateWindows, the last made first.
void FreeWindows();

}  // namespace kordalt
