#include "ui/start.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <exception>
#include <vector>

#include "controls/classic.h"
#include "controls/ex_label.h"
#include "controls/scroll_text_panel.h"
#include "controls/slider.h"
#include "controls/speed_button.h"
#include "controls/spin_edit.h"
#include "game/game_state.h"
#include "game/language_file.h"
#include "game/new_game.h"
#include "game/player_actions.h"
#include "game/rules_data.h"
#include "platform/program_path.h"
#include "ui/help_window.h"
#include "ui/map_drawing.h"
#include "ui/picture_store.h"
#include "ui/screens.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {

std::array<QString, 3> DifficultyTexts{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};

namespace {

constexpr int kWidth = TScreenDialog::kWidth, kHeight = TScreenDialog::kHeight;
constexpr int kPreviewSide = 300;
constexpr int kMinStates = 2, kMaxStates = 20;
constexpr int kMinSide = 50, kMaxSide = 100, kSideStep = 5;
constexpr unsigned kIntroInterval = 70;
constexpr int kExpert = 2;
constexpr int kHelpTopic = 8;
constexpr qint64 kProgressFrameMs = 40;  // 25 frames a second

// A label's text: line breaks of every kind shown as such.
QString LabelText(TText text) { return NormalizeLineBreaks(Qs(LangText(text))); }

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

TExSlider* MakeSlider(QWidget* parent, const char* name, QRect geometry, int minValue, int maxValue,
                      int step) {
    auto* slider = new TExSlider(parent);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setGeometry(geometry);
    slider->SetMinValue(minValue);
    slider->SetMaxValue(maxValue);
    slider->SetIncrement(step);
    slider->SetValue(maxValue);
    return slider;
}

QProgressBar* MakeProgressBar(QWidget* parent, const char* name, QRect geometry) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setGeometry(geometry);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

// The language picture `key`, null when it is not configured or cannot be read.
QImage LanguagePicture(int32_t n) {
    if (!LanguageFile) return {};
    const std::string file = LanguageFile->GetImageFileName(n);
    return file.empty() ? QImage() : QImage(Qs(file));
}

}  // namespace

TScreenDialog::TScreenDialog(const char* name, QWidget* parent) : QDialog(parent) {
    setObjectName(QString::fromLatin1(name));
    setFixedSize(kWidth, kHeight);
}

void TScreenDialog::DropBorderOnSmallScreen() {
    if (QGuiApplication::primaryScreen()->size() == QSize(kWidth, kHeight))
        setWindowFlag(Qt::FramelessWindowHint, true);
}

void TScreenDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

TExSpeedButton* MakeGameButton(QWidget* parent, const char* name, QRect geometry) {
    auto* button = new TExSpeedButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->SetFlat(true);
    button->SetTransparent(true);
    button->SetLayout(blGlyphRight);
    button->SetWordWrap(true);
    button->SetFontColor(clWhite);
    return button;
}

TExLabel* MakeShadowLabel(QWidget* parent, const char* name, QRect geometry, int pointSize, TColor colour) {
    auto* label = new TExLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->SetAutoSize(false);
    label->setGeometry(geometry);
    label->SetAlignment(taCenter);
    label->SetTransparent(true);
    label->SetWordWrap(true);
    label->SetShadowColor(clBlack);
    label->SetFontColor(colour);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(true);
    label->setFont(font);
    return label;
}

QWidget* MakeButtonPanel(QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("ButtonPanel"));
    panel->setGeometry(kButtonPanelRect);
    panel->setAutoFillBackground(true);
    SetPaletteColor(*panel, QPalette::Window, kButtonPanelColour);
    return panel;
}

void LoadButtonGlyph(TExSpeedButton& button, int fragment) {
    if (!PictureList) return;
    QImage glyph;
    PictureList->LoadGlyph(glyph, fragment);
    button.SetGlyph(glyph);
    button.SetNumGlyphs(2);
}

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::paintEvent(QPaintEvent*) {
    if (Picture.isNull()) return;
    QPainter painter(this);
    if (Stretch)
        painter.drawImage(rect(), Picture);
    else
        painter.drawImage(0, 0, Picture);
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    emit OnMouseUp(event->button(), event->position().toPoint().x(), event->position().toPoint().y());
}

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), buttons_(new QButtonGroup(this)) {
    new QVBoxLayout(this);
    connect(buttons_, &QButtonGroup::idClicked, this, [this](int) { emit OnClick(); });
}

