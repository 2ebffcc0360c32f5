#include "controls/spin_edit.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QSignalSpy>

#include "controls/widget_test_support.h"
#include "input_test_support.h"

namespace kordalt {
namespace {

TEST(SpinEdit, FormatsByValueType) {
    struct Case {
        long double value;
        TValueType type;
        int decimals;
        const char* text;
    } cases[] = {
        {2.5L, vtInteger, 0, "2"},
        {3.5L, vtInteger, 0, "4"},
        {-2.5L, vtInteger, 0, "-2"},
        {1e12L, vtInteger, 0, "2147483647"},
        {-1e12L, vtInteger, 0, "-2147483648"},
        {255, vtHex, 0, "FF"},
        {0, vtHex, 0, "0"},
        {-1, vtHex, 0, "FFFFFFFF"},
        {10.5L, vtHex, 0, "A"},
        {0.125L, vtFloat, 2, "0.13"},
        {1.005, vtFloat, 2, "1.01"},  // the double's 15 digits: 1.00500...
        {99.995, vtFloat, 2, "100.00"},
        {2.5L, vtFloat, 0, "3"},
        {-0.001L, vtFloat, 2, "0.00"},
        {-1.25L, vtFloat, 1, "-1.3"},
        {123.456L, vtFloat, 4, "123.4560"},
        {0.00049L, vtFloat, 3, "0.000"},
        {1e15L, vtFloat, 2, "1.00000000000000E+015"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSpinValue(c.value, c.type, c.decimals).toStdString(), c.text)
            << static_cast<double>(c.value) << " type " << c.type;
    }
}

TEST(SpinEdit, ParsesByValueType) {
    struct Case {
        const char* text;
        TValueType type;
        bool parses;
        long double value;
    } cases[] = {
        {"42", vtInteger, true, 42},
        {"  -7", vtInteger, true, -7},
        {"+0", vtInteger, true, 0},
        {"$1F", vtInteger, true, 31},
        {"2147483647", vtInteger, true, 2147483647.0L},
        {"-2147483648", vtInteger, true, -2147483648.0L},
        {"2147483648", vtInteger, false, 0},
        {"99999999999999999999", vtInteger, false, 0},
        {"4x", vtInteger, false, 0},
        {"", vtInteger, false, 0},
        {"1.5", vtInteger, false, 0},
        {"7 ", vtInteger, false, 0},
        {"ff", vtHex, true, 255},
        {"FFFFFFFF", vtHex, true, -1},
        {"100000000", vtHex, false, 0},
        {"g1", vtHex, false, 0},
        {"1.5", vtFloat, true, 1.5L},
        {" 2.5 ", vtFloat, true, 2.5L},
        {"-1e3", vtFloat, true, -1000},
        {"inf", vtFloat, false, 0},
        {"1,5", vtFloat, false, 0},
        {"", vtFloat, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" type " << c.type);
        long double value = -12345;
        EXPECT_EQ(ParseSpinText(QString::fromUtf8(c.text), c.type, value), c.parses);
        if (c.parses) {
            EXPECT_EQ(value, c.value);
        }
    }
}

TEST(SpinEdit, UnparsableTextReadsAsMinValue) {
    TExSpinEdit edit;
    edit.SetMinValue(1.7L);
    edit.SetMaxValue(5);
    edit.setText(QStringLiteral("abc"));
    EXPECT_EQ(edit.Value(), 1);
    EXPECT_EQ(edit.GetSpinIntValue(), 1);
    edit.SetValueType(vtFloat);
    EXPECT_EQ(edit.Value(), 1.7L);
}

TEST(SpinEdit, StepsAtAndInsideTheLimits) {
    struct Case {
        long double minValue, maxValue, increment;
        const char* start;
        bool up;
        const char* text;
        int changes;
    } cases[] = {
        {0, 999999, 1, "0", false, "0", 0},  // the science page at 0: no change
        {0, 999999, 1, "0", true, "1", 1},  {0, 999999, 1, "999999", true, "999999", 0},
        {1, 2, 1, "1", true, "2", 1},       {0, 0, 1, "0", false, "-1", 1},  // equal bounds: no clamping
        {0, 0, 5, "abc", true, "5", 1},                                      // unparsable reads as MinValue
        {0, 10, 4, "9", true, "10", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << (c.up ? " up" : " down"));
        TExSpinEdit edit;
        edit.SetMinValue(c.minValue);
        edit.SetMaxValue(c.maxValue);
        edit.SetIncrement(c.increment);
        edit.setText(QString::fromUtf8(c.start));
        QSignalSpy change(&edit, &TExSpinEdit::OnChange), top(&edit, &TExSpinEdit::OnTopClick),
            bottom(&edit, &TExSpinEdit::OnBottomClick);
        if (c.up)
            edit.StepUp();
        else
            edit.StepDown();
        EXPECT_EQ(edit.text().toStdString(), c.text);
        EXPECT_EQ(change.count(), c.changes);
        EXPECT_EQ(top.count(), c.up ? 1 : 0);
        EXPECT_EQ(bottom.count(), c.up ? 0 : 1);
        EXPECT_EQ(edit.isModified(), c.changes > 0);
    }
}

TEST(SpinEdit, WritingTheSameTextFiresNoChange) {
    TExSpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(999999);
    QSignalSpy change(&edit, &TExSpinEdit::OnChange);
    edit.SetSpinIntValue(5);
    edit.SetSpinIntValue(5);
    edit.SetValue(5.2L);  // rounds to the same text
    EXPECT_EQ(change.count(), 1);
    edit.SetValue(1e30L);
    EXPECT_EQ(edit.text(), QStringLiteral("999999"));
    EXPECT_EQ(change.count(), 2);
}

TEST(SpinEdit, ReadOnlyBeepsAndKeepsTheValue) {
    TExSpinEdit edit;
    edit.setText(QStringLiteral("3"));
    edit.setReadOnly(true);
    QSignalSpy top(&edit, &TExSpinEdit::OnTopClick);
    edit.StepUp();
    EXPECT_EQ(edit.text(), QStringLiteral("3"));
    EXPECT_EQ(top.count(), 0);
}

TEST(SpinEdit, TypingFollowsTheValueTypeAndEditorFlag) {
    struct Case {
        TValueType type;
        bool editor;
        const char* start;
        QList<int> keys;
        const char* text;
    } cases[] = {
        {vtInteger, true, "", {Qt::Key_1, Qt::Key_A, Qt::Key_Minus, Qt::Key_2}, "1-2"},
        {vtInteger, true, "", {Qt::Key_Period, Qt::Key_E, Qt::Key_3}, "3"},
        {vtFloat,
         true,
         "",
         {Qt::Key_1, Qt::Key_Period, Qt::Key_5, Qt::Key_Period, Qt::Key_E, Qt::Key_E},
         "1.5e"},
        {vtHex, true, "", {Qt::Key_A, Qt::Key_F, Qt::Key_G, Qt::Key_9}, "af9"},
        {vtInteger, false, "12", {Qt::Key_3, Qt::Key_Backspace, Qt::Key_Delete}, "12"},
        {vtInteger, false, "12", {Qt::Key_Up, Qt::Key_Up}, "14"},
        {vtInteger, true, "12", {Qt::Key_Backspace, Qt::Key_Down}, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "type " << c.type << " editor " << c.editor << " start " << c.start);
        test::TestWindow window;
        auto* edit = new TExSpinEdit(&window.window);
        edit->SetValueType(c.type);
        edit->SetEditorEnabled(c.editor);
        edit->setText(QString::fromUtf8(c.start));
        window.ShowActive();
        edit->setFocus();
        edit->deselect();
        edit->end(false);
        for (int key : c.keys) {
            const QString text =
                key == Qt::Key_Backspace || key == Qt::Key_Delete || key == Qt::Key_Up || key == Qt::Key_Down
                    ? QString()
                    : QString(QChar(key)).toLower();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier,
                            key == Qt::Key_E ? QStringLiteral("e") : text);
            QApplication::sendEvent(edit, &press);
        }
        EXPECT_EQ(edit->text().toStdString(), c.text);
    }
}

TEST(SpinEdit, EnterAndEscapeReachTheForm) {
    test::ExpectDialogKeysReachTheForm<TExSpinEdit>([](TExSpinEdit& edit) { edit.SetEditorEnabled(false); });
}

TEST(SpinEdit, PasteAndCutNeedTheEditor) {
    test::TestWindow window;
    auto* edit = new TExSpinEdit(&window.window);
    window.ShowActive();
    edit->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("77"));
    edit->setText(QStringLiteral("12"));
    edit->SetEditorEnabled(false);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    edit->SetEditorEnabled(true);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("77"));
}

