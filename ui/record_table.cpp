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

    ExLabel1 = new TExLabel(this);
    ExLabel1->setObjectName(QStringLiteral("ExLabel1"));
    ExLabel1->SetAutoSize(false);
    ExLabel1->setGeometry(20, 10, 540, 50);
    ExLabel1->SetAlignment(taCenter);
    ExLabel1->SetTransparent(true);
    ExLabel1->SetFontColor(clYellow);
    ExLabel1->SetShadowColor(clMaroon);
    ExLabel1->SetShadowSize(2);
    QFont title = ExLabel1->font();
    title.setPointSize(22);
    title.setBold(true);
    ExLabel1->setFont(title);

    const Qt::Alignment header = Qt::AlignHCenter | Qt::AlignBottom;
    Label60 = MakeLabel(this, QStringLiteral("Label60"), {kColumnLeft[0], 66, kColumnWidth[0], 40}, clSilver,
                        header);
    Label61 = MakeLabel(this, QStringLiteral("Label61"), {kColumnLeft[1], 66, kColumnWidth[1], 40}, clSilver,
                        header);
    Label62 = MakeLabel(this, QStringLiteral("Label62"), {kColumnLeft[2], 66, kColumnWidth[2], 40}, clSilver,
                        header);
    Label64 = MakeLabel(this, QStringLiteral("Label64"), {kColumnLeft[3], 66, kColumnWidth[3], 40}, clSilver,
                        header);
    Label63 = MakeLabel(this, QStringLiteral("Label63"), {kColumnLeft[4], 66, kColumnWidth[4], 40}, clSilver,
                        header);
    Label65 = MakeLabel(this, QStringLiteral("Label65"), {kColumnLeft[5], 66, kColumnWidth[5], 40}, clSilver,
                        header);
    Label77 = MakeLabel(this, QStringLiteral("Label77"), {kColumnLeft[6], 66, kColumnWidth[6], 40}, clSilver,
                        header);

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
    Label75 = MakeLabel(this, QStringLiteral("Label75"), {kColumnLeft[0], lastTop - 22, 300, 20}, clAqua,
                        Qt::AlignLeft | Qt::AlignVCenter);

    static constexpr bool kVisible[8] = {true, false, false, true, false, false, true, false};
    for (int i = 0; i < 8; ++i) {
        auto* button = new TExSpeedButton(this);
        button->setObjectName(QStringLiteral("SpeedButton%1").arg(i + 1));
        button->setVisible(kVisible[i]);
        SpeedButtons[static_cast<size_t>(i)] = button;
    }
    SpeedButtons[0]->setGeometry(500, 430, 130, 40);
    SpeedButtons[0]->SetLayout(blGlyphLeft);
    SpeedButtons[3]->setGeometry(10, 440, 30, 30);
    SpeedButtons[3]->SetCaption(QStringLiteral("Х"));
    SpeedButtons[3]->setToolTip(QStringLiteral("Рекорды по-умолчанию"));
    SpeedButtons[6]->setGeometry(200, 440, 60, 30);
    SpeedButtons[6]->SetCaption(QStringLiteral("WWW"));
    Label59 = MakeLabel(this, QStringLiteral("Label59"), {50, 440, 145, 30}, clSilver,
                        Qt::AlignRight | Qt::AlignVCenter);

    const std::array<void (TRecordTable::*)(), 8> handlers = {
        &TRecordTable::CloseClick,   &TRecordTable::WriteFile,        &TRecordTable::ReadAndIgnore,
        &TRecordTable::ResetClick,   &TRecordTable::ShowTable,        &TRecordTable::EnterGameAndWrite,
        &TRecordTable::WebSiteClick, &TRecordTable::LoadDefaultTable,
    };
    for (size_t i = 0; i < handlers.size(); ++i)
        connect(SpeedButtons[i], &TExSpeedButton::OnClick, this,
                [this, handler = handlers[i]] { (this->*handler)(); });

    BuildAnimation();
    Localize();
    LoadGlyphs();
    SetActivationHandler(this, [this] { FormActivate(); });
}

void TRecordTable::BuildAnimation() {
    ExGIFAnimator1 = new TExGIFAnimator(this);
    ExGIFAnimator1->setObjectName(QStringLiteral("ExGIFAnimator1"));
    ExGIFAnimator1->SetAutoSize(false);
    ExGIFAnimator1->setGeometry(kWidth - kAnimationWidth, 4, kAnimationWidth, kAnimationHeight);
    ExGIFAnimator1->SetStretch(true);
    ExGIFAnimator1->SetLoop(true);
    // A missing picture leaves the place empty; a damaged one too, and it is
    // reported once, when the window first shows.
    const std::string path = ProgramDirectory() + kAnimationFile;
    if (!std::filesystem::exists(path)) return;
    try {
        ExGIFAnimator1->LoadFromFile(QString::fromStdString(path));
    } catch (const std::exception& error) {
        ExGIFAnimator1->SetImage(nullptr);
        pictureError_ = QStringLiteral("Картинка %1 не загружена: %2")
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
    ExLabel1->SetCaption(Qs(LangText(kRecordsTitle)));
    SpeedButtons[0]->SetCaption(Qs(LangText(kRecordsClose)));
    Label59->setText(Qs(LangText(kRecordsResetPointer)));
    const std::array<std::pair<QLabel*, TText>, 7> headers = {{
        {Label60, kRecordsHeaders[0]},
        {Label61, kRecordsHeaders[1]},
        {Label62, kRecordsHeaders[2]},
        {Label64, kRecordsHeaders[3]},
        {Label63, kRecordsHeaders[4]},
        {Label65, kRecordsHeaders[5]},
        {Label77, kRecordsHeaders[6]},
    }};
    for (const auto& [label, text] : headers) label->setText(NormalizeLineBreaks(Qs(LangText(text))));
    Label75->setText(Qs(LangText(kRecordsLastGame)));
    ApplyLanguageFont(this);
}

void TRecordTable::LoadGlyphs() {
    if (!PictureList) return;
    QImage glyph;
    PictureList->LoadGlyph(glyph, 13);
    SpeedButtons[0]->SetGlyph(glyph);
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
    ReportFileError(
        QStringLiteral("Файл рекордов %1 повреждён или не читается. Показана таблица по умолчанию.")
            .arg(QString::fromStdString(RecordFileName)));
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
    ExGIFAnimator1->SetFrameIndex(0);
    ExGIFAnimator1->SetAnimate(true);
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
    ExGIFAnimator1->SetAnimate(false);
    QDialog::hideEvent(event);
}

}  // namespace kordalt
