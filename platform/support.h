// Shared support routines: heap blocks, delimited texts, lenient number
// parsing, a growable byte buffer and an owning list. Failures
// raise ECError with a message naming the routine and the offending value.
// Texts are cp1251 byte strings; positions are 1-based.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kordalt {

struct ECError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Heap blocks.
void* AllocEC(int size);
void* ReAllocREC(void* p, int size);
void FreeEC(void* p);
void* IncPtr(void* p, int offset);
void PutDWord(void* p, uint32_t v);

// Delimited texts: any character of `delimiters` ends a part; parts count from 0.
int CountParEC(std::string_view s, std::string_view delimiters);
int GetSmeParEC(std::string_view s, int n, std::string_view delimiters);
int GetLenParEC(std::string_view s, int start, std::string_view delimiters);
std::string GetParEC(std::string_view s, int n, std::string_view delimiters);

// Every decimal digit of s in order, other characters skipped; wraps modulo 2^32.
int32_t DigitsToInt(std::string_view s);
// Digits before the first '.' are the whole part, digits after it the fraction;
// a '-' anywhere negates. Single precision at every step.
float DigitsToFloat(std::string_view s);

std::string BoolToStrEC(bool b);
// Strips blanks, tabs, CR, LF and NUL from both ends.
std::string TrimEC(std::string_view s);

// Byte buffer for building network messages; grows by the need plus 256 bytes.
class TBufEC {
public:
    TBufEC() = default;
    ~TBufEC() { ClearBuf(); }
    TBufEC(const TBufEC&) = delete;
    TBufEC& operator=(const TBufEC&) = delete;

    void ClearBuf();
    void TestAddLenBuf(int addLen);
    // Appends the characters of s and its terminating zero byte.
    void AddStr(const char* s);
    // Appends v as 4 little-endian bytes.
    void AddDWord(uint32_t v);

    int32_t Len = 0;
    int32_t Capacity = 0;
    int32_t Pos = 0;
    void* Data = nullptr;
};

// A list that owns its objects and frees them from the last to the first.
template <class T>
class TObjList {
public:
    TObjList() = default;
    virtual ~TObjList() { FreeObjects(); }
    TObjList(const TObjList&) = delete;
    TObjList& operator=(const TObjList&) = delete;

    int Add(std::unique_ptr<T> item) {
        items_.push_back(std::move(item));
        return Count() - 1;
    }
    int Count() const { return static_cast<int>(items_.size()); }
    T* Items(int index) const {
        if (index < 0 || index >= Count()) throw ECError("List index out of bounds");
        return items_[static_cast<size_t>(index)].get();
    }
    // Each item leaves the list before it is freed.
    void FreeObjects() {
        while (!items_.empty()) {
            std::unique_ptr<T> last = std::move(items_.back());
            items_.pop_back();
        }
    }

private:
    std::vector<std::unique_ptr<T>> items_;
};

}  // namespace kordalt
