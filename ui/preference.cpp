#include "ui/preference.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>

#include "controls/edit_button.h"
#include "controls/speed_button.h"
#include "game/language_file.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "ui/connect.h"
#include "ui/dop_info.h"
#include "ui/graph.h"
#include "ui/help_window.h"
#include "ui/main_menu.h"
#include "ui/main_screen.h"
#include "ui/multi_player.h"
#include "ui/picture_store.h"
#include "ui/proc.h"
#include "ui/record_table.h"
#include "ui/screens.h"
#include "ui/select_gos.h"
#include "ui/select_man.h"
#include "ui/select_player.h"
#include "ui/start.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {

namespace {

constexpr char kSection[] = "Preferences";
constexpr char kDefaultChatFile[] = "kordaltchat.txt";

// The decorative pictures "HideGraphics" hides: window name, picture name.
constexpr const char* kPictures[][2] = {
    {"Main", "Image1"},    {"Main", "Image2"},  {"Main", "Image3"},
    {"Main", "Image4"},    {"Main", "Image5"},  {"Main", "Image7"},
    {"Connect", "Image2"}, {"Start", "Image3"}, {"SelectGos", "Image2"},
};

// The controls of the main game screen whose tool tips "ShowHint" switches.
constexpr const char* kHintControls[] = {
    "Panel14", "Panel15", "Panel16", "Panel17", "Panel18",      "Panel19",   "Panel20",
    "BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "SpeedButton4", "ShowGraph", "SpeedButton6",
};

// The window (a top-level widget) with object name `name`, or nullptr.
QWidget* WindowNamed(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String(name)) return window;
    return nullptr;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, int top) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(12, top, 391, 20);
    return box;
}

}  // namespace

// Swallows the tool-tip events of the controls it watches while it is off.
class THintSwitch : public QObject {
public:
    using QObject::QObject;
    bool On = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip && !On) return true;
        return QObject::eventFilter(watched, event);
    }
};

TPreference::TPreference(QWidget* parent) : QDialog(parent), hints_(new THintSwitch(this)) {
    setObjectName(QStringLiteral("Preference"));
    setFixedSize(415, 362);
    InstallHelpKey(this, 18);
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
    CheckBoxMusic = MakeCheckBox(this, "CheckBox4", 10);
    CheckBoxMusic->setChecked(true);
    CheckBoxNoBanner = MakeCheckBox(this, "CheckBox1", 32);
    CheckBoxHidePictures = MakeCheckBox(this, "CheckBox2", 54);
    CheckBoxHints = MakeCheckBox(this, "CheckBox3", 76);
    CheckBoxScroll = MakeCheckBox(this, "CheckBoxScroll", 98);
    CheckBoxAskSave = MakeCheckBox(this, "CheckBox5", 120);
    CheckBoxKordaltsDie = MakeCheckBox(this, "CheckBox6", 142);
    CheckBoxKeepPage = MakeCheckBox(this, "CheckBox8", 164);
    CheckBoxKeepPage->setChecked(true);
    CheckBoxSaveChat = MakeCheckBox(this, "CheckBox9", 186);
    connect(CheckBoxSaveChat, &QCheckBox::clicked, this, &TPreference::SaveChatClick);

    ChatFileEdit = new TFilenameEdit(this);
    ChatFileEdit->setObjectName(QStringLiteral("FilenameEdit1"));
    ChatFileEdit->setGeometry(30, 208, 373, 21);
    ChatFileEdit->setText(QString::fromLatin1(kDefaultChatFile));
    ChatFileEdit->SetFilter(QString::fromUtf8(kChatFileFilter));
    ChatFileEdit->SetFilterIndex(2);
    ChatFileEdit->setEnabled(false);

    ServerLabel = new QLabel(this);
    ServerLabel->setObjectName(QStringLiteral("Label2"));
    ServerLabel->setGeometry(12, 236, 391, 18);
    ServerEdit = new QLineEdit(this);
    ServerEdit->setObjectName(QStringLiteral("Edit3"));
    ServerEdit->setGeometry(12, 256, 391, 21);

    LanguageLabel = new QLabel(this);
    LanguageLabel->setObjectName(QStringLiteral("Label1"));
    LanguageLabel->setGeometry(12, 288, 80, 21);
    LanguageList = new QComboBox(this);
    LanguageList->setObjectName(QStringLiteral("ComboBox1"));
    LanguageList->setGeometry(96, 288, 200, 21);

    ApplyButton = new TExSpeedButton(this);
    ApplyButton->setObjectName(QStringLiteral("SpeedButton2"));
    ApplyButton->setGeometry(120, 318, 135, 36);
    ApplyButton->SetLayout(blGlyphLeft);
    connect(ApplyButton, &TExSpeedButton::OnClick, this, &TPreference::ApplyClick);
    CloseButton = new TExSpeedButton(this);
    CloseButton->setObjectName(QStringLiteral("SpeedButton1"));
    CloseButton->setGeometry(268, 318, 135, 36);
    CloseButton->SetLayout(blGlyphLeft);
    connect(CloseButton, &TExSpeedButton::OnClick, this, &TPreference::CloseClick);

    FormCreate();
    connect(LanguageList, &QComboBox::currentIndexChanged, this, &TPreference::LanguageChange);
}

