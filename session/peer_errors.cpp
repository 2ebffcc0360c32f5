#include "session/peer_errors.h"

#include <cstring>
#include <optional>

#include "platform/format.h"
#include "session/peer_consts.h"

namespace kordalt {
namespace {

constexpr size_t kMessageBufferChars = 256;

// The system's message table: its texts end with CR LF.
struct TableEntry {
    uint32_t code;
    const char* text;
};
constexpr TableEntry kMessageTable[] = {
    {0x80004001u, "Not implemented\r\n"},
    {0x80004002u, "No such interface supported\r\n"},
    {0x80004005u, "Unspecified error\r\n"},
    {0x8007000Eu, "Not enough storage is available to complete this operation.\r\n"},
    {0x80070057u, "The parameter is incorrect.\r\n"},
    {0x80040154u, "Class not registered\r\n"},
    {0x800401F3u, "Invalid class string\r\n"},
};

// The platform's message for `code`: the message table, then the C library's
// texts of system error numbers.
std::optional<std::string> PlatformMessage(int32_t code) {
    for (const TableEntry& e : kMessageTable)
        if (e.code == static_cast<uint32_t>(code)) return e.text;
    if (code > 0) {
        if (const char* text = strerrordesc_np(code)) return text;
    }
    return std::nullopt;
}

}  // namespace

std::string SystemErrorText(int32_t code) {
    if (code == 0) return {};
    std::optional<std::string> text = PlatformMessage(code);
    if (!text) return FormatText(SUnknownError, {code});
    if (text->size() >= kMessageBufferChars) text->resize(kMessageBufferChars - 1);
    while (text->ends_with("\r\n")) text->resize(text->size() - 2);
    return *text;
}

}  // namespace kordalt