void TRadioGroup::SetItems(const QStringList& items) {
    const int index = ItemIndex();
    for (QAbstractButton* button : buttons_->buttons()) delete button;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(QStringLiteral("Item%1").arg(i));
        buttons_->addButton(button, i);
        layout()->addWidget(button);
    }
    SetItemIndex(index);
}

int TRadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = buttons_->checkedButton()) {
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
    }
}

int TRadioGroup::ItemCount() const { return static_cast<int>(buttons_->buttons().size()); }

TStart::TStart(QWidget* parent) : TScreenDialog("Start", parent) {
    BuildProgressPage();
    BuildSetupPage();
    ConnectEvents();
    Localize();
    RadioGroupDiffLevel->SetItemIndex(0);
    LoadGlyphs();
    InstallProgress();
    StatesSlider->SetValue(kMaxStates);
    StatesMin->setText(QString::number(kMinStates));
    StatesMax->setText(QString::number(kMaxStates));
    StatesValue->setText(QString::number(kMaxStates));
    MapSizeSlider->SetValue(kMaxSide);
    MapSizeMin->setText(QString::number(kMinSide));
    MapSizeMax->setText(QString::number(kMaxSide));
    MapSizeValue->setText(QString::number(kMaxSide));
    InstallHelpKey(this, kHelpTopic);
    SetActivationHandler(this, [this] { FormActivate(); });
}

TStart::~TStart() {
    QtGameUi().OnStartProgress = nullptr;
    QtGameUi().OnSetProgress = nullptr;
}

void TStart::BuildSetupPage() {
    SetupPage = new QWidget(this);
    SetupPage->setObjectName(QStringLiteral("Panel4"));
    SetupPage->setGeometry(0, 0, kWidth, kHeight);
    // The page covers the progress page also when its picture is hidden.
    SetupPage->setAutoFillBackground(true);
    SetPaletteColor(*SetupPage, QPalette::Window, kPaperColour);
    SetupBackground = new TImage(SetupPage);
    SetupBackground->setObjectName(QStringLiteral("Image3"));
    SetupBackground->setGeometry(0, 0, kWidth, kHeight);
    // Over the picture, which other windows show without the panel.
    MakeButtonPanel(SetupPage);

    LabelDiffLevel = MakeLabel(SetupPage, "LabelDiffLevel", {10, 10, 300, 20});
    LabelDiffLevel->setAlignment(Qt::AlignCenter);
    LabelDiffLevel->setAutoFillBackground(true);
    SetPaletteColor(*LabelDiffLevel, QPalette::Window, clNavy);
    SetPaletteColor(*LabelDiffLevel, QPalette::WindowText, clWhite);
    RadioGroupDiffLevel = new TRadioGroup(SetupPage);
    RadioGroupDiffLevel->setObjectName(QStringLiteral("RadioGroupDiffLevel"));
    RadioGroupDiffLevel->setGeometry(10, 30, 300, 80);
    DifficultyAbout = MakeLabel(SetupPage, "Label16", {10, 112, 300, 60});
    DifficultyAbout->setWordWrap(true);
    DifficultyAbout->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    StatesLabel = MakeLabel(SetupPage, "Label1", {10, 172, 250, 16});
    StatesSlider = MakeSlider(SetupPage, "ExSlider1", {10, 188, 250, 30}, kMinStates, kMaxStates, 1);
    StatesMin = MakeLabel(SetupPage, "Label2", {10, 218, 40, 14});
    StatesMax = MakeLabel(SetupPage, "Label3", {220, 218, 40, 14});
    StatesMax->setAlignment(Qt::AlignRight);
    StatesValue = MakeLabel(SetupPage, "Label4", {268, 194, 40, 18});

    MapSizeLabel = MakeLabel(SetupPage, "Label5", {10, 236, 250, 16});
    MapSizeSlider = MakeSlider(SetupPage, "ExSlider2", {10, 252, 250, 30}, kMinSide, kMaxSide, kSideStep);
    MapSizeMin = MakeLabel(SetupPage, "Label6", {10, 282, 40, 14});
    MapSizeMax = MakeLabel(SetupPage, "Label7", {220, 282, 40, 14});
    MapSizeMax->setAlignment(Qt::AlignRight);
    MapSizeValue = MakeLabel(SetupPage, "Label8", {268, 258, 40, 18});

    HumansLabel = MakeLabel(SetupPage, "Label9", {10, 300, 160, 32});
    HumansEdit = new TExSpinEdit(SetupPage);
    HumansEdit->setObjectName(QStringLiteral("ExSpinEdit1"));
    HumansEdit->setGeometry(180, 304, 60, 22);
    HumansEdit->SetEditorEnabled(false);
    HumansEdit->SetMinValue(1);
    // The states count bounds the human count from the start.
    HumansEdit->SetMaxValue(kMaxStates);
    HumansEdit->SetValue(1);
    DifficultyLabel = MakeLabel(SetupPage, "Label14", {10, 336, 160, 16});
    DifficultyPercent = MakeLabel(SetupPage, "Label15", {180, 336, 80, 16});
    DifficultyPercent->setText(QString::number(kMaxStates * 5) + QStringLiteral(" %"));

    IntroScroll = new TScrollTextPanel(SetupPage);
    IntroScroll->setObjectName(QStringLiteral("ScrollTextPanel1"));
    IntroScroll->setGeometry(10, 358, 300, 112);
    IntroScroll->SetCycled(true);
    IntroScroll->SetInterval(kIntroInterval);
    IntroScroll->SetAlignment(taCenter);

    MapStatus = MakeLabel(SetupPage, "Label12", {325, 12, kPreviewSide, 322});
    MapStatus->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    PreviewFrame = new QFrame(SetupPage);
    PreviewFrame->setObjectName(QStringLiteral("Shape1"));
    PreviewFrame->setGeometry(323, 8, kPreviewSide + 4, kPreviewSide + 4);
    PreviewFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    PreviewFrame->setLineWidth(2);
    Preview = new TImage(SetupPage);
    Preview->setObjectName(QStringLiteral("Image1"));
    Preview->setGeometry(325, 10, kPreviewSide, kPreviewSide);
    Preview->Picture = QImage(kPreviewSide, kPreviewSide, QImage::Format_RGB32);
    Preview->Picture.fill(Qt::white);
    Preview->hide();

    GenerateMapButton = MakeGameButton(SetupPage, "ExSpeedButton1", {325, 340, 148, 62});
    ChooseTerritoryButton = MakeGameButton(SetupPage, "ExSpeedButton2", {477, 340, 148, 62});
    ChooseTerritoryButton->hide();
    ExitButton = MakeGameButton(SetupPage, "SpeedButton3", {325, 406, 148, 62});
    HelpButton = MakeGameButton(SetupPage, "SpeedButton4", {477, 406, 148, 62});
}

