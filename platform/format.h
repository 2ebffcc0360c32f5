// Safe text formatting for texts from the settings file.
//
// A format is literal text with specifiers "%" [index ":"] ["-"] [width] ["." prec] type;
// index, width and prec are decimal numbers or "*" (taken from the next argument).
// Types (either case):
//   d   signed decimal; prec = least number of digits
//   u   unsigned decimal (a 32-bit argument is taken as 32 bits)
//   x   upper-case hexadecimal, as u
//   s   text (numbers are written as d or g would); prec = most characters
//   f   fixed, prec decimals (default 2)
//   e   scientific "d.ddE+ddd", prec significant digits (default 15)
//   g   shortest of fixed and scientific, prec significant digits (default 15)
//   %%  a percent sign
// Width pads with blanks on the left, or on the right with "-". Floating-point
// values are rounded half away from zero on their 18-digit decimal form.
//
// Nothing here throws or reads past its input: a specifier without an argument,
// or whose argument has the wrong kind, gives empty text; extra arguments are
// ignored; a malformed specifier is copied as it stands. Text is cp1251 bytes.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace kordalt {

class FormatArg {
public:
    struct Integer {
        int64_t value;
        bool wide;  // false for a signed value of 32 bits or less: u and x then show 32 bits
    };

    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) FormatArg(T v)
        : value_(Integer{static_cast<int64_t>(v), sizeof(T) > 4 || std::is_unsigned_v<T>}) {}
    template <std::floating_point T>
    FormatArg(T v) : value_(static_cast<long double>(v)) {}
    FormatArg(char c) : value_(std::string(1, c)) {}
    FormatArg(const char* s) : value_(std::string(s ? s : "")) {}
    FormatArg(std::string_view s) : value_(std::string(s)) {}
    FormatArg(const std::string& s) : value_(s) {}

    const std::variant<Integer, long double, std::string>& Value() const { return value_; }

private:
    std::variant<Integer, long double, std::string> value_;
};

std::string FormatText(std::string_view format, std::span<const FormatArg> args);

inline std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args = {}) {
    return FormatText(format, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace kordalt
