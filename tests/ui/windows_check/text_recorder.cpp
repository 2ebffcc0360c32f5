#include "windows_check/text_recorder.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

namespace kordalt::test {
namespace {

// Remembers the widget whose paint event runs.
class TPaintWatcher : public QObject {
public:
    QPointer<QWidget> current;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            current = static_cast<QWidget*>(watched);
        return false;
    }
};

// Hands every drawing but text to a painter on `image`; text runs are recorded.
class TRecordingEngine final : public QPaintEngine {
public:
    TRecordingEngine(QImage& image, std::vector<TTextRun>& texts, const TPaintWatcher& watcher)
        : QPaintEngine(AllFeatures), image_(image), texts_(texts), watcher_(watcher) {}

    bool begin(QPaintDevice*) override { return target_.begin(&image_); }
    bool end() override { return target_.end(); }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return User; }

    void drawRects(const QRect* rects, int count) override { Sync().drawRects(rects, count); }
    void drawRects(const QRectF* rects, int count) override { Sync().drawRects(rects, count); }
    void drawLines(const QLine* lines, int count) override { Sync().drawLines(lines, count); }
    void drawLines(const QLineF* lines, int count) override { Sync().drawLines(lines, count); }
    void drawEllipse(const QRectF& rect) override { Sync().drawEllipse(rect); }
    void drawEllipse(const QRect& rect) override { Sync().drawEllipse(rect); }
    void drawPath(const QPainterPath& path) override { Sync().drawPath(path); }
    void drawPoints(const QPointF* points, int count) override { Sync().drawPoints(points, count); }
    void drawPoints(const QPoint* points, int count) override { Sync().drawPoints(points, count); }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        QPainter& p = Sync();
        if (mode == PolylineMode)
            p.drawPolyline(points, count);
        else
            p.drawPolygon(points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
        QPainter& p = Sync();
        if (mode == PolylineMode)
            p.drawPolyline(points, count);
        else
            p.drawPolygon(points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) override {
        Sync().drawPixmap(rect, pixmap, source);
    }
    void drawTiledPixmap(const QRectF& rect, const QPixmap& pixmap, const QPointF& offset) override {
        Sync().drawTiledPixmap(rect, pixmap, offset);
    }
    void drawImage(const QRectF& rect, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override {
        Sync().drawImage(rect, image, source, flags);
    }

    void drawTextItem(const QPointF& at, const QTextItem& item) override {
        const QPainter& p = *painter();
        const QTransform device = p.deviceTransform();
        TTextRun run;
        run.text = item.text();
        run.ink = device.mapRect(QFontMetricsF(item.font()).tightBoundingRect(item.text()).translated(at))
                      .toAlignedRect();
        run.clip = DeviceClip();
        run.colour = p.pen().color();
        run.widget = watcher_.current;
        texts_.push_back(run);
    }

private:
    // The system clip and the painter's clip, in device coordinates.
    QRegion DeviceClip() const {
        QRegion clip = systemClip().isEmpty() ? QRegion(image_.rect()) : systemClip();
        const QPainter& p = *painter();
        if (p.hasClipping()) clip &= p.deviceTransform().map(p.clipRegion());
        return clip;
    }

    QPainter& Sync() {
        const QPainter& p = *painter();
        target_.setTransform(QTransform());
        target_.setClipRegion(DeviceClip());
        target_.setTransform(p.deviceTransform());
        target_.setPen(p.pen());
        target_.setBrush(p.brush());
        target_.setBrushOrigin(p.brushOrigin());
        target_.setOpacity(p.opacity());
        target_.setCompositionMode(p.compositionMode());
        target_.setRenderHints(p.renderHints());
        target_.setBackground(p.background());
        target_.setBackgroundMode(p.backgroundMode());
        return target_;
    }

    QImage& image_;
    std::vector<TTextRun>& texts_;
    const TPaintWatcher& watcher_;
    QPainter target_;
};

class TRecordingDevice final : public QPaintDevice {
public:
    TRecordingDevice(QImage& image, std::vector<TTextRun>& texts, const TPaintWatcher& watcher)
        : image_(image), engine_(image, texts, watcher) {}
    ~TRecordingDevice() override = default;
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return image_.width();
            case PdmHeight:
                return image_.height();
            case PdmWidthMM:
                return image_.widthMM();
            case PdmHeightMM:
                return image_.heightMM();
            case PdmNumColors:
                return 0;
            case PdmDepth:
                return image_.depth();
            case PdmDpiX:
                return image_.logicalDpiX();
            case PdmDpiY:
                return image_.logicalDpiY();
            case PdmPhysicalDpiX:
                return image_.physicalDpiX();
            case PdmPhysicalDpiY:
                return image_.physicalDpiY();
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QImage& image_;
    mutable TRecordingEngine engine_;
};

}  // namespace

TRecordedWindow RecordWindow(QWidget& window) {
    TRecordedWindow recorded;
    recorded.background = QImage(window.size(), QImage::Format_RGB32);
    recorded.background.fill(Qt::black);
    TPaintWatcher watcher;
    qApp->installEventFilter(&watcher);
    {
        TRecordingDevice device(recorded.background, recorded.texts, watcher);
        QPainter painter(&device);
        window.render(&painter);
    }
    qApp->removeEventFilter(&watcher);
    return recorded;
}

}  // namespace kordalt::test
