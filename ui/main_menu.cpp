#include "ui/main_menu.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTextEdit>
#include <array>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <utility>

#include "controls/classic.h"
#include "controls/scroll_text_panel.h"
#include "controls/speed_button.h"
#include "game/game_loop.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/player_actions.h"
#include "game/random.h"
#include "game/saved_game.h"
#include "game/self_test.h"
#include "game/turn_report.h"
#include "platform/format.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "ui/connect.h"
#include "ui/dop_info.h"
#include "ui/game_windows_impl.h"
#include "ui/graph.h"
#include "ui/help_window.h"
#include "ui/internet_games.h"
#include "ui/main_screen.h"
#include "ui/multi_player.h"
#include "ui/music.h"
#include "ui/picture_store.h"
#include "ui/preference.h"
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

constexpr int kFormWidth = 640;
constexpr int kFormHeight = 480;
constexpr int kMenuHelpTopic = 7;
constexpr int kAboutHelpTopic = 26;

constexpr int kColumnLeft = 24;
constexpr int kColumnTop = 64;
constexpr int kButtonWidth = 240;
constexpr int kButtonHeight = 38;
constexpr int kButtonStep = 42;
// Beneath the pictures, and in their place when there are none: dark, so the
// white captions stand out.
constexpr TColor kMenuColour = 0x302810;

// One button of the column: its text and glyph fragment.
struct MenuButton {
    TExSpeedButton* TMainForm::*button;
    const char* name;
    TText text;
    int glyph;
    void (TMainForm::*click)();
};

// Top to bottom.
const std::array<MenuButton, 9> kButtons = {{
    {&TMainForm::InternetGameButton, "ExSpeedButton2", kMenuInternetGame, 5, &TMainForm::InternetGameClick},
    {&TMainForm::NetworkGameButton, "ExSpeedButton6", kMenuNetworkGame, 6, &TMainForm::NetworkGameClick},
    {&TMainForm::NewGameButton, "SpeedButton1", kMenuNewGame, 7, &TMainForm::NewGameClick},
    {&TMainForm::LoadGameButton, "SpeedButton2", kMenuLoadGame, 8, &TMainForm::LoadGameClick},
    {&TMainForm::HallOfFameButton, "SpeedButton6", kMenuHallOfFame, 9, &TMainForm::HallOfFameClick},
    {&TMainForm::SettingsButton, "ExSpeedButton1", kMenuSettings, 10, &TMainForm::SettingsClick},
    {&TMainForm::HelpButton, "SpeedButton4", kMenuHelp, 11, &TMainForm::HelpClick},
    {&TMainForm::AboutButton, "SpeedButton5", kMenuAbout, 12, &TMainForm::AboutClick},
    {&TMainForm::ExitButton, "SpeedButton3", kMenuExit, 13, &TMainForm::ExitClick},
}};

// The background pictures of the language: number, position, transparent.
struct Background {
    int32_t picture;
    int x, y;
    bool transparent;
};
constexpr std::array<Background, 3> kBackgrounds = {
    {{0, 0, 0, false}, {2, 400, 10, true}, {3, 520, 90, true}}};

// The chat panes of the lobby, the main game screen and the waiting window.
void ClearChatPanes() {
    if (Connect) Connect->ChatPane->clear();
    if (Main) Main->Info.ChatRichEdit->clear();
    if (MultiPlayer) MultiPlayer->RichEditInWaitEOT->clear();
}

// Opens a session with `open` and, when one is open, shows the lobby in the
// menu's place. A cancel ends silently; other failures show text 3138.
template <class Open>
void RunSession(Open open) {
    try {
        ClearChatPanes();
        open(*Connect->Session);
        if (!Connect->Session->Opened()) return;
        MainForm->hide();
        AlignScreensKeep(MainForm);
        ShowLobby();
        AlignScreensKeep(Connect);
        MainForm->show();
    } catch (const EAbort&) {
    } catch (const std::exception&) {
        MainForm->show();
        ShowMessageBox(TMsgType::Error, Qs(LangText(kConnectionLost)));
    }
}

// The first provider whose name contains "tcp/ip" (any case); "" when there is
// none or the session service cannot be loaded.
std::string TcpIpProvider(TCustomPeerPlay& peer) {
    try {
        const TNamedGuids& providers = peer.Providers();
        for (int i = 0; i < providers.Count(); ++i)
            if (Qs(providers.Name(i)).toLower().contains(QStringLiteral("tcp/ip"))) return providers.Name(i);
    } catch (const std::exception&) {
    }
    return {};
}

// `picture` with the pixels of its lower-left colour left out.
QImage WithoutAutoTransparentColour(const QImage& picture) {
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

bool ScreenIsMenuSized() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->size() == QSize(kFormWidth, kFormHeight);
}