void TStart::BuildProgressPage() {
    ProgressPage = new QWidget(this);
    ProgressPage->setObjectName(QStringLiteral("Panel5"));
    ProgressPage->setGeometry(0, 0, kWidth, kHeight);
    ProgressPage->setAutoFillBackground(true);
    ProgressBackground = new TImage(ProgressPage);
    ProgressBackground->setObjectName(QStringLiteral("Image2"));
    ProgressBackground->setGeometry(0, 0, kWidth, kHeight);
    ProgressBackground->Stretch = true;
    PleaseWait = MakeShadowLabel(ProgressPage, "ExLabel1", {0, 130, kWidth, 40}, 16, clBlack);
    PleaseWait->SetShadowColor(clBtnHighlight);
    ComputersMoveLabel = MakeLabel(ProgressPage, "Label11", {120, 200, 400, 16});
    ComputersMoveBar = MakeProgressBar(ProgressPage, "ProgressBar2", {120, 218, 400, 18});
    BattlesLabel = MakeLabel(ProgressPage, "Label10", {120, 256, 400, 16});
    BattlesBar = MakeProgressBar(ProgressPage, "ProgressBar1", {120, 274, 400, 18});
    YearLabel = MakeLabel(ProgressPage, "Label13", {120, 316, 400, 20});
    OpenDialog = new QFileDialog(this);
    OpenDialog->setObjectName(QStringLiteral("OpenDialog1"));
    FitFileDialog(*OpenDialog);
    OpenDialog->setOption(QFileDialog::ReadOnly);
    OpenDialog->setFileMode(QFileDialog::ExistingFile);
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog->setDefaultSuffix(QStringLiteral("kordalt"));
}

