#include "controls/icon_list.h"

#include <QIODevice>
#include <QMimeData>
#include <QPainter>
#include <string>

#include "controls/clipboard.h"
#include "controls/picture.h"

namespace kordalt {

namespace {

constexpr int kMaxIconSide = 1024;

int32_t GetInt32(std::span<const uint8_t> d, size_t at) { return static_cast<int32_t>(Le32(d, at)); }

size_t RowBytes(int64_t width, int bitCount) {
    return static_cast<size_t>(((width * bitCount + 31) / 32) * 4);
}

// The AND mask's bit of a pixel: set = transparent.
bool MaskBit(std::span<const uint8_t> mask, size_t row, int x) {
    return (mask[row + x / 8] >> (7 - x % 8)) & 1;
}

QRgb DibPixel(std::span<const uint8_t> line, std::span<const uint8_t> table, int bitCount, int x) {
    if (bitCount == 24) return qRgb(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
    if (bitCount == 32) return qRgba(line[4 * x + 2], line[4 * x + 1], line[4 * x], line[4 * x + 3]);
    const int bit = x * bitCount;
    const unsigned index = (line[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
    if (4 * index + 3 >= table.size()) throw EIconError();
    return qRgb(table[4 * index + 2], table[4 * index + 1], table[4 * index]);
}

// A DIB image of an icon file: info header, colour table, colour rows, mask rows.
QImage DecodeDib(std::span<const uint8_t> image) {
    if (image.size() < 40) throw EIconError();
    const uint32_t headerSize = Le32(image, 0);
    const int32_t width = GetInt32(image, 4), doubleHeight = GetInt32(image, 8);
    const int bitCount = static_cast<int>(Le16(image, 14));
    const uint32_t compression = Le32(image, 16), used = Le32(image, 32);
    const int height = doubleHeight / 2;
    if (headerSize < 40 || headerSize > image.size() || width < 1 || width > kMaxIconSide || height < 1 ||
        height > kMaxIconSide)
        throw EIconError();
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        throw EIconError();
    if (compression != 0 && !(compression == 3 && bitCount == 32)) throw EIconError();
    const uint64_t maxColours = bitCount <= 8 ? 1u << bitCount : 0;
    const uint64_t colours = used != 0 && used < maxColours ? used : maxColours;
    const uint64_t tableAt = headerSize + (compression == 3 ? 12 : 0);
    const uint64_t colourAt = tableAt + 4 * colours;
    const size_t colourRow = RowBytes(width, bitCount), maskRow = RowBytes(width, 1);
    const uint64_t maskAt = colourAt + static_cast<uint64_t>(colourRow) * height;
    const bool hasMask = maskAt + static_cast<uint64_t>(maskRow) * height <= image.size();
    if (maskAt > image.size() || (!hasMask && bitCount != 32)) throw EIconError();
    const auto table = image.subspan(static_cast<size_t>(tableAt), static_cast<size_t>(4 * colours));

    QImage result(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const size_t stored = static_cast<size_t>(height - 1 - y);
        const auto line = image.subspan(static_cast<size_t>(colourAt) + stored * colourRow, colourRow);
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            QRgb pixel = DibPixel(line, table, bitCount, x);
            if (bitCount != 32 && hasMask &&
                MaskBit(image, static_cast<size_t>(maskAt) + stored * maskRow, x))
                pixel = qRgba(0, 0, 0, 0);
            out[x] = pixel;
        }
    }
    return result;
}

QImage DecodeImage(std::span<const uint8_t> image) {
    static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (image.size() >= sizeof kPng && std::equal(std::begin(kPng), std::end(kPng), image.begin())) {
        QImage png = QImage::fromData(image.data(), static_cast<int>(image.size()), "PNG");
        if (png.isNull() || png.width() > kMaxIconSide || png.height() > kMaxIconSide) throw EIconError();
        return png.convertToFormat(QImage::Format_ARGB32);
    }
    return DecodeDib(image);
}

}  // namespace

void TIcon::LoadFromData(std::span<const uint8_t> data) {
    if (data.size() < 6 || Le16(data, 0) != 0 || Le16(data, 2) != 1) throw EIconError();
    const uint32_t count = Le16(data, 4);
    if (count == 0 || 6 + 16 * static_cast<uint64_t>(count) > data.size()) throw EIconError();
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * static_cast<size_t>(i);
        const uint64_t size = Le32(data, entry + 8), offset = Le32(data, entry + 12);
        if (size == 0 || offset + size > data.size()) throw EIconError();
    }
    const size_t first = Le32(data, 6 + 12);
    QImage image = DecodeImage(data.subspan(first, Le32(data, 6 + 8)));
    data_.assign(data.begin(), data.end());
    image_ = std::move(image);
    Changed();
}

const TClipboardFormat IconClipboardFormat = [] {
    const TClipboardFormat format = RegisterClipboardFormat("Quenda Icon");
    TPicture::RegisterClipboardFormat(format, &CreateGraphic<TIcon>);
    return format;
}();

void TIcon::Draw(QPainter& canvas, const TRect& rect) const {
    if (!Empty()) canvas.drawImage(rect.ToQRect(), image_);
}

void TIcon::LoadFromStream(QIODevice& stream) {
    const QByteArray bytes = stream.readAll();
    LoadFromData(
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())));
}

void TIcon::SaveToStream(QIODevice& stream) {
    const auto size = static_cast<qint64>(data_.size());
    if (stream.write(reinterpret_cast<const char*>(data_.data()), size) != size)
        throw std::runtime_error("Stream write error");
}