TEST(SpinEdit, LeavingCorrectsOutOfRangeButNotUnparsableText) {
    struct Case {
        const char* typed;
        const char* after;
    } cases[] = {{"5", "2"}, {"-3", "1"}, {"abc", "abc"}, {"2", "2"}};
    for (const Case& c : cases) {
        test::TestWindow window;
        auto* edit = new TExSpinEdit(&window.window);
        auto* other = new QLineEdit(&window.window);
        other->move(0, 50);
        edit->SetMinValue(1);
        edit->SetMaxValue(2);
        window.ShowActive();
        edit->setFocus();
        edit->setText(QString::fromUtf8(c.typed));
        other->setFocus();
        EXPECT_EQ(edit->text().toStdString(), c.after) << c.typed;
    }
}

TEST(SpinEdit, IntegerTypeRoundsTheIncrement) {
    struct Case {
        long double increment, expected;
    } cases[] = {{0.4L, 1}, {2.6L, 3}, {2.5L, 2}, {7, 7}};
    for (const Case& c : cases) {
        TExSpinEdit edit;
        edit.SetValueType(vtFloat);
        edit.SetIncrement(c.increment);
        edit.SetValue(2.5L);
        edit.SetValueType(vtInteger);
        EXPECT_EQ(edit.Increment(), c.expected);
        EXPECT_EQ(edit.text(), QStringLiteral("2"));
    }
}

