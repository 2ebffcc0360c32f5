// Texts of the rules: built-in defaults are written in the source as UTF-8 and
// used as cp1251, like every text of the program.
#pragma once

#include <string>
#include <string_view>

namespace kordalt {

// The cp1251 form of a UTF-8 text of the source.
std::string Cp(std::string_view utf8);

// The current language's text `id`, or the built-in default (UTF-8) when the
// language has none or no settings file is open.
std::string RulesText(int id, std::string_view defaultUtf8 = "");

}  // namespace kordalt
