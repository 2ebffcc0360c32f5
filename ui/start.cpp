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
    ExSlider1->SetValue(kMaxStates);
    Label2->setText(QString::number(kMinStates));
    Label3->setText(QString::number(kMaxStates));
    Label4->setText(QString::number(kMaxStates));
    ExSlider2->SetValue(kMaxSide);
    Label6->setText(QString::number(kMinSide));
    Label7->setText(QString::number(kMaxSide));
    Label8->setText(QString::number(kMaxSide));
    InstallHelpKey(this, kHelpTopic);
    SetActivationHandler(this, [this] { FormActivate(); });
}

TStart::~TStart() {
    QtGameUi().OnStartProgress = nullptr;
    QtGameUi().OnSetProgress = nullptr;
}

void TStart::BuildSetupPage() {
    Panel4 = new QWidget(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setGeometry(0, 0, kWidth, kHeight);
    // The page covers the progress page also when its picture is hidden.
    Panel4->setAutoFillBackground(true);
    SetPaletteColor(*Panel4, QPalette::Window, kPaperColour);
    Image3 = new TImage(Panel4);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(0, 0, kWidth, kHeight);
    // Over the picture, which other windows show without the panel.
    MakeButtonPanel(Panel4);

    LabelDiffLevel = MakeLabel(Panel4, "LabelDiffLevel", {10, 10, 300, 20});
    LabelDiffLevel->setAlignment(Qt::AlignCenter);
    LabelDiffLevel->setAutoFillBackground(true);
    SetPaletteColor(*LabelDiffLevel, QPalette::Window, clNavy);
    SetPaletteColor(*LabelDiffLevel, QPalette::WindowText, clWhite);
    RadioGroupDiffLevel = new TRadioGroup(Panel4);
    RadioGroupDiffLevel->setObjectName(QStringLiteral("RadioGroupDiffLevel"));
    RadioGroupDiffLevel->setGeometry(10, 30, 300, 80);
    Label16 = MakeLabel(Panel4, "Label16", {10, 112, 300, 60});
    Label16->setWordWrap(true);
    Label16->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label1 = MakeLabel(Panel4, "Label1", {10, 172, 250, 16});
    ExSlider1 = MakeSlider(Panel4, "ExSlider1", {10, 188, 250, 30}, kMinStates, kMaxStates, 1);
    Label2 = MakeLabel(Panel4, "Label2", {10, 218, 40, 14});
    Label3 = MakeLabel(Panel4, "Label3", {220, 218, 40, 14});
    Label3->setAlignment(Qt::AlignRight);
    Label4 = MakeLabel(Panel4, "Label4", {268, 194, 40, 18});

    Label5 = MakeLabel(Panel4, "Label5", {10, 236, 250, 16});
    ExSlider2 = MakeSlider(Panel4, "ExSlider2", {10, 252, 250, 30}, kMinSide, kMaxSide, kSideStep);
    Label6 = MakeLabel(Panel4, "Label6", {10, 282, 40, 14});
    Label7 = MakeLabel(Panel4, "Label7", {220, 282, 40, 14});
    Label7->setAlignment(Qt::AlignRight);
    Label8 = MakeLabel(Panel4, "Label8", {268, 258, 40, 18});

    Label9 = MakeLabel(Panel4, "Label9", {10, 300, 160, 32});
    ExSpinEdit1 = new TExSpinEdit(Panel4);
    ExSpinEdit1->setObjectName(QStringLiteral("ExSpinEdit1"));
    ExSpinEdit1->setGeometry(180, 304, 60, 22);
    ExSpinEdit1->SetEditorEnabled(false);
    ExSpinEdit1->SetMinValue(1);
    // The states count bounds the human count from the start.
    ExSpinEdit1->SetMaxValue(kMaxStates);
    ExSpinEdit1->SetValue(1);
    Label14 = MakeLabel(Panel4, "Label14", {10, 336, 160, 16});
    Label15 = MakeLabel(Panel4, "Label15", {180, 336, 80, 16});
    Label15->setText(QString::number(kMaxStates * 5) + QStringLiteral(" %"));

    ScrollTextPanel1 = new TScrollTextPanel(Panel4);
    ScrollTextPanel1->setObjectName(QStringLiteral("ScrollTextPanel1"));
    ScrollTextPanel1->setGeometry(10, 358, 300, 112);
    ScrollTextPanel1->SetCycled(true);
    ScrollTextPanel1->SetInterval(kIntroInterval);
    ScrollTextPanel1->SetAlignment(taCenter);

    Label12 = MakeLabel(Panel4, "Label12", {325, 12, kPreviewSide, 322});
    Label12->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    Shape1 = new QFrame(Panel4);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(323, 8, kPreviewSide + 4, kPreviewSide + 4);
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape1->setLineWidth(2);
    Image1 = new TImage(Panel4);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(325, 10, kPreviewSide, kPreviewSide);
    Image1->Picture = QImage(kPreviewSide, kPreviewSide, QImage::Format_RGB32);
    Image1->Picture.fill(Qt::white);
    Image1->hide();

    ExSpeedButton1 = MakeGameButton(Panel4, "ExSpeedButton1", {325, 340, 148, 62});
    ExSpeedButton2 = MakeGameButton(Panel4, "ExSpeedButton2", {477, 340, 148, 62});
    ExSpeedButton2->hide();
    SpeedButton3 = MakeGameButton(Panel4, "SpeedButton3", {325, 406, 148, 62});
    SpeedButton4 = MakeGameButton(Panel4, "SpeedButton4", {477, 406, 148, 62});
}

void TStart::BuildProgressPage() {
    Panel5 = new QWidget(this);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setGeometry(0, 0, kWidth, kHeight);
    Panel5->setAutoFillBackground(true);
    Image2 = new TImage(Panel5);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(0, 0, kWidth, kHeight);
    Image2->Stretch = true;
    ExLabel1 = MakeShadowLabel(Panel5, "ExLabel1", {0, 130, kWidth, 40}, 16, clBlack);
    ExLabel1->SetShadowColor(clBtnHighlight);
    Label11 = MakeLabel(Panel5, "Label11", {120, 200, 400, 16});
    ProgressBar2 = MakeProgressBar(Panel5, "ProgressBar2", {120, 218, 400, 18});
    Label10 = MakeLabel(Panel5, "Label10", {120, 256, 400, 16});
    ProgressBar1 = MakeProgressBar(Panel5, "ProgressBar1", {120, 274, 400, 18});
    Label13 = MakeLabel(Panel5, "Label13", {120, 316, 400, 20});
    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    FitFileDialog(*OpenDialog1);
    OpenDialog1->setOption(QFileDialog::ReadOnly);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setDefaultSuffix(QStringLiteral("kordalt"));
}

void TStart::ConnectEvents() {
    connect(RadioGroupDiffLevel, &TRadioGroup::OnClick, this, &TStart::DifficultyClick);
    connect(ExSlider1, &TExSlider::OnChange, this, &TStart::StatesSliderChange);
    connect(ExSlider2, &TExSlider::OnChange, this, &TStart::MapSizeSliderChange);
    connect(ExSpinEdit1, &TExSpinEdit::OnChange, this, &TStart::HumanCountChange);
    connect(ExSpeedButton1, &TExSpeedButton::OnClick, this, &TStart::GenerateMapClick);
    connect(ExSpeedButton2, &TExSpeedButton::OnClick, this, &TStart::ChooseTerritoryClick);
    connect(SpeedButton3, &TExSpeedButton::OnClick, this, &TStart::ExitClick);
    connect(SpeedButton4, &TExSpeedButton::OnClick, this, &TStart::HelpClick);
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
    Label1->setText(LabelText(kStartStates));
    Label5->setText(LabelText(kStartMapSize));
    Label9->setText(LabelText(kStartHumans));
    Label14->setText(LabelText(kStartDifficulty));
    Label12->setText(LabelText(kStartMap));
    ExSpeedButton1->SetCaption(Qs(LangText(kStartGenerateMap)));
    ExSpeedButton2->SetCaption(Qs(LangText(kStartChooseTerritory)));
    SpeedButton3->SetCaption(Qs(LangText(kStartExit)));
    SpeedButton4->SetCaption(Qs(LangText(kStartHelp)));
    ExLabel1->SetCaption(Qs(LangText(kStartPleaseWait)));
    Label11->setText(LabelText(kStartComputersMove));
    Label10->setText(LabelText(kStartBattles));
    if (const QImage progress = LanguagePicture(4); !progress.isNull()) Image2->Picture = progress;
    if (LanguageFile) {
        std::vector<std::string> lines;
        for (const QString& line : ScrollTextPanel1->Lines()) lines.push_back(Cs(line));
        LanguageFile->LoadIntro(0, lines);
        QStringList intro;
        for (const std::string& line : lines) intro << Qs(line);
        ScrollTextPanel1->SetLines(intro);
    }
    OpenDialog1->setDirectory(Qs(ProgramDirectory()));
    OpenDialog1->setWindowTitle(Qs(LangText(kOpenDialogTitle)));
    OpenDialog1->setNameFilter(DialogFilter(Qs(LangTextRaw(kSavedGameFilter))));
    LoadRulesData();
    if (const QImage background = LanguagePicture(5); !background.isNull()) {
        if (Image3->Picture.isNull()) {
            Image3->Picture = QImage(kWidth, kHeight, QImage::Format_RGB32);
            Image3->Picture.fill(ToQColor(clBtnFace));
        }
        QPainter painter(&Image3->Picture);
        painter.drawImage(QRect(0, 0, kWidth, kHeight), background);
    }
    ApplyLanguageFont(this);
}

void TStart::LoadGlyphs() {
    LoadButtonGlyph(*ExSpeedButton1, 18);
    LoadButtonGlyph(*ExSpeedButton2, 19);
    LoadButtonGlyph(*SpeedButton3, 20);
    LoadButtonGlyph(*SpeedButton4, 21);
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
    if (i == kExpert) ExSlider2->SetValue(ExSlider2->MaxValue());
    ExSlider2->setEnabled(i != kExpert);
    Label16->setText(DifficultyTexts[static_cast<size_t>(i)]);
    ExSpeedButton1->show();
}

void TStart::DifficultyClick() {
    ApplyDifficulty();
    ExSpeedButton2->hide();
}

void TStart::StatesSliderChange() {
    const int n = ExSlider1->Value();
    Label4->setText(QString::number(n));
    Label15->setText(QString::number(n * 5) + QStringLiteral(" %"));
    ExSpinEdit1->SetValue(1);
    ExSpeedButton2->hide();
}

void TStart::MapSizeSliderChange() {
    Label8->setText(QString::number(ExSlider2->Value()));
    ExSpeedButton2->hide();
}

void TStart::HumanCountChange() { ExSpinEdit1->SetMaxValue(ExSlider1->Value()); }

void TStart::FormActivate() {
    Image1->hide();
    ExSpeedButton2->hide();
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

int TStart::StatesCount() const { return ExSlider1->Value(); }

int TStart::MapSide() const { return ExSlider2->Value(); }

int TStart::HumanCount() const { return ExSpinEdit1->GetSpinIntValue(); }

void TStart::BeginMapGeneration(const QString& status) {
    ExSpeedButton1->hide();
    ExSpeedButton2->hide();
    Image1->hide();
    keptStatus_ = Label12->text();
    Label12->setText(NormalizeLineBreaks(status));
    Panel4->repaint();
}

void TStart::EndMapGeneration() {
    Label12->setText(keptStatus_);
    DrawPreview();
    Image1->show();
    ExSpeedButton1->show();
    ExSpeedButton2->show();
}

void TStart::DrawPreview() {
    QPainter painter(&Image1->Picture);
    painter.setFont(Image1->font());
    DrawMapPreview(painter, TRect{1, 1, kPreviewSide, kPreviewSide});
    Image1->update();
}

void TStart::ShowProgressPage(bool progress) {
    if (progress)
        Panel5->raise();
    else
        Panel4->raise();
}

bool TStart::ProgressPageShown() const {
    const QObjectList& pages = children();
    return pages.indexOf(Panel5) > pages.indexOf(Panel4);
}

void TStart::ShowYear(const QString& caption) {
    Label13->setText(caption);
    Panel5->repaint();
}

QProgressBar* TStart::Progress(TProgressBar bar) const {
    return bar == TProgressBar::Battles ? ProgressBar1 : ProgressBar2;
}

bool TStart::ChooseSavedGame(QString& fileName) {
    PlaceOver(*OpenDialog1, TopWindow());  // this window is hidden while a game runs or the menu shows
    if (ExecModal(*OpenDialog1) != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return false;
    fileName = OpenDialog1->selectedFiles().constFirst();
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
    ScrollTextPanel1->SetActive(false);
    QDialog::closeEvent(event);
}

}  // namespace kordalt
