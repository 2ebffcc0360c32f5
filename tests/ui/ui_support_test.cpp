// Text conversion, the message box, the modal runner and the game's interface.
#include "ui/ui_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "game/language_file.h"
#include "platform/cp1251.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

TEST(TextTest, Cp1251RoundTripsThroughQt) {
    const std::string cp = Cp("Выбор территории ё Ё №");
    EXPECT_EQ(Qs(cp), QString::fromUtf8("Выбор территории ё Ё №"));
    EXPECT_EQ(Cs(Qs(cp)), cp);
    EXPECT_EQ(Cs(QString::fromUtf8("日本")), "??");
}

TEST(TextTest, LanguageTextFallsBackToTheDefaultWithLineBreaks) {
    std::unique_ptr<TLanguageFile> saved = std::move(LanguageFile);
    EXPECT_EQ(Qs(LangText(TText{3119, "Раз|два"})), QString::fromUtf8("Раз\r\nдва"));
    LanguageFile = std::move(saved);
}

TEST(TextTest, DialogFiltersShowEachPatternOnce) {
    const std::pair<const char*, const char*> cases[] = {
        {"Сохранённые игры (*.kordalt)|*.kordalt|Все файлы (*.*)|*.*",
         "Сохранённые игры (*.kordalt);;Все файлы (*.*)"},
        {"Игры|*.kordalt", "Игры (*.kordalt)"},
        {"Картинки|*.bmp;*.gif", "Картинки (*.bmp *.gif)"},
        {"без шаблона", ""},
        {"", ""},
    };
    for (const auto& [stored, shown] : cases)
        EXPECT_EQ(DialogFilter(QString::fromUtf8(stored)), QString::fromUtf8(shown)) << stored;
}

// The places and the columns of files show their texts whole, however long a
// saved game's name and however narrow Qt's dialog was left the last time
// (it keeps its widths in the user's settings).
TEST(FileDialogTest, PlacesAndColumnsFitWhatTheyShow) {
    ASSERT_TRUE(InstallQtTranslations());
    test::ScratchDir folder;
    test::WriteFile(folder.Path("Кордалия, год 117, перед решающим сражением с Бурбонией.kordalt"), "x");
    QFileDialog dialog;
    FitFileDialog(dialog);
    dialog.setViewMode(QFileDialog::Detail);
    auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* places = dialog.findChild<QListView*>(QStringLiteral("sidebar"));
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    ASSERT_NE(files, nullptr);
    ASSERT_NE(places, nullptr);
    ASSERT_NE(splitter, nullptr);
    splitter->setSizes({40, 560});
    for (int column = 0; column < files->header()->count(); ++column)
        files->header()->resizeSection(column, 30);
    dialog.setDirectory(QString::fromStdString(folder.Dir()));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return files->model()->rowCount(files->rootIndex()) == 1; }, 5000));
    QTest::qWait(50);
    QHeaderView* header = files->header();
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column)) continue;
        SCOPED_TRACE(header->model()->headerData(column, Qt::Horizontal).toString().toStdString());
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << "the title";
        const QModelIndex file = files->model()->index(0, column, files->rootIndex());
        EXPECT_GE(header->sectionSize(column), files->sizeHintForIndex(file).width()) << "the file";
    }
    EXPECT_GE(places->viewport()->width(), places->sizeHintForColumn(0)) << "the places";
}

// Qt's own dialogs speak Russian once the translation is installed.
TEST(TextTest, QtsOwnTextsAreRussian) {
    ASSERT_TRUE(InstallQtTranslations()) << "qt6-translations-l10n is missing";
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const auto russian = [](const QString& text) {
        return std::any_of(text.begin(), text.end(),
                           [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
    };
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
        auto* label = dialog.findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_TRUE(russian(label->text())) << name << ": " << label->text().toStdString();
    }
    const QList<QAbstractButton*> buttons = dialog.findChild<QDialogButtonBox*>()->buttons();
    ASSERT_EQ(buttons.size(), 2);
    for (QAbstractButton* button : buttons)
        EXPECT_TRUE(russian(button->text())) << button->text().toStdString();
}

// Records the boxes and answers them from a script.
struct BoxRecorder {
    std::vector<std::pair<TMsgType, QString>> boxes;
    std::vector<TMsgButton> answers;
    ScopedMessageBoxHook hook{[this](TMsgType type, const QString& text) {
        boxes.emplace_back(type, text);
        TMsgButton answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }};
};

TEST(MessageBoxTest, HookAnswersEveryBox) {
    BoxRecorder recorder;
    recorder.answers = {TMsgButton::Yes, TMsgButton::No, TMsgButton::Ok};
    EXPECT_TRUE(AskYesNo(QStringLiteral("q1")));
    EXPECT_EQ(ShowMessageBox(TMsgType::Confirmation, QStringLiteral("q2")), TMsgButton::No);
    EXPECT_EQ(ShowMessageBox(TMsgType::Error, QStringLiteral("e")), TMsgButton::Ok);
    ASSERT_EQ(recorder.boxes.size(), 3u);
    EXPECT_EQ(recorder.boxes[0], std::make_pair(TMsgType::Confirmation, QStringLiteral("q1")));
    EXPECT_EQ(recorder.boxes[2], std::make_pair(TMsgType::Error, QStringLiteral("e")));
}

TEST(MessageBoxTest, HooksNestAndRestore) {
    BoxRecorder outer;
    outer.answers = {TMsgButton::Yes};
    {
        BoxRecorder inner;
        inner.answers = {TMsgButton::No};
        EXPECT_FALSE(AskYesNo(QStringLiteral("inner")));
    }
    EXPECT_TRUE(AskYesNo(QStringLiteral("outer")));
    ASSERT_EQ(outer.boxes.size(), 1u);
    EXPECT_EQ(outer.boxes[0].second, QStringLiteral("outer"));
}

// Presses the button captioned `caption` of the next message box; a box still up
// after two seconds is closed, so no test waits for ever.
class BoxPresser {
public:
    explicit BoxPresser(const QString& caption) {
        QTimer::singleShot(0, &guard_, [caption] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            for (QAbstractButton* button : box->buttons())
                if (button->text() == caption) button->click();
        });
        QTimer::singleShot(2000, &guard_, [] {
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
        });
    }

private:
    QObject guard_;  // its timers end with it
};

