#include "controls/button_glyph.h"

#include <QPainter>
#include <QStringList>

#include "controls/draw_utils.h"

namespace kordalt {

namespace {

TGlyphCache* buttonGlyphCache = nullptr;

TGlyphCache& EnsureGlyphCache() {
    if (buttonGlyphCache == nullptr) buttonGlyphCache = new TGlyphCache;
    return *buttonGlyphCache;
}

constexpr int kMarkWidth = 9;

}  // namespace

int TGlyphList::AllocateSlot() {
    for (std::size_t i = 0; i < used_.size(); ++i) {
        if (!used_[i]) {
            used_[i] = true;
            return static_cast<int>(i);
        }
    }
    images_.emplace_back();
    used_.push_back(true);
    return static_cast<int>(images_.size()) - 1;
}

int TGlyphList::StoreMasked(const QImage& image, TColor maskColour) {
    int slot = AllocateSlot();
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = ToQRgb(maskColour) & 0x00FFFFFFu;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            line[x] = (line[x] & 0x00FFFFFFu) == mask ? 0u : (line[x] | 0xFF000000u);
        }
    }
    images_[slot] = QPixmap::fromImage(masked);
    ++usedCount_;
    return slot;
}

void TGlyphList::ReleaseSlot(int index) {
    if (index < 0 || index >= static_cast<int>(used_.size()) || !used_[index]) return;
    --usedCount_;
    used_[index] = false;
}

TGlyphList* TGlyphCache::ListForSize(int width, int height) {
    for (auto it = lists_.rbegin(); it != lists_.rend(); ++it) {
        if ((*it)->Width() == width && (*it)->Height() == height) return it->get();
    }
    lists_.push_back(std::make_unique<TGlyphList>(width, height));
    return lists_.back().get();
}

void TGlyphCache::ReleaseList(TGlyphList* list) {
    if (list == nullptr || list->UsedCount() != 0) return;
    std::erase_if(lists_, [list](const auto& held) { return held.get() == list; });
}

TGlyphCache* ButtonGlyphCache() { return buttonGlyphCache; }

TExButtonGlyph::TExButtonGlyph() { EnsureGlyphCache(); }

TExButtonGlyph::~TExButtonGlyph() {
    ReleaseImages();
    if (buttonGlyphCache != nullptr && buttonGlyphCache->IsEmpty()) {
        delete buttonGlyphCache;
        buttonGlyphCache = nullptr;
    }
}

void TExButtonGlyph::SetGlyph(const QImage& bitmap) {
    ReleaseImages();
    source_ = bitmap;
    SourceChanged();
}

void TExButtonGlyph::SetNumGlyphs(TExNumGlyphs value) {
    if (value <= 0 || value == numGlyphs_) return;
    ReleaseImages();
    numGlyphs_ = value;
}

void TExButtonGlyph::SourceChanged() {
    ReleaseImages();
    if (source_.height() > 0) {
        transparentColour_ = FromQColor(QColor(source_.pixel(0, source_.height() - 1)));
        if (source_.width() % source_.height() == 0) {
            int count = source_.width() / source_.height();
            if (count > 5) {
                numGlyphs_ = 1;
            } else if (count > 0) {
                numGlyphs_ = count;
            }
        }
    }
    if (OnChange) OnChange();
}

void TExButtonGlyph::ReleaseImages() {
    for (int& index : indexes_) {
        if (index != -1 && glyphList_ != nullptr) glyphList_->ReleaseSlot(index);
        index = -1;
    }
    if (buttonGlyphCache != nullptr) buttonGlyphCache->ReleaseList(glyphList_);
    glyphList_ = nullptr;
}

QRgb TExButtonGlyph::GreyColor(QRgb colour) const {
    const QRgb rgb = colour & 0x00FFFFFFu;
    if (rgb == (ToQRgb(transparentColour_) & 0x00FFFFFFu) || rgb == (ToQRgb(clBtnFace) & 0x00FFFFFFu))
        return colour;
    int g = (qRed(colour) * 77 + qGreen(colour) * 150 + qBlue(colour) * 29) >> 8;
    return qRgb(g, g, g);
}

