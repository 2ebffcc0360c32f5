#include "platform/format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace kordalt {
namespace {

// Widths, precisions and indexes are capped so that no format asks for much memory.
constexpr int kMaxNumber = 4096;
// Significant decimal digits a floating-point value is first converted to.
constexpr int kFloatDigits = 18;

// A finite value as decimal digits: d[0].d[1]d[2]... x 10^exp; no digits means zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exp = 0;

    char Digit(int k) const {
        return k >= 0 && k < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(k)] : '0';
    }

    bool IsZero() const { return digits.find_first_not_of('0') == std::string::npos; }

    // Keeps `keep` significant digits, rounding half away from zero.
    void Round(int keep) {
        if (keep >= static_cast<int>(digits.size())) return;
        if (keep < 0) {
            digits.clear();
            return;
        }
        const bool up = digits[static_cast<size_t>(keep)] >= '5';
        digits.resize(static_cast<size_t>(keep));
        if (!up) return;
        int i = keep - 1;
        while (i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
        if (i >= 0) {
            ++digits[static_cast<size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            if (digits.empty()) digits = "1";
            ++exp;
        }
    }

    // After rounding: zero has no sign and no exponent.
    void Normalize() {
        if (!IsZero()) return;
        digits.clear();
        negative = false;
        exp = 0;
    }

    std::string Sign() const { return negative ? "-" : ""; }
};

Decimal ToDecimal(long double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", kFloatDigits - 1, std::fabs(v));
    Decimal d;
    d.negative = std::signbit(v);
    d.digits = buf[0];
    const char* p = buf + 1;
    if (*p == '.') ++p;
    while (*p >= '0' && *p <= '9') d.digits += *p++;
    if (*p == 'e') d.exp = std::atoi(p + 1);
    return d;
}

std::string WithLeastDigits(std::string digits, int least) {
    if (least > static_cast<int>(digits.size()))
        digits.insert(0, static_cast<size_t>(least) - digits.size(), '0');
    return digits;
}

std::string ExponentText(int exp, bool plusSign, int minDigits) {
    const std::string digits = WithLeastDigits(std::to_string(exp < 0 ? -exp : exp), minDigits);
    return std::string("E") + (exp < 0 ? "-" : plusSign ? "+" : "") + digits;
}

std::string Scientific(Decimal d, int prec) {
    d.Round(prec);
    d.Normalize();
    std::string out = d.Sign() + d.Digit(0);
    if (prec > 1) out += '.';
    for (int k = 1; k < prec; ++k) out += d.Digit(k);
    return out + ExponentText(d.exp, true, 3);
}

std::string Fixed(Decimal d, int decimals) {
    if (d.exp >= kFloatDigits) return Scientific(d, 15);
    d.Round(d.exp + 1 + decimals);
    d.Normalize();
    std::string out = d.Sign();
    if (d.exp < 0) out += '0';
    for (int k = 0; k <= d.exp; ++k) out += d.Digit(k);
    if (decimals > 0) out += '.';
    for (int k = 1; k <= decimals; ++k) out += d.Digit(d.exp + k);
    return out;
}

std::string General(Decimal d, int prec) {
    d.Round(prec);
    d.Normalize();
    if (d.digits.empty()) return "0";
    d.digits.erase(d.digits.find_last_not_of('0') + 1);
    const int count = static_cast<int>(d.digits.size());
    std::string out = d.Sign();
    if (d.exp + 1 > prec || d.exp < -4) {
        out += d.digits.substr(0, 1);
        if (count > 1) out += "." + d.digits.substr(1);
        return out + ExponentText(d.exp, false, 0);
    }
    if (d.exp < 0) return out + "0." + std::string(static_cast<size_t>(-d.exp - 1), '0') + d.digits;
    for (int k = 0; k <= d.exp; ++k) out += d.Digit(k);
    if (count > d.exp + 1) out += "." + d.digits.substr(static_cast<size_t>(d.exp) + 1);
    return out;
}

std::string FloatText(long double v, char type, int prec) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    const Decimal d = ToDecimal(v);
    switch (type) {
        case 'F':
            return Fixed(d, prec < 0 ? 2 : std::min(prec, kFloatDigits));
        case 'E':
            return Scientific(d, prec < 0 ? 15 : std::clamp(prec, 1, kFloatDigits));
        default:
            return General(d, prec < 0 ? 15 : std::clamp(prec, 1, kFloatDigits));
    }
}

uint64_t Unsigned(const FormatArg::Integer& i) {
    return i.wide ? static_cast<uint64_t>(i.value) : static_cast<uint32_t>(i.value);
}

std::string Hex(uint64_t v) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[v & 15]);
        v >>= 4;
    } while (v != 0);
    return out;
}

