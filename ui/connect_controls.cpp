#include "ui/connect_controls.h"

#include <QLabel>
#include <QTextEdit>

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

}  // namespace kordalt
