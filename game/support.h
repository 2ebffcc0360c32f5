// Shared support routines: heap blocks, delimited texts, lenient number
// parsing, a growable byte buffer, an owning list and GUID texts. Failures
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

// The platform's GUID layout: the first three fields little-endian in memory.
struct TGUID {
    uint32_t D1;
    uint16_t D2;
    uint16_t D3;
    uint8_t D4[8];
    bool operator==(const TGUID&) const = default;
};
static_assert(sizeof(TGUID) == 16);
static_assert(offsetof(TGUID, D2) == 4 && offsetof(TGUID, D3) == 6 && offsetof(TGUID, D4) == 8);

// A random (version 4) GUID from the system's random source.
void NewGUID(TGUID& g);
// 8-4-4-4-12 upper-case hexadecimal digits, no braces.
std::string GUIDToStr(const TGUID& g);
// Accepts exactly the 8-4-4-4-12 form (either case) after TrimEC.
TGUID StrToGUID(std::string_view s);

}  // namespace kordalt