// A local game begins: no auto-pass, not on the Internet.
void BeginLocalGame() {
    MainState.AutoPass = false;
    PlayMode.IsInternetGame = false;
    PlayMode.GameMode = kLocalGame;
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent) {
    setObjectName("MainForm");
    setFixedSize(kFormWidth, kFormHeight);
    BuildControls();
    InstallHelpKey(this, kMenuHelpTopic);

    Randomize();
    CreateLanguageFile();
    Localize();
    PictureList = std::make_unique<TPictureFragmentList>(LanguageFile->FileName(), "Icons");
    LoadGlyphs();
    MusicList.clear();
    MusicOn = false;
    LoadMusicList();
    Messages.Clear();
}

TMainForm::~TMainForm() { StopMusic(); }

void TMainForm::BuildControls() {
    BackgroundImage = new QLabel(this);
    BackgroundImage->setObjectName("Image1");
    BackgroundImage->setGeometry(0, 0, kFormWidth, kFormHeight);

    int top = kColumnTop;
    for (const MenuButton& b : kButtons) {
        auto* button = new TExSpeedButton(this);
        button->setObjectName(b.name);
        button->setGeometry(kColumnLeft, top, kButtonWidth, kButtonHeight);
        button->SetFlat(true);
        button->SetTransparent(true);
        button->SetLayout(blGlyphRight);
        button->SetNumGlyphs(2);
        button->SetFontColor(clWhite);
        QFont font = button->font();
        font.setBold(true);
        button->setFont(font);
        connect(button, &TExSpeedButton::OnClick, this, [this, click = b.click] {
            try {
                (this->*click)();
            } catch (...) {
                HandleApplicationException(this, std::current_exception());
            }
        });
        this->*b.button = button;
        top += kButtonStep;
    }

    LabelGameVersion = new QLabel(this);
    LabelGameVersion->setObjectName("LabelGameVersion");
    QFont font(FontFamilyFor("Arial"));
    font.setBold(true);
    font.setItalic(true);
    LabelGameVersion->setFont(font);
    QPalette palette = LabelGameVersion->palette();
    palette.setColor(QPalette::WindowText, ToQColor(clFuchsia));
    LabelGameVersion->setPalette(palette);
    LabelGameVersion->setGeometry(8, kFormHeight - 28, 300, 20);
}

void TMainForm::Localize() {
    const bool frameless = ScreenIsMenuSized();
    if (windowFlags().testFlag(Qt::FramelessWindowHint) != frameless) {
        const bool shown = isVisible();
        setWindowFlag(Qt::FramelessWindowHint, frameless);  // hides the window
        if (shown) show();
    }
    QGuiApplication::setApplicationDisplayName(Qs(LangText(kAppTitle)));
    SetHelpFile(LanguageFile->GetHelpFileName());

    for (const MenuButton& b : kButtons) (this->*b.button)->SetCaption(Qs(LangText(b.text)));
    setWindowTitle(Qs(LangText(kMenuCaption)));
    LabelGameVersion->setText(Qs(FormatText(LangText(kMenuVersion), {FormatArg(std::string(kGameVersion))})));
    for (int i = 1; i <= 11; ++i) SetKordaltBaseName(i, LangText(kKordaltBaseNames[i - 1]));

    DrawBackground();
    ApplyLanguageFont(this);
}

void TMainForm::DrawBackground() {
    QImage canvas(kFormWidth, kFormHeight, QImage::Format_RGB32);
    canvas.fill(ToQColor(kMenuColour));
    QPainter painter(&canvas);
    for (const Background& b : kBackgrounds) {
        const QString file = QString::fromUtf8(LanguageFile->GetImageFileName(b.picture));
        if (file.isEmpty() || !QFileInfo::exists(file)) continue;
        const QImage picture(file);
        if (picture.isNull()) continue;
        painter.drawImage(b.x, b.y, b.transparent ? WithoutAutoTransparentColour(picture) : picture);
    }
    painter.end();
    BackgroundImage->setPixmap(QPixmap::fromImage(canvas));
}

void TMainForm::LoadGlyphs() {
    for (const MenuButton& b : kButtons) {
        QImage glyph;
        PictureList->LoadGlyph(glyph, b.glyph);
        (this->*b.button)->SetGlyph(glyph);
    }
}

void TMainForm::LoadMusicList() {
    MusicList.clear();
    MusicIndex = 0;
    MusicDevice = 0;
    const std::string directory = ProgramDirectory();
    const TIniFile ini(directory + DefaultIniFileName());
    MusicOn = ini.ReadBool("Preferences", "Music", true);
    const int32_t count = ini.ReadInteger("Music", "Count", -1);
    for (int32_t i = 0; i < count; ++i) {
        const std::string name = directory + Cp1251ToUtf8(ini.ReadString("Music", std::to_string(i), ""));
        std::error_code ec;
        if (std::filesystem::is_regular_file(name, ec)) MusicList.push_back(name);
    }
}

