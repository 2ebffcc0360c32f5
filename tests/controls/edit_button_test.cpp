#include "controls/edit_button.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "controls/widget_test_support.h"
#include "input_test_support.h"

namespace kordalt {
namespace {

// Runs `answer` on the file dialog once it is shown; a dialog left open after
// five seconds is rejected so that the test ends.
void AnswerDialog(TFilenameEdit* edit, std::function<void(QFileDialog&)> answer) {
    auto* poll = new QTimer(edit);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, edit, [=] {
        QFileDialog* dialog = edit->Dialog();
        if (dialog != nullptr && dialog->isVisible()) {
            poll->deleteLater();
            answer(*dialog);
        } else if (started->elapsed() > 5000) {
            poll->deleteLater();
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        }
    });
    poll->start(10);
}

void MakeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

struct EditFixture {
    test::TestWindow window{QSize(300, 80)};
    TFilenameEdit* edit;
    EditFixture() {
        edit = new TFilenameEdit(&window.window);
        edit->resize(200, 21);
        edit->SetFilter(QString::fromUtf8("Все файлы (*.*)|*.*|Обычный текст (*.txt)|*.txt"));
        edit->SetFilterIndex(2);
        edit->SetDialogTitle(QString::fromUtf8("Обзор"));
        window.ShowActive();
    }
    void ClickButton() { test::Click(edit->Button(), {5, 5}); }
};

TEST(FilenameEdit, DialogChoiceWithABlankIsQuotedInTheTextButNotInTheName) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/my logs/chat log.txt");
    MakeFile(path);
    EditFixture f;
    f.edit->setText(QStringLiteral("C:\\"));
    QString title, filter;
    AnswerDialog(f.edit, [&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        filter = dialog.selectedNameFilter();
        dialog.selectFile(path);
        static_cast<QDialog&>(dialog).accept();
    });
    f.ClickButton();
    EXPECT_EQ(title, QString::fromUtf8("Обзор"));
    EXPECT_EQ(filter, QString::fromUtf8("Обычный текст (*.txt)"));
    EXPECT_EQ(f.edit->text(), u'"' + path + u'"');
    EXPECT_EQ(f.edit->FileName(), path);
    EXPECT_TRUE(QFile(f.edit->FileName()).open(QIODevice::ReadOnly));
    EXPECT_EQ(f.edit->InitialDir(), dir.path() + QStringLiteral("/my logs"));
    EXPECT_EQ(f.window.window.focusWidget(), f.edit);
}

