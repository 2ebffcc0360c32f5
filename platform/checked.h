// The answer of a check of outside input (a file, a peer's message, a state
// about to be committed): accepted, with what was read when there is
// something, or refused with the reason. Refusing such input is normal, so it
// is a result, not an exception.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace kordalt {

// Why input was refused: a text for the log, or the text a window shows.
// Converts to a TChecked of any kind.
struct TRefused {
    std::string why;
};

template <class T = void>
class [[nodiscard]] TChecked {
public:
    TChecked(const T& value) : v_(std::in_place_index<0>, value) {}
    TChecked(T&& value) : v_(std::in_place_index<0>, std::move(value)) {}
    TChecked(TRefused refused) : v_(std::in_place_index<1>, std::move(refused)) {}

    bool Accepted() const { return v_.index() == 0; }
    explicit operator bool() const { return Accepted(); }
    // The value; only when accepted.
    T& operator*() { return std::get<0>(v_); }
    const T& operator*() const { return std::get<0>(v_); }
    T* operator->() { return &std::get<0>(v_); }
    const T* operator->() const { return &std::get<0>(v_); }
    // Empty when accepted.
    const std::string& Why() const {
        static const std::string accepted;
        return Accepted() ? accepted : std::get<1>(v_).why;
    }
    // Only when refused: the refusal passed on.
    TRefused Refusal() const { return std::get<1>(v_); }

private:
    std::variant<T, TRefused> v_;
};

// A check that reads nothing: `return {};` accepts.
template <>
class [[nodiscard]] TChecked<void> {
public:
    TChecked() = default;
    TChecked(TRefused refused) : refused_(true), why_(std::move(refused.why)) {}

    bool Accepted() const { return !refused_; }
    explicit operator bool() const { return Accepted(); }
    // Empty when accepted.
    const std::string& Why() const { return why_; }
    // Only when refused: the refusal passed on.
    TRefused Refusal() const { return {why_}; }

private:
    bool refused_ = false;
    std::string why_;
};

}  // namespace kordalt
