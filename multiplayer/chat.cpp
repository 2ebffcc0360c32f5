#include "multiplayer/chat.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "game/language_file.h"
#include "platform/ansi_text.h"
#include "platform/atomic_file.h"
#include "platform/cp1251.h"
#include "platform/format.h"

namespace kordalt {

std::string ChatLine(const std::string& name, const std::string& text) { return "<" + name + "> " + text; }

bool ChatLineBold(const std::string& ownName, const std::string& senderName) {
    return !AnsiSameText(ownName, senderName);
}

std::optional<std::string> ChatInputText(const std::string& input) {
    const auto first = input.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    return input.substr(first, input.find_last_not_of(' ') - first + 1);
}

namespace {

std::string Digits(int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    return buf;
}

// Length of the run of `c` at `pos`, compared ignoring case.
size_t RunLength(const std::string& s, size_t pos, char c) {
    size_t n = 0;
    while (pos + n < s.size() && (s[pos + n] | 0x20) == c) ++n;
    return n;
}

}  // namespace

std::string FormatTimeStamp(const std::string& format, const std::tm& time, int milliseconds) {
    std::string out;
    for (size_t i = 0; i < format.size();) {
        const char c = format[i];
        if (c == '\'' || c == '"') {
            const size_t end = format.find(c, i + 1);
            const size_t stop = end == std::string::npos ? format.size() : end;
            out += format.substr(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        const char lower = static_cast<char>(c | 0x20);
        const size_t n = RunLength(format, i, lower);
        switch (lower) {
            case 'y':
                out += n >= 4 ? Digits(time.tm_year + 1900, 4) : Digits((time.tm_year + 1900) % 100, 2);
                break;
            case 'm':
                out += Digits(time.tm_mon + 1, n >= 2 ? 2 : 1);
                break;
            case 'd':
                out += Digits(time.tm_mday, n >= 2 ? 2 : 1);
                break;
            case 'h':
                out += Digits(time.tm_hour, n >= 2 ? 2 : 1);
                break;
            case 'n':
                out += Digits(time.tm_min, n >= 2 ? 2 : 1);
                break;
            case 's':
                out += Digits(time.tm_sec, n >= 2 ? 2 : 1);
                break;
            case 'z':
                out += Digits(milliseconds, n >= 3 ? 3 : 1);
                break;
            default:
                out += c;
                i += 1;
                continue;
        }
        i += n;
    }
    return out;
}

TChatLogSettings ReadChatLogSettings() {
    TChatLogSettings s;
    if (!LanguageFile) return s;
    s.Enabled = LanguageFile->ReadBool("Preferences", "SaveChat", false);
    s.FileName = LanguageFile->ReadString("Preferences", "ChatFileName", s.FileName);
    s.TimeStampFormat = LanguageFile->ReadString("Preferences", "TimeStamp", s.TimeStampFormat);
    return s;
}

void AppendChatLog(const std::string& fileName, const std::string& stamp, const std::string& line) {
    const std::filesystem::path path = std::filesystem::absolute(FileSystemName(fileName));
    const std::string text = stamp + ' ' + line + "\r\n";
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size + text.size() > kChatLogLimit)
        throw std::runtime_error(
            FormatText(Cp(kChatLogFull), {fileName, std::to_string(kChatLogLimit >> 10)}));
    if (const int err = AppendFileWhole(path.string(), text))
        throw std::runtime_error(FormatText(Cp(kChatLogNotWritten), {fileName, Cp(FileErrorText(err))}));
}

std::optional<std::string> LogChatLine(const std::string& line) {
    const TChatLogSettings log = ReadChatLogSettings();
    if (!log.Enabled) return std::nullopt;
    try {
        AppendChatLog(log.FileName, CurrentTimeStamp(log.TimeStampFormat), line);
        return std::nullopt;
    } catch (const std::exception& e) {
        try {
            LanguageFile->WriteBool("Preferences", "SaveChat", false);
        } catch (const std::exception&) {
            // the settings file cannot be written either: the message says why the log stops
        }
        return std::string(e.what());
    }
}

}  // namespace kordalt

namespace kordalt {

std::string CurrentTimeStamp(const std::string& format) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return FormatTimeStamp(format, local, static_cast<int>(ms));
}

}  // namespace kordalt