int TExButtonGlyph::BuildStateImage(TExButtonDrawState state) {
    if (state == bdsPressed && numGlyphs_ < 3) state = bdsUp;
    if (indexes_[state] != -1) return indexes_[state];
    if (source_.isNull() || source_.width() == 0 || source_.height() == 0) return -1;
    const int width = source_.width() / numGlyphs_, height = source_.height();
    if (glyphList_ == nullptr) glyphList_ = EnsureGlyphCache().ListForSize(width, height);
    const int part = state < numGlyphs_ ? state : 0;
    QImage image = source_.copy(part * width, 0, width, height);
    int slot;
    if (state == bdsDisabled && numGlyphs_ == 1) {
        slot = glyphList_->StoreMasked(MakeGrayedGlyph(source_, clBlack), clBtnFace);
    } else if (state == bdsInactive && numGlyphs_ < 5) {
        image = image.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) image.setPixel(x, y, GreyColor(image.pixel(x, y)));
        }
        slot = glyphList_->StoreMasked(image, transparentColour_);
    } else {
        slot = glyphList_->StoreMasked(image, transparentColour_);
    }
    indexes_[state] = slot;
    return slot;
}

QString TExButtonGlyph::FitCaption(QPainter& canvas, const QString& caption, int width) const {
    QString text = caption.left(255);
    if (wordWrap_) return text;
    QStringList lines = NormalizeLineBreaks(text).split(u'\n');
    QFontMetrics metrics(canvas.font(), canvas.device());
    for (QString& line : lines) line = FitTextWithEllipsis(line, metrics, width);
    text = lines.join(u'\n');
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\n')) text.chop(1);
    return text;
}

