#include "controls/image_control.h"

#include <QCoreApplication>
#include <QPainter>
#include <QThread>

#include "controls/gif_image.h"

namespace kordalt {

namespace {

// Sets a flag for a scope and gives it back its value afterwards.
class FlagWhile {
public:
    explicit FlagWhile(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
    ~FlagWhile() { flag_ = saved_; }
    FlagWhile(const FlagWhile&) = delete;
    FlagWhile& operator=(const FlagWhile&) = delete;

private:
    bool& flag_;
    bool saved_;
};

}  // namespace

TExImageControl::TExImageControl(QWidget* parent) : QWidget(parent) { resize(105, 105); }

TExImageControl::~TExImageControl() = default;

void TExImageControl::PaintImageArea(QPainter& canvas) {
    canvas.fillRect(rect(), ToQColor(PaletteColor(*this, QPalette::Window)));
    FlagWhile drawing(drawing_);
    DrawImageContent(canvas);
}

void TExImageControl::PaintParentUnderControl(QPainter& canvas, const QRect& area) {
    const QPainter::CompositionMode mode = canvas.compositionMode();
    canvas.setCompositionMode(QPainter::CompositionMode_Source);
    canvas.fillRect(area, Qt::transparent);
    canvas.setCompositionMode(mode);
}

// The whole paint goes to an off-screen image with an alpha channel, so that
// transparent parts show the parent that Qt paints beneath the control.
QImage TExImageControl::PaintBuffered() {
    std::lock_guard hold(canvasLock_);
    QImage buffer(size(), QImage::Format_ARGB32_Premultiplied);
    buffer.fill(Qt::transparent);
    QPainter painter(&buffer);
    Paint(painter);
    return buffer;
}

void TExImageControl::paintEvent(QPaintEvent*) {
    QImage frame;
    {
        std::lock_guard hold(handOverLock_);
        frame.swap(handedOver_);
    }
    if (frame.size() != size()) frame = PaintBuffered();
    QPainter(this).drawImage(0, 0, frame);
}

void TExImageControl::PaintFromAnyThread() {
    if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
        repaint();
        return;
    }
    QImage frame = PaintBuffered();
    {
        std::lock_guard hold(handOverLock_);
        handedOver_ = std::move(frame);
    }
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

bool TExImageControl::RealizeImagePalette() {
    if (!isVisible() || !Graphic || !Graphic->PaletteModified()) return false;
    Graphic->SetPaletteModified(false);
    return false;
}

void TExImageControl::ImageContentChanged() {
    if (Destroying) return;
    AdjustToImageSize();
    if (Graphic) RealizeImagePalette();
    if (!drawing_) update();
}

}  // namespace kordalt
