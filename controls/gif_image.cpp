#include "controls/gif_image.h"

#include <QFile>
#include <QIODevice>
#include <QMimeData>
#include <QPainter>
#include <algorithm>

#include "controls/ani_cursor.h"
#include "controls/clipboard.h"
#include "controls/gif_bitmap_dib.h"
#include "controls/gif_writer.h"
#include "controls/picture.h"

namespace kordalt {

const TClipboardFormat GIFClipboardFormat = [] {
    const TClipboardFormat format = RegisterClipboardFormat("GIF Image");
    TPicture::RegisterFileFormat("gif", QString::fromStdString(GIFResourceString(sGIFImageDescription)),
                                 &CreateGraphic<TGIFImage>);
    TPicture::RegisterClipboardFormat(format, &CreateGraphic<TGIFImage>);
    return format;
}();

namespace {

// Takes TGIFImage out of the picture holder when the program ends.
struct Unregister {
    ~Unregister() { TPicture::UnregisterGraphicClass(&CreateGraphic<TGIFImage>); }
} unregisterAtExit;

}  // namespace

TBitmap& TGIFFrame::GetFrameBitmap() {
    if (Bitmap && !Bitmap->Empty()) return *Bitmap;
    Bitmap = std::make_unique<TBitmap>();
    if (!Item->ImageData) return *Bitmap;
    bool corrupted = false;
    const std::vector<std::uint8_t> bmp = DecodeGIFFrameToDIB(
        *Item, Interlaced, TolerateCorruptGIF, Owner ? Owner->ProgressNotices() : GIFProgress(), corrupted);
    if (corrupted) Corrupted = true;
    QImage image;
    if (image.loadFromData(bmp.data(), static_cast<int>(bmp.size()), "BMP"))
        Bitmap->Image = image.convertToFormat(QImage::Format_RGB32);
    return *Bitmap;
}

int TGIFFrame::FrameWidth() { return !Bitmap && !Item->ImageData ? 0 : GetFrameBitmap().Image.width(); }

int TGIFFrame::FrameHeight() { return !Bitmap && !Item->ImageData ? 0 : GetFrameBitmap().Image.height(); }

bool TGIFFrame::HasComment() const {
    return std::any_of(Extensions.begin(), Extensions.end(),
                       [](const TExtension& e) { return e.Kind == ekComment; });
}

std::vector<std::string>& TGIFFrame::Comment() {
    for (auto e = Extensions.rbegin(); e != Extensions.rend(); ++e) {
        if (e->Kind == ekComment) return e->Data;
    }
    Extensions.push_back(TExtension{ekComment, {}, {}});
    return Extensions.back().Data;
}

void TGIFFrame::DrawGIFFrame(QPainter& canvas, const TRect& rect, bool transparent) {
    GetFrameBitmap().Draw(canvas, rect, transparent ? TransparentColor : clNone);
}

void TGIFFrame::Assign(const TGIFFrame& source) {
    if (&source == this) return;
    Item = source.Item;
    LocalColorTable = source.Owner == Owner ? source.LocalColorTable : true;
    OriginX = source.OriginX;
    OriginY = source.OriginY;
    Interlaced = source.Interlaced;
    Bitmap = source.Bitmap ? std::make_unique<TBitmap>(*source.Bitmap) : nullptr;
    TransparentColor = source.TransparentColor;
    AnimateInterval = source.AnimateInterval;
    Disposal = source.Disposal;
    Grayscale = source.Grayscale;
    Corrupted = source.Corrupted;
    if (source.HasComment()) {
        for (const TExtension& e : source.Extensions) {
            if (e.Kind == ekComment) SetComment(e.Data);
        }
    }
    if (Owner) Owner->UpdateScreenSize();
}

void TGIFFrame::Assign(const TGIFImage& source) {
    auto& image = const_cast<TGIFImage&>(source);
    if (image.Count() == 0) return;
    Assign(image.Frames(std::max(image.FrameIndex(), 0)));
}

void TGIFFrame::Assign(const TBitmap& source) {
    Item = std::make_shared<TGIFItem>();
    Bitmap = source.Empty() ? nullptr : std::make_unique<TBitmap>(source);
    if (Owner) Owner->UpdateScreenSize();
}

void TGIFFrame::Assign(const TGraphic& source) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        Assign(*bitmap);
        return;
    }
    Item = std::make_shared<TGIFItem>();
    Bitmap.reset();
    if (!source.Empty()) {
        Bitmap = std::make_unique<TBitmap>();
        Bitmap->Assign(&source);
        if (source.Transparent()) TransparentColor = clWhite;
    }
    if (Owner) Owner->UpdateScreenSize();
}