void TExButtonGlyph::LayoutFace(QPainter& canvas, const TRect& client, QString& caption, TButtonLayout layout,
                                int margin, int spacing, bool withMark, QPoint& glyphPos, TRect& textBounds,
                                unsigned textFlags) {
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    const int cw = client.Width(), ch = client.Height();
    int gw = source_.isNull() ? 0 : source_.width() / numGlyphs_;
    int gh = source_.isNull() ? 0 : source_.height();

    int aw = cw, ah = ch;
    if (horizontal) {
        aw -= gw + (margin != -1 ? margin : 0) + (spacing != -1 ? spacing : 0) + (withMark ? kMarkWidth : 0);
    } else {
        ah -= gh + (margin != -1 ? margin : 0) + (spacing != -1 ? spacing : 0);
    }
    aw = IntMax(aw, 0);
    ah = IntMax(ah, 0);

    caption = FitCaption(canvas, caption, aw);
    textBounds = {0, 0, aw, 0};
    if (caption.isEmpty()) {
        textBounds = {};
    } else {
        DrawPlatformText(
            canvas, caption, textBounds,
            dt::CalcRect | dt::Center | dt::VCenter | (wordWrap_ ? dt::WordBreak : 0u) | textFlags);
        textBounds.bottom = textBounds.top + IntMin(textBounds.Height(), ah);
        textBounds.right = textBounds.left + IntMin(textBounds.Width(), aw);
    }
    int tw = textBounds.Width(), th = textBounds.Height();

    if (withMark) {
        if (gw == 0 || gh == 0 || layout == blGlyphLeft) {
            tw += kMarkWidth;
        } else if (gw > 0) {
            gw += 6;
        }
    }

    QPoint glyph, text;
    if (horizontal) {
        glyph.setY(ch / 2 - gh / 2);
        text.setY(ch / 2 - th / 2);
    } else {
        glyph.setX(cw / 2 - gw / 2);
        text.setX(cw / 2 - tw / 2);
    }
    if (tw == 0 || gw == 0) spacing = 0;

    if (margin == -1 && spacing == -1) {
        margin = horizontal ? (cw - (gw + tw)) / 3 : (ch - (gh + th)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = horizontal ? cw / 2 - (gw + spacing + tw) / 2 : ch / 2 - (gh + spacing + th) / 2;
    } else if (spacing == -1) {
        spacing = horizontal ? (cw - (margin + gw)) / 2 - tw / 2 : (ch - (margin + gh)) / 2 - th / 2;
    }

    switch (layout) {
        case blGlyphLeft:
            glyph.setX(margin);
            text.setX(glyph.x() + gw + spacing);
            break;
        case blGlyphRight:
            glyph.setX(cw - margin - gw);
            text.setX(glyph.x() - spacing - tw);
            break;
        case blGlyphTop:
            glyph.setY(margin);
            text.setY(glyph.y() + gh + spacing);
            break;
        case blGlyphBottom:
            glyph.setY(ch - margin - gh);
            text.setY(glyph.y() - spacing - th);
            break;
    }
    glyphPos = glyph + QPoint(client.left, client.top);
    textBounds = textBounds.Offset(text.x() + client.left, text.y() + client.top);
}

QSize TExButtonGlyph::DrawFaceGlyph(QPainter& canvas, QPoint at, TExButtonDrawState state) {
    if (source_.isNull() || source_.width() == 0 || source_.height() == 0) return {};
    int slot = BuildStateImage(state);
    if (slot < 0) return {};
    canvas.drawPixmap(at, glyphList_->Image(slot));
    return {glyphList_->Width(), glyphList_->Height()};
}

void TExButtonGlyph::DrawCaptionText(QPainter& canvas, const QString& caption, const TRect& bounds,
                                     TExButtonDrawState state, unsigned textFlags) {
    canvas.setBrush(Qt::NoBrush);
    const unsigned flags = textFlags | dt::VCenter | (wordWrap_ ? dt::WordBreak : 0u);
    TRect r = bounds;
    if (state == bdsDisabled) {
        QPen pen = canvas.pen();
        TRect shifted = r.Offset(1, 1);
        canvas.setPen(ToQColor(clBtnHighlight));
        DrawPlatformText(canvas, caption, shifted, flags);
        canvas.setPen(ToQColor(clBtnShadow));
        DrawPlatformText(canvas, caption, r, flags);
        canvas.setPen(pen);
    } else {
        DrawPlatformText(canvas, caption, r, flags);
    }
}

void TExButtonGlyph::DrawMenuMark(QPainter& canvas, int x, int y, TExButtonDrawState state) {
    auto triangle = [&canvas](int x, int y, const QColor& colour) {
        canvas.fillRect(x, y - 1, 7, 1, colour);
        canvas.fillRect(x + 1, y, 5, 1, colour);
        canvas.fillRect(x + 2, y + 1, 3, 1, colour);
        canvas.fillRect(x + 3, y + 2, 1, 1, colour);
    };
    if (state == bdsDisabled) {
        triangle(x + 1, y + 1, ToQColor(clBtnHighlight));
        triangle(x, y, ToQColor(clBtnShadow));
    } else {
        triangle(x, y, ToQColor(clBtnText));
    }
}

void TExButtonGlyph::DrawButton(QPainter& canvas, const TRect& client, const QString& caption,
                                TButtonLayout layout, int margin, int spacing, bool withMark,
                                TExButtonDrawState state, unsigned textFlags) {
    QString text = caption;
    QPoint glyphPos;
    TRect textBounds;
    LayoutFace(canvas, client, text, layout, margin, spacing, withMark, glyphPos, textBounds, textFlags);
    QSize drawn = DrawFaceGlyph(canvas, glyphPos, state);
    DrawCaptionText(canvas, text, textBounds, state, textFlags);
    if (!withMark) return;
    int x, y;
    if (layout != blGlyphLeft && source_.width() > 0) {
        x = glyphPos.x() + drawn.width() + 1;
        y = glyphPos.y() + drawn.height() / 2;
    } else {
        x = text.isEmpty() ? (client.left + client.right - 7) / 2 : textBounds.right + 3;
        y = textBounds.top + textBounds.Height() / 2;
    }
    DrawMenuMark(canvas, x, y, state);
}

}  // namespace kordalt