TEST(SpinButton, DiagonalSplitsTheHalves) {
    TExSpinButton button;
    button.resize(20, 20);
    struct Case {
        QPoint at;
        TExSpinButton::Half half;
    } cases[] = {{{10, 10}, TExSpinButton::Upper}, {{11, 10}, TExSpinButton::Lower},
                 {{0, 19}, TExSpinButton::Upper},  {{19, 19}, TExSpinButton::Lower},
                 {{5, 15}, TExSpinButton::Upper},  {{5, 16}, TExSpinButton::Lower},
                 {{19, 0}, TExSpinButton::Upper},  {{2, 2}, TExSpinButton::Upper}};
    for (const Case& c : cases) EXPECT_EQ(button.HalfAt(c.at), c.half) << c.at.x() << "," << c.at.y();
    button.resize(30, 15);  // not square: y > 15 - 0.5 x
    EXPECT_EQ(button.HalfAt({20, 5}), TExSpinButton::Upper);
    EXPECT_EQ(button.HalfAt({20, 6}), TExSpinButton::Lower);
}

TEST(SpinButton, HeldHalfRepeatsAfterAPause) {
    TExSpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(999999);
    TExSpinButton* button = edit.Button();
    test::Press(button, {2, 2});
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    EXPECT_EQ(button->Pressed(), TExSpinButton::Upper);
    QTest::qWait(250);
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit.text() == QStringLiteral("2"); }, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit.text() == QStringLiteral("5"); }, 2000));
    EXPECT_LT(clock.elapsed(), 900);  // three repeats at 100 ms after the first
    // Moving onto the other half releases the press; coming back presses again.
    test::MoveHeld(button, {button->width() - 2, button->height() - 2});
    EXPECT_EQ(button->Pressed(), TExSpinButton::None);
    test::MoveHeld(button, {2, 2});
    EXPECT_EQ(button->Pressed(), TExSpinButton::Upper);
    test::Release(button, {2, 2});
    EXPECT_EQ(button->Pressed(), TExSpinButton::None);
    const QString released = edit.text();
    QTest::qWait(300);
    EXPECT_EQ(edit.text(), released);
}