TPreference::~TPreference() {
    if (Preference == this) Preference = nullptr;
}

std::string TPreference::SettingsFileName() { return ProgramDirectory() + DefaultIniFileName(); }

void TPreference::FormCreate() {
    Localize();
    LoadGlyphs();
    FillLanguages();
    if (std::filesystem::exists(SettingsFileName())) ReadSettings();
}

void TPreference::FillLanguages() {
    const QSignalBlocker blocker(LanguageList);
    LanguageList->clear();
    if (!LanguageFile) return;
    for (const std::string& title : LanguageFile->LanguageTitles) LanguageList->addItem(Qs(title));
    LanguageList->setCurrentIndex(LanguageFile->LanguageIndex);
}

void TPreference::ReadSettings() {
    const TIniFile ini(SettingsFileName());
    CheckBoxMusic->setChecked(ini.ReadBool(kSection, "Music", true));
    CheckBoxNoBanner->setChecked(ini.ReadBool(kSection, "SinglePlayer", false));
    CheckBoxHidePictures->setChecked(ini.ReadBool(kSection, "HideGraphics", false));
    CheckBoxHints->setChecked(ini.ReadBool(kSection, "ShowHint", false));
    CheckBoxScroll->setChecked(ini.ReadBool(kSection, "ShowScrollHelp", false));
    CheckBoxAskSave->setChecked(ini.ReadBool(kSection, "ConfirmSaveGame", false));
    CheckBoxKordaltsDie->setChecked(ini.ReadBool(kSection, "DeadAfterMove", false));
    InternetServer = ini.ReadString(kSection, "InternetServer", "");
    ServerEdit->setText(Qs(InternetServer));
    CheckBoxKeepPage->setChecked(ini.ReadBool(kSection, "RememberPage", true));
    MainState.RememberPage = CheckBoxKeepPage->isChecked();
    CheckBoxSaveChat->setChecked(ini.ReadBool(kSection, "SaveChat", false));
    const QString chatFile = Qs(ini.ReadString(kSection, "ChatFileName", kDefaultChatFile));
    ChatFileEdit->setText(QFileInfo(chatFile).absoluteFilePath());
    SaveChatClick();
    ApplyAll();
}

void TPreference::Localize() {
    setWindowTitle(Qs(LangText(kPreferenceCaption)));
    ApplyButton->SetCaption(Qs(LangText(kPreferenceApply)));
    CloseButton->SetCaption(Qs(LangText(kPreferenceClose)));
    CheckBoxMusic->setText(Qs(LangText(kPreferenceMusic)));
    CheckBoxNoBanner->setText(Qs(LangText(kPreferenceSinglePlayer)));
    CheckBoxHidePictures->setText(Qs(LangText(kPreferenceHideGraphics)));
    CheckBoxHints->setText(Qs(LangText(kPreferenceHints)));
    CheckBoxScroll->setText(Qs(LangText(kPreferenceScrolling)));
    LanguageLabel->setText(Qs(LangText(kPreferenceLanguage)));
    CheckBoxAskSave->setText(Qs(LangText(kPreferenceAskToSave)));
    CheckBoxKordaltsDie->setText(Qs(LangText(kPreferenceKordaltsDie)));
    ServerLabel->setText(Qs(LangText(kPreferenceServer)));
    CheckBoxKeepPage->setText(Qs(LangText(kPreferenceRememberPage)));
    CheckBoxSaveChat->setText(Qs(LangText(kPreferenceLogChat)));
    ChatFileEdit->SetDialogTitle(Qs(LangText(kPreferenceChatFileTitle)));
    ApplyLanguageFont(this);
}

