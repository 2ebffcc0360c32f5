#include "controls/ani_cursor.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "controls/colour_reduction.h"
#include "controls/draw_utils.h"

namespace kordalt {

namespace {

constexpr uint64_t PadChunkSize(uint32_t size) { return static_cast<uint64_t>(size) + (size & 1); }

bool IdIs(const TAniTag& tag, const char (&id)[5]) { return std::memcmp(tag.ckID.data(), id, 4) == 0; }

uint16_t ColorsFromBitCount(uint32_t bitCount) {
    switch (bitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

}  // namespace

// Bounded reads over the file's bytes; every operation reports a short read.
class TAnimatedCursorImage::Reader {
public:
    explicit Reader(std::span<const uint8_t> data) : data_(data) {}

    bool Read(void* out, size_t n) {
        if (n > data_.size() - pos_) return false;
        if (n > 0) std::memcpy(out, data_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    bool Seek(uint64_t n) {
        if (n > data_.size() - pos_) return false;
        pos_ += static_cast<size_t>(n);
        return true;
    }
    std::span<const uint8_t> Take(size_t n) {
        const auto part = data_.subspan(pos_, n);
        pos_ += n;
        return part;
    }
    size_t Left() const { return data_.size() - pos_; }

    bool ReadHeader(TAniTag& tag) {
        uint8_t raw[8];
        if (!Read(raw, sizeof raw)) return false;
        std::memcpy(tag.ckID.data(), raw, 4);
        tag.ckSize = Le32(raw, 4);
        return true;
    }
    // The whole chunk's data (and its pad byte).
    bool ReadChunk(const TAniTag& tag, std::span<const uint8_t>& data) {
        if (tag.ckSize > Left()) return false;
        data = Take(tag.ckSize);
        return Seek(tag.ckSize & 1);
    }
    // Up to `limit` bytes of the chunk; the rest of its padded data is skipped.
    bool ReadChunkPart(const TAniTag& tag, void* out, size_t limit, size_t& read) {
        read = std::min<size_t>(tag.ckSize, limit);
        return Read(out, read) && Seek(PadChunkSize(tag.ckSize) - read);
    }
    bool SkipChunk(const TAniTag& tag) { return Seek(PadChunkSize(tag.ckSize)); }

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

void TAnimatedCursorImage::Clear() {
    frames_.clear();
    Header = {};
    Title.clear();
    Creator.clear();
    MaxColors = 0;
}

void TAnimatedCursorImage::LoadFromStream(std::span<const uint8_t> data) {
    Reader in(data);
    ReadAnimatedCursorRIFF(in);
}

void TAnimatedCursorImage::LoadFromFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) throw EReadError();
    const std::vector<uint8_t> data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    LoadFromStream(data);
}

void TAnimatedCursorImage::SaveToStream(std::vector<uint8_t>&) const { ReportNotImplemented(); }

void TAnimatedCursorImage::ReadAnimatedCursorRIFF(Reader& in) {
    TAniTag riff;
    char form[4];
    if (!in.ReadHeader(riff) || !IdIs(riff, "RIFF") || !in.Read(form, 4) || std::memcmp(form, "ACON", 4) != 0)
        throw EReadError();
    Clear();
    size_t ratesRead = 0, sequenceRead = 0;
    int iconsRead = 0;
    TAniTag tag;
    while (in.ReadHeader(tag)) {
        size_t read = 0;
        if (IdIs(tag, "anih")) {
            Header = {};
            if (!in.ReadChunkPart(tag, &Header, sizeof Header, read)) break;
            if (!(Header.flags & 1) || Header.cSteps == 0) throw EReadError();
            // Frames beyond what the rest of the file could give icons would all be dropped.
            const size_t frames = std::min<size_t>(Header.cFrames, in.Left() / 8);
            for (size_t i = 0; i < frames; ++i)
                frames_.push_back(std::make_unique<TIconFrame>(static_cast<int32_t>(i), Header.jifRate));
        } else if (IdIs(tag, "rate") || IdIs(tag, "seq ")) {
            uint8_t raw[4] = {};
            if (!in.ReadChunkPart(tag, raw, sizeof raw, read)) break;
            const bool isRate = IdIs(tag, "rate");
            size_t& counter = isRate ? ratesRead : sequenceRead;
            if (counter < frames_.size()) {
                TIconFrame& frame = *frames_[counter];
                if (isRate)
                    frame.Rate = Le32(raw, 0);
                else
                    frame.SequenceIndex = static_cast<int32_t>(Le32(raw, 0));
            }
            ++counter;
        } else if (IdIs(tag, "LIST")) {
            char type[4];
            if (!in.Read(type, 4)) break;
            const int64_t remaining = static_cast<int64_t>(PadChunkSize(tag.ckSize)) - 4;
            if (std::memcmp(type, "fram", 4) == 0) {
                ReadFrameList(in, remaining, iconsRead);
            } else if (std::memcmp(type, "INFO", 4) == 0) {
                ReadInfoList(in, remaining);
            } else if (!in.Seek(static_cast<uint64_t>(std::max<int64_t>(remaining, 0)))) {
                break;
            }
        } else if (!in.SkipChunk(tag)) {
            break;
        }
    }
    frames_.erase(std::remove_if(frames_.begin(), frames_.end(), [](const auto& f) { return !f->Icon; }),
                  frames_.end());
    Header.cSteps = static_cast<uint32_t>(frames_.size());
    if (frames_.empty()) throw EReadError();
}

void TAnimatedCursorImage::ReadFrameList(Reader& in, int64_t remaining, int& iconsRead) {
    TAniTag sub;
    while (remaining >= 8 && in.ReadHeader(sub)) {
        if (IdIs(sub, "icon")) {
            std::span<const uint8_t> chunk;
            if (!in.ReadChunk(sub, chunk) || !AddIcon(chunk, sub, iconsRead)) return;
            ++iconsRead;
        } else if (!in.SkipChunk(sub)) {
            return;
        }
        remaining -= 8 + static_cast<int64_t>(PadChunkSize(sub.ckSize));
    }
}

void TAnimatedCursorImage::ReadInfoList(Reader& in, int64_t remaining) {
    TAniTag sub;
    while (remaining >= 8 && in.ReadHeader(sub)) {
        const int64_t whole = 8 + static_cast<int64_t>(PadChunkSize(sub.ckSize));
        if (whole > remaining) return;
        const bool title = IdIs(sub, "INAM");
        if (title || IdIs(sub, "IART")) {
            char text[kMaxText];
            size_t read = 0;
            if (!in.ReadChunkPart(sub, text, sizeof text, read)) return;
            const size_t length = static_cast<size_t>(std::find(text, text + read, '\0') - text);
            (title ? Title : Creator).assign(text, length);
        } else if (!in.SkipChunk(sub)) {
            return;
        }
        remaining -= whole;
    }
}

bool TAnimatedCursorImage::AddIcon(std::span<const uint8_t> chunk, const TAniTag& tag, int iconsRead) {
    if (chunk.size() < 6) return false;
    std::vector<uint8_t> copy(chunk.begin(), chunk.end());
    const uint32_t type = Le16(copy, 2);
    const bool isIcon = type == 1;
    if (type == 2) copy[2] = 1;
    if (type != 1 && type != 2) return false;
    QPoint hotSpot;
    const uint32_t entries = Le16(copy, 4);
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t entry = 6 + 16 * static_cast<size_t>(i);
        if (entry + 16 > copy.size()) return false;
        const uint64_t offset = Le32(copy, entry + 12);
        if (offset + 16 > copy.size()) return false;
        MaxColors = std::max(MaxColors, ColorsFromBitCount(Le16(copy, static_cast<size_t>(offset) + 14)));
        hotSpot = QPoint(static_cast<int>(Le16(copy, entry + 4)), static_cast<int>(Le16(copy, entry + 6)));
    }
    auto icon = std::make_shared<TIcon>();
    try {
        icon->LoadFromData(copy);
    } catch (const EIconError&) {
        return false;
    }
    if (isIcon) hotSpot = QPoint(icon->Width() / 2, icon->Height() / 2);
    bool claimed = false;
    const auto apply = [&](TIconFrame& frame) {
        frame.Icon = icon;
        frame.IsIcon = isIcon;
        frame.Tag = tag;
        frame.HotSpot = hotSpot;
    };
    for (auto& frame : frames_) {
        if (frame->SequenceIndex == iconsRead) {
            apply(*frame);
            claimed = true;
        }
    }
    if (!claimed) {
        frames_.push_back(std::make_unique<TIconFrame>(-1, Header.jifRate));
        apply(*frames_.back());
    }
    return true;
}

void TAnimatedCursorImage::Assign(const TAnimatedCursorImage* source) {
    if (source == this) return;
    Clear();
    if (!source) return;
    Header = source->Header;
    Title = source->Title;
    Creator = source->Creator;
    MaxColors = source->MaxColors;
    for (const auto& frame : source->frames_) {
        auto copy = std::make_unique<TIconFrame>(*frame);
        if (frame->Icon) {
            auto icon = std::make_shared<TIcon>();
            icon->Assign(*frame->Icon);
            copy->Icon = std::move(icon);
        }
        frames_.push_back(std::move(copy));
    }
}

void TAnimatedCursorImage::AssignTo(TIcon& icon) const {
    if (frames_.empty() || !frames_.front()->Icon)
        icon.Clear();
    else
        icon.Assign(*frames_.front()->Icon);
}

void TAnimatedCursorImage::AssignTo(QImage& bitmap, TColor background) const {
    AssignToBitmap(bitmap, background, false, true);
}

void TAnimatedCursorImage::AssignTo(TIconList& list) const {
    list.BeginUpdate();
    list.Clear();
    for (const auto& frame : frames_) list.Add(*frame->Icon);
    list.EndUpdate();
}

void TAnimatedCursorImage::AssignToBitmap(QImage& bitmap, TColor background, bool vertical,
                                          bool reduce) const {
    if (frames_.empty()) {
        bitmap = QImage();
        return;
    }
    const TIcon& first = *frames_.front()->Icon;
    const int count = FrameCount();
    QImage strip(vertical ? first.Width() : first.Width() * count,
                 vertical ? first.Height() * count : first.Height(), QImage::Format_RGB32);
    strip.fill(ToQColor(background));
    {
        QPainter painter(&strip);
        for (int i = 0; i < count; ++i) {
            const TIcon* icon = Icons(i);
            if (!icon) continue;
            painter.drawImage(vertical ? QPoint(0, i * icon->Height()) : QPoint(i * icon->Width(), 0),
                              icon->Image());
        }
    }
    bitmap = reduce ? ReduceBitmapColors(strip, std::max<int>(MaxColors, 16)) : strip;
}

QImage ReduceBitmapColors(const QImage& bitmap, int colors) {
    const std::vector<uint8_t> bmp = BitmapToDIBStreamByColors(bitmap, colors);
    return QImage::fromData(bmp.data(), static_cast<int>(bmp.size()), "BMP");
}

}  // namespace kordalt
