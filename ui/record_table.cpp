#include "ui/record_table.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <utility>

#include "controls/animated_gif.h"
#include "controls/classic.h"
#include "controls/ex_label.h"
#include "controls/speed_button.h"
#include "game/language_file.h"
#include "platform/program_path.h"
#include "ui/picture_store.h"
#include "ui/screens.h"
#include "ui/ui_support.h"
#include "ui/windows.h"

namespace kordalt {
namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kCloseResult = 2;
constexpr int kTop = 110, kRowHeight = 30, kLastRowGap = 40;
constexpr int kColumnLeft[TRecordTable::kColumns] = {40, 210, 275, 340, 405, 470, 570};
constexpr int kColumnWidth[TRecordTable::kColumns] = {165, 65, 65, 65, 65, 100, 65};
constexpr const char* kHeaderNames[TRecordTable::kColumns] = {"Label60", "Label61", "Label62", "Label64",
                                                              "Label63", "Label65", "Label77"};
constexpr int kAnimationWidth = 59, kAnimationHeight = 65;
constexpr char kAnimationFile[] = "fame.gif";

QLabel* MakeLabel(QWidget* parent, const QString& name, QRect geometry, TColor colour, Qt::Alignment align) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(align);
    SetPaletteColor(*label, QPalette::WindowText, colour);
    return label;
}

QString Number(int32_t value) { return value == 0 ? QStringLiteral("-") : QString::number(value); }

}  // namespace

TRecordTable::TRecordTable(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RecordTable"));
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    SetPaletteColor(*this, QPalette::Window, 0x202020);

    Title = new TExLabel(this);
    Title->setObjectName(QStringLiteral("ExLabel1"));
    Title->SetAutoSize(false);
    Title->setGeometry(20, 10, 540, 50);
    Title->SetAlignment(taCenter);
    Title->SetTransparent(true);
    Title->SetFontColor(clYellow);
    Title->SetShadowColor(clMaroon);
    Title->SetShadowSize(2);
    QFont title = Title->font();
    title.setPointSize(22);
    title.setBold(true);
    Title->setFont(title);

    const Qt::Alignment header = Qt::AlignHCenter | Qt::AlignBottom;
    for (int column = 0; column < kColumns; ++column)
        Headers[column] = MakeLabel(this, QString::fromLatin1(kHeaderNames[column]),
                                    {kColumnLeft[column], 66, kColumnWidth[column], 40}, clSilver, header);

    for (int row = 0; row < kRecordRows; ++row) {
        const int top = kTop + row * kRowHeight + (row == kLastGameRow ? kLastRowGap : 0);
        if (row < kLastGameRow)
            MakeLabel(this, QStringLiteral("Number%1").arg(row), {8, top, 28, kRowHeight}, clSilver,
                      Qt::AlignCenter)
                ->setText(QString::number(row + 1));
        for (int column = 0; column < kColumns; ++column) {
            const Qt::Alignment align = Qt::AlignVCenter | (column == 0 ? Qt::AlignLeft : Qt::AlignHCenter);
            Cells[row][column] = MakeLabel(this, QStringLiteral("Cell%1_%2").arg(row).arg(column),
                                           {kColumnLeft[column], top, kColumnWidth[column], kRowHeight},
                                           row == 0 ? clYellow : clWhite, align);
        }
    }
    const int lastTop = kTop + kLastGameRow * kRowHeight + kLastRowGap;
    LastGameLabel = MakeLabel(this, QStringLiteral("Label75"), {kColumnLeft[0], lastTop - 22, 300, 20},
                              clAqua, Qt::AlignLeft | Qt::AlignVCenter);

    for (int i = 0; i < kRecordButtonCount; ++i) {
        auto* button = new TExSpeedButton(this);
        button->setObjectName(QStringLiteral("SpeedButton%1").arg(i + 1));
        button->setVisible(i == rbClose || i == rbReset || i == rbWebSite);
        Buttons[static_cast<size_t>(i)] = button;
    }
    Buttons[rbClose]->setGeometry(500, 430, 130, 40);
    Buttons[rbClose]->SetLayout(blGlyphLeft);
    Buttons[rbReset]->setGeometry(10, 440, 30, 30);
    Buttons[rbReset]->SetCaption(QString::fromUtf8(kRecordsDefaultButton));
    Buttons[rbReset]->setToolTip(QString::fromUtf8(kRecordsDefaultHint));
    Buttons[rbWebSite]->setGeometry(200, 440, 60, 30);
    Buttons[rbWebSite]->SetCaption(QStringLiteral("WWW"));
    ResetPointer = MakeLabel(this, QStringLiteral("Label59"), {50, 440, 145, 30}, clSilver,
                             Qt::AlignRight | Qt::AlignVCenter);

    const std::array<void (TRecordTable::*)(), kRecordButtonCount> handlers = {
        &TRecordTable::CloseClick,   &TRecordTable::WriteFile,        &TRecordTable::ReadAndIgnore,
        &TRecordTable::ResetClick,   &TRecordTable::ShowTable,        &TRecordTable::EnterGameAndWrite,
        &TRecordTable::WebSiteClick, &TRecordTable::LoadDefaultTable,
    };
    for (size_t i = 0; i < handlers.size(); ++i)
        connect(Buttons[i], &TExSpeedButton::OnClick, this,
                [this, handler = handlers[i]] { (this->*handler)(); });

    BuildAnimation();
    Localize();
    LoadGlyphs();
    SetActivationHandler(this, [this] { FormActivate(); });
}