void TIcon::LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) {
    const QByteArray block = format == IconClipboardFormat ? ClipboardBlock(data, format) : QByteArray();
    LoadFromData(
        std::span(reinterpret_cast<const uint8_t*>(block.constData()), static_cast<size_t>(block.size())));
}

void TIcon::SaveToClipboardFormat(QMimeData& data) {
    SetClipboardBlock(
        data, IconClipboardFormat,
        QByteArray(reinterpret_cast<const char*>(data_.data()), static_cast<qsizetype>(data_.size())));
}

void TIcon::Assign(const TGraphic* source) {
    if (!source) {
        Clear();
    } else if (const auto* icon = dynamic_cast<const TIcon*>(source)) {
        Assign(*icon);
    } else {
        TGraphic::Assign(source);
    }
}

void TIcon::Assign(const TIcon& source) {
    if (&source == this) return;
    data_ = source.data_;
    image_ = source.image_;
    Changed();
}

void TIcon::Clear() {
    data_.clear();
    image_ = QImage();
    Changed();
}

void TIcon::Changed() {
    if (OnChange) OnChange(this);
}

TIconList::~TIconList() {
    OnChange = nullptr;
    for (auto& icon : icons_)
        if (icon) icon->OnChange = nullptr;
}

void TIconList::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TIconList::Changed() {
    if (updateCount_ == 0 && OnChange) OnChange(this);
}

void TIconList::CheckIndex(int index, int limit) const {
    if (index < 0 || index >= limit)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

TIcon* TIconList::Icons(int index) const {
    CheckIndex(index, Count());
    return icons_[static_cast<size_t>(index)].get();
}

void TIconList::Hook(TIcon* icon) {
    if (icon) icon->OnChange = [this](TIcon*) { Changed(); };
}

void TIconList::SetIcons(int index, const TIcon& icon) {
    CheckIndex(index, Count() + 1);
    BeginUpdate();
    if (index == Count()) AddIcon(std::make_unique<TIcon>());
    auto& entry = icons_[static_cast<size_t>(index)];
    if (!entry) entry = std::make_unique<TIcon>();
    Hook(entry.get());
    entry->Assign(icon);
    EndUpdate();
}

void TIconList::InsertIcon(int index, std::unique_ptr<TIcon> icon) {
    Hook(icon.get());
    icons_.insert(icons_.begin() + index, std::move(icon));
    Changed();
}

int TIconList::AddIcon(std::unique_ptr<TIcon> icon) {
    InsertIcon(Count(), std::move(icon));
    return Count() - 1;
}

int TIconList::Add(const TIcon& icon) {
    auto copy = std::make_unique<TIcon>();
    copy->Assign(icon);
    return AddIcon(std::move(copy));
}

void TIconList::Insert(int index, const TIcon& icon) {
    CheckIndex(index, Count() + 1);
    auto copy = std::make_unique<TIcon>();
    copy->Assign(icon);
    InsertIcon(index, std::move(copy));
}

void TIconList::Delete(int index) {
    CheckIndex(index, Count());
    if (auto& icon = icons_[static_cast<size_t>(index)]) icon->OnChange = nullptr;
    icons_.erase(icons_.begin() + index);
    Changed();
}

void TIconList::Clear() {
    BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i) Delete(i);
    EndUpdate();
}

void TIconList::Exchange(int index1, int index2) {
    CheckIndex(index1, Count());
    CheckIndex(index2, Count());
    std::swap(icons_[static_cast<size_t>(index1)], icons_[static_cast<size_t>(index2)]);
    Changed();
}

void TIconList::Move(int from, int to) {
    CheckIndex(from, Count());
    CheckIndex(to, Count());
    auto icon = std::move(icons_[static_cast<size_t>(from)]);
    icons_.erase(icons_.begin() + from);
    icons_.insert(icons_.begin() + to, std::move(icon));
    Changed();
}

int TIconList::IndexOf(const TIcon* icon) const {
    for (int i = 0; i < Count(); ++i)
        if (icons_[static_cast<size_t>(i)].get() == icon) return i;
    return -1;
}

void TIconList::Assign(const TIconList* source) {
    if (source == this) return;
    BeginUpdate();
    Clear();
    if (source) {
        const TIcon empty;
        for (const auto& icon : source->icons_) Add(icon ? *icon : empty);
    }
    EndUpdate();
}

void TIconList::Assign(const TIcon& source) {
    BeginUpdate();
    Clear();
    Add(source);
    EndUpdate();
}

void TIconList::LoadFromStream(std::span<const uint8_t> data) {
    BeginUpdate();
    struct EndUpdateOnExit {
        TIconList& list;
        ~EndUpdateOnExit() { list.EndUpdate(); }
    } guard{*this};
    Clear();
    size_t at = 0;
    const auto read32 = [&] {
        if (data.size() - at < 4) throw EReadError();
        at += 4;
        return Le32(data, at - 4);
    };
    const uint32_t count = read32();
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t size = read32();
        if (size > data.size() - at) throw EReadError();
        std::unique_ptr<TIcon> icon;
        if (size >= 1) {
            icon = std::make_unique<TIcon>();
            icon->LoadFromData(data.subspan(at, size));
        }
        at += size;
        AddIcon(std::move(icon));
    }
}

void TIconList::SaveToStream(std::vector<uint8_t>& out) const {
    const auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put32(static_cast<uint32_t>(icons_.size()));
    for (const auto& icon : icons_) {
        if (!icon || icon->Empty()) {
            put32(0);
            continue;
        }
        put32(static_cast<uint32_t>(icon->Data().size()));
        out.insert(out.end(), icon->Data().begin(), icon->Data().end());
    }
}

}  // namespace kordalt