TEST(MessageBoxTest, RealBoxReturnsTheButtonPressed) {
    const std::vector<std::tuple<TMsgType, const char*, TMsgButton>> cases = {
        {TMsgType::Confirmation, "Нет", TMsgButton::No},
        {TMsgType::Confirmation, "Да", TMsgButton::Yes},
        {TMsgType::Warning, "OK", TMsgButton::Ok},
    };
    for (const auto& [type, caption, button] : cases) {
        BoxPresser presser(QString::fromUtf8(caption));
        EXPECT_EQ(ShowMessageBox(type, QStringLiteral("?")), button) << caption;
    }
}

TEST(ModalTest, ExecModalReturnsTheResultAndActivatesTheWindowBeneath) {
    QDialog outer, inner;
    std::vector<std::string> log;
    SetActivationHandler(&outer, [&] { log.push_back("outer"); });
    SetActivationHandler(&inner, [&] { log.push_back("inner"); });
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(TopWindow(), &outer);
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(TopWindow(), &inner);
            inner.done(5);
        });
        EXPECT_EQ(ExecModal(inner), 5);
        outer.done(3);
    });
    QObject guard;
    QTimer::singleShot(3000, &guard, [&] { outer.done(0); });
    EXPECT_EQ(ExecModal(outer), 3);
    EXPECT_EQ(log, std::vector<std::string>{"outer"});
    EXPECT_NE(TopWindow(), &outer);
}

TEST(ModalTest, BoxesOverAModalDialogActivateIt) {
    QDialog dialog;
    int activations = 0;
    SetActivationHandler(&dialog, [&] { ++activations; });
    BoxRecorder recorder;
    recorder.answers = {TMsgButton::Yes, TMsgButton::Ok};
    ScopedModalHook hook([&](QDialog& d) {
        EXPECT_EQ(&d, &dialog);
        EXPECT_TRUE(AskYesNo(QStringLiteral("sure?")));
        EXPECT_EQ(activations, 1);
        ShowMessageBox(TMsgType::Information, QStringLiteral("done"));
        EXPECT_EQ(activations, 2);
        return 2;
    });
    EXPECT_EQ(ExecModal(dialog), 2);
    EXPECT_EQ(dialog.result(), 2);
    SetActivationHandler(&dialog, {});
    ActivateWindow(&dialog);
    EXPECT_EQ(activations, 2);
}

TEST(ModalTest, OutsideAnyDialogTheMainMenuIsBeneath) {
    QWidget mainForm;
    mainForm.setObjectName(QStringLiteral("MainForm"));
    mainForm.show();
    int activations = 0;
    SetActivationHandler(&mainForm, [&] { ++activations; });
    BoxRecorder recorder;
    recorder.answers = {TMsgButton::Ok};
    ShowMessageBox(TMsgType::Warning, QStringLiteral("!"));
    EXPECT_EQ(activations, 1);
}

TEST(GameUiTest, MessagesBecomePlainBoxesAndProgressGoesToTheHandlers) {
    BoxRecorder recorder;
    recorder.answers = {TMsgButton::Ok};
    ScopedGameUi installed(QtGameUi());
    ShowMessage(Cp("Игра окончена.\r\nНичья"));
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0],
              std::make_pair(TMsgType::Plain, QString::fromUtf8("Игра окончена.\r\nНичья")));

    GameUi().StartProgress(TProgressBar::Battles, 7);  // no handlers yet: dropped
    std::vector<std::pair<int, int>> calls;
    QtGameUi().OnStartProgress = [&](TProgressBar bar, int max) {
        calls.emplace_back(static_cast<int>(bar), max);
    };
    QtGameUi().OnSetProgress = [&](TProgressBar bar, int pos) {
        calls.emplace_back(static_cast<int>(bar), -pos);
    };
    GameUi().StartProgress(TProgressBar::ComputerTurns, 19);
    GameUi().SetProgress(TProgressBar::ComputerTurns, 4);
    QtGameUi().OnStartProgress = nullptr;
    QtGameUi().OnSetProgress = nullptr;
    const std::vector<std::pair<int, int>> expected = {{static_cast<int>(TProgressBar::ComputerTurns), 19},
                                                       {static_cast<int>(TProgressBar::ComputerTurns), -4}};
    EXPECT_EQ(calls, expected);
}

}  // namespace
}  // namespace kordalt
