#include "controls/picture.h"

#include <QFileInfo>
#include <algorithm>
#include <utility>

#include "controls/clipboard.h"
#include "controls/icon_list.h"
#include "controls/image_control_bitmap.h"

namespace kordalt {

namespace {

struct Registry {
    std::vector<TFileFormat> files;                                       // latest first
    std::vector<std::pair<TClipboardFormat, TGraphicFactory>> clipboard;  // latest first
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// The types of the class library itself.
const bool kBuiltIn = [] {
    TPicture::RegisterFileFormat("bmp", "Bitmaps", &CreateGraphic<TBitmap>);
    TPicture::RegisterFileFormat("ico", "Icons", &CreateGraphic<TIcon>);
    TPicture::RegisterClipboardFormat(CF_BITMAP, &CreateGraphic<TBitmap>);
    return true;
}();

TGraphicFactory ClassForExtension(const QString& extension) {
    for (const TFileFormat& f : TheRegistry().files) {
        if (f.Extension.compare(extension, Qt::CaseInsensitive) == 0) return f.GraphicClass;
    }
    return nullptr;
}

TGraphicFactory ClassForClipboardFormat(TClipboardFormat format) {
    for (const auto& [registered, graphicClass] : TheRegistry().clipboard) {
        if (registered == format) return graphicClass;
    }
    return nullptr;
}

}  // namespace

void TPicture::RegisterFileFormat(const QString& extension, const QString& description,
                                  TGraphicFactory graphicClass) {
    auto& files = TheRegistry().files;
    files.insert(files.begin(), TFileFormat{extension.toLower(), description, graphicClass});
}

void TPicture::RegisterClipboardFormat(TClipboardFormat format, TGraphicFactory graphicClass) {
    auto& formats = TheRegistry().clipboard;
    formats.insert(formats.begin(), {format, graphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicFactory graphicClass) {
    Registry& registry = TheRegistry();
    std::erase_if(registry.files, [&](const TFileFormat& f) { return f.GraphicClass == graphicClass; });
    std::erase_if(registry.clipboard, [&](const auto& entry) { return entry.second == graphicClass; });
}

bool TPicture::SupportsClipboardFormat(TClipboardFormat format) {
    return ClassForClipboardFormat(format) != nullptr;
}

std::vector<TFileFormat> TPicture::FileFormats() { return TheRegistry().files; }

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    Changed();
}

void TPicture::Changed() {
    if (OnChange) OnChange();
}

void TPicture::LoadFromFile(const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix();
    const TGraphicFactory graphicClass = ClassForExtension(extension);
    if (!graphicClass)
        throw EInvalidGraphic("Unknown picture file extension (." + extension.toStdString() + ")");
    std::unique_ptr<TGraphic> graphic = graphicClass();
    graphic->LoadFromFile(fileName);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const QString& fileName) {
    if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::LoadFromClipboardFormat(TClipboardFormat format, const QMimeData& data) {
    const TGraphicFactory graphicClass = ClassForClipboardFormat(format);
    if (!graphicClass) throw EInvalidGraphic("Unsupported clipboard format");
    std::unique_ptr<TGraphic> graphic = graphicClass();
    graphic->LoadFromClipboardFormat(format, data);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToClipboardFormat(QMimeData& data) {
    if (graphic_) graphic_->SaveToClipboardFormat(data);
}

}  // namespace kordalt
