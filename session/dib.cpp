#include "session/dib.h"

#include <QHash>
#include <QIODevice>
#include <QMimeData>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "controls/clipboard.h"
#include "controls/image_control_bitmap.h"
#include "controls/picture.h"
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
        case 1:
            return TableColor(image.ColorTable(), (row[x >> 3] >> (7 - (x & 7))) & 1);
        case 4:
            return TableColor(image.ColorTable(), x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
        case 8:
            return TableColor(image.ColorTable(), row[x]);
        case 24:
            return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        default: {
            const int bytes = image.BitCount() / 8;
            uint32_t v = 0;
            for (int i = 0; i < bytes; ++i) v |= uint32_t(row[bytes * x + i]) << (8 * i);
            return qRgb(Channel(v, f.RBitMask, f.RShift), Channel(v, f.GBitMask, f.GShift),
                        Channel(v, f.BBitMask, -f.BShift));
        }
    }
}

// The colour-table entry nearest to a colour (the first of equally near ones).
int NearestIndex(const TColorTable& table, int count, QRgb colour) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < count; ++i) {
        const int dr = table[i].rgbRed - qRed(colour), dg = table[i].rgbGreen - qGreen(colour),
                  db = table[i].rgbBlue - qBlue(colour);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

// Writes one pixel of a bottom-up row in the picture's own format.
class PixelPutter {
public:
    explicit PixelPutter(const TDIBSharedImage& image) : image_(image) {}

    void Put(uint8_t* row, int x, QRgb colour) {
        const TDIBPixelFormat& f = image_.PixelFormat();
        switch (image_.BitCount()) {
            case 1: {
                const uint8_t bit = uint8_t(0x80 >> (x & 7));
                row[x >> 3] = Index(colour) ? row[x >> 3] | bit : row[x >> 3] & ~bit;
                break;
            }
            case 4:
                row[x / 2] = x % 2 == 0 ? uint8_t((row[x / 2] & 0x0F) | Index(colour) << 4)
                                        : uint8_t((row[x / 2] & 0xF0) | Index(colour));
                break;
            case 8:
                row[x] = uint8_t(Index(colour));
                break;
            case 24:
                row[3 * x] = uint8_t(qBlue(colour));
                row[3 * x + 1] = uint8_t(qGreen(colour));
                row[3 * x + 2] = uint8_t(qRed(colour));
                break;
            default: {
                const uint32_t v = uint32_t(qRed(colour) >> f.RLoss) << (f.GBitCount + f.BBitCount) |
                                   uint32_t(qGreen(colour) >> f.GLoss) << f.BBitCount |
                                   uint32_t(qBlue(colour) >> f.BLoss);
                const int bytes = image_.BitCount() / 8;
                for (int i = 0; i < bytes; ++i) row[bytes * x + i] = uint8_t(v >> (8 * i));
            }
        }
    }

private:
    int Index(QRgb colour) {
        const auto found = nearest_.constFind(colour);
        if (found != nearest_.constEnd()) return *found;
        const int index = NearestIndex(image_.ColorTable(), image_.PaletteCount(), colour);
        nearest_.insert(colour, index);
        return index;
    }

    const TDIBSharedImage& image_;
    QHash<QRgb, int> nearest_;
};

const bool kRegistered = [] {
    TPicture::RegisterClipboardFormat(CF_DIB, &CreateGraphic<TDIB>);
    TPicture::RegisterFileFormat("dib", "Device Independent Bitmap", &CreateGraphic<TDIB>);
    return true;
}();

// Takes TDIB out of the picture holder when the program ends.
struct Unregister {
    ~Unregister() { TPicture::UnregisterGraphicClass(&CreateGraphic<TDIB>); }
} unregisterAtExit;

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
    if (image_.use_count() < 2 && !image_->Compressed() && (keepMemoryKind || !image_->MemoryImage())) return;
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
        f.RBitMask == RequestedPixelFormat.RBitMask && f.GBitMask == RequestedPixelFormat.GBitMask &&
        f.BBitMask == RequestedPixelFormat.BBitMask)
        return;
    if (width < 1 || height <= 0) {
        Clear();
        return;
    }
    auto image = std::make_shared<TDIBSharedImage>();
    image->CreateImage(width, height, bitCount, RequestedPixelFormat, ColorTable, image_->MemoryImage(),
                       false);
    SetImage(std::move(image));
    PaletteModified = true;
}

void TDIB::SetWidth(int width) {
    if (width < 1)
        Clear();
    else if (Empty())
        SetSize(width, std::max(Height(), 1), 8);
    else
        SetSize(width, Height(), BitCount());
}

void TDIB::SetHeight(int height) {
    if (height < 1)
        Clear();
    else if (Empty())
        SetSize(std::max(Width(), 1), height, 8);
    else
        SetSize(Width(), height, BitCount());
}

void TDIB::UpdatePalette() {
    if (ColorTable == image_->ColorTable()) return;
    const TColorTable edited = ColorTable;
    Changing(true);
    ColorTable = edited;
    image_->SetColorTable(ColorTable);
    PaletteModified = true;
}

