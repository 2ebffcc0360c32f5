// Animated cursor reader: any bytes load or are refused with a read error; a
// loaded cursor has only frames with icons and a matching step count.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "controls/ani_cursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kordalt::TAnimatedCursorImage ani;
    try {
        ani.LoadFromStream(std::span<const uint8_t>(data, size));
    } catch (const kordalt::EReadError&) {
        return 0;
    }
    if (ani.FrameCount() < 1 || ani.Header.cSteps != static_cast<uint32_t>(ani.FrameCount())) std::abort();
    if (ani.Title.size() > 255 || ani.Creator.size() > 255) std::abort();
    if (ani.MaxColors != 0 && ani.MaxColors != 2 && ani.MaxColors != 16 && ani.MaxColors != 256) std::abort();
    for (int i = 0; i < ani.FrameCount(); ++i) {
        const kordalt::TIcon* icon = ani.Icons(i);
        if (!icon || icon->Image().isNull()) std::abort();
    }
    return 0;
}
