#include "controls/scroll_text_panel.h"

#include <QEvent>
#include <QPainter>

#include "controls/align_layout.h"
#include "controls/draw_utils.h"

namespace kordalt {

namespace {

bool IsBlank(const QString& line) { return line.trimmed().isEmpty(); }

}  // namespace

TScrollTextPanel::TScrollTextPanel(QWidget* parent) : QWidget(parent), timer_(std::make_unique<TExTimer>()) {
    resize(185, 41);
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_->SetEnabled(false);
    timer_->SetInterval(30);
    timer_->SetSyncEvent(false);
    timer_->SetOnTimer([this](TExTimer&) { ScrollStep(); });
}

TScrollTextPanel::~TScrollTextPanel() {
    destroying_ = true;
    SetActive(false);
    timer_.reset();
}

void TScrollTextPanel::SetActive(bool value) {
    if (value == active_) return;
    if (value) {
        active_ = true;
        try {
            {
                std::lock_guard lock(imageLock_);
                render_.scrollCount = 0;
                ++pass_;
            }
            BuildScrollImage();
            timer_->SetEnabled(true);
            DoStartPlay();
        } catch (...) {
            active_ = false;
            timer_->SetEnabled(false);
            std::lock_guard lock(imageLock_);
            image_.reset();
            throw;
        }
        if (!destroying_) {
            for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (!child->isHidden()) hidden_.append(child);
                child->hide();
            }
        }
        update();
        return;
    }
    active_ = false;
    {
        // Waits for a frame the worker is rendering; a later tick finds no image.
        std::lock_guard lock(imageLock_);
        timer_->SetEnabled(false);
        render_.scrollCount = 0;
        image_.reset();
    }
    {
        std::lock_guard lock(frameLock_);
        frame_ = QImage();
    }
    DoStopPlay();
    if (!destroying_) {
        for (const QPointer<QWidget>& child : hidden_) {
            if (!child) continue;
            child->show();
            child->update();
        }
    }
    hidden_.clear();
    update();
}

void TScrollTextPanel::SetAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    {
        std::lock_guard lock(imageLock_);
        render_.alignment = value;
    }
    if (active_) update();
}

void TScrollTextPanel::SetLines(const QStringList& lines) {
    lines_ = lines;
    RebuildIfActive(true);
}

void TScrollTextPanel::SetGlyph(const QImage& glyph) {
    glyph_ = glyph;
    RebuildIfActive(false);
}

void TScrollTextPanel::SetTextStyle(TBevelCut value) {
    if (value == textStyle_) return;
    textStyle_ = value;
    RebuildIfActive(false);
}

void TScrollTextPanel::SetScrollDirection(TScrollDirection value) {
    if (value == scrollDirection_) return;
    scrollDirection_ = value;
    RebuildIfActive(true);
}

void TScrollTextPanel::SetGlyphLayout(TGlyphLayout value) {
    if (value == glyphLayout_) return;
    glyphLayout_ = value;
    RebuildIfActive(false);
}

void TScrollTextPanel::SetAsyncDrawing(bool value) {
    if (value == asyncDrawing_) return;
    asyncDrawing_ = value;
    timer_->SetSyncEvent(!value);
}

void TScrollTextPanel::SetBevelInner(TBevelCut value) { SetFrameProperty(bevelInner_, value); }

void TScrollTextPanel::SetBevelOuter(TBevelCut value) { SetFrameProperty(bevelOuter_, value); }

void TScrollTextPanel::SetBevelWidth(int value) { SetFrameProperty(bevelWidth_, value); }

void TScrollTextPanel::SetBorderWidth(int value) { SetFrameProperty(borderWidth_, value); }

TColor TScrollTextPanel::Color() const { return PaletteColor(*this, QPalette::Window); }

void TScrollTextPanel::SetColor(TColor value) { SetPaletteColor(*this, QPalette::Window, value); }

TColor TScrollTextPanel::FontColor() const { return PaletteColor(*this, QPalette::WindowText); }

void TScrollTextPanel::SetFontColor(TColor value) { SetPaletteColor(*this, QPalette::WindowText, value); }

void TScrollTextPanel::SetOnPaintClient(TPanelDrawEvent handler) {
    std::lock_guard lock(imageLock_);
    onPaintClient_ = std::move(handler);
}

int TScrollTextPanel::FrameWidth() const {
    return borderWidth_ + (bevelOuter_ != bvNone ? bevelWidth_ : 0) +
           (bevelInner_ != bvNone ? bevelWidth_ : 0);
}

int TScrollTextPanel::ScrollCount() const {
    std::lock_guard lock(imageLock_);
    return render_.scrollCount;
}

