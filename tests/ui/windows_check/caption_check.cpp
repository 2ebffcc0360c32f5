#include "windows_check/caption_check.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <algorithm>
#include <cmath>
#include <sstream>

#include "controls/classic.h"
#include "controls/draw_grid.h"
#include "controls/ex_label.h"
#include "controls/list_box.h"
#include "controls/speed_button.h"
#include "controls/switch.h"
#include "windows_check/text_recorder.h"

namespace kordalt::test {
namespace {

constexpr char16_t kEllipsis = u'\u2026';

double Luminance(const QColor& colour) {
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

std::string Name(const QWidget* widget) {
    if (!widget) return "?";
    const QString name = widget->objectName();
    return (name.isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) : name).toStdString();
}

std::string Describe(const QRect& r) {
    std::ostringstream out;
    out << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
    return out.str();
}

// The control whose caption a text run is, or nullptr for content such as
// edits and browsers.
QWidget* CaptionOwner(QWidget* painted) {
    if (!painted) return nullptr;
    if (qobject_cast<QLabel*>(painted) || qobject_cast<QAbstractButton*>(painted) ||
        qobject_cast<QGroupBox*>(painted) || qobject_cast<QTabBar*>(painted) ||
        qobject_cast<TExCustomLabel*>(painted) || qobject_cast<TExSwitch*>(painted))
        return painted;
    QWidget* parent = painted->parentWidget();
    if (auto* grid = qobject_cast<TExDrawGrid*>(parent); grid && grid->viewport() == painted) return grid;
    if (auto* list = qobject_cast<TExCustomListBox*>(parent); list && list->viewport() == painted)
        return list;
    if (parent && parent->inherits("QChartView")) return parent;
    return nullptr;
}

// A speed button paints through an image of its own: where its caption goes,
// and whether the caption had to be shortened.
struct TButtonCaption {
    TExSpeedButton* button;
    QString caption;
    QImage glyph;
    int glyphCount;
    QRect text;  // the whole text, in the button's coordinates
    QRect face;  // inside the button's frame
    bool shortened;
};

TButtonCaption LayOutCaption(TExSpeedButton& button) {
    QImage scratch(button.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter canvas(&scratch);
    canvas.setFont(button.font());
    const TRect client{0, 0, button.width(), button.height()};
    const TRect face = button.Flat() ? client.Inflate(-2, -2)
                                     : DrawSpeedButtonFrame(canvas, client, false, button.Style(), false);
    const unsigned flags = AlignmentFlag(button.Alignment());
    QString shown = button.Caption();
    QPoint glyph;
    TRect bounds;
    button.ButtonGlyph().LayoutFace(canvas, face, shown, button.Layout(), button.Margin(), button.Spacing(),
                                    button.MarkDropDown() && button.DropDownMenu(), glyph, bounds, flags);
    TRect whole{0, 0, bounds.Width(), 0};
    MeasurePlatformText(button.font(), shown, whole, flags | (button.WordWrap() ? dt::WordBreak : 0u));
    // The caption is drawn centred on its bounds, however far it runs over them.
    const int left = bounds.left + (bounds.Width() - whole.Width()) / 2;
    const int top = bounds.top + (bounds.Height() - whole.Height()) / 2;
    // A caption of one line: its ink, descenders included.
    QRect text(left, top, whole.Width(), whole.Height());
    if (!button.WordWrap() && !NormalizeLineBreaks(shown).contains(u'\n')) {
        const QFontMetrics metrics(button.font());
        text = metrics.tightBoundingRect(shown).translated(left, top + metrics.ascent());
    }
    QString full = NormalizeLineBreaks(button.Caption());
    while (!full.isEmpty() && (full.back() == u' ' || full.back() == u'\n')) full.chop(1);
    return {&button,
            button.Caption(),
            button.Glyph(),
            button.NumGlyphs(),
            text,
            face.ToQRect(),
            !button.WordWrap() && NormalizeLineBreaks(shown) != full};
}

// Whether an opaque widget lies over all of `widget` (as a page over the
// controls of a page beneath it).
bool IsCovered(const QWidget& widget, const QWidget& window) {
    const QRect area(widget.mapTo(&window, QPoint(0, 0)), widget.size());
    for (const QWidget* w = &widget; w != &window && w->parentWidget(); w = w->parentWidget()) {
        const QObjectList& siblings = w->parentWidget()->children();
        for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
            const auto* above = qobject_cast<const QWidget*>(siblings[i]);
            if (!above || above->isWindow() || !above->isVisibleTo(&window)) continue;
            const bool opaque = above->autoFillBackground() || above->testAttribute(Qt::WA_OpaquePaintEvent);
            if (opaque && QRect(above->mapTo(&window, QPoint(0, 0)), above->size()).contains(area))
                return true;
        }
    }
    return false;
}

// The drop shadow a shadow label draws beneath its caption.
bool IsShadow(const QWidget& owner, const QColor& colour) {
    const auto* label = qobject_cast<const TExCustomLabel*>(&owner);
    return label && colour == ToQColor(label->ShadowColor()) && colour != ToQColor(label->FontColor());
}

std::vector<TButtonCaption> ButtonCaptions(QWidget& window) {
    std::vector<TButtonCaption> captions;
    for (TExSpeedButton* button : window.findChildren<TExSpeedButton*>())
        if (button->isVisibleTo(&window) && !button->Caption().trimmed().isEmpty() &&
            !IsCovered(*button, window))
            captions.push_back(LayOutCaption(*button));
    return captions;
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double ContrastBehind(const QColor& text, const QImage& background, const QRect& area) {
    std::vector<double> ratios;
    const QRect inside = area & background.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ratios.push_back(ContrastRatio(text, QColor(background.pixel(x, y))));
    if (ratios.empty()) return 21;
    const size_t tenth = ratios.size() / 10;
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(tenth), ratios.end());
    return ratios[tenth];
}

std::vector<std::string> CheckCaptions(QWidget& window) {
    std::vector<std::string> faults;
    const std::string where = Name(&window) + " ";
    std::vector<TButtonCaption> buttons = ButtonCaptions(window);
    // What lies behind the buttons' captions is drawn without them (and
    // without their glyphs, which would take the captions' place).
    for (const TButtonCaption& b : buttons) {
        b.button->SetCaption({});
        b.button->SetGlyph({});
    }
    const TRecordedWindow recorded = RecordWindow(window);
    for (const TButtonCaption& b : buttons) {
        b.button->SetGlyph(b.glyph);
        b.button->SetNumGlyphs(b.glyphCount);
        b.button->SetCaption(b.caption);
    }

    for (const TButtonCaption& b : buttons) {
        const std::string name = where + Name(b.button) + " \"" + b.caption.toStdString() + "\"";
        if (b.shortened) faults.push_back(name + ": shortened to fit");
        if (!b.face.contains(b.text))
            faults.push_back(name + ": text " + Describe(b.text) + " runs out of the button's face " +
                             Describe(b.face));
        if (!b.button->isEnabled()) continue;
        const QRect text = b.text.translated(b.button->mapTo(&window, QPoint(0, 0)));
        const double contrast = ContrastBehind(ToQColor(b.button->FontColor()), recorded.background, text);
        if (contrast < kMinContrast)
            faults.push_back(name + ": contrast " + std::to_string(contrast) + " against what lies behind");
    }

    // A switch shows its caption only where a text position is set.
    for (TExSwitch* control : window.findChildren<TExSwitch*>())
        if (control->isVisibleTo(&window) && !control->Caption().isEmpty() &&
            std::none_of(recorded.texts.begin(), recorded.texts.end(),
                         [control](const TTextRun& run) { return run.widget == control; }))
            faults.push_back(where + Name(control) + " \"" + control->Caption().toStdString() +
                             "\": caption not drawn");

    for (const TTextRun& run : recorded.texts) {
        QWidget* owner = CaptionOwner(run.widget);
        if (!owner || run.text.trimmed().isEmpty() || run.colour.alpha() == 0 || IsCovered(*owner, window) ||
            IsShadow(*owner, run.colour))
            continue;
        const std::string name = where + Name(owner) + " \"" + run.text.toStdString() + "\"";
        // Qt shortens with an ellipsis, the charts with three dots.
        const bool chart = owner->inherits("QChartView");
        if (run.text.contains(QChar(kEllipsis)) || (chart && run.text.endsWith(QStringLiteral("..."))))
            faults.push_back(name + ": shortened to fit");
        // Anti-aliasing may reach a pixel beyond the clip.
        if (!run.clip.boundingRect().adjusted(-1, -1, 1, 1).contains(run.ink) ||
            !(QRegion(run.ink.adjusted(1, 1, -1, -1)) - run.clip).isEmpty())
            faults.push_back(name + ": text " + Describe(run.ink) + " is cut off by " +
                             Describe(run.clip.boundingRect()));
        // Greyed text is meant to recede (a disabled control, a grid's unknown
        // value); a grid that takes no input keeps its colours; charts draw on white.
        const bool greyed = !owner->isEnabled() && !qobject_cast<TExDrawGrid*>(owner);
        if (greyed || run.colour == ToQColor(clGrayText) || chart) continue;
        const double contrast =
            ContrastBehind(run.colour, recorded.background, run.ink & run.clip.boundingRect());
        if (contrast < kMinContrast)
            faults.push_back(name + ": contrast " + std::to_string(contrast) + " against what lies behind");
    }
    return faults;
}

}  // namespace kordalt::test
