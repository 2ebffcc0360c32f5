#include "controls/align_layout.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace kordalt {

namespace {

constexpr const char* kAlignProperty = "kordaltAlign";
constexpr const char* kSuspendProperty = "kordaltAlignSuspended";

// Re-aligns its parent on every resize.
class AlignKeeper : public QObject {
public:
    explicit AlignKeeper(QWidget* parent) : QObject(parent) {
        setObjectName(QStringLiteral("kordaltAlignKeeper"));
        parent->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest) {
            AlignChildren(static_cast<QWidget*>(watched));
        }
        return false;
    }
};

void EnsureKeeper(QWidget* parent) {
    if (parent->findChild<AlignKeeper*>(QStringLiteral("kordaltAlignKeeper"), Qt::FindDirectChildrenOnly) ==
        nullptr) {
        new AlignKeeper(parent);
    }
}

std::vector<QWidget*> AlignedChildren(QWidget* parent, TAlign align) {
    std::vector<QWidget*> result;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child != nullptr && !child->isWindow() && !child->isHidden() && ControlAlign(child) == align) {
            result.push_back(child);
        }
    }
    std::stable_sort(result.begin(), result.end(), [align](QWidget* a, QWidget* b) {
        switch (align) {
            case alTop:
                return a->y() < b->y();
            case alBottom:
                return a->y() + a->height() > b->y() + b->height();
            case alLeft:
                return a->x() < b->x();
            case alRight:
                return a->x() + a->width() > b->x() + b->width();
            default:
                return false;
        }
    });
    return result;
}

}  // namespace

TAlign ControlAlign(const QWidget* control) {
    return control == nullptr ? alNone : TAlign(control->property(kAlignProperty).toInt());
}

void SetControlAlign(QWidget* control, TAlign align) {
    control->setProperty(kAlignProperty, int(align));
    if (QWidget* parent = control->parentWidget()) {
        EnsureKeeper(parent);
        AlignChildren(parent);
    }
}

void AlignChildren(QWidget* parent) {
    if (parent->property(kSuspendProperty).toInt() > 0) return;
    QRect rest = parent->contentsRect();
    for (QWidget* c : AlignedChildren(parent, alTop)) {
        c->setGeometry(rest.left(), rest.top(), rest.width(), c->height());
        rest.setTop(rest.top() + c->height());
    }
    for (QWidget* c : AlignedChildren(parent, alBottom)) {
        c->setGeometry(rest.left(), rest.bottom() + 1 - c->height(), rest.width(), c->height());
        rest.setBottom(rest.bottom() - c->height());
    }
    for (QWidget* c : AlignedChildren(parent, alLeft)) {
        c->setGeometry(rest.left(), rest.top(), c->width(), std::max(rest.height(), 0));
        rest.setLeft(rest.left() + c->width());
    }
    for (QWidget* c : AlignedChildren(parent, alRight)) {
        c->setGeometry(rest.right() + 1 - c->width(), rest.top(), c->width(), std::max(rest.height(), 0));
        rest.setRight(rest.right() - c->width());
    }
    for (QWidget* c : AlignedChildren(parent, alClient)) {
        c->setGeometry(rest.left(), rest.top(), std::max(rest.width(), 0), std::max(rest.height(), 0));
    }
    QEvent aligned(ChildrenAlignedEvent());
    QCoreApplication::sendEvent(parent, &aligned);
}

QEvent::Type ChildrenAlignedEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void DisableAlign(QWidget* parent) {
    parent->setProperty(kSuspendProperty, parent->property(kSuspendProperty).toInt() + 1);
}

void EnableAlign(QWidget* parent) {
    const int count = std::max(0, parent->property(kSuspendProperty).toInt() - 1);
    parent->setProperty(kSuspendProperty, count);
    if (count == 0) AlignChildren(parent);
}

}  // namespace kordalt