void TGIFFrame::AssignTo(TBitmap& dest) { dest.Image = GetFrameBitmap().Image; }

void TGIFFrame::EncodeFrameFromBitmap() {
    if (!Bitmap || Bitmap->Empty()) throw GIFError(sGIFNoDataToWrite);
    const std::vector<std::uint8_t> bmp = GIFFrameBMP(Bitmap->Image, Grayscale);
    EncodeFrameDIB(*this, bmp, *Owner->data_, Owner->screenWidth_, Owner->screenHeight_,
                   Owner->ProgressNotices());
}

TGIFImage::TGIFImage() { ClearImage(); }

TGIFImage::~TGIFImage() { OnChange = nullptr; }

void TGIFImage::ClearImage() {
    data_ = std::make_shared<TGIFData>();
    frames_.clear();
    frameIndex_ = -1;
    backgroundColor_ = clNone;
    loopCount_ = 1;
    hasLoopExtension_ = false;
    version_ = 0;
}

void TGIFImage::Changed() {
    if (OnChange) OnChange();
}

GIFProgress TGIFImage::ProgressNotices() {
    if (!OnProgress) return {};
    return [this](TProgressStage stage, int percent, const std::string& message) {
        OnProgress(*this, stage, percent, QString::fromStdString(message));
    };
}

TGIFFrame& TGIFImage::AddFrame() {
    frames_.push_back(std::make_unique<TGIFFrame>(this));
    return *frames_.back();
}

bool TGIFImage::Empty() const {
    if (frames_.empty()) return true;
    const TGIFFrame& frame = *frames_[static_cast<std::size_t>(std::clamp(frameIndex_, 0, Count() - 1))];
    if (frame.Bitmap) return false;
    return !frame.Item->ImageData || frame.Item->ImageData->empty();
}

// Decoding a frame fills a cache; the picture itself does not change.
int TGIFImage::Width() const {
    if (Empty() || frameIndex_ < 0 || frameIndex_ >= Count()) return 0;
    return const_cast<TGIFImage*>(this)->CurrentBitmap().Image.width();
}

int TGIFImage::Height() const {
    if (Empty() || frameIndex_ < 0 || frameIndex_ >= Count()) return 0;
    return const_cast<TGIFImage*>(this)->CurrentBitmap().Image.height();
}

void TGIFImage::SetWidth(int) { throw GIFError(sGIFImageSizeChange); }

void TGIFImage::SetHeight(int) { throw GIFError(sGIFImageSizeChange); }

bool TGIFImage::Transparent() const {
    return transparentFlag_ && std::any_of(frames_.begin(), frames_.end(), [](const auto& frame) {
               return frame->TransparentColor != clNone;
           });
}

void TGIFImage::Draw(QPainter& canvas, const TRect& rect) const {
    if (frameIndex_ >= 0 && frameIndex_ < Count())
        frames_[static_cast<std::size_t>(frameIndex_)]->DrawGIFFrame(canvas, rect, Transparent());
}

TBitmap& TGIFImage::CurrentBitmap() {
    if (frames_.empty()) {
        AddFrame();
        frameIndex_ = 0;
    }
    const int index = frameIndex_ >= 0 && frameIndex_ < Count() ? frameIndex_ : 0;
    return Frames(index).GetFrameBitmap();
}

void TGIFImage::UpdateScreenSize() {
    std::int64_t width = 0, height = 0;
    for (const auto& frame : frames_) {
        width = std::max<std::int64_t>(width, std::int64_t(frame->OriginX) + frame->FrameWidth());
        height = std::max<std::int64_t>(height, std::int64_t(frame->OriginY) + frame->FrameHeight());
    }
    screenWidth_ = ClampScreenSide(width);
    screenHeight_ = ClampScreenSide(height);
}

