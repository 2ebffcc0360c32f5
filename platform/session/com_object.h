// Reference counting and interface lookup shared by the service's objects.
#pragma once

#include <atomic>
#include <span>

#include "platform/session/dplay.h"

namespace kordalt::dplay {

// Base is the most derived interface; every id in `ids` names Base or one of its bases.
template <class Base>
class ComObject : public Base {
public:
    HRESULT QueryInterface(const GUID& riid, void** ppvObj) override {
        if (!ppvObj) return DPERR_INVALIDPARAMS;
        *ppvObj = nullptr;
        for (const GUID* id : Ids()) {
            if (*id == riid) {
                AddRef();
                *ppvObj = static_cast<Base*>(this);
                return DP_OK;
            }
        }
        return DPERR_NOINTERFACE;
    }
    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override {
        uint32_t left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual std::span<const GUID* const> Ids() const = 0;

private:
    std::atomic<uint32_t> refs_{1};
};

}  // namespace kordalt::dplay
