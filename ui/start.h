// The new-game set-up window: difficulty, counts, map generation and preview,
// the humans' choice of states; its second page shows the progress of the year
// loop. Other windows copy its background pictures.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QString>
#include <QWidget>
#include <array>

#include "controls/classic.h"
#include "game/ui_hooks.h"

class QButtonGroup;
class QFileDialog;
class QFrame;
class QLabel;
class QProgressBar;

namespace kordalt {

class TExLabel;
class TExSlider;
class TExSpeedButton;
class TExSpinEdit;
class TScrollTextPanel;

// The descriptions of the three difficulty levels (training, normal, expert).
extern std::array<QString, 3> DifficultyTexts;

// A full-screen window of the game, 640 x 480; only its buttons close it (the
// Escape key does not).
class TScreenDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 640, kHeight = 480;
    explicit TScreenDialog(const char* name, QWidget* parent = nullptr);
    // On a screen of exactly 640 x 480 the window loses its border.
    void DropBorderOnSmallScreen();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The colours of the set-up page's look, in place of its picture when the
// picture is missing or hidden: pale paper under dark texts, and a dark panel
// under the game buttons' white captions.
constexpr TColor kPaperColour = 0xC8DCE6;
constexpr TColor kButtonPanelColour = 0x302810;
// Where the set-up page's picture has its dark panel behind the buttons.
constexpr QRect kButtonPanelRect{319, 336, 313, 138};

// A flat, transparent game button with white text and its glyph on the right.
TExSpeedButton* MakeGameButton(QWidget* parent, const char* name, QRect geometry);
// The dark panel behind the game buttons, for a window whose background
// picture (made after it, so it lies above) has the panel drawn on it.
QWidget* MakeButtonPanel(QWidget* parent);
// A centred bold shadowed label without automatic size.
TExLabel* MakeShadowLabel(QWidget* parent, const char* name, QRect geometry, int pointSize, TColor colour);

// Gives `button` fragment `fragment` of the picture store as its glyph (a
// normal and a disabled image side by side); nothing without a picture store.
void LoadButtonGlyph(TExSpeedButton& button, int fragment);

// A picture with a canvas of its own: `Picture` is drawn at the top left, or
// stretched over the control.
class TImage : public QWidget {
    Q_OBJECT

public:
    explicit TImage(QWidget* parent = nullptr);
    QImage Picture;
    bool Stretch = false;

signals:
    void OnMouseUp(Qt::MouseButton button, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// Items stacked in a frame, one of them chosen.
class TRadioGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit TRadioGroup(QWidget* parent = nullptr);
    void SetItems(const QStringList& items);
    // -1 when none is chosen.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int ItemCount() const;

signals:
    // The user chose an item.
    void OnClick();

private:
    QButtonGroup* buttons_;
};

class TStart : public TScreenDialog {
    Q_OBJECT

public:
    explicit TStart(QWidget* parent = nullptr);
    ~TStart() override;

    void Localize();
    void LoadGlyphs();
    void ApplyDifficulty();
    void FormActivate();

    void DifficultyClick();
    void StatesSliderChange();
    void MapSizeSliderChange();
    void HumanCountChange();
    void GenerateMapClick();
    void ChooseTerritoryClick();
    void ExitClick();
    void HelpClick();

    // The counts the game reads.
    int StatesCount() const;
    int MapSide() const;
    int HumanCount() const;

    // The map generation of the game: the status label shows `status` while it
    // runs; afterwards the preview and both buttons show.
    void BeginMapGeneration(const QString& status);
    void EndMapGeneration();
    // The preview of the current map into the preview picture.
    void DrawPreview();

    // Brings the set-up page (false) or the progress page (true) to the front.
    void ShowProgressPage(bool progress);
    bool ProgressPageShown() const;
    // The progress page's year label, repainted at once.
    void ShowYear(const QString& caption);
    QProgressBar* Progress(TProgressBar bar) const;

    // The modal run goes on while the window is shown again after the screen
    // hand-over hid it (the state choice and the year loop hide it meanwhile).
    // Without rules data it returns at once.
    int exec() override;

    // Runs the open dialog for saved games; false when it was cancelled.
    bool ChooseSavedGame(QString& fileName);

    // Set-up page.
    QWidget* SetupPage = nullptr;
    TImage* SetupBackground = nullptr;
    QLabel* LabelDiffLevel = nullptr;
    TRadioGroup* RadioGroupDiffLevel = nullptr;
    QLabel* DifficultyAbout = nullptr;
    QLabel* StatesLabel = nullptr;
    TExSlider* StatesSlider = nullptr;
    QLabel* StatesMin = nullptr;
    QLabel* StatesMax = nullptr;
    QLabel* StatesValue = nullptr;
    QLabel* MapSizeLabel = nullptr;
    TExSlider* MapSizeSlider = nullptr;
    QLabel* MapSizeMin = nullptr;
    QLabel* MapSizeMax = nullptr;
    QLabel* MapSizeValue = nullptr;
    QLabel* HumansLabel = nullptr;
    TExSpinEdit* HumansEdit = nullptr;
    QLabel* DifficultyLabel = nullptr;
    QLabel* DifficultyPercent = nullptr;
    TScrollTextPanel* IntroScroll = nullptr;
    QFrame* PreviewFrame = nullptr;
    TImage* Preview = nullptr;
    // Beneath the preview; the status label of the map generation.
    QLabel* MapStatus = nullptr;
    TExSpeedButton* GenerateMapButton = nullptr;
    TExSpeedButton* ChooseTerritoryButton = nullptr;
    TExSpeedButton* ExitButton = nullptr;
    TExSpeedButton* HelpButton = nullptr;

    // Progress page.
    QWidget* ProgressPage = nullptr;
    TImage* ProgressBackground = nullptr;
    TExLabel* PleaseWait = nullptr;
    QLabel* ComputersMoveLabel = nullptr;
    QProgressBar* ComputersMoveBar = nullptr;
    QLabel* BattlesLabel = nullptr;
    QProgressBar* BattlesBar = nullptr;
    QLabel* YearLabel = nullptr;

    QFileDialog* OpenDialog = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildSetupPage();
    void BuildProgressPage();
    void ConnectEvents();
    void InstallProgress();
    void LoadBackgrounds();
    // Runs a button's handler; an error reaches the application's handler.
    void Guarded(void (*action)());

    QString keptStatus_;
    QElapsedTimer progressDrawn_;  // since a progress bar was last drawn at once
};

}  // namespace kordalt
