// Icon files and stored icon lists: any bytes load or are refused with the
// reader's error; what loads is stored and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "controls/icon_list.h"

namespace {

void FuzzIcon(std::span<const uint8_t> data) {
    kordalt::TIcon icon;
    try {
        icon.LoadFromData(data);
    } catch (const kordalt::EIconError&) {
        if (!icon.Empty()) std::abort();
        return;
    }
    if (icon.Image().isNull() || icon.Width() > 1024 || icon.Height() > 1024) std::abort();
    if (icon.Data().size() != data.size()) std::abort();
}

void FuzzList(std::span<const uint8_t> data) {
    kordalt::TIconList list;
    try {
        list.LoadFromStream(data);
    } catch (const kordalt::EReadError&) {
        return;
    } catch (const kordalt::EIconError&) {
        return;
    }
    std::vector<uint8_t> stored;
    list.SaveToStream(stored);
    kordalt::TIconList again;
    again.LoadFromStream(stored);
    if (again.Count() != list.Count()) std::abort();
    std::vector<uint8_t> storedAgain;
    again.SaveToStream(storedAgain);
    if (storedAgain != stored) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the reader.
    const std::span<const uint8_t> rest(data + 1, size - 1);
    if (data[0] & 1)
        FuzzList(rest);
    else
        FuzzIcon(rest);
    return 0;
}