void TRecordTable::BuildAnimation() {
    Cup = new TExGIFAnimator(this);
    Cup->setObjectName(QStringLiteral("ExGIFAnimator1"));
    Cup->SetAutoSize(false);
    Cup->setGeometry(kWidth - kAnimationWidth, 4, kAnimationWidth, kAnimationHeight);
    Cup->SetStretch(true);
    Cup->SetLoop(true);
    // A missing picture leaves the place empty; a damaged one too, and it is
    // reported once, when the window first shows.
    const std::string path = ProgramDirectory() + kAnimationFile;
    if (!std::filesystem::exists(path)) return;
    try {
        Cup->LoadFromFile(QString::fromStdString(path));
    } catch (const std::exception& error) {
        Cup->SetImage(nullptr);
        pictureError_ = QString::fromUtf8(kRecordsPictureNotLoaded)
                            .arg(QString::fromStdString(path), QString::fromUtf8(error.what()));
    }
}

TRecordTable::~TRecordTable() {
    if (RecordTable == this) RecordTable = nullptr;
}

void TRecordTable::Localize() {
    if (QGuiApplication::primaryScreen()->size() == QSize(kWidth, kHeight))
        setWindowFlag(Qt::FramelessWindowHint, true);
    setWindowTitle(Qs(LangText(kRecordsCaption)));
    Title->SetCaption(Qs(LangText(kRecordsTitle)));
    Buttons[rbClose]->SetCaption(Qs(LangText(kRecordsClose)));
    ResetPointer->setText(Qs(LangText(kRecordsResetPointer)));
    for (int column = 0; column < kColumns; ++column)
        Headers[column]->setText(NormalizeLineBreaks(Qs(LangText(kRecordsHeaders[column]))));
    LastGameLabel->setText(Qs(LangText(kRecordsLastGame)));
    ApplyLanguageFont(this);
}

void TRecordTable::LoadGlyphs() {
    if (!PictureList) return;
    QImage glyph;
    PictureList->LoadGlyph(glyph, 13);
    Buttons[rbClose]->SetGlyph(glyph);
}

void TRecordTable::FormActivate() {
    ReadFile();
    ShowTable();
}

