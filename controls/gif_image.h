// The GIF picture type: a shared header and an ordered list of frames, each kept
// compressed and decoded into a bitmap the first time it is needed.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

#include "controls/gif_reader.h"
#include "controls/image_control_bitmap.h"

class QIODevice;
class QPainter;

namespace kordalt {

class TAnimatedCursorImage;
class TGIFImage;

// The clipboard format "GIF Image": a 32-bit little-endian length, then the GIF.
extern const TClipboardFormat GIFClipboardFormat;

class TGIFFrame : public TGIFFrameData {
public:
    explicit TGIFFrame(TGIFImage* owner) : Owner(owner) {}

    // The decoded bitmap; decodes the stored data on first use. A failure
    // propagates and leaves an empty bitmap in place.
    TBitmap& GetFrameBitmap();
    int FrameWidth();
    int FrameHeight();
    // Lines of the last comment extension (created when missing).
    std::vector<std::string>& Comment();
    void SetComment(const std::vector<std::string>& lines) { Comment() = lines; }

    void DrawGIFFrame(QPainter& canvas, const TRect& rect, bool transparent);

    // Takes the other frame's data (sharing its item) and a copy of its bitmap.
    void Assign(const TGIFFrame& source);
    // The image's current frame (frame 0 when the index is negative).
    void Assign(const TGIFImage& source);
    // A new item and a copy of the bitmap; an empty bitmap leaves the frame without one.
    void Assign(const TBitmap& source);
    // Another picture drawn on a bitmap; a transparent one keys the bitmap's white.
    void Assign(const TGraphic& source);
    void AssignTo(TBitmap& dest);

    // Encodes the bitmap into the item: 1- and 8-bit bitmaps as they are, others
    // reduced to 8 bits. Fails with 61098 without a bitmap.
    void EncodeFrameFromBitmap();

    TGIFImage* Owner;
    std::unique_ptr<TBitmap> Bitmap;

private:
    bool HasComment() const;
};

class TGIFImage : public TGraphic {
public:
    using ProgressEvent =
        std::function<void(TGIFImage& sender, TProgressStage stage, int percent, const QString& message)>;

    TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;
    ~TGIFImage() override;

    int Count() const { return static_cast<int>(frames_.size()); }
    TGIFFrame& Frames(int index) { return *frames_.at(static_cast<std::size_t>(index)); }
    int FrameIndex() const { return frameIndex_; }
    int ScreenWidth() const { return Empty() ? 0 : screenWidth_; }
    int ScreenHeight() const { return Empty() ? 0 : screenHeight_; }
    TColor BackgroundColor() const { return backgroundColor_; }
    const std::vector<std::string>& Comment() const { return data_->Comment; }
    std::uint8_t Version() const { return version_; }
    bool HasLoopExtension() const { return hasLoopExtension_; }
    std::uint16_t LoopCount() const { return loopCount_; }
    const TGIFData& Data() const { return *data_; }

    const char* ClassName() const override { return "TGIFImage"; }
    bool Empty() const override;
    // Size of the current frame, not of the screen (decoded when needed).
    int Width() const override;
    int Height() const override;
    [[noreturn]] void SetWidth(int);
    [[noreturn]] void SetHeight(int);
    // Only with the flag and a frame that has a transparent colour.
    bool Transparent() const override;
    void SetTransparentFlag(bool value) { transparentFlag_ = value; }
    // True colour throughout: there is no palette to realise.
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool value) { paletteModified_ = value; }
    bool Equals(const TGIFImage& other) const { return data_ == other.data_; }

    void Draw(QPainter& canvas, const TRect& rect) const override;
    TBitmap& CurrentBitmap();
    // The screen becomes the frames' outline, at most 65535 on a side.
    void UpdateScreenSize();

    // Reading: the whole data is one GIF; the first frame is decoded at once.
    void LoadFromBytes(const QByteArray& bytes);
    void LoadFromStream(QIODevice& stream) override;  // from the position to the end
    void LoadFromFile(const QString& fileName);
    // A 32-bit little-endian length, then that many bytes of GIF.
    void ReadData(QIODevice& stream);
    void ReadGIFStream(const QByteArray& bytes, bool decodeFirst);

    // Null empties the image; another GIF shares its header and copies its
    // frames; a bitmap becomes the only frame; other pictures ask the source.
    void Assign(const TGraphic* source) override;
    void Assign(const TGIFFrame& source);
    void Assign(const TBitmap& source);
    // One frame per cursor frame, delays from its rate (jiffies), on the window colour.
    void Assign(const TAnimatedCursorImage& source);
    void AssignTo(TGIFImage& dest) const { dest.Assign(this); }
    // The current frame's bitmap; nothing when the image is empty.
    void AssignTo(TBitmap& dest);
    bool AssignTo(TGraphic& dest) const override;

    // Appends a frame assigned from `graphic`, makes it current and returns its index.
    int AppendFrame(const TBitmap& graphic);
    int AppendFrame(const TGIFFrame& graphic);
    int AppendFrame(const TGraphic& graphic);

    // Writing: frames without compressed data are encoded from their bitmaps.
    // Without frames fails with 61098; on failure nothing reaches the stream.
    void SaveToStream(QIODevice& stream) override;
    void SaveToFile(const QString& fileName);
    // A 32-bit little-endian length, then the GIF.
    void WriteData(QIODevice& stream);
    QByteArray WriteGIFStream(bool withLength);

    // The GIF format's data is read without decoding; a plain bitmap also on the
    // clipboard becomes the first frame's bitmap. Another format is read as a bitmap.
    void LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) override;
    // The first frame's bitmap, and the GIF when every frame has its compressed data.
    void SaveToClipboardFormat(QMimeData& data) override;

    void ClearImage();

    std::function<void()> OnChange;
    ProgressEvent OnProgress;

    void Changed();
    GIFProgress ProgressNotices();

private:
    friend class TGIFFrame;  // encoding a frame updates the global table and the screen
    TGIFFrame& AddFrame();
    template <class Graphic>
    int AppendAssigned(const Graphic& graphic);
    void EncodeAllFrames();

    std::shared_ptr<TGIFData> data_;
    std::uint8_t version_ = 0;
    std::vector<std::unique_ptr<TGIFFrame>> frames_;
    int frameIndex_ = -1;
    std::uint16_t screenWidth_ = 0, screenHeight_ = 0;
    TColor backgroundColor_ = clNone;
    bool hasLoopExtension_ = false;
    std::uint16_t loopCount_ = 1;
    bool transparentFlag_ = true;
    bool paletteModified_ = false;
};

}  // namespace kordalt