void TDIB::Assign(const TGraphic* source) {
    if (source == nullptr)
        Clear();
    else if (const auto* dib = dynamic_cast<const TDIB*>(source))
        SetImage(dib->image_);
    else
        AssignGraphic(*source);
}

void TDIB::Assign(const TPicture& source) { Assign(source.Graphic()); }

void TDIB::AssignGraphic(const TGraphic& graphic) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic)) {
        AssignBitmap(*bitmap);
        return;
    }
    SetSize(graphic.Width(), graphic.Height(), 24);
    if (Empty()) return;
    std::memset(PBits(), 0, Size());
    TDIBCanvas canvas(*this);
    graphic.Draw(canvas, {0, 0, graphic.Width(), graphic.Height()});
}

void TDIB::AssignBitmap(const TBitmap& bitmap) {
    const QImage& image = bitmap.Image;
    int bitCount;
    TDIBPixelFormat format = MakeDIBPixelFormat(8, 8, 8);
    switch (image.format()) {
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
            bitCount = 1;
            break;
        case QImage::Format_Indexed8:
            bitCount = 8;
            break;
        case QImage::Format_RGB16:
            bitCount = 16;
            format = MaskToDIBPixelFormat(0xF800, 0x07E0, 0x001F);
            break;
        case QImage::Format_RGB555:
            bitCount = 16;
            format = MakeDIBPixelFormat(5, 5, 5);
            break;
        case QImage::Format_RGB888:
        case QImage::Format_BGR888:
            bitCount = 24;
            break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            bitCount = 32;
            break;
        default:
            return;  // no bitmap object of the platform's kinds
    }
    TColorTable table{};
    const QList<QRgb> colours = image.colorTable();
    for (int i = 0; i < std::min<int>(colours.size(), 256); ++i)
        table[i] = {uint8_t(qBlue(colours[i])), uint8_t(qGreen(colours[i])), uint8_t(qRed(colours[i])), 0};
    ColorTable = table;
    UpdatePalette();
    RequestedPixelFormat = format;
    SetSize(image.width(), image.height(), bitCount);
    if (Empty()) return;
    std::memset(PBits(), 0, Size());
    TDIBCanvas canvas(*this);
    canvas.drawImage(0, 0, image);
}

std::unique_ptr<TDIBCanvas> TDIB::Canvas() { return std::make_unique<TDIBCanvas>(*this); }

TDIBCanvas::TDIBCanvas(TDIB& dib) : dib_(dib) {
    dib_.MakeDIBSection();
    dib_.Changing(false);
    surface_ = DibToQImage(*dib_.Image());
    before_ = surface_;
    if (!surface_.isNull()) begin(&surface_);
}

TDIBCanvas::~TDIBCanvas() {
    if (isActive()) end();
    if (surface_.isNull()) return;
    TDIBSharedImage& image = *dib_.Image();
    PixelPutter putter(image);
    for (int y = 0; y < surface_.height(); ++y) {
        const auto* now = reinterpret_cast<const QRgb*>(surface_.constScanLine(y));
        const auto* was = reinterpret_cast<const QRgb*>(before_.constScanLine(y));
        uint8_t* row = image.Pixels() + static_cast<size_t>(image.Height() - 1 - y) * image.WidthBytes();
        for (int x = 0; x < surface_.width(); ++x) {
            if (now[x] != was[x]) putter.Put(row, x, now[x]);
        }
    }
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

void TDIB::ReadData(TDibReadStream& stream, int64_t pixelOffset) {
    auto image = std::make_shared<TDIBSharedImage>();
    image->ReadPackedDIB(stream, image_->MemoryImage(), pixelOffset);
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
    const uint32_t offBits = header[10] | header[11] << 8 | header[12] << 16 | uint32_t(header[13]) << 24;
    ReadData(stream, int64_t(offBits) - int64_t(kFileHeaderSize));
}

void TDIB::LoadFromStream(QIODevice& stream) {
    const QByteArray bytes = stream.readAll();
    TDibReadStream in(
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())));
    LoadFromStream(in);
}

void TDIB::SaveToStream(QIODevice& stream) {
    std::vector<uint8_t> out;
    SaveToStream(out);
    if (stream.write(reinterpret_cast<const char*>(out.data()), qint64(out.size())) != qint64(out.size()))
        throw std::runtime_error("Stream write error");
}

void TDIB::LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) {
    if (format != CF_DIB) throw EInvalidGraphic("Unsupported clipboard format");
    TGlobalMemoryStream stream(ClipboardBlock(data, CF_DIB));
    ReadData(stream);
}

void TDIB::SaveToClipboardFormat(QMimeData& data) {
    std::vector<uint8_t> packed;
    WriteData(packed);
    SetClipboardBlock(data, CF_DIB,
                      QByteArray(reinterpret_cast<const char*>(packed.data()), qsizetype(packed.size())));
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
