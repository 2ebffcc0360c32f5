// The DIB picture: one reference to shared bitmap data, copied on write, drawn
// with a nearest-pixel stretch, read and written as BMP files and packed DIBs.
#pragma once

#include <QImage>
#include <memory>
#include <vector>

#include "session/dib_image.h"

class QPainter;
class QRect;

namespace kordalt {

class TDIB {
public:
    TDIB();
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    bool Empty() const { return image_->Size() == 0; }
    int Width() const { return image_->Width(); }
    int Height() const { return image_->Height(); }
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
    // Shares the source's image; nullptr clears.
    void Assign(const TDIB* source);

    void Draw(QPainter& painter, const QRect& rect) const;

    // Packed DIB: info header, masks, colour table, data.
    void ReadData(TDibReadStream& stream);
    void WriteData(std::vector<uint8_t>& out) const;
    // A whole BMP file.
    void LoadFromStream(TDibReadStream& stream);
    void SaveToStream(std::vector<uint8_t>& out) const;

    TColorTable ColorTable{};
    TDIBPixelFormat RequestedPixelFormat;
    bool PaletteModified = false;

private:
    std::shared_ptr<TDIBSharedImage> image_;
};

// The image's pixels as 32-bit RGB, top row first (RLE data expanded).
QImage DibToQImage(const TDIBSharedImage& image);

}  // namespace kordalt
