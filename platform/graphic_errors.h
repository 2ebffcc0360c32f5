// The exceptions the picture types raise on bad or unsupported pictures.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kordalt {

class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `Id` is the resource id of the text, 0 when it has none.
class EInvalidGraphicOperation : public std::runtime_error {
public:
    explicit EInvalidGraphicOperation(const std::string& message) : std::runtime_error(message) {}
    EInvalidGraphicOperation(int id, const std::string& message) : std::runtime_error(message), Id(id) {}
    int Id = 0;
};

// The most pixels a picture may have (4096 x 4096). Every picture reader and
// the GIF composer refuse a larger one before allocating anything for it.
constexpr std::int64_t kMaxPicturePixels = std::int64_t(1) << 24;

class EPictureTooLarge : public EInvalidGraphicOperation {
public:
    EPictureTooLarge(std::int64_t width, std::int64_t height)
        : EInvalidGraphicOperation("Слишком большое изображение: " + std::to_string(width) + " x " +
                                   std::to_string(height) + " точек (не больше " +
                                   std::to_string(kMaxPicturePixels) + " точек)") {}
};

// Raises EPictureTooLarge for a picture of more than kMaxPicturePixels.
inline void CheckPictureSize(std::int64_t width, std::int64_t height) {
    if (width > 0 && height > 0 && width * height > kMaxPicturePixels) throw EPictureTooLarge(width, height);
}

// A stream shorter than the data it announces.
class EReadError : public std::runtime_error {
public:
    EReadError() : std::runtime_error("Stream read error") {}
};

}  // namespace kordalt
