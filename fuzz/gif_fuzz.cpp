// Reads arbitrary bytes as a GIF and decodes every frame it finds, with damage
// tolerated and refused in turn.
#include <cstddef>
#include <cstdint>

#include "controls/gif_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const bool tolerant : {true, false}) {
        kordalt::TolerateCorruptGIF = tolerant;
        kordalt::TGIFContents contents;
        kordalt::GIFByteStream stream(data, size);
        try {
            kordalt::ReadGIFContents(stream, contents);
        } catch (const kordalt::EInvalidGraphicOperation&) {
        }
        for (const kordalt::TGIFFrameData& frame : contents.Frames) {
            bool corrupted = false;
            try {
                kordalt::DecodeGIFFrameToDIB(*frame.Item, frame.Interlaced, tolerant, {}, corrupted);
            } catch (const kordalt::EInvalidGraphicOperation&) {
            }
        }
    }
    return 0;
}
