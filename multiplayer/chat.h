// The chat of a network game without its panes: the shown line, who sees it
// bold, the input line and the chat log file.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace kordalt {

// "<name> text".
std::string ChatLine(const std::string& name, const std::string& text);
// A line is bold unless it comes from the own player (names compared ignoring case).
bool ChatLineBold(const std::string& ownName, const std::string& senderName);
// The input trimmed of blanks; nothing when only blanks remain.
std::optional<std::string> ChatInputText(const std::string& input);

// `time` formatted with yyyy, yy, mm, m, dd, d, hh, h, nn, n, ss, s and zzz;
// text in single or double quotes and any other character are copied.
std::string FormatTimeStamp(const std::string& format, const std::tm& time, int milliseconds = 0);

struct TChatLogSettings {
    bool Enabled = false;
    std::string FileName = "kordaltchat.txt";
    std::string TimeStampFormat = "yyyy.mm.dd hh:nn:ss";
};
// [Preferences] SaveChat, ChatFileName and TimeStamp of the settings file.
TChatLogSettings ReadChatLogSettings();

// The chat log grows to this size at most.
constexpr uintmax_t kChatLogLimit = 4u << 20;

// Appends time stamp, a blank, `line` and CR LF to `fileName` (program text,
// relative to the current folder), creating the file when needed, whole or
// not at all; raises std::runtime_error with the text to show (program text)
// when it cannot be written or the file would grow past kChatLogLimit.
void AppendChatLog(const std::string& fileName, const std::string& stamp, const std::string& line);

// Appends `line` to the chat log when the log is on. A log that cannot be
// written or is full is switched off ([Preferences] SaveChat := false), so it
// stops once: then the text to show, else nothing.
std::optional<std::string> LogChatLine(const std::string& line);

}  // namespace kordalt

namespace kordalt {

// The current local date and time formatted with FormatTimeStamp.
std::string CurrentTimeStamp(const std::string& format);

}  // namespace kordalt
