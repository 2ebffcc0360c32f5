// BMP files through the file header: any bytes load or are refused with a
// picture or read error; a loaded picture saved and loaded again has the same
// size, depth and pixels.
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "session/dib.h"

namespace {

using namespace kordalt;

void Check(bool condition) {
    if (!condition) std::abort();
}

constexpr int64_t kMaxPixels = 1 << 18;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TDIB dib;
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        dib.LoadFromStream(buffer);
    } catch (const EInvalidGraphic&) {
        return 0;
    } catch (const EInvalidGraphicOperation&) {
        return 0;
    } catch (const EReadError&) {
        return 0;
    }
    if (dib.Empty()) return 0;
    Check(dib.Width() >= 0 && dib.Height() > 0);
    if (int64_t(dib.Width()) * dib.Height() > kMaxPixels) return 0;

    std::vector<uint8_t> saved;
    dib.SaveToStream(saved);
    TDIB again;
    TDibReadStream stream(saved);
    again.LoadFromStream(stream);
    Check(again.Width() == dib.Width() && again.Height() == dib.Height() &&
          again.BitCount() == dib.BitCount());
    Check(again.Image()->Compressed() == dib.Image()->Compressed());
    Check(DibToQImage(*again.Image()) == DibToQImage(*dib.Image()));
    return 0;
}
