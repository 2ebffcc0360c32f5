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
    CheckBox4 = MakeCheckBox(this, "CheckBox4", 10);
    CheckBox4->setChecked(true);
    CheckBox1 = MakeCheckBox(this, "CheckBox1", 32);
    CheckBox2 = MakeCheckBox(this, "CheckBox2", 54);
    CheckBox3 = MakeCheckBox(this, "CheckBox3", 76);
    CheckBoxScroll = MakeCheckBox(this, "CheckBoxScroll", 98);
    CheckBox5 = MakeCheckBox(this, "CheckBox5", 120);
    CheckBox6 = MakeCheckBox(this, "CheckBox6", 142);
    CheckBox8 = MakeCheckBox(this, "CheckBox8", 164);
    CheckBox8->setChecked(true);
    CheckBox9 = MakeCheckBox(this, "CheckBox9", 186);
    connect(CheckBox9, &QCheckBox::clicked, this, &TPreference::SaveChatClick);

    FilenameEdit1 = new TFilenameEdit(this);
    FilenameEdit1->setObjectName(QStringLiteral("FilenameEdit1"));
    FilenameEdit1->setGeometry(30, 208, 373, 21);
    FilenameEdit1->setText(QString::fromLatin1(kDefaultChatFile));
    FilenameEdit1->SetFilter(QStringLiteral("Все файлы (*.*)|*.*|Обычный текст (*.txt)|*.txt"));
    FilenameEdit1->SetFilterIndex(2);
    FilenameEdit1->setEnabled(false);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(12, 236, 391, 18);
    Edit3 = new QLineEdit(this);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setGeometry(12, 256, 391, 21);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 288, 80, 21);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(96, 288, 200, 21);

    SpeedButton2 = new TExSpeedButton(this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setGeometry(120, 318, 135, 36);
    SpeedButton2->SetLayout(blGlyphLeft);
    connect(SpeedButton2, &TExSpeedButton::OnClick, this, &TPreference::ApplyClick);
    SpeedButton1 = new TExSpeedButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(268, 318, 135, 36);
    SpeedButton1->SetLayout(blGlyphLeft);
    connect(SpeedButton1, &TExSpeedButton::OnClick, this, &TPreference::CloseClick);

    FormCreate();
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TPreference::LanguageChange);
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
    const QSignalBlocker blocker(ComboBox1);
    ComboBox1->clear();
    if (!LanguageFile) return;
    for (const std::string& title : LanguageFile->LanguageTitles) ComboBox1->addItem(Qs(title));
    ComboBox1->setCurrentIndex(LanguageFile->LanguageIndex);
}

void TPreference::ReadSettings() {
    const TIniFile ini(SettingsFileName());
    CheckBox4->setChecked(ini.ReadBool(kSection, "Music", true));
    CheckBox1->setChecked(ini.ReadBool(kSection, "SinglePlayer", false));
    CheckBox2->setChecked(ini.ReadBool(kSection, "HideGraphics", false));
    CheckBox3->setChecked(ini.ReadBool(kSection, "ShowHint", false));
    CheckBoxScroll->setChecked(ini.ReadBool(kSection, "ShowScrollHelp", false));
    CheckBox5->setChecked(ini.ReadBool(kSection, "ConfirmSaveGame", false));
    CheckBox6->setChecked(ini.ReadBool(kSection, "DeadAfterMove", false));
    InternetServer = ini.ReadString(kSection, "InternetServer", "");
    Edit3->setText(Qs(InternetServer));
    CheckBox8->setChecked(ini.ReadBool(kSection, "RememberPage", true));
    MainState.RememberPage = CheckBox8->isChecked();
    CheckBox9->setChecked(ini.ReadBool(kSection, "SaveChat", false));
    const QString chatFile = Qs(ini.ReadString(kSection, "ChatFileName", kDefaultChatFile));
    FilenameEdit1->setText(QFileInfo(chatFile).absoluteFilePath());
    SaveChatClick();
    ApplyAll();
}