int TScrollTextPanel::ScrollLimit() const {
    std::lock_guard lock(imageLock_);
    return render_.scrollLimit;
}

int TScrollTextPanel::LineHeight() const {
    std::lock_guard lock(imageLock_);
    return render_.lineHeight;
}

TRect TScrollTextPanel::PaintRect() const {
    std::lock_guard lock(imageLock_);
    return render_.layout.paintRect;
}

QImage TScrollTextPanel::Frame() const {
    std::lock_guard lock(frameLock_);
    return frame_;
}

void TScrollTextPanel::RebuildIfActive(bool restart) {
    if (!active_) return;
    if (restart) {
        std::lock_guard lock(imageLock_);
        render_.scrollCount = 0;
    }
    BuildScrollImage();
    update();
}

TScrollTextPanel::Layout TScrollTextPanel::LayoutPaintRect(int firstLine, int lineHeight) const {
    const int f = FrameWidth();
    const TRect client{0, 0, width(), height()};
    Layout out;
    out.glyphArea = client.Inflate(-f, -f);
    TRect& p = out.paintRect;
    p = client.Inflate(-(f + 3), -(f + 3));
    const int w = glyph_.width(), h = glyph_.height();
    QPoint& origin = out.glyphOrigin;
    switch (glyphLayout_) {
        case glGlyphLeft:
            origin = {p.left, IntMax((p.bottom + p.top - h) / 2, p.top)};
            if (w > 0) {
                origin.rx() += 3;
                p.left = origin.x() + w + f + 3;
            }
            break;
        case glGlyphRight:
            origin = {p.right - w, IntMax((p.bottom + p.top - h) / 2, p.top)};
            if (w > 0) {
                origin.setX(IntMax(origin.x() - 3, p.left));
                p.right = origin.x() - (f + 3);
            }
            break;
        case glGlyphTop:
            origin = {IntMax((p.right + p.left - w) / 2, p.left), p.top};
            if (h > 0) {
                origin.ry() += 3;
                p.top = origin.y() + h + f + 6;
            }
            break;
        case glGlyphBottom:
            origin = {IntMax((p.right + p.left - w) / 2, p.left), p.bottom - h};
            if (h > 0) {
                origin.setY(IntMax(origin.y() - 3, p.top));
                p.bottom = origin.y() - (f + 6);
            }
            break;
    }
    if (scrollDirection_ == sdHorizontal) {
        int last = static_cast<int>(lines_.size()) - 1;
        while (last >= 0 && IsBlank(lines_[last])) --last;
        int extra = p.Height() - (last + 1 - firstLine) * lineHeight;
        if (extra > 0) {
            p.top += extra / 2;
            p.bottom -= extra / 2;
        }
    }
    if (p.IsEmpty()) p = {};
    return out;
}

void TScrollTextPanel::BuildScrollImage() {
    std::lock_guard lock(imageLock_);
    if (!image_) image_ = std::make_unique<QImage>();
    RenderState& r = render_;
    r.lines = lines_;
    r.firstLine = 0;
    while (r.firstLine < lines_.size() && IsBlank(lines_[r.firstLine])) ++r.firstLine;
    const QFontMetrics metrics(font());
    r.lineHeight = IntMin(255, metrics.height() + metrics.leading() + (textStyle_ != bvNone ? 1 : 0));
    r.layout = LayoutPaintRect(r.firstLine, r.lineHeight);
    const TRect& paint = r.layout.paintRect;
    if (scrollDirection_ == sdVertical) {
        r.scrollLimit = paint.Height() + (static_cast<int>(lines_.size()) - r.firstLine) * r.lineHeight;
    } else {
        int widest = 0;
        for (qsizetype i = r.firstLine; i < lines_.size(); ++i)
            widest = IntMax(widest, metrics.horizontalAdvance(lines_[i]));
        r.scrollLimit = widest + paint.Width();
    }
    *image_ = paint.IsEmpty() ? QImage() : QImage(paint.Width(), paint.Height(), QImage::Format_RGB32);
    r.font = font();
    r.colour = ToQColor(Color());
    r.fontColour = ToQColor(FontColor());
    r.alignment = alignment_;
    r.textStyle = textStyle_;
    r.direction = scrollDirection_;
    r.rightToLeft = isRightToLeft();
}

void TScrollTextPanel::ScrollStep() {
    std::unique_lock lock(imageLock_);
    if (!image_) return;
    if (render_.scrollCount < render_.scrollLimit) {
        ++render_.scrollCount;
        PaintScrollFrame();
        return;
    }
    if (cycled_) {
        render_.scrollCount = 0;
        PaintScrollFrame();
        return;
    }
    const unsigned pass = pass_;
    lock.unlock();
    timer_->Synchronize([this, pass] {
        if (active_ && pass == pass_) StopScrolling();
    });
}

