// Owning reference to an interface of the session service.
#pragma once

#include <utility>

#include "platform/session/dplay.h"

namespace kordalt {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {}  // takes over one reference
    ~ComPtr() { Reset(); }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            Reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // The interface `iid` of the object, or an empty pointer.
    template <class U>
    ComPtr<U> Query(const dplay::GUID& iid) const {
        void* out = nullptr;
        if (!p_ || p_->QueryInterface(iid, &out) != dplay::DP_OK) return {};
        return ComPtr<U>(static_cast<U*>(out));
    }

private:
    T* p_ = nullptr;
};

}  // namespace kordalt