void TStart::ConnectEvents() {
    connect(RadioGroupDiffLevel, &TRadioGroup::OnClick, this, &TStart::DifficultyClick);
    connect(StatesSlider, &TExSlider::OnChange, this, &TStart::StatesSliderChange);
    connect(MapSizeSlider, &TExSlider::OnChange, this, &TStart::MapSizeSliderChange);
    connect(HumansEdit, &TExSpinEdit::OnChange, this, &TStart::HumanCountChange);
    connect(GenerateMapButton, &TExSpeedButton::OnClick, this, &TStart::GenerateMapClick);
    connect(ChooseTerritoryButton, &TExSpeedButton::OnClick, this, &TStart::ChooseTerritoryClick);
    connect(ExitButton, &TExSpeedButton::OnClick, this, &TStart::ExitClick);
    connect(HelpButton, &TExSpeedButton::OnClick, this, &TStart::HelpClick);
}

// A bar is drawn at once when it starts and when it ends; in between at most
// once a frame, as drawing at once waits for the display (a progress bar draws
// itself at once whenever its value changes what it shows).
void TStart::InstallProgress() {
    QtGameUi().OnStartProgress = [this](TProgressBar bar, int max) {
        QProgressBar* progress = Progress(bar);
        progress->setUpdatesEnabled(false);  // drawn once below
        progress->setRange(0, max);
        progress->setValue(0);
        progress->setUpdatesEnabled(true);
        progress->show();
        progress->repaint();
        progressDrawn_.start();
    };
    QtGameUi().OnSetProgress = [this](TProgressBar bar, int position) {
        QProgressBar* progress = Progress(bar);
        const bool draw = position >= progress->maximum() || !progressDrawn_.isValid() ||
                          progressDrawn_.hasExpired(kProgressFrameMs);
        progress->setUpdatesEnabled(draw);  // otherwise drawn with the next frame or event
        progress->setValue(position);
        progress->setUpdatesEnabled(true);
        if (draw) progressDrawn_.start();
    };
}

void TStart::Localize() {
    DropBorderOnSmallScreen();
    setWindowTitle(Qs(LangText(kStartCaption)));
    RadioGroupDiffLevel->SetItems(
        {Qs(LangText(kStartTraining)), Qs(LangText(kStartNormal)), Qs(LangText(kStartExpert))});
    DifficultyTexts = {LabelText(kStartTrainingAbout), LabelText(kStartNormalAbout),
                       LabelText(kStartExpertAbout)};
    StatesLabel->setText(LabelText(kStartStates));
    MapSizeLabel->setText(LabelText(kStartMapSize));
    HumansLabel->setText(LabelText(kStartHumans));
    DifficultyLabel->setText(LabelText(kStartDifficulty));
    MapStatus->setText(LabelText(kStartMap));
    GenerateMapButton->SetCaption(Qs(LangText(kStartGenerateMap)));
    ChooseTerritoryButton->SetCaption(Qs(LangText(kStartChooseTerritory)));
    ExitButton->SetCaption(Qs(LangText(kStartExit)));
    HelpButton->SetCaption(Qs(LangText(kStartHelp)));
    PleaseWait->SetCaption(Qs(LangText(kStartPleaseWait)));
    ComputersMoveLabel->setText(LabelText(kStartComputersMove));
    BattlesLabel->setText(LabelText(kStartBattles));
    if (const QImage progress = LanguagePicture(4); !progress.isNull())
        ProgressBackground->Picture = progress;
    if (LanguageFile) {
        std::vector<std::string> lines;
        for (const QString& line : IntroScroll->Lines()) lines.push_back(Cs(line));
        LanguageFile->LoadIntro(0, lines);
        QStringList intro;
        for (const std::string& line : lines) intro << Qs(line);
        IntroScroll->SetLines(intro);
    }
    OpenDialog->setDirectory(Qs(ProgramDirectory()));
    OpenDialog->setWindowTitle(Qs(LangText(kOpenDialogTitle)));
    OpenDialog->setNameFilter(DialogFilter(Qs(LangTextRaw(kSavedGameFilter))));
    LoadRulesData();
    if (const QImage background = LanguagePicture(5); !background.isNull()) {
        if (SetupBackground->Picture.isNull()) {
            SetupBackground->Picture = QImage(kWidth, kHeight, QImage::Format_RGB32);
            SetupBackground->Picture.fill(ToQColor(clBtnFace));
        }
        QPainter painter(&SetupBackground->Picture);
        painter.drawImage(QRect(0, 0, kWidth, kHeight), background);
    }
    ApplyLanguageFont(this);
}

void TStart::LoadGlyphs() {
    LoadButtonGlyph(*GenerateMapButton, 18);
    LoadButtonGlyph(*ChooseTerritoryButton, 19);
    LoadButtonGlyph(*ExitButton, 20);
    LoadButtonGlyph(*HelpButton, 21);
}

