#include "ui/connect_controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>

#include "multiplayer/net_messages.h"

namespace kordalt {

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& r) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(r);
    return label;
}

QTextEdit* MakePane(QWidget* parent, const char* name, const QRect& r) {
    auto* edit = new QTextEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(r);
    edit->setReadOnly(true);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return edit;
}

QLineEdit* MakeChatInput(QWidget* parent, const QRect& r, QObject* keys) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName("Edit1");
    edit->setMaxLength(kChatLineLength);
    edit->setGeometry(r);
    edit->installEventFilter(keys);
    return edit;
}

}  // namespace kordalt