void TScrollTextPanel::PaintScrollFrame() {
    const RenderState& r = render_;
    const TRect& paint = r.layout.paintRect;
    if (r.lines.isEmpty() || paint.IsEmpty()) return;
    QPainter canvas(image_.get());
    canvas.save();
    canvas.translate(-paint.left, -paint.top);
    canvas.setBrush(r.colour);
    FillClient(canvas, r.layout.glyphArea);
    canvas.restore();

    const int width = paint.Width(), height = paint.Height();
    TRect line{0, 0, width, height};
    if (r.direction == sdVertical) {
        line.top = height - r.scrollCount;
    } else if (!r.rightToLeft) {
        line.left = width - r.scrollCount;
        line.right = line.left + (r.scrollLimit - width);
    } else {
        line.right = line.left + r.scrollCount;
        line.left = line.right - (r.scrollLimit - width);
    }
    line.bottom = line.top + r.lineHeight;

    unsigned flags = dt::ExpandTabs | dt::SingleLine | dt::NoClip | dt::NoPrefix;
    TAlignment alignment = r.alignment;
    if (r.rightToLeft) {
        if (alignment != taCenter) alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
        flags |= dt::RtlReading;
    }
    flags |= AlignmentFlag(alignment);
    canvas.setFont(r.font);
    const int emboss = r.textStyle == bvLowered ? 1 : -1;
    for (qsizetype i = r.firstLine; i <= r.lines.size() && line.top < height; ++i) {
        const QString text = i < r.lines.size() ? r.lines[i].left(255) : QStringLiteral(" ");
        if (line.bottom > 0) {
            if (r.textStyle != bvNone) {
                TRect shadow = line.Offset(emboss, emboss);
                canvas.setPen(ToQColor(clBtnHighlight));
                DrawPlatformText(canvas, text, shadow, flags);
            }
            TRect target = line;
            canvas.setPen(r.fontColour);
            DrawPlatformText(canvas, text, target, flags);
        }
        line = line.Offset(0, r.lineHeight);
    }
    canvas.end();

    {
        std::lock_guard lock(frameLock_);
        frame_ = *image_;
    }
    QMetaObject::invokeMethod(
        this, [this, area = paint.ToQRect()] { update(area); }, Qt::QueuedConnection);
}

void TScrollTextPanel::StopScrolling() { SetActive(false); }

void TScrollTextPanel::FillClient(QPainter& canvas, const TRect& rect) {
    if (onPaintClient_) {
        onPaintClient_(*this, canvas, rect);
    } else {
        canvas.fillRect(rect.ToQRect(), canvas.brush());
    }
}

void TScrollTextPanel::DrawPanelGlyph(QPainter& canvas) {
    if (glyph_.isNull()) return;
    const Layout layout = LayoutPaintRect(render_.firstLine, render_.lineHeight);
    const TColor key = FromQColor(QColor(glyph_.pixel(0, glyph_.height() - 1)));
    DrawBitmapWithKeyColour(canvas, layout.glyphOrigin.x(), layout.glyphOrigin.y(), glyph_, key);
}

void TScrollTextPanel::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    const QColor colour = ToQColor(Color());
    const QColor highlight = ToQColor(clBtnHighlight), shadow = ToQColor(clBtnShadow);
    TRect r{0, 0, width(), height()};
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        const QColor top = cut == bvLowered ? shadow : cut == bvRaised ? highlight : colour;
        const QColor bottom = cut == bvLowered ? highlight : cut == bvRaised ? shadow : colour;
        Frame3D(canvas, r, top, bottom, bevelWidth_);
    };
    bevel(bevelOuter_);
    Frame3D(canvas, r, colour, colour, borderWidth_);
    bevel(bevelInner_);
    canvas.setClipRect(r.ToQRect());
    canvas.setBrush(colour);
    FillClient(canvas, r);
    if (!active_) return;
    DrawPanelGlyph(canvas);
    std::lock_guard lock(frameLock_);
    if (!frame_.isNull())
        canvas.drawImage(render_.layout.paintRect.left, render_.layout.paintRect.top, frame_);
}

void TScrollTextPanel::resizeEvent(QResizeEvent*) { RebuildIfActive(false); }

bool TScrollTextPanel::event(QEvent* event) {
    if (event->type() != ChildrenAlignedEvent()) return QWidget::event(event);
    RebuildIfActive(false);
    return true;
}

void TScrollTextPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) RebuildIfActive(false);
    QWidget::changeEvent(event);
}

}  // namespace kordalt