void TStart::ApplyDifficulty() {
    int i = RadioGroupDiffLevel->ItemIndex();
    if (i < 0 || i > 2) {
        i = 0;
        RadioGroupDiffLevel->SetItemIndex(0);
    }
    static constexpr TText kLevelNames[] = {kLevelTraining, kLevelNormal, kLevelExpert};
    LabelDiffLevel->setText(LabelText(kLevelNames[i]));
    SetDifficultyLevel(i);
    if (i == kExpert) MapSizeSlider->SetValue(MapSizeSlider->MaxValue());
    MapSizeSlider->setEnabled(i != kExpert);
    DifficultyAbout->setText(DifficultyTexts[static_cast<size_t>(i)]);
    GenerateMapButton->show();
}

void TStart::DifficultyClick() {
    ApplyDifficulty();
    ChooseTerritoryButton->hide();
}

void TStart::StatesSliderChange() {
    const int n = StatesSlider->Value();
    StatesValue->setText(QString::number(n));
    DifficultyPercent->setText(QString::number(n * 5) + QStringLiteral(" %"));
    HumansEdit->SetValue(1);
    ChooseTerritoryButton->hide();
}

void TStart::MapSizeSliderChange() {
    MapSizeValue->setText(QString::number(MapSizeSlider->Value()));
    ChooseTerritoryButton->hide();
}

void TStart::HumanCountChange() { HumansEdit->SetMaxValue(StatesSlider->Value()); }

void TStart::FormActivate() {
    Preview->hide();
    ChooseTerritoryButton->hide();
}

void TStart::Guarded(void (*action)()) {
    try {
        action();
    } catch (...) {
        HandleApplicationException(this, std::current_exception());
    }
}

void TStart::GenerateMapClick() { Guarded(GenerateNewGame); }

void TStart::ChooseTerritoryClick() { Guarded(HandOutStates); }

void TStart::ExitClick() { close(); }

void TStart::HelpClick() { ShowHelpTopic(kHelpTopic); }

int TStart::StatesCount() const { return StatesSlider->Value(); }

int TStart::MapSide() const { return MapSizeSlider->Value(); }

int TStart::HumanCount() const { return HumansEdit->GetSpinIntValue(); }

void TStart::BeginMapGeneration(const QString& status) {
    GenerateMapButton->hide();
    ChooseTerritoryButton->hide();
    Preview->hide();
    keptStatus_ = MapStatus->text();
    MapStatus->setText(NormalizeLineBreaks(status));
    SetupPage->repaint();
}

void TStart::EndMapGeneration() {
    MapStatus->setText(keptStatus_);
    DrawPreview();
    Preview->show();
    GenerateMapButton->show();
    ChooseTerritoryButton->show();
}

void TStart::DrawPreview() {
    QPainter painter(&Preview->Picture);
    painter.setFont(Preview->font());
    DrawMapPreview(painter, TRect{1, 1, kPreviewSide, kPreviewSide});
    Preview->update();
}

void TStart::ShowProgressPage(bool progress) {
    if (progress)
        ProgressPage->raise();
    else
        SetupPage->raise();
}

bool TStart::ProgressPageShown() const {
    const QObjectList& pages = children();
    return pages.indexOf(ProgressPage) > pages.indexOf(SetupPage);
}

void TStart::ShowYear(const QString& caption) {
    YearLabel->setText(caption);
    ProgressPage->repaint();
}

QProgressBar* TStart::Progress(TProgressBar bar) const {
    return bar == TProgressBar::Battles ? BattlesBar : ComputersMoveBar;
}

bool TStart::ChooseSavedGame(QString& fileName) {
    PlaceOver(*OpenDialog, TopWindow());  // this window is hidden while a game runs or the menu shows
    if (ExecModal(*OpenDialog) != QDialog::Accepted || OpenDialog->selectedFiles().isEmpty()) return false;
    fileName = OpenDialog->selectedFiles().constFirst();
    return true;
}

int TStart::exec() {
    // Without rules data no game can be computed: the window closes at once
    // (a file mended meanwhile is read again; a failure is shown again).
    if (Rules.DimLoadFailed) LoadRulesData();
    if (Rules.DimLoadFailed) return QDialog::Rejected;
    int result;
    do result = QDialog::exec();
    while (isVisible());
    return result;
}

void TStart::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    HidePreviousScreen();
    FormActivate();
}

void TStart::closeEvent(QCloseEvent* event) {
    IntroScroll->SetActive(false);
    QDialog::closeEvent(event);
}

}  // namespace kordalt