void TPreference::Localize() {
    setWindowTitle(Qs(LangText(kPreferenceCaption)));
    SpeedButton2->SetCaption(Qs(LangText(kPreferenceApply)));
    SpeedButton1->SetCaption(Qs(LangText(kPreferenceClose)));
    CheckBox4->setText(Qs(LangText(kPreferenceMusic)));
    CheckBox1->setText(Qs(LangText(kPreferenceSinglePlayer)));
    CheckBox2->setText(Qs(LangText(kPreferenceHideGraphics)));
    CheckBox3->setText(Qs(LangText(kPreferenceHints)));
    CheckBoxScroll->setText(Qs(LangText(kPreferenceScrolling)));
    Label1->setText(Qs(LangText(kPreferenceLanguage)));
    CheckBox5->setText(Qs(LangText(kPreferenceAskToSave)));
    CheckBox6->setText(Qs(LangText(kPreferenceKordaltsDie)));
    Label2->setText(Qs(LangText(kPreferenceServer)));
    CheckBox8->setText(Qs(LangText(kPreferenceRememberPage)));
    CheckBox9->setText(Qs(LangText(kPreferenceLogChat)));
    FilenameEdit1->SetDialogTitle(Qs(LangText(kPreferenceChatFileTitle)));
    ApplyLanguageFont(this);
}

void TPreference::LoadGlyphs() {
    if (!PictureList) return;
    QImage glyph;
    PictureList->LoadGlyph(glyph, 30);
    SpeedButton2->SetGlyph(glyph);
    PictureList->LoadGlyph(glyph, 13);
    SpeedButton1->SetGlyph(glyph);
}

void TPreference::SaveToFile() {
    TIniFile ini(SettingsFileName());
    ini.WriteBool(kSection, "Music", CheckBox4->isChecked());
    ini.WriteBool(kSection, "SinglePlayer", CheckBox1->isChecked());
    ini.WriteBool(kSection, "HideGraphics", CheckBox2->isChecked());
    ini.WriteBool(kSection, "ShowHint", CheckBox3->isChecked());
    ini.WriteBool(kSection, "ShowScrollHelp", CheckBoxScroll->isChecked());
    ini.WriteBool(kSection, "ConfirmSaveGame", CheckBox5->isChecked());
    ini.WriteBool(kSection, "DeadAfterMove", CheckBox6->isChecked());
    ini.WriteString(kSection, "InternetServer", Cs(Edit3->text()));
    ini.WriteBool(kSection, "RememberPage", CheckBox8->isChecked());
    ini.WriteBool(kSection, "SaveChat", CheckBox9->isChecked());
    ini.WriteString(kSection, "ChatFileName", Cs(FilenameEdit1->text()));
}

void TPreference::ApplyAll() {
    if (MainForm && CheckBox4->isChecked() != MainForm->MusicOn) {
        MainForm->MusicOn = CheckBox4->isChecked();
        MainForm->StopMusic();
        MainForm->PlayNextMusic();
    }
    ApplyPictures(!CheckBox2->isChecked());
    ApplyHints(CheckBox3->isChecked());
    InternetServer = Cs(Edit3->text());
    MainState.RememberPage = CheckBox8->isChecked();
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

void TPreference::SaveChatClick() { FilenameEdit1->setEnabled(CheckBox9->isChecked()); }

void TPreference::LanguageChange() {
    if (!LanguageFile || ComboBox1->currentIndex() < 0) return;
    LanguageFile->SetLanguage(ComboBox1->currentIndex());
    LocalizeAllWindows();
}

void TPreference::Prepare(bool fromMenu, const QWidget* over) {
    ComboBox1->setEnabled(fromMenu);
    Edit3->setEnabled(fromMenu);
    if (over) move(over->geometry().center() - rect().center());
}

void TPreference::Execute(bool fromMenu) {
    if (!Preference) return;
    Preference->Prepare(fromMenu, MainForm);
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
