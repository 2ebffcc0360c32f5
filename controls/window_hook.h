// Window hooks: a component whose handlers see every event of a widget before
// and after the widget itself. One control hook per widget (an event filter)
// serves all its listeners; the hooks live in one global list.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QEvent;

namespace kordalt {

class TExWindowHook;

// `handled` set by a handler stops the later ones; before the widget, it also
// keeps the widget from seeing the event.
using THookMessageEvent = std::function<void(TExWindowHook* sender, QEvent* msg, bool& handled)>;

class TControlHook;

// The control hooks of the program; made on first need and freed with the
// application. Hooks left without listeners are freed on a later turn of the
// event loop.
class THookList : public QObject {
    Q_OBJECT

public:
    static THookList& Instance();
    // The list's instance if it was made.
    static THookList* Existing();
    ~THookList() override;

    // The hook of `control`, made when missing.
    TControlHook& HookOf(QWidget* control);
    int Count() const { return static_cast<int>(hooks_.size()); }
    bool Contains(const TControlHook* hook) const;
    // Frees `hook` later, when it is still listed and has no listeners then.
    void ReleaseLater(TControlHook* hook);

private:
    THookList();
    void Release(TControlHook* hook);

    std::vector<std::unique_ptr<TControlHook>> hooks_;
};

// Sees the events of one widget: listeners' BeforeMessage (last added first),
// then the widget (and the filters installed before the hook), then their
// AfterMessage in the same order.
class TControlHook : public QObject {
    Q_OBJECT

public:
    explicit TControlHook(QWidget* control);
    ~TControlHook() override;

    QWidget* Control() const { return control_; }
    void SetControl(QWidget* control);
    void AddListener(TExWindowHook* listener);
    void RemoveListener(TExWindowHook* listener);
    int ListenerCount() const { return static_cast<int>(listeners_.size()); }
    bool Hooked() const { return hooked_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Hook();
    void Unhook();
    // False when the listeners are not to be called now.
    bool CanNotify() const;
    void Notify(QEvent* event, bool& handled, bool after);

    QPointer<QWidget> control_;
    std::vector<TExWindowHook*> listeners_;
    bool hooked_ = false;
    QEvent* delivering_ = nullptr;  // the event being passed on to the widget
    bool destroying_ = false;
};

class TExWindowHook : public QObject {
    Q_OBJECT

public:
    explicit TExWindowHook(QObject* owner = nullptr);
    ~TExWindowHook() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    QWidget* WinControl() const;
    void SetWinControl(QWidget* control);

    THookMessageEvent BeforeMessage;
    THookMessageEvent AfterMessage;

private:
    friend class TControlHook;
    void Register();
    void Unregister();

    QPointer<QWidget> control_;
    TControlHook* hook_ = nullptr;
    QMetaObject::Connection destroyedConnection_;
    bool active_ = true;
};

}  // namespace kordalt