void TPreference::LoadGlyphs() {
    if (!PictureList) return;
    QImage glyph;
    PictureList->LoadGlyph(glyph, 30);
    ApplyButton->SetGlyph(glyph);
    PictureList->LoadGlyph(glyph, 13);
    CloseButton->SetGlyph(glyph);
}

void TPreference::SaveToFile() {
    TIniFile ini(SettingsFileName());
    ini.WriteBool(kSection, "Music", CheckBoxMusic->isChecked());
    ini.WriteBool(kSection, "SinglePlayer", CheckBoxNoBanner->isChecked());
    ini.WriteBool(kSection, "HideGraphics", CheckBoxHidePictures->isChecked());
    ini.WriteBool(kSection, "ShowHint", CheckBoxHints->isChecked());
    ini.WriteBool(kSection, "ShowScrollHelp", CheckBoxScroll->isChecked());
    ini.WriteBool(kSection, "ConfirmSaveGame", CheckBoxAskSave->isChecked());
    ini.WriteBool(kSection, "DeadAfterMove", CheckBoxKordaltsDie->isChecked());
    ini.WriteString(kSection, "InternetServer", Cs(ServerEdit->text()));
    ini.WriteBool(kSection, "RememberPage", CheckBoxKeepPage->isChecked());
    ini.WriteBool(kSection, "SaveChat", CheckBoxSaveChat->isChecked());
    ini.WriteString(kSection, "ChatFileName", Cs(ChatFileEdit->text()));
}

void TPreference::ApplyAll() {
    if (MainForm && CheckBoxMusic->isChecked() != MainForm->MusicOn) {
        MainForm->MusicOn = CheckBoxMusic->isChecked();
        MainForm->StopMusic();
        MainForm->PlayNextMusic();
    }
    ApplyPictures(!CheckBoxHidePictures->isChecked());
    ApplyHints(CheckBoxHints->isChecked());
    InternetServer = Cs(ServerEdit->text());
    MainState.RememberPage = CheckBoxKeepPage->isChecked();
}

void TPreference::ApplyPictures(bool visible) {
    for (const auto& [window, picture] : kPictures)
        if (QWidget* form = WindowNamed(window))
            if (auto* image = form->findChild<QWidget*>(QString::fromLatin1(picture)))
                image->setVisible(visible);
}

void TPreference::ApplyHints(bool on) {
    hints_->On = on;
    QWidget* main = WindowNamed("Main");
    if (!main) return;
    for (const char* name : kHintControls)
        if (auto* control = main->findChild<QWidget*>(QString::fromLatin1(name))) {
            control->removeEventFilter(hints_);
            control->installEventFilter(hints_);
        }
}

void TPreference::ApplyClick() {
    SaveToFile();
    ApplyAll();
    done(1);
}

void TPreference::CloseClick() { done(2); }

void TPreference::SaveChatClick() { ChatFileEdit->setEnabled(CheckBoxSaveChat->isChecked()); }

void TPreference::LanguageChange() {
    if (!LanguageFile || LanguageList->currentIndex() < 0) return;
    LanguageFile->SetLanguage(LanguageList->currentIndex());
    LocalizeAllWindows();
}

void TPreference::Prepare(bool fromMenu) {
    LanguageList->setEnabled(fromMenu);
    ServerEdit->setEnabled(fromMenu);
}

void TPreference::Execute(bool fromMenu) {
    if (!Preference) return;
    Preference->Prepare(fromMenu);
    ExecModal(*Preference);
}

void LocalizeAllWindows() {
    if (MainForm) MainForm->Localize();
    if (Start) Start->Localize();
    if (SelectPlayer) SelectPlayer->Localize();
    if (SelectGos) SelectGos->Localize();
    if (Main) Main->Localize();
    if (SelectMan) SelectMan->Localize();
    if (Proc) Proc->Localize();
    if (Graph) Graph->Localize();
    if (Preference) Preference->Localize();
    if (RecordTable) RecordTable->Localize();
    if (MultiPlayer) MultiPlayer->Localize();
    if (Connect) Connect->Localize();
    if (DopInfo) DopInfo->Localize();
}

}  // namespace kordalt
