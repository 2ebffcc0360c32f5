// Records in files and messages. A body or message is described once, as a
// function template visiting its fields in order with a writer, a reader or a
// sizer; saved games and network messages share them:
//   Field(x)          x byte for byte (records are packed, little-endian);
//   Pad(n)            n zero bytes;
//   Tail(n)           n zero bytes at the end that a reader does not require;
//   Sequence(xs, n)   n items (records or characters), n visited before;
//   CString(text)     characters and a zero byte.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace kordalt {

// A body or message that ends before a field it describes, or whose count
// does not fit.
struct EBodyError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class BodyWriter {
public:
    template <class T>
    void Field(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof(T));
    }
    void Pad(size_t n) { bytes_.append(n, '\0'); }
    void Tail(size_t n) { Pad(n); }
    template <class Items, class Count>
    void Sequence(const Items& items, Count count) {
        assert(std::cmp_equal(count, items.size()));
        for (const auto& item : items) Field(item);
    }
    void CString(std::string_view text) {
        bytes_.append(text);
        Pad(1);
    }
    std::string& Bytes() { return bytes_; }

private:
    std::string bytes_;
};

class BodyReader {
public:
    explicit BodyReader(std::string_view bytes) : bytes_(bytes) {}
    template <class T>
    void Field(T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        std::memcpy(&value, Take(sizeof(T)).data(), sizeof(T));
    }
    template <class T>
    T Get() {
        T value;
        Field(value);
        return value;
    }
    void Pad(size_t n) { Take(n); }
    void Tail(size_t n) { pos_ += std::min(n, Left()); }
    template <class Items, class Count>
    void Sequence(Items& items, Count count) {
        using Item = typename Items::value_type;
        if (std::cmp_less(count, 0) || std::cmp_greater(count, Left() / sizeof(Item)))
            throw EBodyError(std::to_string(count) + " items do not fit in " + std::to_string(Left()) +
                             " bytes");
        items.resize(static_cast<size_t>(count));
        for (auto& item : items) Field(item);
    }
    void CString(std::string& text) {
        const std::string_view rest = bytes_.substr(pos_);
        const size_t end = rest.find('\0');
        if (end == std::string_view::npos) throw EBodyError("text without its zero byte");
        text = std::string(Take(end + 1).substr(0, end));
    }
    size_t Left() const { return bytes_.size() - pos_; }

private:
    std::string_view Take(size_t n) {
        if (Left() < n) throw EBodyError("ends at byte " + std::to_string(bytes_.size()));
        const std::string_view part = bytes_.substr(pos_, n);
        pos_ += n;
        return part;
    }
    std::string_view bytes_;
    size_t pos_ = 0;
};

class BodySizer {
public:
    template <class T>
    void Field(const T&) {
        size_ += sizeof(T);
    }
    void Pad(size_t n) { size_ += n; }
    void Tail(size_t n) { size_ += n; }
    template <class Items, class Count>
    void Sequence(const Items& items, Count) {
        size_ += items.size() * sizeof(typename Items::value_type);
    }
    void CString(std::string_view text) { size_ += text.size() + 1; }
    size_t Size() const { return size_; }

private:
    size_t size_ = 0;
};

}  // namespace kordalt