std::string IntegerText(const FormatArg::Integer& i, char type, int prec) {
    switch (type) {
        case 'U':
            return WithLeastDigits(std::to_string(Unsigned(i)), prec);
        case 'X':
            return WithLeastDigits(Hex(Unsigned(i)), prec);
        default: {
            const auto bits = static_cast<uint64_t>(i.value);
            const uint64_t magnitude = i.value < 0 ? 0 - bits : bits;
            return (i.value < 0 ? "-" : "") + WithLeastDigits(std::to_string(magnitude), prec);
        }
    }
}

// The text of one argument, or nothing when its kind does not suit the type.
std::optional<std::string> ArgumentText(const FormatArg& arg, char type, int prec) {
    const auto& v = arg.Value();
    if (type == 'S') {
        if (const auto* s = std::get_if<std::string>(&v))
            return prec < 0 ? *s : s->substr(0, static_cast<size_t>(prec));
        if (const auto* i = std::get_if<FormatArg::Integer>(&v)) return IntegerText(*i, 'D', -1);
        return FloatText(std::get<long double>(v), 'G', -1);
    }
    if (type == 'D' || type == 'U' || type == 'X') {
        if (const auto* i = std::get_if<FormatArg::Integer>(&v)) return IntegerText(*i, type, prec);
        return std::nullopt;
    }
    if (const auto* f = std::get_if<long double>(&v)) return FloatText(*f, type, prec);
    if (const auto* i = std::get_if<FormatArg::Integer>(&v))
        return FloatText(static_cast<long double>(i->value), type, prec);
    return std::nullopt;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

class Formatter {
public:
    Formatter(std::string_view format, std::span<const FormatArg> args) : format_(format), args_(args) {}

    std::string Run() {
        while (pos_ < format_.size()) {
            const size_t percent = format_.find('%', pos_);
            if (percent == std::string_view::npos) {
                out_ += format_.substr(pos_);
                break;
            }
            out_ += format_.substr(pos_, percent - pos_);
            pos_ = percent + 1;
            Specifier(percent);
        }
        return std::move(out_);
    }

private:
    char Peek() const { return pos_ < format_.size() ? format_[pos_] : '\0'; }

    const FormatArg* Take() { return next_ < args_.size() ? &args_[next_++] : nullptr; }

    // A decimal number or "*" (the next argument, when it is an integer); -1 when absent.
    int Number() {
        if (Peek() == '*') {
            ++pos_;
            const FormatArg* arg = Take();
            const auto* i = arg ? std::get_if<FormatArg::Integer>(&arg->Value()) : nullptr;
            return i ? static_cast<int>(std::clamp<int64_t>(i->value, 0, kMaxNumber)) : 0;
        }
        if (!IsDigit(Peek())) return -1;
        int n = 0;
        while (IsDigit(Peek())) n = std::min(n * 10 + (format_[pos_++] - '0'), kMaxNumber);
        return n;
    }

    // An "index:" prefix, when there is one.
    void Index() {
        size_t end = pos_;
        if (Peek() == '*') {
            ++end;
        } else {
            while (end < format_.size() && IsDigit(format_[end])) ++end;
        }
        if (end == pos_ || end >= format_.size() || format_[end] != ':') return;
        next_ = static_cast<size_t>(Number());
        ++pos_;  // ':'
    }

    // Parses and writes the specifier that starts with the '%' at `start`.
    void Specifier(size_t start) {
        if (Peek() == '%') {
            out_ += '%';
            ++pos_;
            return;
        }
        Index();
        const bool left = Peek() == '-';
        if (left) ++pos_;
        const int width = Number();
        int prec = -1;
        if (Peek() == '.') {
            ++pos_;
            prec = std::max(Number(), 0);
        }
        const char type = Upper(Peek());
        if (std::string_view("DUXSFEG").find(type) == std::string_view::npos) {
            pos_ = std::min(pos_ + 1, format_.size());
            out_ += format_.substr(start, pos_ - start);
            return;
        }
        ++pos_;
        const FormatArg* arg = Take();
        const std::optional<std::string> text = arg ? ArgumentText(*arg, type, prec) : std::nullopt;
        if (text) Pad(*text, width, left);
    }

    void Pad(const std::string& text, int width, bool left) {
        const size_t least = static_cast<size_t>(std::max(width, 0));
        const size_t fill = least > text.size() ? least - text.size() : 0;
        if (!left) out_.append(fill, ' ');
        out_ += text;
        if (left) out_.append(fill, ' ');
    }

    std::string_view format_;
    std::span<const FormatArg> args_;
    size_t pos_ = 0;
    size_t next_ = 0;
    std::string out_;
};

}  // namespace

std::string FormatText(std::string_view format, std::span<const FormatArg> args) {
    return Formatter(format, args).Run();
}

}  // namespace kordalt
