#include "controls/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "controls/classic.h"

namespace kordalt {
namespace {

TMessageBoxHook messageBoxHook;

QMessageBox::Icon IconOf(TMsgType type) {
    switch (type) {
        case TMsgType::Information:
            return QMessageBox::Information;
        case TMsgType::Warning:
            return QMessageBox::Warning;
        case TMsgType::Error:
            return QMessageBox::Critical;
        case TMsgType::Confirmation:
            return QMessageBox::Question;
        case TMsgType::Plain:
            break;
    }
    return QMessageBox::NoIcon;
}

TMsgButton ExecMessageBox(TMsgType type, const QString& text, QWidget* parent) {
    QMessageBox box(IconOf(type), QApplication::applicationDisplayName(), NormalizeLineBreaks(text),
                    QMessageBox::NoButton, parent);
    if (type != TMsgType::Confirmation) {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
        return TMsgButton::Ok;
    }
    QPushButton* yes = box.addButton(QString::fromUtf8("Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QString::fromUtf8("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? TMsgButton::Yes : TMsgButton::No;
}

}  // namespace

TMsgButton RunMessageBox(TMsgType type, const QString& text, QWidget* parent) {
    return messageBoxHook ? messageBoxHook(type, text) : ExecMessageBox(type, text, parent);
}

ScopedMessageBoxHook::ScopedMessageBoxHook(TMessageBoxHook hook)
    : previous_(std::exchange(messageBoxHook, std::move(hook))) {}

ScopedMessageBoxHook::~ScopedMessageBoxHook() { messageBoxHook = std::move(previous_); }

}  // namespace kordalt
