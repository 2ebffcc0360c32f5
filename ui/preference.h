// The settings dialog: the one owner of the [Preferences] settings, whose
// controls are the live settings other windows read, and the language switch.
#pragma once

#include <QDialog>
#include <string>

#include "multiplayer/web_protocol.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace kordalt {

class TExSpeedButton;
class TFilenameEdit;
class THintSwitch;

class TPreference : public QDialog {
    Q_OBJECT

public:
    // Reads the settings file (when it exists) into the controls and applies them.
    explicit TPreference(QWidget* parent = nullptr);
    ~TPreference() override;

    void Localize();
    void LoadGlyphs();
    // Writes every setting the dialog owns to the settings file.
    void SaveToFile();
    // Makes the program follow the controls: music, pictures, hints, server.
    void ApplyAll();
    void ApplyClick();
    void CloseClick();
    void LanguageChange();
    // The chat log's file name is edited only while the chat is saved.
    void SaveChatClick();

    // Runs `Preference` modally over the main menu: from the main menu (`fromMenu`)
    // the language list and the server edit are enabled, else disabled.
    static void Execute(bool fromMenu);
    // Enables the language list and server edit (`fromMenu`) or not; ExecModal
    // then centres the dialog over the window beneath.
    void Prepare(bool fromMenu);

    // The program's settings file.
    static std::string SettingsFileName();

    QCheckBox* CheckBoxMusic = nullptr;
    QCheckBox* CheckBoxNoBanner = nullptr;      // no turn banner for a single human
    QCheckBox* CheckBoxHidePictures = nullptr;  // hide decorative pictures
    QCheckBox* CheckBoxHints = nullptr;         // tool tips
    QCheckBox* CheckBoxScroll = nullptr;
    QCheckBox* CheckBoxAskSave = nullptr;      // when leaving a game
    QCheckBox* CheckBoxKordaltsDie = nullptr;  // Kordalts die after the battles
    QCheckBox* CheckBoxKeepPage = nullptr;     // remember the main screen's page
    QCheckBox* CheckBoxSaveChat = nullptr;
    QLabel* LanguageLabel = nullptr;
    QComboBox* LanguageList = nullptr;
    QLabel* ServerLabel = nullptr;
    QLineEdit* ServerEdit = nullptr;
    TFilenameEdit* ChatFileEdit = nullptr;
    TExSpeedButton* ApplyButton = nullptr;
    TExSpeedButton* CloseButton = nullptr;

private:
    void FormCreate();
    void FillLanguages();
    void ReadSettings();
    void ApplyPictures(bool visible);
    void ApplyHints(bool on);

    THintSwitch* hints_;
};

// The text routines of the program's windows, in their order, each ending with
// the language's font.
void LocalizeAllWindows();

}  // namespace kordalt
