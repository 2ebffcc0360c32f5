#include "controls/window_hook.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>

#include "controls/classic.h"

namespace kordalt {

namespace {

THookList* gHookList = nullptr;

}  // namespace

// ---- THookList

THookList::THookList() : QObject(QCoreApplication::instance()) {}

THookList::~THookList() {
    while (!hooks_.empty()) {
        std::unique_ptr<TControlHook> last = std::move(hooks_.back());
        hooks_.pop_back();
    }
    gHookList = nullptr;
}

THookList& THookList::Instance() {
    if (gHookList == nullptr) gHookList = new THookList();
    return *gHookList;
}

THookList* THookList::Existing() { return gHookList; }

TControlHook& THookList::HookOf(QWidget* control) {
    for (const auto& hook : hooks_) {
        if (hook->Control() == control) return *hook;
    }
    hooks_.push_back(std::make_unique<TControlHook>(control));
    return *hooks_.back();
}

bool THookList::Contains(const TControlHook* hook) const {
    return std::any_of(hooks_.begin(), hooks_.end(), [hook](const auto& h) { return h.get() == hook; });
}

void THookList::ReleaseLater(TControlHook* hook) {
    QMetaObject::invokeMethod(
        this, [this, hook] { Release(hook); }, Qt::QueuedConnection);
}

void THookList::Release(TControlHook* hook) {
    auto at = std::find_if(hooks_.begin(), hooks_.end(), [hook](const auto& h) { return h.get() == hook; });
    if (at == hooks_.end() || (*at)->ListenerCount() > 0) return;
    std::unique_ptr<TControlHook> freed = std::move(*at);
    hooks_.erase(at);
}

// ---- TControlHook

TControlHook::TControlHook(QWidget* control) : control_(control) {}

TControlHook::~TControlHook() {
    destroying_ = true;
    while (!listeners_.empty()) RemoveListener(listeners_.back());
    Unhook();
}

void TControlHook::SetControl(QWidget* control) {
    if (control == control_) return;
    Unhook();
    control_ = control;
    if (!listeners_.empty()) Hook();
}

void TControlHook::AddListener(TExWindowHook* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
    listener->hook_ = this;
    Hook();
}

void TControlHook::RemoveListener(TExWindowHook* listener) {
    auto at = std::find(listeners_.begin(), listeners_.end(), listener);
    if (at == listeners_.end()) return;
    listeners_.erase(at);
    listener->hook_ = nullptr;
    if (listeners_.empty()) Unhook();
}

void TControlHook::Hook() {
    if (control_ == nullptr || destroying_ || hooked_) return;
    // A filter installed later runs earlier: the hook is the newest one.
    control_->installEventFilter(this);
    hooked_ = true;
}

void TControlHook::Unhook() {
    if (hooked_ && control_ != nullptr) control_->removeEventFilter(this);
    hooked_ = false;
}

bool TControlHook::CanNotify() const { return !listeners_.empty() && control_ != nullptr && !destroying_; }

void TControlHook::Notify(QEvent* event, bool& handled, bool after) {
    if (!CanNotify()) return;
    // Handlers may remove listeners: walk a copy, skipping the removed ones.
    const std::vector<TExWindowHook*> listeners = listeners_;
    for (auto it = listeners.rbegin(); it != listeners.rend() && !handled; ++it) {
        if (std::find(listeners_.begin(), listeners_.end(), *it) == listeners_.end()) continue;
        const THookMessageEvent& handler = after ? (*it)->AfterMessage : (*it)->BeforeMessage;
        if (!handler) continue;
        try {
            handler(*it, event, handled);
        } catch (...) {
            HandleApplicationException(*it, std::current_exception());
        }
    }
}

bool TControlHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_ || event == delivering_) return false;
    bool handled = false;
    if (event->type() != QEvent::Quit) Notify(event, handled, false);
    // The widget's deletion always reaches it.
    if (handled && event->type() != QEvent::DeferredDelete) return true;
    handled = false;
    QPointer<QWidget> control = control_;
    QEvent* outer = delivering_;
    delivering_ = event;
    QCoreApplication::sendEvent(control, event);
    delivering_ = outer;
    if (control != nullptr) Notify(event, handled, true);
    return true;
}

// ---- TExWindowHook

TExWindowHook::TExWindowHook(QObject* owner) : QObject(owner) {}

TExWindowHook::~TExWindowHook() {
    SetActive(false);
    SetWinControl(nullptr);
}

QWidget* TExWindowHook::WinControl() const { return hook_ != nullptr ? hook_->Control() : control_.data(); }

void TExWindowHook::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (value)
        Register();
    else
        Unregister();
}

void TExWindowHook::SetWinControl(QWidget* control) {
    if (control == control_ && (hook_ != nullptr || !active_ || control == nullptr)) return;
    Unregister();
    QObject::disconnect(destroyedConnection_);
    control_ = control;
    if (control != nullptr) {
        destroyedConnection_ =
            connect(control, &QObject::destroyed, this, [this] { SetWinControl(nullptr); });
    }
    if (active_) Register();
}

void TExWindowHook::Register() {
    if (control_ == nullptr || hook_ != nullptr) return;
    THookList::Instance().HookOf(control_).AddListener(this);
}

void TExWindowHook::Unregister() {
    if (hook_ == nullptr) return;
    TControlHook* hook = hook_;
    hook->RemoveListener(this);
    THookList* list = THookList::Existing();
    if (list != nullptr && hook->ListenerCount() == 0) list->ReleaseLater(hook);
}

}  // namespace kordalt
