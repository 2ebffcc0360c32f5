// Clipboard formats and the clipboard, on Qt's clipboard: each format is a MIME
// type of our own, except the plain bitmap, which is Qt's image data and so
// reaches other programs.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>

#include "controls/graphic.h"

class QMimeData;

namespace kordalt {

class TPicture;

constexpr TClipboardFormat CF_BITMAP = 2, CF_DIB = 8;

// The number of a named format; the same name gives the same number.
TClipboardFormat RegisterClipboardFormat(const std::string& name);
// The MIME type that carries a format; empty for an unknown number.
QString ClipboardFormatMime(TClipboardFormat format);
// The format a MIME type carries; 0 when none.
TClipboardFormat ClipboardFormatOfMime(const QString& mime);

bool HasClipboardFormat(const QMimeData& data, TClipboardFormat format);
// The block of a format (empty when absent); not for CF_BITMAP, which is an image.
QByteArray ClipboardBlock(const QMimeData& data, TClipboardFormat format);
void SetClipboardBlock(QMimeData& data, TClipboardFormat format, const QByteArray& block);

// The system clipboard: a picture is offered in all its formats at once; a
// picture holder takes the first format on the clipboard that a registered
// picture type reads.
class TClipboard {
public:
    bool HasFormat(TClipboardFormat format) const;
    void Assign(TGraphic& graphic);
    void Assign(TPicture& picture);
    // Fills the picture holder; fails with EInvalidGraphic when no format fits.
    void AssignTo(TPicture& picture) const;
};

TClipboard& Clipboard();

}  // namespace kordalt
