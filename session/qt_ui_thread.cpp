#include "session/qt_ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "controls/classic.h"

namespace kordalt {

void QtUiThread::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

void QtUiThread::ShowException(std::exception_ptr error) { HandleApplicationException(nullptr, error); }

QtUiThread& ApplicationUiThread() {
    static QtUiThread instance;
    return instance;
}

}  // namespace kordalt
