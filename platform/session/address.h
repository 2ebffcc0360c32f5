// Compound addresses: a self-sized block of (data type, size, data) elements.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/session/com_object.h"
#include "platform/session/dplay.h"

namespace kordalt::dplay {

// What the service reads from an address.
struct ConnectionAddress {
    GUID provider{};
    std::string host;   // DPAID_INet; empty: enumerate by broadcast
    uint16_t port = 0;  // DPAID_INetPort; 0: the service's port
};

HRESULT BuildAddress(const DPCOMPOUNDADDRESSELEMENT* elements, uint32_t count, void* address, uint32_t* size);
HRESULT WalkAddress(const void* address, uint32_t size, LPDPENUMADDRESSCALLBACK callback, void* context);
// The size recorded in a well-formed address block, 0 when it is not one.
uint32_t AddressSize(const void* address);
bool ParseConnectionAddress(const void* address, ConnectionAddress& out);
// A player's address: the provider and the IPv4 text.
std::vector<uint8_t> PlayerAddress(const std::string& ipv4);
// The GetPlayerAddress protocol over a ready-made address block.
HRESULT CopyOut(const std::vector<uint8_t>& block, void* data, uint32_t* size);

class Lobby final : public ComObject<IDirectPlayLobby2A> {
public:
    HRESULT CreateCompoundAddress(const DPCOMPOUNDADDRESSELEMENT* lpElements, uint32_t dwElementCount,
                                  void* lpAddress, uint32_t* lpdwAddressSize) override;
    HRESULT EnumAddress(LPDPENUMADDRESSCALLBACK lpEnumAddressCallback, const void* lpAddress,
                        uint32_t dwAddressSize, void* lpContext) override;
    HRESULT GetConnectionSettings(uint32_t dwAppID, void* lpData, uint32_t* lpdwDataSize) override;

protected:
    std::span<const GUID* const> Ids() const override {
        static const GUID* const ids[] = {&IID_IUnknown, &IID_IDirectPlayLobby, &IID_IDirectPlayLobby2A};
        return ids;
    }
};

}  // namespace kordalt::dplay
