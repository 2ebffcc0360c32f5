// Mouse events with explicit button states, for controls that track presses.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <functional>

namespace kordalt::test {

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                      Qt::MouseButtons held = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline void Press(QWidget* target, QPoint at) { SendMouse(target, QEvent::MouseButtonPress, at); }
inline void MoveHeld(QWidget* target, QPoint at) { SendMouse(target, QEvent::MouseMove, at, Qt::NoButton); }
inline void Release(QWidget* target, QPoint at) {
    SendMouse(target, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void Click(QWidget* target, QPoint at) {
    Press(target, at);
    Release(target, at);
}

// Enter in an edit of type Edit presses the form's default button and Esc
// cancels the form; neither changes the text.
template <typename Edit>
void ExpectDialogKeysReachTheForm(std::function<void(Edit&)> setUp = {}) {
    struct Case {
        Qt::Key key;
        int result;
    } cases[] = {{Qt::Key_Return, QDialog::Accepted}, {Qt::Key_Escape, QDialog::Rejected}};
    for (const Case& c : cases) {
        QDialog form;
        auto* edit = new Edit(&form);
        if (setUp) setUp(*edit);
        auto* ok = new QPushButton(QStringLiteral("OK"), &form);
        ok->move(0, 40);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &form, &QDialog::accept);
        edit->setText(QStringLiteral("12"));
        form.show();
        QApplication::setActiveWindow(&form);
        edit->setFocus();
        form.setResult(-1);
        QTest::keyClick(edit, c.key);
        EXPECT_EQ(form.result(), c.result) << c.key;
        EXPECT_EQ(edit->text(), QStringLiteral("12"));
    }
}

}  // namespace kordalt::test