void TRecordTable::ReportFileError(const QString& text) {
    if (fileErrorShown_) return;
    fileErrorShown_ = true;
    ShowMessageBox(TMsgType::Error, text);
}

void TRecordTable::CloseClick() { done(kCloseResult); }

void TRecordTable::WriteFile() {
    if (WriteRecordFile(RecordFileName, RecordEntries) != 0) ReportFileError(WriteErrorText());
}

bool TRecordTable::ReadFile() {
    try {
        int writeError = 0;
        RecordEntries = ReadRecordFile(RecordFileName, writeError);
        if (writeError != 0) ReportFileError(WriteErrorText());
        return true;
    } catch (const ERecordFileError& error) {
        ReportDamagedFile(error);
        return false;
    }
}

void TRecordTable::ReportDamagedFile(const ERecordFileError& error) {
    std::fprintf(stderr, "kordalt: %s\n", error.what());
    RecordEntries = DefaultRecordTable();
    ReportFileError(QString::fromUtf8(kRecordsFileDamaged).arg(QString::fromStdString(RecordFileName)));
}

void TRecordTable::ResetClick() {
    if (!AskYesNo(Qs(LangText(kRecordsResetQuestion)))) return;
    fileErrorShown_ = false;  // the reset reports its own failure
    LoadDefaultTable();
    WriteFile();
    ReadFile();
    ShowTable();
}

QString TRecordTable::WriteErrorText() { return Qs(LangText(kRecordsNotWritten)); }

QString TRecordTable::CellText(int row, int column) const {
    const TRecordEntry& e = RecordEntries[static_cast<size_t>(row)];
    switch (column) {
        case 0:
            return Qs(e.PlayerName.Str());
        case 1:
            return Number(e.Points);
        case 2:
            return Number(e.GosCount);
        case 3:
            return Number(e.Destroyed);
        case 4:
            return Number(e.Year);
        case 5:
            return Number(e.ResearchSum);
        default:
            return e.Difficulty == 2 ? Number(e.Saves) : QStringLiteral("-");
    }
}

void TRecordTable::ShowTable() {
    for (int row = 0; row < kRecordRows; ++row)
        for (int column = 0; column < kColumns; ++column) Cells[row][column]->setText(CellText(row, column));
}

void TRecordTable::EnterGameAndWrite() {
    if (!ReadFile()) return;
    // Read again and written under the file's lock: another copy of the game may be entering its game too.
    try {
        if (UpdateRecordFile(
                RecordFileName, [](TRecordEntries& entries) { EnterFinishedGame(entries); }, RecordEntries) !=
            0)
            ReportFileError(WriteErrorText());
    } catch (const ERecordFileError& error) {
        ReportDamagedFile(error);
    }
}

void TRecordTable::WebSiteClick() {
    ShowMessageBox(TMsgType::Information,
                   NormalizeLineBreaks(Qs(LangText(kRecordsWwwFirst)) + Qs(LangText(kRecordsWwwSecond))));
}

void TRecordTable::LoadDefaultTable() { RecordEntries = DefaultRecordTable(); }

void TRecordTable::EnterHallOfFame() {
    if (RecordTable) RecordTable->EnterGameAndWrite();
}

void TRecordTable::ShowModalTable() {
    if (RecordTable) ExecModal(*RecordTable);
}

void TRecordTable::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Cup->SetFrameIndex(0);
    Cup->SetAnimate(true);
    HidePreviousScreen();
    FormActivate();
    // The window reaches the screen only after this handler: its box waits until then.
    if (!pictureError_.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { ShowMessageBox(TMsgType::Error, std::exchange(pictureError_, QString())); },
            Qt::QueuedConnection);
}

// The cup plays only while the window shows; a file error is told again next time.
void TRecordTable::hideEvent(QHideEvent* event) {
    fileErrorShown_ = false;
    Cup->SetAnimate(false);
    QDialog::hideEvent(event);
}

}  // namespace kordalt
