#include "controls/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <mutex>
#include <vector>

#include "controls/picture.h"

namespace kordalt {

namespace {

constexpr TClipboardFormat kFirstRegistered = 0xC000;
const QString kImageMime = QStringLiteral("application/x-qt-image");

struct FormatNames {
    std::mutex lock;
    std::vector<std::string> names;  // registered formats from kFirstRegistered on
};

FormatNames& Names() {
    static FormatNames names;
    return names;
}

// "GIF Image" travels as "application/x-kordalt-gif-image".
QString MimeOfName(const std::string& name) {
    QString slug;
    for (const QChar c : QString::fromStdString(name).toLower())
        slug += c.isLetterOrNumber() ? c : QChar('-');
    return QStringLiteral("application/x-kordalt-") + slug;
}

}  // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& name) {
    FormatNames& all = Names();
    std::lock_guard hold(all.lock);
    for (std::size_t i = 0; i < all.names.size(); ++i) {
        if (QString::fromStdString(all.names[i]).compare(QString::fromStdString(name), Qt::CaseInsensitive) ==
            0)
            return kFirstRegistered + static_cast<TClipboardFormat>(i);
    }
    all.names.push_back(name);
    return kFirstRegistered + static_cast<TClipboardFormat>(all.names.size() - 1);
}

QString ClipboardFormatMime(TClipboardFormat format) {
    if (format == CF_BITMAP) return kImageMime;
    if (format == CF_DIB) return QStringLiteral("application/x-kordalt-dib");
    FormatNames& all = Names();
    std::lock_guard hold(all.lock);
    if (format < kFirstRegistered || format - kFirstRegistered >= all.names.size()) return {};
    return MimeOfName(all.names[format - kFirstRegistered]);
}

TClipboardFormat ClipboardFormatOfMime(const QString& mime) {
    if (mime == kImageMime) return CF_BITMAP;
    if (mime == ClipboardFormatMime(CF_DIB)) return CF_DIB;
    FormatNames& all = Names();
    std::lock_guard hold(all.lock);
    for (std::size_t i = 0; i < all.names.size(); ++i) {
        if (MimeOfName(all.names[i]) == mime) return kFirstRegistered + static_cast<TClipboardFormat>(i);
    }
    return 0;
}

bool HasClipboardFormat(const QMimeData& data, TClipboardFormat format) {
    if (format == CF_BITMAP) return data.hasImage();
    const QString mime = ClipboardFormatMime(format);
    return !mime.isEmpty() && data.hasFormat(mime);
}

QByteArray ClipboardBlock(const QMimeData& data, TClipboardFormat format) {
    const QString mime = ClipboardFormatMime(format);
    return mime.isEmpty() || format == CF_BITMAP ? QByteArray() : data.data(mime);
}

void SetClipboardBlock(QMimeData& data, TClipboardFormat format, const QByteArray& block) {
    data.setData(ClipboardFormatMime(format), block);
}

bool TClipboard::HasFormat(TClipboardFormat format) const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && HasClipboardFormat(*data, format);
}

void TClipboard::Assign(TGraphic& graphic) {
    auto* data = new QMimeData;
    try {
        graphic.SaveToClipboardFormat(*data);
    } catch (...) {
        delete data;
        throw;
    }
    QGuiApplication::clipboard()->setMimeData(data);
}

void TClipboard::Assign(TPicture& picture) {
    if (!picture.Graphic()) throw EInvalidGraphic("Unsupported clipboard format");
    Assign(*picture.Graphic());
}

void TClipboard::AssignTo(TPicture& picture) const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data) {
        QStringList formats = data->formats();
        if (data->hasImage() && !formats.contains(kImageMime)) formats.append(kImageMime);
        for (const QString& mime : formats) {
            const TClipboardFormat format = ClipboardFormatOfMime(mime);
            if (format != 0 && TPicture::SupportsClipboardFormat(format)) {
                picture.LoadFromClipboardFormat(format, *data);
                return;
            }
        }
    }
    throw EInvalidGraphic("Unsupported clipboard format");
}

TClipboard& Clipboard() {
    static TClipboard clipboard;
    return clipboard;
}

}  // namespace kordalt