TEST(FilenameEdit, DialogStartsFromTheTextsDirectoryWhenItExists) {
    QTemporaryDir dir, previous;
    struct Case {
        QString text;
        QString directory;  // where the dialog opens
    } cases[] = {
        {dir.path() + QStringLiteral("/new.txt"), dir.path()},
        {QStringLiteral("/no/such/dir/new.txt"), previous.path()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EditFixture f;
        f.edit->SetInitialDir(previous.path());
        f.edit->setText(c.text);
        QString opened, chosen;
        AnswerDialog(f.edit, [&](QFileDialog& dialog) {
            opened = dialog.directory().path();
            chosen = dialog.selectedFiles().value(0);
            dialog.reject();
        });
        f.ClickButton();
        EXPECT_EQ(opened, c.directory);
        EXPECT_TRUE(chosen.endsWith(QStringLiteral("/new.txt"))) << chosen.toStdString();
        EXPECT_EQ(f.edit->text(), c.text);  // cancelled: unchanged
    }
}

TEST(FilenameEdit, DialogEventsCanChangeOrStopIt) {
    EditFixture f;
    bool shown = false;
    f.edit->OnBeforeDialog = [](TFileDirEdit*, QString&, bool& action) { action = false; };
    f.edit->OnAfterDialog = [&](TFileDirEdit*, QString& name, bool& action) {
        shown = true;
        EXPECT_FALSE(action);
        action = true;
        name = QStringLiteral("/tmp/from handler.txt");
    };
    f.ClickButton();
    EXPECT_TRUE(shown);
    EXPECT_EQ(f.edit->text(), QStringLiteral("\"/tmp/from handler.txt\""));
}

TEST(FilenameEdit, AltDownOpensTheDialogUnlessReadOnly) {
    EditFixture f;
    f.edit->setFocus();
    int opened = 0;
    AnswerDialog(f.edit, [&](QFileDialog& dialog) {
        ++opened;
        dialog.reject();
    });
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(opened, 1);
    QSignalSpy clicks(f.edit, &TCustomComboEdit::OnButtonClick);
    f.edit->SetReadOnly(true);
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    f.ClickButton();
    EXPECT_EQ(clicks.count(), 0);
}

TEST(FilenameEdit, EnterAndEscapeReachTheForm) { test::ExpectDialogKeysReachTheForm<TFilenameEdit>(); }

TEST(FilenameEdit, FileNameWrites) {
    EditFixture f;
    struct Case {
        const char* name;
        bool valid;
        const char* text;
    } cases[] = {
        {"log.txt", true, "log.txt"},
        {"/tmp/chat log.txt", true, "\"/tmp/chat log.txt\""},
        {"\"/tmp/chat log.txt\"", true, "\"/tmp/chat log.txt\""},
        {"", true, ""},
        {"a|b.txt", false, ""},
        {"log<1>.txt", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.edit->setText(QStringLiteral("before"));
        if (c.valid) {
            f.edit->SetFileName(QString::fromUtf8(c.name));
            EXPECT_EQ(f.edit->text().toStdString(), c.text);
        } else {
            try {
                f.edit->SetFileName(QString::fromUtf8(c.name));
                ADD_FAILURE() << "no exception";
            } catch (const EComboEditError& e) {
                EXPECT_EQ(std::string(e.what()), std::string("Invalid file name - ") + c.name);
            }
            EXPECT_EQ(f.edit->text(), QStringLiteral("before"));
        }
    }
}

TEST(FilenameEdit, FileNameReads) {
    QTemporaryDir dir;
    const QString existing = dir.path() + QStringLiteral("/a b.txt");
    MakeFile(existing);
    struct Case {
        QString text, name;
    } cases[] = {
        {existing, existing},
        {u'"' + existing + u'"', existing},
        {dir.path() + QStringLiteral("/new file.txt"), dir.path() + QStringLiteral("/new file.txt")},
        {QStringLiteral("/no/such dir/x.txt"), QStringLiteral("/no/such")},
        {QString(), QString()},
    };
    EditFixture f;
    for (const Case& c : cases) {
        f.edit->setText(c.text);
        EXPECT_EQ(f.edit->FileName(), c.name) << c.text.toStdString();
    }
}

void Drop(QWidget* target, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

TEST(FilenameEdit, DroppedFilesFromTheDesktop) {
    EditFixture f;
    QSignalSpy drops(f.edit, &TFileDirEdit::OnDropFiles);
    const QStringList files{QStringLiteral("/tmp/one.txt"), QStringLiteral("/tmp/two files.txt")};
    Drop(f.edit, files);
    EXPECT_EQ(f.edit->text(), QString());  // not accepting files
    f.edit->SetAcceptFiles(true);
    Drop(f.edit, {files[1], files[0]});
    EXPECT_EQ(f.edit->FileName(), files[1]);
    EXPECT_TRUE(f.edit->Files().isEmpty());
    f.edit->SetDialogOptions(ofAllowMultiSelect);
    Drop(f.edit, files);
    EXPECT_EQ(f.edit->FileName(), files[0]);
    EXPECT_EQ(f.edit->Files(), files);
    EXPECT_EQ(drops.count(), 2);
}

TEST(FilenameEdit, ButtonSitsInTheRightEnd) {
    EditFixture f;
    EXPECT_EQ(f.edit->ButtonWidth(), 21);
    EXPECT_EQ(f.edit->Button()->Glyph().size(), QSize(14, 12));
    const QRect button(f.edit->Button()->mapTo(f.edit, QPoint()), f.edit->Button()->size());
    EXPECT_EQ(button.right(), f.edit->width() - 3);
    EXPECT_EQ(button.top(), 2);
    EXPECT_EQ(button.height(), f.edit->height() - 4);
    f.edit->SetGlyphKind(gkEllipsis);
    const QImage dots = f.edit->Button()->Glyph();
    EXPECT_EQ(dots.size(), QSize(15, 4));
    // Dots at 1, 6 and 11: (15 - 6 - 2 x 3) div 2 and spacing 3.
    EXPECT_EQ(test::InkBox(dots, test::Exactly(clBlack)), QRect(1, 1, 12, 2));
}

TEST(FilenameEdit, HistoryIsOfferedOnlyInTheComboBoxStyle) {
    for (const TFileEditStyle style : {fsEdit, fsComboBox}) {
        EditFixture f;
        const QStringList history{QDir::tempPath(), QDir::homePath()};
        f.edit->SetHistoryList(history);
        f.edit->SetFileEditStyle(style);
        QStringList offered{QStringLiteral("unset")};
        AnswerDialog(f.edit, [&](QFileDialog& dialog) {
            offered = dialog.history();
            static_cast<QDialog&>(dialog).reject();
        });
        f.ClickButton();
        // The dialog adds the folder it shows to the history it was given.
        EXPECT_EQ(offered.contains(QDir::homePath()), style == fsComboBox);
        if (style == fsComboBox) EXPECT_EQ(offered.mid(0, 2), history);
    }
}

TEST(FilenameEdit, LongAndShortNamesAreTheMatchingFilesName) {
    QTemporaryDir dir;
    MakeFile(dir.path() + QStringLiteral("/Chat Log.txt"));
    MakeFile(dir.path() + QStringLiteral("/b.txt"));
    struct Case {
        QString text;
        const char* name;
    } cases[] = {
        {dir.path() + QStringLiteral("/Chat Log.txt"), "Chat Log.txt"},
        {dir.path() + QStringLiteral("/*.txt"), "Chat Log.txt"},  // the first in name order
        {dir.path() + QStringLiteral("/b.t?t"), "b.txt"},
        {dir.path() + QStringLiteral("/none.txt"), ""},
    };
    EditFixture f;
    for (const Case& c : cases) {
        f.edit->setText(c.text);
        EXPECT_EQ(f.edit->LongName().toStdString(), c.name) << c.text.toStdString();
        EXPECT_EQ(f.edit->ShortName(), f.edit->LongName());
    }
}

// A combo edit whose popup is a list of words; its value is the current word.
class WordComboEdit : public TCustomComboEdit {
public:
    explicit WordComboEdit(QWidget* parent) : TCustomComboEdit(parent), list(new QListWidget) {
        list->addItems({QStringLiteral("один"), QStringLiteral("два"), QStringLiteral("три")});
        list->resize(80, 60);
        SetPopup(list);
        SetGlyphKind(gkDropDown);
    }
    QListWidget* list;
    int changes = 0;

protected:
    void SendValueToPopup(const QString& value) override {
        const auto found = list->findItems(value, Qt::MatchExactly);
        list->setCurrentItem(found.isEmpty() ? nullptr : found.first());
    }
    QString ValueFromPopup() const override {
        return list->currentItem() ? list->currentItem()->text() : QString();
    }
    bool AcceptPopup(const QString& value) override { return !value.isEmpty(); }
    void PopupChangeHook() override { ++changes; }
};

TEST(ComboEdit, PopupOpensWithTheValueAndClosesAcceptingOrNot) {
    struct Case {
        const char* name;
        std::function<void(WordComboEdit&)> close;
        const char* text;
        int clicks;  // OnButtonClick: the click key is a click; the button's press only closes
    } cases[] = {
        {"enter accepts", [](WordComboEdit& e) { QTest::keyClick(&e, Qt::Key_Return); }, "три", 1},
        {"escape keeps", [](WordComboEdit& e) { QTest::keyClick(&e, Qt::Key_Escape); }, "два", 1},
        {"button accepts",
         [](WordComboEdit& e) {
             test::Click(e.Button(), {3, 3});
         },
         "три", 1},
        {"click key accepts", [](WordComboEdit& e) { QTest::keyClick(&e, Qt::Key_Down, Qt::AltModifier); },
         "три", 2},
        {"focus loss keeps", [](WordComboEdit& e) { e.clearFocus(); }, "два", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestWindow window;
        auto* edit = new WordComboEdit(&window.window);
        edit->setGeometry(10, 10, 150, 21);
        edit->setText(QStringLiteral("два"));
        window.ShowActive();
        edit->setFocus();
        QSignalSpy clicks(edit, &TCustomComboEdit::OnButtonClick);
        QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(edit->PopupVisible());
        EXPECT_EQ(clicks.count(), 1);
        EXPECT_TRUE(edit->list->isVisible());
        EXPECT_EQ(edit->list->currentRow(), 1) << "the popup shows the edit's value";
        // Right-aligned below the edit; the text is not typed into meanwhile.
        EXPECT_EQ(edit->list->geometry().top(), edit->mapToGlobal(QPoint(0, edit->height())).y());
        EXPECT_EQ(edit->list->geometry().right(), edit->mapToGlobal(QPoint(edit->width() - 1, 0)).x());
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_TRUE(edit->hasFocus());
        edit->list->setCurrentRow(2);
        c.close(*edit);
        EXPECT_FALSE(edit->PopupVisible());
        EXPECT_FALSE(edit->list->isVisible());
        EXPECT_FALSE(edit->isReadOnly());
        EXPECT_EQ(edit->text().toStdString(), c.text);
        EXPECT_EQ(edit->changes, std::string(c.text) == "три" ? 1 : 0);
        EXPECT_EQ(clicks.count(), c.clicks);
    }
}

TEST(ComboEdit, WithoutAPopupEnterAndEscapeReachTheForm) {
    test::ExpectDialogKeysReachTheForm<TCustomComboEdit>();
}

}  // namespace
}  // namespace kordalt