TEST(SpinButton, FacesDifferPerPressedHalf) {
    TExSpinButton button;
    button.resize(18, 18);
    const QImage none = button.FaceImage(TExSpinButton::None), upper = button.FaceImage(TExSpinButton::Upper),
                 lower = button.FaceImage(TExSpinButton::Lower);
    // The up arrow moves one pixel right and down when its half is pressed.
    // Black pixels inside the frame and above the diagonal (x + y = 17) are the arrow's.
    auto arrowBox = [](const QImage& image) {
        QRect box;
        for (int y = 1; y < 17; ++y) {
            for (int x = 1; x + y < 17; ++x) {
                if (test::At(image, x, y) == clBlack) box = box.united(QRect(x, y, 1, 1));
            }
        }
        return box;
    };
    EXPECT_EQ(arrowBox(upper).topLeft(), arrowBox(none).topLeft() + QPoint(1, 1));
    EXPECT_EQ(arrowBox(lower), arrowBox(none));
    EXPECT_NE(lower, none);
    EXPECT_EQ(test::At(none, 1, 2), clWhite);  // highlight edge of the raised upper half
    EXPECT_EQ(test::At(upper, 1, 2), clGray);  // shadow when pressed
}

TEST(SpinEdit, StandardKindStepsThroughItsUpDownAndSwitchesBack) {
    test::TestWindow window({160, 40});
    auto* edit = new TExSpinEdit(&window.window);
    edit->setGeometry(5, 5, 121, 21);
    edit->SetMinValue(0);
    edit->SetMaxValue(3);
    int tops = 0, bottoms = 0;
    QObject::connect(edit, &TExSpinEdit::OnTopClick, [&] { ++tops; });
    QObject::connect(edit, &TExSpinEdit::OnBottomClick, [&] { ++bottoms; });
    edit->SetButtonKind(bkStandard);
    window.ShowActive();
    ASSERT_EQ(edit->Button(), nullptr);
    TExUpDown* upDown = edit->UpDown();
    ASSERT_NE(upDown, nullptr);
    EXPECT_EQ(upDown->width(), TExUpDown::DefaultWidth(*edit));
    EXPECT_EQ(upDown->geometry().right(), edit->width() - 3);
    upDown->resize(40, upDown->height());
    EXPECT_EQ(upDown->width(), TExUpDown::DefaultWidth(*edit));
    struct Case {
        QPoint at;
        const char* text;
    } cases[] = {{{3, 2}, "1"}, {{3, 2}, "2"}, {{3, 2}, "3"}, {{3, 2}, "3"}, {{3, 14}, "2"}};
    for (const Case& c : cases) {
        test::Click(upDown, c.at);
        EXPECT_EQ(edit->text().toStdString(), c.text) << c.at.y();
        EXPECT_EQ(upDown->Position(), 0);
    }
    EXPECT_EQ(tops, 4);  // also at the limit
    EXPECT_EQ(bottoms, 1);
    EXPECT_TRUE(edit->hasFocus());
    // A read-only edit beeps and keeps its value, through either kind.
    edit->setReadOnly(true);
    test::Click(upDown, {3, 2});
    EXPECT_EQ(edit->text(), QStringLiteral("2"));
    edit->setReadOnly(false);
    edit->SetButtonKind(bkDiagonal);
    EXPECT_EQ(edit->UpDown(), nullptr);
    ASSERT_NE(edit->Button(), nullptr);
    test::Click(edit->Button(), {2, 2});
    EXPECT_EQ(edit->text(), QStringLiteral("3"));
}

}  // namespace
}  // namespace kordalt
