// Icons read from icon files, and TIconList, an owned ordered list of icons
// that reports every change, its own and its icons', through one event.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "controls/graphic.h"
#include "platform/graphic_errors.h"

namespace kordalt {

// Little-endian fields of icon and RIFF data; the caller checks the bounds.
inline uint32_t Le16(std::span<const uint8_t> d, size_t at) { return d[at] | (d[at + 1] << 8); }
inline uint32_t Le32(std::span<const uint8_t> d, size_t at) { return Le16(d, at) | (Le16(d, at + 2) << 16); }

// Data that is not an icon file: "Icon image is not valid".
class EIconError : public std::runtime_error {
public:
    EIconError() : std::runtime_error("Icon image is not valid") {}
};

// The clipboard format "Quenda Icon": an icon in its icon-file form.
extern const TClipboardFormat IconClipboardFormat;

// An icon: the bytes of its icon file and the first image of that file.
class TIcon : public TGraphic {
public:
    TIcon() = default;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    const char* ClassName() const override { return "TIcon"; }
    bool Empty() const override { return data_.empty(); }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    bool Transparent() const override { return true; }
    // Transparent where the icon's mask is set.
    const QImage& Image() const { return image_; }
    const std::vector<uint8_t>& Data() const { return data_; }
    void Draw(QPainter& canvas, const TRect& rect) const override;

    // An icon file (type 1, images as DIBs with a mask or as PNG); anything else
    // throws EIconError and leaves the icon as it was.
    void LoadFromData(std::span<const uint8_t> data);
    void LoadFromStream(QIODevice& stream) override;
    // Nothing for an empty icon.
    void SaveToStream(QIODevice& stream) override;
    // The icon file under IconClipboardFormat.
    void LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) override;
    void SaveToClipboardFormat(QMimeData& data) override;
    void Assign(const TIcon& source);
    // Null empties; another icon is copied.
    void Assign(const TGraphic* source) override;
    void Clear();

    std::function<void(TIcon* sender)> OnChange;

private:
    void Changed();

    std::vector<uint8_t> data_;
    QImage image_;
};

class TIconList {
public:
    TIconList() = default;
    ~TIconList();
    TIconList(const TIconList&) = delete;
    TIconList& operator=(const TIconList&) = delete;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    int Count() const { return static_cast<int>(icons_.size()); }
    // The entry (null for an empty entry); std::out_of_range outside the list.
    TIcon* Icons(int index) const;
    // Copies `icon` into entry `index`; index == Count() appends.
    void SetIcons(int index, const TIcon& icon);

    // A copy of `icon`, appended; its index.
    int Add(const TIcon& icon);
    // Takes the icon itself (null gives an empty entry).
    int AddIcon(std::unique_ptr<TIcon> icon);
    void Insert(int index, const TIcon& icon);
    void Delete(int index);
    void Clear();
    void Exchange(int index1, int index2);
    void Move(int from, int to);
    int IndexOf(const TIcon* icon) const;

    // Null clears; a list or a single icon replaces the entries with copies.
    void Assign(const TIconList* source);
    void Assign(const TIcon& source);

    // Stored form: a 32-bit count, then per entry a 32-bit size and that many
    // bytes of icon file (size 0 for an empty entry). A short stream throws
    // EReadError, an entry that is no icon EIconError; the list keeps the
    // entries read before the fault.
    void LoadFromStream(std::span<const uint8_t> data);
    void SaveToStream(std::vector<uint8_t>& out) const;

    std::function<void(TIconList* sender)> OnChange;

protected:
    virtual void Changed();

private:
    void CheckIndex(int index, int limit) const;
    void Hook(TIcon* icon);
    void InsertIcon(int index, std::unique_ptr<TIcon> icon);

    std::vector<std::unique_ptr<TIcon>> icons_;
    int updateCount_ = 0;
};

}  // namespace kordalt
