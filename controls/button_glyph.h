// The face of a speed button: the glyph strip with one image per drawing state
// (built on first use and shared by size through one process-wide cache), and the
// layout of glyph, caption and drop-down mark.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "controls/classic.h"

namespace kordalt {

enum TExButtonDrawState { bdsUp, bdsDisabled, bdsPressed, bdsHeldDown, bdsInactive };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The number of images in a glyph strip: 1..5.
using TExNumGlyphs = int;

// Masked images of one size; released slots are reused before the list grows.
class TGlyphList {
public:
    TGlyphList(int width, int height) : width_(width), height_(height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    int AllocateSlot();
    // Pixels of maskColour become transparent.
    int StoreMasked(const QImage& image, TColor maskColour);
    void ReleaseSlot(int index);
    int UsedCount() const { return usedCount_; }
    int SlotCount() const { return static_cast<int>(images_.size()); }
    const QPixmap& Image(int index) const { return images_.at(index); }

private:
    int width_, height_;
    std::vector<QPixmap> images_;
    std::vector<bool> used_;
    int usedCount_ = 0;
};

class TGlyphCache {
public:
    TGlyphList* ListForSize(int width, int height);
    // Frees the list once none of its slots is used.
    void ReleaseList(TGlyphList* list);
    bool IsEmpty() const { return lists_.empty(); }

private:
    std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// The cache shared by every button glyph; null while no glyph object needs it.
TGlyphCache* ButtonGlyphCache();

class TExButtonGlyph {
public:
    TExButtonGlyph();
    ~TExButtonGlyph();
    TExButtonGlyph(const TExButtonGlyph&) = delete;
    TExButtonGlyph& operator=(const TExButtonGlyph&) = delete;

    const QImage& Glyph() const { return source_; }
    // Assigning or changing the source bitmap recounts its images and repaints.
    void SetGlyph(const QImage& bitmap);
    TExNumGlyphs NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(TExNumGlyphs value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value) { wordWrap_ = value; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value) { alignment_ = value; }
    TColor TransparentColor() const { return transparentColour_; }
    TGlyphList* GlyphList() const { return glyphList_; }

    std::function<void()> OnChange;

    void ReleaseImages();
    // Slot of the state's image in GlyphList(), -1 without a glyph.
    int BuildStateImage(TExButtonDrawState state);
    void LayoutFace(QPainter& canvas, const TRect& client, QString& caption, TButtonLayout layout, int margin,
                    int spacing, bool withMark, QPoint& glyphPos, TRect& textBounds, unsigned textFlags);
    void DrawButton(QPainter& canvas, const TRect& client, const QString& caption, TButtonLayout layout,
                    int margin, int spacing, bool withMark, TExButtonDrawState state, unsigned textFlags);
    // A pixel of the grey inactive image.
    QRgb GreyColor(QRgb colour) const;

private:
    void SourceChanged();
    QString FitCaption(QPainter& canvas, const QString& caption, int width) const;
    QSize DrawFaceGlyph(QPainter& canvas, QPoint at, TExButtonDrawState state);
    void DrawCaptionText(QPainter& canvas, const QString& caption, const TRect& bounds,
                         TExButtonDrawState state, unsigned textFlags);
    void DrawMenuMark(QPainter& canvas, int x, int y, TExButtonDrawState state);

    QImage source_;
    TGlyphList* glyphList_ = nullptr;
    std::array<int, 5> indexes_{-1, -1, -1, -1, -1};
    TColor transparentColour_ = clFuchsia;
    int numGlyphs_ = 1;
    bool wordWrap_ = false;
    TAlignment alignment_ = taCenter;
};

}  // namespace kordalt
