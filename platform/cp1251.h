// Windows-1251 <-> UTF-8. The program keeps its text as cp1251 bytes (records,
// saved games, messages carry them); the user interface converts at its edge.
#pragma once

#include <string>
#include <string_view>

namespace kordalt {

// Every cp1251 byte has a Unicode character (0x98, unassigned, maps to U+0098).
std::string Cp1251ToUtf8(std::string_view cp1251);

// Characters without a cp1251 byte, and malformed UTF-8 bytes, become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

// A cp1251 text from a UTF-8 literal of the source: Cp("Ошибка").
inline std::string Cp(std::string_view utf8) { return Utf8ToCp1251(utf8); }

// The one way from program text to a file name: a path made from cp1251 text
// (a player's name, a name from the settings) in the file system's UTF-8.
inline std::string FileSystemName(std::string_view programText) { return Cp1251ToUtf8(programText); }

// True when `bytes` is well-formed UTF-8 (shortest forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

}  // namespace kordalt