void TGIFImage::ReadGIFStream(const QByteArray& bytes, bool decodeFirst) {
    ClearImage();
    TGIFContents contents;
    GIFByteStream stream(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()));
    const auto take = [&] {
        data_ = contents.Data;
        version_ = contents.Version;
        screenWidth_ = contents.ScreenWidth;
        screenHeight_ = contents.ScreenHeight;
        backgroundColor_ = contents.BackgroundColor;
        hasLoopExtension_ = contents.HasLoopExtension;
        loopCount_ = contents.LoopCount;
        for (TGIFFrameData& read : contents.Frames) static_cast<TGIFFrameData&>(AddFrame()) = std::move(read);
    };
    try {
        ReadGIFContents(stream, contents);
    } catch (...) {
        take();
        throw;
    }
    take();
    if (!frames_.empty()) {
        frameIndex_ = 0;
        if (decodeFirst) {
            try {
                CurrentBitmap();
            } catch (...) {
                frames_.erase(frames_.begin());
                throw;
            }
        }
    }
    paletteModified_ = true;
    Changed();
}

void TGIFImage::LoadFromBytes(const QByteArray& bytes) { ReadGIFStream(bytes, true); }

void TGIFImage::LoadFromStream(QIODevice& stream) { LoadFromBytes(stream.readAll()); }

void TGIFImage::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open file \"" + fileName.toStdString() + "\". " +
                                 file.errorString().toStdString());
    LoadFromStream(file);
}

void TGIFImage::ReadData(QIODevice& stream) {
    unsigned char prefix[4];
    if (stream.read(reinterpret_cast<char*>(prefix), 4) != 4) throw GIFError(sReadError);
    const std::uint32_t size = prefix[0] | prefix[1] << 8 | prefix[2] << 16 | std::uint32_t(prefix[3]) << 24;
    if (size > static_cast<std::uint64_t>(stream.bytesAvailable())) throw GIFError(sReadError);
    ReadGIFStream(stream.read(size), true);
}

void TGIFImage::Assign(const TGraphic* graphic) {
    if (graphic == this) return;
    if (!graphic) {
        ClearImage();
        Changed();
        return;
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic)) {
        Assign(*bitmap);
        return;
    }
    const auto* source = dynamic_cast<const TGIFImage*>(graphic);
    if (!source) {
        TGraphic::Assign(graphic);
        return;
    }
    data_ = source->data_;
    version_ = source->version_;
    backgroundColor_ = source->backgroundColor_;
    loopCount_ = source->loopCount_;
    hasLoopExtension_ = source->hasLoopExtension_;
    frames_.clear();
    for (const auto& from : source->frames_) {
        TGIFFrame& frame = AddFrame();
        frame.Item->BitsPerPixel = from->Item->BitsPerPixel;
        frame.Assign(*from);
        frame.LocalColorTable = from->LocalColorTable;
    }
    screenWidth_ = source->screenWidth_;
    screenHeight_ = source->screenHeight_;
    frameIndex_ = source->frameIndex_;
    Changed();
}

void TGIFImage::Assign(const TBitmap& source) {
    ClearImage();
    AppendFrame(source);
    Changed();
}

void TGIFImage::AssignTo(TBitmap& dest) {
    if (Empty()) {
        dest.Image = QImage();
    } else if (frameIndex_ >= 0) {
        Frames(std::min(frameIndex_, Count() - 1)).AssignTo(dest);
    } else {
        dest.Image = CurrentBitmap().Image;
    }
}

bool TGIFImage::AssignTo(TGraphic& dest) const {
    auto& self = const_cast<TGIFImage&>(*this);
    if (auto* gif = dynamic_cast<TGIFImage*>(&dest)) {
        gif->Assign(this);
    } else if (Empty()) {
        dest.Assign(nullptr);
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        self.AssignTo(*bitmap);
    } else {
        dest.Assign(&self.CurrentBitmap());
    }
    return true;
}

void TGIFImage::Assign(const TAnimatedCursorImage& source) {
    ClearImage();
    backgroundColor_ = clWindow;
    for (int i = 0; i < source.FrameCount(); ++i) {
        const TIconFrame& frame = source.Frames(i);
        const int index = frame.Icon ? AppendFrame(*frame.Icon) : AppendFrame(TBitmap());
        Frames(index).AnimateInterval =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(std::uint64_t(frame.Rate) * 100 / 6, 0xFFFF));
    }
    Changed();
}

