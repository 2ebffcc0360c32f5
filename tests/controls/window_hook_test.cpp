#include "controls/window_hook.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>
#include <string>
#include <vector>

#include "controls/widget_test_support.h"

namespace kordalt {
namespace {

// An edit that records the keys it sees.
struct RecordingEdit : QLineEdit {
    std::vector<std::string>* log;
    explicit RecordingEdit(std::vector<std::string>* l) : log(l) {}
    void keyPressEvent(QKeyEvent* event) override {
        log->push_back("edit " + event->text().toStdString());
        QLineEdit::keyPressEvent(event);
    }
    // A new native window in place of the old one.
    void Recreate() {
        winId();
        destroy();
        create();
    }
};

// A hook on `edit` that logs key presses as "<name> before|after <key>" and
// stops them at `stopAt` ("before" or "after").
std::unique_ptr<TExWindowHook> LoggingHook(QWidget* edit, std::vector<std::string>& log,
                                           const std::string& name, const std::string& stopAt = "") {
    auto hook = std::make_unique<TExWindowHook>();
    auto handler = [&log, name, stopAt](const std::string& when) {
        return [&log, name, stopAt, when](TExWindowHook*, QEvent* event, bool& handled) {
            if (event->type() != QEvent::KeyPress) return;
            log.push_back(name + " " + when + " " + static_cast<QKeyEvent*>(event)->text().toStdString());
            if (stopAt == when) handled = true;
        };
    };
    hook->BeforeMessage = handler("before");
    hook->AfterMessage = handler("after");
    hook->SetWinControl(edit);
    return hook;
}

TEST(WindowHook, ListenersSeeEventsBeforeAndAfterTheWidgetLastAddedFirst) {
    struct Case {
        const char* name;
        std::string stopA, stopB;
        std::vector<std::string> log;
        const char* text;
    } cases[] = {
        {"both pass", "", "", {"b before x", "a before x", "edit x", "b after x", "a after x"}, "x"},
        {"b stops before", "", "before", {"b before x"}, ""},
        {"a stops before", "before", "", {"b before x", "a before x"}, ""},
        {"b stops after", "", "after", {"b before x", "a before x", "edit x", "b after x"}, "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> log;
        auto* edit = new RecordingEdit(&log);
        test::TestWindow window;
        edit->setParent(&window.window);
        auto a = LoggingHook(edit, log, "a", c.stopA);
        auto b = LoggingHook(edit, log, "b", c.stopB);
        EXPECT_EQ(a->WinControl(), edit);
        QTest::keyClick(edit, Qt::Key_X);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(edit->text().toStdString(), c.text);
    }
}

TEST(WindowHook, InactiveOrRemovedListenersSeeNothingAndAnEmptyHookIsFreedLater) {
    std::vector<std::string> log;
    test::TestWindow window;
    auto* edit = new RecordingEdit(&log);
    edit->setParent(&window.window);
    auto a = LoggingHook(edit, log, "a");
    ASSERT_NE(THookList::Existing(), nullptr);
    // Hooks that earlier tests left empty are freed first, so only this one is counted.
    QCoreApplication::processEvents();
    const int hooks = THookList::Existing()->Count();
    a->SetActive(false);
    QTest::keyClick(edit, Qt::Key_Y);
    EXPECT_EQ(log, std::vector<std::string>{"edit y"});
    EXPECT_EQ(a->WinControl(), edit);  // kept while inactive
    QCoreApplication::processEvents();
    EXPECT_EQ(THookList::Existing()->Count(), hooks - 1);
    a->SetActive(true);
    log.clear();
    QTest::keyClick(edit, Qt::Key_Z);
    EXPECT_EQ(log, (std::vector<std::string>{"a before z", "edit z", "a after z"}));
    a.reset();
    log.clear();
    QTest::keyClick(edit, Qt::Key_W);
    EXPECT_EQ(log, std::vector<std::string>{"edit w"});
}

TEST(WindowHook, DeletionAlwaysReachesTheWidgetAndClearsTheControl) {
    auto* edit = new QLineEdit;
    bool deleted = false;
    QObject::connect(edit, &QObject::destroyed, [&] { deleted = true; });
    TExWindowHook hook;
    int seen = 0;
    hook.BeforeMessage = [&](TExWindowHook*, QEvent* event, bool& handled) {
        if (event->type() == QEvent::DeferredDelete) ++seen;
        handled = true;  // refuses everything, deletion included
    };
    hook.SetWinControl(edit);
    edit->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(hook.WinControl(), nullptr);
}

TEST(WindowHook, ANewNativeWindowKeepsTheHook) {
    std::vector<std::string> log;
    test::TestWindow window;
    auto* edit = new RecordingEdit(&log);
    edit->setParent(&window.window);
    auto a = LoggingHook(edit, log, "a");
    window.ShowActive();
    edit->Recreate();
    edit->show();
    QTest::keyClick(edit, Qt::Key_Q);
    EXPECT_EQ(log, (std::vector<std::string>{"a before q", "edit q", "a after q"}));
}

TEST(WindowHook, MovingToAnotherWidget) {
    std::vector<std::string> log;
    test::TestWindow window;
    auto* first = new RecordingEdit(&log);
    auto* second = new RecordingEdit(&log);
    first->setParent(&window.window);
    second->setParent(&window.window);
    auto a = LoggingHook(first, log, "a");
    a->SetWinControl(second);
    QTest::keyClick(first, Qt::Key_1);
    QTest::keyClick(second, Qt::Key_2);
    EXPECT_EQ(log, (std::vector<std::string>{"edit 1", "a before 2", "edit 2", "a after 2"}));
}

}  // namespace
}  // namespace kordalt
