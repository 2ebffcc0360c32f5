#include "ui/connect_controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>

#include "controls/list_box.h"
#include "multiplayer/net_messages.h"

namespace kordalt {

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& r) {
    return MakeControl<QLabel>(parent, name, r);
}

QTextEdit* MakePane(QWidget* parent, const char* name, const QRect& r) {
    auto* edit = MakeControl<QTextEdit>(parent, name, r);
    edit->setReadOnly(true);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return edit;
}

QLineEdit* MakeChatInput(QWidget* parent, const QRect& r, QObject* keys) {
    auto* edit = MakeControl<QLineEdit>(parent, "Edit1", r);
    edit->setMaxLength(kChatLineLength);
    edit->installEventFilter(keys);
    return edit;
}

TExCheckListBox* MakePlayerList(QWidget* parent, const QRect& r, int columns) {
    auto* list = MakeControl<TExCheckListBox>(parent, "ExCheckListBox1", r);
    list->SetColumns(columns);
    list->setEnabled(false);
    return list;
}

}  // namespace kordalt
