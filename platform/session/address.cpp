#include "platform/session/address.h"

#include <cstring>

namespace kordalt::dplay {
namespace {

constexpr uint32_t kMagic = 0x3141444b;  // "KDA1"
constexpr uint32_t kHeader = 8;          // magic, total size
constexpr uint32_t kElementHeader = sizeof(GUID) + 4;

uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

}  // namespace

HRESULT BuildAddress(const DPCOMPOUNDADDRESSELEMENT* elements, uint32_t count, void* address,
                     uint32_t* size) {
    if (!size || (count && !elements)) return DPERR_INVALIDPARAMS;
    uint64_t need = kHeader;
    for (uint32_t i = 0; i < count; ++i) {
        if (elements[i].dwDataSize && !elements[i].lpData) return DPERR_INVALIDPARAMS;
        need += kElementHeader + elements[i].dwDataSize;
    }
    if (need > UINT32_MAX) return DPERR_INVALIDPARAMS;
    if (!address || *size < need) {
        *size = static_cast<uint32_t>(need);
        return DPERR_BUFFERTOOSMALL;
    }
    auto out = static_cast<uint8_t*>(address);
    uint32_t total = static_cast<uint32_t>(need);
    std::memcpy(out, &kMagic, 4);
    std::memcpy(out + 4, &total, 4);
    out += kHeader;
    for (uint32_t i = 0; i < count; ++i) {
        std::memcpy(out, &elements[i].guidDataType, sizeof(GUID));
        std::memcpy(out + sizeof(GUID), &elements[i].dwDataSize, 4);
        if (elements[i].dwDataSize)
            std::memcpy(out + kElementHeader, elements[i].lpData, elements[i].dwDataSize);
        out += kElementHeader + elements[i].dwDataSize;
    }
    *size = total;
    return DP_OK;
}

uint32_t AddressSize(const void* address) {
    if (!address) return 0;
    auto p = static_cast<const uint8_t*>(address);
    uint32_t total = Load32(p + 4);
    return Load32(p) == kMagic && total >= kHeader ? total : 0;
}

HRESULT WalkAddress(const void* address, uint32_t size, LPDPENUMADDRESSCALLBACK callback, void* context) {
    if (!callback || size < kHeader || AddressSize(address) != size) return DPERR_INVALIDPARAMS;
    auto p = static_cast<const uint8_t*>(address) + kHeader;
    uint32_t left = size - kHeader;
    // Check the whole block before the first callback.
    for (uint32_t at = 0; at < left;) {
        if (left - at < kElementHeader || Load32(p + at + sizeof(GUID)) > left - at - kElementHeader)
            return DPERR_INVALIDPARAMS;
        at += kElementHeader + Load32(p + at + sizeof(GUID));
    }
    while (left) {
        GUID type;
        std::memcpy(&type, p, sizeof type);
        uint32_t n = Load32(p + sizeof(GUID));
        if (!callback(type, n, p + kElementHeader, context)) break;
        p += kElementHeader + n;
        left -= kElementHeader + n;
    }
    return DP_OK;
}

bool ParseConnectionAddress(const void* address, ConnectionAddress& out) {
    out = {};
    bool bad = false;
    struct Ctx {
        ConnectionAddress* out;
        bool* bad;
    } ctx{&out, &bad};
    auto take = [](const GUID& type, uint32_t n, const void* data, void* c) {
        auto& [out, bad] = *static_cast<Ctx*>(c);
        auto text = static_cast<const char*>(data);
        if (type == DPAID_ServiceProvider && n == sizeof(GUID)) {
            std::memcpy(&out->provider, data, n);
        } else if (type == DPAID_INet && n > 0 && text[n - 1] == '\0') {
            out->host.assign(text, n - 1);
        } else if (type == DPAID_INetPort && n == 2) {
            std::memcpy(&out->port, data, 2);
        } else if (type == DPAID_ServiceProvider || type == DPAID_INet || type == DPAID_INetPort) {
            *bad = true;
        }
        return true;
    };
    return WalkAddress(address, AddressSize(address), take, &ctx) == DP_OK && !bad;
}

std::vector<uint8_t> PlayerAddress(const std::string& ipv4) {
    DPCOMPOUNDADDRESSELEMENT elements[] = {
        {DPAID_ServiceProvider, sizeof(GUID), &DPSPGUID_TCPIP},
        {DPAID_INet, static_cast<uint32_t>(ipv4.size() + 1), ipv4.c_str()},
    };
    uint32_t size = 0;
    BuildAddress(elements, 2, nullptr, &size);
    std::vector<uint8_t> block(size);
    BuildAddress(elements, 2, block.data(), &size);
    return block;
}

HRESULT CopyOut(const std::vector<uint8_t>& block, void* data, uint32_t* size) {
    if (!size) return DPERR_INVALIDPARAMS;
    uint32_t need = static_cast<uint32_t>(block.size());
    if (!data || *size < need) {
        *size = need;
        return DPERR_BUFFERTOOSMALL;
    }
    std::memcpy(data, block.data(), need);
    *size = need;
    return DP_OK;
}

HRESULT Lobby::CreateCompoundAddress(const DPCOMPOUNDADDRESSELEMENT* lpElements, uint32_t dwElementCount,
                                     void* lpAddress, uint32_t* lpdwAddressSize) {
    return BuildAddress(lpElements, dwElementCount, lpAddress, lpdwAddressSize);
}

HRESULT Lobby::EnumAddress(LPDPENUMADDRESSCALLBACK lpEnumAddressCallback, const void* lpAddress,
                           uint32_t dwAddressSize, void* lpContext) {
    return WalkAddress(lpAddress, dwAddressSize, lpEnumAddressCallback, lpContext);
}

HRESULT Lobby::GetConnectionSettings(uint32_t, void*, uint32_t* lpdwDataSize) {
    return lpdwDataSize ? DPERR_NOTLOBBIED : DPERR_INVALIDPARAMS;
}

}  // namespace kordalt::dplay
