// The picture holder: one graphic of any registered picture type. Types register
// the file extensions and clipboard formats they read; a file is loaded by the
// type of its extension, clipboard data by the type of its format.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "controls/graphic.h"
#include "platform/graphic_errors.h"

class QMimeData;

namespace kordalt {

using TGraphicFactory = std::unique_ptr<TGraphic> (*)();

template <class T>
std::unique_ptr<TGraphic> CreateGraphic() {
    return std::make_unique<T>();
}

struct TFileFormat {
    QString Extension;  // without the dot, lower case
    QString Description;
    TGraphicFactory GraphicClass;
};

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    // EInvalidGraphic "Unknown picture file extension (.ext)" for an extension no
    // type registered; the holder keeps its graphic when loading fails.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName);
    // EInvalidGraphic "Unsupported clipboard format" for a format no type registered.
    void LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data);
    void SaveToClipboardFormat(QMimeData& data);

    static void RegisterFileFormat(const QString& extension, const QString& description,
                                   TGraphicFactory graphicClass);
    static void RegisterClipboardFormat(TClipboardFormat format, TGraphicFactory graphicClass);
    static void UnregisterGraphicClass(TGraphicFactory graphicClass);
    static bool SupportsClipboardFormat(TClipboardFormat format);
    // The registered file formats, latest first (a later registration of an
    // extension wins).
    static std::vector<TFileFormat> FileFormats();

    std::function<void()> OnChange;

private:
    void Changed();

    std::unique_ptr<TGraphic> graphic_;
};

}  // namespace kordalt