void TGIFImage::LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) {
    if (!HasClipboardFormat(data, GIFClipboardFormat)) {
        TBitmap bitmap;
        bitmap.LoadFromClipboardFormat(format, data);
        Assign(bitmap);
        return;
    }
    const QByteArray block = ClipboardBlock(data, GIFClipboardFormat);
    QByteArray gif;
    if (block.size() >= 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(block.constData());
        const std::uint32_t size = p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
        if (size > static_cast<std::uint64_t>(block.size() - 4)) throw GIFError(sReadError);
        gif = block.mid(4, static_cast<qsizetype>(size));
    }
    ReadGIFStream(gif, false);
    if (Count() > 0) {
        frameIndex_ = 0;
        if (data.hasImage()) {
            Frames(0).Bitmap = std::make_unique<TBitmap>();
            Frames(0).Bitmap->LoadFromClipboardFormat(CF_BITMAP, data);
        }
    }
}

void TGIFImage::SaveToClipboardFormat(QMimeData& data) {
    if (frames_.empty()) return;
    const bool encoded = std::all_of(frames_.begin(), frames_.end(), [](const auto& frame) {
        return frame->Item->ImageData && !frame->Item->ImageData->empty();
    });
    if (encoded) SetClipboardBlock(data, GIFClipboardFormat, WriteGIFStream(true));
    Frames(0).GetFrameBitmap().SaveToClipboardFormat(data);
}

template <class Graphic>
int TGIFImage::AppendAssigned(const Graphic& graphic) {
    TGIFFrame& frame = AddFrame();
    frameIndex_ = Count() - 1;
    frame.Assign(graphic);
    if (version_ == 0) version_ = 1;
    if (Count() > 1) version_ = 2;
    return frameIndex_;
}

int TGIFImage::AppendFrame(const TBitmap& graphic) { return AppendAssigned(graphic); }

int TGIFImage::AppendFrame(const TGIFFrame& graphic) { return AppendAssigned(graphic); }

int TGIFImage::AppendFrame(const TGraphic& graphic) { return AppendAssigned(graphic); }

void TGIFImage::EncodeAllFrames() {
    for (const auto& frame : frames_) {
        if (!frame->Item->ImageData || frame->Item->ImageData->empty()) frame->EncodeFrameFromBitmap();
    }
    for (const auto& frame : frames_) {
        if (UpdateExtensions(*frame)) version_ = 2;
    }
}

QByteArray TGIFImage::WriteGIFStream(bool withLength) {
    if (frames_.empty()) throw GIFError(sGIFNoDataToWrite);
    EncodeAllFrames();
    if (!data_->Comment.empty()) version_ = 2;
    // The screen is written as the image has it: a file read shows the same
    // picture again, and frames added or encoded have already widened it.
    std::vector<TGIFFrameData*> frames;
    for (const auto& frame : frames_) frames.push_back(frame.get());
    const std::vector<std::uint8_t> gif = BuildGIFFile(
        {data_.get(), version_, screenWidth_, screenHeight_, backgroundColor_, hasLoopExtension_, loopCount_},
        frames);
    QByteArray out;
    if (withLength) {
        const auto size = static_cast<std::uint32_t>(gif.size());
        for (int i = 0; i < 4; ++i) out.append(static_cast<char>(size >> (8 * i)));
    }
    out.append(reinterpret_cast<const char*>(gif.data()), static_cast<qsizetype>(gif.size()));
    return out;
}

namespace {

void WriteAll(QIODevice& stream, const QByteArray& bytes) {
    if (stream.write(bytes) != bytes.size()) throw std::runtime_error("Stream write error");
}

}  // namespace

void TGIFImage::SaveToStream(QIODevice& stream) { WriteAll(stream, WriteGIFStream(false)); }

void TGIFImage::WriteData(QIODevice& stream) { WriteAll(stream, WriteGIFStream(true)); }

void TGIFImage::SaveToFile(const QString& fileName) {
    const QByteArray gif = WriteGIFStream(false);
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("Cannot create file \"" + fileName.toStdString() + "\". " +
                                 file.errorString().toStdString());
    WriteAll(file, gif);
}

void TGIFImage::Assign(const TGIFFrame& source) {
    TGIFFrame copy(nullptr);
    copy.Assign(source);
    const std::shared_ptr<TGIFData> from = source.Owner ? source.Owner->data_ : nullptr;
    ClearImage();
    if (from) {
        data_->AspectRatio = from->AspectRatio;
        data_->BitsPerPixel = from->BitsPerPixel;
        data_->ColorResolution = from->ColorResolution;
        data_->ColorTable = from->ColorTable;
    }
    AddFrame().Assign(copy);
    frameIndex_ = Count() - 1;
    if (version_ == 0) version_ = 1;
    Changed();
}

}  // namespace kordalt
