#include "controls/gif_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kordalt {

bool TolerateCorruptGIF = true;

namespace {

constexpr std::uint8_t kExtensionIntroducer = '!', kImageSeparator = ',', kTrailer = ';';
constexpr std::uint8_t kExtensionLabels[4] = {0xF9, 0x01, 0xFF, 0xFE};

bool SameLetters(const std::uint8_t* bytes, const char* text) {
    for (int i = 0; i < 3; ++i) {
        if (std::tolower(bytes[i]) != std::tolower(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

void ReadGIFSignature(GIFByteStream& data, TGIFContents& out) {
    out.Version = 0;
    std::uint8_t bytes[3];
    data.Read(bytes, 3);
    if (!SameLetters(bytes, "GIF")) throw GIFError(sGIFUnknownVersion);
    data.Read(bytes, 3);
    if (SameLetters(bytes, "87a")) {
        out.Version = 1;
    } else if (SameLetters(bytes, "89a")) {
        out.Version = 2;
    } else {
        throw GIFError(sGIFUnknownVersion);
    }
}

void ReadColorTable(GIFByteStream& data, TGIFColorTable& table, int bitsPerPixel) {
    table.Clear();
    table.Count = 1 << bitsPerPixel;
    for (int i = 0; i < table.Count; ++i) data.Read(table.Entries[static_cast<std::size_t>(i)].data(), 3);
}

void ReadScreenAndGlobalTable(GIFByteStream& data, TGIFContents& out) {
    out.ScreenWidth = data.ReadWord();
    out.ScreenHeight = data.ReadWord();
    CheckPictureSize(out.ScreenWidth, out.ScreenHeight);
    const std::uint8_t flags = data.ReadByte();
    const std::uint8_t background = data.ReadByte();
    TGIFData& header = *out.Data;
    header.AspectRatio = data.ReadByte();
    header.BackgroundIndex = background;
    header.BitsPerPixel = static_cast<std::uint8_t>((flags & 7) + 1);
    header.ColorResolution = static_cast<std::uint8_t>(((flags & 0x70) >> 4) + 1);
    if (flags & 0x80) {
        ReadColorTable(data, header.ColorTable, header.BitsPerPixel);
        if (background < header.ColorTable.Count) out.BackgroundColor = header.ColorTable.ColorOf(background);
    }
}

// Skips zero bytes between blocks; 0 when the data ends first.
std::uint8_t ReadBlockSeparator(GIFByteStream& data) {
    while (!data.AtEnd()) {
        if (const std::uint8_t b = data.ReadByte()) return b;
    }
    return 0;
}

std::uint8_t NextSeparator(GIFByteStream& data) { return data.AtEnd() ? kTrailer : ReadBlockSeparator(data); }

void ReadDataSubBlocks(GIFByteStream& data, std::vector<std::string>& lines) {
    while (!data.AtEnd()) {
        const std::uint8_t size = data.ReadByte();
        if (size == 0) break;
        std::string line(size, '\0');
        data.Read(reinterpret_cast<std::uint8_t*>(line.data()), size);
        lines.push_back(std::move(line));
    }
}

// Whether the fixed block of a known kind follows: its size byte, which for a
// graphic control may be larger than 4 (the bytes past its fields are skipped).
bool FixedBlockFollows(GIFByteStream& data, TExtensionKind kind, std::uint8_t size) {
    if (kind == ekComment) return true;
    if (data.AtEnd()) return false;
    return kind == ekGraphicControl ? data.Peek() >= size : data.Peek() == size;
}

// A known label is read with the fixed block of its kind and the sub-blocks after
// it. An unknown label, or a known one without its fixed block, carries only
// sub-blocks: it is read whole and kept as it is.
TExtension ReadExtensionBlock(GIFByteStream& data) {
    static constexpr std::uint8_t kBlockSizes[4] = {4, 12, 11, 0};
    const std::uint8_t label = data.ReadByte();
    const auto found = std::find(std::begin(kExtensionLabels), std::end(kExtensionLabels), label);
    TExtension extension;
    const auto kind = static_cast<TExtensionKind>(found - std::begin(kExtensionLabels));
    if (found == std::end(kExtensionLabels) || !FixedBlockFollows(data, kind, kBlockSizes[kind])) {
        extension.Kind = ekOther;
        extension.Header = {label};
        ReadDataSubBlocks(data, extension.Data);
        return extension;
    }
    extension.Kind = kind;
    if (kind != ekComment) {
        const std::uint8_t size = data.ReadByte();
        extension.Header.resize(1u + kBlockSizes[kind]);
        extension.Header[0] = kBlockSizes[kind];
        data.Read(extension.Header.data() + 1, kBlockSizes[kind]);
        std::vector<std::uint8_t> rest(size - kBlockSizes[kind]);
        data.Read(rest.data(), rest.size());
    }
    if (kind != ekGraphicControl) {
        ReadDataSubBlocks(data, extension.Data);
    } else {
        std::vector<std::string> ignored;
        ReadDataSubBlocks(data, ignored);
        extension.Header.push_back(0);
    }
    return extension;
}

bool IsLoopExtension(const TExtension& e) {
    if (e.Kind != ekApplication || e.Data.empty() || e.Header.size() < 12) return false;
    const std::size_t count = e.Header[0];
    const auto same = [&](const char* id) {
        return count <= 11 && std::memcmp(e.Header.data() + 1, id, count) == 0;
    };
    const std::string& first = e.Data.front();
    return (same("NETSCAPE2.0") || same("ANIMEXTS1.0")) && first.size() >= 3 && first[0] == 1;
}

// Reads the run of extensions while `separator` is "!" and leaves it at the next block.
std::vector<TExtension> ReadExtensionBlocks(GIFByteStream& data, std::uint8_t& separator, TGIFContents& out) {
    std::vector<TExtension> kept;
    while (separator == kExtensionIntroducer) {
        TExtension extension = ReadExtensionBlock(data);
        if (extension.Kind == ekPlainText) kept.clear();
        if (IsLoopExtension(extension)) {
            const std::string& first = extension.Data.front();
            const int count = static_cast<std::uint8_t>(first[1]) + 256 * static_cast<std::uint8_t>(first[2]);
            out.HasLoopExtension = true;
            out.LoopCount = static_cast<std::uint16_t>(std::min(count, 30000));
        }
        if (extension.Kind != ekPlainText && extension.Kind != ekApplication)
            kept.push_back(std::move(extension));
        separator = NextSeparator(data);
    }
    return kept;
}

// Copies the image descriptor's data sub-blocks; returns false when a block was cut off.
bool CopyImageSubBlocks(GIFByteStream& data, std::vector<std::uint8_t>& stored) {
    stored.push_back(data.ReadByte());  // minimum code size
    while (!data.AtEnd()) {
        const std::uint8_t size = data.ReadByte();
        if (size > data.Remaining()) {
            data.SeekEnd();
            return false;
        }
        stored.push_back(size);
        const std::size_t at = stored.size();
        stored.resize(at + size);
        data.Read(stored.data() + at, size);
        if (size == 0) break;
    }
    return true;
}

void ApplyGraphicControls(TGIFFrameData& frame) {
    const TGIFColorTable& table = frame.Item->ColorTable;
    frame.AnimateInterval = 0;
    for (const TExtension& e : frame.Extensions) {
        if (e.Kind != ekGraphicControl) continue;
        const std::uint8_t flags = e.Header[1];
        const std::uint32_t delay = e.Header[2] | e.Header[3] << 8;
        const std::uint8_t transparent = e.Header[4];
        if (!(flags & 1)) {
            frame.TransparentColor = kGIFNoColor;
        } else if (transparent < table.Count) {
            frame.TransparentColor = table.ColorOf(transparent);
        }
        // Delays past the 16-bit millisecond field are held at its largest value.
        frame.AnimateInterval =
            static_cast<std::uint16_t>(std::clamp<std::uint32_t>(delay * 10, frame.AnimateInterval, 0xFFFF));
        frame.Disposal = static_cast<std::uint8_t>((flags & 0x1C) >> 2);
    }
}

void ReadGIFFrame(GIFByteStream& data, TGIFFrameData& frame, const TGIFContents& out) {
    TGIFItem& item = *frame.Item;
    item.ImageData.emplace();
    frame.Corrupted = false;
    const int left = data.ReadWord(), top = data.ReadWord();
    int width = data.ReadWord(), height = data.ReadWord();
    const std::uint8_t packed = data.ReadByte();
    frame.Interlaced = (packed & 0x40) != 0;
    frame.LocalColorTable = (packed & 0x80) != 0;
    if (frame.LocalColorTable) {
        item.BitsPerPixel = static_cast<std::uint8_t>((packed & 7) + 1);
        ReadColorTable(data, item.ColorTable, item.BitsPerPixel);
    } else {
        item.ColorTable.Clear();
    }
    frame.Corrupted = !CopyImageSubBlocks(data, *item.ImageData);
    if (frame.Corrupted && !TolerateCorruptGIF) throw GIFError(sReadError);
    if (width == 0) width = out.ScreenWidth;
    if (height == 0) height = out.ScreenHeight;
    frame.OriginX = left;
    frame.OriginY = top;
    item.Width = width;
    item.Height = height;
    item.PackedFields = packed;
    if (!frame.LocalColorTable) item.ColorTable = out.Data->ColorTable;
    ApplyGraphicControls(frame);
}

void AppendComments(TGIFData& header, const std::vector<TExtension>& extensions) {
    for (const TExtension& e : extensions) {
        if (e.Kind != ekComment) continue;
        if (!header.Comment.empty()) header.Comment.push_back("\r\n\r\n");
        header.Comment.insert(header.Comment.end(), e.Data.begin(), e.Data.end());
    }
}

}  // namespace

void ReadGIFContents(GIFByteStream& data, TGIFContents& out) {
    out = TGIFContents();
    if (data.Size() == 0) return;
    ReadGIFSignature(data, out);
    ReadScreenAndGlobalTable(data, out);
    std::uint8_t separator = ReadBlockSeparator(data);
    while (separator != 0 && separator != kTrailer && !data.AtEnd()) {
        std::vector<TExtension> extensions = ReadExtensionBlocks(data, separator, out);
        if (separator == kImageSeparator) {
            TGIFFrameData frame;
            if (out.Data->ColorTable.Count > 0)
                frame.Item->BitsPerPixel =
                    static_cast<std::uint8_t>(ColorsToBitsPerPixel(out.Data->ColorTable.Count));
            frame.Extensions = std::move(extensions);
            ReadGIFFrame(data, frame, out);
            out.Frames.push_back(std::move(frame));
            separator = NextSeparator(data);
            if (separator != kExtensionIntroducer && separator != kImageSeparator && separator != kTrailer)
                separator = 0;
        } else if (out.Data->Comment.empty() && !extensions.empty()) {
            AppendComments(*out.Data, extensions);
        } else if (separator != 0 && separator != kTrailer) {
            throw GIFError(sReadError);
        }
    }
}

}  // namespace kordalt
