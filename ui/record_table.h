// The hall of fame window: the table of "dim.rec" in a grid of labels, and the
// routines that read, write, reset it and enter a finished game.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "game/hall_of_fame.h"

class QLabel;

namespace kordalt {

class TExGIFAnimator;
class TExLabel;
class TExSpeedButton;

// The window's buttons, in the order of their object names SpeedButton1..8.
// Only close, reset and the web site show; the others stand for the routines
// they run.
enum TRecordButton { rbClose, rbWrite, rbRead, rbReset, rbShow, rbEnterGame, rbWebSite, rbLoadDefault };
constexpr int kRecordButtonCount = 8;

class TRecordTable : public QDialog {
    Q_OBJECT

public:
    static constexpr int kColumns = 7;  // name, points, states, destroyed, year, research, saves

    explicit TRecordTable(QWidget* parent = nullptr);
    ~TRecordTable() override;

    void Localize();
    void LoadGlyphs();
    // Reads the file, then shows the table.
    void FormActivate();

    void CloseClick();
    void WriteFile();
    // Reads the file (creating a missing one); false after reporting a
    // damaged or unreadable file, whose place the default table takes.
    bool ReadFile();
    void ResetClick();  // back to the default table, after a confirmation
    void ShowTable();
    void EnterGameAndWrite();  // enter the finished game and write the file
    void WebSiteClick();       // the web-site notice
    void LoadDefaultTable();

    // The year loop's entry of a single human's finished game (on `RecordTable`).
    static void EnterHallOfFame();
    // Runs `RecordTable` modally (nothing without it).
    static void ShowModalTable();

    // The text a cell of row `row` shows in column `column`.
    QString CellText(int row, int column) const;

    std::string RecordFileName = kRecordFileName;  // in the current directory
    TRecordEntries RecordEntries{};

    // The animated cup at the top right, from the program folder's "fame.gif".
    TExGIFAnimator* Cup = nullptr;
    TExLabel* Title = nullptr;
    QLabel* ResetPointer = nullptr;  // beside the reset button
    QLabel* LastGameLabel = nullptr;
    std::array<QLabel*, kColumns> Headers{};
    std::array<std::array<QLabel*, kColumns>, kRecordRows> Cells{};
    std::array<TExSpeedButton*, kRecordButtonCount> Buttons{};  // indexed by TRecordButton

private:
    void ReadAndIgnore() { ReadFile(); }
    void BuildAnimation();
    // A file error is shown once until the window is hidden again.
    void ReportFileError(const QString& text);
    void ReportDamagedFile(const ERecordFileError& error);
    static QString WriteErrorText();

    bool fileErrorShown_ = false;
    QString pictureError_;  // the animation's load failure, not yet shown

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

}  // namespace kordalt