void TMainForm::PlayNextMusic() {
    TMusicPlayer& player = MusicPlayer();
    if (!MusicOn || MusicList.empty() || player.WaveDeviceCount() < 1) return;
    const std::string name = MusicList[static_cast<size_t>(MusicIndex)];
    if (++MusicIndex >= static_cast<int32_t>(MusicList.size())) MusicIndex = 0;
    const uint16_t device = player.Open(name);
    if (device == 0) return;
    MusicDevice = device;
    player.Play(device, [this] { MMMciNotify(); });
}

void TMainForm::StopMusic() {
    if (MusicDevice != 0) MusicPlayer().Close(MusicDevice);
    MusicDevice = 0;
}

void TMainForm::MMMciNotify() {
    StopMusic();
    PlayNextMusic();
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    HidePreviousScreen();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    MusicOn = false;
    StopMusic();
    Messages.Clear();
    event->accept();
    PictureList.reset();
    MusicList.clear();
    FreeLanguageFile();
    QCoreApplication::quit();  // the menu is the main window
}

void TMainForm::NewGameClick() {
    BeginLocalGame();
    AlignScreens(this);
    Start->ApplyDifficulty();
    if (Preference && Preference->CheckBoxScroll->isChecked()) Start->IntroScroll->SetActive(true);
    ExecModal(*Start);
    AlignScreens(Start);
    show();
}

void TMainForm::LoadGameClick() {
    BeginLocalGame();
    if (LoadGame()) {
        AlignScreens(this);
        hide();
        try {
            GameLoop();
        } catch (...) {
            // A game that failed must not leave the program without a window.
            AlignScreens(Main);
            show();
            throw;
        }
        AlignScreens(Main);
    }
    show();
}

void TMainForm::ExitClick() { close(); }

void TMainForm::HelpClick() { ShowHelpContents(); }

void TMainForm::AboutClick() { ShowHelpTopic(kAboutHelpTopic); }

void TMainForm::HallOfFameClick() {
    AlignScreens(this);
    TRecordTable::ShowModalTable();
    AlignScreens(RecordTable);
    show();
}

void TMainForm::NetworkGameClick() {
    AlignScreensKeep(this);
    MainState.AutoPass = false;
    PlayMode.IsInternetGame = false;
    SetDifficultyLevel(1);
    CreateNetworkWindows();
    RunSession([](TCustomPeerPlay& peer) { peer.Open(); });
}

void TMainForm::InternetGameClick() {
    AlignScreensKeep(this);
    MainState.AutoPass = false;
    PlayMode.IsInternetGame = true;
    CreateNetworkWindows();
    const std::string provider = TcpIpProvider(*Connect->Session);
    if (provider.empty()) {
        ShowMessageBox(TMsgType::Information, Qs(LangText(kNoTcpIp)));
        return;
    }
    RunInternetGame([provider](int result) {
        SetDifficultyLevel(1);
        const bool create = result == kInternetCreate;
        RunSession([&](TCustomPeerPlay& peer) {
            peer.TCPIPSetting.HostName = create ? std::string() : InternetChoice.HostAddress;
            peer.TCPIPSetting.Enabled = !create;
            peer.SetProviderName(provider);
            const ScopedBusyCursor busy;
            peer.OpenSession(create, InternetChoice.NetGameName, InternetChoice.NetPlayerName);
        });
    });
}

void TMainForm::SettingsClick() { TPreference::Execute(true); }

void CreateWindows() {
    MainForm = new TMainForm();
    Start = new TStart();
    SelectPlayer = new TSelectPlayer();
    SelectGos = new TSelectGos();
    Main = new TMain();
    SelectMan = new TSelectMan();
    Proc = new TProc();
    Graph = new TGraph();
    CreateNetworkWindows();  // Connect, MultiPlayer, DopInfo
    Preference = new TPreference();
    RecordTable = new TRecordTable();
    CreateInternetWindows();
    InstallGameWindows();
    InstallDefeatScreen();
}

bool CreateWindowsReporting() {
    try {
        CreateWindows();
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kordalt: %s\n", e.what());
        ShowMessageBox(TMsgType::Error, QString::fromUtf8(kCannotStart).arg(QString::fromUtf8(e.what())));
        return false;
    }
}

void FreeWindows() {
    SetGameWindows(nullptr);
    FreeInternetWindows();
    delete std::exchange(RecordTable, nullptr);
    delete std::exchange(Preference, nullptr);
    delete std::exchange(MultiPlayer, nullptr);
    delete std::exchange(Connect, nullptr);
    delete std::exchange(Graph, nullptr);
    delete std::exchange(Proc, nullptr);
    delete std::exchange(DopInfo, nullptr);
    delete std::exchange(SelectMan, nullptr);
    delete std::exchange(Main, nullptr);
    delete std::exchange(SelectGos, nullptr);
    delete std::exchange(SelectPlayer, nullptr);
    delete std::exchange(Start, nullptr);
    delete std::exchange(MainForm, nullptr);
}

}  // namespace kordalt
