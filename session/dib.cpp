#include "session/dib.h"

#include <QPainter>
#include <algorithm>

#include "session/peer_consts.h"

namespace kordalt {

namespace {

constexpr uint16_t kBitmapFileType = 0x4D42;  // "BM"
constexpr size_t kFileHeaderSize = 14;

void AppendU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// One 8-bit channel of a 16- or 32-bit pixel: right shifts for red and green,
// a left shift for blue.
int Channel(uint32_t pixel, int32_t mask, int shiftRight) {
    const uint32_t bits = pixel & uint32_t(mask);
    return static_cast<int>((shiftRight >= 0 ? bits >> shiftRight : bits << -shiftRight) & 0xFF);
}

QRgb TableColor(const TColorTable& table, int index) {
    const TRGBQuad& q = table[index];
    return qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

QRgb PixelColor(const TDIBSharedImage& image, const uint8_t* row, int x) {
    const TDIBPixelFormat& f = image.PixelFormat();
    switch (image.BitCount()) {
        case 1: return TableColor(image.ColorTable(), (row[x >> 3] >> (7 - (x & 7))) & 1);
        case 4: return TableColor(image.ColorTable(), x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
        case 8: return TableColor(image.ColorTable(), row[x]);
        case 24: return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        default: {
            const int bytes = image.BitCount() / 8;
            uint32_t v = 0;
            for (int i = 0; i < bytes; ++i) v |= uint32_t(row[bytes * x + i]) << (8 * i);
            return qRgb(Channel(v, f.RBitMask, f.RShift), Channel(v, f.GBitMask, f.GShift),
                        Channel(v, f.BBitMask, -f.BShift));
        }
    }
}

}  // namespace

QImage DibToQImage(const TDIBSharedImage& image) {
    if (image.Size() == 0) return {};
    if (image.Compressed()) {
        TDIBSharedImage expanded;
        expanded.Decompress(image, true);
        return DibToQImage(expanded);
    }
    QImage out(image.Width(), image.Height(), QImage::Format_RGB32);
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row =
            image.Pixels() + static_cast<size_t>(image.Height() - 1 - y) * image.WidthBytes();
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.Width(); ++x) line[x] = PixelColor(image, row, x);
    }
    return out;
}

TDIB::TDIB() : image_(EmptyDIBImage()) {
    ColorTable = image_->ColorTable();
    RequestedPixelFormat = image_->PixelFormat();
}

void TDIB::SetImage(std::shared_ptr<TDIBSharedImage> image) {
    if (image == image_) return;
    image_ = std::move(image);
    ColorTable = image_->ColorTable();
    RequestedPixelFormat = image_->PixelFormat();
}

void TDIB::Clear() { SetImage(EmptyDIBImage()); }

void TDIB::Changing(bool keepMemoryKind) {
    if (image_.use_count() < 2 && !image_->Compressed() &&
        (keepMemoryKind || !image_->MemoryImage()))
        return;
    auto copy = std::make_shared<TDIBSharedImage>();
    copy->Decompress(*image_, image_->MemoryImage() && keepMemoryKind);
    SetImage(std::move(copy));
}

void TDIB::MakeDIBSection() {
    if (!image_->MemoryImage()) return;
    auto copy = std::make_shared<TDIBSharedImage>();
    copy->Decompress(*image_, false);
    SetImage(std::move(copy));
}

uint8_t* TDIB::PBits() {
    Changing(true);
    return image_->Pixels();
}

void TDIB::SetSize(int width, int height, int bitCount) {
    const TDIBPixelFormat& f = image_->PixelFormat();
    if (width == Width() && height == Height() && bitCount == BitCount() &&
        f.RBitMask == RequestedPixelFormat.RBitMask &&
        f.GBitMask == RequestedPixelFormat.GBitMask &&
        f.BBitMask == RequestedPixelFormat.BBitMask)
        return;
    if (width < 1 || height <= 0) {
        Clear();
        return;
    }
    auto image = std::make_shared<TDIBSharedImage>();
    image->CreateImage(width, height, bitCount, RequestedPixelFormat, ColorTable,
                       image_->MemoryImage(), false);
    SetImage(std::move(image));
    PaletteModified = true;
}

void TDIB::SetWidth(int width) {
    if (width < 1) Clear();
    else if (Empty()) SetSize(width, std::max(Height(), 1), 8);
    else SetSize(width, Height(), BitCount());
}

void TDIB::SetHeight(int height) {
    if (height < 1) Clear();
    else if (Empty()) SetSize(std::max(Width(), 1), height, 8);
    else SetSize(Width(), height, BitCount());
}

void TDIB::UpdatePalette() {
    if (ColorTable == image_->ColorTable()) return;
    const TColorTable edited = ColorTable;
    Changing(true);
    ColorTable = edited;
    image_->SetColorTable(ColorTable);
    PaletteModified = true;
}

void TDIB::Assign(const TDIB* source) {
    if (source == nullptr) Clear();
    else SetImage(source->image_);
}

void TDIB::Draw(QPainter& painter, const QRect& rect) const {
    if (Empty()) return;
    // The palette is realised as the platform would select it.
    if (PaletteCount() >= 1) image_->GetPalette();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect, DibToQImage(*image_));
    painter.restore();
}

void TDIB::ReadData(TDibReadStream& stream) {
    auto image = std::make_shared<TDIBSharedImage>();
    image->ReadPackedDIB(stream, image_->MemoryImage());
    SetImage(std::move(image));
}

void TDIB::WriteData(std::vector<uint8_t>& out) const {
    if (Empty()) return;
    const auto info = image_->BitmapInfo();
    out.insert(out.end(), info.begin(), info.end());
    const size_t bytes = std::min(image_->DataSize(), image_->PixelMemorySize());
    out.insert(out.end(), image_->Pixels(), image_->Pixels() + bytes);
}

void TDIB::LoadFromStream(TDibReadStream& stream) {
    uint8_t header[kFileHeaderSize];
    const size_t got = stream.Read(header, kFileHeaderSize);
    if (got == 0) return;
    if (got < kFileHeaderSize || (header[0] | header[1] << 8) != kBitmapFileType)
        throw EInvalidGraphic(SInvalidDib);
    ReadData(stream);
}

void TDIB::SaveToStream(std::vector<uint8_t>& out) const {
    if (Empty()) return;
    const auto infoSize = static_cast<uint32_t>(image_->BitmapInfo().size());
    out.push_back('B');
    out.push_back('M');
    AppendU32(out, static_cast<uint32_t>(image_->DataSize()) + infoSize + kFileHeaderSize);
    AppendU32(out, 0);
    AppendU32(out, infoSize + kFileHeaderSize);
    WriteData(out);
}

}  // namespace kordalt
