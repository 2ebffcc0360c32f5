// The exceptions the picture types raise on bad or unsupported pictures.
#pragma once

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

// A stream shorter than the data it announces.
class EReadError : public std::runtime_error {
public:
    EReadError() : std::runtime_error("Stream read error") {}
};

}  // namespace kordalt
