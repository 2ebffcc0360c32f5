// The graphic family: the operations every picture type shares, so that a
// picture holder, the clipboard and other pictures can handle any of them.
#pragma once

#include <stdexcept>
#include <string>

#include "controls/classic.h"
#include "platform/convert_error.h"

class QIODevice;
class QMimeData;
class QPainter;

namespace kordalt {

// A clipboard format: the predefined numbers below, or a number given to a name
// by RegisterClipboardFormat (clipboard.h).
using TClipboardFormat = unsigned;

class TGraphic {
public:
    virtual ~TGraphic() = default;

    virtual const char* ClassName() const = 0;
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Transparent() const { return false; }
    virtual void Draw(QPainter& canvas, const TRect& rect) const = 0;

    // The whole file form, from the stream's position to its end.
    virtual void LoadFromStream(QIODevice& stream) = 0;
    virtual void SaveToStream(QIODevice& stream) = 0;
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName);

    // Takes the picture from `format` of the clipboard data; adds the picture's
    // formats to `data`.
    virtual void LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) = 0;
    virtual void SaveToClipboardFormat(QMimeData& data) = 0;

    // Null empties the picture where the type allows it. Without a rule of its
    // own a type asks the source (AssignTo) and fails with EConvertError.
    virtual void Assign(const TGraphic* source);
    // True when this picture could fill `dest`.
    virtual bool AssignTo(TGraphic& dest) const { return false; }

protected:
    [[noreturn]] void AssignError(const TGraphic* source) const;
};

}  // namespace kordalt
