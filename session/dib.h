// The DIB picture: one reference to shared bitmap data, copied on write, drawn
// with a nearest-pixel stretch, read and written as BMP files and packed DIBs.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "controls/graphic.h"
#include "session/dib_image.h"

class QRect;

namespace kordalt {

class TBitmap;
class TDIBCanvas;
class TPicture;

// A memory stream over a clipboard block, read in place. It holds the block while
// it lives and never frees it.
class TGlobalMemoryStream : private QByteArray, public TDibReadStream {
public:
    explicit TGlobalMemoryStream(const QByteArray& block)
        : QByteArray(block),
          TDibReadStream(
              std::span(reinterpret_cast<const uint8_t*>(constData()), static_cast<size_t>(size()))) {}
};

class TDIB : public TGraphic {
public:
    TDIB();
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    const char* ClassName() const override { return "TDIB"; }
    bool Empty() const override { return image_->Size() == 0; }
    int Width() const override { return image_->Width(); }
    int Height() const override { return image_->Height(); }
    int BitCount() const { return image_->BitCount(); }
    int WidthBytes() const { return image_->WidthBytes(); }
    int NextLine() const { return image_->NextLine(); }
    size_t Size() const { return image_->Size(); }
    const TDIBPixelFormat& PixelFormat() const { return image_->PixelFormat(); }
    int PaletteCount() const { return image_->PaletteCount(); }
    int BitmapInfoSize() const { return static_cast<int>(image_->BitmapInfo().size()); }
    // The cached palette handle of the image.
    int Palette() { return image_->GetPalette(); }
    const std::shared_ptr<TDIBSharedImage>& Image() const { return image_; }

    void SetImage(std::shared_ptr<TDIBSharedImage> image);
    void Clear();
    // Copy on write: a private, expanded image before any change.
    void Changing(bool keepMemoryKind);
    void MakeDIBSection();
    // The pixel memory (bottom row first), private to this picture.
    uint8_t* PBits();
    void SetSize(int width, int height, int bitCount);
    void SetWidth(int width);
    void SetHeight(int height);
    // Takes ColorTable into the image when it was edited.
    void UpdatePalette();
    // Null clears; another DIB shares its image; other pictures are drawn on a
    // blank image of their size (a bitmap at its own depth and colours).
    void Assign(const TGraphic* source) override;
    // The holder's graphic; clears when it has none.
    void Assign(const TPicture& source);
    void AssignGraphic(const TGraphic& graphic);
    void AssignBitmap(const TBitmap& bitmap);
    // Painting on a private DIB-section image; see TDIBCanvas.
    std::unique_ptr<TDIBCanvas> Canvas();

    void Draw(QPainter& painter, const QRect& rect) const;
    void Draw(QPainter& canvas, const TRect& rect) const override { Draw(canvas, rect.ToQRect()); }

    // Packed DIB: info header, masks, colour table, data; `pixelOffset` as
    // TDIBSharedImage::ReadPackedDIB takes it.
    void ReadData(TDibReadStream& stream, int64_t pixelOffset = -1);
    void WriteData(std::vector<uint8_t>& out) const;
    // A whole BMP file; the pixels are taken from the file header's offset.
    void LoadFromStream(TDibReadStream& stream);
    void SaveToStream(std::vector<uint8_t>& out) const;
    void LoadFromStream(QIODevice& stream) override;
    void SaveToStream(QIODevice& stream) override;
    // The packed DIB (CF_DIB).
    void LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) override;
    void SaveToClipboardFormat(QMimeData& data) override;

    TColorTable ColorTable{};
    TDIBPixelFormat RequestedPixelFormat;
    bool PaletteModified = false;

private:
    std::shared_ptr<TDIBSharedImage> image_;
};

// The image's pixels as 32-bit RGB, top row first (RLE data expanded).
QImage DibToQImage(const TDIBSharedImage& image);

// The canvas of a DIB: painting goes to a 32-bit image of the picture's pixels;
// when the canvas ends, the pixels it changed return to the picture in its own
// format (palette pictures take the nearest colour of their table).
class TDIBCanvas : public QPainter {
public:
    explicit TDIBCanvas(TDIB& dib);
    ~TDIBCanvas();
    TDIBCanvas(const TDIBCanvas&) = delete;
    TDIBCanvas& operator=(const TDIBCanvas&) = delete;

private:
    TDIB& dib_;
    QImage surface_, before_;
};

}  // namespace kordalt
